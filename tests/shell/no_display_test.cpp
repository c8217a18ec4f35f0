// Without a display the game says so in one line and ends with a failure status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "services/backends/headless/headless_platform.h"
#include "services/platform.h"
#include "services/timing.h"
#include "shell/run_game.h"

namespace {

TEST(NoDisplay, OneLineOnStandardErrorAndAFailureStatus) {
    svc::HeadlessPlatform platform;
    platform.set_fail_open(true);
    testing::internal::CaptureStderr();
    const int status = run_game(platform);
    const std::string said = testing::internal::GetCapturedStderr();
    svc::run_close_down_steps();
    svc::use_platform(nullptr);

    EXPECT_NE(status, 0);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(said.rfind("scribble-squadron: cannot open the display", 0), 0u) << said;
    EXPECT_EQ(platform.flips(), 0);
}

}  // namespace
