#include "drawing/text_pen.h"

TextPen text_pen;

void TextPen::set_style(svc::BlendMode blend, float alpha, float rotation, float scale_x,
                        float scale_y) {
    svc::set_blend(blend);
    svc::set_alpha(alpha);
    svc::set_transform(rotation, scale_x, scale_y);
    text_scale_x = scale_x;
    text_scale_y = scale_y;
}

void TextPen::draw_sprite(const svc::Image& image, float x, float y, int frame) {
    svc::draw_image(image, x, y, frame);
}

void TextPen::draw_text(std::string_view text, float x, float y) {
    svc::draw_text(text, x, y);
}

void TextPen::draw_centred(std::string_view text, float x, float y) {
    const float left = x - static_cast<float>(svc::text_width(text)) * text_scale_x / 2.0f;
    const float top = y - static_cast<float>(svc::text_height(text)) * text_scale_y / 2.0f;
    svc::draw_text(text, left, top);
}
