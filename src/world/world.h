#pragma once
// The world's shared state: the stage counters, emptying the world and the five
// per-frame world steps, each a fixed order of the kinds' updates. The kinds
// themselves live in their own headers.
#include "world/entity_list.h"

struct StageCounters {
    int enemies_per_stage = 0;   // enemy biplanes made at each stage start
    int balloons_per_stage = 0;  // balloons made at each stage start
    int enemies_counted = 0;     // enemies met by the current or last walk of the enemy list
};

extern StageCounters stage_counters;

// A new game's counters: score 0, stage 1, three lives, and the first stage's
// numbers of enemies and balloons.
void start_new_game();
// Sets the current stage up from its fly-in: the plane, the blimp, the
// mountains, the clouds, enemies and balloons, the start sound and the drone.
void start_stage();

// Empties every entity list and sends the blimp away.
void clear_world();

// One of these runs per frame, chosen by the state handlers; later calls draw on top.
void fly_in_step();     // stage, fly-in phase
void play_step();       // stage, play phase
void clear_step();      // stage, stage-clear phase
void wreck_step();      // dying
void game_over_step();  // game over

// Puts every world global and list back to its start-up value (for a new run
// of the game in the same process).
void reset_world_globals();
