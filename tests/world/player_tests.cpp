// The player's plane: the stage start, the fly-in, steering, the slide, the
// height limits, the blink while invulnerable and the death.
#include <gtest/gtest.h>

#include <vector>

#include "services/input.h"
#include "services/sound.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/ebplane.h"
#include "world/effects.h"
#include "world/particles.h"
#include "world/player.h"
#include "world/pshot.h"
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

TEST_F(PlayerTest, StartUpResetOnlyStartsTheCounters) {
    startup_reset = 1;
    player.score = 40;
    player.best_sc = 900;
    player_tag::reset(1);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.level, 1);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.new_bs, 0);
    EXPECT_EQ(player.best_sc, 900);
    EXPECT_EQ(enemies_per_stage, 10);
    EXPECT_EQ(balloons_per_stage, 3);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(safe_timer, 0);
    EXPECT_TRUE(cloud_list.empty());
    EXPECT_TRUE(ebplane_list.empty());
    EXPECT_TRUE(balloon_list.empty());
    EXPECT_EQ(blimp_state, 0);
    EXPECT_EQ(sounds(), Sounds{});
}

TEST_F(PlayerTest, StageStartSetsUpTheStageWithoutTouchingTheGame) {
    player_tag::reset(1);
    player.score = 1234;
    player.level = 3;
    player.lives = 2;
    player.best_sc = 5000;
    enemies_per_stage = 20;
    balloons_per_stage = 9;
    phase_timer = 77;
    stage_phase = phase::kClear;
    clear_world();
    sounds();

    player_tag::reset(0);
    EXPECT_EQ(player.score, 1234);
    EXPECT_EQ(player.level, 3);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(player.best_sc, 5000);
    EXPECT_EQ(phase_timer, 0);
    EXPECT_EQ(player.dir, 1);
    EXPECT_EQ(player.x, 80.0f);
    EXPECT_EQ(player.y, 200.0f);
    EXPECT_EQ(safe_timer, 250);
    EXPECT_EQ(blink_ctr, 0);
    EXPECT_EQ(blimp_state, 1);
    EXPECT_EQ(mountains.mspd, -4);
    EXPECT_EQ(mountains.mt1_x, 100);
    EXPECT_EQ(mountains.mt2_x, 514);
    EXPECT_EQ(cloud_list.count(), 19);
    EXPECT_EQ(ebplane_list.count(), 20);
    EXPECT_EQ(balloon_list.count(), 9);
    EXPECT_EQ(stage_phase, phase::kFlyIn);
    EXPECT_EQ(sounds(), (Sounds{"startstage", "bploop"})) << "the start sound, then the engine";
}

// The stage start draws its random numbers for the blimp first, then the
// clouds, the enemies and the balloons: the same seed gives the same stage
// when the kinds are made by hand in that order.
TEST_F(PlayerTest, StageStartDrawsItsRandomNumbersInOrder) {
    player_tag::reset(1);
    clear_world();
    svc::seed_random(777);
    player_tag::reset(0);
    std::vector<float> clouds, enemies, balloons;
    cloud_list.for_each([&](const cloud_tag& c) { clouds.push_back(c.x); });
    ebplane_list.for_each([&](const ebplane_tag& e) { enemies.push_back(e.x); });
    balloon_list.for_each([&](const balloon_tag& b) { balloons.push_back(b.y); });
    const int blimp = blimp_x;

    clear_world();
    svc::seed_random(777);
    blimp_update(1);
    cloud_tag::create_em();
    ebplane_tag::create_em();
    balloon_tag::create_em();
    EXPECT_EQ(blimp_x, blimp);
    std::vector<float> clouds2, enemies2, balloons2;
    cloud_list.for_each([&](const cloud_tag& c) { clouds2.push_back(c.x); });
    ebplane_list.for_each([&](const ebplane_tag& e) { enemies2.push_back(e.x); });
    balloon_list.for_each([&](const balloon_tag& b) { balloons2.push_back(b.y); });
    EXPECT_EQ(clouds, clouds2);
    EXPECT_EQ(enemies, enemies2);
    EXPECT_EQ(balloons, balloons2);
}

TEST_F(PlayerTest, FlyInDrawsTheNoseRightPlaneOn121FramesFrom80To200) {
    game_state = state::kStage;
    player_tag::reset(1);
    player.dir = 0;  // the fly-in always shows the nose right
    key_down(kUp);   // and reads no controls
    for (int frame = 1; frame <= 121; ++frame) {
        ASSERT_EQ(stage_phase, phase::kFlyIn) << "frame " << frame;
        const float expected_x = 79.0f + static_cast<float>(frame);
        const Frame drawn = drawn_by([] { player.update2(); });
        ASSERT_TRUE(same_frame(drawn, image_at(sprite_frames, expected_x, 200.0f, 1)))
            << "frame " << frame;
    }
    EXPECT_EQ(stage_phase, phase::kPlay);
    EXPECT_EQ(player.x, 200.0f);
    EXPECT_EQ(player.y, 200.0f);
    EXPECT_EQ(safe_timer, 250) << "invulnerability starts with play";
}

TEST_F(PlayerTest, FlyInStepCountsFramesUntilPlay) {
    game_state = state::kStage;
    player_tag::reset(1);
    int frames = 0;
    while (stage_phase == phase::kFlyIn && frames < 1000) {
        fly_in_step();
        ++frames;
    }
    EXPECT_EQ(frames, 121);
    EXPECT_EQ(mountains.mt1_x, 522 - 4 * 19) << "wrapped on the 102nd frame";
}

TEST_F(PlayerTest, TurnsOncePerPressAndReversesTheScroll) {
    start_empty_play();
    key_down(kLeft);
    player.update();
    EXPECT_EQ(player.dir, 0);
    EXPECT_EQ(mountains.mspd, 4);

    tap(kRight);
    player.update();
    EXPECT_EQ(player.dir, 1);
    EXPECT_EQ(mountains.mspd, -4);

    // Left is still held: no new press, no turn.
    for (int i = 0; i < 5; ++i) player.update();
    EXPECT_EQ(player.dir, 1);
    key_up(kLeft);
    tap(kLeft);
    player.update();
    EXPECT_EQ(player.dir, 0);
}

TEST_F(PlayerTest, LeftAndRightInTheSameFrameLeaveTheNoseRight) {
    start_empty_play();
    tap(kLeft);
    tap(kRight);
    player.update();
    EXPECT_EQ(player.dir, 1);
    EXPECT_EQ(mountains.mspd, -4);
}

TEST_F(PlayerTest, PressesMadeOutsidePlayAreKeptForTheFirstPlayFrame) {
    start_empty_play();
    stage_phase = phase::kFlyIn;
    player.x = 200.0f;
    tap(kLeft);
    tap(kLeftControl);
    tap(kLeftControl);
    tap(kLeftControl);
    player.update2();  // the last fly-in frame
    EXPECT_EQ(player.dir, 1);
    EXPECT_TRUE(pshot_list.empty());
    player.update();
    EXPECT_EQ(player.dir, 0);
    EXPECT_EQ(pshot_list.count(), 1) << "one shot however many presses";
    EXPECT_EQ(sounds(), Sounds{"fire"});
}

TEST_F(PlayerTest, JoystickCountsOnlyAtFullDeflection) {
    start_empty_play();
    use_joystick();
    joy_x(-0.999f);
    joy_y(0.999f);
    player.update();
    EXPECT_EQ(player.dir, 1);
    EXPECT_EQ(player.y, 200.0f);

    joy_x(-1.0f);
    joy_y(1.0f);
    player.update();
    EXPECT_EQ(player.dir, 0);
    EXPECT_EQ(mountains.mspd, 4);
    EXPECT_EQ(player.y, 202.0f);

    joy_x(1.0f);
    joy_y(-1.0f);
    player.update();
    EXPECT_EQ(player.dir, 1);
    EXPECT_EQ(mountains.mspd, -4);
    EXPECT_EQ(player.y, 200.0f);

    joy_x(0.0f);
    joy_y(0.0f);
    joy_button(0, true);
    player.update();
    player.update();
    EXPECT_EQ(pshot_list.count(), 1) << "the button fires once per press";
    joy_button(0, false);
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
    safe_timer = 0;
    player.y = 111.0f;
    key_down(kUp);
    Frame drawn = drawn_by([] { player.update(); });
    EXPECT_EQ(player.y, 110.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(sprite_frames, 200.0f, 110.0f, 1)));
    player.update();
    EXPECT_EQ(player.y, 110.0f);
    key_up(kUp);

    player.y = 431.0f;
    key_down(kDown);
    drawn = drawn_by([] { player.update(); });
    EXPECT_EQ(player.y, 432.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(sprite_frames, 200.0f, 432.0f, 1)));
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
    ASSERT_EQ(safe_timer, 250);
    const Frame shown = image_at(sprite_frames, 200.0f, 200.0f, 1);
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
            EXPECT_EQ(safe_timer, 0);
        }
    }
    EXPECT_EQ(pattern.substr(0, 14), "DD...DDD...DDD");
    for (int frame = 1; frame <= 250; ++frame) {
        const char expected = frame % 6 < 3 ? 'D' : '.';
        EXPECT_EQ(pattern[frame - 1], expected) << "frame " << frame;
    }
    EXPECT_EQ(pattern.substr(250), std::string(10, 'D')) << "steady once safe";
    EXPECT_EQ(blink_ctr, 0);
}

TEST_F(PlayerTest, DeathLeavesDebrisStopsTheEngineAndCostsALife) {
    start_empty_play();
    start_engine_loop();
    sounds();
    player.dir = 0;
    player.x = 300.0f;
    player.y = 250.0f;
    phase_timer = 99;
    player_tag::init_death();
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(phase_timer, 0);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.y, 0.0f);
    EXPECT_EQ(svc::channel_playing(engine_channel), 0);
    EXPECT_EQ(sounds(), Sounds{"pldeath"});
    ASSERT_EQ(explode_list.count(), 1);
    const explode_tag& boom = *explode_list.first();
    EXPECT_EQ(boom.x, 300.0f);
    EXPECT_EQ(boom.y, 250.0f);
    EXPECT_EQ(boom.scale, 1.5f);
    std::vector<int> frames;
    particle_list.for_each([&](const particle_tag& p) {
        frames.push_back(p.frame);
        EXPECT_EQ(p.x, 300.0f);
        EXPECT_EQ(p.y, 250.0f);
    });
    EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 5}));

    particle_tag::destroy_all();
    player.dir = 1;
    player.x = 250.0f;
    player_tag::init_death();
    frames.clear();
    particle_list.for_each([&](const particle_tag& p) { frames.push_back(p.frame); });
    EXPECT_EQ(frames, (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(player.lives, 1);
}

TEST_F(PlayerTest, ResetWorldGlobalsReturnsToStartUpValues) {
    start_empty_play();
    player_tag::reset(0);
    tap(kLeftControl);
    player.update();
    player_tag::init_death();
    ASSERT_FALSE(cloud_list.empty());
    reset_world_globals();
    EXPECT_TRUE(cloud_list.empty());
    EXPECT_TRUE(pshot_list.empty());
    EXPECT_TRUE(ebplane_list.empty());
    EXPECT_TRUE(balloon_list.empty());
    EXPECT_TRUE(particle_list.empty());
    EXPECT_TRUE(explode_list.empty());
    EXPECT_EQ(player.lives, 0);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(mountains.mspd, 0);
    EXPECT_EQ(mountains.mt1_x, 0);
    EXPECT_EQ(startup_reset, 1);
    EXPECT_EQ(safe_timer, 0);
    EXPECT_EQ(enemies_per_stage, 0);
    EXPECT_EQ(blimp_state, 0);
    EXPECT_EQ(blimp_x, 0);
}

}  // namespace
}  // namespace world_test
