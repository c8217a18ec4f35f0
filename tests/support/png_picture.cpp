#include "support/png_picture.h"

#include "services/rendering/png_decode.h"
#include "support/files.h"

namespace test_support {
namespace {

// The header chunk follows the 8-byte signature: length, "IHDR", width,
// height, then the bit depth and the colour type.
constexpr std::size_t kBitDepthAt = 24;
constexpr std::size_t kColourTypeAt = 25;

}  // namespace

std::optional<PngPicture> read_png(const std::filesystem::path& file) {
    const Bytes bytes = read_bytes(file);
    auto decoded =
        svc::detail::decode_png(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
    if (!decoded) return std::nullopt;
    PngPicture picture;
    picture.width = decoded->width;
    picture.height = decoded->height;
    picture.bit_depth = bytes[kBitDepthAt];
    picture.colour_type = static_cast<PngColourType>(bytes[kColourTypeAt]);
    picture.pixels.assign(decoded->pixels.begin(), decoded->pixels.end());
    return picture;
}

bool write_png(const std::filesystem::path& file, const std::uint32_t* pixels, int width,
               int height) {
    const std::vector<std::uint8_t> encoded =
        svc::detail::encode_png(pixels, width, height, svc::detail::PngChannels::kRgb);
    return !encoded.empty() && write_bytes(file, Bytes(encoded.begin(), encoded.end()));
}

}  // namespace test_support
