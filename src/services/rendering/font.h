#pragma once
// A TrueType (or OpenType) font rasterised by FreeType at one pixel size, with
// one image per glyph made on first use.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "services/rendering/graphics.h"

struct FT_FaceRec_;

namespace svc {

enum FontStyle : int { kBoldFont = 1, kItalicFont = 2, kSmoothFont = 4 };

struct FontData {
    struct Glyph {
        Image image;  // null for glyphs without pixels (a space); handle = offset from the pen
        float advance = 0;
    };

    FontData() = default;
    FontData(const FontData&) = delete;
    FontData& operator=(const FontData&) = delete;
    ~FontData();

    std::vector<std::uint8_t> file_bytes;  // the font file, when it was not a resource
    FT_FaceRec_* face = nullptr;
    int style = 0;
    int image_flags = 0;                         // for the glyph images: kFiltered when smooth
    int ascender = 0;                            // whole pixels above the baseline
    int line_height = 0;                         // whole pixels from one baseline to the next
    std::unordered_map<unsigned, Glyph> glyphs;  // by glyph index
};

}  // namespace svc
