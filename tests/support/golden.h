#pragma once
// Golden pictures: whole frames compared with reference PNGs in tests/golden/.
//
// One tolerance holds for every golden of the suite: a frame matches when at
// most 0.1 % of its pixels differ from the reference by more than 24 in some
// colour channel (alpha is ignored). That absorbs the edge shading of another
// FreeType release or a blend rounding differently, and still fails for
// anything moved, missing or recoloured: one enemy plane out of place changes
// several hundred pixels, more than the 307 a 640 x 480 frame may.
//
// On a mismatch the frame is written to <build dir>/golden-actual/<name>.png.
// With SCRIBBLE_UPDATE_GOLDEN=1 (exactly "1") in the environment the frame
// becomes the reference instead; look at it before committing it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

inline constexpr int kGoldenChannelTolerance = 24;
inline constexpr double kGoldenDifferingShare = 0.001;

// Compares the frame with tests/golden/<name>.png.
::testing::AssertionResult matches_golden(const std::uint32_t* pixels, int width, int height,
                                          const std::string& name);
// The same for a whole 640 x 480 game frame.
::testing::AssertionResult matches_golden(const std::vector<std::uint32_t>& frame,
                                          const std::string& name);

// The largest difference of the red, green and blue channels of two pixels.
int channel_difference(std::uint32_t a, std::uint32_t b);

}  // namespace test_support
