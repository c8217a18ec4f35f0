#include "world/blimp.h"

#include "drawing/plain_style.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/hits.h"
#include "world/world.h"

namespace {
constexpr int kBandLeft = 60, kBandRight = 580;
constexpr int kWrapLeft = -6000, kWrapRight = 6640;
constexpr int kBlimpBonus = 250;  // points per stage number
}  // namespace

void Blimp::set_up_for_stage() {
    state = BlimpState::kFlying;
    const int frame = static_cast<int>(
        svc::random_real(sprite_frame::kBlimpNoseLeft, sprite_frame::kBlimpNoseRight + 1));
    nose = frame == sprite_frame::kBlimpNoseLeft ? Facing::kLeft : Facing::kRight;
    y = static_cast<int>(svc::random_real(kSkyTop, kSkyBottom));
    x = static_cast<int>(svc::random_real(-6000.0, 6640.0));
    puff_timer = 0;
    puff_frame = 0;
}

void Blimp::update(World& world) {
    use_plain_mask_style();
    if (state == BlimpState::kFlying)
        fly(world);
    else if (state == BlimpState::kHit)
        blow_off(world);
}

int Blimp::frame() const {
    if (state == BlimpState::kFlying) {
        return nose == Facing::kLeft ? sprite_frame::kBlimpNoseLeft : sprite_frame::kBlimpNoseRight;
    }
    return nose == Facing::kLeft ? blimp_frame::kHitNoseLeft : blimp_frame::kHitNoseRight;
}

void Blimp::fly(World& world) {
    x += world.mountains.scroll_speed / 2;
    if (x < kWrapLeft) x = kWrapRight;
    if (x > kWrapRight) x = kWrapLeft;
    if (!(x > kBandLeft && x < kBandRight)) return;

    svc::draw_image(world.pictures.sprites, static_cast<float>(x), static_cast<float>(y), frame());
    // Every overlapping shot of the walk is a hit; later shots, and then the
    // plane, are tested against the frame as it stands after the earlier hits.
    for_each_shot_hitting(world, *this, TestOrder::kTargetSecond,
                          [&](PlayerShot& shot) { shot_hit(world, shot); });
    if (touches_plane(world, sprite(), TestOrder::kTargetSecond)) ram_plane(world);
}

// After a hit in the same update the frame is the punctured picture's number,
// which the later tests read as a frame of the sprite sheet.
SheetSprite Blimp::sprite() const {
    return {x, y, frame()};
}

void Blimp::shot_hit(World& world, PlayerShot& shot) {
    state = BlimpState::kHit;
    world.sounds.play(Effect::kBlimpHit);
    world.shots.remove(shot);
    award_points(world, x, y, kBlimpBonus);
    puncture();
}

void Blimp::ram_plane(World& world) {
    state = BlimpState::kHit;
    world.sounds.play(Effect::kBlimpHit);
    puncture();
    crash_plane(world);
}

// From the whole blimp's pictures to its punctured ones, nose as it was.
void Blimp::puncture() {
    state = BlimpState::kHit;
}

// Blown off against its nose, the gas puff at the nose alternating every 5 frames.
void Blimp::blow_off(World& world) {
    x += nose == Facing::kLeft ? 2 : -2;
    if (x < kBandLeft || x > kBandRight) state = BlimpState::kGone;
    svc::draw_image(world.pictures.blimp, static_cast<float>(x), static_cast<float>(y),
                    frame() + puff_frame);
    if (++puff_timer > 4) {
        puff_timer = 0;
        if (++puff_frame > 1) puff_frame = 0;
    }
}
