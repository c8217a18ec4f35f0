#include "world/balloon.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/hits.h"
#include "world/world.h"

namespace {

constexpr float kTop = kSkyTop;
constexpr float kBottom = kSkyBottom;
constexpr float kBobSpeed = 0.2f;
constexpr int kBalloonPenalty = 150;  // points lost per stage number

}  // namespace

void Balloon::spawn_for_stage(World& world) {
    const int count = world.counters.balloons_per_stage;
    for (int i = 0; i < count; ++i) {
        auto balloon = std::make_unique<Balloon>();
        balloon->y = static_cast<float>(svc::random_real(kSkyTop, kSkyBottom));
        balloon->x = static_cast<int>(svc::random_real(-2000.0, 2640.0));
        balloon->vertical_speed = -kBobSpeed;
        world.balloons.add_last(std::move(balloon));
    }
}

void Balloon::update(World& world) {
    y += vertical_speed;
    if (!(y >= kTop)) {
        y = kTop;
        vertical_speed = kBobSpeed;
    }
    if (!(y <= kBottom)) {
        y = kBottom;
        vertical_speed = -kBobSpeed;
    }
    x += world.mountains.scroll_speed;
    if (x < -2000) x = 2640;
    if (x > 2640) x = -2000;
    if (!(x > 80 && x < 560)) return;

    use_plain_mask_style();
    svc::draw_image(world.pictures.sprites, static_cast<float>(x), y, sprite_frame::kBalloon);
    // Every overlapping shot pops it again, and touching the plane in the same
    // update costs once more.
    for_each_shot_hitting(world, *this, TestOrder::kTargetFirst,
                          [&](PlayerShot& shot) { pop(world, &shot); });
    if (touches_plane(world, sprite(), TestOrder::kTargetFirst)) pop(world, nullptr);
}

SheetSprite Balloon::sprite() const {
    return {x, static_cast<int>(y), sprite_frame::kBalloon};
}

void Balloon::pop(World& world, PlayerShot* shot) {
    world.sounds.play(Effect::kBalloonPop);
    if (shot) world.shots.remove(*shot);
    BalloonPop::spawn(world, x, y);
    award_points(world, x, static_cast<int>(y), -kBalloonPenalty);
    world.balloons.remove(*this);
}

void Balloon::update_all(World& world) {
    world.balloons.enumerate([&](Balloon& balloon) { balloon.update(world); });
}
