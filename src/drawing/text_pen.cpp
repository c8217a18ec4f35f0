#include "drawing/text_pen.h"

void set_text_style(svc::BlendMode blend, float alpha, TextScale scale) {
    svc::set_blend(blend);
    svc::set_alpha(alpha);
    svc::set_transform(0.0f, scale.x, scale.y);
}

void draw_centred(std::string_view text, float x, float y, TextScale scale) {
    const float left = x - static_cast<float>(svc::text_width(text)) * scale.x / 2.0f;
    const float top = y - static_cast<float>(svc::text_height(text)) * scale.y / 2.0f;
    svc::draw_text(text, left, top);
}
