// libFuzzer target: the picture loader given arbitrary bytes as a PNG file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "services/rendering/png_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto picture = svc::detail::decode_png(std::span<const std::uint8_t>(data, size));
    if (picture) {
        const auto expected =
            static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height);
        if (picture->width <= 0 || picture->height <= 0 || picture->pixels.size() != expected) {
            __builtin_trap();
        }
    }
    return 0;
}
