// images_collide: touching edges, transparent and part-transparent pixels,
// rotation and scale, and the bitmask fast path against a per-pixel check.
#include <random>

#include "render/render_fixture.h"

namespace {

using render_test::make_image;
using render_test::solid_image;

class CollideTest : public ::testing::Test {
  protected:
    void SetUp() override { svc::detail::create_render_target(640, 480); }
    void TearDown() override { svc::detail::destroy_render_target(); }
};

TEST_F(CollideTest, OpaqueSquaresTouchOnlyWhenTheyShareAPixel) {
    auto a = solid_image(10, 10, 0xFFFFFFFFu);
    auto b = solid_image(10, 10, 0xFFFFFFFFu);
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 109, 109, 0), 1);  // one pixel in common
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 110, 100, 0), 0);  // edges touch
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 100, 110, 0), 0);
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 91, 91, 0),
              1);  // one pixel, from the upper left
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 300, 100, 0), 0);
    // Off the screen as well as on it.
    EXPECT_EQ(svc::images_collide(a, -50, -50, 0, b, -45, -45, 0), 1);
    EXPECT_EQ(svc::images_collide(a, 700, 500, 0, b, 705, 505, 0), 1);
    // Handles move the frames: with mid handles, centres 9 apart overlap.
    svc::mid_handle_image(a);
    svc::mid_handle_image(b);
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 109, 100, 0), 1);
    EXPECT_EQ(svc::images_collide(a, 100, 100, 0, b, 110, 100, 0), 0);
    EXPECT_EQ(svc::images_collide(nullptr, 0, 0, 0, b, 0, 0, 0), 0);
    EXPECT_EQ(svc::images_collide(a, 0, 0, 3, b, 0, 0, 0), 0);
}

TEST_F(CollideTest, TransparentPixelsNeverCollide) {
    // Two rings: their boxes overlap, their opaque borders do not.
    auto ring = make_image(20, 20, [](int x, int y) {
        const bool border = x < 2 || y < 2 || x >= 18 || y >= 18;
        return border ? 0xFF000000u : 0x00000000u;
    });
    auto dot = solid_image(4, 4, 0xFFFFFFFFu);
    EXPECT_EQ(svc::images_collide(ring, 100, 100, 0, dot, 108, 108, 0), 0);
    EXPECT_EQ(svc::images_collide(ring, 100, 100, 0, dot, 99, 108, 0), 1);
    // Alpha 127 is see-through for collisions, 128 is solid.
    auto faint = solid_image(4, 4, 0x7FFFFFFFu);
    auto half = solid_image(4, 4, 0x80FFFFFFu);
    EXPECT_EQ(svc::images_collide(faint, 100, 100, 0, dot, 101, 101, 0), 0);
    EXPECT_EQ(svc::images_collide(half, 100, 100, 0, dot, 101, 101, 0), 1);
    // Frames of one image are told apart.
    auto frames = make_image(
        4, 4, [](int, int) { return 0u; }, 0, 2);
    frames->pixmaps[1].pixels.assign(16, 0xFF000000u);
    EXPECT_EQ(svc::images_collide(frames, 100, 100, 0, dot, 100, 100, 0), 0);
    EXPECT_EQ(svc::images_collide(frames, 100, 100, 1, dot, 100, 100, 0), 1);
}

TEST_F(CollideTest, RotationAndScaleApplyToBothFrames) {
    auto bar = solid_image(20, 2, 0xFFFFFFFFu);
    auto dot = solid_image(2, 2, 0xFFFFFFFFu);
    svc::mid_handle_image(bar);
    svc::mid_handle_image(dot);
    EXPECT_EQ(svc::images_collide(bar, 100, 100, 0, dot, 100, 108, 0), 0);
    svc::set_rotation(90);  // the bar stands upright
    EXPECT_EQ(svc::images_collide(bar, 100, 100, 0, dot, 100, 108, 0), 1);
    EXPECT_EQ(svc::images_collide(bar, 100, 100, 0, dot, 108, 100, 0), 0);
    svc::set_transform(0, 2, 2);  // the bar reaches x 80 to 120
    EXPECT_EQ(svc::images_collide(bar, 100, 100, 0, dot, 117, 100, 0), 1);
    svc::set_transform(0, 1, 1);
    EXPECT_EQ(svc::images_collide(bar, 100, 100, 0, dot, 117, 100, 0), 0);
}

// Solid pixels of a frame placed at (x, y), by direct evaluation per pixel.
bool covers_solid(const svc::ImageData& image, int frame, const svc::detail::PixelMap& m, int px,
                  int py) {
    const std::int64_t u = m.u0 + px * m.du_dx + py * m.du_dy;
    const std::int64_t v = m.v0 + px * m.dv_dx + py * m.dv_dy;
    if (u < 0 || v < 0 || u >= m.u_end || v >= m.v_end) return false;
    const auto& pm = image.pixmaps[frame];
    return (pm.pixels[(v >> svc::detail::kFracBits) * pm.width + (u >> svc::detail::kFracBits)] >>
            24) >= 128;
}

int reference_collide(const svc::ImageData& a, int ax, int ay, const svc::ImageData& b, int bx,
                      int by) {
    const auto& s = svc::detail::draw_state();
    auto ma = svc::detail::pixel_map(s, a, ax, ay);
    auto mb = svc::detail::pixel_map(s, b, bx, by);
    if (!ma || !mb) return 0;
    const int reach = 3 * std::max({a.width, a.height, b.width, b.height});
    for (int y = std::min(ay, by) - reach; y < std::max(ay, by) + reach; ++y) {
        for (int x = std::min(ax, bx) - reach; x < std::max(ax, bx) + reach; ++x) {
            if (covers_solid(a, 0, *ma, x, y) && covers_solid(b, 0, *mb, x, y)) return 1;
        }
    }
    return 0;
}

// Blobby shapes with holes, wider than one 64-bit word to exercise the masks.
svc::Image random_shape(std::mt19937& rng, int max_side) {
    std::uniform_int_distribution<int> side(1, max_side), centre_pick(0, 1000);
    const int w = side(rng), h = side(rng);
    const float cx = w * (centre_pick(rng) / 1000.0f), cy = h * (centre_pick(rng) / 1000.0f);
    const float r = std::max(w, h) * 0.5f;
    return make_image(w, h, [=](int x, int y) {
        const float dx = x - cx, dy = y - cy;
        const float d2 = dx * dx + dy * dy;
        const bool inside = d2 < r * r && (x * 7 + y * 3) % 11 != 0;
        return inside ? 0xFF000000u : ((x + y) % 2 ? 0x7F000000u : 0u);
    });
}

TEST_F(CollideTest, AgreesWithAPixelByPixelCheck) {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> pos(-60, 700), near(-70, 70), pick(0, 9);
    std::uniform_real_distribution<float> unit(0, 1);
    int hits = 0, misses = 0;
    for (int round = 0; round < 600; ++round) {
        auto a = random_shape(rng, pick(rng) < 3 ? 200 : 50);
        auto b = random_shape(rng, 50);
        if (pick(rng) < 5) svc::mid_handle_image(a);
        if (pick(rng) < 5) svc::mid_handle_image(b);
        const int shape = pick(rng);
        if (shape < 6) {
            svc::set_transform(0, 1, 1);
        } else if (shape < 8) {
            svc::set_transform(90.0f * pick(rng), 1, 1);
        } else {
            svc::set_transform(360 * unit(rng), 0.5f + unit(rng), 0.5f + unit(rng));
        }
        const int ax = pos(rng), ay = pos(rng);
        const int bx = ax + near(rng), by = ay + near(rng);
        const int expected = reference_collide(*a, ax, ay, *b, bx, by);
        ASSERT_EQ(svc::images_collide(a, ax, ay, 0, b, bx, by, 0), expected) << "round " << round;
        ASSERT_EQ(svc::images_collide(b, bx, by, 0, a, ax, ay, 0), expected) << "round " << round;
        (expected ? hits : misses)++;
    }
    // Both outcomes were exercised plenty.
    EXPECT_GT(hits, 50);
    EXPECT_GT(misses, 50);
}

}  // namespace
