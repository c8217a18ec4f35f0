#include "golden.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "headless/harness.h"

namespace world_test {

namespace {
constexpr int kChannelTolerance = 24;
constexpr double kDifferingShare = 0.005;

std::filesystem::path golden_path(const std::string& name) {
    return std::filesystem::path(SCRIBBLE_SOURCE_DIR) / "tests" / "world" / "golden" / name;
}

bool read_png(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, int& width,
              int& height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in a little-endian word
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    pixels.assign(static_cast<std::size_t>(width) * height, 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

int channel_difference(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFFu);
        const int cb = static_cast<int>((b >> shift) & 0xFFu);
        worst = std::max(worst, std::abs(ca - cb));
    }
    return worst;
}
}  // namespace

::testing::AssertionResult matches_golden(const std::vector<std::uint32_t>& pixels, int width,
                                          int height, const std::string& name) {
    const std::filesystem::path path = golden_path(name);
    const char* update = std::getenv("SCRIBBLE_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::filesystem::create_directories(path.parent_path());
        harness::write_png(path.string(), pixels.data(), width, height);
        return ::testing::AssertionSuccess() << "wrote " << path;
    }
    std::vector<std::uint32_t> reference;
    int ref_width = 0, ref_height = 0;
    if (!read_png(path, reference, ref_width, ref_height))
        return ::testing::AssertionFailure()
               << "cannot read " << path << " (SCRIBBLE_UPDATE_GOLDEN=1 writes it)";
    if (ref_width != width || ref_height != height)
        return ::testing::AssertionFailure() << "reference is " << ref_width << " x " << ref_height;
    int differing = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (channel_difference(pixels[i], reference[i]) > kChannelTolerance) ++differing;
    const int allowed = static_cast<int>(kDifferingShare * static_cast<double>(pixels.size()));
    if (differing <= allowed) return ::testing::AssertionSuccess();
    const std::string actual_path =
        (std::filesystem::path(SCRIBBLE_BINARY_DIR) / ("world_" + name + ".actual.png")).string();
    harness::write_png(actual_path, pixels.data(), width, height);
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << path << " (at most " << allowed
           << " may); this frame is in " << actual_path;
}

}  // namespace world_test
