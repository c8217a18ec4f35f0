#pragma once
// Sets the drawing state for texts and screens in one call, and draws texts
// centred for the text scale recorded by that call.
#include <string_view>

#include "services/rendering/graphics.h"

struct TextPen {
    float text_scale_x = 0;
    float text_scale_y = 0;

    // Blend, alpha, rotation and scale together; records the scale for centring.
    int set_style(int blend, float alpha, float rotation, float scale_x, float scale_y);
    // One frame of an image in the drawing state in force.
    int draw_sprite(const svc::Image& image, float x, float y, int frame);
    // A text at (x, y) as its top-left corner, or centred on (x, y) when centre != 0.
    int draw_text(std::string_view text, float x, float y, int centre);
};

extern TextPen text_pen;
