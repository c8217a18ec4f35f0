#include "world/world.h"

#include "game/game_state.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"

StageCounters stage_counters;
bool starting_up = true;

void clear_world() {
    blimp.state = Blimp::kGone;
    BalloonPop::remove_all();
    PlayerShot::remove_all();
    Cloud::remove_all();
    SmokePuff::remove_all();
    PointsPopup::remove_all();
    EnemyPlane::remove_all();
    Explosion::remove_all();
    DebrisPiece::remove_all();
    Balloon::remove_all();
}

// Each step is a fixed sequence: what runs later is drawn on top, and the
// targets test themselves against shots and the plane where those stood after
// the previous frame.

void fly_in_step() {
    player.update_fly_in();
    mountains.update();
    Cloud::update_all();
}

void play_step() {
    BalloonPop::update_all();
    Cloud::update_all();
    EnemyPlane::update_all();
    Balloon::update_all();
    player.update();
    blimp.update();
    PlayerShot::update_all();
    mountains.update();
    DebrisPiece::update_all();
    SmokePuff::update_all();
    Explosion::update_all();
    PointsPopup::update_all();
}

void clear_step() {
    phase_timer += 1;
    mountains.update();
    Cloud::update_all();
}

// The death sequence: the world runs on without the player's plane.
void wreck_step() {
    phase_timer += 1;
    BalloonPop::update_all();
    Cloud::update_all();
    EnemyPlane::update_all();
    Balloon::update_all();
    PlayerShot::update_all();
    blimp.update();
    mountains.update();
    DebrisPiece::update_all();
    SmokePuff::update_all();
    Explosion::update_all();
    PointsPopup::update_all();
}

void game_over_step() {
    phase_timer += 1;
    Cloud::update_all();
    mountains.update();
}

void reset_world_globals() {
    clear_world();
    blimp = Blimp{};
    stage_counters = StageCounters{};
    starting_up = true;
    player = Player{};
    mountains = Mountains{};
}
