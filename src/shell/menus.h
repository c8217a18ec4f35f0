#pragma once
// The title menu and the pause menu: the heading, four items
// chosen with the pointer only, and the hand-drawn pointer.
#include <array>
#include <string>

#include "game/game_state.h"

extern const std::string app_title;
extern const std::string version_text;
// The label of each volume step, "Off" to "Max".
extern const std::array<std::string, 11> volume_labels;

// Handler of the title and pause states, once per frame.
void run_menu();
// Moves the system pointer 6 pixels per frame on each axis that joystick 0 holds
// fully deflected.
void steer_pointer();
// The item under pointer row y: 0 to 3, or -1 (also for rows below the last item).
int menu_item_at(int y);
// The text of item 0 to 3 in the pause menu or the title menu.
std::string menu_item_text(int item, GameState menu);
