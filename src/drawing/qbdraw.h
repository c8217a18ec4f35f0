#pragma once
// Sets the drawing state for texts and screens in one call, and draws texts
// centred for the text scale recorded by that call.
#include <string_view>

#include "services/graphics.h"

struct qbdraw_tag {
    float txt_xs = 0;
    float txt_ys = 0;

    // Blend, alpha, rotation and scale together; records the scale for centring.
    int sip(int blend, float alpha, float rotation, float scale_x, float scale_y);
    // One frame of an image in the drawing state in force.
    int i3d(const svc::Image& image, float x, float y, int frame);
    // A text at (x, y) as its top-left corner, or centred on (x, y) when centre != 0.
    int t3d(std::string_view text, float x, float y, int centre);
};

extern qbdraw_tag text_drawer;
