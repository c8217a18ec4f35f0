// Text: FreeType fonts, glyph images made on demand and drawn through the
// drawing matrix like any image.
#include "services/rendering/font.h"

#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include "services/files.h"
#include "services/rendering/render_internal.h"
#include "services/resources.h"

namespace svc {
namespace {

// One FreeType library for the process. It is never released: fonts held by
// globals may be destroyed at exit in any order, and each needs the library.
FT_Library freetype() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
        return lib;
    }();
    return library;
}

int round_26_6(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

// What a byte may start: how many continuation bytes follow it, and the range
// the first of them must lie in so that the sequence is neither an overlong
// form nor a surrogate nor past U+10FFFF. No continuation bytes: it starts
// nothing.
struct LeadByte {
    int continuation_bytes = 0;
    unsigned char first_low = 0x80, first_high = 0xBF;
};

LeadByte lead_byte(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {1};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};
    if (byte == 0xED) return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {2};
    if (byte == 0xF0) return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {3};
    if (byte == 0xF4) return {3, 0x80, 0x8F};
    return {};
}

// The next code point of UTF-8 text; a byte that does not start a valid
// sequence stands for itself (Latin-1), so no input is dropped.
char32_t next_code_point(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const LeadByte rule = lead_byte(lead);
    const std::size_t extra = static_cast<std::size_t>(rule.continuation_bytes);
    bool valid = extra > 0 && pos + extra < text.size() && byte(pos + 1) >= rule.first_low &&
                 byte(pos + 1) <= rule.first_high;
    char32_t cp = lead & (0x3F >> extra);
    for (std::size_t i = 1; valid && i <= extra; ++i) {
        valid = (byte(pos + i) & 0xC0) == 0x80;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (!valid) {
        ++pos;
        return lead;
    }
    pos += extra + 1;
    return cp;
}

Pixmap glyph_pixmap(const FT_Bitmap& bitmap) {
    const int width = static_cast<int>(bitmap.width), height = static_cast<int>(bitmap.rows);
    Pixmap pixmap;
    pixmap.width = width;
    pixmap.height = height;
    pixmap.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            std::uint32_t coverage = 0;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                coverage = (row[x >> 3] >> (7 - (x & 7))) & 1u ? 255u : 0u;
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                const unsigned levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
                coverage = (row[x] * 255u + levels / 2) / levels;
            }
            // White, so the drawing colour tints it; coverage is the alpha.
            pixmap.pixels[static_cast<std::size_t>(y) * width + x] = (coverage << 24) | 0xFFFFFFu;
        }
    }
    return pixmap;
}

Image glyph_image(const FT_Bitmap& bitmap, int flags, float handle_x, float handle_y) {
    const int width = static_cast<int>(bitmap.width), height = static_cast<int>(bitmap.rows);
    if (width <= 0 || height <= 0) return nullptr;
    auto image = std::make_shared<ImageData>();
    image->width = width;
    image->height = height;
    image->flags = flags;
    image->handle_x = handle_x;
    image->handle_y = handle_y;
    image->pixmaps.push_back(glyph_pixmap(bitmap));
    image->render_cache.resize(1);
    return image;
}

// Loads and renders glyph `index` of `face` in the font's style; the slot, or
// null when FreeType cannot.
FT_GlyphSlot render_glyph(const FontData& font, FT_Face face, FT_UInt index) {
    const bool smooth = font.style.smooth;
    const FT_Int32 load_flags = smooth ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face, index, load_flags) != 0) return nullptr;
    FT_GlyphSlot slot = face->glyph;
    if (font.style.bold) FT_GlyphSlot_Embolden(slot);
    if (font.style.italic) FT_GlyphSlot_Oblique(slot);
    if (FT_Render_Glyph(slot, smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
        return nullptr;
    }
    return slot;
}

// Another face of the font's own bytes, to rasterise at other sizes; null
// when FreeType cannot open it.
std::unique_ptr<FontData::FinerFace> another_face(const FontData& font) {
    auto face = std::make_unique<FontData::FinerFace>();
    if (FT_New_Memory_Face(freetype(), font.bytes.data(), static_cast<FT_Long>(font.bytes.size()),
                           0, &face->face) != 0) {
        return nullptr;
    }
    return face;
}

// The font's face at `scale` times its size, opened on first use.
FontData::FinerFace* finer_face(FontData& font, int scale) {
    if (font.finer && font.finer->scale == scale) return font.finer.get();
    font.finer.reset();
    auto finer = another_face(font);
    if (!finer ||
        FT_Set_Pixel_Sizes(finer->face, 0, static_cast<FT_UInt>(font.pixel_size * scale)) != 0) {
        return nullptr;
    }
    finer->scale = scale;
    finer->ascender = round_26_6(finer->face->size->metrics.ascender);
    font.finer = std::move(finer);
    return font.finer.get();
}

// Gives a glyph image its glyph rasterised `scale` times larger, with the
// bearings of that size, so that text on a finer screen is drawn sharp.
void add_finer_glyph(FontData& font, FT_UInt index, ImageData& image, int scale) {
    if (image.detail.scale == scale) return;
    image.detail = ImageData::Detail{};
    FontData::FinerFace* finer = finer_face(font, scale);
    if (!finer) return;
    FT_GlyphSlot slot = render_glyph(font, finer->face, index);
    if (!slot) return;
    Pixmap pixmap = glyph_pixmap(slot->bitmap);
    if (pixmap.width <= 0 || pixmap.height <= 0) return;
    // Hinted at its own size, the bitmap need not be exactly `scale` times the
    // game-resolution one; it keeps its own size and bearings.
    image.detail.scale = scale;
    image.detail.own_handle = true;
    image.detail.handle_x = static_cast<float>(-slot->bitmap_left);
    image.detail.handle_y = static_cast<float>(-(finer->ascender - slot->bitmap_top));
    image.detail.pixmaps.push_back(std::move(pixmap));
    image.detail.render_cache.resize(1);
}

// Glyph `index` (not 0, which stands for none), or null when it cannot be drawn.
const FontData::Glyph* find_glyph(FontData& font, FT_UInt index) {
    const int scale = render_scale();
    if (auto it = font.glyphs.find(index); it != font.glyphs.end()) {
        if (scale > 1 && it->second.image) add_finer_glyph(font, index, *it->second.image, scale);
        return &it->second;
    }
    FT_GlyphSlot slot = render_glyph(font, font.face, index);
    if (!slot) return nullptr;
    FontData::Glyph glyph;
    glyph.advance = static_cast<float>(slot->advance.x) / 64.0f;
    // The handle is the pen position seen from the glyph's top-left pixel.
    glyph.image =
        glyph_image(slot->bitmap, font.image_flags, static_cast<float>(-slot->bitmap_left),
                    static_cast<float>(-(font.ascender - slot->bitmap_top)));
    FontData::Glyph& kept = font.glyphs.emplace(index, std::move(glyph)).first->second;
    if (scale > 1 && kept.image) add_finer_glyph(font, index, *kept.image, scale);
    return &kept;
}

// Calls fn(glyph, index) for each character of the text that has a glyph.
template <typename Fn>
void for_each_glyph(FontData& font, std::string_view text, Fn&& fn) {
    for (std::size_t pos = 0; pos < text.size();) {
        const FT_UInt index = FT_Get_Char_Index(font.face, next_code_point(text, pos));
        if (index == 0) continue;
        if (const FontData::Glyph* glyph = find_glyph(font, index)) fn(*glyph, index);
    }
}

// Glyph `index` rasterised `across` by `down` screen pixels per font pixel, as
// an image whose handle is the pen position in those pixels; null when the
// glyph has no pixels.
Image stretched_glyph(FontData& font, FT_UInt index, float across, float down) {
    const auto key = std::make_tuple(static_cast<unsigned>(index), across, down);
    if (auto it = font.stretched.find(key); it != font.stretched.end()) return it->second;
    Image image;
    if (!font.stretched_face) font.stretched_face = another_face(font);
    FT_Face face = font.stretched_face ? font.stretched_face->face : nullptr;
    const auto to_26_6 = [&](float scale) {
        return static_cast<FT_F26Dot6>(std::lround(font.pixel_size * scale * 64.0));
    };
    if (face && FT_Set_Char_Size(face, to_26_6(across), to_26_6(down), 72, 72) == 0) {
        if (FT_GlyphSlot slot = render_glyph(font, face, index)) {
            const int ascender = round_26_6(face->size->metrics.ascender);
            image =
                glyph_image(slot->bitmap, font.image_flags, static_cast<float>(-slot->bitmap_left),
                            static_cast<float>(-(ascender - slot->bitmap_top)));
        }
    }
    font.stretched.emplace(key, image);
    return image;
}

}  // namespace

FontData::~FontData() {
    finer.reset();
    stretched_face.reset();
    if (face) FT_Done_Face(face);
}

FontData::FinerFace::~FinerFace() {
    if (face) FT_Done_Face(face);
}

ImageFont load_image_font(std::string_view path_or_resource, int size, FontStyle style) {
    FT_Library library = freetype();
    if (!library || size < 1) return nullptr;
    auto font = std::make_shared<FontData>();
    std::span<const std::uint8_t> bytes;
    if (auto resource = find_resource(path_or_resource)) {
        bytes = *resource;
    } else if (auto file = read_whole_file(path_or_resource)) {
        font->file_bytes = std::move(*file);
        bytes = font->file_bytes;
    } else {
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face) !=
        0) {
        return nullptr;
    }
    font->face = face;
    font->bytes = bytes;
    int accepted = size;
    while (accepted >= 1 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(accepted)) != 0) {
        --accepted;
    }
    if (accepted < 1) return nullptr;
    font->pixel_size = accepted;
    font->style = style;
    font->image_flags = style.smooth ? kFiltered : 0;
    font->ascender = round_26_6(face->size->metrics.ascender);
    font->line_height = round_26_6(face->size->metrics.height);
    return font;
}

void set_image_font(const ImageFont& font) {
    detail::draw_state().font = font;
}

// Without a font (none set, or set to none) text draws nothing and measures 0.
void draw_text(std::string_view text, float x, float y) {
    detail::DrawState& s = detail::draw_state();
    const ImageFont font = s.font;  // kept alive while drawing
    if (!font) return;
    // On a finer screen, stretched but unrotated text is rasterised at the size
    // it is shown at; the pen still moves by the game-resolution advances.
    const int scale = render_scale();
    const bool stretched =
        scale > 1 && s.iy == 0 && s.jx == 0 && s.ix > 0 && s.jy > 0 && (s.ix != 1 || s.jy != 1);
    float pen_x = x, pen_y = y;
    for_each_glyph(*font, text, [&](const FontData::Glyph& glyph, FT_UInt index) {
        if (glyph.image) {
            if (stretched) {
                detail::draw_prepared(glyph.image,
                                      stretched_glyph(*font, index, s.ix * scale, s.jy * scale),
                                      pen_x, pen_y);
            } else {
                draw_image(glyph.image, pen_x, pen_y, 0);
            }
        }
        pen_x += s.ix * glyph.advance;
        pen_y += s.jx * glyph.advance;
    });
}

int text_width(std::string_view text) {
    const ImageFont font = detail::draw_state().font;
    if (!font) return 0;
    int width = 0;
    for_each_glyph(*font, text, [&](const FontData::Glyph& glyph, FT_UInt) {
        width = static_cast<int>(static_cast<float>(width) + glyph.advance);
    });
    return width;
}

int text_height(std::string_view) {
    const ImageFont font = detail::draw_state().font;
    return font ? font->line_height : 0;
}

}  // namespace svc
