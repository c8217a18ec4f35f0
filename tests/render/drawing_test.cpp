// The drawing contract: blend arithmetic, the mask alpha test, colour and
// alpha modulation, placement through the matrix and the handle, sampling,
// and the fast paths against the reference rasteriser.
#include <random>

#include "render/reference_renderer.h"
#include "render/render_fixture.h"

namespace {

using render_test::make_image;
using render_test::RenderTest;
using render_test::solid_image;

constexpr std::uint32_t kBackground = 0xFF204060u;  // r 32, g 64, b 96

class DrawingTest : public RenderTest {
  protected:
    // Draws a 1 x 1 image of `texel` over the background and returns the result.
    std::uint32_t draw_one(svc::BlendMode mode, std::uint32_t texel) {
        fill(kBackground);
        svc::set_blend(mode);
        svc::draw_image(solid_image(1, 1, texel), 0, 0, 0);
        return pixel(0, 0);
    }
};

TEST_F(DrawingTest, BlendModesCombineSourceAndDestination) {
    const std::uint32_t texel = 0x80FF8040u;  // alpha 128, r 255, g 128, b 64
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, texel), 0xFFFF8040u);
    EXPECT_EQ(draw_one(svc::BlendMode::kSolid, texel), 0xFFFF8040u);
    // r: (255*128 + 32*127) / 255 = 143.9; g: 96.1; b: 79.9
    EXPECT_EQ(draw_one(svc::BlendMode::kAlpha, texel), 0xFF906050u);
    // r: 32 + 128; g: 64 + 64.3; b: 96 + 32.1
    EXPECT_EQ(draw_one(svc::BlendMode::kLight, texel), 0xFFA08080u);
    // r: 255*32/255; g: 128*64/255 = 32.1; b: 64*96/255 = 24.1
    EXPECT_EQ(draw_one(svc::BlendMode::kShade, texel), 0xFF202018u);
    // Light saturates instead of wrapping.
    EXPECT_EQ(draw_one(svc::BlendMode::kLight, 0xFFF0F0F0u), 0xFFFFFFFFu);
    // Solid ignores the texel's alpha entirely.
    EXPECT_EQ(draw_one(svc::BlendMode::kSolid, 0x00123456u), 0xFF123456u);
    // Modes outside 1-5 draw nothing.
    EXPECT_EQ(draw_one(static_cast<svc::BlendMode>(9), 0xFFFFFFFFu), kBackground);
}

TEST_F(DrawingTest, MaskBlendDrawsOnlyWhereModulatedAlphaReachesHalf) {
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0x7FFFFFFFu), kBackground);
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0x80FFFFFFu), 0xFFFFFFFFu);
    svc::set_alpha(0.5f);
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0xFEFFFFFFu), kBackground);  // 254 * 0.5 < 127.5
    svc::set_alpha(0.49f);
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0xFFFFFFFFu), kBackground);
}

TEST_F(DrawingTest, ColourAndAlphaModulateTheSource) {
    svc::set_colour(128, 128, 128);
    // 200*128/255 = 100.4, 100*128/255 = 50.2, 50*128/255 = 25.1
    EXPECT_EQ(draw_one(svc::BlendMode::kSolid, 0xFFC86432u), 0xFF643219u);
    svc::set_colour(255, 0, 128);
    EXPECT_EQ(draw_one(svc::BlendMode::kMask, 0xFFFFFFFFu), 0xFFFF0080u);
    svc::set_colour(255, 255, 255);
    svc::set_alpha(0.25f);  // 63.75 rounds to 64
    fill(0xFF000000u);
    svc::set_blend(svc::BlendMode::kAlpha);
    svc::draw_image(solid_image(1, 1, 0xFFFFFFFFu), 0, 0, 0);
    EXPECT_EQ(pixel(0, 0), 0xFF404040u);
    // Alpha multiplies the texel's own alpha: 255 * 0.25 * 128/255.
    EXPECT_EQ(draw_one(svc::BlendMode::kLight, 0x80FFFFFFu), 0xFF406080u);
    svc::set_alpha(0.0f);
    EXPECT_EQ(draw_one(svc::BlendMode::kAlpha, 0xFFFFFFFFu), kBackground);
    EXPECT_EQ(draw_one(svc::BlendMode::kSolid, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST_F(DrawingTest, ScaleOnePlacementCoversPixelsWhoseCentresAreInside) {
    auto image = solid_image(4, 3, 0xFFFFFFFFu);
    fill(0xFF000000u);
    svc::draw_image(image, 10, 20, 0);
    auto box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 10);
    EXPECT_EQ(box.x1, 14);
    EXPECT_EQ(box.y0, 20);
    EXPECT_EQ(box.y1, 23);
    // A centre exactly on the left edge is inside, on the right edge outside.
    fill(0xFF000000u);
    svc::draw_image(image, 10.5f, 20.5f, 0);
    box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 10);
    EXPECT_EQ(box.x1, 14);
    EXPECT_EQ(box.y0, 20);
    fill(0xFF000000u);
    svc::draw_image(image, 10.51f, 20.49f, 0);
    box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 11);
    EXPECT_EQ(box.x1, 15);
    EXPECT_EQ(box.y0, 20);
    // The mid handle lands on the drawing position.
    svc::mid_handle_image(image);
    fill(0xFF000000u);
    svc::draw_image(image, 30, 30, 0);
    box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 28);
    EXPECT_EQ(box.x1, 32);
    EXPECT_EQ(box.y0, 28);  // rows span 28.5 to 31.5: the centre of row 28 is on the top edge
    EXPECT_EQ(box.y1, 31);
}

// Texel (x, y) of a small test image: distinct colours.
std::uint32_t numbered(int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>(x * 40 + 10) << 16 |
           static_cast<std::uint32_t>(y * 40 + 10) << 8;
}

TEST_F(DrawingTest, RotationTurnsClockwiseAboutTheHandle) {
    auto image = make_image(3, 2, numbered);
    fill(0xFF000000u);
    svc::set_rotation(90);
    EXPECT_FLOAT_EQ(svc::get_rotation(), 90.0f);
    svc::draw_image(image, 10, 10, 0);
    // The top row of the picture becomes its right-hand column.
    for (int u = 0; u < 3; ++u) {
        EXPECT_EQ(pixel(9, 10 + u), numbered(u, 0)) << u;
        EXPECT_EQ(pixel(8, 10 + u), numbered(u, 1)) << u;
    }
    auto box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 8);
    EXPECT_EQ(box.x1, 10);
    EXPECT_EQ(box.y0, 10);
    EXPECT_EQ(box.y1, 13);
    // Half a turn about the mid handle: the picture appears upside down in place.
    image->handle_x = 1.5f;
    image->handle_y = 1.0f;
    fill(0xFF000000u);
    svc::set_transform(180, 1, 1);
    svc::draw_image(image, 20, 20, 0);
    for (int u = 0; u < 3; ++u) {
        EXPECT_EQ(pixel(21 - u, 20), numbered(u, 0)) << u;
        EXPECT_EQ(pixel(21 - u, 19), numbered(u, 1)) << u;
    }
}

TEST_F(DrawingTest, ScaleStretchesTexelsAndMirrorsWhenNegative) {
    auto image = make_image(3, 2, numbered);
    fill(0xFF000000u);
    svc::set_scale(2, 3);
    svc::draw_image(image, 4, 4, 0);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(pixel(4 + x, 4 + y), numbered(x / 2, y / 3));
    }
    auto box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x1 - box.x0, 6);
    EXPECT_EQ(box.y1 - box.y0, 6);
    fill(0xFF000000u);
    svc::set_scale(-1, 1);
    svc::draw_image(image, 20, 4, 0);
    for (int u = 0; u < 3; ++u) EXPECT_EQ(pixel(19 - u, 4), numbered(u, 0));
}

TEST_F(DrawingTest, FilteredImagesBlendNeighbouringTexels) {
    auto ramp = [](int x, int) { return x == 0 ? 0xFF000000u : 0xFFFFFFFFu; };
    auto nearest = make_image(2, 1, ramp);
    auto filtered = make_image(2, 1, ramp, svc::kFiltered);
    svc::set_blend(svc::BlendMode::kSolid);
    // At texel centres filtering changes nothing.
    svc::draw_image(filtered, 0, 0, 0);
    EXPECT_EQ(pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(pixel(1, 0), 0xFFFFFFFFu);
    // Half a pixel off, the pixel between the texels is their mean; the
    // nearest texel is taken without filtering.
    svc::draw_image(filtered, 0.5f, 2, 0);
    EXPECT_EQ(pixel(1, 2), 0xFF808080u);
    svc::draw_image(nearest, 0.5f, 4, 0);
    EXPECT_EQ(pixel(1, 4), 0xFFFFFFFFu);
    // Doubled: samples at 0.25, 0.75, 1.25, 1.75 texels, clamped at the edges.
    svc::set_scale(2, 1);
    svc::draw_image(filtered, 0, 6, 0);
    const std::uint32_t expected[] = {0xFF000000u, 0xFF404040u, 0xFFBFBFBFu, 0xFFFFFFFFu};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixel(x, 6), expected[x]) << x;
}

TEST_F(DrawingTest, DrawingOffTheScreenOrOutOfFramesIsHarmless) {
    auto image = solid_image(8, 8, 0xFFFFFFFFu);
    fill(0xFF000000u);
    svc::draw_image(image, -100, -100, 0);
    svc::draw_image(image, 1e9f, 5, 0);
    svc::draw_image(image, 5, 5, 1);
    svc::draw_image(image, 5, 5, -1);
    svc::draw_image(nullptr, 5, 5, 0);
    svc::set_scale(0, 1);
    svc::draw_image(image, 5, 5, 0);
    svc::set_scale(1e-20f, 1e-20f);
    svc::draw_image(image, 5, 5, 0);
    EXPECT_EQ(changed_box(0xFF000000u).x1, 0);
    svc::set_scale(1, 1);
    svc::draw_image(image, -4, 44, 0);  // hanging over the bottom left corner
    auto box = changed_box(0xFF000000u);
    EXPECT_EQ(box.x0, 0);
    EXPECT_EQ(box.x1, 4);
    EXPECT_EQ(box.y0, 44);
    EXPECT_EQ(box.y1, 48);
}

TEST_F(DrawingTest, ImagesSharingAnEdgeNeitherOverlapNorLeaveGaps) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(0, 360), scale(0.4f, 2.5f), pos(10, 50);
    auto first = solid_image(7, 5, 0xFF010000u);   // adds 1 to red
    auto second = solid_image(7, 5, 0xFF000100u);  // adds 1 to green
    auto both = solid_image(14, 5, 0xFF000001u);   // adds 1 to blue
    for (int round = 0; round < 200; ++round) {
        fill(0xFF000000u);
        svc::set_blend(svc::BlendMode::kLight);
        svc::set_transform(angle(rng), scale(rng), scale(rng));
        const float x = pos(rng), y = pos(rng);
        first->handle_x = 0;
        second->handle_x = -7;  // its left edge is the first one's right edge
        svc::draw_image(first, x, y, 0);
        svc::draw_image(second, x, y, 0);
        svc::draw_image(both, x, y, 0);
        for (int i = 0; i < width_ * height_; ++i) {
            const std::uint32_t p = pixels()[i];
            const std::uint32_t halves = ((p >> 16) & 255u) + ((p >> 8) & 255u);
            ASSERT_EQ(halves, p & 255u) << "round " << round << " pixel " << i;
        }
    }
}

// Random pictures with opaque, transparent and part-transparent areas.
svc::Image random_image(std::mt19937& rng) {
    std::uniform_int_distribution<int> side(1, 40), kind(0, 3), byte(0, 255);
    const int w = side(rng), h = side(rng);
    const int alpha_kind = kind(rng);
    std::vector<std::uint32_t> seeds;
    auto image = make_image(w, h, [&](int x, int y) {
        std::uint32_t rgb = static_cast<std::uint32_t>(byte(rng)) << 16 |
                            static_cast<std::uint32_t>(byte(rng)) << 8 | byte(rng);
        std::uint32_t a = 255;
        switch (alpha_kind) {
            case 0:
                a = 255;
                break;
            case 1:
                a = ((x / 3 + y / 2) % 3 == 0) ? 0 : 255;
                break;  // binary, in runs
            case 2:
                a = static_cast<std::uint32_t>(byte(rng));
                break;
            case 3:
                a = (x + y) % 4 == 0 ? 0 : (x % 5 == 0 ? 128 : 255);
                break;
        }
        return a << 24 | rgb;
    });
    if (kind(rng) == 0) image->flags |= svc::kFiltered;
    return image;
}

void random_state(std::mt19937& rng, const svc::Image& image) {
    std::uniform_int_distribution<int> pick(0, 9), blend(1, 5), byte(0, 255);
    std::uniform_real_distribution<float> unit(0, 1);
    svc::set_blend(static_cast<svc::BlendMode>(blend(rng)));
    if (pick(rng) < 6) {
        svc::set_colour(255, 255, 255);
    } else {
        svc::set_colour(byte(rng), byte(rng), byte(rng));
    }
    const int alpha_pick = pick(rng);
    svc::set_alpha(alpha_pick < 5 ? 1.0f : alpha_pick < 6 ? 0.5f : unit(rng));
    const int shape = pick(rng);
    if (shape < 4) {
        svc::set_transform(0, 1, 1);
    } else if (shape < 6) {
        svc::set_transform(0, 0.3f + 2 * unit(rng), 0.3f + 2 * unit(rng));
    } else if (shape < 7) {
        svc::set_transform(90.0f * blend(rng), pick(rng) < 5 ? 1.0f : -1.0f, 1);
    } else {
        svc::set_transform(360 * unit(rng), (0.2f + 2 * unit(rng)) * (pick(rng) < 2 ? -1 : 1),
                           0.2f + 2 * unit(rng));
    }
    const int handle = pick(rng);
    image->handle_x = handle < 4 ? 0 : handle < 7 ? image->width * 0.5f : unit(rng) * image->width;
    image->handle_y = handle < 4   ? 0
                      : handle < 7 ? image->height * 0.5f
                                   : unit(rng) * image->height;
}

// A finer version of the picture at `scale`, of other pixels than the picture's.
void give_finer_frame(std::mt19937& rng, svc::ImageData& image, int scale) {
    const svc::Image finer = random_image(rng);
    const svc::Image sized =
        make_image(image.width * scale, image.height * scale, [&](int x, int y) {
            const svc::Pixmap& p = finer->pixmaps[0];
            return p.pixels[static_cast<std::size_t>((y % p.height) * p.width + x % p.width)];
        });
    image.detail.scale = scale;
    image.detail.pixmaps = sized->pixmaps;
}

// On back buffers 2 and 3 times finer too, where every position is scaled as
// it is, fractions and negatives included, and pictures with finer versions
// show those.
TEST_F(DrawingTest, FastPathsMatchTheReferenceRasteriser) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> pos(-30, 90);
    std::uniform_int_distribution<int> pick(0, 3), byte(0, 255);
    for (const auto& [scale, rounds] : {std::pair{1, 3000}, std::pair{2, 600}, std::pair{3, 300}}) {
        svc::detail::create_render_target(width_, height_, scale);
        const int width = width_ * scale, height = height_ * scale;
        for (int round = 0; round < rounds; ++round) {
            std::uint32_t* screen = pixels();
            for (int i = 0; i < width * height; ++i) {
                screen[i] = 0xFF000000u | static_cast<std::uint32_t>(byte(rng)) << 16 |
                            static_cast<std::uint32_t>(byte(rng)) << 8 | byte(rng);
            }
            auto image = random_image(rng);
            random_state(rng, image);
            if (scale > 1 && pick(rng) == 0) give_finer_frame(rng, *image, scale);
            float x = pos(rng), y = pos(rng);
            if (pick(rng) == 0) {  // whole and half pixels are the common cases
                x = std::floor(x) + (pick(rng) == 0 ? 0.5f : 0.0f);
                y = std::floor(y);
            }
            std::vector<std::uint32_t> expected(screen, screen + width * height);
            reference::draw(expected, width, height, *image, x, y, 0, scale);
            svc::draw_image(image, x, y, 0);
            for (int i = 0; i < width * height; ++i) {
                ASSERT_EQ(pixels()[i], expected[i])
                    << "scale " << scale << " round " << round << " at (" << x << ", " << y
                    << ") pixel (" << i % width << ", " << i / width << ") blend "
                    << static_cast<int>(svc::detail::draw_state().blend) << " rotation "
                    << svc::get_rotation() << " size " << image->width << "x" << image->height
                    << (image->detail.scale ? " finer" : "");
            }
        }
    }
}

TEST_F(DrawingTest, RedrawAfterTheFrameChangesUsesTheNewPixels) {
    auto image = solid_image(4, 4, 0xFFFF0000u);
    svc::draw_image(image, 0, 0, 0);
    EXPECT_EQ(pixel(1, 1), 0xFFFF0000u);
    fill(0xFF00FF00u);
    svc::grab_image(image, 10, 10, 0);
    fill(0xFF000000u);
    svc::draw_image(image, 0, 0, 0);
    EXPECT_EQ(pixel(1, 1), 0xFF00FF00u);
}

TEST_F(DrawingTest, ClearAndReopenResetTheScreenAndState) {
    fill(0xFF123456u);
    svc::clear_screen();
    EXPECT_EQ(pixel(5, 5), 0xFF000000u);
    svc::set_colour(1, 2, 3);
    svc::set_blend(svc::BlendMode::kLight);
    svc::set_transform(30, 2, 2);
    svc::set_mask_colour(9, 9, 9);
    svc::detail::create_render_target(32, 16);
    EXPECT_EQ(svc::graphics_width(), 32);
    EXPECT_EQ(svc::graphics_height(), 16);
    const auto& s = svc::detail::draw_state();
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.blend, svc::BlendMode::kMask);
    EXPECT_EQ(s.ix, 1.0f);
    EXPECT_EQ(s.iy, 0.0f);
    EXPECT_EQ(svc::detail::loader_state().mask_r, 0);
    svc::detail::destroy_render_target();
    EXPECT_EQ(svc::back_buffer(), nullptr);
    EXPECT_EQ(svc::graphics_width(), 0);
    svc::clear_screen();  // no screen: nothing happens
    svc::draw_image(solid_image(2, 2, 0xFFFFFFFFu), 0, 0, 0);
}

TEST(DrawingMatrix, RebuiltFromRotationAndScaleInSinglePrecision) {
    svc::detail::create_render_target(8, 8);
    svc::set_transform(30, 2, 3);
    const auto& s = svc::detail::draw_state();
    const float c = static_cast<float>(std::cos(30 * 3.14159265358979323846 / 180));
    const float n = static_cast<float>(std::sin(30 * 3.14159265358979323846 / 180));
    EXPECT_EQ(s.ix, c * 2.0f);
    EXPECT_EQ(s.iy, -n * 3.0f);
    EXPECT_EQ(s.jx, n * 2.0f);
    EXPECT_EQ(s.jy, c * 3.0f);
    svc::set_rotation(-90);
    EXPECT_EQ(s.ix, 0.0f);
    EXPECT_EQ(s.jx, -2.0f);
    svc::set_scale(1, 1);
    EXPECT_EQ(s.iy, 1.0f);
    svc::detail::destroy_render_target();
}

}  // namespace
