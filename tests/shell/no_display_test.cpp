// When start-up cannot finish (no display, or an embedded picture or font that
// the build left out) the game says why in one line and ends with a failure status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "services/backends/headless/headless_platform.h"
#include "services/resources.h"
#include "shell/game_run.h"

namespace {

struct Outcome {
    int status = 0;
    std::string said;
};

Outcome run_to_the_end(svc::HeadlessPlatform& platform) {
    testing::internal::CaptureStderr();
    const int status = run_game(platform);
    return {status, testing::internal::GetCapturedStderr()};
}

TEST(StartUpFailure, NoDisplayGivesOneLineAndAFailureStatus) {
    svc::HeadlessPlatform platform;
    platform.set_fail_open(true);
    const Outcome run = run_to_the_end(platform);

    EXPECT_NE(run.status, 0);
    EXPECT_EQ(std::count(run.said.begin(), run.said.end(), '\n'), 1) << run.said;
    EXPECT_EQ(run.said.rfind("scribble-squadron: cannot open the display", 0), 0u) << run.said;
    EXPECT_EQ(platform.flips(), 0);
}

TEST(StartUpFailure, AMissingEmbeddedPictureOrFontStopsStartUpWithOneLine) {
    svc::register_embedded_assets();
    for (const std::string name : {"jg_bplane01.png", "itckrist.ttf", "qblogo_p.png"}) {
        SCOPED_TRACE(name);
        const auto real = svc::find_resource(name);
        ASSERT_TRUE(real);
        svc::register_resource(name, {});
        svc::HeadlessPlatform platform;
        const Outcome run = run_to_the_end(platform);
        svc::register_resource(name, *real);

        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.said, "scribble-squadron: the embedded " + name +
                                " is missing or unreadable; the program was built without it\n");
        EXPECT_EQ(platform.flips(), 0) << "not even the splash";
    }
}

}  // namespace
