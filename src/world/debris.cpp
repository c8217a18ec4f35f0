#include "world/debris.h"

#include <memory>

#include "drawing/plain_style.h"
#include "drawing/scoped_transform.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/world.h"

namespace {

constexpr float kGravity = 0.03f;
constexpr int kSmokeEvery = 5;
constexpr float kSmokeFade = 0.02f;
constexpr float kSmokeGrowth = 0.004f;

// Debris lives inside this box and is drawn once more where it leaves it.
bool outside_box(float x, float y) {
    return y > 440.0f || y < 100.0f || x < 80.0f || x > 550.0f;
}

}  // namespace

void DebrisPiece::spawn(World& world, float x, float y, int first_frame, int count) {
    for (int i = 0; i < count; ++i) {
        auto piece = std::make_unique<DebrisPiece>();
        piece->rotation = svc::random_int(1, 360);
        piece->frame = first_frame + i;
        piece->speed_x = static_cast<float>(svc::random_real(-3.5, 3.5));
        piece->speed_y = static_cast<float>(svc::random_real(-2.5, 1.5));
        piece->x = x;
        piece->y = y;
        world.debris.add_last(std::move(piece));
    }
}

void DebrisPiece::update(World& world) {
    ++frames_since_smoke;
    use_plain_mask_style();
    x += speed_x;
    y += speed_y;
    speed_y += kGravity;
    rotation += 2;
    const ScopedRotation turned(static_cast<float>(rotation));
    svc::draw_image(world.pictures.sprites, x, y, frame);
    if (frames_since_smoke >= kSmokeEvery) {
        frames_since_smoke = 0;
        SmokePuff::spawn(world, x, y);
    }
    if (outside_box(x, y)) world.debris.remove(*this);
}

void DebrisPiece::update_all(World& world) {
    world.debris.enumerate([&](DebrisPiece& piece) { piece.update(world); });
}

void SmokePuff::spawn(World& world, float x, float y) {
    auto puff = std::make_unique<SmokePuff>();
    puff->life = 1.0f;
    puff->rotation = static_cast<int>(svc::random_real(0.0, 360.0));
    puff->scale = 0.3f;
    puff->x = x;
    puff->y = y;
    world.smoke.add_last(std::move(puff));
}

// A puff is drawn opaque; its life counts down by 0.02 a frame (51
// updates in single precision).
void SmokePuff::update(World& world) {
    svc::set_blend(svc::BlendMode::kAlpha);
    svc::set_alpha(1.0f);
    svc::set_colour(255, 255, 255);
    const ScopedTransform turned_and_scaled(static_cast<float>(rotation), scale, scale);
    svc::draw_image(world.pictures.sprites, x, y, sprite_frame::kSmoke);
    life -= kSmokeFade;
    scale += kSmokeGrowth;
    rotation += 5;
    if (!(life > 0.0f)) world.smoke.remove(*this);
}

void SmokePuff::update_all(World& world) {
    world.smoke.enumerate([&](SmokePuff& puff) { puff.update(world); });
}
