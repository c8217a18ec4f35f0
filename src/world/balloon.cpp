#include "world/balloon.h"

#include <memory>

#include "services/graphics.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/effects.h"
#include "world/player.h"
#include "world/pshot.h"
#include "world/scenery.h"
#include "world/world.h"

EntityList<balloon_tag> balloon_list;

namespace {

constexpr float kTop = 125.0f;
constexpr float kBottom = 300.0f;
constexpr float kBobSpeed = 0.2f;
constexpr int kBalloonFrame = 14;
constexpr int kShotFrame = 21;

}  // namespace

void balloon_tag::create_em() {
    const int count = balloons_per_stage;
    for (int i = 0; i < count; ++i) {
        auto balloon = std::make_unique<balloon_tag>();
        balloon->y = static_cast<float>(svc::rnd(125.0, 300.0));
        balloon->x = static_cast<int>(svc::rnd(-2000.0, 2640.0));
        balloon->dir = -kBobSpeed;
        balloon_list.add_last(std::move(balloon));
    }
}

void balloon_tag::update() {
    y += dir;
    if (!(y >= kTop)) {
        y = kTop;
        dir = kBobSpeed;
    }
    if (!(y <= kBottom)) {
        y = kBottom;
        dir = -kBobSpeed;
    }
    x += mountains.mspd;
    if (x < -2000) x = 2640;
    if (x > 2640) x = -2000;
    if (!(x > 80 && x < 560)) return;

    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    svc::draw_image(sprite_frames, static_cast<float>(x), y, kBalloonFrame);

    const int whole_y = static_cast<int>(y);
    const auto pop = [&](pshot_tag* shot) {
        play_effect(snd_balloonpop);
        if (shot) pshot_list.remove(*shot);
        bpop_tag::create_it(x, y);
        points_tag::create_it(x, whole_y, -150 * player.level);
        player.score -= 150 * player.level;
        if (player.score < 0) player.score = 0;
        balloon_list.remove(*this);
    };
    // Every overlapping shot pops it again, and touching the plane in the same
    // update costs once more.
    pshot_list.enumerate([&](pshot_tag& shot) {
        if (!svc::images_collide(sprite_frames, x, whole_y, kBalloonFrame, sprite_frames, shot.x,
                                 shot.y, kShotFrame))
            return;
        pop(&shot);
    });
    if (safe_timer != 0) return;
    if (svc::images_collide(sprite_frames, x, whole_y, kBalloonFrame, sprite_frames,
                            static_cast<int>(player.x), static_cast<int>(player.y), player.dir))
        pop(nullptr);
}

void balloon_tag::update_all() {
    balloon_list.enumerate([](balloon_tag& balloon) { balloon.update(); });
}

void balloon_tag::destroy_all() {
    balloon_list.enumerate([](balloon_tag& balloon) { balloon_list.remove(balloon); });
}
