#include "game/game_state.h"

int game_state = 0;
int stage_phase = phase::kFlyIn;
int phase_timer = 0;
int quit_requested = 0;

void reset_game_state() {
    game_state = 0;
    stage_phase = phase::kFlyIn;
    phase_timer = 0;
    quit_requested = 0;
}
