// The text pen's centring: it uses the scale given with the text, not the scale
// in force, and converts the text's size to float before scaling.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drawing/scoped_transform.h"
#include "drawing/text_pen.h"
#include "services/backends/headless/headless_platform.h"
#include "services/platform.h"
#include "services/rendering/graphics.h"
#include "services/resources.h"
#include "services/screen.h"
#include "services/session.h"
#include "services/timing.h"

namespace {

class Drawer : public testing::Test {
  protected:
    void SetUp() override {
        session_.emplace(platform_);
        svc::register_embedded_assets();
        ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 60));
        font_ = svc::load_image_font("itckrist.ttf", 18, {.smooth = true});
        ASSERT_TRUE(font_);
        svc::set_image_font(font_);
    }
    void TearDown() override { session_.reset(); }

    static std::vector<std::uint32_t> screen() {
        const std::uint32_t* pixels = svc::back_buffer();
        return {pixels, pixels + 640 * 480};
    }
    // What draw_text drew, and what draw_text draws at the expected corner in the
    // same drawing state.
    template <typename Setup>
    void expect_placed_at(const std::string& text, float x, float y, TextScale scale, float left,
                          float top, Setup&& setup) {
        svc::clear_screen();
        setup();
        draw_centred(text, x, y, scale);
        const auto centred = screen();
        svc::clear_screen();
        setup();
        svc::draw_text(text, left, top);
        EXPECT_EQ(centred, screen()) << "\"" << text << "\" expected at " << left << "," << top;
    }

    svc::HeadlessPlatform platform_;
    std::optional<svc::Session> session_;
    svc::ImageFont font_;
};

TEST_F(Drawer, CentresForScaleOne) {
    const std::string text = "Get Ready!!";
    const float w = static_cast<float>(svc::text_width(text));
    const float h = static_cast<float>(svc::text_height(text));
    expect_placed_at(text, 320, 245, kFontSize, 320 - w / 2, 245 - h / 2,
                     [] { set_text_style(svc::BlendMode::kAlpha, 1.0f, kFontSize); });
}

TEST_F(Drawer, CentresForTheGivenStretch) {
    const std::string text = "Scribble Squadron";
    const float w = static_cast<float>(svc::text_width(text));
    const float h = static_cast<float>(svc::text_height(text));
    expect_placed_at(text, 320, 210, {1.5f, 4.0f}, 320 - w * 1.5f / 2, 210 - h * 4.0f / 2, [] {
        set_text_style(svc::BlendMode::kAlpha, 1.0f, {1.5f, 4.0f});
    });
}

// The game-over text: drawn at scale 2 and centred for scale 1, so it extends
// to the right and down from there.
TEST_F(Drawer, TheScaleInForceDoesNotChangeTheCentring) {
    const std::string text = "Game Over!";
    const float w = static_cast<float>(svc::text_width(text));
    const float h = static_cast<float>(svc::text_height(text));
    expect_placed_at(text, 280, 230, kFontSize, 280 - w / 2, 230 - h / 2, [] {
        set_text_style(svc::BlendMode::kAlpha, 1.0f, kFontSize);
        svc::set_scale(2.0f, 2.0f);
    });
}

// Each guard puts back scale 1 and rotation 0 for what it changed, and leaves
// the rest of the matrix as it found it.
TEST_F(Drawer, TransformGuardsPutBackOnlyWhatTheyChanged) {
    const auto text_after = [](auto&& before, auto&& guarded) {
        svc::clear_screen();
        before();
        guarded();
        svc::draw_text("Game Over!", 200, 200);
        return screen();
    };
    const auto plain = [] { svc::set_transform(0, 1, 1); };
    const auto expected = [&](float degrees, float scale) {
        return text_after([=] { svc::set_transform(degrees, scale, scale); }, [] {});
    };
    EXPECT_EQ(text_after([] { svc::set_rotation(30); }, [] { const ScopedScale s(2, 2); }),
              expected(30, 1));
    EXPECT_EQ(text_after([] { svc::set_scale(2, 2); }, [] { const ScopedRotation r(45); }),
              expected(0, 2));
    EXPECT_EQ(text_after(plain, [] { const ScopedTransform t(30, 2, 2); }), expected(0, 1));
    EXPECT_NE(expected(30, 1), expected(0, 1)) << "the text shows no rotation";
}

TEST_F(Drawer, EmptyTextMovesUpByHalfTheFontHeight) {
    const float h = static_cast<float>(svc::text_height());
    set_text_style(svc::BlendMode::kAlpha, 1.0f, {1.0f, 3.0f});
    EXPECT_GT(h, 0.0f);
    expect_placed_at("", 100, 100, {1.0f, 3.0f}, 100, 100 - h * 3.0f / 2, [] {});
}

TEST_F(Drawer, ATextCentredForScaleZeroIsPlacedByItsCorner) {
    expect_placed_at("Bonus: 500", 320, 245, {0.0f, 0.0f}, 320, 245, [] {});
}

}  // namespace
