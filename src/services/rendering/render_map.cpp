// Where a placed image lands on the screen: the fixed-point inverse mapping
// from pixel centres to image coordinates, the per-row spans it covers, the
// per-frame caches of opaque runs and the bilinear sampler.
#include <algorithm>
#include <cmath>
#include <limits>

#include "services/rendering/render_internal.h"

namespace svc::detail {
namespace {

// Coefficients past these bounds only come from scales below about 1e-7 or
// positions millions of pixels away; such images are not drawn, which keeps
// every product of the fixed-point mapping well inside 64 bits.
constexpr double kMaxStep = 4194304.0;        // 2^22 image pixels per screen pixel
constexpr double kMaxOffset = 68719476736.0;  // 2^36 image pixels
constexpr int kMaxTargetSide = 8192;

std::int64_t to_fixed(double value) {
    return std::llround(value * static_cast<double>(kFracOne));
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) {  // b > 0
    std::int64_t q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

std::int64_t ceil_div(std::int64_t a, std::int64_t b) {
    return -floor_div(-a, b);
}

// Narrows [lo, hi) to the X with 0 <= p + step * X < limit.
void clip_axis(std::int64_t p, std::int64_t step, std::int64_t limit, std::int64_t& lo,
               std::int64_t& hi) {
    if (step == 0) {
        if (p < 0 || p >= limit) hi = lo;
        return;
    }
    std::int64_t first, past;
    if (step > 0) {
        first = ceil_div(-p, step);
        past = ceil_div(limit - p, step);
    } else {
        first = floor_div(p - limit, -step) + 1;
        past = floor_div(p, -step) + 1;
    }
    lo = std::max(lo, first);
    hi = std::min(hi, past);
}

void add_runs(const PixelBuffer& pixels, int width, int height, std::uint32_t min_alpha,
              RunTable& table) {
    table.row_start.assign(static_cast<std::size_t>(height) + 1, 0);
    table.pairs.clear();
    for (int y = 0; y < height; ++y) {
        table.row_start[y] = static_cast<int>(table.pairs.size());
        const std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
        int x = 0;
        while (x < width) {
            while (x < width && (row[x] >> 24) < min_alpha) ++x;
            if (x == width) break;
            int begin = x;
            while (x < width && (row[x] >> 24) >= min_alpha) ++x;
            table.pairs.push_back(begin);
            table.pairs.push_back(x);
        }
    }
    table.row_start[height] = static_cast<int>(table.pairs.size());
}

std::shared_ptr<FrameCache> build_cache(const Pixmap& pixmap, bool collides) {
    auto cache = std::make_shared<FrameCache>();
    cache->width = pixmap.width;
    cache->height = pixmap.height;
    // Large opaque pictures (the paper) and masked ones (alpha 0 or 255) are
    // copied from their own pixels, which saves a copy of every picture.
    bool all_opaque = true, binary_alpha = true;
    for (std::uint32_t p : pixmap.pixels) {
        const std::uint32_t alpha = p >> 24;
        all_opaque = all_opaque && alpha == 255;
        binary_alpha = binary_alpha && (alpha == 255 || alpha == 0);
    }
    if (binary_alpha) {
        cache->copy_solid_runs = pixmap.pixels.data();
        if (all_opaque) cache->copy_rows = pixmap.pixels.data();
    } else {
        cache->opaque.resize(pixmap.pixels.size());
        std::transform(pixmap.pixels.begin(), pixmap.pixels.end(), cache->opaque.begin(),
                       [](std::uint32_t p) { return p | 0xFF000000u; });
        cache->copy_solid_runs = cache->copy_rows = cache->opaque.data();
    }
    add_runs(pixmap.pixels, pixmap.width, pixmap.height, 1, cache->visible);
    add_runs(pixmap.pixels, pixmap.width, pixmap.height, 128, cache->solid);
    // Only game-resolution frames take part in collisions.
    if (!collides) return cache;
    cache->words_per_row = (pixmap.width + 63) / 64 + 1;
    cache->solid_bits.assign(static_cast<std::size_t>(cache->words_per_row) * pixmap.height, 0);
    for (int y = 0; y < pixmap.height; ++y) {
        std::uint64_t* bits =
            cache->solid_bits.data() + static_cast<std::size_t>(y) * cache->words_per_row;
        const std::uint32_t* row =
            pixmap.pixels.data() + static_cast<std::size_t>(y) * pixmap.width;
        for (int x = 0; x < pixmap.width; ++x) {
            if ((row[x] >> 24) >= 128) bits[x >> 6] |= std::uint64_t{1} << (x & 63);
        }
    }
    return cache;
}

// The cache of frame `frame` of `pixmaps`, built on first use.
const FrameCache& cached(std::vector<std::shared_ptr<void>>& caches,
                         const std::vector<Pixmap>& pixmaps, int frame, bool collides) {
    if (caches.size() < pixmaps.size()) caches.resize(pixmaps.size());
    auto& slot = caches[frame];
    if (!slot) slot = build_cache(pixmaps[frame], collides);
    return *static_cast<const FrameCache*>(slot.get());
}

}  // namespace

const FrameCache& frame_cache(ImageData& image, int frame) {
    return cached(image.render_cache, image.pixmaps, frame, true);
}

const FrameCache& detail_frame_cache(ImageData& image, int frame) {
    return cached(image.detail.render_cache, image.detail.pixmaps, frame, false);
}

bool usable_frame(const ImageData& image, int frame) {
    if (frame < 0 || static_cast<std::size_t>(frame) >= image.pixmaps.size()) return false;
    const Pixmap& p = image.pixmaps[frame];
    return p.width == image.width && p.height == image.height &&
           p.pixels.size() == static_cast<std::size_t>(p.width) * p.height;
}

bool has_detail(const ImageData& image, int scale, int frame) {
    const ImageData::Detail& detail = image.detail;
    if (detail.scale != scale || static_cast<std::size_t>(frame) >= detail.pixmaps.size()) {
        return false;
    }
    const Pixmap& p = detail.pixmaps[frame];
    const bool scaled_size = p.width == image.width * scale && p.height == image.height * scale;
    return (scaled_size || detail.own_handle) && p.width > 0 && p.height > 0 &&
           p.pixels.size() == static_cast<std::size_t>(p.width) * p.height;
}

FrameShape shape_of(const ImageData& image) {
    return FrameShape{image.width, image.height, image.handle_x, image.handle_y};
}

FrameShape detail_shape_of(const ImageData& image, int frame) {
    const ImageData::Detail& detail = image.detail;
    const Pixmap& fine = detail.pixmaps[frame];
    const double scale = detail.scale;
    return FrameShape{fine.width, fine.height,
                      detail.own_handle ? detail.handle_x : image.handle_x * scale,
                      detail.own_handle ? detail.handle_y : image.handle_y * scale};
}

Matrix matrix_of(const DrawState& s) {
    return Matrix{s.ix, s.iy, s.jx, s.jy};
}

std::optional<PixelMap> pixel_map(const Matrix& matrix, const FrameShape& shape, double x,
                                  double y) {
    const double ix = matrix.ix, iy = matrix.iy, jx = matrix.jx, jy = matrix.jy;
    const double det = ix * jy - iy * jx;
    if (!std::isfinite(det) || det == 0.0) return std::nullopt;
    // Inverse matrix: screen offset -> offset from the handle in the image.
    const double a = jy / det, b = -iy / det, c = -jx / det, d = ix / det;
    const double u0 = a * (0.5 - x) + b * (0.5 - y) + shape.handle_x;
    const double v0 = c * (0.5 - x) + d * (0.5 - y) + shape.handle_y;
    for (double step : {a, b, c, d}) {
        if (!(std::fabs(step) < kMaxStep)) return std::nullopt;
    }
    if (!(std::fabs(u0) < kMaxOffset) || !(std::fabs(v0) < kMaxOffset)) return std::nullopt;
    PixelMap m;
    m.u0 = to_fixed(u0);
    m.du_dx = to_fixed(a);
    m.du_dy = to_fixed(b);
    m.v0 = to_fixed(v0);
    m.dv_dx = to_fixed(c);
    m.dv_dy = to_fixed(d);
    m.u_end = static_cast<std::int64_t>(shape.width) * kFracOne;
    m.v_end = static_cast<std::int64_t>(shape.height) * kFracOne;
    return m;
}

std::optional<PixelBox> image_box(const Matrix& matrix, const FrameShape& shape, double x, double y,
                                  PixelBox clip) {
    if (shape.width <= 0 || shape.height <= 0) return std::nullopt;
    clip.x0 = std::max(clip.x0, -kMaxTargetSide);
    clip.y0 = std::max(clip.y0, -kMaxTargetSide);
    clip.x1 = std::min(clip.x1, kMaxTargetSide);
    clip.y1 = std::min(clip.y1, kMaxTargetSide);
    double min_x = std::numeric_limits<double>::infinity(), max_x = -min_x;
    double min_y = min_x, max_y = -min_x;
    for (double pu : {0.0, static_cast<double>(shape.width)}) {
        for (double pv : {0.0, static_cast<double>(shape.height)}) {
            double px = pu - shape.handle_x, py = pv - shape.handle_y;
            double sx = x + px * matrix.ix + py * matrix.iy;
            double sy = y + px * matrix.jx + py * matrix.jy;
            min_x = std::min(min_x, sx);
            max_x = std::max(max_x, sx);
            min_y = std::min(min_y, sy);
            max_y = std::max(max_y, sy);
        }
    }
    if (!std::isfinite(min_x) || !std::isfinite(max_x) || !std::isfinite(min_y) ||
        !std::isfinite(max_y)) {
        return std::nullopt;
    }
    // One spare pixel on every side: the exact test is the per-row span.
    auto clamp_to = [](double v, int lo, int hi) {
        return static_cast<int>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
    };
    PixelBox box;
    box.x0 = clamp_to(std::floor(min_x) - 1, clip.x0, clip.x1);
    box.x1 = clamp_to(std::ceil(max_x) + 1, clip.x0, clip.x1);
    box.y0 = clamp_to(std::floor(min_y) - 1, clip.y0, clip.y1);
    box.y1 = clamp_to(std::ceil(max_y) + 1, clip.y0, clip.y1);
    if (box.x0 >= box.x1 || box.y0 >= box.y1) return std::nullopt;
    return box;
}

std::optional<Placement> place_image(const Matrix& matrix, const FrameShape& shape, double x,
                                     double y, PixelBox clip) {
    auto box = image_box(matrix, shape, x, y, clip);
    if (!box) return std::nullopt;
    auto map = pixel_map(matrix, shape, x, y);
    if (!map) return std::nullopt;
    return Placement{*map, *box};
}

bool axis_aligned_rectangle(const PixelMap& m, const PixelBox& box, PixelBox& inside) {
    std::int64_t x_lo = box.x0, x_hi = box.x1, y_lo = box.y0, y_hi = box.y1;
    clip_axis(m.u0, m.du_dx, m.u_end, x_lo, x_hi);
    clip_axis(m.v0, m.dv_dy, m.v_end, y_lo, y_hi);
    if (x_lo >= x_hi || y_lo >= y_hi) return false;
    inside = PixelBox{static_cast<int>(x_lo), static_cast<int>(y_lo), static_cast<int>(x_hi),
                      static_cast<int>(y_hi)};
    return true;
}

bool row_span(const PixelMap& m, int y, int x_lo, int x_hi, int& begin, int& end) {
    std::int64_t lo = x_lo, hi = x_hi;
    clip_axis(m.u0 + y * m.du_dy, m.du_dx, m.u_end, lo, hi);
    if (lo >= hi) return false;
    clip_axis(m.v0 + y * m.dv_dy, m.dv_dx, m.v_end, lo, hi);
    if (lo >= hi) return false;
    begin = static_cast<int>(lo);
    end = static_cast<int>(hi);
    return true;
}

std::uint32_t sample_bilinear(const Pixmap& pixmap, std::int64_t u, std::int64_t v) {
    const std::int64_t fu = u - kFracOne / 2, fv = v - kFracOne / 2;
    const std::uint32_t wx = static_cast<std::uint32_t>(fu >> (kFracBits - 8)) & 255u;
    const std::uint32_t wy = static_cast<std::uint32_t>(fv >> (kFracBits - 8)) & 255u;
    auto clamp_index = [](std::int64_t i, int size) {
        return static_cast<int>(std::clamp<std::int64_t>(i, 0, size - 1));
    };
    const std::int64_t tx = fu >> kFracBits, ty = fv >> kFracBits;
    const int x0 = clamp_index(tx, pixmap.width), x1 = clamp_index(tx + 1, pixmap.width);
    const int y0 = clamp_index(ty, pixmap.height), y1 = clamp_index(ty + 1, pixmap.height);
    const std::uint32_t* row0 = pixmap.pixels.data() + static_cast<std::size_t>(y0) * pixmap.width;
    const std::uint32_t* row1 = pixmap.pixels.data() + static_cast<std::size_t>(y1) * pixmap.width;
    return bilerp(row0[x0], row0[x1], row1[x0], row1[x1], wx, wy);
}

}  // namespace svc::detail
