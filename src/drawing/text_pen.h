#pragma once
// Sets the drawing state for texts and screens in one call, and draws texts
// centred for the text scale recorded by that call.
#include <string_view>

#include "services/rendering/graphics.h"

struct TextPen {
    float text_scale_x = 0;
    float text_scale_y = 0;

    // Blend, alpha, rotation and scale together; records the scale for centring.
    void set_style(svc::BlendMode blend, float alpha, float rotation, float scale_x, float scale_y);
    // One frame of an image in the drawing state in force.
    void draw_sprite(const svc::Image& image, float x, float y, int frame);
    // A text with its top-left corner at (x, y).
    void draw_text(std::string_view text, float x, float y);
    // A text centred on (x, y) for the scale recorded by the last set_style, which
    // is not necessarily the scale it is drawn at.
    void draw_centred(std::string_view text, float x, float y);
};

extern TextPen text_pen;
