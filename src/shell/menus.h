#pragma once
// The title menu and the pause menu: the heading, four items
// chosen with the pointer only, and the hand-drawn pointer.
#include <array>
#include <string>

#include "game/game_state.h"
#include "game/sound_cues.h"
#include "shell/demos.h"
#include "world/world.h"

// The items, top to bottom.
enum MenuItem : int { kStartItem, kEffectsVolumeItem, kEngineVolumeItem, kExitItem };
inline constexpr int kMenuItemCount = 4;
inline constexpr int kMenuItemPitch = 31;  // rows from one item to the next
inline constexpr int kMenuCentreX = 320;   // the column the items are centred on

// The row item 0 to 3 is centred on.
constexpr int menu_item_line_y(int item) {
    return 289 + kMenuItemPitch * item;
}
// The row 20 above an item's line, where its kMenuItemPitch rows of the
// pointer begin (menu_item_at gives the exact rows).
constexpr int menu_item_top_row(int item) {
    return menu_item_line_y(item) - 20;
}

// Where park_menu_pointer leaves the pointer: just below the middle of the
// first item's line.
inline constexpr int kParkedPointerX = kMenuCentreX;
inline constexpr int kParkedPointerY = menu_item_line_y(kStartItem) + 3;

extern const std::string app_title;
extern const std::string version_text;
// The label of each volume step, "Off" to "Max".
extern const std::array<std::string, 11> volume_labels;

// Handler of the title and pause states, once per frame.
void run_menu(World& world, Demos& demos);
// Moves the system pointer 6 pixels per frame on each axis that joystick 0 holds
// fully deflected.
void steer_pointer();
// The item under pointer row y: 0 to 3, or -1 (also for rows below the last item).
int menu_item_at(int y);
// Moves the pointer to its place when a menu opens, on the first item.
void park_menu_pointer();
// The text of item 0 to 3 in the pause menu or the title menu, with the volumes' labels.
std::string menu_item_text(int item, GameState menu, const Volumes& volumes);
