// Text: loading fonts, glyph placement from the top-left corner, the pen
// moving along the matrix, widths and heights, and a golden picture.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <string>

#include "render/render_fixture.h"
#include "services/rendering/font.h"
#include "services/resources.h"
#include "support/golden.h"

namespace {

using render_test::RenderTest;

const std::string kFontPath = std::string(SCRIBBLE_SOURCE_DIR) + "/assets/font/ComicNeue-Bold.otf";
constexpr std::uint32_t kBlack = 0xFF000000u;

class TextTest : public RenderTest {
  protected:
    void SetUp() override {
        width_ = 320;
        height_ = 120;
        RenderTest::SetUp();
        font_ = svc::load_image_font(kFontPath, 18, {.smooth = true});
        ASSERT_TRUE(font_);
        svc::set_image_font(font_);
        svc::set_blend(svc::BlendMode::kAlpha);
        fill(kBlack);
    }
    svc::ImageFont font_;
};

// What FreeType itself says about one character at 18 pixels.
struct GlyphFacts {
    int left = 0, top = 0, width = 0, rows = 0, ascender = 0, height = 0;
    float advance = 0;
};

GlyphFacts facts_of(char32_t c) {
    FT_Library lib;
    FT_Face face;
    GlyphFacts f;
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, kFontPath.c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, 18);
    FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER);
    f.left = face->glyph->bitmap_left;
    f.top = face->glyph->bitmap_top;
    f.width = static_cast<int>(face->glyph->bitmap.width);
    f.rows = static_cast<int>(face->glyph->bitmap.rows);
    f.advance = face->glyph->advance.x / 64.0f;
    f.ascender = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
    f.height = static_cast<int>((face->size->metrics.height + 32) >> 6);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return f;
}

TEST_F(TextTest, GlyphsSitBelowAndRightOfTheTopLeftCorner) {
    const GlyphFacts h = facts_of('H');
    svc::draw_text("H", 100, 40);
    auto box = changed_box(kBlack);
    EXPECT_EQ(box.x0, 100 + h.left);
    EXPECT_EQ(box.y0, 40 + h.ascender - h.top);
    EXPECT_EQ(box.x1 - box.x0, h.width);
    EXPECT_EQ(box.y1 - box.y0, h.rows);
    EXPECT_EQ(svc::text_height("H"), h.height);
    EXPECT_EQ(svc::text_height(), h.height);
    EXPECT_GE(h.height, 18);
    // Whole-pixel moves move the picture exactly.
    auto first = snapshot();
    fill(kBlack);
    svc::draw_text("H", 103, 47);
    for (int y = 0; y + 7 < height_; ++y) {
        for (int x = 0; x + 3 < width_; ++x) {
            ASSERT_EQ(pixel(x + 3, y + 7), first[y * width_ + x]);
        }
    }
}

TEST_F(TextTest, WidthSumsTheAdvancesOfCharactersThatHaveGlyphs) {
    const GlyphFacts a = facts_of('A'), b = facts_of('b');
    EXPECT_EQ(svc::text_width(""), 0);
    EXPECT_EQ(svc::text_width("A"), static_cast<int>(a.advance));
    EXPECT_EQ(svc::text_width("Ab"), static_cast<int>(static_cast<int>(a.advance) + b.advance));
    // A control character has no glyph: skipped, without advancing.
    EXPECT_EQ(svc::text_width("A\x01"
                              "b"),
              svc::text_width("Ab"));
    svc::draw_text(
        "A\x01"
        "b",
        10, 10);
    auto with_gap = snapshot();
    fill(kBlack);
    svc::draw_text("Ab", 10, 10);
    EXPECT_EQ(snapshot(), with_gap);
    // The second glyph starts one advance to the right of the first.
    fill(kBlack);
    svc::draw_text("b", 10 + a.advance, 10);
    auto b_alone = snapshot();
    fill(kBlack);
    svc::draw_text("Ab", 10, 10);
    auto both = snapshot();
    const int b_left = 10 + static_cast<int>(a.advance) + b.left;
    for (int y = 0; y < height_; ++y) {
        for (int x = b_left + 1; x < width_; ++x)
            ASSERT_EQ(both[y * width_ + x], b_alone[y * width_ + x]);
    }
}

TEST_F(TextTest, ThePenFollowsTheRotatedAxis) {
    svc::draw_text("WWW", 40, 20);
    auto flat = changed_box(kBlack);
    fill(kBlack);
    svc::set_rotation(90);
    svc::draw_text("WWW", 200, 10);
    auto turned = changed_box(kBlack);
    EXPECT_EQ(turned.y1 - turned.y0, flat.x1 - flat.x0);
    EXPECT_EQ(turned.x1 - turned.x0, flat.y1 - flat.y0);
    EXPECT_LE(turned.x1, 200);  // turned clockwise: the glyphs hang to the left of the pen
    EXPECT_GE(turned.y0, 10);
    // Scaled text is scaled about the corner.
    fill(kBlack);
    svc::set_transform(0, 2, 2);
    svc::draw_text("WWW", 40, 20);
    auto doubled = changed_box(kBlack);
    EXPECT_NEAR(doubled.x1 - doubled.x0, 2 * (flat.x1 - flat.x0), 2);
    EXPECT_NEAR(doubled.y0 - 20, 2 * (flat.y0 - 20), 2);
}

TEST_F(TextTest, SmoothTextHasSoftEdgesAndTakesTheColour) {
    svc::set_colour(255, 0, 0);
    svc::draw_text("Squadron", 10, 10);
    int soft = 0, full = 0;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t p = pixel(x, y);
            ASSERT_EQ(p & 0xFFFFu, 0u);  // only red
            const std::uint32_t red = (p >> 16) & 255u;
            if (red == 255)
                ++full;
            else if (red > 0)
                ++soft;
        }
    }
    EXPECT_GT(full, 50);
    EXPECT_GT(soft, 50);
    EXPECT_EQ(font_->image_flags, svc::kFiltered);
    // Without the smooth style every pixel is on or off.
    auto sharp = svc::load_image_font(kFontPath, 18, {});
    ASSERT_TRUE(sharp);
    EXPECT_EQ(sharp->image_flags, 0);
    svc::set_image_font(sharp);
    svc::set_colour(255, 255, 255);
    fill(kBlack);
    svc::draw_text("Squadron", 10, 10);
    for (int i = 0; i < width_ * height_; ++i) {
        ASSERT_TRUE(pixels()[i] == kBlack || pixels()[i] == 0xFFFFFFFFu);
    }
}

TEST_F(TextTest, FontsThatCannotBeLoadedGiveNoFont) {
    EXPECT_FALSE(svc::load_image_font("no/such/font.ttf", 18, {.smooth = true}));
    EXPECT_FALSE(svc::load_image_font(std::filesystem::temp_directory_path().string(), 18,
                                      {.smooth = true}));
    EXPECT_FALSE(svc::load_image_font(kFontPath, 0, {.smooth = true}));
    static const std::uint8_t garbage[] = {0, 1, 0, 0, 9, 9, 9, 9, 1, 2, 3, 4};
    svc::register_resource("garbage.ttf", garbage);
    EXPECT_FALSE(svc::load_image_font("garbage.ttf", 18, {.smooth = true}));
    // The embedded copy of the font works like the file.
    svc::register_embedded_assets();
    auto embedded = svc::load_image_font("itckrist.ttf", 18, {.smooth = true});
    ASSERT_TRUE(embedded);
    svc::set_image_font(embedded);
    const int width = svc::text_width("Stage: 1");
    svc::set_image_font(font_);
    EXPECT_EQ(width, svc::text_width("Stage: 1"));
    // Bold and italic styles still rasterise.
    auto styled =
        svc::load_image_font(kFontPath, 18, {.bold = true, .italic = true, .smooth = true});
    ASSERT_TRUE(styled);
    svc::set_image_font(styled);
    EXPECT_GE(svc::text_width("Stage"), width / 2);
    // With no font set, text draws nothing and measures nothing.
    svc::set_image_font(nullptr);
    svc::draw_text("Stage", 10, 10);
    EXPECT_EQ(changed_box(kBlack).x1, 0);
    EXPECT_EQ(svc::text_width("Stage"), 0);
    EXPECT_EQ(svc::text_height(), 0);
}

// Text is UTF-8. A byte that starts no valid sequence (a stray or cut-short
// lead byte, an overlong form, a surrogate) stands for the Latin-1 character
// of its value, and the bytes after it are read on their own.
TEST_F(TextTest, TextIsUtf8AndAnyOtherByteStandsForItsLatin1Character) {
    const auto width_of = [](char32_t c) { return static_cast<int>(facts_of(c).advance); };
    EXPECT_GT(width_of(0xE9), 0);
    EXPECT_EQ(svc::text_width("\xC3\xA9"), width_of(0xE9));        // e acute, two bytes
    EXPECT_EQ(svc::text_width("\xE2\x82\xAC"), width_of(0x20AC));  // the euro sign, three
    EXPECT_EQ(svc::text_width("\xE9"), width_of(0xE9));            // a lead byte at the end
    EXPECT_EQ(svc::text_width("\xC3"
                              "A"),
              svc::text_width("\xC3\x83"
                              "A"));
    // Each byte of a malformed sequence reads as its own character, as if each
    // had been written as UTF-8.
    EXPECT_EQ(svc::text_width("\xE0\x80\x80"), svc::text_width("\xC3\xA0\xC2\x80\xC2\x80"));
    EXPECT_EQ(svc::text_width("\xED\xA0\x80"), svc::text_width("\xC3\xAD\xC2\xA0\xC2\x80"));
    EXPECT_EQ(svc::text_width("\xF4\x90\x80\x80"),
              svc::text_width("\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"));
    EXPECT_GT(svc::text_width("\xE0\x80\x80"), 0);
}

// The heads-up display's kind of text against a golden picture checked by eye.
TEST_F(TextTest, MatchesTheGoldenPicture) {
    svc::set_colour(40, 40, 120);
    fill(0xFFF0F0E8u);
    svc::draw_text("Score: 1230  Stage: 4", 8, 6);
    svc::set_colour(200, 30, 30);
    svc::set_transform(-12, 1.5f, 1.5f);
    svc::draw_text("Get Ready!!", 40, 60);
    EXPECT_TRUE(
        test_support::matches_golden(svc::back_buffer(), width_, height_, "text_reference"));
}

}  // namespace
