#pragma once
// Shared helpers for the drawings: placing a figure drawn in its own units on
// a canvas, and the standard pencils scaled to the figure's size.
#include "canvas.h"

namespace art {

// Maps figure units to canvas pixels: p * scale + offset.
struct Place {
    float x = 0, y = 0, s = 1;
    Pt operator()(Pt p) const { return {p.x * s + x, p.y * s + y}; }
    Path operator()(const Path& path) const {
        Path out;
        out.reserve(path.size());
        for (const Pt& p : path) out.push_back((*this)(p));
        return out;
    }
};

// Lines thicken more slowly than the figure grows, as a pencil would.
inline Pen sized(Pen pen, float s) {
    float k = s < 1.0f ? s : 1.0f + (s - 1.0f) * 0.55f;
    pen.width *= k;
    pen.wobble *= k;
    pen.taper *= s;
    return pen;
}

namespace pens {
inline Pen outline() {
    return Pen{ink::kGraphite, 1.05f, 0.92f, 0.16f, 2, 0.3f, 0.8f};
}
inline Pen detail() {
    return Pen{ink::kGraphite, 0.75f, 0.75f, 0.12f, 1, 0.35f, 0.6f};
}
inline Pen hatch() {
    return Pen{ink::kSoftGraphite, 0.6f, 0.5f, 0.1f, 1, 0.4f, 0.5f};
}
inline Pen dark_hatch() {
    return Pen{ink::kGraphite, 0.7f, 0.62f, 0.1f, 1, 0.35f, 0.5f};
}
}  // namespace pens

}  // namespace art
