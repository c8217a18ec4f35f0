#pragma once
// The flying things, drawn nose left in the units of one 48 x 33 sprite cell.
#include "sketch.h"

namespace art {

void draw_player_plane(Canvas& c, const Place& at);
void draw_enemy_plane(Canvas& c, const Place& at);
// The blimp, as seen from afar; a punctured one is dented and torn.
void draw_blimp(Canvas& c, const Place& at, bool punctured);

}  // namespace art
