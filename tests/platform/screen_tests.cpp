#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "services/backends/headless/headless_platform.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "services/rendering/render_target.h"
#include "services/screen.h"
#include "services/session.h"
#include "services/timing.h"

namespace {

using testing_support::FakePlatform;

template <typename P>
class WithPlatform : public ::testing::Test {
  protected:
    void SetUp() override { session.emplace(platform); }
    void TearDown() override { session.reset(); }
    P platform;
    std::optional<svc::Session> session;
};

using Pacing = WithPlatform<svc::HeadlessPlatform>;
using Pointer = WithPlatform<svc::HeadlessPlatform>;

std::vector<int> flip_times(svc::HeadlessPlatform& platform, int flips) {
    std::vector<int> times;
    platform.set_flip_hook([&](int) { times.push_back(platform.milliseconds()); });
    for (int i = 0; i < flips; ++i) svc::flip_frame(svc::FlipTiming::kPaced);
    platform.set_flip_hook(nullptr);
    return times;
}

TEST_F(Pacing, SixtyFlipsTakeExactlyOneSecondInASteadyRhythm) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    const std::vector<int> times = flip_times(platform, 120);
    EXPECT_EQ(times.front(), 16);
    EXPECT_EQ(times[59], 1000);
    EXPECT_EQ(times[119], 2000);
    // 16 ms per frame and the 40 ms left over per second spread one by one:
    // the gaps repeat 16, 17, 17.
    int previous = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const int gap = times[i] - previous;
        EXPECT_EQ(gap, i % 3 == 0 ? 16 : 17) << "flip " << i + 1;
        previous = times[i];
    }
}

TEST_F(Pacing, AFrameThatOverranIsNotFollowedByAShortenedOne) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    flip_times(platform, 3);  // 16, 33, 50
    svc::delay(45);           // a slow frame: the next one is already late
    const std::vector<int> times = flip_times(platform, 3);
    EXPECT_EQ(times[0], 95);  // shown at once, no sleep
    // Then whole frames again from there (the leftover milliseconds keep their
    // turn), with no catching up.
    EXPECT_EQ(times[1], 95 + 17);
    EXPECT_EQ(times[2], 95 + 17 + 17);
}

TEST_F(Pointer, MovingItStopsAtTheScreenEdges) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    svc::move_mouse(-81, 70);
    EXPECT_EQ(svc::mouse_x(), 0);
    EXPECT_EQ(svc::mouse_y(), 70);
    svc::move_mouse(774, 500);
    EXPECT_EQ(svc::mouse_x(), 639);
    EXPECT_EQ(svc::mouse_y(), 479);
}

TEST_F(Pacing, OtherSyncValuesPresentAtOnce) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    svc::flip_frame(svc::FlipTiming::kNow);
    svc::flip_frame(svc::FlipTiming::kVerticalBlank);
    EXPECT_EQ(platform.milliseconds(), 0);
    EXPECT_EQ(platform.flips(), 2);
}

TEST_F(Pacing, AZeroRateMeansNoPacing) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 0));
    flip_times(platform, 5);
    EXPECT_EQ(platform.milliseconds(), 0);
}

TEST_F(Pacing, TheScheduleStartsWhenTheScreenOpens) {
    svc::delay(1234);
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_EQ(flip_times(platform, 1).front(), 1250);
}

TEST_F(Pacing, FlipWithoutAScreenDoesNothing) {
    svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_EQ(platform.flips(), 0);
    EXPECT_EQ(platform.milliseconds(), 0);
}

using VblankProbe = WithPlatform<FakePlatform>;

// Opens the screen and shows three frames; reports whether they were paced by
// the vertical blank (no sleeping, vblank presents) rather than by the clock.
bool paced_by_vblank(FakePlatform& platform) {
    EXPECT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    platform.presents.clear();
    platform.sleeps.clear();
    for (int i = 0; i < 3; ++i) svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_EQ(platform.presents.size(), 3u);
    bool all_vblank = true;
    for (const auto& p : platform.presents) all_vblank = all_vblank && p.wait_vblank;
    const bool none_vblank = std::none_of(platform.presents.begin(), platform.presents.end(),
                                          [](const auto& p) { return p.wait_vblank; });
    EXPECT_TRUE(all_vblank || none_vblank);
    if (all_vblank) {
        EXPECT_TRUE(platform.sleeps.empty());
    }
    return all_vblank;
}

TEST_F(VblankProbe, ADisplayAtTheRequestedRateGivesThePacingToTheVerticalBlank) {
    for (int cost : {15, 16, 17}) {
        platform.vblank = true;
        platform.vblank_costs = {cost};
        platform.vblank_index = 0;
        EXPECT_TRUE(paced_by_vblank(platform)) << cost << " ms per vertical blank";
        EXPECT_EQ(platform.vblank_index, 3u + 3u) << "three probe flips, then three frames";
    }
}

TEST_F(VblankProbe, ADisplayAtAnotherRateIsPacedByTheClockAfterASecondOfProbing) {
    for (int cost : {14, 18, 8, 33}) {
        platform.vblank = true;
        platform.vblank_costs = {cost};
        platform.vblank_index = 0;
        const int start = platform.clock;
        EXPECT_FALSE(paced_by_vblank(platform)) << cost << " ms per vertical blank";
        EXPECT_GE(platform.clock - start, 1000);
    }
}

TEST_F(VblankProbe, TheHitsMustComeThreeInARow) {
    platform.vblank = true;
    platform.vblank_costs = {16, 16, 40, 16, 16, 3, 16, 16, 16, 16};
    EXPECT_TRUE(paced_by_vblank(platform));
    EXPECT_EQ(platform.vblank_index, 9u + 3u);
}

TEST_F(VblankProbe, AVerticalBlankThatTakesNoTimeCannotHoldTheProbeForEver) {
    platform.vblank = true;
    platform.vblank_costs = {0};
    EXPECT_FALSE(paced_by_vblank(platform));
}

TEST_F(VblankProbe, ADisplayThatSaysItRunsAtTheRateIsTrustedWithoutProbing) {
    platform.vblank = true;
    platform.refresh_hz = 60;
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_TRUE(platform.presents.empty()) << "no probe";
    EXPECT_TRUE(paced_by_vblank(platform));
}

// At another refresh rate the clock keeps exactly 60 updates a second and every
// present still waits for the vertical blank, so nothing tears.
TEST_F(VblankProbe, AtAnyOtherRefreshRateTheClockKeepsSixtyUpdatesAndEveryPresentWaits) {
    for (int hz : {75, 120, 144}) {
        SCOPED_TRACE(std::to_string(hz) + " Hz");
        platform.vblank = true;
        platform.refresh_hz = hz;
        ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
        EXPECT_TRUE(platform.presents.empty()) << "no probe";
        const int start = platform.clock;
        while (platform.clock < start + 10000) svc::flip_frame(svc::FlipTiming::kPaced);
        const auto flips = std::count_if(platform.presents.begin(), platform.presents.end(),
                                         [&](const auto& p) { return p.ms <= start + 10000; });
        EXPECT_NEAR(static_cast<double>(flips), 600.0, 1.0);
        EXPECT_TRUE(std::all_of(platform.presents.begin(), platform.presents.end(),
                                [](const auto& p) { return p.wait_vblank; }));
        platform.presents.clear();
    }
}

// A driver that reports 60 Hz and then lets presents through at once would run
// the game flat out: after half a second of that, the clock paces it.
TEST_F(VblankProbe, AVerticalBlankThatDoesNotWaitHandsThePacingToTheClock) {
    platform.vblank = true;
    platform.refresh_hz = 60;
    platform.simulate_refresh = false;
    platform.vblank_costs = {0};
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    for (int i = 0; i < 130; ++i) svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_GE(platform.clock, 99 * 16);
    EXPECT_TRUE(platform.presents.back().wait_vblank) << "still no tearing";
}

// The player switches between full screen and a window mid-game: a window is
// paced by the clock and presents without waiting; full screen goes back to its
// display's pacing, without a second probe.
TEST_F(VblankProbe, ThePacingFollowsASwitchBetweenFullScreenAndAWindow) {
    platform.vblank = true;
    platform.refresh_hz = 60;
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_TRUE(paced_by_vblank(platform));
    platform.fullscreen_now = false;
    platform.presents.clear();
    platform.sleeps.clear();
    for (int i = 0; i < 3; ++i) svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_FALSE(platform.presents.back().wait_vblank);
    EXPECT_FALSE(platform.sleeps.empty());
    platform.fullscreen_now = true;
    platform.refresh_hz = 0;  // a display that does not say is not probed mid-game
    platform.presents.clear();
    svc::flip_frame(svc::FlipTiming::kPaced);
    ASSERT_EQ(platform.presents.size(), 1u);
    EXPECT_FALSE(platform.presents.back().wait_vblank);
}

TEST_F(VblankProbe, NoProbeInAWindowOrWithoutAVerticalBlank) {
    platform.vblank = true;
    platform.vblank_costs = {16};
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 60));
    EXPECT_TRUE(platform.presents.empty());
    platform.vblank = false;
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_TRUE(platform.presents.empty());
}

TEST_F(VblankProbe, WithoutPacingAFullScreenWaitsForTheVerticalBlankAndAWindowDoesNot) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 0));
    svc::flip_frame(svc::FlipTiming::kPaced);
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 0));
    svc::flip_frame(svc::FlipTiming::kPaced);
    ASSERT_EQ(platform.presents.size(), 2u);
    EXPECT_TRUE(platform.presents[0].wait_vblank);
    EXPECT_FALSE(platform.presents[1].wait_vblank);
}

using Screen = WithPlatform<FakePlatform>;

TEST_F(Screen, OpeningGivesTheWindowItsTitleCentresThePointerAndFlushesInput) {
    svc::set_app_title("Scribble Squadron");
    svc::input_state().key_event(svc::vk::kSpace, true, false);
    svc::input_state().mouse_button(1, true);
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_EQ(platform.title_seen, "Scribble Squadron");
    EXPECT_TRUE(platform.fullscreen_now);
    EXPECT_EQ(platform.width_seen, 640);
    EXPECT_EQ(svc::mouse_x(), 320);
    EXPECT_EQ(svc::mouse_y(), 240);
    EXPECT_EQ(svc::key_hit(svc::vk::kSpace), 0);
    EXPECT_EQ(svc::mouse_hit(1), 0);
    EXPECT_EQ(svc::graphics_width(), 640);
    EXPECT_TRUE(svc::detail::has_render_target());
}

TEST_F(Screen, AWindowLeavesThePointerWhereItIs) {
    svc::input_state().mouse_move(5, 6);
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 60));
    EXPECT_FALSE(platform.fullscreen_now);
    EXPECT_EQ(svc::mouse_x(), 5);
    EXPECT_TRUE(platform.pointer_moves.empty());
}

TEST_F(Screen, AFailedOpenChangesNothing) {
    platform.fail_open = true;
    EXPECT_FALSE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_FALSE(svc::detail::has_render_target());
    svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_TRUE(platform.presents.empty());
}

TEST_F(Screen, ReopeningClosesTheFirstScreen) {
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_EQ(platform.screens_opened, 2);
    EXPECT_EQ(platform.screens_closed, 1);
}

TEST_F(Screen, EndingTheSessionClosesTheScreenThroughItsOwnBackEnd) {
    svc::set_app_title("A run");
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    EXPECT_THROW(svc::Session{platform}, std::logic_error) << "one session at a time";
    session.reset();
    EXPECT_EQ(platform.screens_closed, 1);
    EXPECT_FALSE(svc::detail::has_render_target());
    EXPECT_EQ(svc::window_title(), "");

    // An exception that leaves a run still closes everything.
    FakePlatform next;
    try {
        svc::Session failing(next);
        ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
        throw std::runtime_error("the run fails");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(next.screens_closed, 1);
    session.emplace(platform);
}

}  // namespace
