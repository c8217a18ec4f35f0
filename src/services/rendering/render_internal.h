#pragma once
// Internals shared by the software renderer's sources (drawing state, frame
// caches, the pixel mapping of a placed image and the blend arithmetic) and by
// its tests, which check the fast drawing paths against a plain reference.
//
// Rasterisation rule used everywhere (drawing and collisions): a screen pixel
// (X, Y) belongs to an image placed on the screen when its centre
// (X + 0.5, Y + 0.5), mapped back into the image, lands at an image coordinate
// (u, v) with 0 <= u < width and 0 <= v < height. The left and top edges of the
// image are inside, the right and bottom edges outside, so two images that
// share an edge never both draw, nor both miss, a pixel on it. The mapping is
// evaluated in fixed point (kFracBits fraction bits), so stepping along a row
// gives exactly the same coordinates as evaluating every pixel on its own.
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "services/rendering/graphics.h"

namespace svc::detail {

// ---- Drawing and loader state ------------------------------------------------

struct DrawState {
    int red = 255, green = 255, blue = 255;
    float alpha = 1.0f;
    float rotation = 0;
    float scale_x = 1, scale_y = 1;
    float ix = 1, iy = 0, jx = 0, jy = 1;  // the drawing matrix
    ImageFont font;                        // null: text draws nothing
    BlendMode blend = BlendMode::kMask;
};

struct LoaderState {
    int mask_r = 0, mask_g = 0, mask_b = 0;
    int auto_flags = 0;
    bool auto_mid_handle = false;
};

// The drawing matrix (DrawState's ix, iy, jx, jy).
struct Matrix {
    double ix = 1, iy = 0, jx = 0, jy = 1;
};

// The drawing colour and alpha as the blends use them.
struct Tint {
    std::uint32_t r = 255, g = 255, b = 255;
    std::uint32_t a = 255;  // alpha255
    bool white = true;
};

// What a draw into a finer back buffer needs again when a grab wants the same
// picture at game resolution (see RenderTarget::draws_since_clear).
struct RecordedDraw {
    Image image;
    float x = 0, y = 0;
    int frame = 0;
    Matrix matrix;
    BlendMode blend = BlendMode::kMask;
    Tint tint;
};

struct RenderTarget {
    int width = 0;  // of the pixel buffer: the screen's size times the scale
    int height = 0;
    int scale = 1;
    PixelBuffer pixels;
    // Cleared, but the black not written yet: a draw that covers every pixel
    // (the paper that starts each frame) makes writing it needless.
    bool black_pending = false;
    // Only with a scale above 1: the draws since the last clear, and the same
    // frame at game resolution made from them on demand, so that grabbing a
    // frame gives the exact game-resolution picture collisions need besides
    // the finer one the screen shows.
    std::vector<RecordedDraw> draws_since_clear;
    std::unique_ptr<RenderTarget> game_resolution;
    std::size_t draws_replayed = 0;
};

DrawState& draw_state();
LoaderState& loader_state();
RenderTarget* current_target();  // nullptr while no screen is open

// A finer target's frame at game resolution, brought up to date with the draws
// since the last clear (which it replays at scale 1).
const RenderTarget& game_resolution_frame(RenderTarget& target);

// Writes a pending clear's black, before the pixels are read or partly drawn over.
void settle_clear(RenderTarget& target);

// ---- Per-frame data derived from an image's pixels -----------------------------

// Runs of pixels per row, as [begin, end) column pairs: row y's runs are
// pairs[row_start[y]] .. pairs[row_start[y + 1]].
struct RunTable {
    std::vector<int> row_start;
    std::vector<int> pairs;  // begin, end, begin, end, ...
};

struct FrameCache {
    int width = 0;
    int height = 0;
    // What straight copies copy, with alpha 255: for runs of solid pixels (alpha
    // >= 128) and for whole rows. The frame's own pixels when they already are
    // (every alpha 0 or 255; every alpha 255), else `opaque`; null when no
    // straight copy fits.
    const std::uint32_t* copy_solid_runs = nullptr;
    const std::uint32_t* copy_rows = nullptr;
    PixelBuffer opaque;     // the pixels with alpha forced to 255, when needed
    RunTable visible;       // pixels with alpha > 0
    RunTable solid;         // pixels with alpha >= 128
    int words_per_row = 0;  // of solid_bits, plus one zero word of padding (none for finer frames)
    std::vector<std::uint64_t> solid_bits;  // bit x of row y set when pixel (x, y) has alpha >= 128
};

// The cache of one frame, built on first use. Writing a frame's pixels must
// reset image.render_cache[frame] so the cache is rebuilt.
const FrameCache& frame_cache(ImageData& image, int frame);
// The same for the image's finer frames (image.detail).
const FrameCache& detail_frame_cache(ImageData& image, int frame);
// Decodes an embedded picture's finer version, put off from its loading until
// it is first drawn (image_loader.cpp).
void decode_pending_detail(ImageData& image);
// True when the image has finer frames at `scale` that fit its size.
bool has_detail(const ImageData& image, int scale, int frame);

// True when `frame` is one of the image's frames and its pixels match its size.
bool usable_frame(const ImageData& image, int frame);

// ---- Where a placed image lands ------------------------------------------------

constexpr int kFracBits = 24;
constexpr std::int64_t kFracOne = std::int64_t{1} << kFracBits;

// Image coordinate (fixed point) at the centre of screen pixel (X, Y):
//   u = u0 + X * du_dx + Y * du_dy,  v = v0 + X * dv_dx + Y * dv_dy.
struct PixelMap {
    std::int64_t u0 = 0, du_dx = 0, du_dy = 0;
    std::int64_t v0 = 0, dv_dx = 0, dv_dy = 0;
    std::int64_t u_end = 0, v_end = 0;  // width and height in fixed point
};

struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // [x0, x1) x [y0, y1)
};

struct Placement {
    PixelMap map;
    PixelBox box;  // pixels that can belong to the image, within the clip box
};

// A frame's size and handle, in the pixels of the pixmap being placed.
struct FrameShape {
    int width = 0, height = 0;
    double handle_x = 0, handle_y = 0;
};
FrameShape shape_of(const ImageData& image);
// The shape of a finer frame (has_detail true): its own size, and its own
// handle or the image's handle scaled.
FrameShape detail_shape_of(const ImageData& image, int frame);

Matrix matrix_of(const DrawState& state);

// Maps the frame rectangle (0,0)-(width,height), with its handle at (x, y),
// through the matrix. Empty when it covers no pixel of `clip` or the matrix is
// degenerate (zero or absurdly small scale).
std::optional<Placement> place_image(const Matrix& matrix, const FrameShape& shape, double x,
                                     double y, PixelBox clip);

// The screen box alone (no mapping), for quick rejections.
std::optional<PixelBox> image_box(const Matrix& matrix, const FrameShape& shape, double x, double y,
                                  PixelBox clip);

// The fixed-point mapping alone (no box): what the reference rasteriser uses.
std::optional<PixelMap> pixel_map(const Matrix& matrix, const FrameShape& shape, double x,
                                  double y);
inline std::optional<PixelMap> pixel_map(const DrawState& state, const ImageData& image, double x,
                                         double y) {
    return pixel_map(matrix_of(state), shape_of(image), x, y);
}

// Columns [begin, end) of row y, within [x_lo, x_hi), whose pixel centres map
// inside the image. False when there are none.
bool row_span(const PixelMap& map, int y, int x_lo, int x_hi, int& begin, int& end);

inline bool axis_aligned(const PixelMap& m) {
    return m.du_dy == 0 && m.dv_dx == 0;
}

// For an axis-aligned map every row's span is the same columns, and the rows
// with a span are one run: the pixels of `box` whose centres map inside the
// image form the rectangle returned (false when there are none), exactly the
// pixels row_span gives row by row.
bool axis_aligned_rectangle(const PixelMap& map, const PixelBox& box, PixelBox& inside);
inline bool unit_scale(const PixelMap& m) {
    return axis_aligned(m) && m.du_dx == kFracOne && m.dv_dy == kFracOne;
}

// ---- Pictures prepared at the screen's own scale ---------------------------------

// Draws `prepared`, a picture already rasterised at the size it is shown at on
// the screen (a stretched glyph: its pixels are screen pixels and its handle
// is in them), with its handle at game position (x, y) and no further scaling.
// `original` is the game-resolution picture it stands for, drawn instead at
// scale 1 or when nothing could be prepared, and what a grab's replay draws.
void draw_prepared(const Image& original, const Image& prepared, float x, float y);

// ---- Recording ------------------------------------------------------------------

// When set, draw_image calls it for every image it is about to draw, with the
// drawing state (draw_state()) in force, before drawing. Tools use it to capture
// a frame's draw list (text arrives glyph by glyph); the game leaves it null.
using DrawObserver = void (*)(const Image& image, float x, float y, int frame);
extern DrawObserver draw_observer;

// ---- Blend arithmetic ---------------------------------------------------------
//
// Channels are 0-255. A product of two channels is brought back to 0-255 by
// rounding to nearest: div255(x) == (x + 127) / 255 for 0 <= x <= 255 * 255
// (x / 255 never ends in exactly .5, so there are no ties).
//   source colour  s = div255(texel * colour)
//   source alpha   A = div255(texel_alpha * alpha255), alpha255 = round(alpha * 255)
//   mask   (1): d = s where A >= 128 (alpha 0.5 and up), else unchanged
//   solid  (2): d = s
//   alpha  (3): d = div255(s * A + d * (255 - A))
//   light  (4): d = min(255, d + div255(s * A))
//   shade  (5): d = div255(s * d)   (alpha plays no part)
// The back buffer's alpha byte is always 0xFF.

inline std::uint32_t div255(std::uint32_t x) {
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}

// Integer alpha 0-255 of a drawing alpha, rounded to nearest and clamped.
int alpha_to_255(float alpha);

// Sampling of filtered images: bilinear between texel centres, with the
// neighbours clamped at the edges. The weights are the top 8 fraction bits of
// (coordinate - 0.5).
std::uint32_t sample_bilinear(const Pixmap& pixmap, std::int64_t u, std::int64_t v);

// The bilinear mix of four texels (top left, top right, bottom left, bottom
// right) with weights wx, wy in 0-255 toward the right and bottom, per channel:
//   ((p00 * (256 - wx) + p10 * wx) * (256 - wy) + (p01 * (256 - wx) + p11 * wx) * wy + 32768) >> 16
// Two channels at a time in 32-bit lanes of a 64-bit word.
inline std::uint32_t bilerp(std::uint32_t p00, std::uint32_t p10, std::uint32_t p01,
                            std::uint32_t p11, std::uint32_t wx, std::uint32_t wy) {
    auto lanes = [](std::uint32_t p, int shift) {
        return static_cast<std::uint64_t>((p >> shift) & 255u) |
               static_cast<std::uint64_t>((p >> (shift + 16)) & 255u) << 32;
    };
    std::uint32_t out = 0;
    for (int shift = 0; shift < 16; shift += 8) {  // blue and red, then green and alpha
        const std::uint64_t top = lanes(p00, shift) * (256 - wx) + lanes(p10, shift) * wx;
        const std::uint64_t bottom = lanes(p01, shift) * (256 - wx) + lanes(p11, shift) * wx;
        const std::uint64_t mixed =
            top * (256 - wy) + bottom * wy + (std::uint64_t{32768} << 32 | 32768u);
        out |= static_cast<std::uint32_t>((mixed >> 16) & 255u) << shift;
        out |= static_cast<std::uint32_t>((mixed >> 48) & 255u) << (shift + 16);
    }
    return out;
}

}  // namespace svc::detail
