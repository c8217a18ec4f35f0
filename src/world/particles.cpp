#include "world/particles.h"

#include <memory>

#include "services/graphics.h"
#include "services/timing.h"
#include "shell/globals.h"

EntityList<particle_tag> particle_list;
EntityList<smoke_tag> smoke_list;

namespace {

constexpr float kGravity = 0.03f;
constexpr int kSmokeEvery = 5;
constexpr int kSmokeFrame = 20;
constexpr float kSmokeFade = 0.02f;
constexpr float kSmokeGrowth = 0.004f;

// Debris lives inside this box and is drawn once more where it leaves it.
bool outside_box(float x, float y) {
    return y > 440.0f || y < 100.0f || x < 80.0f || x > 550.0f;
}

}  // namespace

void particle_tag::create_em(float x, float y, int first_frame, int count) {
    for (int i = 0; i < count; ++i) {
        auto piece = std::make_unique<particle_tag>();
        piece->rot = svc::rand(1, 360);
        piece->frame = first_frame + i;
        piece->xs = static_cast<float>(svc::rnd(-3.5, 3.5));
        piece->ys = static_cast<float>(svc::rnd(-2.5, 1.5));
        piece->x = x;
        piece->y = y;
        particle_list.add_last(std::move(piece));
    }
}

void particle_tag::update() {
    ++smctr;
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    x += xs;
    y += ys;
    ys += kGravity;
    rot += 2;
    svc::set_rotation(static_cast<float>(rot));
    svc::draw_image(sprite_frames, x, y, frame);
    if (smctr >= kSmokeEvery) {
        smctr = 0;
        smoke_tag::create_it(x, y);
    }
    if (outside_box(x, y)) particle_list.remove(*this);
    svc::set_rotation(0.0f);
}

void particle_tag::update_all() {
    particle_list.enumerate([](particle_tag& piece) { piece.update(); });
}

void particle_tag::destroy_all() {
    particle_list.enumerate([](particle_tag& piece) { particle_list.remove(piece); });
}

void smoke_tag::create_it(float x, float y) {
    auto puff = std::make_unique<smoke_tag>();
    puff->alpha = 1.0f;
    puff->rot = static_cast<int>(svc::rnd(0.0, 360.0));
    puff->scale = 0.3f;
    puff->x = x;
    puff->y = y;
    smoke_list.add_last(std::move(puff));
}

// A puff is drawn opaque; its alpha field only counts its life down (51
// updates in single precision).
void smoke_tag::update() {
    svc::set_blend(svc::kAlphaBlend);
    svc::set_alpha(1.0f);
    svc::set_colour(255, 255, 255);
    svc::set_transform(static_cast<float>(rot), scale, scale);
    svc::draw_image(sprite_frames, x, y, kSmokeFrame);
    alpha -= kSmokeFade;
    scale += kSmokeGrowth;
    rot += 5;
    if (!(alpha > 0.0f)) smoke_list.remove(*this);
    svc::set_transform(0.0f, 1.0f, 1.0f);
}

void smoke_tag::update_all() {
    smoke_list.enumerate([](smoke_tag& puff) { puff.update(); });
}

void smoke_tag::destroy_all() {
    smoke_list.enumerate([](smoke_tag& puff) { smoke_list.remove(puff); });
}
