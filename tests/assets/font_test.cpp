// The game's one font, as it is embedded: it must load at the size the game
// uses and draw every character of the game's texts, and the widest texts must
// fit the playfield between the page margins.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/resources.h"

namespace {

class GameFont : public ::testing::Test {
  protected:
    void SetUp() override {
        svc::register_embedded_assets();
        auto bytes = svc::find_resource("itckrist.ttf");
        ASSERT_TRUE(bytes.has_value());
        ASSERT_EQ(FT_Init_FreeType(&lib_), 0);
        ASSERT_EQ(
            FT_New_Memory_Face(lib_, bytes->data(), static_cast<FT_Long>(bytes->size()), 0, &face_),
            0);
        ASSERT_EQ(FT_Set_Pixel_Sizes(face_, 0, 18), 0);
    }
    void TearDown() override {
        if (face_) FT_Done_Face(face_);
        if (lib_) FT_Done_FreeType(lib_);
    }
    int width(const std::string& text) {
        int w = 0;
        for (unsigned char ch : text) {
            EXPECT_EQ(FT_Load_Char(face_, ch, FT_LOAD_DEFAULT), 0);
            w += static_cast<int>(face_->glyph->advance.x >> 6);
        }
        return w;
    }
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

const std::vector<std::string>& game_texts() {
    static const std::vector<std::string> texts{"Jotpad Games Vol. 1",
                                                "Retro Action Games on Notebook Paper!",
                                                "Scribble Squadron",
                                                "Start Game",
                                                "Resume Game",
                                                "Sound Volume: Max",
                                                "BiPlane Volume: 60%",
                                                "Exit Game",
                                                "Quit This Game",
                                                "Off",
                                                "100%",
                                                "Stage: 12",
                                                "Get Ready!!",
                                                "Stage Clear!",
                                                "Bonus: 1500",
                                                "Game Over!",
                                                "Score",
                                                "Best",
                                                "Stage",
                                                "+15",
                                                "-150",
                                                "0123456789"};
    return texts;
}

TEST_F(GameFont, HasAGlyphForEveryPrintableCharacter) {
    // The game's texts and its version line use plain ASCII only.
    for (int ch = 33; ch < 127; ++ch) {
        EXPECT_NE(FT_Get_Char_Index(face_, static_cast<FT_ULong>(ch)), 0u)
            << "char " << static_cast<char>(ch);
    }
    ASSERT_EQ(FT_Load_Char(face_, ' ', FT_LOAD_DEFAULT), 0);
    EXPECT_GT(face_->glyph->advance.x >> 6, 2) << "a space must take room";
}

TEST_F(GameFont, RendersTheGameTextsWithInk) {
    for (const std::string& text : game_texts()) {
        int inked = 0;
        for (unsigned char ch : text) {
            ASSERT_EQ(FT_Load_Char(face_, ch, FT_LOAD_RENDER), 0);
            inked += ch == ' ' ? 0 : (face_->glyph->bitmap.rows * face_->glyph->bitmap.width > 0);
        }
        int letters = static_cast<int>(
            std::count_if(text.begin(), text.end(), [](char c) { return c != ' '; }));
        EXPECT_EQ(inked, letters) << text;
    }
}

TEST_F(GameFont, LineHeightSuitsTheLayoutAt18Pixels) {
    // The heads-up display puts labels at y 52 and values at y 68: a line
    // must be tall enough to read and short enough for that 16-pixel step to
    // leave the two lines touching at most.
    int height = static_cast<int>(face_->size->metrics.height >> 6);
    EXPECT_GE(height, 16);
    EXPECT_LE(height, 28);
}

TEST_F(GameFont, WidestTextsFitTheTitleColumn) {
    // The playfield between the page margins is 414 pixels wide.
    EXPECT_LE(width("Retro Action Games on Notebook Paper!") * 0.9f, 414.0f);
    EXPECT_LE(width("Scribble Squadron") * 1.5f, 414.0f);
    EXPECT_LE(width("BiPlane Volume: 100%") * 1.2f, 414.0f);
}

}  // namespace
