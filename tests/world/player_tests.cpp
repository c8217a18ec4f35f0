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

constexpr int kNoseRight = sprite_frame::kPlayerNoseRight;

// The frames of a wrecked plane's pieces, the first of them given.
std::vector<int> pieces_from(int first) {
    std::vector<int> frames;
    for (int i = 0; i < sprite_frame::kPlayerPieceCount; ++i) frames.push_back(first + i);
    return frames;
}

class PlayerTest : public WorldTest {};

TEST_F(PlayerTest, ANewGameOnlyStartsTheCounters) {
    world.player.score = 40;
    world.player.best_score = 900;
    start_new_game(world);
    EXPECT_EQ(world.player.score, 0);
    EXPECT_EQ(world.player.level, 1);
    EXPECT_EQ(world.player.lives, 3);
    EXPECT_EQ(world.player.new_best, 0);
    EXPECT_EQ(world.player.best_score, 900);
    EXPECT_EQ(world.counters.enemies_per_stage, 10);
    EXPECT_EQ(world.counters.balloons_per_stage, 3);
    EXPECT_EQ(world.player.x, 0.0f);
    EXPECT_EQ(world.player.invulnerable_frames, 0);
    EXPECT_TRUE(world.clouds.empty());
    EXPECT_TRUE(world.enemies.empty());
    EXPECT_TRUE(world.balloons.empty());
    EXPECT_EQ(world.blimp.state, BlimpState::kHit);
    EXPECT_EQ(sounds(), Sounds{});
}

TEST_F(PlayerTest, StageStartSetsUpTheStageWithoutTouchingTheGame) {
    start_new_game(world);
    start_stage(world);
    world.player.score = 1234;
    world.player.level = 3;
    world.player.lives = 2;
    world.player.best_score = 5000;
    world.counters.enemies_per_stage = 20;
    world.counters.balloons_per_stage = 9;
    world.flow.phase_timer = 77;
    world.flow.phase = StagePhase::kClear;
    clear_world(world);
    sounds();

    start_stage(world);
    EXPECT_EQ(world.player.score, 1234);
    EXPECT_EQ(world.player.level, 3);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.player.best_score, 5000);
    EXPECT_EQ(world.flow.phase_timer, 0);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_EQ(world.player.x, 80.0f);
    EXPECT_EQ(world.player.y, 200.0f);
    EXPECT_EQ(world.player.invulnerable_frames, 250);
    EXPECT_EQ(world.player.blink_phase, 0);
    EXPECT_EQ(world.blimp.state, BlimpState::kFlying);
    EXPECT_EQ(world.mountains.scroll_speed, -4);
    EXPECT_EQ(world.mountains.mountain1_x, 100);
    EXPECT_EQ(world.mountains.mountain2_x, 514);
    EXPECT_EQ(world.clouds.count(), 19);
    EXPECT_EQ(world.enemies.count(), 20);
    EXPECT_EQ(world.balloons.count(), 9);
    EXPECT_EQ(world.flow.phase, StagePhase::kFlyIn);
    EXPECT_EQ(sounds(), (Sounds{"startstage", "bploop"})) << "the start sound, then the engine";
}

// Every number that places what a stage starts with: the blimp, then each
// cloud, enemy and balloon.
std::vector<double> stage_layout(const World& world) {
    std::vector<double> layout{static_cast<double>(world.blimp.x),
                               static_cast<double>(world.blimp.y),
                               static_cast<double>(world.blimp.frame())};
    world.clouds.for_each([&](const Cloud& c) {
        layout.insert(layout.end(), {c.x, static_cast<double>(c.y), c.speed, c.scale});
    });
    world.enemies.for_each([&](const EnemyPlane& e) {
        layout.insert(layout.end(),
                      {e.x, static_cast<double>(e.y), e.speed, static_cast<double>(e.frame)});
    });
    world.balloons.for_each([&](const Balloon& b) {
        layout.insert(layout.end(), {static_cast<double>(b.x), b.y});
    });
    return layout;
}

std::vector<double> stage_from_seed(World& world, int seed) {
    clear_world(world);
    svc::seed_random(seed);
    start_stage(world);
    return stage_layout(world);
}

TEST_F(PlayerTest, TheSameSeedGivesTheSameStageAndAnotherSeedAnother) {
    start_new_game(world);
    const std::vector<double> stage = stage_from_seed(world, 777);
    EXPECT_EQ(stage.size(), 3u + 19 * 4 + 10 * 4 + 3 * 2) << "blimp, clouds, enemies, balloons";
    EXPECT_EQ(stage_from_seed(world, 777), stage);
    EXPECT_NE(stage_from_seed(world, 778), stage);
}

TEST_F(PlayerTest, FlyInDrawsTheNoseRightPlaneOn121FramesFrom80To200) {
    world.flow.state = GameState::kStage;
    start_new_game(world);
    start_stage(world);
    world.player.facing = Facing::kLeft;  // the fly-in always shows the nose right
    key_down(kUp);                        // and reads no controls
    for (int frame = 1; frame <= 121; ++frame) {
        ASSERT_EQ(world.flow.phase, StagePhase::kFlyIn) << "frame " << frame;
        const float expected_x = 79.0f + static_cast<float>(frame);
        const Frame drawn = drawn_by([&] { world.player.update_fly_in(world); });
        ASSERT_TRUE(
            same_frame(drawn, image_at(world.pictures.sprites, expected_x, 200.0f, kNoseRight)))
            << "frame " << frame;
    }
    EXPECT_EQ(world.flow.phase, StagePhase::kPlay);
    EXPECT_EQ(world.player.x, 200.0f);
    EXPECT_EQ(world.player.y, 200.0f);
    EXPECT_EQ(world.player.invulnerable_frames, 250) << "invulnerability starts with play";
}

TEST_F(PlayerTest, FlyInStepCountsFramesUntilPlay) {
    world.flow.state = GameState::kStage;
    start_new_game(world);
    start_stage(world);
    int frames = 0;
    while (world.flow.phase == StagePhase::kFlyIn && frames < 1000) {
        fly_in_step(world);
        ++frames;
    }
    EXPECT_EQ(frames, 121);
    EXPECT_EQ(world.mountains.mountain1_x, 522 - 4 * 19) << "wrapped on the 102nd frame";
}

TEST_F(PlayerTest, TurnsOncePerPressAndReversesTheScroll) {
    start_empty_play();
    key_down(kLeft);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kLeft);
    EXPECT_EQ(world.mountains.scroll_speed, 4);

    tap(kRight);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_EQ(world.mountains.scroll_speed, -4);

    // Left is still held: no new press, no turn.
    for (int i = 0; i < 5; ++i) world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    key_up(kLeft);
    tap(kLeft);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kLeft);
}

TEST_F(PlayerTest, LeftAndRightInTheSameFrameLeaveTheNoseRight) {
    start_empty_play();
    tap(kLeft);
    tap(kRight);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_EQ(world.mountains.scroll_speed, -4);
}

TEST_F(PlayerTest, PressesMadeOutsidePlayAreKeptForTheFirstPlayFrame) {
    start_empty_play();
    world.flow.phase = StagePhase::kFlyIn;
    world.player.x = 200.0f;
    tap(kLeft);
    tap(kLeftControl);
    tap(kLeftControl);
    tap(kLeftControl);
    world.player.update_fly_in(world);  // the last fly-in frame
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_TRUE(world.shots.empty());
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kLeft);
    EXPECT_EQ(world.shots.count(), 1) << "one shot however many presses";
    EXPECT_EQ(sounds(), Sounds{"fire"});
}

TEST_F(PlayerTest, JoystickCountsOnlyAtFullDeflection) {
    start_empty_play();
    use_joystick();
    joystick_x(-0.999f);
    joystick_y(0.999f);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_EQ(world.player.y, 200.0f);

    joystick_x(-1.0f);
    joystick_y(1.0f);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kLeft);
    EXPECT_EQ(world.mountains.scroll_speed, 4);
    EXPECT_EQ(world.player.y, 202.0f);

    joystick_x(1.0f);
    joystick_y(-1.0f);
    world.player.update(world);
    EXPECT_EQ(world.player.facing, Facing::kRight);
    EXPECT_EQ(world.mountains.scroll_speed, -4);
    EXPECT_EQ(world.player.y, 200.0f);

    joystick_x(0.0f);
    joystick_y(0.0f);
    joystick_button(0, true);
    world.player.update(world);
    world.player.update(world);
    EXPECT_EQ(world.shots.count(), 1) << "the button fires once per press";
    joystick_button(0, false);
}

TEST_F(PlayerTest, ClimbsAndDivesTwoPixelsPerHeldFrame) {
    start_empty_play();
    key_down(kUp);
    for (int i = 0; i < 3; ++i) world.player.update(world);
    EXPECT_EQ(world.player.y, 194.0f);
    key_down(kDown);
    for (int i = 0; i < 3; ++i) world.player.update(world);
    EXPECT_EQ(world.player.y, 194.0f) << "up and down together cancel out";
    key_up(kUp);
    for (int i = 0; i < 4; ++i) world.player.update(world);
    EXPECT_EQ(world.player.y, 202.0f);
}

TEST_F(PlayerTest, HeightIsClampedBeforeThePlaneIsDrawn) {
    start_empty_play();
    world.player.invulnerable_frames = 0;
    world.player.y = 111.0f;
    key_down(kUp);
    Frame drawn = drawn_by([&] { world.player.update(world); });
    EXPECT_EQ(world.player.y, 110.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(world.pictures.sprites, 200.0f, 110.0f, kNoseRight)));
    world.player.update(world);
    EXPECT_EQ(world.player.y, 110.0f);
    key_up(kUp);

    world.player.y = 431.0f;
    key_down(kDown);
    drawn = drawn_by([&] { world.player.update(world); });
    EXPECT_EQ(world.player.y, 432.0f);
    EXPECT_TRUE(same_frame(drawn, image_at(world.pictures.sprites, 200.0f, 432.0f, kNoseRight)));
    for (int i = 0; i < 10; ++i) world.player.update(world);
    EXPECT_EQ(world.player.y, 432.0f);
}

TEST_F(PlayerTest, SlidesFortyFramesBetween200And440AndBackFromMidway) {
    start_empty_play();
    tap(kLeft);
    std::vector<float> xs;
    for (int i = 0; i < 45; ++i) {
        world.player.update(world);
        xs.push_back(world.player.x);
    }
    EXPECT_EQ(xs[0], 206.0f);
    EXPECT_EQ(xs[38], 434.0f);
    EXPECT_EQ(xs[39], 440.0f) << "40 frames from 200 to 440";
    EXPECT_EQ(xs[44], 440.0f);

    tap(kRight);
    for (int i = 0; i < 10; ++i) world.player.update(world);
    EXPECT_EQ(world.player.x, 380.0f);
    tap(kLeft);  // turning in mid-slide sends it back from where it is
    world.player.update(world);
    EXPECT_EQ(world.player.x, 386.0f);
    tap(kRight);
    for (int i = 0; i < 31; ++i) world.player.update(world);
    EXPECT_EQ(world.player.x, 200.0f);
    world.player.update(world);
    EXPECT_EQ(world.player.x, 200.0f);
}

TEST_F(PlayerTest, BlinksTwoShownThreeHiddenThreeShownForItsSafeFrames) {
    start_empty_play();
    ASSERT_EQ(world.player.invulnerable_frames, 250);
    const Frame shown = image_at(world.pictures.sprites, 200.0f, 200.0f, kNoseRight);
    ASSERT_TRUE(has_ink(shown)) << "the plane's picture is empty";
    const Frame hidden = blank();
    std::string pattern;
    for (int frame = 1; frame <= 260; ++frame) {
        const Frame drawn = drawn_by([&] { world.player.update(world); });
        if (same_frame(drawn, shown))
            pattern += 'D';
        else if (same_frame(drawn, hidden))
            pattern += '.';
        else
            pattern += '?';
        if (frame == 250) {
            EXPECT_EQ(world.player.invulnerable_frames, 0);
        }
    }
    EXPECT_EQ(pattern.substr(0, 14), "DD...DDD...DDD");
    for (int frame = 1; frame <= 250; ++frame) {
        const char expected = frame % 6 < 3 ? 'D' : '.';
        EXPECT_EQ(pattern[frame - 1], expected) << "frame " << frame;
    }
    EXPECT_EQ(pattern.substr(250), std::string(10, 'D')) << "steady once safe";
    EXPECT_EQ(world.player.blink_phase, 0);
}

TEST_F(PlayerTest, DeathLeavesDebrisStopsTheEngineAndCostsALife) {
    start_empty_play();
    world.sounds.start_engine_loop();
    sounds();
    world.player.facing = Facing::kLeft;
    world.player.x = 300.0f;
    world.player.y = 250.0f;
    world.flow.phase_timer = 99;
    crash_plane(world);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.flow.phase_timer, 0);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.x, 0.0f);
    EXPECT_EQ(world.player.y, 0.0f);
    EXPECT_EQ(svc::channel_playing(world.sounds.engine_channel()), 0);
    EXPECT_EQ(sounds(), Sounds{"pldeath"});
    ASSERT_EQ(world.explosions.count(), 1);
    const Explosion& boom = *world.explosions.first();
    EXPECT_EQ(boom.x, 300.0f);
    EXPECT_EQ(boom.y, 250.0f);
    EXPECT_EQ(boom.scale, 1.5f);
    std::vector<int> frames;
    world.debris.for_each([&](const DebrisPiece& p) {
        frames.push_back(p.frame);
        EXPECT_EQ(p.x, 300.0f);
        EXPECT_EQ(p.y, 250.0f);
    });
    EXPECT_EQ(frames, pieces_from(sprite_frame::kPlayerPiecesNoseLeft));

    world.debris.remove_all();
    world.player.facing = Facing::kRight;
    world.player.x = 250.0f;
    crash_plane(world);
    frames.clear();
    world.debris.for_each([&](const DebrisPiece& p) { frames.push_back(p.frame); });
    EXPECT_EQ(frames, pieces_from(sprite_frame::kPlayerPiecesNoseRight));
    EXPECT_EQ(world.player.lives, 1);
}

// A second world made while the first is in play shares nothing with it.
TEST_F(PlayerTest, ANewWorldStartsFromStartUpValues) {
    start_empty_play();
    start_stage(world);
    tap(kLeftControl);
    world.player.update(world);
    crash_plane(world);
    ASSERT_FALSE(world.clouds.empty());
    const World fresh;
    fresh.for_each_list(
        [](const char* name, const auto& list) { EXPECT_TRUE(list.empty()) << name; });
    EXPECT_EQ(fresh.player.lives, 0);
    EXPECT_EQ(fresh.player.x, 0.0f);
    EXPECT_EQ(fresh.player.score, 0);
    EXPECT_EQ(fresh.mountains.scroll_speed, 0);
    EXPECT_EQ(fresh.mountains.mountain1_x, 0);
    EXPECT_EQ(fresh.player.invulnerable_frames, 0);
    EXPECT_EQ(fresh.counters.enemies_per_stage, 0);
    EXPECT_EQ(fresh.blimp.state, BlimpState::kHit);
    EXPECT_EQ(fresh.blimp.x, 0);
    EXPECT_FALSE(world.clouds.empty());
}

}  // namespace
}  // namespace world_test
