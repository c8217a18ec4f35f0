// Clouds and mountains: their random start, drift, wrap and drawing, and the
// ground that kills the plane whatever state it is in.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "services/rendering/graphics.h"
#include "support/spread.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/player.h"
#include "world/scenery.h"
#include "world/world.h"
#include "world_fixture.h"

namespace world_test {
namespace {

using test_support::Spread;
using test_support::spreads_over;

class SceneryTest : public WorldTest {
  protected:
    Cloud& only_cloud(float x, float speed) {
        world.clouds.remove_all();
        auto cloud = std::make_unique<Cloud>();
        cloud->x = x;
        cloud->y = 200;
        cloud->speed = speed;
        cloud->scale = 1.0f;
        return world.clouds.add_last(std::move(cloud));
    }

    // Mountain 1 comes to rest at x 100 after one step; mountain 2 lies wholly
    // behind the left margin, far from the plane.
    void mountains_for_one_step() {
        world.mountains.scroll_speed = -4;
        world.mountains.mountain1_x = 104;
        world.mountains.mountain2_x = -302;
    }

    // A height at x 200 where the nose-right plane touches mountain 1 at x 100,
    // found with the same pixel test the game uses.
    std::optional<int> touching_height() const {
        for (int y = 250; y <= 432; ++y)
            if (svc::images_collide(world.pictures.sprites, 200, y, sprite_frame::kPlayerNoseRight,
                                    world.pictures.mountain1, 100, 300, 0))
                return y;
        return std::nullopt;
    }
};

TEST_F(SceneryTest, NineteenCloudsPerStageSpreadOverTheirRanges) {
    Cloud::spawn_for_stage(world);
    ASSERT_EQ(world.clouds.count(), 19);
    Cloud::spawn_for_stage(world);
    EXPECT_EQ(world.clouds.count(), 38) << "making clouds never empties the list";
    for (int stage = 3; stage <= 10; ++stage) Cloud::spawn_for_stage(world);
    Spread x, y, speed, scale;
    world.clouds.for_each([&](const Cloud& c) {
        x.add(c.x);
        y.add(c.y);
        speed.add(c.speed);
        scale.add(c.scale);
    });
    EXPECT_TRUE(spreads_over(x, -1000.0, 1640.0));
    EXPECT_TRUE(spreads_over(y, 125.0, 299.0));
    EXPECT_TRUE(spreads_over(speed, -1.5, 1.5));
    EXPECT_TRUE(spreads_over(scale, 0.5, 1.0));
    clear_world(world);
    EXPECT_TRUE(world.clouds.empty());
}

TEST_F(SceneryTest, CloudsDriftOnTheScrollAndWrapToTheExactEnds) {
    world.mountains.scroll_speed = -4;
    Cloud& c = only_cloud(-999.0f, -1.5f);
    Cloud::update_all(world);
    EXPECT_EQ(c.x, 1640.0f) << "-1004.5 wraps to exactly 1640";

    Cloud& d = only_cloud(-997.0f, 1.0f);
    Cloud::update_all(world);
    EXPECT_EQ(d.x, -1000.0f) << "landing on the end is not past it";
    Cloud::update_all(world);
    EXPECT_EQ(d.x, 1640.0f);

    world.mountains.scroll_speed = 4;
    Cloud& e = only_cloud(1000.0f, 1.0f);
    Cloud::update_all(world);
    EXPECT_EQ(e.x, 1005.0f);
    Cloud& f = only_cloud(1636.0f, 0.5f);
    Cloud::update_all(world);
    EXPECT_EQ(f.x, -1000.0f);
}

TEST_F(SceneryTest, ACloudIsDrawnAtItsScaleAndTheScaleIsPutBack) {
    world.mountains.scroll_speed = 0;
    Cloud& c = only_cloud(300.0f, 0.0f);
    c.scale = 0.5f;
    const Frame drawn = drawn_by([&] {
        Cloud::update_all(world);
        svc::draw_image(world.pictures.sprites, 300.0f, 400.0f, 1);
    });
    const Frame expected = drawn_by([&] {
        svc::set_alpha(1.0f);
        svc::set_blend(svc::BlendMode::kMask);
        svc::set_colour(255, 255, 255);
        svc::set_scale(0.5f, 0.5f);
        svc::draw_image(world.pictures.cloud, 300.0f, 200.0f, 0);
        svc::set_scale(1.0f, 1.0f);
        svc::draw_image(world.pictures.sprites, 300.0f, 400.0f, 1);
    });
    EXPECT_TRUE(same_frame(drawn, expected));
    const Frame unscaled = drawn_by([&] {
        svc::set_alpha(1.0f);
        svc::set_blend(svc::BlendMode::kMask);
        svc::set_colour(255, 255, 255);
        svc::draw_image(world.pictures.cloud, 300.0f, 200.0f, 0);
    });
    EXPECT_NE(expected, unscaled) << "the cloud picture shows no difference at half size";
}

TEST_F(SceneryTest, MountainsScrollWrapAndAreDrawnMasked) {
    world.mountains.scroll_speed = -4;
    world.mountains.mountain1_x = -304;
    world.mountains.mountain2_x = 522;
    world.player.x = 0.0f;
    world.player.y = 0.0f;
    const Frame drawn = drawn_by([&] { world.mountains.update(world); });
    EXPECT_EQ(world.mountains.mountain1_x, 522);
    EXPECT_EQ(world.mountains.mountain2_x, 518);
    const Frame expected = drawn_by([&] {
        svc::set_alpha(1.0f);
        svc::set_blend(svc::BlendMode::kMask);
        svc::set_colour(255, 255, 255);
        svc::draw_image(world.pictures.mountain1, 522.0f, 300.0f, 0);
        svc::draw_image(world.pictures.mountain2, 518.0f, 304.0f, 0);
    });
    EXPECT_TRUE(same_frame(drawn, expected));

    world.mountains.scroll_speed = 4;
    world.mountains.mountain1_x = 518;
    world.mountains.mountain2_x = 522;
    world.mountains.update(world);
    EXPECT_EQ(world.mountains.mountain1_x, 522) << "522 itself is no wrap";
    EXPECT_EQ(world.mountains.mountain2_x, -306);
}

TEST_F(SceneryTest, TheTwoMountainsFormOneBand) {
    world.mountains.scroll_speed = -4;
    world.mountains.mountain1_x = 100;
    world.mountains.mountain2_x = 514;
    for (int i = 0; i < 101; ++i) world.mountains.update(world);
    EXPECT_EQ(world.mountains.mountain1_x, -304);
    world.mountains.update(world);
    EXPECT_EQ(world.mountains.mountain1_x, 522);
    EXPECT_EQ(world.mountains.mountain2_x, 106);
    EXPECT_EQ(world.mountains.mountain1_x - world.mountains.mountain2_x, 416);
}

TEST_F(SceneryTest, TheGroundKillsTheBlinkingPlaneInPlay) {
    start_empty_play();
    const std::optional<int> y = touching_height();
    ASSERT_TRUE(y.has_value()) << "the plane never touches the mountain picture";
    // Invulnerable and hidden by its blink: the ground still counts.
    world.player.y = static_cast<float>(*y);
    world.player.invulnerable_frames = 100;
    world.player.blink_phase = 4;
    mountains_for_one_step();
    world.mountains.update(world);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.player.x, 0.0f);
    EXPECT_EQ(world.explosions.count(), 1);
    EXPECT_EQ(sounds(), std::vector<std::string>{"pldeath"});

    // At (0, 0) the plane touches nothing any more.
    mountains_for_one_step();
    world.mountains.update(world);
    EXPECT_EQ(world.player.lives, 2);
}

TEST_F(SceneryTest, APixelAboveTheGroundIsSafe) {
    start_empty_play();
    const std::optional<int> y = touching_height();
    ASSERT_TRUE(y.has_value());
    world.player.y = static_cast<float>(*y - 1) + 0.99f;  // truncates to one pixel higher
    mountains_for_one_step();
    world.mountains.update(world);
    EXPECT_EQ(world.flow.state, GameState::kStage);
    EXPECT_EQ(world.player.lives, 3);
}

TEST_F(SceneryTest, TheGroundKillsThePlaneRestingInTheStageClear) {
    start_empty_play();
    const std::optional<int> y = touching_height();
    ASSERT_TRUE(y.has_value());
    world.player.y = static_cast<float>(*y);
    world.flow.phase = StagePhase::kClear;
    world.flow.phase_timer = 120;
    mountains_for_one_step();
    clear_step(world);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.flow.phase_timer, 0);
    EXPECT_EQ(world.player.lives, 2);
}

TEST_F(SceneryTest, TouchingBothMountainsCostsOneLife) {
    start_empty_play();
    const std::optional<int> y = touching_height();
    ASSERT_TRUE(y.has_value());
    // Mountain 2 drawn 4 pixels lower at the same x: find a height touching both.
    std::optional<int> both;
    for (int h = *y; h <= 432 && !both; ++h)
        if (svc::images_collide(world.pictures.sprites, 200, h, sprite_frame::kPlayerNoseRight,
                                world.pictures.mountain1, 100, 300, 0) &&
            svc::images_collide(world.pictures.sprites, 200, h, sprite_frame::kPlayerNoseRight,
                                world.pictures.mountain2, 100, 304, 0))
            both = h;
    ASSERT_TRUE(both.has_value());
    world.player.y = static_cast<float>(*both);
    world.mountains.scroll_speed = -4;
    world.mountains.mountain1_x = 104;
    world.mountains.mountain2_x = 104;
    world.mountains.update(world);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.explosions.count(), 1);
    EXPECT_EQ(world.debris.count(), 4);
}

}  // namespace
}  // namespace world_test
