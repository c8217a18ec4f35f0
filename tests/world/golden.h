#pragma once
// Reference pictures under tests/world/golden/. With SCRIBBLE_UPDATE_GOLDEN=1 in
// the environment the comparison writes the reference instead (look at it
// before committing it).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace world_test {

// Passes when at most 0.5% of the pixels differ from the reference by more
// than 24 in any channel.
::testing::AssertionResult matches_golden(const std::vector<std::uint32_t>& pixels, int width,
                                          int height, const std::string& name);

}  // namespace world_test
