#pragma once
// The drawing state for texts and screens in one call, and texts centred for a
// scale given with them.
#include <string_view>

#include "services/rendering/graphics.h"

// How many times the font's size a text is drawn, across and down.
struct TextScale {
    float x = 1.0f;
    float y = 1.0f;
};

// The font's own size.
inline constexpr TextScale kFontSize{1.0f, 1.0f};

// Blend, alpha, no rotation and the scale, for what is drawn next.
void set_text_style(svc::BlendMode blend, float alpha, TextScale scale);
// A text centred on (x, y) for `scale`, which need not be the scale in force:
// the game-over text is centred for the font's size and drawn twice as large.
void draw_centred(std::string_view text, float x, float y, TextScale scale);
