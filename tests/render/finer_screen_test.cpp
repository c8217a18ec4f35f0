// A back buffer drawn K times finer than the game's pixels: positions, sizes
// and pictures K times larger, finer versions of pictures where they exist,
// and grabs that still give the exact game-resolution picture collisions use.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/render_fixture.h"

namespace render_test {
namespace {

constexpr int kWidth = 40, kHeight = 30;

std::vector<std::uint32_t> frame_at(int scale, const std::function<void()>& draw) {
    svc::detail::create_render_target(kWidth, kHeight, scale);
    svc::clear_screen();
    draw();
    const std::size_t size = static_cast<std::size_t>(kWidth * scale) * kHeight * scale;
    std::vector<std::uint32_t> frame(svc::back_buffer(), svc::back_buffer() + size);
    svc::detail::destroy_render_target();
    return frame;
}

// A pattern with transparent holes, drawn masked at whole-pixel positions.
svc::Image pattern() {
    return make_image(7, 5, [](int x, int y) {
        return (x + y) % 3 == 0 ? 0x00000000u : 0xFF000000u | (x * 30u << 16) | (y * 40u);
    });
}

TEST(FinerScreen, APictureWithoutAFinerVersionIsDrawnMagnifiedInTheSamePlace) {
    const svc::Image picture = pattern();
    const auto draw = [&] {
        svc::draw_image(picture, 3, 4, 0);
        svc::set_alpha(0.5f);
        svc::set_blend(svc::BlendMode::kAlpha);
        svc::draw_image(picture, 20, 10, 0);
    };
    const auto one = frame_at(1, draw);
    for (int scale : {2, 3}) {
        SCOPED_TRACE(scale);
        const auto fine = frame_at(scale, draw);
        EXPECT_EQ(svc::graphics_width(), 0) << "closed";
        for (int y = 0; y < kHeight * scale; ++y) {
            for (int x = 0; x < kWidth * scale; ++x) {
                ASSERT_EQ(fine[static_cast<std::size_t>(y) * kWidth * scale + x],
                          one[static_cast<std::size_t>(y / scale) * kWidth + x / scale])
                    << x << "," << y;
            }
        }
    }
}

TEST(FinerScreen, AFinerVersionIsDrawnInsteadWithItsHandleScaled) {
    svc::Image picture = solid_image(4, 2, 0xFF102030u);
    picture->handle_x = 2;
    picture->handle_y = 1;
    picture->detail.scale = 2;
    picture->detail.pixmaps.push_back(svc::Pixmap{8, 4, svc::PixelBuffer(32, 0xFFA0B0C0u)});
    const auto fine = frame_at(2, [&] { svc::draw_image(picture, 10, 10, 0); });
    const auto at = [&](int x, int y) {
        return fine[static_cast<std::size_t>(y) * kWidth * 2 + x];
    };
    EXPECT_EQ(at(16, 18), 0xFFA0B0C0u) << "the handle lands at (20, 20)";
    EXPECT_EQ(at(23, 21), 0xFFA0B0C0u);
    EXPECT_EQ(at(15, 18), 0xFF000000u);
    EXPECT_EQ(at(24, 18), 0xFF000000u);
    EXPECT_EQ(svc::detail::render_target_pixels(), nullptr);
}

// Grabbing on a finer screen gives the frame at game resolution exactly as a
// game-resolution screen would (collisions depend on it), and its finer
// version from the finer back buffer.
TEST(FinerScreen, AGrabGivesTheExactGameResolutionFrameAndAFinerOne) {
    const svc::Image source = pattern();
    const auto grab_at = [&](int scale) {
        svc::detail::create_render_target(kWidth, kHeight, scale);
        svc::set_mask_colour(0, 0, 0);
        svc::clear_screen();
        svc::draw_image(source, 3, 4, 0);
        svc::set_rotation(30);
        svc::draw_image(source, 15, 12, 0);
        svc::set_rotation(0);
        const svc::Image grabbed = svc::create_image(12, 10, 1, svc::kMasked);
        svc::grab_image(grabbed, 2, 3, 0);
        svc::detail::destroy_render_target();
        return grabbed;
    };
    const svc::Image one = grab_at(1);
    for (int scale : {2, 4}) {
        SCOPED_TRACE(scale);
        const svc::Image fine = grab_at(scale);
        EXPECT_EQ(fine->pixmaps[0].pixels, one->pixmaps[0].pixels);
        ASSERT_EQ(fine->detail.scale, scale);
        ASSERT_EQ(fine->detail.pixmaps.size(), 1u);
        EXPECT_EQ(fine->detail.pixmaps[0].width, 12 * scale);
        // Where the unrotated pattern lies, the finer frame is its magnified self
        // (transparent pixels keep their neighbours' colour, which differs).
        for (int y = 1 * scale; y < 6 * scale; ++y) {
            for (int x = 1 * scale; x < 8 * scale; ++x) {
                const std::uint32_t got =
                    fine->detail.pixmaps[0].pixels[static_cast<std::size_t>(y) * 12 * scale + x];
                const std::uint32_t want =
                    one->pixmaps[0].pixels[static_cast<std::size_t>(y / scale) * 12 + x / scale];
                ASSERT_EQ(got >> 24, want >> 24) << x << "," << y;
                if (want >> 24) {
                    ASSERT_EQ(got, want) << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace render_test
