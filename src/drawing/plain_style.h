#pragma once
// The drawing state for a picture shown as it was drawn: fully opaque and
// untinted, in the blend given.
#include "services/rendering/graphics.h"

// Alpha 1, then the blend, then white.
void use_plain_style(svc::BlendMode blend);
// The state of every sprite, cloud and mountain: plain, with the mask blend.
void use_plain_mask_style();
