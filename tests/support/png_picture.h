#pragma once
// PNG files read through the game's own decoder, with the format recorded in
// the file's header kept alongside, so tests can check how a picture is stored
// as well as what it shows.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace test_support {

// The colour types a PNG header can name.
enum class PngColourType : int { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct PngPicture {
    int width = 0;
    int height = 0;
    int bit_depth = 0;  // per channel, as stored
    PngColourType colour_type = PngColourType::kRgb;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, alpha 255 where the file has none

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Nothing when the file is missing or not a whole, well-formed PNG.
std::optional<PngPicture> read_png(const std::filesystem::path& file);

// Writes 0xAARRGGBB pixels as an opaque PNG (alpha is ignored); false on failure.
bool write_png(const std::filesystem::path& file, const std::uint32_t* pixels, int width,
               int height);

}  // namespace test_support
