// The player's plane: the stage start, the fly-in, steering, the slide, the
// height limits, the blink while invulnerable and the death.
#include <gtest/gtest.h>

#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/timing.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"
#include "world_fixture.h"

namespace world_test {
namespace {

using svc::vk::kDown;
using svc::vk::kLeft;
using svc::vk::kLeftControl;
using svc::vk::kRight;
using svc::vk::kUp;

using Sounds = std::vector<std::string>;

class PlayerTest : public WorldTest {};

TEST_F(PlayerTest, ANewGameOnlyStartsTheCounters) {
    player.score = 40;
    player.best_score = 900;
    start_new_game();
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.level, 1);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.new_best, 0);
    EXPECT_EQ(player.best_score, 900);
    EXPECT_EQ(stage_counters.enemies_per_stage, 10);
    EXPECT_EQ(stage_counters.balloons_per_stage, 3);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.invulnerable_frames, 0);
    EXPECT_TRUE(cloud_list.empty());
    EXPECT_TRUE(enemy_plane_list.empty());
    EXPECT_TRUE(balloon_list.empty());
    EXPECT_EQ(blimp.state, 0);
    EXPECT_EQ(sounds(), Sounds{});
}

TEST_F(PlayerTest, StageStartSetsUpTheStageWithoutTouchingTheGame) {
    start_new_game();
    start_stage();
    player.score = 1234;
    player.level = 3;
    player.lives = 2;
    player.best_score = 5000;
    stage_counters.enemies_per_stage = 20;
    stage_counters.balloons_per_stage = 9;
    phase_timer = 77;
    stage_phase = StagePhase::kClear;
    clear_world();
    sounds();

    start_stage();
    EXPECT_EQ(player.score, 1234);
    EXPECT_EQ(player.level, 3);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(player.best_score, 5000);
    EXPECT_EQ(phase_timer, 0);
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(player.x, 80.0f);
    EXPECT_EQ(player.y, 200.0f);
    EXPECT_EQ(player.invulnerable_frames, 250);
    EXPECT_EQ(player.blink_phase, 0);
    EXPECT_EQ(blimp.state, 1);
    EXPECT_EQ(mountains.scroll_speed, -4);
    EXPECT_EQ(mountains.mountain1_x, 100);
    EXPECT_EQ(mountains.mountain2_x, 514);
    EXPECT_EQ(cloud_list.count(), 19);
    EXPECT_EQ(enemy_plane_list.count(), 20);
    EXPECT_EQ(balloon_list.count(), 9);
    EXPECT_EQ(stage_phase, StagePhase::kFlyIn);
    EXPECT_EQ(sounds(), (Sounds{"startstage", "bploop"})) << "the start sound, then the engine";
}

// Every number that places what a stage starts with: the blimp, then each
// cloud, enemy and balloon.
std::vector<double> stage_layout() {
    std::vector<double> layout{static_cast<double>(blimp.x), static_cast<double>(blimp.y),
                               static_cast<double>(blimp.frame)};
    cloud_list.for_each([&](const Cloud& c) {
        layout.insert(layout.end(), {c.x, static_cast<double>(c.y), c.speed, c.scale});
    });
    enemy_plane_list.for_each([&](const EnemyPlane& e) {
        layout.insert(layout.end(),
                      {e.x, static_cast<double>(e.y), e.speed, static_cast<double>(e.frame)});
    });
    balloon_list.for_each([&](const Balloon& b) {
        layout.insert(layout.end(), {static_cast<double>(b.x), b.y});
    });
    return layout;
}

std::vector<double> stage_from_seed(int seed) {
    clear_world();
    svc::seed_random(seed);
    start_stage();
    return stage_layout();
}

TEST_F(PlayerTest, TheSameSeedGivesTheSameStageAndAnotherSeedAnother) {
    start_new_game();
    const std::vector<double> stage = stage_from_seed(777);
    EXPECT_EQ(stage.size(), 3u + 19 * 4 + 10 * 4 + 3 * 2) << "blimp, clouds, enemies, balloons";
    EXPECT_EQ(stage_from_seed(777), stage);
    EXPECT_NE(stage_from_seed(778), stage);
}

TEST_F(PlayerTest, FlyInDrawsTheNoseRightPlaneOn121FramesFrom80To200) {
    game_state = GameState::kStage;
    start_new_game();
    start_stage();
    player.facing = 0;  // the fly-in always shows the nose right
    key_down(kUp);      // and reads no controls
    for (int frame = 1; frame <= 121; ++frame) {
        ASSERT_EQ(stage_phase, StagePhase::kFlyIn) << "frame " << frame;
        const float expected_x = 79.0f + static_cast<float>(frame);
        const Frame drawn = drawn_by([] { player.update_fly_in(); });
        ASSERT_TRUE(same_frame(drawn, image_at(pictures.sprites, expected_x, 200.0f, 1)))
            << "frame " << frame;
    }
    EXPECT_EQ(stage_phase, StagePhase::kPlay);
    EXPECT_EQ(player.x, 200.0f);
    EXPECT_EQ(player.y, 200.0f);
    EXPECT_EQ(player.invulnerable_frames, 250) << "invulnerability starts with play";
}

TEST_F(PlayerTest, FlyInStepCountsFramesUntilPlay) {
    game_state = GameState::kStage;
    start_new_game();
    start_stage();
    int frames = 0;
    while (stage_phase == StagePhase::kFlyIn && frames < 1000) {
        fly_in_step();
        ++frames;
    }
    EXPECT_EQ(frames, 121);
    EXPECT_EQ(mountains.mountain1_x, 522 - 4 * 19) << "wrapped on the 102nd frame";
}

TEST_F(PlayerTest, TurnsOncePerPressAndReversesTheScroll) {
    start_empty_play();
    key_down(kLeft);
    player.update();
    EXPECT_EQ(player.facing, 0);
    EXPECT_EQ(mountains.scroll_speed, 4);

    tap(kRight);
    player.update();
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(mountains.scroll_speed, -4);

    // Left is still held: no new press, no turn.
    for (int i = 0; i < 5; ++i) player.update();
    EXPECT_EQ(player.facing, 1);
    key_up(kLeft);
    tap(kLeft);
    player.update();
    EXPECT_EQ(player.facing, 0);
}

TEST_F(PlayerTest, LeftAndRightInTheSameFrameLeaveTheNoseRight) {
    start_empty_play();
    tap(kLeft);
    tap(kRight);
    player.update();
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(mountains.scroll_speed, -4);
}

TEST_F(PlayerTest, PressesMadeOutsidePlayAreKeptForTheFirstPlayFrame) {
    start_empty_play();
    stage_phase = StagePhase::kFlyIn;
    player.x = 200.0f;
    tap(kLeft);
    tap(kLeftControl);
    tap(kLeftControl);
    tap(kLeftControl);
    player.update_fly_in();  // the last fly-in frame
    EXPECT_EQ(player.facing, 1);
    EXPECT_TRUE(player_shot_list.empty());
    player.update();
    EXPECT_EQ(player.facing, 0);
    EXPECT_EQ(player_shot_list.count(), 1) << "one shot however many presses";
    EXPECT_EQ(sounds(), Sounds{"fire"});
}

TEST_F(PlayerTest, JoystickCountsOnlyAtFullDeflection) {
    start_empty_play();
    use_joystick();
    joystick_x(-0.999f);
    joystick_y(0.999f);
    player.update();
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(player.y, 200.0f);

    joystick_x(-1.0f);
    joystick_y(1.0f);
    player.update();
    EXPECT_EQ(player.facing, 0);
    EXPECT_EQ(mountains.scroll_speed, 4);
    EXPECT_EQ(player.y, 202.0f);

    joystick_x(1.0f);
    joystick_y(-1.0f);
    player.update();
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(mountains.scroll_speed, -4);
    EXPECT_EQ(player.y, 200.0f);

    joystick_x(0.0f);
    joystick_y(0.0f);
    joystick_button(0, true);
    player.update();
    player.update();
    EXPECT_EQ(player_shot_list.count(), 1) << "the button fires once per press";
    joystick_button(0, false);
}

TEST_F(PlayerTest, ClimbsAndDivesTwoPixelsPerHeldFrame) {
    start_empty_play();
    key_down(kUp);
    for (int i = 0; i < 3; ++i) player.update();
    EXPECT_EQ(player.y, 194.0f);
    key_down(kDown);
    for (int i = 0; i < 3; ++i) player.update();
    EXPECT_EQ(player.y, 194.0f) << "up and down together cancel out";
    key_up(kUp);
    for (int i = 0; i < 4; ++i) player.update();
    EXPECT_EQ(player.y, 202.0f);
}

TEST_F(PlayerTest, HeightIsClampedBeforeThePlaneIsDrawn) {
    start_empty_play();
    player.invulnerable_frames = 0;
    player.y = 111.0f;
    key_down(kUp);
    Frame drawn = drawn_by([] { player.update(); });
    EXPECT_EQ(player.y, 110.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(pictures.sprites, 200.0f, 110.0f, 1)));
    player.update();
    EXPECT_EQ(player.y, 110.0f);
    key_up(kUp);

    player.y = 431.0f;
    key_down(kDown);
    drawn = drawn_by([] { player.update(); });
    EXPECT_EQ(player.y, 432.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(pictures.sprites, 200.0f, 432.0f, 1)));
    for (int i = 0; i < 10; ++i) player.update();
    EXPECT_EQ(player.y, 432.0f);
}

TEST_F(PlayerTest, SlidesFortyFramesBetween200And440AndBackFromMidway) {
    start_empty_play();
    tap(kLeft);
    std::vector<float> xs;
    for (int i = 0; i < 45; ++i) {
        player.update();
        xs.push_back(player.x);
    }
    EXPECT_EQ(xs[0], 206.0f);
    EXPECT_EQ(xs[38], 434.0f);
    EXPECT_EQ(xs[39], 440.0f) << "40 frames from 200 to 440";
    EXPECT_EQ(xs[44], 440.0f);

    tap(kRight);
    for (int i = 0; i < 10; ++i) player.update();
    EXPECT_EQ(player.x, 380.0f);
    tap(kLeft);  // turning in mid-slide sends it back from where it is
    player.update();
    EXPECT_EQ(player.x, 386.0f);
    tap(kRight);
    for (int i = 0; i < 31; ++i) player.update();
    EXPECT_EQ(player.x, 200.0f);
    player.update();
    EXPECT_EQ(player.x, 200.0f);
}

TEST_F(PlayerTest, BlinksTwoShownThreeHiddenThreeShownForItsSafeFrames) {
    start_empty_play();
    ASSERT_EQ(player.invulnerable_frames, 250);
    const Frame shown = image_at(pictures.sprites, 200.0f, 200.0f, 1);
    ASSERT_TRUE(has_ink(shown)) << "the plane's picture is empty";
    const Frame hidden = blank();
    std::string pattern;
    for (int frame = 1; frame <= 260; ++frame) {
        const Frame drawn = drawn_by([] { player.update(); });
        if (same_frame(drawn, shown))
            pattern += 'D';
        else if (same_frame(drawn, hidden))
            pattern += '.';
        else
            pattern += '?';
        if (frame == 250) {
            EXPECT_EQ(player.invulnerable_frames, 0);
        }
    }
    EXPECT_EQ(pattern.substr(0, 14), "DD...DDD...DDD");
    for (int frame = 1; frame <= 250; ++frame) {
        const char expected = frame % 6 < 3 ? 'D' : '.';
        EXPECT_EQ(pattern[frame - 1], expected) << "frame " << frame;
    }
    EXPECT_EQ(pattern.substr(250), std::string(10, 'D')) << "steady once safe";
    EXPECT_EQ(player.blink_phase, 0);
}

TEST_F(PlayerTest, DeathLeavesDebrisStopsTheEngineAndCostsALife) {
    start_empty_play();
    start_engine_loop();
    sounds();
    player.facing = 0;
    player.x = 300.0f;
    player.y = 250.0f;
    phase_timer = 99;
    Player::crash();
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(phase_timer, 0);
    EXPECT_EQ(game_state, GameState::kDying);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.y, 0.0f);
    EXPECT_EQ(svc::channel_playing(engine_channel), 0);
    EXPECT_EQ(sounds(), Sounds{"pldeath"});
    ASSERT_EQ(explosion_list.count(), 1);
    const Explosion& boom = *explosion_list.first();
    EXPECT_EQ(boom.x, 300.0f);
    EXPECT_EQ(boom.y, 250.0f);
    EXPECT_EQ(boom.scale, 1.5f);
    std::vector<int> frames;
    debris_list.for_each([&](const DebrisPiece& p) {
        frames.push_back(p.frame);
        EXPECT_EQ(p.x, 300.0f);
        EXPECT_EQ(p.y, 250.0f);
    });
    EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 5}));

    debris_list.remove_all();
    player.facing = 1;
    player.x = 250.0f;
    Player::crash();
    frames.clear();
    debris_list.for_each([&](const DebrisPiece& p) { frames.push_back(p.frame); });
    EXPECT_EQ(frames, (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(player.lives, 1);
}

TEST_F(PlayerTest, ResetWorldGlobalsReturnsToStartUpValues) {
    start_empty_play();
    start_stage();
    tap(kLeftControl);
    player.update();
    Player::crash();
    ASSERT_FALSE(cloud_list.empty());
    reset_world_globals();
    EXPECT_TRUE(cloud_list.empty());
    EXPECT_TRUE(player_shot_list.empty());
    EXPECT_TRUE(enemy_plane_list.empty());
    EXPECT_TRUE(balloon_list.empty());
    EXPECT_TRUE(debris_list.empty());
    EXPECT_TRUE(explosion_list.empty());
    EXPECT_EQ(player.lives, 0);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(mountains.scroll_speed, 0);
    EXPECT_EQ(mountains.mountain1_x, 0);
    EXPECT_EQ(player.invulnerable_frames, 0);
    EXPECT_EQ(stage_counters.enemies_per_stage, 0);
    EXPECT_EQ(blimp.state, 0);
    EXPECT_EQ(blimp.x, 0);
}

}  // namespace
}  // namespace world_test
