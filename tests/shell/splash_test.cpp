// The maker's logo at start-up: its length, the ways to skip it, and that it
// stands still while the window is inactive.
#include <gtest/gtest.h>

#include "shell/menus.h"
#include "shell_run.h"
#include "support/golden.h"

namespace shell_test {
namespace {

TEST(Splash, LeftAloneLasts326FramesAtFullOpacityThenFading) {
    RunSpec plan;
    plan.frames = kFirstTitleFlip + 2;
    plan.keep = {1, 226, 227, 326};
    const RunResult run = run_game(plan);

    ASSERT_EQ(run.status, 0);
    for (int flip = 1; flip <= kSplashFlips; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kStartingUp) << flip;
    EXPECT_EQ(run.at(kFirstTitleFlip).state, GameState::kTitle);
    EXPECT_EQ(run.at(kFirstTitleFlip).mouse_x, kParkedPointerX);
    EXPECT_EQ(run.at(kFirstTitleFlip).mouse_y, kParkedPointerY);
    // 60 paced frames per second: the title appears about 5.4 s after the start.
    EXPECT_EQ(run.at(kSplashFlips).ms, 5433);

    // Full opacity for 226 frames, then a fade of 0.01 per frame.
    auto logo_pixels = [&](int flip) {
        int count = 0;
        for (std::size_t i = 0; i < run.paper.size(); ++i)
            if (test_support::channel_difference(run.picture(flip)[i], run.paper[i]) > 4) ++count;
        return count;
    };
    EXPECT_EQ(run.picture(1), run.picture(226));
    EXPECT_NE(run.picture(226), run.picture(227));
    EXPECT_GT(logo_pixels(226), 10000);
    // The last frame is drawn at alpha 0.01: next to nothing of the logo remains.
    EXPECT_EQ(logo_pixels(326), 0);
}

struct SkipCase {
    const char* name;
    const char* script;
};

class SplashSkip : public testing::TestWithParam<SkipCase> {};

// The press that ends the splash is flushed: Escape would quit from the title,
// and a click or joystick button 0 would choose "Start Game" under the pointer.
TEST_P(SplashSkip, EndsAtOnceAndThePressNeverReachesTheTitle) {
    RunSpec plan;
    plan.script = GetParam().script;
    plan.frames = 60;
    const RunResult run = run_game(plan);

    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.at(10).state, GameState::kStartingUp);
    EXPECT_EQ(run.at(11).state, GameState::kTitle);
    EXPECT_EQ(run.last_flip(), 60) << "the title acted on the press and quit";
    for (int flip = 11; flip <= 60; ++flip) {
        ASSERT_EQ(run.at(flip).state, GameState::kTitle) << flip;
        ASSERT_EQ(run.at(flip).quit, 0) << flip;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Presses, SplashSkip,
    testing::Values(SkipCase{"Escape", "10 key 27 tap\n"}, SkipCase{"Space", "10 key 32 tap\n"},
                    SkipCase{"LeftClick", "0 mouse 320 292\n10 button 1 click\n"},
                    SkipCase{"JoystickButton0", "10 joy 0 button 0 tap\n"},
                    SkipCase{"EscapeAndClickTogether",
                             "0 mouse 320 292\n10 key 27 tap\n10 button 1 click\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Splash, OtherKeysAndButtonsDoNotEndIt) {
    RunSpec plan;
    plan.script = "10 key 13 tap\n11 button 2 click\n12 joy 0 button 1 tap\n13 key 162 tap\n";
    plan.frames = kFirstTitleFlip;
    const RunResult run = run_game(plan);
    EXPECT_EQ(run.at(kSplashFlips).state, GameState::kStartingUp);
    EXPECT_EQ(run.at(kFirstTitleFlip).state, GameState::kTitle);
}

// While the window is inactive no frame is shown and the logo does not advance;
// the wait sleeps (the virtual clock only moves through sleeping, so a busy wait
// would never see the focus come back).
TEST(Splash, StandsStillWhileTheWindowIsInactive) {
    RunSpec plan;
    plan.script = "100 focus lost\n@4000 focus gained\n";
    plan.frames = kFirstTitleFlip;
    plan.keep = {100, 101};
    const RunResult run = run_game(plan);

    ASSERT_EQ(run.status, 0);
    EXPECT_LT(run.at(100).ms, 2000);
    EXPECT_GE(run.at(101).ms, 4000);
    EXPECT_EQ(run.picture(100), run.picture(101)) << "still at full opacity on both sides";
    EXPECT_EQ(run.at(kSplashFlips).state, GameState::kStartingUp);
    EXPECT_EQ(run.at(kFirstTitleFlip).state, GameState::kTitle);
}

TEST(Splash, ClosingTheWindowEndsTheGameAfterOneTitleFrame) {
    RunSpec plan;
    plan.script = "50 close\n";
    plan.best_score_on_disk = 4321;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.last_flip(), 51);
    EXPECT_EQ(run.at(51).state, GameState::kTitle);
    EXPECT_EQ(run.at(51).best, 4321);
    EXPECT_EQ(run.best_score_file, 4321) << "the exit path stores the best score";
}

}  // namespace
}  // namespace shell_test
