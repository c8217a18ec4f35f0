#include "world/world.h"

#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"

StageCounters stage_counters;

void start_new_game() {
    player.score = 0;
    player.level = 1;
    player.lives = 3;
    player.new_best = false;
    stage_counters.enemies_per_stage = 10;
    stage_counters.balloons_per_stage = 3;
}

void start_stage() {
    phase_timer = 0;
    player.place_for_fly_in();
    blimp.set_up_for_stage();
    mountains.scroll_speed = Mountains::kScrollFacingRight;
    mountains.mountain1_x = 100;
    mountains.mountain2_x = 514;
    Cloud::spawn_for_stage();
    EnemyPlane::spawn_for_stage();
    Balloon::spawn_for_stage();
    stage_phase = StagePhase::kFlyIn;
    play_effect(effect_sounds.stage_start);
    start_engine_loop();
}

void clear_world() {
    blimp.state = Blimp::kGone;
    balloon_pop_list.remove_all();
    player_shot_list.remove_all();
    cloud_list.remove_all();
    smoke_puff_list.remove_all();
    points_popup_list.remove_all();
    enemy_plane_list.remove_all();
    explosion_list.remove_all();
    debris_list.remove_all();
    balloon_list.remove_all();
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
    player = Player{};
    mountains = Mountains{};
}
