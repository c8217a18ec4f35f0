// The player's shots: where they start, how far they fly and when they go.
#include <gtest/gtest.h>

#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "services/input.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"
#include "world_fixture.h"

namespace world_test {
namespace {

class ShotTest : public WorldTest {
  protected:
    // Steps the shots once; the only shot must be the only thing drawn, at (x, y).
    ::testing::AssertionResult step_draws_shot_at(int x, int y) {
        const Frame drawn = drawn_by([&] { PlayerShot::update_all(world); });
        return same_frame(drawn, image_at(world.pictures.sprites, static_cast<float>(x),
                                          static_cast<float>(y), sprite_frame::kShot));
    }
};

TEST_F(ShotTest, FacingRightAShotIsFirstDrawn32AheadAndGoesPast534) {
    ASSERT_TRUE(has_ink(image_at(world.pictures.sprites, 300.0f, 200.0f, sprite_frame::kShot)))
        << "the shot's picture is empty";
    start_empty_play();
    world.player.invulnerable_frames = 0;
    tap(svc::vk::kLeftControl);
    world.player.update(world);
    ASSERT_EQ(world.shots.count(), 1);
    EXPECT_EQ(world.shots.first()->x, 224);
    EXPECT_EQ(world.shots.first()->speed, 8);
    for (int frame = 1; frame <= 39; ++frame) {
        ASSERT_EQ(world.shots.count(), 1) << "frame " << frame;
        ASSERT_TRUE(step_draws_shot_at(224 + 8 * frame, 200)) << "frame " << frame;
    }
    EXPECT_TRUE(world.shots.empty()) << "drawn at 536 on its 39th frame, then removed";
}

TEST_F(ShotTest, FacingLeftAShotIsFirstDrawnAt408AndGoesPast100) {
    start_empty_play();
    world.player.facing = Facing::kLeft;
    world.player.x = 440.0f;
    PlayerShot::fire(world);
    EXPECT_EQ(world.shots.first()->x, 416);
    EXPECT_EQ(world.shots.first()->speed, -8);
    EXPECT_TRUE(step_draws_shot_at(408, 200));
    for (int frame = 2; frame <= 39; ++frame) PlayerShot::update_all(world);
    EXPECT_EQ(world.shots.first()->x, 104);
    EXPECT_TRUE(step_draws_shot_at(96, 200));
    EXPECT_TRUE(world.shots.empty());
}

// A shot exactly on an edge of the play field is still inside it: it flies one
// step more, is drawn beyond the edge, and only then goes.
TEST_F(ShotTest, AShotExactlyOnAnEdgeFliesOneStepMore) {
    struct Edge {
        Facing facing;
        float plane_x;  // the shot starts 24 ahead and lands on the edge
        int edge, beyond;
    };
    for (const Edge& e :
         {Edge{Facing::kRight, 198.0f, 534, 542}, Edge{Facing::kLeft, 444.0f, 100, 92}}) {
        SCOPED_TRACE(e.edge);
        start_empty_play();
        world.player.facing = e.facing;
        world.player.x = e.plane_x;
        PlayerShot::fire(world);
        for (int frame = 0; frame < 60 && world.shots.first()->x != e.edge; ++frame) {
            PlayerShot::update_all(world);
            ASSERT_EQ(world.shots.count(), 1) << "gone at frame " << frame;
        }
        ASSERT_EQ(world.shots.first()->x, e.edge);
        EXPECT_TRUE(step_draws_shot_at(e.beyond, 200));
        EXPECT_TRUE(world.shots.empty());
    }
}

TEST_F(ShotTest, AShotKeepsItsHeightAndCourseWhateverThePlaneDoes) {
    start_empty_play();
    world.player.x = 300.9f;
    world.player.y = 150.7f;
    PlayerShot::fire(world);
    EXPECT_EQ(world.shots.first()->x, 324) << "position truncated toward zero";
    EXPECT_EQ(world.shots.first()->y, 150);

    tap(svc::vk::kLeft);
    svc::input_state().key_event(svc::vk::kDown, true, false);
    for (int i = 0; i < 5; ++i) {
        world.player.update(world);
        PlayerShot::update_all(world);
    }
    EXPECT_EQ(world.player.facing, Facing::kLeft);
    EXPECT_EQ(world.shots.first()->y, 150);
    EXPECT_EQ(world.shots.first()->speed, 8);
    EXPECT_EQ(world.shots.first()->x, 364);
}

TEST_F(ShotTest, HoldingFireGivesOneShotAndEachPressAnother) {
    start_empty_play();
    key_down(svc::vk::kLeftControl);
    for (int i = 0; i < 20; ++i) world.player.update(world);
    EXPECT_EQ(world.shots.count(), 1);
    key_up(svc::vk::kLeftControl);
    for (int press = 0; press < 3; ++press) {
        tap(svc::vk::kLeftControl);
        world.player.update(world);
    }
    EXPECT_EQ(world.shots.count(), 4);
    EXPECT_EQ(sounds(), std::vector<std::string>(4, "fire"));
}

TEST_F(ShotTest, ShotsFlyInTheDeathSequenceButWaitDuringFlyInAndClear) {
    start_empty_play();
    PlayerShot::fire(world);
    fly_in_step(world);
    clear_step(world);
    EXPECT_EQ(world.shots.first()->x, 224);
    world.flow.state = GameState::kDying;
    wreck_step(world);
    EXPECT_EQ(world.shots.first()->x, 232);
    game_over_step(world);
    EXPECT_EQ(world.shots.first()->x, 232);
}

}  // namespace
}  // namespace world_test
