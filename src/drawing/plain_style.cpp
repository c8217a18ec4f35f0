#include "drawing/plain_style.h"

void use_plain_style(svc::BlendMode blend) {
    svc::set_alpha(1.0f);
    svc::set_blend(blend);
    svc::set_colour(255, 255, 255);
}

void use_plain_mask_style() {
    use_plain_style(svc::BlendMode::kMask);
}
