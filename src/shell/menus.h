#pragma once
// The title menu and the pause menu: the heading, four items
// chosen with the pointer only, and the hand-drawn pointer.
#include <array>
#include <optional>
#include <string>

#include "game/game_state.h"
#include "game/sound_cues.h"
#include "shell/demos.h"
#include "world/world.h"

// The items, top to bottom: "Start Game" (or "Resume Game"), the two volumes,
// and "Exit Game" (or "Quit This Game").
enum class MenuItem { kStart, kEffectsVolume, kEngineVolume, kExit };
inline constexpr int kMenuItemCount = 4;
inline constexpr int kMenuItemPitch = 31;  // rows from one item to the next
inline constexpr int kMenuCentreX = 320;   // the column the items are centred on

// The row an item is centred on.
constexpr int menu_item_line_y(MenuItem item) {
    return 289 + kMenuItemPitch * static_cast<int>(item);
}
// The row 20 above an item's line, where its kMenuItemPitch rows of the
// pointer begin (menu_item_at gives the exact rows).
constexpr int menu_item_top_row(MenuItem item) {
    return menu_item_line_y(item) - 20;
}

// Where park_menu_pointer leaves the pointer: just below the middle of the
// first item's line.
inline constexpr int kParkedPointerX = kMenuCentreX;
inline constexpr int kParkedPointerY = menu_item_line_y(MenuItem::kStart) + 3;

extern const std::string app_title;
extern const std::string version_text;
// The label of each volume step, "Off" to "Max".
extern const std::array<std::string, 11> volume_labels;

// Handler of the title and pause states, once per frame.
void run_menu(World& world, Demos& demos);
// Moves the system pointer 6 pixels per frame on each axis that joystick 0 holds
// fully deflected.
void steer_pointer();
// The item under pointer row y; none above the first or below the last.
std::optional<MenuItem> menu_item_at(int y);
// Moves the pointer to its place when a menu opens, on the first item.
void park_menu_pointer();
// The text of an item in the pause menu or the title menu, with the volumes' labels.
std::string menu_item_text(MenuItem item, GameState menu, const Volumes& volumes);
