// The software renderer's costs on the game's own pictures: the paper, the
// sprites, a scaled cloud, a rotated smoke puff, a line of text, a plane
// against the mountains, and a whole frame put together like the game's.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "services/rendering/graphics.h"
#include "services/rendering/render_target.h"
#include "services/resources.h"

namespace {

struct Pictures {
    svc::Image paper, sheet, sprites, cloud, mountain, margin_left, margin_right, smoke;
    svc::ImageFont font;
};

// Loads and cuts the pictures the way the game's start-up does.
const Pictures& pictures() {
    static const Pictures p = [] {
        Pictures q;
        svc::register_embedded_assets();
        svc::detail::create_render_target(640, 480);
        svc::set_mask_colour(200, 200, 200);
        svc::set_auto_image_flags(svc::kMasked);
        q.paper = svc::load_image("nb_paper_1v.png");
        q.mountain = svc::load_image("jg_bp_mts1.png");
        q.sheet = svc::load_image("jg_bplane01.png");
        q.margin_left = svc::create_image(110, 480, 1);
        q.margin_right = svc::create_image(116, 480, 1);
        svc::set_auto_mid_handle(1);
        q.cloud = svc::create_image(116, 78, 1);
        q.sprites = svc::create_image(48, 33, 26);
        q.smoke = svc::create_image(24, 24, 1, 0);
        svc::set_auto_mid_handle(0);
        svc::set_mask_colour(0, 0, 0);
        svc::clear_screen();
        svc::draw_image(q.sheet, 0, 0, 0);
        svc::grab_image(q.cloud, 397, 79, 0);
        for (int f = 0; f < 26; ++f)
            svc::grab_image(q.sprites, 1 + 49 * (f % 13), 1 + 34 * (f / 13), f);
        svc::set_mask_colour(200, 200, 200);
        // A soft round puff with partial alpha, as smoke particles look.
        auto& puff = q.smoke->pixmaps[0].pixels;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const float dx = x - 11.5f, dy = y - 11.5f;
                const float d = std::max(0.0f, 1.0f - (dx * dx + dy * dy) / 144.0f);
                puff[y * 24 + x] = static_cast<std::uint32_t>(d * 255) << 24 | 0x606060u;
            }
        }
        q.smoke->render_cache[0].reset();
        svc::set_blend(svc::BlendMode::kSolid);
        svc::draw_image(q.paper, 0, 0, 0);
        svc::grab_image(q.margin_left, 0, 0, 0);
        svc::grab_image(q.margin_right, 524, 0, 0);
        q.font = svc::load_image_font("itckrist.ttf", 18, {.smooth = true});
        svc::set_image_font(q.font);
        return q;
    }();
    return p;
}

void reset_state(svc::BlendMode blend) {
    svc::set_colour(255, 255, 255);
    svc::set_alpha(1);
    svc::set_transform(0, 1, 1);
    svc::set_blend(blend);
}

void BM_MemcpyFullScreen(benchmark::State& state) {
    std::vector<std::uint32_t> from(640 * 480, 0xFFFFFFFFu), to(640 * 480);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFullScreen);

void BM_PaperSolidBlit(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kSolid);
    for (auto _ : state) {
        svc::draw_image(p.paper, 0, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaperSolidBlit);

void BM_MaskedSpriteScale1(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kMask);
    int i = 0;
    for (auto _ : state) {
        svc::draw_image(p.sprites, 150.0f + (i % 300), 100.0f + (i % 200), i % 26);
        ++i;
    }
}
BENCHMARK(BM_MaskedSpriteScale1);

void BM_ScaledMaskedCloud(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kMask);
    int i = 0;
    for (auto _ : state) {
        const float scale = 0.5f + (i % 101) / 100.0f;
        svc::set_scale(scale, scale);
        svc::draw_image(p.cloud, 300, 200, 0);
        ++i;
    }
}
BENCHMARK(BM_ScaledMaskedCloud);

void BM_RotatedScaledAlphaSmoke(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kAlpha);
    svc::set_alpha(0.6f);
    int i = 0;
    for (auto _ : state) {
        svc::set_transform(static_cast<float>(i % 360), 1.5f, 1.5f);
        svc::draw_image(p.smoke, 300, 200, 0);
        ++i;
    }
}
BENCHMARK(BM_RotatedScaledAlphaSmoke);

void BM_TextLine(benchmark::State& state) {
    pictures();
    reset_state(svc::BlendMode::kAlpha);
    for (auto _ : state) svc::draw_text("Score: 12345   Best: 67890", 120.5f, 8);
}
BENCHMARK(BM_TextLine);

void BM_CollidePlaneMountain(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kMask);
    const int plane_y = static_cast<int>(state.range(0));
    int hits = 0;
    for (auto _ : state)
        hits += svc::images_collide(p.sprites, 300, plane_y, 0, p.mountain, 110, 333, 0);
    state.counters["hit"] = hits > 0 ? 1 : 0;
}
BENCHMARK(BM_CollidePlaneMountain)->Arg(300)->Arg(360)->Arg(420);

void BM_CollideMissByBox(benchmark::State& state) {
    const auto& p = pictures();
    reset_state(svc::BlendMode::kMask);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            svc::images_collide(p.sprites, 300, 100, 3, p.sprites, 200, 100, 5));
    }
}
BENCHMARK(BM_CollideMissByBox);

// A busy play frame: paper, two mountains, three clouds, 30 sprites, a dozen
// texts, smoke, the margins.
void BM_GameFrame(benchmark::State& state) {
    const auto& p = pictures();
    for (auto _ : state) {
        svc::clear_screen();
        reset_state(svc::BlendMode::kSolid);
        svc::draw_image(p.paper, 0, 0, 0);
        svc::set_blend(svc::BlendMode::kMask);
        svc::draw_image(p.mountain, 100, 333, 0);
        svc::draw_image(p.mountain, 516, 333, 0);
        for (int c = 0; c < 3; ++c) {
            svc::set_scale(0.6f + 0.3f * c, 0.6f + 0.3f * c);
            svc::draw_image(p.cloud, 150.0f + 130 * c, 120.0f + 40 * c, 0);
        }
        svc::set_scale(1, 1);
        for (int s = 0; s < 30; ++s) {
            svc::draw_image(p.sprites, 120.0f + (s * 37) % 400, 60.0f + (s * 53) % 360, s % 26);
        }
        svc::set_blend(svc::BlendMode::kAlpha);
        for (int s = 0; s < 8; ++s) {
            svc::set_alpha(0.3f + 0.05f * s);
            svc::set_transform(s * 40.0f, 0.5f + 0.1f * s, 0.5f + 0.1f * s);
            svc::draw_image(p.smoke, 200.0f + 10 * s, 250.0f - 6 * s, 0);
        }
        reset_state(svc::BlendMode::kAlpha);
        for (int t = 0; t < 12; ++t) svc::draw_text("+150", 130.0f + 30 * t, 40.0f + 20 * t);
        svc::set_blend(svc::BlendMode::kSolid);
        svc::draw_image(p.margin_left, 0, 0, 0);
        svc::draw_image(p.margin_right, 524, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
