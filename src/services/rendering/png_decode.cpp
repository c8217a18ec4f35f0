// PNG reading and writing through libpng. libpng reports errors by longjmp:
// the functions that set the jump point keep no objects with destructors in
// their own frame, and everything they fill lives in the caller.
#include "services/rendering/png_decode.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>

namespace svc::detail {
namespace {

static_assert(std::endian::native == std::endian::little,
              "pixels are decoded as B, G, R, A bytes into 0xAARRGGBB words");

constexpr png_uint_32 kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct ReadCursor {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
};

void read_from_cursor(png_structp png, png_bytep out, png_size_t count) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (count > cursor->size - cursor->pos) png_error(png, "truncated");
    std::memcpy(out, cursor->data + cursor->pos, count);
    cursor->pos += count;
}

[[noreturn]] void fail_quietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignore_warning(png_structp, png_const_charp) {}

struct ReadHandles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadHandles() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct WriteHandles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteHandles() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Reads the whole picture straight into out.pixels: 8-bit channels in the
// order B, G, R, A, which is 0xAARRGGBB in a little-endian 32-bit word.
bool read_pixels(ReadHandles& h, ReadCursor& cursor, DecodedPicture& out,
                 std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(h.png))) return false;
    png_set_read_fn(h.png, &cursor, read_from_cursor);
    png_set_user_limits(h.png, kMaxSide, kMaxSide);
    png_read_info(h.png, h.info);
    const png_uint_32 width = png_get_image_width(h.png, h.info);
    const png_uint_32 height = png_get_image_height(h.png, h.info);
    if (width == 0 || height == 0 || std::uint64_t{width} * height > kMaxPixels) return false;
    const int colour_type = png_get_color_type(h.png, h.info);
    out.has_alpha = (colour_type & PNG_COLOR_MASK_ALPHA) != 0 ||
                    png_get_valid(h.png, h.info, PNG_INFO_tRNS) != 0;
    png_set_expand(h.png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
    png_set_scale_16(h.png);
    png_set_gray_to_rgb(h.png);
    png_set_bgr(h.png);
    if (!out.has_alpha) png_set_filler(h.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(h.png);
    png_read_update_info(h.png, h.info);
    if (png_get_rowbytes(h.png, h.info) != std::size_t{width} * 4) return false;
    out.pixels.resize(std::size_t{width} * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = reinterpret_cast<png_bytep>(out.pixels.data() + std::size_t{y} * width);
    }
    png_read_image(h.png, rows.data());
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    return true;
}

struct WriteSink {
    std::vector<std::uint8_t>* bytes;
};

void write_to_sink(png_structp png, png_bytep data, png_size_t count) {
    auto* sink = static_cast<WriteSink*>(png_get_io_ptr(png));
    sink->bytes->insert(sink->bytes->end(), data, data + count);
}

void flush_nothing(png_structp) {}

bool write_rows(WriteHandles& h, WriteSink& sink, int width, int height, int colour_type,
                std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(h.png))) return false;
    png_set_write_fn(h.png, &sink, write_to_sink, flush_nothing);
    png_set_IHDR(h.png, h.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 8, colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(h.png, h.info);
    png_write_image(h.png, rows.data());
    png_write_end(h.png, nullptr);
    return true;
}

}  // namespace

std::optional<DecodedPicture> decode_png(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    ReadHandles h;
    h.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail_quietly, ignore_warning);
    if (!h.png) return std::nullopt;
    h.info = png_create_info_struct(h.png);
    if (!h.info) return std::nullopt;
    ReadCursor cursor{bytes.data(), bytes.size(), 0};
    DecodedPicture picture;
    std::vector<png_bytep> rows;
    if (!read_pixels(h, cursor, picture, rows)) return std::nullopt;
    return picture;
}

std::vector<std::uint8_t> encode_png(const std::uint32_t* pixels, int width, int height,
                                     PngChannels channels) {
    std::vector<std::uint8_t> bytes;
    if (!pixels || width <= 0 || height <= 0) return bytes;
    const bool with_alpha = channels == PngChannels::kRgba;
    const std::size_t pixel_bytes = with_alpha ? 4 : 3;
    std::vector<std::uint8_t> packed(std::size_t(width) * height * pixel_bytes);
    for (std::size_t i = 0; i < std::size_t(width) * height; ++i) {
        const std::uint32_t p = pixels[i];
        std::uint8_t* out = packed.data() + i * pixel_bytes;
        out[0] = static_cast<std::uint8_t>(p >> 16);
        out[1] = static_cast<std::uint8_t>(p >> 8);
        out[2] = static_cast<std::uint8_t>(p);
        if (with_alpha) out[3] = static_cast<std::uint8_t>(p >> 24);
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[y] = packed.data() + std::size_t(y) * width * pixel_bytes;
    WriteHandles h;
    h.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail_quietly, ignore_warning);
    if (!h.png) return {};
    h.info = png_create_info_struct(h.png);
    if (!h.info) return {};
    WriteSink sink{&bytes};
    const int colour_type = with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    if (!write_rows(h, sink, width, height, colour_type, rows)) return {};
    return bytes;
}

}  // namespace svc::detail
