#include "world/world.h"

#include "shell/globals.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/ebplane.h"
#include "world/effects.h"
#include "world/particles.h"
#include "world/player.h"
#include "world/pshot.h"
#include "world/scenery.h"

int live_enemies = 0;
int enemies_per_stage = 0;
int balloons_per_stage = 0;
int safe_timer = 0;
int blink_ctr = 0;
int startup_reset = 1;

void clear_world() {
    blimp_state = 2;
    bpop_tag::destroy_all();
    pshot_tag::destroy_all();
    cloud_tag::destroy_all();
    smoke_tag::destroy_all();
    points_tag::destroy_all();
    ebplane_tag::destroy_all();
    explode_tag::destroy_all();
    particle_tag::destroy_all();
    balloon_tag::destroy_all();
}

// Each step is a fixed sequence: what runs later is drawn on top, and the
// targets test themselves against shots and the plane where those stood after
// the previous frame.

void fly_in_step() {
    player.update2();
    mountains.update();
    cloud_tag::update_all();
}

void play_step() {
    bpop_tag::update_all();
    cloud_tag::update_all();
    ebplane_tag::update_all();
    balloon_tag::update_all();
    player.update();
    blimp_update(0);
    pshot_tag::update_all();
    mountains.update();
    particle_tag::update_all();
    smoke_tag::update_all();
    explode_tag::update_all();
    points_tag::update_all();
}

void clear_step() {
    phase_timer += 1;
    mountains.update();
    cloud_tag::update_all();
}

// The death sequence: the world runs on without the player's plane.
void wreck_step() {
    phase_timer += 1;
    bpop_tag::update_all();
    cloud_tag::update_all();
    ebplane_tag::update_all();
    balloon_tag::update_all();
    pshot_tag::update_all();
    blimp_update(0);
    mountains.update();
    particle_tag::update_all();
    smoke_tag::update_all();
    explode_tag::update_all();
    points_tag::update_all();
}

void game_over_step() {
    phase_timer += 1;
    cloud_tag::update_all();
    mountains.update();
}

void reset_world_globals() {
    clear_world();
    reset_blimp_globals();
    live_enemies = 0;
    enemies_per_stage = 0;
    balloons_per_stage = 0;
    safe_timer = 0;
    blink_ctr = 0;
    startup_reset = 1;
    player = player_tag{};
    mountains = mountain_tag{};
}
