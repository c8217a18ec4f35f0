#include "world/effects.h"

#include <cstdint>
#include <memory>
#include <string>

#include "drawing/qbdraw.h"
#include "services/graphics.h"
#include "shell/globals.h"

EntityList<explode_tag> explode_list;
EntityList<bpop_tag> bpop_list;
EntityList<points_tag> points_list;

namespace {

constexpr int kFirstBlastFrame = 22;
constexpr int kLastBlastFrame = 25;
constexpr int kUpdatesPerBlastFrame = 25;
constexpr int kPopFrame = 15;
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

void explode_tag::create_it(float x, float y, float scale) {
    auto blast = std::make_unique<explode_tag>();
    blast->frame = kFirstBlastFrame;
    blast->scale = scale;
    blast->x = x;
    blast->y = y;
    explode_list.add_last(std::move(blast));
}

void explode_tag::update() {
    ++fr_tmr;
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    svc::set_scale(scale, scale);
    svc::draw_image(sprite_frames, x, y, frame);
    if (fr_tmr >= kUpdatesPerBlastFrame) {
        fr_tmr = 0;
        if (++frame > kLastBlastFrame) explode_list.remove(*this);
    }
    svc::set_scale(1.0f, 1.0f);
}

void explode_tag::update_all() {
    explode_list.enumerate([](explode_tag& blast) { blast.update(); });
}

void explode_tag::destroy_all() {
    explode_list.enumerate([](explode_tag& blast) { explode_list.remove(blast); });
}

void bpop_tag::create_it(int x, float y) {
    auto pop = std::make_unique<bpop_tag>();
    pop->alpha = 1.0f;
    pop->x = x;
    pop->y = static_cast<int>(y);
    bpop_list.add_last(std::move(pop));
}

void bpop_tag::update() {
    svc::set_blend(svc::kAlphaBlend);
    svc::set_alpha(alpha);
    svc::set_colour(255, 255, 255);
    svc::draw_image(sprite_frames, static_cast<float>(x), static_cast<float>(y), kPopFrame);
    alpha -= kPopFade;
    if (!(alpha > 0.0f)) bpop_list.remove(*this);
}

void bpop_tag::update_all() {
    bpop_list.enumerate([](bpop_tag& pop) { pop.update(); });
}

void bpop_tag::destroy_all() {
    bpop_list.enumerate([](bpop_tag& pop) { bpop_list.remove(pop); });
}

void points_tag::create_it(int x, int y, int amount) {
    auto text = std::make_unique<points_tag>();
    text->alpha = 1.0f;
    text->x = x;
    text->y = y;
    text->amnt = points_text(amount);
    points_list.add_last(std::move(text));
}

// Rises to y 100 and fades there; centred for the text scale recorded by the
// frame's last text_drawer.sip.
void points_tag::update() {
    svc::set_blend(svc::kAlphaBlend);
    svc::set_alpha(alpha);
    svc::set_colour(80, 80, 80);
    y -= kPointsRise;
    if (y < kPointsCeiling) y = kPointsCeiling;
    text_drawer.t3d(amnt, static_cast<float>(x), static_cast<float>(y), 1);
    alpha -= kPointsFade;
    if (!(alpha > 0.0f)) points_list.remove(*this);
}

void points_tag::update_all() {
    points_list.enumerate([](points_tag& text) { text.update(); });
}

void points_tag::destroy_all() {
    points_list.enumerate([](points_tag& text) { points_list.remove(text); });
}
