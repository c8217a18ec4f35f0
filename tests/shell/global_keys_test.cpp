// The keys that work in every state (Escape, Space, joystick button 2), the
// window's close request, the wait while inactive, and the exit path.
#include <gtest/gtest.h>

#include <string>

#include "shell/menus.h"
#include "shell_run.h"

namespace shell_test {
namespace {

// The pointer rests on "Start Game" after start-up: a click starts a game whose
// fly-in is shown from flip 331 and whose play begins 121 frames later.
constexpr int kStartClickFlip = 330;
constexpr int kFirstStageFlip = kStartClickFlip + 1;
constexpr int kFirstPlayFlip = kFirstStageFlip + kFlyInFrames;
const std::string kStartGame = "330 button 1 click\n";

TEST(GlobalKeys, EscapeInTheTitleEndsTheProgramThroughTheExitPath) {
    RunSpec plan;
    plan.script = "340 key 27 tap\n";
    plan.frames = 400;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.last_flip(), 340) << "the frame in which Escape was read is the last";
    EXPECT_EQ(run.best_score_file, 0) << "a first run creates the best-score file";
}

TEST(GlobalKeys, EscapePausesAStageAndLeavesThePauseForTheTitle) {
    RunSpec plan;
    plan.script =
        kStartGame + "390 mouse 200 420\n400 key 27 tap\n410 mouse 150 150\n" + "420 key 27 tap\n";
    plan.frames = 440;
    const RunResult run = run_game(plan);

    const Snapshot& before = run.at(400);
    ASSERT_EQ(before.state, GameState::kStage);
    ASSERT_EQ(before.engine, 1);
    for (int flip = 401; flip <= 420; ++flip) {
        const Snapshot& paused = run.at(flip);
        ASSERT_EQ(paused.state, GameState::kPaused) << flip;
        ASSERT_EQ(paused.engine, 0) << flip;
        // The world stands still under the pause menu.
        ASSERT_EQ(paused.x, before.x) << flip;
        ASSERT_EQ(paused.phase, before.phase) << flip;
    }
    EXPECT_EQ(run.at(401).mouse_x, kParkedPointerX);
    EXPECT_EQ(run.at(401).mouse_y, kParkedPointerY);

    const Snapshot& title = run.at(421);
    EXPECT_EQ(title.state, GameState::kTitle);
    EXPECT_EQ(title.mouse_x, kParkedPointerX);
    EXPECT_EQ(title.mouse_y, kParkedPointerY);
    EXPECT_EQ(title.enemies, before.enemies) << "the abandoned world stays until a new game";
    EXPECT_EQ(run.last_flip(), 440) << "Escape in the pause menu must not quit";
}

TEST(GlobalKeys, SpaceAndJoystickButton2ToggleThePauseAndKeepTheFlyIn) {
    RunSpec plan;
    plan.script = kStartGame + "400 key 32 tap\n410 key 32 tap\n420 joy 0 button 2 tap\n" +
                  "430 joy 0 button 2 tap\n";
    plan.frames = 500;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.at(400).state, GameState::kStage);
    EXPECT_EQ(run.at(401).state, GameState::kPaused);
    EXPECT_EQ(run.at(410).state, GameState::kPaused);
    EXPECT_EQ(run.at(411).state, GameState::kStage);
    EXPECT_EQ(run.at(411).engine, 1);
    EXPECT_EQ(run.at(411).sounds, std::vector<std::string>{"bploop"})
        << "resuming starts the drone afresh";
    EXPECT_EQ(run.at(421).state, GameState::kPaused);
    EXPECT_EQ(run.at(431).state, GameState::kStage);

    // The fly-in lasts its 121 frames however long the pauses were.
    EXPECT_EQ(run.at(411).x, run.at(400).x + 1.0f);
    EXPECT_EQ(run.at(kFirstPlayFlip + 19).phase, StagePhase::kFlyIn);
    EXPECT_EQ(run.at(kFirstPlayFlip + 20).phase, StagePhase::kPlay);
}

TEST(GlobalKeys, EscapeAndJoystickButton2TogetherPauseAndResume) {
    RunSpec plan;
    plan.script = kStartGame + "400 key 27 tap\n400 joy 0 button 2 tap\n";
    plan.frames = 420;
    const RunResult run = run_game(plan);
    for (int flip = 401; flip <= 420; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kStage) << flip;
    EXPECT_EQ(run.at(401).engine, 1);
}

TEST(GlobalKeys, SpaceAndJoystickButton2DoNothingInTheTitle) {
    RunSpec plan;
    plan.script = "340 key 32 tap\n350 joy 0 button 2 tap\n";
    plan.frames = 380;
    const RunResult run = run_game(plan);
    for (int flip = kFirstTitleFlip; flip <= 380; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kTitle) << flip;
}

struct CloseCase {
    const char* name;
    std::string script;
    GameState expected_state;
    bool engine_was_playing;
};

class CloseRequest : public testing::TestWithParam<CloseCase> {};

// A close request ends the game after the current frame in every state, the
// drone silenced (with half a second for it to fade) and the best score stored.
TEST_P(CloseRequest, EndsTheGameThroughTheExitPath) {
    RunSpec plan;
    plan.script = GetParam().script + "500 close\n";
    plan.best_score_on_disk = 77;
    plan.capture_audio = true;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.last_flip(), 500);
    EXPECT_EQ(run.at(500).state, GetParam().expected_state);
    EXPECT_EQ(run.best_score_file, 77);
    const int wait_after_last_frame = run.audio_ms - run.at(500).ms;
    if (GetParam().engine_was_playing) {
        EXPECT_EQ(run.at(500).engine, 1);
        EXPECT_NEAR(wait_after_last_frame, 500, 2);
    } else {
        EXPECT_NEAR(wait_after_last_frame, 0, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(States, CloseRequest,
                         testing::Values(CloseCase{"Title", "", GameState::kTitle, false},
                                         CloseCase{"Paused", kStartGame + "450 key 32 tap\n",
                                                   GameState::kPaused, false},
                                         CloseCase{"Stage", kStartGame, GameState::kStage, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Switching away freezes the game, menus included, and pauses the drone; coming
// back resumes both. The wait sleeps instead of spinning.
TEST(GlobalKeys, AnInactiveWindowFreezesTheStageAndPausesTheDrone) {
    RunSpec plan;
    plan.script = kStartGame + "400 focus lost\n@9000 focus gained\n";
    plan.frames = 420;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.at(400).engine, 1);
    EXPECT_GE(run.at(401).ms, 9000);
    EXPECT_EQ(run.at(401).state, GameState::kStage);
    EXPECT_EQ(run.at(401).engine, 1) << "the drone resumes with the game";
    EXPECT_EQ(run.at(401).x, run.at(400).x + 1.0f) << "one frame of fly-in, no catching up";
}

}  // namespace
}  // namespace shell_test
