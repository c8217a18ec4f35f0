// Whole games run in-process through the harness: what each stage brings and
// pays, and the death sequence with no enemy left.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "game/game_state.h"
#include "headless/harness.h"
#include "services/input.h"
#include "shell/menus.h"
#include "support/scratch_dir.h"
#include "world/balloon.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/world.h"

namespace enemies_test {
namespace {

// Clicks "Start Game" on the title menu (the pointer starts under it); calls
// `play` on every later flip, and closes the window once it returns false.
int run_game_with(int frames, std::function<bool(const harness::FlipInfo&)> play) {
    const test_support::GameWorkingDir scratch;
    harness::Options options;
    options.seed = 2024;
    options.frames = frames;
    bool started = false, closed = false;
    return harness::run(options, [&](const harness::FlipInfo& info) {
        World& world = *info.world;
        if (closed) return;
        if (!started) {
            if (world.flow.state == GameState::kTitle) {
                svc::input_state().mouse_move(kParkedPointerX, kParkedPointerY);
                svc::input_state().mouse_button(1, true);
                svc::input_state().mouse_button(1, false);
            }
            started = world.flow.state == GameState::kStage;
            if (!started) return;
        }
        if (!play(info)) {
            closed = true;
            svc::input_state().request_close();
        }
    });
}

struct StageStart {
    int level, enemies, balloons, score;
};

TEST(StageFlowTest, EachStageBringsMoreAndPaysMore) {
    std::vector<StageStart> stages;
    int final_score = -1;
    run_game_with(4000, [&](const harness::FlipInfo& info) {
        World& world = *info.world;
        if (world.flow.state != GameState::kStage || world.flow.phase != StagePhase::kPlay)
            return true;
        if (!stages.empty() && stages.back().level == world.player.level) return true;
        stages.push_back({world.player.level, world.enemies.count(), world.balloons.count(),
                          world.player.score});
        if (world.player.level == 4) {
            final_score = world.player.score;
            return false;
        }
        // Every enemy gone at once: the next walk finds none and clears the stage.
        world.enemies.remove_all();
        return true;
    });
    ASSERT_EQ(stages.size(), 4u);
    const int expected[4][4] = {
        {1, 10, 3, 0}, {2, 15, 6, 500}, {3, 20, 9, 1500}, {4, 25, 12, 3000}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(stages[i].level, expected[i][0]);
        EXPECT_EQ(stages[i].enemies, expected[i][1]);
        EXPECT_EQ(stages[i].balloons, expected[i][2]);
        EXPECT_EQ(stages[i].score, expected[i][3]);
    }
    EXPECT_EQ(final_score, 3000);
}

TEST(StageFlowTest, DeathWithNoEnemyLeftStillEndsAfter250Frames) {
    int death_flip = 0, retry_flip = 0, last_timer = -1;
    bool timer_went_back = false;
    run_game_with(3000, [&](const harness::FlipInfo& info) {
        World& world = *info.world;
        if (death_flip == 0) {
            if (world.flow.state != GameState::kStage || world.flow.phase != StagePhase::kPlay)
                return true;
            world.enemies.remove_all();
            crash_plane(world);
            death_flip = info.flip;
            return true;
        }
        if (world.flow.state == GameState::kDying) {
            if (world.flow.phase_timer <= last_timer) timer_went_back = true;
            last_timer = world.flow.phase_timer;
            return true;
        }
        retry_flip = info.flip;
        EXPECT_EQ(world.flow.state, GameState::kStage);
        EXPECT_EQ(world.flow.phase, StagePhase::kFlyIn);
        EXPECT_EQ(world.player.level, 1);
        EXPECT_EQ(world.player.lives, 2);
        EXPECT_EQ(world.enemies.count(), 10);
        return false;
    });
    ASSERT_NE(death_flip, 0);
    EXPECT_FALSE(timer_went_back);
    EXPECT_EQ(last_timer, 249);
    EXPECT_EQ(retry_flip - death_flip, 250);
}

}  // namespace
}  // namespace enemies_test
