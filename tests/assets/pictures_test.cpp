// What the game relies on in its pictures: sizes and format, the sprite
// sheet's layout, the colours that turn transparent, and the few shapes whose
// geometry play depends on (the shot, the mountains' joins, the pointer's tip).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <queue>
#include <stdexcept>
#include <string>

#include "support/files.h"
#include "support/png_picture.h"

namespace {

using test_support::PngColourType;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kKey{200, 200, 200};
constexpr Rgb kBlack{0, 0, 0};

// A picture of assets/ as stored, with the colour helpers these checks use.
struct AssetPicture : test_support::PngPicture {
    Rgb at(int x, int y) const {
        const std::uint32_t p = PngPicture::at(x, y);
        return {static_cast<int>((p >> 16) & 0xFFu), static_cast<int>((p >> 8) & 0xFFu),
                static_cast<int>(p & 0xFFu)};
    }
    int alpha(int x, int y) const { return static_cast<int>(PngPicture::at(x, y) >> 24); }
    bool is_key(int x, int y) const { return at(x, y) == kKey; }
};

AssetPicture read_asset(const std::string& name) {
    auto png = test_support::read_png(test_support::source_path("assets") / name);
    if (!png) throw std::runtime_error("not a readable PNG: assets/" + name);
    return AssetPicture{std::move(*png)};
}

struct Rect {
    int x, y, w, h;
};

constexpr int kCellW = 48, kCellH = 33;

Rect cell(int frame) {
    return {1 + 49 * (frame % 13), 1 + 34 * (frame / 13), kCellW, kCellH};
}
Rect blimp_cell(int frame) {
    return {1 + 81 * frame, 71, 80, 33};
}
constexpr Rect kCloud{397, 79, 116, 78};

std::vector<Rect> all_regions() {
    std::vector<Rect> r;
    for (int f = 0; f < 26; ++f) r.push_back(cell(f));
    for (int f = 0; f < 4; ++f) r.push_back(blimp_cell(f));
    r.push_back(kCloud);
    return r;
}

std::string region_name(size_t i) {
    if (i < 26) return "frame " + std::to_string(i);
    if (i < 30) return "blimp frame " + std::to_string(i - 26);
    return "cloud";
}

const AssetPicture& sheet() {
    static const AssetPicture png = read_asset("sprite_sheet.png");
    return png;
}

// Every picture is also drawn at 2, 3 and 4 times the size, from the same
// strokes, into assets/2x, 3x and 4x; play and collisions keep to scale 1.
constexpr std::array<int, 4> kEveryScale{1, 2, 3, 4};

std::string at_scale(int k, const std::string& file) {
    return k == 1 ? file : std::to_string(k) + "x/" + file;
}

struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    int count = 0;
    bool empty() const { return count == 0; }
    float cx() const { return (x0 + x1 + 1) / 2.0f; }
    float cy() const { return (y0 + y1 + 1) / 2.0f; }
};

// The box around the pixels of a region that the game keeps (not the key grey).
Box content(const AssetPicture& png, const Rect& r) {
    Box b;
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) {
            if (png.is_key(r.x + x, r.y + y)) continue;
            b.x0 = std::min(b.x0, x);
            b.y0 = std::min(b.y0, y);
            b.x1 = std::max(b.x1, x);
            b.y1 = std::max(b.y1, y);
            ++b.count;
        }
    }
    return b;
}

TEST(PictureFormat, EveryPictureIs8BitRgbWithoutAlphaAtItsSize) {
    struct Expect {
        const char* file;
        int w, h;
    };
    for (const Expect& e : {Expect{"paper.png", 640, 480}, Expect{"sprite_sheet.png", 640, 171},
                            Expect{"mountain_1.png", 416, 147}, Expect{"mountain_2.png", 416, 147},
                            Expect{"pointer.png", 20, 20}, Expect{"logo.png", 414, 230}}) {
        SCOPED_TRACE(e.file);
        AssetPicture png = read_asset(e.file);
        EXPECT_EQ(png.width, e.w);
        EXPECT_EQ(png.height, e.h);
        EXPECT_EQ(png.bit_depth, 8);
        EXPECT_EQ(png.colour_type, PngColourType::kRgb);
    }
}

TEST(SpriteSheet, EverythingOutsideTheFramesIsTheKeyGreyAtEveryScale) {
    // At scale K the game cuts frames at K times the offsets above.
    for (int k : kEveryScale) {
        SCOPED_TRACE(k);
        const AssetPicture png = read_asset(at_scale(k, "sprite_sheet.png"));
        ASSERT_EQ(png.width, 640 * k);
        std::vector<std::uint8_t> inside(static_cast<size_t>(png.width) * png.height, 0);
        for (const Rect& r : all_regions()) {
            for (int y = r.y * k; y < (r.y + r.h) * k; ++y) {
                for (int x = r.x * k; x < (r.x + r.w) * k; ++x)
                    inside[static_cast<size_t>(y) * png.width + x] = 1;
            }
        }
        int stray = 0;
        for (int y = 0; y < png.height; ++y) {
            for (int x = 0; x < png.width; ++x) {
                if (!inside[static_cast<size_t>(y) * png.width + x] && !png.is_key(x, y)) ++stray;
            }
        }
        EXPECT_EQ(stray, 0) << "pixels in the gutters or background that are not (200,200,200)";
    }
}

TEST(SpriteSheet, NoFrameHasBlackOrEnclosedKeyPixels) {
    // Black and the key grey both turn transparent when the game cuts the
    // sheet, so inside a frame they may only be background: key pixels that
    // reach the frame's border through other key pixels.
    const AssetPicture& png = sheet();
    auto regions = all_regions();
    for (size_t i = 0; i < regions.size(); ++i) {
        SCOPED_TRACE(region_name(i));
        const Rect& r = regions[i];
        std::vector<std::uint8_t> seen(static_cast<size_t>(r.w) * r.h, 0);
        std::queue<std::pair<int, int>> todo;
        auto visit = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= r.w || y >= r.h) return;
            size_t k = static_cast<size_t>(y) * r.w + x;
            if (seen[k] || !png.is_key(r.x + x, r.y + y)) return;
            seen[k] = 1;
            todo.emplace(x, y);
        };
        for (int x = 0; x < r.w; ++x) visit(x, 0), visit(x, r.h - 1);
        for (int y = 0; y < r.h; ++y) visit(0, y), visit(r.w - 1, y);
        while (!todo.empty()) {
            auto [x, y] = todo.front();
            todo.pop();
            visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
        }
        int black = 0, enclosed = 0;
        std::string where;
        for (int y = 0; y < r.h; ++y) {
            for (int x = 0; x < r.w; ++x) {
                if (png.at(r.x + x, r.y + y) == kBlack) ++black;
                if (png.is_key(r.x + x, r.y + y) && !seen[static_cast<size_t>(y) * r.w + x]) {
                    if (++enclosed <= 4)
                        where += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
                }
            }
        }
        EXPECT_EQ(black, 0);
        EXPECT_EQ(enclosed, 0) << "enclosed key pixels at" << where;
    }
}

TEST(SpriteSheet, EveryFrameHasContentCentredInItsCell) {
    // Sprites are placed by their centre, so a picture drawn off-centre would
    // fly, collide and explode off its true position.
    const AssetPicture& png = sheet();
    auto regions = all_regions();
    for (size_t i = 0; i < regions.size(); ++i) {
        SCOPED_TRACE(region_name(i));
        const Rect& r = regions[i];
        Box b = content(png, r);
        ASSERT_FALSE(b.empty());
        EXPECT_GE(b.count, 12);
        if (i >= 26 && i < 30) continue;  // the hit blimp keeps the whole blimp's centre, gas aside
        EXPECT_NEAR(b.cx(), r.w / 2.0f, 2.5f);
        EXPECT_NEAR(b.cy(), r.h / 2.0f, 2.5f);
    }
}

TEST(SpriteSheet, FacingPairsAreMirrorImages) {
    const AssetPicture& png = sheet();
    auto mirrored = [&](const Rect& a, const Rect& b) {
        for (int y = 0; y < a.h; ++y) {
            for (int x = 0; x < a.w; ++x) {
                if (!(png.at(a.x + x, a.y + y) == png.at(b.x + b.w - 1 - x, b.y + y))) return false;
            }
        }
        return true;
    };
    const std::array<std::pair<int, int>, 9> pairs{
        {{0, 1}, {2, 6}, {3, 7}, {4, 8}, {5, 9}, {10, 11}, {12, 13}, {16, 18}, {17, 19}}};
    for (auto [left, right] : pairs) {
        EXPECT_TRUE(mirrored(cell(left), cell(right))) << left << " / " << right;
    }
    EXPECT_TRUE(mirrored(blimp_cell(0), blimp_cell(2)));
    EXPECT_TRUE(mirrored(blimp_cell(1), blimp_cell(3)));
    EXPECT_FALSE(mirrored(blimp_cell(0), blimp_cell(3))) << "the two gas puffs should differ";
}

TEST(SpriteSheet, HitBlimpIsTheSameBlimpAtTheSameSize) {
    // Frames 10 and 0 of the hit blimp must line up: the game swaps one for the
    // other at the same centre, so the envelope must not jump or change size.
    const AssetPicture& png = sheet();
    Box whole = content(png, cell(10));
    Rect body_part = blimp_cell(0);
    body_part.x += 16;  // the same 48 columns, centred in the 80-wide frame
    body_part.w = kCellW;
    // Compare the tail half, which the puncture and the gas leave alone.
    Box hit_tail = content(png, {body_part.x + 24, body_part.y, 24, kCellH});
    Box tail = content(png, {cell(10).x + 24, cell(10).y, 24, kCellH});
    EXPECT_EQ(hit_tail.x1, tail.x1);
    EXPECT_EQ(hit_tail.y0, tail.y0);
    EXPECT_EQ(hit_tail.y1, tail.y1);
    EXPECT_LE(whole.x1 - whole.x0, 46);
}

TEST(SpriteSheet, ShotIsASmallRingAtTheCellCentre) {
    const AssetPicture& png = sheet();
    Rect r = cell(21);
    Box b = content(png, r);
    ASSERT_FALSE(b.empty());
    EXPECT_LE(b.x1 - b.x0 + 1, 9);
    EXPECT_LE(b.y1 - b.y0 + 1, 9);
    EXPECT_GE(b.x1 - b.x0 + 1, 4);
    EXPECT_NEAR(b.cx(), 24.0f, 1.0f);
    EXPECT_NEAR(b.cy(), 16.5f, 1.0f);
    // A ring: its middle is lighter than its rim.
    auto lum = [](Rgb c) { return c.r + c.g + c.b; };
    int middle = lum(png.at(r.x + static_cast<int>(b.cx()), r.y + static_cast<int>(b.cy())));
    int darkest = 3 * 255;
    for (int y = b.y0; y <= b.y1; ++y) {
        for (int x = b.x0; x <= b.x1; ++x) {
            if (!png.is_key(r.x + x, r.y + y))
                darkest = std::min(darkest, lum(png.at(r.x + x, r.y + y)));
        }
    }
    EXPECT_GT(middle, darkest + 200);
}

// ------------------------------------------------------------ mountains

// The game draws the first range at y 300 and the second at y 304 and lays
// them side by side in both orders, so ground heights must agree on screen.
constexpr int kDrawY1 = 300, kDrawY2 = 304;

int first_solid_row(const AssetPicture& png, int x) {
    for (int y = 0; y < png.height; ++y) {
        if (!png.is_key(x, y)) return y;
    }
    return png.height;
}

int last_solid_row(const AssetPicture& png, int x) {
    for (int y = png.height - 1; y >= 0; --y) {
        if (!png.is_key(x, y)) return y;
    }
    return -1;
}

TEST(Mountains, RangesJoinWithoutAStepInEitherOrderAtEveryScale) {
    for (int k : kEveryScale) {
        SCOPED_TRACE(k);
        AssetPicture one = read_asset(at_scale(k, "mountain_1.png"));
        AssetPicture two = read_asset(at_scale(k, "mountain_2.png"));
        const int last = one.width - 1, y1 = kDrawY1 * k, y2 = kDrawY2 * k;
        EXPECT_EQ(first_solid_row(one, last) + y1, first_solid_row(two, 0) + y2);
        EXPECT_EQ(first_solid_row(two, last) + y2, first_solid_row(one, 0) + y1);
        EXPECT_EQ(last_solid_row(one, last) + y1, last_solid_row(two, 0) + y2);
        EXPECT_EQ(last_solid_row(two, last) + y2, last_solid_row(one, 0) + y1);
        // The ground meets the edges low down, near the foot of the band.
        EXPECT_GT(first_solid_row(one, 0), one.height * 3 / 4);
    }
}

TEST(Mountains, EachColumnIsSolidGroundFromRidgeToFoot) {
    // The opaque pixels are the deadly ground: a gap would let the plane fly
    // through rock, a floating speck would kill it in the open sky.
    for (const char* file : {"mountain_1.png", "mountain_2.png"}) {
        SCOPED_TRACE(file);
        AssetPicture png = read_asset(file);
        int holes = 0, highest = png.height;
        for (int x = 0; x < png.width; ++x) {
            int top = first_solid_row(png, x), bottom = last_solid_row(png, x);
            highest = std::min(highest, top);
            ASSERT_LT(top, png.height) << "column " << x << " has no ground";
            for (int y = top; y <= bottom; ++y) holes += png.is_key(x, y);
        }
        EXPECT_EQ(holes, 0);
        EXPECT_LT(highest, png.height / 2) << "the range should rise well above its foothills";
    }
}

TEST(Mountains, TwoRangesAreDifferent) {
    AssetPicture one = read_asset("mountain_1.png");
    AssetPicture two = read_asset("mountain_2.png");
    int differing = 0;
    for (int x = 0; x < one.width; ++x)
        differing += first_solid_row(one, x) != first_solid_row(two, x) - 4;
    EXPECT_GT(differing, one.width / 2);
}

// ------------------------------------------------------------ larger scales

// The picture at scale k against the scale-1 one. Averaged over k x k blocks:
// the mean absolute difference per channel (the key grey counted as a colour),
// and the worst such mean over a 16 x 16 block. Scale-1 pixels that agree with
// all eight neighbours about being see-through (the key grey) or solid, but
// whose block does not: `holes` where the picture is solid, `specks` in the
// open background.
struct Comparison {
    double mean = 0, worst_block = 0;
    int holes = 0, specks = 0;
};

Comparison compare(const AssetPicture& one, const AssetPicture& big, int k) {
    const int w = one.width, h = one.height;
    auto settled = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int nx = std::clamp(x + dx, 0, w - 1), ny = std::clamp(y + dy, 0, h - 1);
                if (one.is_key(nx, ny) != one.is_key(x, y)) return false;
            }
        }
        return true;
    };
    Comparison c;
    std::vector<double> blocks(static_cast<size_t>(w / 16 + 1) * (h / 16 + 1), 0.0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double r = 0, g = 0, b = 0;
            int keys = 0;
            for (int yy = y * k; yy < (y + 1) * k; ++yy) {
                for (int xx = x * k; xx < (x + 1) * k; ++xx) {
                    Rgb p = big.at(xx, yy);
                    r += p.r, g += p.g, b += p.b, keys += big.is_key(xx, yy);
                }
            }
            const double n = k * k;
            const Rgb p = one.at(x, y);
            double d = (std::abs(r / n - p.r) + std::abs(g / n - p.g) + std::abs(b / n - p.b)) / 3;
            c.mean += d / (static_cast<double>(w) * h);
            if (x < w / 16 * 16 && y < h / 16 * 16)
                blocks[static_cast<size_t>(y / 16) * (w / 16 + 1) + x / 16] += d / 256;
            if (!settled(x, y)) continue;
            c.holes += !one.is_key(x, y) && keys > 0;
            c.specks += one.is_key(x, y) && keys < k * k;
        }
    }
    c.worst_block = *std::max_element(blocks.begin(), blocks.end());
    return c;
}

TEST(LargerScales, EachPictureIsKTimesLargerAndAveragedDownLooksTheSame) {
    // Drawn from the same strokes, a larger picture differs from the scale-1
    // one only by finer grain and crisper edges: averaged down it lies within
    // 3.5 levels (of 255) on the whole and 14 in any 16 x 16 block, is
    // see-through where the scale-1 picture is, and shows at most a few specks
    // (one per 2000 pixels) where the scale-1 picture has faded a line out.
    for (const char* file : {"paper.png", "sprite_sheet.png", "mountain_1.png", "mountain_2.png",
                             "pointer.png", "logo.png"}) {
        const AssetPicture one = read_asset(file);
        for (int k : {2, 3, 4}) {
            SCOPED_TRACE(at_scale(k, file));
            const AssetPicture big = read_asset(at_scale(k, file));
            ASSERT_EQ(big.width, one.width * k);
            ASSERT_EQ(big.height, one.height * k);
            ASSERT_EQ(big.bit_depth, 8);
            ASSERT_EQ(big.colour_type, PngColourType::kRgb);
            const Comparison c = compare(one, big, k);
            EXPECT_LT(c.mean, 3.5);
            EXPECT_LT(c.worst_block, 14.0);
            EXPECT_EQ(c.holes, 0);
            EXPECT_LE(c.specks, one.width * one.height / 2000);
        }
    }
}

// ------------------------------------------------------------ the rest

TEST(Paper, HasNoKeyGreyAnywhere) {
    // The page margins are cut from the paper with the key grey transparent:
    // any such pixel would let the world show through the margin.
    AssetPicture png = read_asset("paper.png");
    int keys = 0;
    for (int y = 0; y < png.height; ++y) {
        for (int x = 0; x < png.width; ++x) keys += png.is_key(x, y);
    }
    EXPECT_EQ(keys, 0);
}

TEST(Paper, IsLightEnoughForTheGreyTextsToRead) {
    AssetPicture png = read_asset("paper.png");
    // The heads-up display writes in (80,80,80) in the band at the top.
    long sum = 0;
    int n = 0;
    for (int y = 40; y < 95; ++y) {
        for (int x = 150; x < 520; ++x, ++n)
            sum += png.at(x, y).r + png.at(x, y).g + png.at(x, y).b;
    }
    EXPECT_GT(sum / n, 3 * 200);
}

TEST(Pointer, TipIsTheTopLeftPixelOfTheArrow) {
    AssetPicture png = read_asset("pointer.png");
    Rgb tip = png.at(0, 0);
    EXPECT_FALSE(tip == kKey);
    EXPECT_LT(tip.r + tip.g + tip.b, 3 * 120) << "the hot spot should be dark and visible";
    // Nothing of the pointer lies up or left of the tip, by construction of the
    // picture; make sure the arrow body reaches well away from it.
    Box b = content(png, {0, 0, 20, 20});
    EXPECT_EQ(b.x0, 0);
    EXPECT_EQ(b.y0, 0);
    EXPECT_GE(b.x1, 12);
    EXPECT_GE(b.y1, 12);
}

TEST(Logo, StandsOnTheKeyGreyWithTheLetteringInTheMiddle) {
    AssetPicture png = read_asset("logo.png");
    for (auto [x, y] :
         std::array<std::pair<int, int>, 4>{{{0, 0}, {413, 0}, {0, 229}, {413, 229}}}) {
        EXPECT_TRUE(png.is_key(x, y)) << x << "," << y;
    }
    Box b = content(png, {0, 0, png.width, png.height});
    EXPECT_GT(b.count, png.width * png.height / 8);
    EXPECT_NEAR(b.cx(), png.width / 2.0f, 30.0f);
}

}  // namespace

namespace {

TEST(Icon, EverySizeIsASquareRgbaPictureWithClearCorners) {
    for (int size : {256, 128, 64, 48, 32}) {
        SCOPED_TRACE(size);
        AssetPicture png = read_asset("icon/scribble-squadron-" + std::to_string(size) + ".png");
        EXPECT_EQ(png.width, size);
        EXPECT_EQ(png.height, size);
        ASSERT_EQ(png.colour_type, PngColourType::kRgba);
        EXPECT_EQ(png.alpha(0, 0), 0);
        EXPECT_EQ(png.alpha(size - 1, size - 1), 0);
        EXPECT_EQ(png.alpha(size / 2, size / 2), 255);
    }
}

}  // namespace
