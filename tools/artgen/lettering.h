#pragma once
// Our own hand lettering: each letter is a few pencil strokes through control
// points, in units where the x-height is 1 and the baseline is 0 (y up).
#include <string_view>
#include <vector>

#include "canvas.h"

namespace art {

struct Lettering {
    std::vector<Path> strokes;  // in picture units, ready to draw
    float width = 0;            // advance of the whole text
};

// Lays out `text` with its baseline starting at `origin`; `x_height` in pixels,
// `slant` shears the letters to the right (0.2 = a light italic).
Lettering letter(std::string_view text, Pt origin, float x_height, float slant = 0.0f,
                 float spacing = 0.18f);

}  // namespace art
