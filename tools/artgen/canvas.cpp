#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "noise.h"

namespace art {

namespace {

constexpr float kDegToRad = std::numbers::pi_v<float> / 180.0f;

struct Box {
    int x0, y0, x1, y1;  // samples, x1/y1 exclusive
    int w() const { return x1 - x0; }
    int h() const { return y1 - y0; }
};

Box path_box(const Path& path, float margin, int unit, int sw, int sh) {
    float minx = 1e9f, miny = 1e9f, maxx = -1e9f, maxy = -1e9f;
    for (const Pt& p : path) {
        minx = std::min(minx, p.x);
        miny = std::min(miny, p.y);
        maxx = std::max(maxx, p.x);
        maxy = std::max(maxy, p.y);
    }
    Box b{static_cast<int>(std::floor((minx - margin) * unit)),
          static_cast<int>(std::floor((miny - margin) * unit)),
          static_cast<int>(std::ceil((maxx + margin) * unit)) + 1,
          static_cast<int>(std::ceil((maxy + margin) * unit)) + 1};
    b.x0 = std::clamp(b.x0, 0, sw);
    b.y0 = std::clamp(b.y0, 0, sh);
    b.x1 = std::clamp(b.x1, 0, sw);
    b.y1 = std::clamp(b.y1, 0, sh);
    return b;
}

Box grid_box(const Grid& m) {
    Box b{m.width(), m.height(), 0, 0};
    for (int y = 0; y < m.height(); ++y) {
        for (int x = 0; x < m.width(); ++x) {
            if (m.at(x, y) <= 0.0f) continue;
            b.x0 = std::min(b.x0, x);
            b.y0 = std::min(b.y0, y);
            b.x1 = std::max(b.x1, x + 1);
            b.y1 = std::max(b.y1, y + 1);
        }
    }
    return b;
}

// Lays one pass of a line into buf (max of dabs), samples relative to box. The
// line's wobble and pressure follow its length in picture units, so a finer grid
// (`unit` samples per unit) lays the same line with more, smaller dabs.
void lay_pass(const Path& path, const Pen& pen, float pressure, Pt offset, std::uint32_t seed,
              int unit, const Box& box, std::vector<float>& buf) {
    std::vector<float> cum(path.size(), 0.0f);
    for (size_t i = 1; i < path.size(); ++i) {
        cum[i] = cum[i - 1] + std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    }
    const float length = cum.back();
    const float step = 0.7f / static_cast<float>(unit);
    const float taper = std::min(pen.taper, length * 0.3f);
    size_t seg = 1;
    for (float s = 0.0f; s <= length; s += step) {
        while (seg + 1 < path.size() && cum[seg] < s) ++seg;
        const Pt& a = path[seg - 1];
        const Pt& b = path[std::min(seg, path.size() - 1)];
        float seg_len = std::max(cum[seg] - cum[seg - 1], 1e-6f);
        float t = std::clamp((s - cum[seg - 1]) / seg_len, 0.0f, 1.0f);
        float dx = (b.x - a.x) / seg_len, dy = (b.y - a.y) / seg_len;
        float drift = (noise1(s * 0.18f, seed) - 0.5f) * 2.0f * pen.wobble +
                      (noise1(s * 0.9f, seed ^ 0x51u) - 0.5f) * 0.35f * pen.wobble;
        float px = a.x + (b.x - a.x) * t - dy * drift + offset.x;
        float py = a.y + (b.y - a.y) * t + dx * drift + offset.y;
        float end_fade = 1.0f;
        if (taper > 0.0f) end_fade = std::clamp(std::min(s, length - s) / taper, 0.35f, 1.0f);
        float press = pressure * end_fade * (0.82f + 0.18f * noise1(s * 0.35f, seed ^ 0x77u));
        float radius = 0.5f * pen.width * (0.9f + 0.2f * noise1(s * 0.5f, seed ^ 0x99u)) * unit;
        float cx = px * unit, cy = py * unit;
        int x0 = std::max(box.x0, static_cast<int>(cx - radius - 1));
        int x1 = std::min(box.x1 - 1, static_cast<int>(cx + radius + 1));
        int y0 = std::max(box.y0, static_cast<int>(cy - radius - 1));
        int y1 = std::min(box.y1 - 1, static_cast<int>(cy + radius + 1));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
                float cover = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
                float& v = buf[static_cast<size_t>(y - box.y0) * box.w() + (x - box.x0)];
                v = std::max(v, press * cover);
            }
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- Grid

Grid::Grid(int width, int height, int unit)
    : unit_(unit), w_(width * unit), h_(height * unit), v_(static_cast<size_t>(w_) * h_, 0.0f) {}

void Grid::scan_polygon(const Path& poly, std::vector<std::uint8_t>& inside) const {
    inside.assign(v_.size(), 0);
    if (poly.size() < 3) return;
    std::vector<std::pair<float, int>> crossings;
    for (int sy = 0; sy < h_; ++sy) {
        float y = (sy + 0.5f) / unit_;
        crossings.clear();
        for (size_t i = 0; i < poly.size(); ++i) {
            const Pt& a = poly[i];
            const Pt& b = poly[(i + 1) % poly.size()];
            if ((a.y <= y) == (b.y <= y)) continue;
            float t = (y - a.y) / (b.y - a.y);
            crossings.emplace_back(a.x + (b.x - a.x) * t, b.y > a.y ? 1 : -1);
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].second;
            if (winding == 0) continue;
            int x0 = std::max(0, static_cast<int>(std::ceil(crossings[i].first * unit_ - 0.5f)));
            int x1 = std::min(w_ - 1,
                              static_cast<int>(std::floor(crossings[i + 1].first * unit_ - 0.5f)));
            for (int sx = x0; sx <= x1; ++sx) inside[static_cast<size_t>(sy) * w_ + sx] = 1;
        }
    }
}

void Grid::add_polygon(const Path& poly) {
    std::vector<std::uint8_t> inside;
    scan_polygon(poly, inside);
    for (size_t i = 0; i < v_.size(); ++i) {
        if (inside[i]) v_[i] = 1.0f;
    }
}

void Grid::cut_polygon(const Path& poly) {
    std::vector<std::uint8_t> inside;
    scan_polygon(poly, inside);
    for (size_t i = 0; i < v_.size(); ++i) {
        if (inside[i]) v_[i] = 0.0f;
    }
}

void Grid::intersect_polygon(const Path& poly) {
    std::vector<std::uint8_t> inside;
    scan_polygon(poly, inside);
    for (size_t i = 0; i < v_.size(); ++i) {
        if (!inside[i]) v_[i] = 0.0f;
    }
}

Grid Grid::rim(float dx, float dy) const {
    Grid out(w_ / unit_, h_ / unit_, unit_);
    int ox = static_cast<int>(std::lround(dx * unit_)),
        oy = static_cast<int>(std::lround(dy * unit_));
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            if (at(x, y) < 0.5f) continue;
            int sx = x + ox, sy = y + oy;
            bool beyond = sx < 0 || sy < 0 || sx >= w_ || sy >= h_ || at(sx, sy) < 0.5f;
            if (beyond) out.at(x, y) = 1.0f;
        }
    }
    return out;
}

void Grid::add_line(const Path& path, float width) {
    if (path.empty()) return;
    Box box = path_box(path, width + 1.0f, unit_, w_, h_);
    if (box.w() <= 0 || box.h() <= 0) return;
    std::vector<float> buf(static_cast<size_t>(box.w()) * box.h(), 0.0f);
    Pen solid;
    solid.width = width;
    solid.wobble = 0.0f;
    solid.taper = 0.0f;
    lay_pass(path.size() == 1 ? Path{path[0], path[0]} : path, solid, 1.0f, {}, 1, unit_, box, buf);
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            float v = buf[static_cast<size_t>(y - box.y0) * box.w() + (x - box.x0)];
            // A flat-topped profile: the line's pressure noise must not reach the mask.
            if (v > 0.5f) at(x, y) = 1.0f;
        }
    }
}

void Grid::cut(const Grid& other) {
    for (size_t i = 0; i < v_.size(); ++i) {
        if (other.v_[i] > 0.5f) v_[i] = 0.0f;
    }
}

// ---------------------------------------------------------------- Mask

Mask::Mask(int width, int height, int ss, int scale) : fine_(width, height, ss * scale) {
    if (scale > 1) layout_ = Grid(width, height, ss);
}

void Mask::add_polygon(const Path& poly) {
    on_each_grid([&](Grid& g) { g.add_polygon(poly); });
}

void Mask::cut_polygon(const Path& poly) {
    on_each_grid([&](Grid& g) { g.cut_polygon(poly); });
}

void Mask::intersect_polygon(const Path& poly) {
    on_each_grid([&](Grid& g) { g.intersect_polygon(poly); });
}

Mask Mask::rim(float dx, float dy) const {
    Mask out = *this;
    out.on_each_grid([&](Grid& g) { g = g.rim(dx, dy); });
    return out;
}

void Mask::add_line(const Path& path, float width) {
    on_each_grid([&](Grid& g) { g.add_line(path, width); });
}

void Mask::cut(const Mask& other) {
    fine_.cut(other.fine_);
    if (!layout_.empty()) layout_.cut(other.layout_);
}

// ---------------------------------------------------------------- Canvas

Canvas::Canvas(int width, int height, int ss, std::uint32_t seed, int scale)
    : w_(width),
      h_(height),
      ss_(ss),
      scale_(scale),
      unit_(ss * scale),
      sw_(width * unit_),
      sh_(height * unit_),
      seed_(seed) {
    size_t n = static_cast<size_t>(sw_) * sh_;
    r_.assign(n, 0.0f);
    g_.assign(n, 0.0f);
    b_.assign(n, 0.0f);
    a_.assign(n, 0.0f);
}

Mask Canvas::polygon_mask(const Path& poly) const {
    Mask m = mask();
    m.add_polygon(poly);
    return m;
}

void Canvas::composite(int x, int y, Rgb c, float a) {
    if (a <= 0.0f) return;
    size_t i = static_cast<size_t>(y) * sw_ + x;
    float k = 1.0f - a;
    r_[i] = c.r * a + r_[i] * k;
    g_[i] = c.g * a + g_[i] * k;
    b_[i] = c.b * a + b_[i] * k;
    a_[i] = a + a_[i] * k;
}

float Canvas::tooth(int sx, int sy) const {
    // The paper's tooth: bumps about an output pixel across that catch graphite,
    // plus a finer speckle, the same for every line drawn on this sheet. It goes
    // by output pixels, so a picture drawn at a larger scale shows finer grain.
    float x = static_cast<float>(sx) / ss_, y = static_cast<float>(sy) / ss_;
    float coarse = fbm2(x * 0.8f, y * 0.8f, seed_ ^ 0xabcdu);
    float fine = hash2(sx / 2, sy / 2, seed_ ^ 0x1234u);
    return std::clamp(coarse * 0.75f + fine * 0.35f, 0.0f, 1.0f);
}

void Canvas::fill(const Path& poly, Rgb colour, float opacity) {
    fill(polygon_mask(poly), colour, opacity);
}

void Canvas::fill(const Mask& region, Rgb colour, float opacity) {
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) composite(x, y, colour, region.at(x, y) * opacity);
    }
}

void Canvas::stroke(const Path& path, const Pen& pen, const Mask* clip) {
    if (path.size() < 2) return;
    Box box = path_box(path, pen.width + pen.wobble * 1.4f + 1.0f, unit_, sw_, sh_);
    if (box.w() <= 0 || box.h() <= 0) return;
    std::vector<float> total(static_cast<size_t>(box.w()) * box.h(), 0.0f);
    std::vector<float> pass(total.size());
    Rng rng(next_seed());
    for (int p = 0; p < pen.passes; ++p) {
        std::fill(pass.begin(), pass.end(), 0.0f);
        Pt offset{0, 0};
        float pressure = pen.pressure;
        if (p > 0) {
            offset = {rng.range(-0.35f, 0.35f), rng.range(-0.35f, 0.35f)};
            pressure *= 0.65f;
        }
        lay_pass(path, pen, pressure, offset, rng.next(), unit_, box, pass);
        for (size_t i = 0; i < total.size(); ++i)
            total[i] = 1.0f - (1.0f - total[i]) * (1.0f - pass[i]);
    }
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            float a = total[static_cast<size_t>(y - box.y0) * box.w() + (x - box.x0)];
            if (a <= 0.0f) continue;
            a *= std::clamp(1.0f - pen.grain + pen.grain * 1.5f * tooth(x, y), 0.0f, 1.0f);
            if (clip) a *= clip->at(x, y);
            composite(x, y, pen.colour, a);
        }
    }
}

void Canvas::hatch(const Mask& region, float angle, float spacing, const Pen& pen) {
    const Grid& layout = region.layout();
    Box box = grid_box(layout);
    if (box.w() <= 0) return;
    const int unit = layout.unit();
    float x0 = static_cast<float>(box.x0) / unit, y0 = static_cast<float>(box.y0) / unit;
    float x1 = static_cast<float>(box.x1) / unit, y1 = static_cast<float>(box.y1) / unit;
    float dx = std::cos(angle * kDegToRad), dy = -std::sin(angle * kDegToRad);
    float nx = -dy, ny = dx;
    Pt centre{(x0 + x1) * 0.5f, (y0 + y1) * 0.5f};
    float half_diag = std::hypot(x1 - x0, y1 - y0) * 0.5f + 1.0f;
    Rng rng(next_seed());
    for (float o = -half_diag + rng.range(0.0f, spacing); o <= half_diag; o += spacing) {
        float jitter = rng.range(-0.18f, 0.18f) * spacing;
        Pt mid{centre.x + nx * (o + jitter), centre.y + ny * (o + jitter)};
        // Keep only the part of the line that can meet the region's box.
        float t_lo = -half_diag, t_hi = half_diag;
        auto clip_axis = [&](float p, float d, float lo, float hi) {
            if (std::fabs(d) < 1e-6f) {
                if (p < lo || p > hi) t_hi = t_lo - 1.0f;
                return;
            }
            float ta = (lo - p) / d, tb = (hi - p) / d;
            if (ta > tb) std::swap(ta, tb);
            t_lo = std::max(t_lo, ta);
            t_hi = std::min(t_hi, tb);
        };
        clip_axis(mid.x, dx, x0 - 1.0f, x1 + 1.0f);
        clip_axis(mid.y, dy, y0 - 1.0f, y1 + 1.0f);
        if (t_hi <= t_lo) continue;
        Path line;
        int n = std::max(2, static_cast<int>((t_hi - t_lo) / 2.0f));
        for (int i = 0; i <= n; ++i) {
            float t = t_lo + (t_hi - t_lo) * i / n;
            line.push_back({mid.x + dx * t, mid.y + dy * t});
        }
        Pen p = pen;
        p.pressure *= rng.range(0.8f, 1.05f);
        stroke(line, p, &region);
    }
}

void Canvas::outline(const Mask& region, const Pen& pen) {
    std::vector<float> total(a_.size(), 0.0f);
    std::vector<float> pass(a_.size());
    Rng rng(next_seed());
    const float radius = 0.5f * pen.width * unit_;
    for (int p = 0; p < pen.passes; ++p) {
        std::fill(pass.begin(), pass.end(), 0.0f);
        std::uint32_t warp = rng.next();
        float pressure = pen.pressure * (p == 0 ? 1.0f : 0.65f);
        for (int y = 1; y + 1 < sh_; ++y) {
            for (int x = 1; x + 1 < sw_; ++x) {
                if (region.at(x, y) < 0.5f) continue;
                bool edge = region.at(x - 1, y) < 0.5f || region.at(x + 1, y) < 0.5f ||
                            region.at(x, y - 1) < 0.5f || region.at(x, y + 1) < 0.5f;
                if (!edge) continue;
                float fx = static_cast<float>(x) / unit_, fy = static_cast<float>(y) / unit_;
                float cx =
                    x + 0.5f +
                    (noise2(fx * 0.25f, fy * 0.25f, warp) - 0.5f) * 2.0f * pen.wobble * unit_;
                float cy = y + 0.5f +
                           (noise2(fx * 0.25f, fy * 0.25f, warp ^ 0x3u) - 0.5f) * 2.0f *
                               pen.wobble * unit_;
                float press = pressure * (0.8f + 0.2f * noise2(fx * 0.4f, fy * 0.4f, warp ^ 0x9u));
                int ix0 = std::max(0, static_cast<int>(cx - radius - 1));
                int ix1 = std::min(sw_ - 1, static_cast<int>(cx + radius + 1));
                int iy0 = std::max(0, static_cast<int>(cy - radius - 1));
                int iy1 = std::min(sh_ - 1, static_cast<int>(cy + radius + 1));
                for (int yy = iy0; yy <= iy1; ++yy) {
                    for (int xx = ix0; xx <= ix1; ++xx) {
                        float d = std::hypot(xx + 0.5f - cx, yy + 0.5f - cy);
                        float cover = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
                        float& v = pass[static_cast<size_t>(yy) * sw_ + xx];
                        v = std::max(v, press * cover);
                    }
                }
            }
        }
        for (size_t i = 0; i < total.size(); ++i)
            total[i] = 1.0f - (1.0f - total[i]) * (1.0f - pass[i]);
    }
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) {
            float a = total[static_cast<size_t>(y) * sw_ + x];
            if (a <= 0.0f) continue;
            a *= std::clamp(1.0f - pen.grain + pen.grain * 1.5f * tooth(x, y), 0.0f, 1.0f);
            composite(x, y, pen.colour, a);
        }
    }
}

void Canvas::speckle(const Mask& region, Rgb colour, float amount) {
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) {
            float m = region.at(x, y);
            if (m <= 0.0f) continue;
            if (hash2(x / ss_, y / ss_, seed_ ^ 0x5eedu) < amount)
                composite(x, y, colour, 0.22f * m);
        }
    }
}

namespace {

Rgb8 to_rgb8(float r, float g, float b) {
    auto q = [](float v) {
        return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
    };
    Rgb8 c{q(r), q(g), q(b)};
    // The game treats pure black and the key grey as holes in its pictures.
    if (c == kKey) c = {201, 200, 197};
    if (c.r < 24 && c.g < 24 && c.b < 24) c = {24, 24, 28};
    return c;
}

}  // namespace

std::vector<float> Canvas::coverage_for_keeping() const {
    const int ow = w_ * scale_, oh = h_ * scale_;
    const int lead = (unit_ - ss_) / 2;  // samples the window reaches before its own pixel
    std::vector<double> prefix(static_cast<size_t>(std::max(sw_, sh_)) + 1, 0.0);
    auto window = [&](int first, int limit) {
        int lo = std::clamp(first, 0, limit), hi = std::clamp(first + unit_, 0, limit);
        return prefix[hi] - prefix[lo];
    };
    // Sums across each row of samples, then down each column of those sums.
    std::vector<double> across(static_cast<size_t>(sh_) * ow);
    for (int sy = 0; sy < sh_; ++sy) {
        for (int sx = 0; sx < sw_; ++sx)
            prefix[sx + 1] = prefix[sx] + a_[static_cast<size_t>(sy) * sw_ + sx];
        for (int x = 0; x < ow; ++x)
            across[static_cast<size_t>(sy) * ow + x] = window(x * ss_ - lead, sw_);
    }
    std::vector<float> out(static_cast<size_t>(ow) * oh);
    const double area = static_cast<double>(unit_) * unit_;
    for (int x = 0; x < ow; ++x) {
        for (int sy = 0; sy < sh_; ++sy)
            prefix[sy + 1] = prefix[sy] + across[static_cast<size_t>(sy) * ow + x];
        for (int y = 0; y < oh; ++y)
            out[static_cast<size_t>(y) * ow + x] =
                static_cast<float>(window(y * ss_ - lead, sh_) / area);
    }
    return out;
}

Image Canvas::resolve(Rgb under, float threshold) const {
    const int ow = w_ * scale_, oh = h_ * scale_;
    Image out(ow, oh);
    // At a scale above 1 a pixel is kept, or left as the key colour, by the
    // coverage of a window one picture unit wide centred on it rather than by
    // its own: the picture keeps the outline it has at scale 1, traced finer,
    // and a line too faint to be kept at scale 1 stays out at every scale.
    const std::vector<float> keep =
        scale_ > 1 && threshold > 0.0f ? coverage_for_keeping() : std::vector<float>{};
    const float inv = 1.0f / static_cast<float>(ss_ * ss_);
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss_; ++sy) {
                for (int sx = 0; sx < ss_; ++sx) {
                    size_t i = static_cast<size_t>(y * ss_ + sy) * sw_ + (x * ss_ + sx);
                    r += r_[i];
                    g += g_[i];
                    b += b_[i];
                    a += a_[i];
                }
            }
            r *= inv, g *= inv, b *= inv, a *= inv;
            float kept = keep.empty() ? a : keep[static_cast<size_t>(y) * ow + x];
            if (kept < threshold) continue;
            out.set(x, y,
                    to_rgb8(r + (1 - a) * under.r, g + (1 - a) * under.g, b + (1 - a) * under.b));
        }
    }
    return out;
}

Image Canvas::resolve_opaque(Rgb under) const {
    Image out = resolve(under, -1.0f);
    return out;
}

Image Canvas::resolve_alpha(Rgb under) const {
    Image out(w_ * scale_, h_ * scale_);
    const float inv = 1.0f / static_cast<float>(ss_ * ss_);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss_; ++sy) {
                for (int sx = 0; sx < ss_; ++sx) {
                    size_t i = static_cast<size_t>(y * ss_ + sy) * sw_ + (x * ss_ + sx);
                    r += r_[i];
                    g += g_[i];
                    b += b_[i];
                    a += a_[i];
                }
            }
            r *= inv, g *= inv, b *= inv, a *= inv;
            if (a <= 0.0f) {
                out.set(x, y, to_rgb8(under.r, under.g, under.b));
                out.set_alpha(x, y, 0);
                continue;
            }
            out.set(x, y, to_rgb8(r / a, g / a, b / a));
            out.set_alpha(x, y,
                          static_cast<std::uint8_t>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255)));
        }
    }
    return out;
}

// ---------------------------------------------------------------- paths

Path ellipse(Pt centre, float rx, float ry, int segments, float start_deg, float sweep_deg) {
    Path p;
    bool full = std::fabs(sweep_deg) >= 360.0f;
    int n = full ? segments : segments + 1;
    for (int i = 0; i < n; ++i) {
        float a = (start_deg + sweep_deg * i / segments) * kDegToRad;
        p.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)});
    }
    return p;
}

Path smooth(const Path& pts, bool is_closed, int steps) {
    if (pts.size() < 3) return pts;
    Path out;
    size_t n = pts.size();
    auto at = [&](long i) -> const Pt& {
        if (is_closed) return pts[static_cast<size_t>((i % static_cast<long>(n) + n) % n)];
        return pts[static_cast<size_t>(std::clamp(i, 0L, static_cast<long>(n) - 1))];
    };
    long segs = is_closed ? static_cast<long>(n) : static_cast<long>(n) - 1;
    for (long i = 0; i < segs; ++i) {
        const Pt &p0 = at(i - 1), &p1 = at(i), &p2 = at(i + 1), &p3 = at(i + 2);
        for (int s = 0; s < steps; ++s) {
            float t = static_cast<float>(s) / steps, t2 = t * t, t3 = t2 * t;
            auto cr = [&](float a, float b, float c, float d) {
                return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                               (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({cr(p0.x, p1.x, p2.x, p3.x), cr(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    if (!is_closed) out.push_back(pts.back());
    return out;
}

Path translated(const Path& path, float dx, float dy) {
    Path out = path;
    for (Pt& p : out) p = {p.x + dx, p.y + dy};
    return out;
}

Path scaled(const Path& path, Pt o, float sx, float sy) {
    Path out = path;
    for (Pt& p : out) p = {o.x + (p.x - o.x) * sx, o.y + (p.y - o.y) * sy};
    return out;
}

Path rotated(const Path& path, Pt o, float degrees) {
    float c = std::cos(degrees * kDegToRad), s = std::sin(degrees * kDegToRad);
    Path out = path;
    for (Pt& p : out) {
        float x = p.x - o.x, y = p.y - o.y;
        p = {o.x + x * c - y * s, o.y + x * s + y * c};
    }
    return out;
}

Path reversed(const Path& path) {
    return Path(path.rbegin(), path.rend());
}

Path closed(const Path& path) {
    Path out = path;
    if (!out.empty()) out.push_back(out.front());
    return out;
}

}  // namespace art

namespace art {

void Canvas::keep_only(const Mask& keep) {
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) {
            size_t i = static_cast<size_t>(y) * sw_ + x;
            float k = keep.at(x, y);
            r_[i] *= k;
            g_[i] *= k;
            b_[i] *= k;
            a_[i] *= k;
        }
    }
}

void Canvas::centre_content(float cx, float cy) {
    int x0 = sw_, y0 = sh_, x1 = -1, y1 = -1;
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) {
            if (a_[static_cast<size_t>(y) * sw_ + x] < 0.05f) continue;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    }
    if (x1 < 0) return;
    int dx = static_cast<int>(std::lround(cx * unit_ - (x0 + x1 + 1) * 0.5f));
    int dy = static_cast<int>(std::lround(cy * unit_ - (y0 + y1 + 1) * 0.5f));
    auto shift = [&](std::vector<float>& ch) {
        std::vector<float> out(ch.size(), 0.0f);
        for (int y = 0; y < sh_; ++y) {
            int sy = y - dy;
            if (sy < 0 || sy >= sh_) continue;
            for (int x = 0; x < sw_; ++x) {
                int sx = x - dx;
                if (sx < 0 || sx >= sw_) continue;
                out[static_cast<size_t>(y) * sw_ + x] = ch[static_cast<size_t>(sy) * sw_ + sx];
            }
        }
        ch.swap(out);
    };
    shift(r_);
    shift(g_);
    shift(b_);
    shift(a_);
}

Mask Canvas::coverage(float threshold) const {
    Mask m = mask();
    for (int y = 0; y < sh_; ++y) {
        for (int x = 0; x < sw_; ++x) {
            if (a_[static_cast<size_t>(y) * sw_ + x] >= threshold) m.fine_.at(x, y) = 1.0f;
        }
    }
    if (m.layout_.empty()) return m;
    // On the scale-1 grid, by the mean coverage of the samples each one stands for.
    Grid& layout = m.layout_;
    for (int ly = 0; ly < layout.height(); ++ly) {
        for (int lx = 0; lx < layout.width(); ++lx) {
            float sum = 0.0f;
            for (int y = ly * scale_; y < (ly + 1) * scale_; ++y) {
                for (int x = lx * scale_; x < (lx + 1) * scale_; ++x)
                    sum += a_[static_cast<size_t>(y) * sw_ + x];
            }
            if (sum >= threshold * static_cast<float>(scale_ * scale_)) layout.at(lx, ly) = 1.0f;
        }
    }
    return m;
}

}  // namespace art
