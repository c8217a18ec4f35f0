#pragma once
// The handlers of the playing states and the heads-up display.
#include <string>

#include "world/world.h"

// State 2: fly-in, play and stage clear by phase; keeps the best score live.
void update_stage(World& world);
// State 6: the world runs on without the plane, then a retry or the game over.
void update_dying(World& world);
// State 5: "Game Over!" over the drifting scenery, then the title menu.
void update_game_over(World& world);
// Score, best, stage and spare lives; every frame, after the state's handler.
void draw_hud(const World& world);
// n in decimal with a leading "0" below 10: 00, 07, 10, 123456.
std::string two_digits(int n);
