#include "world/player.h"

#include "services/graphics.h"
#include "services/input.h"
#include "services/sound.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/ebplane.h"
#include "world/effects.h"
#include "world/particles.h"
#include "world/pshot.h"
#include "world/scenery.h"
#include "world/world.h"

player_tag player;

namespace {
constexpr int kFaceLeft = 0;
constexpr int kFaceRight = 1;
constexpr int kScrollFacingLeft = 4;
constexpr int kScrollFacingRight = -4;

constexpr float kStartX = 80.0f;
constexpr float kStartY = 200.0f;
constexpr float kRestRight = 200.0f;       // resting place facing right, where play begins
constexpr float kSlideLimitLeft = 438.0f;  // steps of 6 from 200 stop at 440
constexpr float kSlideStep = 6.0f;
constexpr float kClimbStep = 2.0f;
constexpr float kTop = 110.0f;
constexpr float kBottom = 432.0f;

constexpr int kSafeFrames = 250;
constexpr int kBlinkPeriodEnd = 5;  // blink_ctr runs 0..5; drawn while below 3
constexpr int kBlinkShown = 3;

constexpr int kJoyPort = 0;
constexpr int kFireButton = 0;

void set_plain_mask_state() {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
}
}  // namespace

void player_tag::reset(int new_game) {
    if (new_game != 0) {
        player.score = 0;
        player.level = 1;
        player.lives = 3;
        player.new_bs = 0;
        enemies_per_stage = 10;
        balloons_per_stage = 3;
    }
    if (startup_reset != 0) return;

    phase_timer = 0;
    player.dir = kFaceRight;
    player.x = kStartX;
    player.y = kStartY;
    blink_ctr = 0;
    safe_timer = kSafeFrames;
    blimp_update(1);
    mountains.mspd = kScrollFacingRight;
    mountains.mt1_x = 100;
    mountains.mt2_x = 514;
    cloud_tag::create_em();
    ebplane_tag::create_em();
    balloon_tag::create_em();
    stage_phase = phase::kFlyIn;
    play_effect(snd_startstage);
    start_engine_loop();
}

// Turns and fire count presses; climbing and diving follow the held key. The
// joystick counts only at full deflection and is asked only when the key is not.
void player_tag::get_inputs() {
    if (stage_phase != phase::kPlay) return;
    if (svc::key_hit(svc::vk::kLeft) || svc::joy_x(kJoyPort) == -1.0f) {
        dir = kFaceLeft;
        mountains.mspd = kScrollFacingLeft;
    }
    if (svc::key_hit(svc::vk::kRight) || svc::joy_x(kJoyPort) == 1.0f) {
        dir = kFaceRight;
        mountains.mspd = kScrollFacingRight;
    }
    if (svc::key_down(svc::vk::kUp) || svc::joy_y(kJoyPort) == -1.0f) y -= kClimbStep;
    if (svc::key_down(svc::vk::kDown) || svc::joy_y(kJoyPort) == 1.0f) y += kClimbStep;
    if (svc::key_hit(svc::vk::kLeftControl) || svc::joy_hit(kFireButton, kJoyPort) != 0) {
        pshot_tag::fire();
        play_effect(snd_fire);
    }
}

void player_tag::update() {
    get_inputs();
    set_plain_mask_state();
    if (!(y >= kTop)) y = kTop;
    if (!(y <= kBottom)) y = kBottom;

    // Slide towards the side that leaves room ahead of the nose.
    if (dir == kFaceLeft && x < kSlideLimitLeft) x += kSlideStep;
    if (dir == kFaceRight && x > kRestRight) x -= kSlideStep;

    if (safe_timer != 0) {
        safe_timer -= 1;
        blink_ctr += 1;
        if (blink_ctr > kBlinkPeriodEnd) blink_ctr = 0;
    } else {
        blink_ctr = 0;
    }
    if (blink_ctr < kBlinkShown) svc::draw_image(sprite_frames, x, y, dir);
}

// The fly-in draws the plane nose right whatever dir holds, from x 80 to 200.
void player_tag::update2() {
    set_plain_mask_state();
    svc::draw_image(sprite_frames, x, y, kFaceRight);
    x += 1.0f;
    if (!(x <= kRestRight)) {
        x = kRestRight;
        stage_phase = phase::kPlay;
    }
}

void player_tag::init_death() {
    phase_timer = 0;
    player.lives -= 1;
    explode_tag::create_it(player.x, player.y, 1.5f);
    const int first_piece = player.dir == kFaceLeft ? 2 : 6;
    particle_tag::create_em(player.x, player.y, first_piece, 4);
    // Far above the mountains, so the rest of the death sequence finds no contact.
    player.x = 0.0f;
    player.y = 0.0f;
    play_effect(snd_pldeath);
    game_state = state::kDying;
    svc::stop_channel(engine_channel);
}
