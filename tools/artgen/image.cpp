#include "image.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace art {

Image::Image(int width, int height, Rgb8 fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height, fill),
      alpha_(static_cast<size_t>(width) * height, 255) {}

Rgb8 Image::at(int x, int y) const {
    return pixels_[index(x, y)];
}

void Image::set(int x, int y, Rgb8 c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[index(x, y)] = c;
}

void Image::blit(const Image& src, int x, int y, bool opaque_key) {
    for (int sy = 0; sy < src.height(); ++sy) {
        for (int sx = 0; sx < src.width(); ++sx) {
            Rgb8 c = src.at(sx, sy);
            if (!opaque_key && c == kKey) continue;
            set(x + sx, y + sy, c);
        }
    }
}

Image Image::mirrored() const {
    Image out(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            out.pixels_[out.index(width_ - 1 - x, y)] = pixels_[index(x, y)];
            out.alpha_[out.index(width_ - 1 - x, y)] = alpha_[index(x, y)];
        }
    }
    return out;
}

Image Image::scaled(int factor) const {
    Image out(width_ * factor, height_ * factor);
    for (int y = 0; y < out.height_; ++y) {
        for (int x = 0; x < out.width_; ++x) {
            out.pixels_[out.index(x, y)] = pixels_[index(x / factor, y / factor)];
        }
    }
    return out;
}

Image Image::cropped(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int yy = 0; yy < h; ++yy) {
        for (int xx = 0; xx < w; ++xx) out.pixels_[out.index(xx, yy)] = at(x + xx, y + yy);
    }
    return out;
}

void Image::write_png(const std::string& path, bool with_alpha, RowFilter filter) const {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng failed to start");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, width_, height_, 8,
                 with_alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    if (filter == RowFilter::kNone) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    const int channels = with_alpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<size_t>(width_) * channels);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            Rgb8 c = at(x, y);
            png_byte* p = &row[static_cast<size_t>(x) * channels];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            if (with_alpha) p[3] = alpha_at(x, y);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

void seal_pockets(Image& img, Rgb8 fill) {
    const int w = img.width(), h = img.height();
    std::vector<std::uint8_t> open(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int, int>> todo;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        size_t k = static_cast<size_t>(y) * w + x;
        if (open[k] || !(img.at(x, y) == kKey)) return;
        open[k] = 1;
        todo.emplace_back(x, y);
    };
    for (int x = 0; x < w; ++x) visit(x, 0), visit(x, h - 1);
    for (int y = 0; y < h; ++y) visit(0, y), visit(w - 1, y);
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (img.at(x, y) == kKey && !open[static_cast<size_t>(y) * w + x]) img.set(x, y, fill);
        }
    }
}

}  // namespace art
