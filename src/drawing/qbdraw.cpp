#include "drawing/qbdraw.h"

qbdraw_tag text_drawer;

int qbdraw_tag::sip(int blend, float alpha, float rotation, float scale_x, float scale_y) {
    svc::set_blend(blend);
    svc::set_alpha(alpha);
    svc::set_transform(rotation, scale_x, scale_y);
    txt_xs = scale_x;
    txt_ys = scale_y;
    return 0;
}

int qbdraw_tag::i3d(const svc::Image& image, float x, float y, int frame) {
    svc::draw_image(image, x, y, frame);
    return 0;
}

int qbdraw_tag::t3d(std::string_view text, float x, float y, int centre) {
    float left = x;
    float top = y;
    if (centre != 0) {
        left = x - static_cast<float>(svc::text_width(text)) * txt_xs / 2.0f;
        top = y - static_cast<float>(svc::text_height(text)) * txt_ys / 2.0f;
    }
    svc::draw_text(text, left, top);
    return 0;
}
