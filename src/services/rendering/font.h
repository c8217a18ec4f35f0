#pragma once
// A TrueType (or OpenType) font rasterised by FreeType at one pixel size, with
// one image per glyph made on first use. On a screen drawn K times finer each
// glyph image also gets the glyph rasterised at K times the size.
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "services/rendering/graphics.h"

struct FT_FaceRec_;

namespace svc {

struct FontData {
    struct Glyph {
        Image image;  // null for glyphs without pixels (a space); handle = offset from the pen
        float advance = 0;
    };

    FontData() = default;
    FontData(const FontData&) = delete;
    FontData& operator=(const FontData&) = delete;
    ~FontData();

    // The same face at `scale` times the pixel size.
    struct FinerFace {
        FinerFace() = default;
        FinerFace(const FinerFace&) = delete;
        FinerFace& operator=(const FinerFace&) = delete;
        ~FinerFace();
        FT_FaceRec_* face = nullptr;
        int scale = 0;
        int ascender = 0;
    };

    std::vector<std::uint8_t> file_bytes;  // the font file, when it was not a resource
    std::span<const std::uint8_t> bytes;   // the font file (a resource, or file_bytes)
    FT_FaceRec_* face = nullptr;
    int pixel_size = 0;  // the size that was accepted
    std::unique_ptr<FinerFace> finer;
    // On a finer screen, text drawn stretched (the title is 1.5 by 4) has each
    // glyph rasterised at the size it is shown at, so that it stays sharp: by
    // glyph index and the screen-pixel sizes across and down.
    std::unique_ptr<FinerFace> stretched_face;
    std::map<std::tuple<unsigned, float, float>, Image> stretched;
    FontStyle style;
    int image_flags = 0;                         // for the glyph images: kFiltered when smooth
    int ascender = 0;                            // whole pixels above the baseline
    int line_height = 0;                         // whole pixels from one baseline to the next
    std::unordered_map<unsigned, Glyph> glyphs;  // by glyph index
};

}  // namespace svc
