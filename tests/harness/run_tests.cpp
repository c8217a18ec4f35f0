// The harness run in-process: scripts reach the game at the right flips and
// times, consecutive runs are independent, and runs that could never end stop.
#include <gtest/gtest.h>

#include <vector>

#include "game/game_state.h"
#include "headless/harness.h"
#include "services/backends/headless/headless_platform.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace {

struct Flip {
    int flip, ms;
    GameState state;
    bool quit;
    bool left_down;
    int score;
};

struct Recorded {
    int status = -1;
    std::vector<Flip> flips;
    int first_flip_in(GameState state) const {
        for (const Flip& f : flips)
            if (f.state == state) return f.flip;
        return -1;
    }
};

Recorded record(harness::Options options) {
    Recorded recorded;
    recorded.status = harness::run(options, [&](const harness::FlipInfo& info) {
        const World& world = *info.world;
        recorded.flips.push_back({info.flip, info.ms, world.flow.state, world.flow.quit_requested,
                                  svc::input_state().key_down(svc::vk::kLeft) != 0,
                                  world.player.score});
    });
    return recorded;
}

harness::Options with(int frames, const std::string& script, int seed = 5) {
    harness::Options options;
    options.frames = frames;
    options.input_script = script;
    options.seed = seed;
    return options;
}

class HarnessRun : public ::testing::Test {
  protected:
    test_support::GameWorkingDir dir;
};

TEST_F(HarnessRun, FlipsAreNumberedFromOneAndPacedOnTheVirtualClock) {
    const Recorded r = record(with(360, ""));
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.flips.size(), 360u);
    for (std::size_t i = 0; i < r.flips.size(); ++i) ASSERT_EQ(r.flips[i].flip, int(i) + 1);
    EXPECT_EQ(r.flips[59].ms, 1000);
    EXPECT_EQ(r.first_flip_in(GameState::kTitle), 327);  // the splash shows 326 frames
    EXPECT_EQ(r.flips.back().quit, 0);
}

TEST_F(HarnessRun, ATapIsDownAfterItsFlipAndUpOneFlipLater) {
    const Recorded r = record(with(20, "3 key 37 tap\n@150 key 37 tap\n"));
    // The observer sees each flip before that flip's events are applied.
    EXPECT_FALSE(r.flips[2].left_down);  // flip 3
    EXPECT_TRUE(r.flips[3].left_down);   // flip 4
    EXPECT_FALSE(r.flips[4].left_down);  // flip 5
    // The timed tap is pressed as the clock reaches 150 ms, just before flip 9,
    // and released right after that flip.
    int down_flips = 0;
    for (const Flip& f : r.flips) down_flips += f.left_down;
    EXPECT_EQ(down_flips, 2);
}

TEST_F(HarnessRun, EventsAtFlipZeroComeBeforeTheFirstFrame) {
    EXPECT_EQ(record(with(10, "0 key 27 tap")).first_flip_in(GameState::kTitle), 2);
    EXPECT_EQ(record(with(10, "@0 key 32 tap")).first_flip_in(GameState::kTitle), 2);
}

TEST_F(HarnessRun, ASuspendedGameShowsNoFramesUntilTheClockBringsFocusBack) {
    const Recorded r = record(with(400, "10 focus lost\n@5000 focus gained\n"));
    EXPECT_EQ(r.status, 0);
    ASSERT_GE(r.flips.size(), 11u);
    EXPECT_EQ(r.flips[9].ms, 166);
    EXPECT_GE(r.flips[10].ms, 5000);
    EXPECT_LT(r.flips[10].ms, 5000 + 40);
    // The splash stood still meanwhile: it still shows 326 frames.
    EXPECT_EQ(r.first_flip_in(GameState::kTitle), 327);
}

TEST_F(HarnessRun, AGameLeftSuspendedForEverIsStoppedWithAMessage) {
    try {
        record(with(100, "10 focus lost\n"));
        FAIL() << "the run should have been stopped";
    } catch (const harness::Error& e) {
        EXPECT_NE(std::string(e.what()).find("suspended"), std::string::npos) << e.what();
    }
    // The services are usable again afterwards.
    EXPECT_EQ(record(with(5, "")).status, 0);
}

TEST_F(HarnessRun, ACloseRequestEndsTheWaitOfAnInactiveWindow) {
    const Recorded r = record(with(1000, "10 focus lost\n@2000 close\n"));
    EXPECT_EQ(r.status, 0);
    // The splash ends at the close, and the main loop shows its one frame.
    EXPECT_EQ(r.flips.size(), 11u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "data" / "hiscore.dat"));
}

TEST_F(HarnessRun, ACloseRequestEndsTheRunThroughTheExitPath) {
    const Recorded r = record(with(1000, "340 close"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.flips.size(), 340u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "data" / "hiscore.dat"));
}

TEST_F(HarnessRun, BadScriptsAndOptionsAreRefusedBeforeTheGameStarts) {
    EXPECT_THROW(record(with(10, "1 key 27 tap\n2 kick\n")), harness::Error);
    harness::Options options;
    options.shots.emplace_back(0, "x.png");
    EXPECT_THROW(harness::run(options), harness::Error);
    options.shots.clear();
    options.frames = -1;
    EXPECT_THROW(harness::run(options), harness::Error);
}

TEST_F(HarnessRun, ConsecutiveRunsAreIndependent) {
    // A run that starts a game, then the same short run twice.
    const Recorded playing = record(with(420, "5 key 27 tap\n10 button 1 click\n"));
    EXPECT_EQ(playing.flips.back().state, GameState::kStage);
    const Recorded a = record(with(340, ""));
    const Recorded b = record(with(340, ""));
    ASSERT_EQ(a.flips.size(), b.flips.size());
    for (std::size_t i = 0; i < a.flips.size(); ++i) {
        EXPECT_EQ(a.flips[i].state, b.flips[i].state);
        EXPECT_EQ(a.flips[i].ms, b.flips[i].ms);
    }
    EXPECT_EQ(a.first_flip_in(GameState::kTitle), 327);
    EXPECT_EQ(b.flips.back().score, 0);
}

TEST_F(HarnessRun, TheObserverSeesTheFrameJustShown) {
    harness::Options options = with(330, "");
    std::vector<std::uint32_t> title_frame;
    harness::run(options, [&](const harness::FlipInfo& info) {
        ASSERT_NE(info.pixels, nullptr);
        EXPECT_EQ(info.width, 640);
        EXPECT_EQ(info.height, 480);
        EXPECT_EQ(info.platform->flips(), info.flip);
        if (info.flip == 330) title_frame.assign(info.pixels, info.pixels + 640 * 480);
    });
    ASSERT_EQ(title_frame.size(), 640u * 480u);
    // Not a blank frame: the paper and the menu texts are there.
    std::size_t dark = 0;
    for (std::uint32_t p : title_frame) dark += ((p >> 8) & 0xFF) < 100;
    EXPECT_GT(dark, 500u);
}

}  // namespace
