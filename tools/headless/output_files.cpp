// Screenshots as PNG and the captured sound as WAV.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "headless/harness.h"

namespace harness {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File create(const std::string& path, const char* what) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) throw Error("cannot write the " + std::string(what) + " " + path);
    return file;
}

// libpng reports errors by longjmp; keep that jump inside one plain function
// with no objects that need destructors.
bool encode_png(std::FILE* file, const std::uint8_t* const* rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void put_u16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put_u16(out, value & 0xFFFF);
    put_u16(out, value >> 16);
}

void put_tag(std::vector<std::uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

void write_png(const std::string& path, const std::uint32_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) throw Error("no frame to write to " + path);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        rows[static_cast<std::size_t>(y)] = row;
        const std::uint32_t* source = pixels + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(source[x] >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(source[x] >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(source[x]);
        }
    }
    File file = create(path, "picture");
    if (!encode_png(file.get(), rows.data(), width, height) || std::fflush(file.get()) != 0) {
        throw Error("cannot write the picture " + path);
    }
}

void write_wav(const std::string& path, const std::vector<std::int16_t>& samples, int rate) {
    constexpr int kChannels = 2;
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + data_bytes);
    put_tag(bytes, "RIFF");
    put_u32(bytes, 36 + data_bytes);
    put_tag(bytes, "WAVE");
    put_tag(bytes, "fmt ");
    put_u32(bytes, 16);
    put_u16(bytes, 1);  // PCM
    put_u16(bytes, kChannels);
    put_u32(bytes, static_cast<std::uint32_t>(rate));
    put_u32(bytes, static_cast<std::uint32_t>(rate * kChannels * 2));
    put_u16(bytes, kChannels * 2);
    put_u16(bytes, 16);
    put_tag(bytes, "data");
    put_u32(bytes, data_bytes);
    for (const std::int16_t sample : samples) put_u16(bytes, static_cast<std::uint16_t>(sample));

    File file = create(path, "sound");
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fflush(file.get()) != 0) {
        throw Error("cannot write the sound " + path);
    }
}

}  // namespace harness
