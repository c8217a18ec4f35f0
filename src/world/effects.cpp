#include "world/effects.h"

#include <cstdint>
#include <memory>
#include <string>

#include "drawing/plain_style.h"
#include "drawing/scoped_transform.h"
#include "drawing/text_pen.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "world/world.h"

namespace {

constexpr int kUpdatesPerBlastFrame = 25;
constexpr float kPopFade = 0.02f;
constexpr float kPointsFade = 0.004f;
constexpr int kPointsRise = 2;
constexpr int kPointsCeiling = 100;

// "+45" for gains; "-150" for losses, and "-0" for nothing.
std::string points_text(int amount) {
    if (amount > 0) return "+" + std::to_string(amount);
    const std::int64_t magnitude = -static_cast<std::int64_t>(amount);
    return "-" + std::to_string(magnitude);
}

}  // namespace

void Explosion::spawn(World& world, float x, float y, float scale) {
    auto blast = std::make_unique<Explosion>();
    blast->frame = sprite_frame::kFirstBlast;
    blast->scale = scale;
    blast->x = x;
    blast->y = y;
    world.explosions.add_last(std::move(blast));
}

void Explosion::update(World& world) {
    ++frame_timer;
    use_plain_mask_style();
    const ScopedScale scaled(scale, scale);
    svc::draw_image(world.pictures.sprites, x, y, frame);
    if (frame_timer >= kUpdatesPerBlastFrame) {
        frame_timer = 0;
        if (++frame > sprite_frame::kLastBlast) world.explosions.remove(*this);
    }
}

void Explosion::update_all(World& world) {
    world.explosions.enumerate([&](Explosion& blast) { blast.update(world); });
}

void BalloonPop::spawn(World& world, int x, float y) {
    auto pop = std::make_unique<BalloonPop>();
    pop->alpha = 1.0f;
    pop->x = x;
    pop->y = static_cast<int>(y);
    world.balloon_pops.add_last(std::move(pop));
}

void BalloonPop::update(World& world) {
    svc::set_blend(svc::BlendMode::kAlpha);
    svc::set_alpha(alpha);
    svc::set_colour(255, 255, 255);
    svc::draw_image(world.pictures.sprites, static_cast<float>(x), static_cast<float>(y),
                    sprite_frame::kBalloonPop);
    alpha -= kPopFade;
    if (!(alpha > 0.0f)) world.balloon_pops.remove(*this);
}

void BalloonPop::update_all(World& world) {
    world.balloon_pops.enumerate([&](BalloonPop& pop) { pop.update(world); });
}

void award_points(World& world, int x, int y, int points_per_stage) {
    Player& plane = world.player;
    const int amount = points_per_stage * plane.level;
    PointsPopup::spawn(world, x, y, amount);
    plane.score += amount;
    if (plane.score < 0) plane.score = 0;
}

void PointsPopup::spawn(World& world, int x, int y, int amount) {
    auto text = std::make_unique<PointsPopup>();
    text->alpha = 1.0f;
    text->x = x;
    text->y = y;
    text->text = points_text(amount);
    world.points_popups.add_last(std::move(text));
}

// Rises to y 100 and fades there, centred for the font's size.
void PointsPopup::update(World& world) {
    svc::set_blend(svc::BlendMode::kAlpha);
    svc::set_alpha(alpha);
    svc::set_colour(80, 80, 80);
    y -= kPointsRise;
    if (y < kPointsCeiling) y = kPointsCeiling;
    draw_centred(text, static_cast<float>(x), static_cast<float>(y), kFontSize);
    alpha -= kPointsFade;
    if (!(alpha > 0.0f)) world.points_popups.remove(*this);
}

void PointsPopup::update_all(World& world) {
    world.points_popups.enumerate([&](PointsPopup& text) { text.update(world); });
}
