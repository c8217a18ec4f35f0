// images_collide: two frames placed through the current drawing matrix touch
// when some screen pixel belongs to both (by the same pixel-centre rule that
// drawing uses) and both frames are solid there (alpha >= 128). Positions are
// not limited to the screen. Unrotated frames at scale 1 are compared 64
// pixels at a time with the frames' precomputed row bitmasks.
#include <algorithm>

#include "services/rendering/graphics.h"
#include "services/rendering/render_internal.h"

namespace svc {
namespace detail {
namespace {

// Room around the screen where collisions are still looked for.
constexpr PixelBox kCollisionArea{-8192, -8192, 8192, 8192};

struct Placed {
    const FrameCache& cache;
    Placement placement;
};

// 64 bits of a row mask starting at bit `start` (bits past the row read 0).
std::uint64_t bits_from(const std::uint64_t* row, int start) {
    const int word = start >> 6, shift = start & 63;
    std::uint64_t bits = row[word] >> shift;
    if (shift != 0) bits |= row[word + 1] << (64 - shift);
    return bits;
}

bool solid_at(const FrameCache& cache, int x, int y) {
    x = std::clamp(x, 0, cache.width - 1);
    y = std::clamp(y, 0, cache.height - 1);
    const std::uint64_t word =
        cache.solid_bits[static_cast<std::size_t>(y) * cache.words_per_row + (x >> 6)];
    return (word >> (x & 63)) & 1u;
}

bool overlap_unit(const Placed& a, const Placed& b, const PixelBox& box) {
    const PixelMap& ma = a.placement.map;
    const PixelMap& mb = b.placement.map;
    const int ax = static_cast<int>(ma.u0 >> kFracBits), ay = static_cast<int>(ma.v0 >> kFracBits);
    const int bx = static_cast<int>(mb.u0 >> kFracBits), by = static_cast<int>(mb.v0 >> kFracBits);
    const int x_lo = std::max({box.x0, -ax, -bx});
    const int x_hi = std::min({box.x1, a.cache.width - ax, b.cache.width - bx});
    const int y_lo = std::max({box.y0, -ay, -by});
    const int y_hi = std::min({box.y1, a.cache.height - ay, b.cache.height - by});
    if (x_lo >= x_hi || y_lo >= y_hi) return false;
    const int count = x_hi - x_lo;
    for (int y = y_lo; y < y_hi; ++y) {
        const std::uint64_t* row_a =
            a.cache.solid_bits.data() + static_cast<std::size_t>(y + ay) * a.cache.words_per_row;
        const std::uint64_t* row_b =
            b.cache.solid_bits.data() + static_cast<std::size_t>(y + by) * b.cache.words_per_row;
        for (int done = 0; done < count; done += 64) {
            std::uint64_t both =
                bits_from(row_a, x_lo + ax + done) & bits_from(row_b, x_lo + bx + done);
            if (count - done < 64) both &= (std::uint64_t{1} << (count - done)) - 1;
            if (both) return true;
        }
    }
    return false;
}

bool overlap_general(const Placed& a, const Placed& b, const PixelBox& box) {
    const PixelMap& ma = a.placement.map;
    const PixelMap& mb = b.placement.map;
    for (int y = box.y0; y < box.y1; ++y) {
        int a_begin, a_end, b_begin, b_end;
        if (!row_span(ma, y, box.x0, box.x1, a_begin, a_end)) continue;
        if (!row_span(mb, y, a_begin, a_end, b_begin, b_end)) continue;
        std::int64_t ua = ma.u0 + b_begin * ma.du_dx + y * ma.du_dy;
        std::int64_t va = ma.v0 + b_begin * ma.dv_dx + y * ma.dv_dy;
        std::int64_t ub = mb.u0 + b_begin * mb.du_dx + y * mb.du_dy;
        std::int64_t vb = mb.v0 + b_begin * mb.dv_dx + y * mb.dv_dy;
        for (int x = b_begin; x < b_end; ++x) {
            if (solid_at(a.cache, static_cast<int>(ua >> kFracBits),
                         static_cast<int>(va >> kFracBits)) &&
                solid_at(b.cache, static_cast<int>(ub >> kFracBits),
                         static_cast<int>(vb >> kFracBits))) {
                return true;
            }
            ua += ma.du_dx;
            va += ma.dv_dx;
            ub += mb.du_dx;
            vb += mb.dv_dx;
        }
    }
    return false;
}

}  // namespace
}  // namespace detail

bool images_collide(const Image& image1, int x1, int y1, int frame1, const Image& image2, int x2,
                    int y2, int frame2) {
    using namespace detail;
    if (!image1 || !image2 || !usable_frame(*image1, frame1) || !usable_frame(*image2, frame2)) {
        return false;
    }
    // Collisions are worked out at game resolution, whatever the screen's scale.
    const Matrix matrix = matrix_of(draw_state());
    const FrameShape shape1 = shape_of(*image1), shape2 = shape_of(*image2);
    // The boxes reject most pairs before any pixel is looked at.
    auto box1 = image_box(matrix, shape1, x1, y1, kCollisionArea);
    if (!box1) return false;
    auto box2 = image_box(matrix, shape2, x2, y2, kCollisionArea);
    if (!box2) return false;
    const PixelBox box{std::max(box1->x0, box2->x0), std::max(box1->y0, box2->y0),
                       std::min(box1->x1, box2->x1), std::min(box1->y1, box2->y1)};
    if (box.x0 >= box.x1 || box.y0 >= box.y1) return false;
    auto map1 = pixel_map(matrix, shape1, x1, y1);
    auto map2 = pixel_map(matrix, shape2, x2, y2);
    if (!map1 || !map2) return false;
    const Placement p1{*map1, *box1}, p2{*map2, *box2};
    const Placed a{frame_cache(*image1, frame1), p1};
    const Placed b{frame_cache(*image2, frame2), p2};
    if (unit_scale(p1.map) && unit_scale(p2.map)) return overlap_unit(a, b, box);
    return overlap_general(a, b, box);
}

}  // namespace svc
