#pragma once
// The world of one run: the state machine, the pictures and sounds it draws
// and plays, the game in progress and everything that flies over the paper.
// A run owns one World and hands it to every step; nothing of it is global, so
// two runs in one process share nothing and a test builds a world of its own.
//
// Also here: emptying the world and the five per-frame world steps, each a
// fixed order of the kinds' updates. The kinds live in their own headers.
#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/entity_list.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"

// The band of sky in which the enemies, balloons, clouds and the blimp are
// made, and between whose edges a balloon bobs.
inline constexpr int kSkyTop = 125;
inline constexpr int kSkyBottom = 300;

// How many enemies and balloons a stage starts with: 10 and 3 on the first,
// and 5 and 3 more on each stage after it.
struct StageCounters {
    int enemies_per_stage = 0;   // enemy biplanes made at each stage start
    int balloons_per_stage = 0;  // balloons made at each stage start

    static StageCounters first_stage() { return {10, 3}; }
    // To the next stage's numbers.
    void grow() {
        enemies_per_stage += 5;
        balloons_per_stage += 3;
    }
};

struct World {
    World() = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // What the world shares with the shell.
    GameFlow flow;
    Pictures pictures;
    SoundCues sounds;

    // The game in progress.
    Player player;
    StageCounters counters;

    // What flies over the paper.
    Mountains mountains;
    Blimp blimp;
    EntityList<Cloud> clouds;
    EntityList<EnemyPlane> enemies;
    EntityList<Balloon> balloons;
    EntityList<PlayerShot> shots;
    EntityList<DebrisPiece> debris;
    EntityList<SmokePuff> smoke;
    EntityList<Explosion> explosions;
    EntityList<BalloonPop> balloon_pops;
    EntityList<PointsPopup> points_popups;

    // Calls visit(name, list) for each of the nine entity lists, always in this
    // order, for what treats every kind alike (emptying the world, the traces,
    // the demos' check, counts); `name` is the list's name in the traces. The
    // steps, whose order of kinds is the drawing order, list their own.
    template <typename Visit>
    void for_each_list(Visit&& visit) {
        for_each_list_of(*this, visit);
    }
    template <typename Visit>
    void for_each_list(Visit&& visit) const {
        for_each_list_of(*this, visit);
    }

  private:
    template <typename Self, typename Visit>
    static void for_each_list_of(Self& world, Visit& visit) {
        visit("enemies", world.enemies);
        visit("balloons", world.balloons);
        visit("shots", world.shots);
        visit("clouds", world.clouds);
        visit("particles", world.debris);
        visit("smoke", world.smoke);
        visit("explosions", world.explosions);
        visit("pops", world.balloon_pops);
        visit("points", world.points_popups);
    }
};

// A new game's counters: score 0, stage 1, three lives, and the first stage's
// numbers of enemies and balloons.
void start_new_game(World& world);
// Sets the current stage up from its fly-in: the plane, the blimp, the
// mountains, the clouds, enemies and balloons, the start sound and the drone.
void start_stage(World& world);

// Empties every entity list and sends the blimp away.
void clear_world(World& world);

// One of these runs per frame, chosen by the state handlers; later calls draw on top.
void fly_in_step(World& world);     // stage, fly-in phase
void play_step(World& world);       // stage, play phase
void clear_step(World& world);      // stage, stage-clear phase
void wreck_step(World& world);      // dying
void game_over_step(World& world);  // game over
