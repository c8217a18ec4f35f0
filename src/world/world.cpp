#include "world/world.h"

void start_new_game(World& world) {
    Player& plane = world.player;
    plane.score = 0;
    plane.level = 1;
    plane.lives = 3;
    plane.new_best = false;
    world.counters = StageCounters::first_stage();
}

void start_stage(World& world) {
    world.flow.phase_timer = 0;
    world.player.place_for_fly_in();
    world.blimp.set_up_for_stage();
    world.mountains.scroll_speed = Mountains::kScrollFacingRight;
    world.mountains.mountain1_x = 100;
    world.mountains.mountain2_x = 514;
    Cloud::spawn_for_stage(world);
    EnemyPlane::spawn_for_stage(world);
    Balloon::spawn_for_stage(world);
    world.flow.phase = StagePhase::kFlyIn;
    world.sounds.play(Effect::kStageStart);
    world.sounds.start_engine_loop();
}

void clear_world(World& world) {
    world.blimp.state = BlimpState::kGone;
    world.for_each_list([](const char*, auto& list) { list.remove_all(); });
}

// Each step is a fixed sequence: what runs later is drawn on top, and the
// targets test themselves against shots and the plane where those stood after
// the previous frame.

void fly_in_step(World& world) {
    world.player.update_fly_in(world);
    world.mountains.update(world);
    Cloud::update_all(world);
}

void play_step(World& world) {
    BalloonPop::update_all(world);
    Cloud::update_all(world);
    EnemyPlane::update_all(world);
    Balloon::update_all(world);
    world.player.update(world);
    world.blimp.update(world);
    PlayerShot::update_all(world);
    world.mountains.update(world);
    DebrisPiece::update_all(world);
    SmokePuff::update_all(world);
    Explosion::update_all(world);
    PointsPopup::update_all(world);
}

void clear_step(World& world) {
    world.flow.phase_timer += 1;
    world.mountains.update(world);
    Cloud::update_all(world);
}

// The death sequence: the world runs on without the player's plane.
void wreck_step(World& world) {
    world.flow.phase_timer += 1;
    BalloonPop::update_all(world);
    Cloud::update_all(world);
    EnemyPlane::update_all(world);
    Balloon::update_all(world);
    PlayerShot::update_all(world);
    world.blimp.update(world);
    world.mountains.update(world);
    DebrisPiece::update_all(world);
    SmokePuff::update_all(world);
    Explosion::update_all(world);
    PointsPopup::update_all(world);
}

void game_over_step(World& world) {
    world.flow.phase_timer += 1;
    Cloud::update_all(world);
    world.mountains.update(world);
}
