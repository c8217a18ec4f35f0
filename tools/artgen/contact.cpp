#include "contact.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

#include "scenery.h"

namespace art {

namespace {

// Draws text with FreeType, blending the glyphs' coverage into a picture.
class Writer {
  public:
    Writer(const std::string& font_path, int pixels) {
        if (FT_Init_FreeType(&lib_)) throw std::runtime_error("FreeType failed to start");
        if (FT_New_Face(lib_, font_path.c_str(), 0, &face_)) {
            FT_Done_FreeType(lib_);
            throw std::runtime_error("cannot open font " + font_path);
        }
        FT_Set_Pixel_Sizes(face_, 0, pixels);
    }
    ~Writer() {
        FT_Done_Face(face_);
        FT_Done_FreeType(lib_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    int ascender() const { return static_cast<int>(face_->size->metrics.ascender >> 6); }
    int height() const { return static_cast<int>(face_->size->metrics.height >> 6); }
    int width(const std::string& text) {
        int w = 0;
        for (unsigned char ch : text) {
            if (FT_Load_Char(face_, ch, FT_LOAD_DEFAULT)) continue;
            w += static_cast<int>(face_->glyph->advance.x >> 6);
        }
        return w;
    }
    // Top-left of the text's line box at (x, y), scaled by (sx, sy).
    void draw(Image& img, float x, float y, const std::string& text, Rgb8 colour, float sx = 1,
              float sy = 1) {
        float pen = 0;
        for (unsigned char ch : text) {
            if (FT_Load_Char(face_, ch, FT_LOAD_RENDER)) continue;
            const FT_GlyphSlot g = face_->glyph;
            for (unsigned row = 0; row < g->bitmap.rows; ++row) {
                for (unsigned col = 0; col < g->bitmap.width; ++col) {
                    float a = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f;
                    if (a <= 0) continue;
                    float gx = pen + g->bitmap_left + col;
                    float gy = ascender() - g->bitmap_top + static_cast<float>(row);
                    for (int dy = 0; dy < std::max(1, static_cast<int>(sy)); ++dy) {
                        for (int dx = 0; dx < std::max(1, static_cast<int>(sx)); ++dx) {
                            int px = static_cast<int>(x + gx * sx) + dx;
                            int py = static_cast<int>(y + gy * sy) + dy;
                            if (px < 0 || py < 0 || px >= img.width() || py >= img.height())
                                continue;
                            Rgb8 p = img.at(px, py);
                            auto mix = [a](std::uint8_t bg, std::uint8_t fg) {
                                return static_cast<std::uint8_t>(std::lround(bg + (fg - bg) * a));
                            };
                            img.set(px, py,
                                    {mix(p.r, colour.r), mix(p.g, colour.g), mix(p.b, colour.b)});
                        }
                    }
                }
            }
            pen += static_cast<float>(g->advance.x >> 6);
        }
    }
    void draw_centred(Image& img, float cx, float cy, const std::string& text, Rgb8 colour,
                      float sx = 1, float sy = 1) {
        // Centred as the game centres: by the unscaled box when the scale is a drawing scale.
        draw(img, cx - width(text) * sx / 2, cy - height() * sy / 2, text, colour, sx, sy);
    }

  private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

// Draws a picture placed by its centre (or top-left), key pixels left out,
// scaled and turned about its centre with nearest sampling, as the game's masked blend does.
void put(Image& dst, const Image& src, float x, float y, bool centred = true, float scale = 1.0f,
         float degrees = 0.0f) {
    float cx = centred ? x : x + src.width() * scale / 2;
    float cy = centred ? y : y + src.height() * scale / 2;
    float reach = std::hypot(src.width(), src.height()) * scale / 2 + 2;
    float c = std::cos(-degrees * 3.14159265f / 180), s = std::sin(-degrees * 3.14159265f / 180);
    for (int py = static_cast<int>(cy - reach); py <= static_cast<int>(cy + reach); ++py) {
        for (int px = static_cast<int>(cx - reach); px <= static_cast<int>(cx + reach); ++px) {
            if (px < 0 || py < 0 || px >= dst.width() || py >= dst.height()) continue;
            float dx = px + 0.5f - cx, dy = py + 0.5f - cy;
            float ux = (dx * c - dy * s) / scale + src.width() / 2.0f;
            float uy = (dx * s + dy * c) / scale + src.height() / 2.0f;
            int sx = static_cast<int>(std::floor(ux)), sy = static_cast<int>(std::floor(uy));
            if (sx < 0 || sy < 0 || sx >= src.width() || sy >= src.height()) continue;
            Rgb8 p = src.at(sx, sy);
            if (p == kKey) continue;
            dst.set(px, py, p);
        }
    }
}

void margins(Image& frame, const Image& paper) {
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (x < 110 || x >= 524) frame.set(x, y, paper.at(x, y));
        }
    }
}

std::string two_digits(int n) {
    return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

void hud(Image& frame, Writer& font, const AllArt& art, int lives) {
    const Rgb8 grey{80, 80, 80};
    font.draw(frame, 175, 52, "Score", grey);
    font.draw(frame, 185, 68, two_digits(1230), grey);
    font.draw_centred(frame, 324, 64, "Best", grey);
    font.draw(frame, 316, 68, two_digits(4520), grey);
    font.draw(frame, 465, 52, "Stage", grey);
    font.draw(frame, 475, 68, two_digits(3), grey);
    for (int i = 1; i < lives; ++i) put(frame, art.parts.frames[1], 140 + 53 * (i - 1), 452);
}

}  // namespace

void write_mockups(const AllArt& art, const std::string& font_path, const std::string& prefix) {
    Writer font(font_path, 18);
    const auto& f = art.parts.frames;
    {
        Image frame = art.paper;
        for (auto [x, y, s] : {std::array<float, 3>{180, 180, 0.7f},
                               {330, 250, 1.0f},
                               {470, 150, 0.55f},
                               {260, 300, 0.85f}})
            put(frame, art.parts.cloud, x, y, true, s);
        put(frame, art.mountains2, 100 - 416, 304, false);
        put(frame, art.mountains1, 100, 300, false);
        put(frame, art.mountains2, 516, 304, false);
        put(frame, f[10], 470, 128);
        put(frame, f[14], 300, 160);
        put(frame, f[14], 420, 290);
        put(frame, f[12], 410, 200);
        put(frame, f[13], 330, 250);
        put(frame, f[12], 500, 330);
        put(frame, f[1], 200, 220);
        put(frame, f[21], 240, 220);
        put(frame, f[21], 296, 220);
        put(frame, f[23], 380, 180, true, 1.0f);
        put(frame, f[16], 360, 160, true, 1.0f, 30);
        put(frame, f[17], 396, 150, true, 1.0f, -20);
        for (int i = 0; i < 6; ++i)
            put(frame, f[20], 250 + i * 9, 120 + i * 6, true, 0.3f + i * 0.03f, i * 25.0f);
        put(frame, f[15], 150, 300);
        put(frame, art.parts.blimp[0], 150, 380);
        font.draw_centred(frame, 380, 140, "+45", {80, 80, 80});
        hud(frame, font, art, 3);
        margins(frame, art.paper);
        frame.write_png(prefix + "-play.png");
    }
    {
        Image frame = art.paper;
        font.draw_centred(frame, 320, 122, "Jotpad Games Vol. 1", {80, 80, 80});
        font.draw_centred(frame, 320, 139, "Retro Action Games on Notebook Paper!", {60, 60, 60},
                          0.9f, 0.9f);
        font.draw_centred(frame, 320, 210, "Scribble Squadron", {60, 60, 60}, 1.5f, 4.0f);
        const char* items[] = {"Start Game", "Sound Volume: Max", "BiPlane Volume: 60%",
                               "Exit Game"};
        for (int i = 0; i < 4; ++i) {
            bool sel = i == 0;
            font.draw_centred(frame, 320, 292 + 30 * i, items[i],
                              sel ? Rgb8{20, 20, 20} : Rgb8{80, 80, 80});
        }
        put(frame, art.pointer, 320, 292, false);
        hud(frame, font, art, 0);
        margins(frame, art.paper);
        frame.write_png(prefix + "-title.png");
    }
    {
        Image frame = art.paper;
        put(frame, art.logo, 320, 215);  // the splash draws no margins
        frame.write_png(prefix + "-logo.png");
    }
    {
        // Stage clear and game over texts over the scenery, and the seam in both orders.
        Image frame = art.paper;
        put(frame, art.mountains1, 110 - 200, 300, false);
        put(frame, art.mountains2, 110 - 200 + 416, 304, false);
        put(frame, art.mountains1, 110 - 200 + 832, 300, false);
        font.draw_centred(frame, 320, 199, "Stage Clear!", {80, 80, 80});
        font.draw_centred(frame, 320, 245, "Bonus: 1500", {80, 80, 80});
        font.draw(frame, 280 - font.width("Game Over!") / 2.0f, 120 - font.height() / 2.0f,
                  "Game Over!", {80, 80, 80}, 2, 2);
        hud(frame, font, art, 2);
        margins(frame, art.paper);
        frame.write_png(prefix + "-seams.png");
    }
}

void write_contact_sheet(const AllArt& art, const std::string& font_path, const std::string& path) {
    struct Item {
        const Image* image;
        std::string label;
    };
    static const char* names[26] = {
        "player L", "player R",    "piece",     "piece",      "piece",     "piece",     "piece",
        "piece",    "piece",       "piece",     "blimp L",    "blimp R",   "enemy L",   "enemy R",
        "balloon",  "balloon pop", "enemy bit", "enemy bit",  "enemy bit", "enemy bit", "smoke",
        "shot",     "flash",       "burst",     "smoke ring", "wisps"};
    std::vector<Item> items;
    std::vector<std::string> labels;
    for (int i = 0; i < 26; ++i)
        items.push_back({&art.parts.frames[i], std::to_string(i) + " " + names[i]});
    for (int i = 0; i < 4; ++i)
        items.push_back({&art.parts.blimp[i], "blimp hit " + std::to_string(i)});
    items.push_back({&art.parts.cloud, "cloud"});
    items.push_back({&art.pointer, "pointer"});
    items.push_back({&art.logo, "logo"});
    items.push_back({&art.mountains1, "mountain_1"});
    items.push_back({&art.mountains2, "mountain_2"});
    items.push_back({&art.sheet, "sprite sheet"});
    items.push_back({&art.paper, "paper"});

    const int width = 2000, gap = 12, label_h = 26, zoom = 3;
    Writer font(font_path, 18);
    // First pass lays out, second draws.
    std::vector<std::pair<int, int>> spots;
    int x = gap, y = gap, row_h = 0;
    for (const Item& it : items) {
        int w = it.image->width() * zoom, h = it.image->height() * zoom + label_h;
        if (x + w > width - gap && x > gap) {
            x = gap;
            y += row_h + gap;
            row_h = 0;
        }
        spots.emplace_back(x, y);
        x += w + gap;
        row_h = std::max(row_h, h);
    }
    Image sheet(width, y + row_h + gap, {96, 100, 112});
    for (size_t i = 0; i < items.size(); ++i) {
        auto [sx, sy] = spots[i];
        font.draw(sheet, sx, sy, items[i].label, {240, 240, 240});
        sheet.blit(items[i].image->scaled(zoom), sx, sy + label_h);
    }
    sheet.write_png(path);
}

}  // namespace art
