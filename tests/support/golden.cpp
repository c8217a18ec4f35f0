#include "support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "support/files.h"
#include "support/png_picture.h"

namespace test_support {
namespace {

namespace fs = std::filesystem;

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

bool update_requested() {
    const char* update = std::getenv("SCRIBBLE_UPDATE_GOLDEN");
    return update != nullptr && std::string_view(update) == "1";
}

fs::path reference_path(const std::string& name) {
    return source_path("tests/golden") / (name + ".png");
}

fs::path actual_path(const std::string& name) {
    return fs::path(SCRIBBLE_BINARY_DIR) / "golden-actual" / (name + ".png");
}

struct Difference {
    int differing = 0;  // pixels beyond the channel tolerance
    int worst = 0;
};

Difference compare(const std::uint32_t* pixels, const std::vector<std::uint32_t>& reference) {
    Difference difference;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const int d = channel_difference(pixels[i], reference[i]);
        difference.worst = std::max(difference.worst, d);
        if (d > kGoldenChannelTolerance) ++difference.differing;
    }
    return difference;
}

fs::path keep_actual(const std::uint32_t* pixels, int width, int height, const std::string& name) {
    const fs::path path = actual_path(name);
    fs::create_directories(path.parent_path());
    write_png(path, pixels, width, height);
    return path;
}

}  // namespace

int channel_difference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFFu);
        const int cb = static_cast<int>((b >> shift) & 0xFFu);
        most = std::max(most, std::abs(ca - cb));
    }
    return most;
}

::testing::AssertionResult matches_golden(const std::uint32_t* pixels, int width, int height,
                                          const std::string& name) {
    const fs::path reference_file = reference_path(name);
    if (update_requested()) {
        if (!write_png(reference_file, pixels, width, height))
            return ::testing::AssertionFailure() << "cannot write " << reference_file;
        return ::testing::AssertionSuccess() << "rewrote " << reference_file;
    }
    const std::optional<PngPicture> reference = read_png(reference_file);
    if (!reference)
        return ::testing::AssertionFailure()
               << "cannot read " << reference_file << " (SCRIBBLE_UPDATE_GOLDEN=1 writes it)";
    if (reference->width != width || reference->height != height)
        return ::testing::AssertionFailure()
               << name << ": the reference is " << reference->width << " x " << reference->height
               << ", the frame " << width << " x " << height << "; the frame is in "
               << keep_actual(pixels, width, height, name);
    const Difference difference = compare(pixels, reference->pixels);
    const auto allowed = static_cast<int>(kGoldenDifferingShare * reference->pixels.size());
    if (difference.differing <= allowed) {
        std::error_code ignored;
        fs::remove(actual_path(name), ignored);  // an earlier failure's frame would mislead
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << name << ": " << difference.differing << " pixels differ by more than "
           << kGoldenChannelTolerance << " (at most " << allowed << " may; worst "
           << difference.worst << "); the frame is in " << keep_actual(pixels, width, height, name)
           << ". If the change is intended, look at it, then rerun with "
              "SCRIBBLE_UPDATE_GOLDEN=1 to make it the reference.";
}

::testing::AssertionResult matches_golden(const std::vector<std::uint32_t>& frame,
                                          const std::string& name) {
    if (frame.size() != static_cast<std::size_t>(kFrameWidth) * kFrameHeight)
        return ::testing::AssertionFailure()
               << name << ": a frame of " << frame.size() << " pixels is no whole game frame";
    return matches_golden(frame.data(), kFrameWidth, kFrameHeight, name);
}

}  // namespace test_support
