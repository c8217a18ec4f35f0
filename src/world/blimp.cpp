#include "world/blimp.h"

#include "drawing/plain_style.h"
#include "game/assets.h"
#include "game/sound_cues.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/effects.h"
#include "world/hits.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

Blimp blimp;

namespace {
constexpr int kBandLeft = 60, kBandRight = 580;
constexpr int kWrapLeft = -6000, kWrapRight = 6640;
}  // namespace

void Blimp::set_up_for_stage() {
    state = kFlying;
    frame = static_cast<int>(
        svc::random_real(sprite_frame::kBlimpNoseLeft, sprite_frame::kBlimpNoseRight + 1));
    y = static_cast<int>(svc::random_real(125.0, 300.0));
    x = static_cast<int>(svc::random_real(-6000.0, 6640.0));
    puff_timer = 0;
    puff_frame = 0;
}

void Blimp::update() {
    use_plain_mask_style();
    if (state == kFlying)
        fly();
    else if (state == kHit)
        blow_off();
}

void Blimp::fly() {
    x += mountains.scroll_speed / 2;
    if (x < kWrapLeft) x = kWrapRight;
    if (x > kWrapRight) x = kWrapLeft;
    if (!(x > kBandLeft && x < kBandRight)) return;

    svc::draw_image(pictures.sprites, static_cast<float>(x), static_cast<float>(y), frame);
    // Every overlapping shot of the walk is a hit; later shots, and then the
    // plane, are tested against the frame as it stands after the earlier hits.
    for_each_shot_hitting(*this, TestOrder::kTargetSecond,
                          [this](PlayerShot& shot) { shot_hit(shot); });
    if (touches_plane(sprite(), TestOrder::kTargetSecond)) ram_plane();
}

// After a hit in the same update, frame already holds the punctured picture's
// number, and the later tests read it as a frame of the sprite sheet.
SheetSprite Blimp::sprite() const {
    return {x, y, frame};
}

void Blimp::shot_hit(PlayerShot& shot) {
    state = kHit;
    play_effect(effect_sounds.blimp_hit);
    player_shot_list.remove(shot);
    player.score += 250 * player.level;
    PointsPopup::spawn(x, y, 250 * player.level);
    puncture();
}

void Blimp::ram_plane() {
    state = kHit;
    play_effect(effect_sounds.blimp_hit);
    puncture();
    Player::crash();
}

// From the whole blimp's sprite frame to the first of its punctured pictures;
// a frame already switched stays as it is.
void Blimp::puncture() {
    state = kHit;
    if (frame == sprite_frame::kBlimpNoseLeft)
        frame = blimp_frame::kHitNoseLeft;
    else if (frame == sprite_frame::kBlimpNoseRight)
        frame = blimp_frame::kHitNoseRight;
}

// Blown off against its nose, the gas puff at the nose alternating every 5 frames.
void Blimp::blow_off() {
    x += frame == blimp_frame::kHitNoseLeft ? 2 : -2;
    if (x < kBandLeft || x > kBandRight) state = kGone;
    svc::draw_image(pictures.blimp, static_cast<float>(x), static_cast<float>(y),
                    frame + puff_frame);
    if (++puff_timer > 4) {
        puff_timer = 0;
        if (++puff_frame > 1) puff_frame = 0;
    }
}
