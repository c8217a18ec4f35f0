// The stage handlers: the stage-clear bonus and advance, the dying sequence
// leading to a retry or to the game over, the game-over screen's end, and the
// best score following the score.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/input.h"
#include "shell_run.h"
#include "world/enemy_plane.h"
#include "world/player.h"

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

}  // namespace
}  // namespace shell_test
