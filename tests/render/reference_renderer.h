#pragma once
// A deliberately plain rasteriser: every screen pixel is mapped back into the
// image on its own and blended with textbook arithmetic. The renderer's fast
// paths (straight copies, opaque runs, incremental stepping) must agree with
// it pixel for pixel.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "services/rendering/graphics.h"
#include "services/rendering/render_internal.h"

namespace reference {

inline std::uint32_t ch(std::uint32_t p, int shift) {
    return (p >> shift) & 255u;
}
inline std::uint32_t round_div255(std::uint32_t x) {
    return (x + 127) / 255;
}

inline std::uint32_t blend_pixel(svc::BlendMode mode, std::uint32_t dst, std::uint32_t texel, int r,
                                 int g, int b, int alpha255) {
    const std::uint32_t colour[3] = {static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(g),
                                     static_cast<std::uint32_t>(r)};
    const std::uint32_t a = round_div255((texel >> 24) * static_cast<std::uint32_t>(alpha255));
    if (mode == svc::BlendMode::kMask && a < 128) return dst;
    std::uint32_t out = 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
        const int shift = 8 * c;
        const std::uint32_t s = round_div255(ch(texel, shift) * colour[c]);
        const std::uint32_t d = ch(dst, shift);
        std::uint32_t v = 0;
        switch (mode) {
            case svc::BlendMode::kMask:
            case svc::BlendMode::kSolid:
                v = s;
                break;
            case svc::BlendMode::kAlpha:
                v = round_div255(s * a + d * (255 - a));
                break;
            case svc::BlendMode::kLight:
                v = std::min<std::uint32_t>(255, d + round_div255(s * a));
                break;
            case svc::BlendMode::kShade:
                v = round_div255(s * d);
                break;
        }
        out |= v << shift;
    }
    return out;
}

// Bilinear sampling between texel centres, edges clamped, weights in 1/256.
inline std::uint32_t bilinear(const svc::Pixmap& pm, std::int64_t u, std::int64_t v) {
    const std::int64_t half = svc::detail::kFracOne / 2;
    const int frac = svc::detail::kFracBits;
    const std::int64_t fu = u - half, fv = v - half;
    const std::uint32_t wx = static_cast<std::uint32_t>((fu >> (frac - 8)) & 255);
    const std::uint32_t wy = static_cast<std::uint32_t>((fv >> (frac - 8)) & 255);
    const std::int64_t tx = fu >> frac, ty = fv >> frac;
    auto at = [&](std::int64_t x, std::int64_t y) {
        x = std::clamp<std::int64_t>(x, 0, pm.width - 1);
        y = std::clamp<std::int64_t>(y, 0, pm.height - 1);
        return pm.pixels[static_cast<std::size_t>(y * pm.width + x)];
    };
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t top =
            ch(at(tx, ty), shift) * (256 - wx) + ch(at(tx + 1, ty), shift) * wx;
        const std::uint32_t bottom =
            ch(at(tx, ty + 1), shift) * (256 - wx) + ch(at(tx + 1, ty + 1), shift) * wx;
        out |= ((top * (256 - wy) + bottom * wy + 32768) >> 16) << shift;
    }
    return out;
}

// Draws like svc::draw_image into `screen` (width x height), using the current
// drawing state. On a back buffer `scale` times finer the position and the
// handle are that many times larger, and the picture's finer frame is drawn
// where it has one at that scale, else the picture magnified.
inline void draw(std::vector<std::uint32_t>& screen, int width, int height,
                 const svc::ImageData& image, float x, float y, int frame, int scale = 1) {
    const auto& s = svc::detail::draw_state();
    svc::detail::Matrix matrix{s.ix, s.iy, s.jx, s.jy};
    svc::detail::FrameShape shape{image.width, image.height, image.handle_x, image.handle_y};
    const svc::Pixmap* finer = scale > 1 && image.detail.scale == scale &&
                                       static_cast<std::size_t>(frame) < image.detail.pixmaps.size()
                                   ? &image.detail.pixmaps[frame]
                                   : nullptr;
    if (finer) {
        shape = {finer->width, finer->height, image.handle_x * scale, image.handle_y * scale};
    } else {
        matrix = {matrix.ix * scale, matrix.iy * scale, matrix.jx * scale, matrix.jy * scale};
    }
    auto map = svc::detail::pixel_map(matrix, shape, static_cast<double>(x) * scale,
                                      static_cast<double>(y) * scale);
    if (!map) return;
    const svc::Pixmap& pm = finer ? *finer : image.pixmaps[frame];
    const int alpha255 = svc::detail::alpha_to_255(s.alpha);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const std::int64_t u = map->u0 + px * map->du_dx + py * map->du_dy;
            const std::int64_t v = map->v0 + px * map->dv_dx + py * map->dv_dy;
            if (u < 0 || v < 0 || u >= map->u_end || v >= map->v_end) continue;
            std::uint32_t texel;
            if (image.flags & svc::kFiltered) {
                texel = bilinear(pm, u, v);
            } else {
                texel = pm.pixels[(v >> svc::detail::kFracBits) * pm.width +
                                  (u >> svc::detail::kFracBits)];
            }
            auto& d = screen[static_cast<std::size_t>(py) * width + px];
            d = blend_pixel(s.blend, d, texel, s.red, s.green, s.blue, alpha255);
        }
    }
}

}  // namespace reference
