#pragma once
// The masking rule for pictures without their own alpha: pixels of the mask
// colour become transparent, everything else opaque.
#include <cstdint>
#include <vector>

namespace svc::detail {

struct MaskColour {
    int r = 0, g = 0, b = 0;
};

MaskColour current_mask_colour();

// Masks `pixels` (width x height, rows `stride` pixels apart, alpha ignored)
// in place. Mask-coloured pixels get alpha 0 and the rounded average colour of
// their up to eight neighbours that are not mask-coloured (black when there are
// none), so that filtered or blended edges do not bleed the key colour; every
// other pixel gets alpha 255.
void apply_mask(std::uint32_t* pixels, int width, int height, int stride, MaskColour mask);

}  // namespace svc::detail
