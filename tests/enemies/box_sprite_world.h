#pragma once
// In-process set-up for the enemy and effect tests: the headless back end, the
// real start-up (splash skipped) for the pictures and sounds, and for each test
// a world of its own drawn with a test sprite sheet whose frames are solid
// boxes of a colour of their own, so that every collision is a plain box
// overlap and every drawn frame can be told apart by its colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "services/backends/headless/headless_platform.h"
#include "services/rendering/graphics.h"
#include "shell/game_run.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace enemies_test {

// Solid test frames: sprite frame f is 48 x 33 in red 8 * (f + 1); blimp frame f
// is 80 x 33 in green 40 * (f + 1). Both have their handle at the centre.
std::uint32_t sprite_colour(int frame);
std::uint32_t blimp_colour(int frame);

// A stage in play with nothing in it, drawn with the box sprites above.
class BoxSpriteWorldTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // An empty world in the play phase of stage 1: plane parked far off at
    // (0, 0) facing right, scrolling -4, no invulnerability, fixed seed.
    void SetUp() override;

    // Clears the back buffer to black (the colour every test frame differs from).
    static void clear_screen();
    // The colour at a screen pixel, without alpha.
    static std::uint32_t pixel(int x, int y);
    // True when anything at all was drawn since clear_screen.
    static bool anything_drawn();
    // Number of drawn pixels in screen row y, and the first and last of them.
    struct RowSpan {
        int count = 0, first = -1, last = -1;
    };
    static RowSpan row_span(int y);

    // The run whose start-up loaded the pictures and sounds, for the whole suite.
    static std::unique_ptr<test_support::GameWorkingDir> dir_;
    static std::unique_ptr<svc::HeadlessPlatform> platform_;
    static std::unique_ptr<GameRun> run_;

    World world;
};

// The test sheet's images, made once.
svc::Image test_sprite_sheet();
svc::Image test_blimp_sheet();

}  // namespace enemies_test
