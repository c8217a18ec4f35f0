// The stage handlers: the stage-clear bonus and advance, what each stage brings
// and pays, the dying sequence leading to a retry or to the game over (also
// with no enemy left), the game-over screen's end, and the best score
// following the score.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "headless/harness.h"
#include "services/input.h"
#include "shell/menus.h"
#include "shell_run.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace shell_test {
namespace {

constexpr int kFirstStageFlip = 331;
constexpr int kFirstPlayFlip = kFirstStageFlip + kFlyInFrames;
// Start a game, then dive into the mountains from the first play frame on.
const std::string kStartAndDive = "330 button 1 click\n452 key 40 down\n";

void press(int vk) {
    svc::input_state().key_event(vk, true, false);
}
void release(int vk) {
    svc::input_state().key_event(vk, false, false);
}

TEST(StageClear, BonusAndNextStageInThe301stFrame) {
    RunSpec plan;
    plan.script = "330 button 1 click\n";
    plan.frames = 900;
    bool enemies_removed = false;
    plan.on_flip = [&](const Snapshot& s, World& world) {
        // The last enemy gone: the stage clears in the next play frame.
        if (!enemies_removed && s.state == GameState::kStage && s.phase == StagePhase::kPlay) {
            world.enemies.remove_all();
            enemies_removed = true;
        }
    };
    const RunResult run = run_game(plan);

    const int clear = run.first([](const Snapshot& s) { return s.phase == StagePhase::kClear; });
    ASSERT_EQ(clear, kFirstPlayFlip + 1);
    EXPECT_EQ(run.at(clear).timer, 0);
    EXPECT_EQ(run.at(clear).engine, 0);
    EXPECT_EQ(run.at(clear).sounds, std::vector<std::string>{"endstage"});

    for (int flip = clear; flip < clear + 301; ++flip) {
        const Snapshot& s = run.at(flip);
        ASSERT_EQ(s.phase, StagePhase::kClear) << flip;
        ASSERT_EQ(s.score, 0) << flip;
        ASSERT_EQ(s.level, 1) << flip;
    }
    const Snapshot& next = run.at(clear + 301);
    EXPECT_EQ(next.state, GameState::kStage);
    EXPECT_EQ(next.phase, StagePhase::kFlyIn);
    EXPECT_EQ(next.score, 500);
    EXPECT_EQ(next.level, 2);
    EXPECT_EQ(next.best, 500) << "the best follows the score in the same frame, bonus included";
    EXPECT_EQ(next.new_best, 1);
    EXPECT_EQ(next.enemies, 15);
    EXPECT_EQ(next.x, 80.0f);
    EXPECT_EQ(next.sounds, (std::vector<std::string>{"startstage", "bploop"}));
    EXPECT_EQ(run.best_score_file, 500);
}

// Escape and Space do nothing while dying; after 250 frames the same stage
// starts again in full.
TEST(Dying, WithLivesLeftTheSameStageStartsAgain) {
    RunSpec plan;
    plan.script = kStartAndDive;
    plan.frames = 1100;
    int death = 0;
    plan.on_flip = [&](const Snapshot& s, World&) {
        if (death == 0 && s.state == GameState::kDying) death = s.flip;
        if (death == 0) return;
        if (s.flip == death + 10) {
            press(svc::vk::kEscape);
            press(svc::vk::kSpace);
        }
        if (s.flip == death + 11) {
            release(svc::vk::kEscape);
            release(svc::vk::kSpace);
            release(svc::vk::kDown);
        }
    };
    const RunResult run = run_game(plan);

    ASSERT_GT(death, kFirstPlayFlip);
    EXPECT_EQ(run.at(death).lives, 2);
    EXPECT_EQ(run.at(death).engine, 0);
    for (int flip = death; flip < death + 250; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kDying) << flip;
    EXPECT_EQ(run.at(death + 249).timer, 249);

    const Snapshot& retry = run.at(death + 250);
    EXPECT_EQ(retry.state, GameState::kStage);
    EXPECT_EQ(retry.phase, StagePhase::kFlyIn);
    EXPECT_EQ(retry.level, 1);
    EXPECT_EQ(retry.lives, 2);
    EXPECT_EQ(retry.enemies, 10);
    EXPECT_EQ(retry.x, 80.0f);
    EXPECT_EQ(retry.y, 200.0f);
    EXPECT_EQ(retry.engine, 1);
}

struct LastLifeRun {
    RunResult run;
    int death = 0;
};

// Loses the last life by diving into the mountains, presses fire three times on
// the game-over screen, lets go of the arrow and starts a new game from the title.
LastLifeRun lose_last_life(const std::string& extra_script = "", int frames = 2000) {
    LastLifeRun result;
    RunSpec plan;
    plan.script = kStartAndDive + extra_script;
    plan.frames = frames;
    int& death = result.death;
    plan.on_flip = [&](const Snapshot& s, World& world) {
        if (s.flip == kFirstPlayFlip) world.player.lives = 1;
        if (death == 0 && s.state == GameState::kDying) death = s.flip;
        if (death == 0) return;
        if (s.flip == death + 1) release(svc::vk::kDown);
        for (int f : {death + 300, death + 320, death + 340}) {
            if (s.flip == f) press(svc::vk::kLeftControl);
            if (s.flip == f + 1) release(svc::vk::kLeftControl);
        }
        if (s.flip == death + 260) press(svc::vk::kEscape);
        if (s.flip == death + 261) release(svc::vk::kEscape);
    };
    result.run = run_game(plan);
    return result;
}

TEST(GameOver, FollowsTheLastDeathAndReturnsToTheTitle) {
    const LastLifeRun last = lose_last_life();
    const RunResult& run = last.run;
    const int death = last.death;
    ASSERT_GT(death, 0);
    EXPECT_EQ(run.at(death).lives, 0);
    for (int flip = death; flip < death + 250; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kDying) << flip;

    const int game_over = death + 250;
    EXPECT_EQ(run.at(game_over).state, GameState::kGameOver);
    EXPECT_EQ(run.at(game_over).timer, 0);
    for (int flip = game_over; flip < game_over + 250; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kGameOver) << flip << ": Escape does nothing here";
    EXPECT_EQ(run.at(game_over + 250).state, GameState::kTitle);
    EXPECT_EQ(run.last_flip(), 2000);
}

// The fire presses of the game-over screen are dropped when it ends, so the
// first play frame of the next game fires nothing.
TEST(GameOver, FirePressesMadeDuringItAreDropped) {
    const LastLifeRun first = lose_last_life();
    const int title = first.death + 500;
    const std::string start = std::to_string(title + 5) + " button 1 click\n";
    const LastLifeRun again = lose_last_life(start, title + 6 + kFlyInFrames + 5);
    const RunResult& run = again.run;

    const int play = run.first(
        [](const Snapshot& s) {
            return s.state == GameState::kStage && s.phase == StagePhase::kPlay;
        },
        title);
    ASSERT_EQ(play, title + 6 + kFlyInFrames);
    // The frame after the fly-in is the first to read the fire key.
    EXPECT_EQ(run.at(play + 1).shots, 0);
    EXPECT_TRUE(run.at(play + 1).sounds.empty());
}

// Holding joystick button 0 when the screen ends freezes the game until it is
// let go; the title then does not see that press. A close request still ends it.
TEST(GameOver, WaitsForTheJoystickButtonToBeReleased) {
    const LastLifeRun probe = lose_last_life();
    const int end = probe.death + 500;
    const int release_ms = probe.run.at(end).ms + 3000;
    const std::string hold = std::to_string(probe.death + 400) + " joy 0 button 0 down\n@" +
                             std::to_string(release_ms) + " joy 0 button 0 up\n";
    const LastLifeRun held = lose_last_life(hold, end + 20);
    const RunResult& run = held.run;

    ASSERT_EQ(held.death, probe.death);
    EXPECT_EQ(run.at(end - 1).state, GameState::kGameOver);
    EXPECT_EQ(run.at(end).state, GameState::kTitle);
    EXPECT_GE(run.at(end).ms, release_ms) << "no frame while the button is held";
    for (int flip = end; flip <= end + 20; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kTitle) << flip;

    const std::string hold_then_close = std::to_string(probe.death + 400) +
                                        " joy 0 button 0 down\n@" + std::to_string(release_ms) +
                                        " close\n";
    const LastLifeRun closed = lose_last_life(hold_then_close, end + 20);
    EXPECT_EQ(closed.run.status, 0);
    EXPECT_EQ(closed.run.last_flip(), end) << "the window can always be closed";
}

TEST(BestScore, FollowsTheScoreOnlyWhenPassedAndOnlyInStageFrames) {
    RunSpec plan;
    plan.script = kStartAndDive;
    plan.best_score_on_disk = 100;
    plan.frames = 1100;
    int death = 0;
    plan.on_flip = [&](const Snapshot& s, World& world) {
        if (s.flip == 340) world.player.score = 100;
        if (s.flip == 345) world.player.score = 101;
        if (death == 0 && s.state == GameState::kDying) death = s.flip;
        if (death != 0 && s.flip == death + 5) world.player.score = 5000;
    };
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.at(341).best, 100) << "equal to the best does not change it";
    EXPECT_EQ(run.at(341).new_best, 0);
    EXPECT_EQ(run.at(346).best, 101);
    EXPECT_EQ(run.at(346).new_best, 1);

    ASSERT_GT(death, 0);
    for (int flip = death + 6; flip <= death + 250; ++flip)
        ASSERT_EQ(run.at(flip).best, 101) << flip << ": points of the dying sequence wait";
    EXPECT_EQ(run.at(death + 251).best, 5000) << "the next stage frame takes them";
    EXPECT_EQ(run.best_score_file, 5000);
}

TEST(BestScore, PointsAfterTheLastDeathNeverReachTheBest) {
    RunSpec plan;
    plan.script = kStartAndDive;
    plan.best_score_on_disk = 100;
    plan.frames = 1500;
    int death = 0;
    plan.on_flip = [&](const Snapshot& s, World& world) {
        if (s.flip == kFirstPlayFlip) world.player.lives = 1;
        if (death == 0 && s.state == GameState::kDying) death = s.flip;
        if (death != 0 && s.flip == death + 5) world.player.score = 5000;
    };
    const RunResult run = run_game(plan);
    ASSERT_GT(death, 0);
    EXPECT_EQ(run.at(1500).state, GameState::kTitle);
    EXPECT_EQ(run.at(1500).score, 5000) << "the display keeps the final score";
    EXPECT_EQ(run.at(1500).best, 100);
    EXPECT_EQ(run.best_score_file, 100);
}

// ------------------------------------------------- whole games, stage after stage

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
}  // namespace shell_test
