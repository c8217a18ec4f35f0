#include "world/player.h"

#include "drawing/plain_style.h"
#include "game/controls.h"
#include "services/audio/sound.h"
#include "services/rendering/graphics.h"
#include "world/world.h"

namespace {
constexpr int kScrollFacingLeft = Mountains::kScrollFacingLeft;
constexpr int kScrollFacingRight = Mountains::kScrollFacingRight;

constexpr float kStartX = 80.0f;
constexpr float kStartY = 200.0f;
constexpr float kRestRight = 200.0f;       // resting place facing right, where play begins
constexpr float kSlideLimitLeft = 438.0f;  // steps of 6 from 200 stop at 440
constexpr float kSlideStep = 6.0f;
constexpr float kClimbStep = 2.0f;
constexpr float kTop = 110.0f;
constexpr float kBottom = 432.0f;

constexpr int kSafeFrames = 250;
constexpr int kBlinkPeriodEnd = 5;  // blink_phase runs 0..5; drawn while below 3
constexpr int kBlinkShown = 3;
}  // namespace

void Player::place_for_fly_in() {
    facing = Facing::kRight;
    x = kStartX;
    y = kStartY;
    blink_phase = 0;
    invulnerable_frames = kSafeFrames;
}

void Player::read_controls(World& world) {
    if (world.flow.phase != StagePhase::kPlay) return;
    if (controls::turn_left_pressed()) {
        facing = Facing::kLeft;
        world.mountains.scroll_speed = kScrollFacingLeft;
    }
    if (controls::turn_right_pressed()) {
        facing = Facing::kRight;
        world.mountains.scroll_speed = kScrollFacingRight;
    }
    if (controls::climb_held()) y -= kClimbStep;
    if (controls::dive_held()) y += kClimbStep;
    if (controls::fire_pressed()) {
        PlayerShot::fire(world);
        world.sounds.play(Effect::kFire);
    }
}

void Player::update(World& world) {
    read_controls(world);
    use_plain_mask_style();
    if (!(y >= kTop)) y = kTop;
    if (!(y <= kBottom)) y = kBottom;

    // Slide towards the side that leaves room ahead of the nose.
    if (facing == Facing::kLeft && x < kSlideLimitLeft) x += kSlideStep;
    if (facing == Facing::kRight && x > kRestRight) x -= kSlideStep;

    if (invulnerable_frames != 0) {
        invulnerable_frames -= 1;
        blink_phase += 1;
        if (blink_phase > kBlinkPeriodEnd) blink_phase = 0;
    } else {
        blink_phase = 0;
    }
    if (blink_phase < kBlinkShown) svc::draw_image(world.pictures.sprites, x, y, frame());
}

// The fly-in draws the plane nose right whatever facing holds, from x 80 to 200.
void Player::update_fly_in(World& world) {
    use_plain_mask_style();
    svc::draw_image(world.pictures.sprites, x, y, sprite_frame::kPlayerNoseRight);
    x += 1.0f;
    if (!(x <= kRestRight)) {
        x = kRestRight;
        world.flow.phase = StagePhase::kPlay;
    }
}

void crash_plane(World& world) {
    Player& plane = world.player;
    world.flow.phase_timer = 0;
    plane.lives -= 1;
    Explosion::spawn(world, plane.x, plane.y, 1.5f);
    const int first_piece = plane.facing == Facing::kLeft ? sprite_frame::kPlayerPiecesNoseLeft
                                                          : sprite_frame::kPlayerPiecesNoseRight;
    DebrisPiece::spawn(world, plane.x, plane.y, first_piece, sprite_frame::kPlayerPieceCount);
    // Far above the mountains, so the rest of the death sequence finds no contact.
    plane.x = 0.0f;
    plane.y = 0.0f;
    world.sounds.play(Effect::kPlayerDeath);
    world.flow.state = GameState::kDying;
    svc::stop_channel(world.sounds.engine_channel());
}
