// draw_image: blends one frame of an image into the back buffer through the
// drawing matrix. Three paths give identical pixels (the tests hold them to a
// plain per-pixel reference):
//  - unit: no rotation, scale 1; rows are straight runs of the frame, and the
//    frame's precomputed opaque runs let transparent parts be skipped and
//    untinted mask and solid draws be plain copies;
//  - axis: scaled but not rotated; one image row per screen row and a column
//    table shared by all rows;
//  - general: any matrix, stepping the fixed-point image coordinate per pixel.
#include <algorithm>
#include <cstring>
#include <vector>

#include "services/rendering/graphics.h"
#include "services/rendering/render_blend.h"
#include "services/rendering/render_internal.h"

namespace svc {
namespace detail {
namespace {

struct Job {
    ImageData& image;
    const Pixmap& pixmap;
    const FrameCache& cache;
    const Placement& placed;
    RenderTarget& target;
    Tint tint;
};

// Calls fn(begin, end) for each run of `table` in row `row` clipped to [lo, hi).
template <typename Fn>
void for_runs(const RunTable& table, int row, int lo, int hi, Fn&& fn) {
    const int* pair = table.pairs.data() + table.row_start[row];
    const int* last = table.pairs.data() + table.row_start[row + 1];
    for (; pair != last; pair += 2) {
        if (pair[1] <= lo) continue;
        if (pair[0] >= hi) break;
        fn(std::max(pair[0], lo), std::min(pair[1], hi));
    }
}

template <BlendMode Mode>
void draw_unit(const Job& job) {
    const PixelMap& m = job.placed.map;
    const PixelBox& box = job.placed.box;
    const int width = job.pixmap.width;
    // Image column = screen column + shift_x, and likewise for rows.
    const int shift_x = static_cast<int>(m.u0 >> kFracBits);
    const int shift_y = static_cast<int>(m.v0 >> kFracBits);
    // Untinted mask and solid draws copy pixels, from a source whose alpha is 255.
    const bool copy = job.tint.white && (Mode == BlendMode::kSolid || job.tint.a == 255);
    const std::uint32_t* copy_source = nullptr;
    if (copy && Mode == BlendMode::kMask) copy_source = job.cache.copy_solid_runs;
    if (copy && Mode == BlendMode::kSolid) copy_source = job.cache.copy_rows;
    PixelBox inside;
    if (!axis_aligned_rectangle(m, box, inside)) return;
    const int begin = inside.x0, end = inside.x1;
    for (int y = inside.y0; y < inside.y1; ++y) {
        const int row = y + shift_y;
        std::uint32_t* dst =
            job.target.pixels.data() + static_cast<std::size_t>(y) * job.target.width;
        const std::size_t src_row = static_cast<std::size_t>(row) * width;
        const std::uint32_t* src = job.pixmap.pixels.data() + src_row;
        const std::uint32_t* opaque = copy_source ? copy_source + src_row : nullptr;
        const int lo = begin + shift_x, hi = end + shift_x;
        auto run = [&](int a, int b) {
            if (opaque) {
                std::memcpy(dst + (a - shift_x), opaque + a, sizeof(std::uint32_t) * (b - a));
            } else {
                blend_run<Mode>(dst + (a - shift_x), src + a, b - a, job.tint);
            }
        };
        if constexpr (Mode == BlendMode::kMask) {
            for_runs(job.cache.solid, row, lo, hi, run);
        } else if constexpr (Mode == BlendMode::kAlpha || Mode == BlendMode::kLight) {
            for_runs(job.cache.visible, row, lo, hi, run);
        } else {
            run(lo, hi);
        }
    }
}

template <BlendMode Mode>
void draw_axis(const Job& job) {
    const PixelMap& m = job.placed.map;
    PixelBox inside;
    if (!axis_aligned_rectangle(m, job.placed.box, inside)) return;
    // The image column of a screen column is the same on every row.
    std::vector<int> columns(static_cast<std::size_t>(inside.x1 - inside.x0));
    std::int64_t u = m.u0 + inside.x0 * m.du_dx;
    for (int& c : columns) {
        c = static_cast<int>(u >> kFracBits);
        u += m.du_dx;
    }
    for (int y = inside.y0; y < inside.y1; ++y) {
        const std::int64_t v = m.v0 + y * m.dv_dy;
        const std::uint32_t* src =
            job.pixmap.pixels.data() + static_cast<std::size_t>(v >> kFracBits) * job.pixmap.width;
        std::uint32_t* dst =
            job.target.pixels.data() + static_cast<std::size_t>(y) * job.target.width;
        for (int x = inside.x0; x < inside.x1; ++x)
            blend<Mode>(dst[x], src[columns[x - inside.x0]], job.tint);
    }
}

template <BlendMode Mode, bool Filtered>
void draw_general(const Job& job) {
    const PixelMap& m = job.placed.map;
    const PixelBox& box = job.placed.box;
    const std::uint32_t* pixels = job.pixmap.pixels.data();
    const int width = job.pixmap.width;
    for (int y = box.y0; y < box.y1; ++y) {
        int begin, end;
        if (!row_span(m, y, box.x0, box.x1, begin, end)) continue;
        std::int64_t u = m.u0 + begin * m.du_dx + y * m.du_dy;
        std::int64_t v = m.v0 + begin * m.dv_dx + y * m.dv_dy;
        std::uint32_t* dst =
            job.target.pixels.data() + static_cast<std::size_t>(y) * job.target.width;
        for (int x = begin; x < end; ++x) {
            std::uint32_t texel;
            if constexpr (Filtered) {
                texel = sample_bilinear(job.pixmap, u, v);
            } else {
                texel = pixels[static_cast<std::size_t>(v >> kFracBits) * width + (u >> kFracBits)];
            }
            blend<Mode>(dst[x], texel, job.tint);
            u += m.du_dx;
            v += m.dv_dx;
        }
    }
}

// Filtered at scale 1 without rotation: every pixel mixes the same four
// neighbours with the same weights, so the weights and the clamped columns are
// worked out once. Where all four texels are clear, the blends that heed alpha
// have nothing to draw.
template <BlendMode Mode>
void draw_unit_filtered(const Job& job) {
    const PixelMap& m = job.placed.map;
    const PixelBox& box = job.placed.box;
    const int w = job.pixmap.width, h = job.pixmap.height;
    const std::int64_t fu = m.u0 - kFracOne / 2, fv = m.v0 - kFracOne / 2;
    const std::uint32_t wx = static_cast<std::uint32_t>(fu >> (kFracBits - 8)) & 255u;
    const std::uint32_t wy = static_cast<std::uint32_t>(fv >> (kFracBits - 8)) & 255u;
    const int shift_x = static_cast<int>(fu >> kFracBits);
    const int shift_y = static_cast<int>(fv >> kFracBits);
    constexpr bool kSkipClear =
        Mode == BlendMode::kMask || Mode == BlendMode::kAlpha || Mode == BlendMode::kLight;
    const std::uint32_t* pixels = job.pixmap.pixels.data();
    PixelBox inside;
    if (!axis_aligned_rectangle(m, box, inside)) return;
    const int begin = inside.x0, end = inside.x1;
    for (int y = inside.y0; y < inside.y1; ++y) {
        const std::uint32_t* row0 =
            pixels + static_cast<std::size_t>(std::clamp(y + shift_y, 0, h - 1)) * w;
        const std::uint32_t* row1 =
            pixels + static_cast<std::size_t>(std::clamp(y + shift_y + 1, 0, h - 1)) * w;
        std::uint32_t* dst =
            job.target.pixels.data() + static_cast<std::size_t>(y) * job.target.width;
        for (int x = begin; x < end; ++x) {
            const int c0 = std::clamp(x + shift_x, 0, w - 1),
                      c1 = std::clamp(x + shift_x + 1, 0, w - 1);
            const std::uint32_t p00 = row0[c0], p10 = row0[c1], p01 = row1[c0], p11 = row1[c1];
            if (kSkipClear && ((p00 | p10 | p01 | p11) >> 24) == 0) continue;
            blend<Mode>(dst[x], bilerp(p00, p10, p01, p11, wx, wy), job.tint);
        }
    }
}

// Bilinear sampling at texel centres returns the texel itself.
bool samples_texel_centres(const PixelMap& m) {
    return (m.u0 & (kFracOne - 1)) == kFracOne / 2 && (m.v0 & (kFracOne - 1)) == kFracOne / 2;
}

template <BlendMode Mode>
void draw_with(const Job& job) {
    const PixelMap& m = job.placed.map;
    const bool filtered = (job.image.flags & kFiltered) != 0;
    if (unit_scale(m) && (!filtered || samples_texel_centres(m))) {
        draw_unit<Mode>(job);
    } else if (filtered && unit_scale(m)) {
        draw_unit_filtered<Mode>(job);
    } else if (filtered) {
        draw_general<Mode, true>(job);
    } else if (axis_aligned(m)) {
        draw_axis<Mode>(job);
    } else {
        draw_general<Mode, false>(job);
    }
}

// Whether the placed frame reaches every pixel of the target (a solid draw of
// it then leaves nothing of what was there before).
bool covers(const Placement& placed, const RenderTarget& target) {
    const PixelMap& m = placed.map;
    if (!axis_aligned(m) || target.width <= 0 || target.height <= 0) return false;
    int begin = 0, end = 0;
    for (int row : {0, target.height - 1}) {
        if (!row_span(m, row, 0, target.width, begin, end) || begin != 0 || end != target.width) {
            return false;
        }
    }
    return true;
}

void blit(RenderTarget& target, ImageData& image, const Pixmap& pixmap, const FrameCache& cache,
          const Matrix& matrix, const FrameShape& shape, double x, double y, BlendMode mode,
          const Tint& tint) {
    auto placed = place_image(matrix, shape, x, y, PixelBox{0, 0, target.width, target.height});
    if (!placed) {
        settle_clear(target);
        return;
    }
    if (target.black_pending && !(mode == BlendMode::kSolid && covers(*placed, target))) {
        settle_clear(target);
    }
    target.black_pending = false;
    const Job job{image, pixmap, cache, *placed, target, tint};
    switch (mode) {
        case BlendMode::kMask:
            draw_with<BlendMode::kMask>(job);
            break;
        case BlendMode::kSolid:
            draw_with<BlendMode::kSolid>(job);
            break;
        case BlendMode::kAlpha:
            draw_with<BlendMode::kAlpha>(job);
            break;
        case BlendMode::kLight:
            draw_with<BlendMode::kLight>(job);
            break;
        case BlendMode::kShade:
            draw_with<BlendMode::kShade>(job);
            break;
    }
}

// One frame into `target` at the target's scale. At scale K every position,
// handle and the frame itself are K times larger and the matrix is the same,
// so the pixel-centre rule places the frame exactly where the game-resolution
// frame would land, K times finer. A picture without finer frames is drawn
// magnified instead.
void draw_at_scale(RenderTarget& target, ImageData& image, float x, float y, int frame,
                   const Matrix& matrix, BlendMode mode, const Tint& tint) {
    const int k = target.scale;
    if (k == 1) {
        blit(target, image, image.pixmaps[frame], frame_cache(image, frame), matrix,
             shape_of(image), x, y, mode, tint);
        return;
    }
    const double kx = static_cast<double>(x) * k, ky = static_cast<double>(y) * k;
    decode_pending_detail(image);
    if (has_detail(image, k, frame)) {
        blit(target, image, image.detail.pixmaps[frame], detail_frame_cache(image, frame), matrix,
             detail_shape_of(image, frame), kx, ky, mode, tint);
        return;
    }
    const Matrix magnified{matrix.ix * k, matrix.iy * k, matrix.jx * k, matrix.jy * k};
    blit(target, image, image.pixmaps[frame], frame_cache(image, frame), magnified, shape_of(image),
         kx, ky, mode, tint);
}

// On a finer target each draw is kept, for the game-resolution frame a grab may want.
void record_draw(RenderTarget& target, const Image& image, float x, float y, int frame,
                 const Matrix& matrix, BlendMode mode, const Tint& tint) {
    if (target.scale == 1) return;
    target.draws_since_clear.push_back(RecordedDraw{image, x, y, frame, matrix, mode, tint});
}

}  // namespace

const RenderTarget& game_resolution_frame(RenderTarget& target) {
    if (!target.game_resolution) {
        auto frame = std::make_unique<RenderTarget>();
        frame->width = target.width / target.scale;
        frame->height = target.height / target.scale;
        frame->pixels.resize(static_cast<std::size_t>(frame->width) * frame->height);
        frame->black_pending = true;
        target.game_resolution = std::move(frame);
        target.draws_replayed = 0;
    }
    for (; target.draws_replayed < target.draws_since_clear.size(); ++target.draws_replayed) {
        const RecordedDraw& d = target.draws_since_clear[target.draws_replayed];
        if (!usable_frame(*d.image, d.frame)) continue;
        draw_at_scale(*target.game_resolution, *d.image, d.x, d.y, d.frame, d.matrix, d.blend,
                      d.tint);
    }
    return *target.game_resolution;
}

DrawObserver draw_observer = nullptr;

void draw_prepared(const Image& original, const Image& prepared, float x, float y) {
    RenderTarget* target = current_target();
    if (!target || !prepared || target->scale == 1 || !usable_frame(*prepared, 0)) {
        draw_image(original, x, y, 0);
        return;
    }
    if (!original || !usable_frame(*original, 0)) return;
    if (draw_observer) draw_observer(original, x, y, 0);
    const DrawState& s = draw_state();
    const BlendMode mode = s.blend;
    const Tint tint = tint_of(s);
    if (tint.a == 0 && mode != BlendMode::kSolid && mode != BlendMode::kShade) return;
    record_draw(*target, original, x, y, 0, matrix_of(s), mode, tint);
    const int k = target->scale;
    blit(*target, *prepared, prepared->pixmaps[0], frame_cache(*prepared, 0), Matrix{},
         shape_of(*prepared), static_cast<double>(x) * k, static_cast<double>(y) * k, mode, tint);
}

}  // namespace detail

void draw_image(const Image& image, float x, float y, int frame) {
    using namespace detail;
    RenderTarget* target = current_target();
    if (!target || !image || !usable_frame(*image, frame)) return;
    if (draw_observer) draw_observer(image, x, y, frame);
    const DrawState& s = draw_state();
    const BlendMode mode = s.blend;
    const Tint tint = tint_of(s);
    if (tint.a == 0 && mode != BlendMode::kSolid && mode != BlendMode::kShade) return;
    const Matrix matrix = matrix_of(s);
    record_draw(*target, image, x, y, frame, matrix, mode, tint);
    draw_at_scale(*target, *image, x, y, frame, matrix, mode, tint);
}

}  // namespace svc
