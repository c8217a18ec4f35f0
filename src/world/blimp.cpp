#include "world/blimp.h"

#include "services/graphics.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/effects.h"
#include "world/player.h"
#include "world/pshot.h"
#include "world/scenery.h"
#include "world/world.h"

int blimp_x = 0;
int blimp_y = 0;
int blimp_frame = 0;
int blimp_state = 0;
int blimp_anim = 0;
int blimp_anim_tmr = 0;

namespace {

constexpr int kFlying = 1, kHit = 0, kGone = 2;
constexpr int kBandLeft = 60, kBandRight = 580;
constexpr int kShotFrame = 21;

void set_up() {
    blimp_state = kFlying;
    blimp_frame = static_cast<int>(svc::rnd(10.0, 12.0));
    blimp_y = static_cast<int>(svc::rnd(125.0, 300.0));
    blimp_x = static_cast<int>(svc::rnd(-6000.0, 6640.0));
    blimp_anim_tmr = 0;
    blimp_anim = 0;
}

// From the whole blimp's sprite frame to the first frame of its punctured
// pictures; a frame already switched stays as it is.
void puncture() {
    blimp_state = kHit;
    if (blimp_frame == 10)
        blimp_frame = 0;
    else if (blimp_frame == 11)
        blimp_frame = 2;
}

void fly() {
    blimp_x += mountains.mspd / 2;
    if (blimp_x < -6000) blimp_x = 6640;
    if (blimp_x > 6640) blimp_x = -6000;
    if (!(blimp_x > kBandLeft && blimp_x < kBandRight)) return;

    svc::draw_image(sprite_frames, static_cast<float>(blimp_x), static_cast<float>(blimp_y),
                    blimp_frame);
    // Every overlapping shot of the walk is a hit; later shots are tested
    // against the frame as it stands after the earlier hits.
    pshot_list.enumerate([](pshot_tag& shot) {
        if (!svc::images_collide(sprite_frames, shot.x, shot.y, kShotFrame, sprite_frames, blimp_x,
                                 blimp_y, blimp_frame))
            return;
        blimp_state = kHit;
        play_effect(snd_blimphit);
        pshot_list.remove(shot);
        player.score += 250 * player.level;
        points_tag::create_it(blimp_x, blimp_y, 250 * player.level);
        puncture();
    });
    if (safe_timer != 0) return;
    if (!svc::images_collide(sprite_frames, static_cast<int>(player.x), static_cast<int>(player.y),
                             player.dir, sprite_frames, blimp_x, blimp_y, blimp_frame))
        return;
    blimp_state = kHit;
    play_effect(snd_blimphit);
    puncture();
    player_tag::init_death();
}

// Blown off against its nose, the gas puff at the nose alternating every 5 frames.
void blow_off() {
    blimp_x += blimp_frame == 0 ? 2 : -2;
    if (blimp_x < kBandLeft || blimp_x > kBandRight) blimp_state = kGone;
    svc::draw_image(blimp_frames, static_cast<float>(blimp_x), static_cast<float>(blimp_y),
                    blimp_frame + blimp_anim);
    if (++blimp_anim_tmr > 4) {
        blimp_anim_tmr = 0;
        if (++blimp_anim > 1) blimp_anim = 0;
    }
}

}  // namespace

void blimp_update(int setup) {
    if (setup != 0) {
        set_up();
        return;
    }
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    if (blimp_state == kFlying)
        fly();
    else if (blimp_state == kHit)
        blow_off();
}

void reset_blimp_globals() {
    blimp_x = blimp_y = blimp_frame = blimp_state = blimp_anim = blimp_anim_tmr = 0;
}
