#pragma once
// PNG decoding into 32-bit 0xAARRGGBB pixels.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "services/rendering/graphics.h"

namespace svc::detail {

struct DecodedPicture {
    int width = 0;
    int height = 0;
    bool has_alpha = false;  // an alpha channel or a transparency chunk
    PixelBuffer pixels;
};

// Any PNG (palette, grey, 1-16 bits, interlaced) becomes 8-bit RGBA; pictures
// without alpha get alpha 255. Empty for bytes that are not a complete,
// well-formed PNG or describe an absurdly large picture.
std::optional<DecodedPicture> decode_png(std::span<const std::uint8_t> bytes);

// What encode_png keeps of each pixel: colour and alpha, or the colour alone
// (for frames of the back buffer, whose alpha is always opaque).
enum class PngChannels { kRgba, kRgb };

// Encodes 0xAARRGGBB pixels as an 8-bit PNG (for captures and test output).
// Empty on failure.
std::vector<std::uint8_t> encode_png(const std::uint32_t* pixels, int width, int height,
                                     PngChannels channels);

}  // namespace svc::detail
