#pragma once
// Reads a PNG file as it is stored, without conversions, so tests can check
// the format itself as well as the pixels.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kKey{200, 200, 200};
inline constexpr Rgb kBlack{0, 0, 0};

struct PngFile {
    int width = 0, height = 0, bit_depth = 0, colour_type = 0, channels = 0;
    std::vector<std::uint8_t> data;  // rows of `channels` bytes per pixel

    Rgb at(int x, int y) const {
        const std::uint8_t* p = &data[(static_cast<size_t>(y) * width + x) * channels];
        return {p[0], p[1], p[2]};
    }
    bool is_key(int x, int y) const { return at(x, y) == kKey; }
};

inline PngFile read_png(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngFile out;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("not a readable PNG: " + path);
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    out.width = static_cast<int>(png_get_image_width(png, info));
    out.height = static_cast<int>(png_get_image_height(png, info));
    out.bit_depth = png_get_bit_depth(png, info);
    out.colour_type = png_get_color_type(png, info);
    out.channels = png_get_channels(png, info);
    if (out.bit_depth != 8 || out.channels < 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        return out;  // the format checks report it; pixels are not needed
    }
    out.data.resize(static_cast<size_t>(out.width) * out.height * out.channels);
    std::vector<png_bytep> rows(out.height);
    for (int y = 0; y < out.height; ++y) {
        rows[y] = &out.data[static_cast<size_t>(y) * out.width * out.channels];
    }
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

inline std::string asset_path(const std::string& name) {
    return std::string(SCRIBBLE_SOURCE_DIR) + "/assets/" + name;
}
