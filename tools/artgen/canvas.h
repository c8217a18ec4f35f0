#pragma once
// A supersampled drawing surface that imitates pencil on paper. Shapes are
// given in picture units, the pixels of the picture at scale 1; a canvas drawn
// at scale K makes a picture K times larger each way from the same strokes,
// with `ss` x `ss` samples per output pixel, and resolves them to an 8-bit
// picture at the end. Everything is composited "over" in drawing order, so a
// later paper-toned fill hides earlier strokes.
#include <cstdint>
#include <vector>

#include "image.h"

namespace art {

struct Pt {
    float x = 0, y = 0;
};
using Path = std::vector<Pt>;

struct Rgb {
    float r = 0, g = 0, b = 0;
};

// Colours of the pencil box.
namespace ink {
inline constexpr Rgb kGraphite{58, 58, 64};
inline constexpr Rgb kSoftGraphite{92, 92, 98};
inline constexpr Rgb kPaper{247, 243, 232};  // the page itself
inline constexpr Rgb kBody{241, 238, 229};   // inside of solid objects
inline constexpr Rgb kCloud{252, 251, 247};
inline constexpr Rgb kRed{196, 52, 46};
inline constexpr Rgb kOrange{234, 128, 36};
inline constexpr Rgb kYellow{246, 196, 52};
inline constexpr Rgb kBlue{70, 110, 190};
}  // namespace ink

// How a pencil line is laid down.
struct Pen {
    Rgb colour = ink::kGraphite;
    float width = 1.1f;      // in picture units
    float pressure = 0.85f;  // peak opacity of the graphite
    float wobble = 0.35f;    // sideways drift of the hand, in picture units
    int passes = 2;          // lines gone over again
    float grain = 0.45f;     // how much the paper's tooth breaks the line
    float taper = 1.2f;      // length over which the ends fade, in picture units
};

// Coverage of a region on one grid of samples, values 0..1, `unit` samples per
// picture unit.
class Grid {
  public:
    Grid() = default;
    Grid(int width, int height, int unit);
    int unit() const { return unit_; }
    int width() const { return w_; }
    int height() const { return h_; }
    bool empty() const { return v_.empty(); }
    float at(int x, int y) const { return v_[static_cast<size_t>(y) * w_ + x]; }
    float& at(int x, int y) { return v_[static_cast<size_t>(y) * w_ + x]; }

    void add_polygon(const Path& poly);
    void cut_polygon(const Path& poly);
    void intersect_polygon(const Path& poly);
    Grid rim(float dx, float dy) const;
    void add_line(const Path& path, float width);
    void cut(const Grid& other);

  private:
    void scan_polygon(const Path& poly, std::vector<std::uint8_t>& inside) const;
    int unit_ = 1, w_ = 0, h_ = 0;
    std::vector<float> v_;
};

// A region of a canvas, at the canvas's sample resolution. A region of a canvas
// drawn at a scale above 1 also keeps its coverage on the scale-1 grid: hatching
// takes its extent from there, so that it lays the same lines and draws the
// same random numbers at every scale.
class Mask {
  public:
    Mask(int width, int height, int ss, int scale = 1);
    int width() const { return fine_.width(); }  // in samples
    int height() const { return fine_.height(); }
    float at(int x, int y) const { return fine_.at(x, y); }
    const Grid& layout() const { return layout_.empty() ? fine_ : layout_; }

    void add_polygon(const Path& poly);  // union
    void cut_polygon(const Path& poly);  // difference
    void intersect_polygon(const Path& poly);
    // The part of the region that lies within (dx, dy) of its edge on that
    // side: the rim where shading collects, for light from the other side.
    Mask rim(float dx, float dy) const;
    // Union with a thick line (no grain, no wobble): for bold lettering.
    void add_line(const Path& path, float width);
    // Difference with another region of the same canvas.
    void cut(const Mask& other);

  private:
    friend class Canvas;
    template <class Op>
    void on_each_grid(Op op) {
        op(fine_);
        if (!layout_.empty()) op(layout_);
    }
    Grid fine_, layout_;
};

class Canvas {
  public:
    // `width` x `height` picture units, drawn at `scale` output pixels per unit.
    Canvas(int width, int height, int ss, std::uint32_t seed, int scale = 1);
    int width() const { return w_; }
    int height() const { return h_; }
    int ss() const { return ss_; }
    int scale() const { return scale_; }
    Mask mask() const { return Mask(w_, h_, ss_, scale_); }
    Mask polygon_mask(const Path& poly) const;

    void fill(const Path& poly, Rgb colour, float opacity = 1.0f);
    void fill(const Mask& region, Rgb colour, float opacity = 1.0f);
    void stroke(const Path& path, const Pen& pen, const Mask* clip = nullptr);
    // Parallel wobbly lines across a region, at `angle` degrees (45 = rising to the right).
    void hatch(const Mask& region, float angle, float spacing, const Pen& pen);
    // A pencil outline traced around the edge of a region.
    void outline(const Mask& region, const Pen& pen);
    // Sprinkles light graphite specks over a region: the grain of a shaded area.
    void speckle(const Mask& region, Rgb colour, float amount);

    // Resolves to a picture of width() x height() times scale(). Pixels whose
    // coverage is below `threshold` become the key colour; covered pixels are
    // composited over `under`.
    Image resolve(Rgb under, float threshold) const;
    // Resolves everything over `under`, fully opaque.
    Image resolve_opaque(Rgb under) const;
    // Resolves with straight alpha, for pictures that keep an alpha channel.
    Image resolve_alpha(Rgb under) const;

    // Keeps only what lies inside `keep` (torn pieces of a drawing).
    void keep_only(const Mask& keep);
    // Moves the drawing so that the box around what is drawn is centred on (cx, cy).
    void centre_content(float cx, float cy);
    // Where the drawing covers at least `threshold`.
    Mask coverage(float threshold) const;

    std::uint32_t next_seed() { return seed_ = seed_ * 1664525U + 1013904223U; }

  private:
    void composite(int x, int y, Rgb c, float a);
    float tooth(int sx, int sy) const;
    std::vector<float> coverage_for_keeping() const;
    int w_, h_, ss_, scale_;
    int unit_;  // samples per picture unit
    int sw_, sh_;
    std::uint32_t seed_;
    std::vector<float> r_, g_, b_, a_;  // premultiplied
};

// Path helpers, all in picture units.
Path ellipse(Pt centre, float rx, float ry, int segments = 48, float start_deg = 0.0f,
             float sweep_deg = 360.0f);
// A Catmull-Rom curve through the points.
Path smooth(const Path& points, bool closed, int steps_per_segment = 8);
Path translated(const Path& path, float dx, float dy);
Path scaled(const Path& path, Pt origin, float sx, float sy);
Path rotated(const Path& path, Pt origin, float degrees);
Path reversed(const Path& path);
Path closed(const Path& path);

}  // namespace art
