// The title and pause menus: choosing by pointer row, the item texts, the
// volume steps, the joystick pointer and the actions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/sound_cues.h"
#include "shell/menus.h"
#include "shell_run.h"

namespace shell_test {
namespace {

std::string click_at(int flip, int x, int y) {
    return std::to_string(flip) + " mouse " + std::to_string(x) + " " + std::to_string(y) + "\n" +
           std::to_string(flip + 1) + " button 1 click\n";
}

TEST(MenuRows, ItemsAreChosenByThePointerRowAlone) {
    EXPECT_EQ(menu_item_at(0), std::nullopt);
    EXPECT_EQ(menu_item_at(269), std::nullopt);
    EXPECT_EQ(menu_item_at(270), MenuItem::kStart);
    EXPECT_EQ(menu_item_at(299), MenuItem::kStart);
    EXPECT_EQ(menu_item_at(300), MenuItem::kEffectsVolume);
    EXPECT_EQ(menu_item_at(330), MenuItem::kEffectsVolume);
    EXPECT_EQ(menu_item_at(331), MenuItem::kEngineVolume);
    EXPECT_EQ(menu_item_at(361), MenuItem::kEngineVolume);
    EXPECT_EQ(menu_item_at(362), MenuItem::kExit);
    EXPECT_EQ(menu_item_at(392), MenuItem::kExit);
    EXPECT_EQ(menu_item_at(393), std::nullopt);
    EXPECT_EQ(menu_item_at(479), std::nullopt);
}

TEST(MenuRows, ItemTextsByMenu) {
    const Volumes volumes;
    EXPECT_EQ(menu_item_text(MenuItem::kStart, GameState::kTitle, volumes), "Start Game");
    EXPECT_EQ(menu_item_text(MenuItem::kStart, GameState::kPaused, volumes), "Resume Game");
    EXPECT_EQ(menu_item_text(MenuItem::kEffectsVolume, GameState::kTitle, volumes),
              "Sound Volume: Max");
    EXPECT_EQ(menu_item_text(MenuItem::kEffectsVolume, GameState::kPaused, volumes),
              "Sound Volume: Max");
    EXPECT_EQ(menu_item_text(MenuItem::kEngineVolume, GameState::kTitle, volumes),
              "BiPlane Volume: 60%");
    EXPECT_EQ(menu_item_text(MenuItem::kExit, GameState::kTitle, volumes), "Exit Game");
    EXPECT_EQ(menu_item_text(MenuItem::kExit, GameState::kPaused, volumes), "Quit This Game");
}

struct RowCase {
    int y;
    GameState state_after;  // kStartingUp when the program ends
};

class TitleClick : public testing::TestWithParam<RowCase> {};

// Rows 269 and 393 are just outside the items; 270 is "Start Game", 392 "Exit
// Game". The pointer's x does not matter, even over a margin.
TEST_P(TitleClick, ChoosesTheItemOnTheRow) {
    RunSpec plan;
    plan.script = click_at(340, 10, GetParam().y);
    plan.frames = 360;
    const RunResult run = run_game(plan);

    ASSERT_EQ(run.status, 0);
    if (GetParam().state_after == GameState::kStartingUp) {
        EXPECT_EQ(run.last_flip(), 342) << "Exit Game ends the program";
        return;
    }
    EXPECT_EQ(run.at(342).state, GetParam().state_after);
    EXPECT_EQ(run.at(342).sfx_step, 10);
    EXPECT_EQ(run.at(342).engine_step, 6);
    EXPECT_EQ(run.last_flip(), 360);
}

INSTANTIATE_TEST_SUITE_P(Rows, TitleClick,
                         testing::Values(RowCase{269, GameState::kTitle},
                                         RowCase{270, GameState::kStage},
                                         RowCase{392, GameState::kStartingUp},
                                         RowCase{393, GameState::kTitle}),
                         [](const auto& info) { return "Row" + std::to_string(info.param.y); });

TEST(TitleMenu, StartGameSetsUpStageOneWithThreeLives) {
    RunSpec plan;
    plan.script = "340 button 1 click\n";
    plan.frames = 345;
    const RunResult run = run_game(plan);

    const Snapshot& first = run.at(341);
    EXPECT_EQ(first.state, GameState::kStage);
    EXPECT_EQ(first.phase, StagePhase::kFlyIn);
    EXPECT_EQ(first.level, 1);
    EXPECT_EQ(first.lives, 3);
    EXPECT_EQ(first.score, 0);
    EXPECT_EQ(first.enemies, 10);
    EXPECT_EQ(first.engine, 1);
    EXPECT_EQ(first.sounds, (std::vector<std::string>{"startstage", "bploop"}));
}

// Each click on a volume item advances its label; the effects volume plays the
// fire sound at the new level, the engine volume plays nothing.
TEST(TitleMenu, VolumeItemsStepThroughTheirLabels) {
    std::string script;
    const int effects_line = menu_item_line_y(MenuItem::kEffectsVolume);
    const int engine_line = menu_item_line_y(MenuItem::kEngineVolume);
    for (int i = 0; i < 11; ++i) script += click_at(340 + 4 * i, kMenuCentreX, effects_line);
    for (int i = 0; i < 7; ++i) script += click_at(400 + 4 * i, kMenuCentreX, engine_line);
    RunSpec plan;
    plan.script = script;
    plan.frames = 440;
    const RunResult run = run_game(plan);

    const std::vector<std::string> labels = {"Off", "10%", "20%", "30%", "40%", "50%",
                                             "60%", "70%", "80%", "90%", "Max"};
    for (int i = 0; i < 11; ++i) {
        const Snapshot& after = run.at(340 + 4 * i + 2);
        EXPECT_EQ(labels[after.sfx_step], labels[i]) << "click " << i + 1;
        EXPECT_EQ(after.sounds, std::vector<std::string>{"fire"}) << "click " << i + 1;
    }
    const std::vector<std::string> engine_labels = {"70%", "80%", "90%", "Max",
                                                    "Off", "10%", "20%"};
    for (int i = 0; i < 7; ++i) {
        const Snapshot& after = run.at(400 + 4 * i + 2);
        EXPECT_EQ(labels[after.engine_step], engine_labels[i]) << "click " << i + 1;
        EXPECT_TRUE(after.sounds.empty()) << "click " << i + 1;
    }
    for (int flip = kFirstTitleFlip; flip <= 440; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kTitle);
}

TEST(PauseMenu, ResumeContinuesTheStageAndQuitReturnsToTheTitle) {
    RunSpec plan;
    plan.script = std::string("330 button 1 click\n") + "400 key 32 tap\n" +
                  click_at(405, 600, 280) + "420 key 32 tap\n" + click_at(425, 320, 380);
    plan.frames = 440;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.at(406).state, GameState::kPaused);
    EXPECT_EQ(run.at(407).state, GameState::kStage) << "Resume Game";
    EXPECT_EQ(run.at(407).x, run.at(400).x) << "the menu ran in that frame";
    EXPECT_EQ(run.at(408).x, run.at(400).x + 1.0f);
    EXPECT_EQ(run.at(407).sounds, std::vector<std::string>{"bploop"});
    EXPECT_EQ(run.at(421).state, GameState::kPaused);
    EXPECT_EQ(run.at(427).state, GameState::kTitle) << "Quit This Game";
    EXPECT_EQ(run.at(427).mouse_x, kParkedPointerX);
    EXPECT_EQ(run.at(427).mouse_y, kParkedPointerY);
    EXPECT_EQ(run.last_flip(), 440);
}

// A click on no item is consumed and flushes the keys: a Space pressed just
// before the menu reads the click does not resume the stage. (Keys pressed after
// a flip are read by the global keys first, so the press is made while the game
// waits for the window to come back, which is just before the menu's frame.)
TEST(PauseMenu, AClickOnNoItemFlushesTheKeysPressedWithIt) {
    const std::string pause_then_wait = std::string("330 button 1 click\n") +
                                        "400 key 32 tap\n405 mouse 320 200\n" +
                                        "410 focus lost\n@8000 focus gained\n";
    RunSpec plan;
    plan.script = pause_then_wait + "@8000 button 1 click\n@8000 key 32 down\n415 key 32 up\n";
    plan.frames = 420;
    const RunResult run = run_game(plan);
    for (int flip = 401; flip <= 420; ++flip)
        ASSERT_EQ(run.at(flip).state, GameState::kPaused) << flip;

    // The same Space without the click resumes the stage.
    plan.script = pause_then_wait + "@8000 key 32 down\n415 key 32 up\n";
    const RunResult control = run_game(plan);
    EXPECT_EQ(control.at(411).state, GameState::kPaused) << "the menu of that frame ran paused";
    EXPECT_EQ(control.at(412).state, GameState::kStage);
}

// A fully deflected stick moves the pointer 6 pixels per frame on each axis;
// anything less does nothing. Button 0 chooses like a click.
TEST(Pointer, JoystickSteersThePointerAndItsButtonChooses) {
    RunSpec plan;
    plan.script =
        "340 joy 0 axis x 1.0\n340 joy 0 axis y -1.0\n350 joy 0 axis x 0.99\n"
        "350 joy 0 axis y 0\n360 joy 0 axis x 0\n360 joy 0 axis y 1.0\n364 joy 0 axis y 0\n"
        "370 joy 0 button 0 tap\n";
    plan.frames = 380;
    const RunResult run = run_game(plan);

    EXPECT_EQ(run.at(340).mouse_x, 320);
    EXPECT_EQ(run.at(341).mouse_x, 326);
    EXPECT_EQ(run.at(341).mouse_y, 286);
    EXPECT_EQ(run.at(350).mouse_x, 380);
    EXPECT_EQ(run.at(350).mouse_y, 232);
    EXPECT_EQ(run.at(360).mouse_x, 380) << "a partial deflection does nothing";
    EXPECT_EQ(run.at(364).mouse_y, 256);
    // Row 256 is above the items: the button press is consumed without effect.
    EXPECT_EQ(run.at(371).state, GameState::kTitle);
    EXPECT_EQ(run.last_flip(), 380);
}

TEST(Pointer, JoystickButton0OnAnItemChoosesIt) {
    RunSpec plan;
    plan.script = "340 joy 0 button 0 tap\n";
    plan.frames = 345;
    const RunResult run = run_game(plan);
    EXPECT_EQ(run.at(341).state, GameState::kStage);
}

}  // namespace
}  // namespace shell_test
