#pragma once
// Shared set-up for the renderer's tests: a fresh back buffer per test and
// helpers to build images from pixel functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "services/rendering/graphics.h"
#include "services/rendering/render_internal.h"
#include "services/rendering/render_target.h"

namespace render_test {

inline svc::Image make_image(int width, int height,
                             const std::function<std::uint32_t(int, int)>& pixel, int flags = 0,
                             int frames = 1) {
    auto image = std::make_shared<svc::ImageData>();
    image->width = width;
    image->height = height;
    image->flags = flags;
    for (int f = 0; f < frames; ++f) {
        svc::Pixmap pm;
        pm.width = width;
        pm.height = height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) pm.pixels.push_back(pixel(x, y));
        }
        image->pixmaps.push_back(std::move(pm));
    }
    image->render_cache.resize(static_cast<std::size_t>(frames));
    return image;
}

inline svc::Image solid_image(int width, int height, std::uint32_t argb, int flags = 0) {
    return make_image(
        width, height, [argb](int, int) { return argb; }, flags);
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override { svc::detail::create_render_target(width_, height_); }
    void TearDown() override { svc::detail::destroy_render_target(); }

    std::uint32_t pixel(int x, int y) const {
        return svc::back_buffer()[static_cast<std::size_t>(y) * svc::graphics_width() + x];
    }
    std::uint32_t* pixels() { return svc::detail::render_target_pixels(); }
    void fill(std::uint32_t argb) {
        std::fill(pixels(), pixels() + static_cast<std::size_t>(width_) * height_, argb);
    }
    std::vector<std::uint32_t> snapshot() const {
        return {svc::back_buffer(),
                svc::back_buffer() + static_cast<std::size_t>(width_) * height_};
    }
    // Columns and rows of the pixels that differ from `background`, as a box
    // [x0, x1) x [y0, y1); all zero when nothing differs.
    struct Box {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    };
    Box changed_box(std::uint32_t background) const {
        Box b{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (pixel(x, y) == background) continue;
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1);
                b.y1 = std::max(b.y1, y + 1);
            }
        }
        if (b.x1 == 0) return Box{};
        return b;
    }

    int width_ = 64;
    int height_ = 48;
};

}  // namespace render_test
