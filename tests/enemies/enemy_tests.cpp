// Enemy biplanes, balloons and the blimp: creation, motion, wraps, the visible
// bands, hits, rammings and what they pay.
#include <memory>
#include <string>
#include <vector>

#include "enemies/box_sprite_world.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "services/audio/sound.h"
#include "support/spread.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

namespace enemies_test {
namespace {

using test_support::Spread;
using test_support::spreads_over;

using Sounds = std::vector<std::string>;

constexpr int kNoseLeft = sprite_frame::kEnemyNoseLeft;
constexpr int kNoseRight = sprite_frame::kEnemyNoseRight;

EnemyPlane& add_enemy(World& world, float x, int y, float speed, int frame) {
    auto enemy = std::make_unique<EnemyPlane>();
    enemy->x = x;
    enemy->y = y;
    enemy->speed = speed;
    enemy->frame = frame;
    return world.enemies.add_last(std::move(enemy));
}

Balloon& add_balloon(World& world, int x, float y, float vertical_speed = -0.2f) {
    auto balloon = std::make_unique<Balloon>();
    balloon->x = x;
    balloon->y = y;
    balloon->vertical_speed = vertical_speed;
    return world.balloons.add_last(std::move(balloon));
}

PlayerShot& add_shot(World& world, int x, int y) {
    auto shot = std::make_unique<PlayerShot>();
    shot->x = x;
    shot->y = y;
    shot->speed = 8;
    return world.shots.add_last(std::move(shot));
}

void place_plane(World& world, float x, float y) {
    world.player.x = x;
    world.player.y = y;
}

std::vector<int> particle_frames(World& world) {
    std::vector<int> frames;
    world.debris.for_each([&](const DebrisPiece& p) { frames.push_back(p.frame); });
    return frames;
}

std::vector<std::string> points_texts(World& world) {
    std::vector<std::string> texts;
    world.points_popups.for_each([&](const PointsPopup& p) { texts.push_back(p.text); });
    return texts;
}

// ---------------------------------------------------------------- enemy biplanes

using EnemyTest = BoxSpriteWorldTest;

TEST_F(EnemyTest, CreationSpreadsTheStagesEnemiesOverTheLongWorld) {
    world.counters.enemies_per_stage = 4;
    EnemyPlane::spawn_for_stage(world);
    EXPECT_EQ(world.enemies.count(), 4);

    world.enemies.remove_all();
    world.counters.enemies_per_stage = 400;
    EnemyPlane::spawn_for_stage(world);
    Spread x, y;
    world.enemies.for_each([&](const EnemyPlane& e) {
        x.add(e.x);
        y.add(e.y);
    });
    EXPECT_TRUE(spreads_over(x, -2000.0, 2640.0));
    EXPECT_TRUE(spreads_over(y, 125.0, 299.0));
}

TEST_F(EnemyTest, ScreenSpeedsLieAgainstThePlanesFacing) {
    world.counters.enemies_per_stage = 400;
    EnemyPlane::spawn_for_stage(world);
    int nose_left = 0;
    world.enemies.for_each([&](const EnemyPlane& e) {
        EXPECT_GE(e.y, 125);
        EXPECT_LE(e.y, 299);
        ASSERT_TRUE(e.frame == kNoseLeft || e.frame == kNoseRight);
        if (e.frame == kNoseLeft) {
            ++nose_left;
            EXPECT_GE(e.speed, -3.5f);
            EXPECT_LT(e.speed, -0.5f);
        } else {
            EXPECT_GE(e.speed, 0.5f);
            EXPECT_LT(e.speed, 3.5f);
        }
    });
    EXPECT_GT(nose_left, 150);
    EXPECT_LT(nose_left, 250);

    // Park them in a quiet part of the world, then measure one frame per facing.
    world.enemies.enumerate([&](EnemyPlane& e) { e.x = 1000.0f; });
    for (int scroll_speed : {-4, 4}) {
        world.mountains.scroll_speed = scroll_speed;
        EnemyPlane::update_all(world);
        world.enemies.for_each([&](const EnemyPlane& e) {
            const float moved = e.x - 1000.0f;
            const bool flies_right = e.frame == kNoseRight;
            const float low =
                scroll_speed < 0 ? (flies_right ? -3.5f : -7.5f) : (flies_right ? 4.5f : 0.5f);
            EXPECT_GE(moved, low - 1e-3f);
            EXPECT_LT(moved, low + 3.0f + 1e-3f);
        });
        world.enemies.enumerate([&](EnemyPlane& e) { e.x = 1000.0f; });
    }

    world.enemies.remove_all();
    EnemyPlane& right = add_enemy(world, 1000.0f, 200, 2.0f, kNoseRight);
    EnemyPlane& left = add_enemy(world, 1000.0f, 200, -2.0f, kNoseLeft);
    world.mountains.scroll_speed = -4;
    EnemyPlane::update_all(world);
    EXPECT_EQ(right.x, 998.0f);
    EXPECT_EQ(left.x, 994.0f);
    world.mountains.scroll_speed = 4;
    EnemyPlane::update_all(world);
    EXPECT_EQ(right.x, 1004.0f);
    EXPECT_EQ(left.x, 996.0f);
}

TEST_F(EnemyTest, WrapsWithinTheLongWorldBeforeDrawing) {
    EnemyPlane& past_right = add_enemy(world, 2638.0f, 200, 0.0f, kNoseRight);
    EnemyPlane& at_right = add_enemy(world, 2636.0f, 200, 0.0f, kNoseRight);
    world.mountains.scroll_speed = 4;
    EnemyPlane::update_all(world);
    EXPECT_EQ(past_right.x, -2000.0f);
    EXPECT_EQ(at_right.x, 2640.0f);

    world.enemies.remove_all();
    EnemyPlane& past_left = add_enemy(world, -1997.5f, 200, 0.0f, kNoseLeft);
    EnemyPlane& at_left = add_enemy(world, -1996.0f, 200, 0.0f, kNoseLeft);
    world.mountains.scroll_speed = -4;
    EnemyPlane::update_all(world);
    EXPECT_EQ(past_left.x, 2640.0f);
    EXPECT_EQ(at_left.x, -2000.0f);
    EXPECT_FALSE(anything_drawn());
}

TEST_F(EnemyTest, VisibleBandIsOpenAtBothEnds) {
    struct Case {
        float arrives_at;
        bool inside;
    };
    for (const Case c :
         {Case{80.0f, false}, Case{560.0f, false}, Case{80.5f, true}, Case{559.5f, true}}) {
        SCOPED_TRACE(c.arrives_at);
        clear_world(world);
        clear_screen();
        world.player.score = 0;
        add_enemy(world, c.arrives_at + 4.0f, 200, 0.0f, kNoseRight);
        add_shot(world, static_cast<int>(c.arrives_at), 200);
        EnemyPlane::update_all(world);
        EXPECT_EQ(anything_drawn(), c.inside);
        EXPECT_EQ(world.shots.count(), c.inside ? 0 : 1);
        EXPECT_EQ(world.enemies.count(), c.inside ? 0 : 1);
        EXPECT_EQ(world.player.score, c.inside ? 15 : 0);
    }
}

TEST_F(EnemyTest, ShotDownPaysAndLeavesExplosionDebrisAndPoints) {
    world.player.level = 3;
    add_enemy(world, 304.7f, 200, 0.0f, kNoseLeft);
    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);

    EXPECT_EQ(world.player.score, 45);
    EXPECT_TRUE(world.enemies.empty());
    EXPECT_TRUE(world.shots.empty());
    EXPECT_EQ(points_texts(world), std::vector<std::string>{"+45"});
    world.points_popups.for_each([&](const PointsPopup& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    ASSERT_EQ(world.explosions.count(), 1);
    world.explosions.for_each([&](const Explosion& e) {
        EXPECT_EQ(e.x, 300.7f);
        EXPECT_EQ(e.y, 200.0f);
        EXPECT_EQ(e.scale, 1.0f);
    });
    EXPECT_EQ(particle_frames(world), (std::vector<int>{sprite_frame::kEnemyPiecesNoseLeft,
                                                        sprite_frame::kEnemyPiecesNoseLeft + 1}));
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"explode"});
    EXPECT_EQ(pixel(300, 200), sprite_colour(kNoseLeft));

    // An enemy with its nose right leaves the other pieces.
    world.debris.remove_all();
    add_enemy(world, 304.0f, 200, 0.0f, kNoseRight);
    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);
    EXPECT_EQ(particle_frames(world), (std::vector<int>{sprite_frame::kEnemyPiecesNoseRight,
                                                        sprite_frame::kEnemyPiecesNoseRight + 1}));
    EXPECT_EQ(world.player.score, 90);
}

TEST_F(EnemyTest, EveryShotOverlappingInOneWalkScores) {
    add_enemy(world, 304.0f, 200, 0.0f, kNoseRight);
    add_shot(world, 300, 200);
    add_shot(world, 310, 205);
    add_shot(world, 500, 200);  // far off: no hit
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.player.score, 30);
    EXPECT_EQ(world.shots.count(), 1);
    EXPECT_EQ(world.points_popups.count(), 2);
    EXPECT_EQ(world.explosions.count(), 2);
    EXPECT_EQ(world.debris.count(), 4);
    EXPECT_EQ(svc::take_started_sounds(), (Sounds{"explode", "explode"}));
    EXPECT_TRUE(world.enemies.empty());
}

TEST_F(EnemyTest, RammingCostsALifeAndSparesOnlyTheFirstEnemy) {
    add_enemy(world, 1000.0f, 200, 0.0f, kNoseLeft);
    add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    place_plane(world, 310.0f, 205.0f);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.enemies.count(), 1);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.player.score, 0);
    EXPECT_TRUE(world.points_popups.empty());
    // The enemy's explosion and two pieces, then the plane's larger one and four.
    EXPECT_EQ(world.explosions.count(), 2);
    EXPECT_EQ(world.debris.count(), 6);

    clear_world(world);
    world.flow.state = GameState::kStage;
    EnemyPlane& first = add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    add_enemy(world, 1000.0f, 200, 0.0f, kNoseLeft);
    place_plane(world, 310.0f, 205.0f);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.enemies.count(), 2);
    EXPECT_EQ(world.enemies.first(), &first);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.lives, 1);
}

TEST_F(EnemyTest, InvulnerablePlanePassesThroughButItsShotsStillHit) {
    world.player.invulnerable_frames = 17;
    add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    add_enemy(world, 1000.0f, 200, 0.0f, kNoseLeft);
    place_plane(world, 300.0f, 200.0f);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.flow.state, GameState::kStage);
    EXPECT_EQ(world.enemies.count(), 2);

    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.player.score, 15);
    EXPECT_EQ(world.flow.state, GameState::kStage);
}

TEST_F(EnemyTest, EnemyShotWhileTouchingThePlaneStillKillsIt) {
    add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    place_plane(world, 300.0f, 200.0f);
    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.player.score, 15);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_TRUE(world.enemies.empty());
    EXPECT_EQ(world.explosions.count(), 3);  // shot down, rammed, the plane
}

// ---------------------------------------------------------------- end of a stage

using StageEndTest = BoxSpriteWorldTest;

TEST_F(StageEndTest, LastEnemyShotInPlayEndsTheStageOneWalkLater) {
    world.sounds.start_engine_loop();
    ASSERT_NE(svc::channel_playing(world.sounds.engine_channel()), 0);
    world.flow.phase_timer = 9;
    add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);
    EXPECT_TRUE(world.enemies.empty());
    EXPECT_EQ(world.flow.phase, StagePhase::kPlay);
    EXPECT_EQ(world.flow.phase_timer, 9);

    svc::take_started_sounds();
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.flow.phase, StagePhase::kClear);
    EXPECT_EQ(world.flow.phase_timer, 0);
    EXPECT_EQ(svc::channel_playing(world.sounds.engine_channel()), 0);
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"endstage"});
}

TEST_F(StageEndTest, EmptyListDuringTheDeathSequenceChangesNothing) {
    world.flow.state = GameState::kDying;
    world.flow.phase = StagePhase::kPlay;
    world.flow.phase_timer = 0;
    for (int frame = 1; frame <= 250; ++frame) wreck_step(world);
    EXPECT_EQ(world.flow.phase_timer, 250);
    EXPECT_EQ(world.flow.phase, StagePhase::kPlay);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_TRUE(svc::take_started_sounds().empty());

    // Struck by a mountain during the stage-clear phase: the same.
    world.flow.phase = StagePhase::kClear;
    world.flow.phase_timer = 40;
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.flow.phase_timer, 40);
    EXPECT_EQ(world.flow.phase, StagePhase::kClear);
}

// ---------------------------------------------------------------- balloons

using BalloonTest = BoxSpriteWorldTest;

TEST_F(BalloonTest, CreationSpreadsThemOverTheLongWorldAllStartingToRise) {
    world.counters.balloons_per_stage = 3;
    Balloon::spawn_for_stage(world);
    EXPECT_EQ(world.balloons.count(), 3);

    world.balloons.remove_all();
    world.counters.balloons_per_stage = 300;
    Balloon::spawn_for_stage(world);
    Spread x, y;
    world.balloons.for_each([&](const Balloon& b) {
        x.add(b.x);
        y.add(b.y);
        EXPECT_EQ(b.vertical_speed, -0.2f);
    });
    EXPECT_TRUE(spreads_over(x, -2000.0, 2640.0));
    EXPECT_TRUE(spreads_over(y, 125.0, 300.0));
}

TEST_F(BalloonTest, BobsBetweenItsTwoHeights) {
    Balloon& top = add_balloon(world, 1000, 125.1f, -0.2f);
    Balloon& bottom = add_balloon(world, 1000, 299.9f, 0.2f);
    Balloon::update_all(world);
    EXPECT_EQ(top.y, 125.0f);
    EXPECT_EQ(top.vertical_speed, 0.2f);
    EXPECT_EQ(bottom.y, 300.0f);
    EXPECT_EQ(bottom.vertical_speed, -0.2f);

    // A whole cycle from the bottom: up to 125, down to 300, about 875 frames a way.
    world.balloons.remove_all();
    Balloon& b = add_balloon(world, 1000, 300.0f, -0.2f);
    float lowest = 300.0f, highest = 0.0f;
    int turn_at_top = 0, turn_at_bottom = 0;
    for (int frame = 1; frame <= 1800 && turn_at_bottom == 0; ++frame) {
        const float before = b.vertical_speed;
        Balloon::update_all(world);
        lowest = std::min(lowest, b.y);
        highest = std::max(highest, b.y);
        if (before < 0 && b.vertical_speed > 0) turn_at_top = frame;
        if (before > 0 && b.vertical_speed < 0) turn_at_bottom = frame;
    }
    EXPECT_EQ(lowest, 125.0f);
    EXPECT_EQ(highest, 300.0f);
    EXPECT_NEAR(turn_at_top, 875, 1);
    EXPECT_NEAR(turn_at_bottom - turn_at_top, 875, 1);
}

TEST_F(BalloonTest, WrapsAndShowsOnlyInsideItsBand) {
    Balloon& past_right = add_balloon(world, 2638, 200.0f);
    Balloon& at_right = add_balloon(world, 2636, 200.0f);
    world.mountains.scroll_speed = 4;
    Balloon::update_all(world);
    EXPECT_EQ(past_right.x, -2000);
    EXPECT_EQ(at_right.x, 2640);
    world.balloons.remove_all();
    Balloon& past_left = add_balloon(world, -1998, 200.0f);
    world.mountains.scroll_speed = -4;
    Balloon::update_all(world);
    EXPECT_EQ(past_left.x, 2640);
    EXPECT_FALSE(anything_drawn());

    for (const int at : {80, 560, 81, 559}) {
        SCOPED_TRACE(at);
        const bool inside = at != 80 && at != 560;
        clear_world(world);
        clear_screen();
        world.player.score = 1000;
        add_balloon(world, at + 4, 200.0f);
        add_shot(world, at, 200);
        Balloon::update_all(world);
        EXPECT_EQ(anything_drawn(), inside);
        EXPECT_EQ(world.player.score, inside ? 850 : 1000);
    }
}

TEST_F(BalloonTest, PopCostsPointsNeverBelowZero) {
    world.player.score = 1000;
    add_balloon(world, 304, 200.7f, -0.2f);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 850);
    EXPECT_TRUE(world.balloons.empty());
    EXPECT_TRUE(world.shots.empty());
    EXPECT_EQ(points_texts(world), std::vector<std::string>{"-150"});
    world.points_popups.for_each([&](const PointsPopup& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    ASSERT_EQ(world.balloon_pops.count(), 1);
    world.balloon_pops.for_each([&](const BalloonPop& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
        EXPECT_EQ(p.alpha, 1.0f);
    });
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"balloonpop"});

    clear_world(world);
    world.player.score = 100;
    add_balloon(world, 304, 200.0f);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 0);
    EXPECT_EQ(points_texts(world), std::vector<std::string>{"-150"});

    clear_world(world);
    world.player.level = 2;
    world.player.score = 1000;
    add_balloon(world, 304, 200.0f);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 700);
}

TEST_F(BalloonTest, ShotWhileTouchingThePlaneCostsTwice) {
    world.player.score = 1000;
    place_plane(world, 300.0f, 200.0f);
    add_balloon(world, 304, 200.0f);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 700);
    EXPECT_EQ(world.balloon_pops.count(), 2);
    EXPECT_EQ(world.points_popups.count(), 2);
    EXPECT_EQ(world.flow.state, GameState::kStage);  // the plane flies on
    EXPECT_EQ(world.player.lives, 3);
}

TEST_F(BalloonTest, TouchIsHarmlessWhileInvulnerableButShotsStillCost) {
    world.player.invulnerable_frames = 100;
    world.player.score = 1000;
    place_plane(world, 300.0f, 200.0f);
    add_balloon(world, 304, 200.0f);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 1000);
    EXPECT_EQ(world.balloons.count(), 1);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 850);
    EXPECT_TRUE(world.balloons.empty());
}

// ---------------------------------------------------------------- blimp

class BlimpTest : public BoxSpriteWorldTest {
  protected:
    void fly_at(int x, Facing nose = Facing::kLeft) {
        world.blimp.state = BlimpState::kFlying;
        world.blimp.x = x;
        world.blimp.y = 200;
        world.blimp.nose = nose;
    }
};

TEST_F(BlimpTest, SetUpPutsItFlyingAnywhereAlongItsWorldWithEitherNose) {
    Spread x, y;
    int nose_left = 0, nose_right = 0;
    for (int stage = 1; stage <= 200; ++stage) {
        world.blimp.set_up_for_stage();
        EXPECT_EQ(world.blimp.state, BlimpState::kFlying);
        EXPECT_EQ(world.blimp.puff_frame, 0);
        EXPECT_EQ(world.blimp.puff_timer, 0);
        (world.blimp.nose == Facing::kLeft ? nose_left : nose_right) += 1;
        x.add(world.blimp.x);
        y.add(world.blimp.y);
    }
    EXPECT_TRUE(spreads_over(x, -6000.0, 6640.0));
    EXPECT_TRUE(spreads_over(y, 125.0, 299.0));
    EXPECT_GT(nose_left, 50);
    EXPECT_GT(nose_right, 50);
    EXPECT_FALSE(anything_drawn());
}

TEST_F(BlimpTest, ApproachFrom6000TakesFramesAt2PerFrame) {
    fly_at(6000);
    int frames = 0;
    while (pixel(std::min(world.blimp.x, 639), world.blimp.y) == 0 && frames < 4000) {
        world.blimp.update(world);
        ++frames;
    }
    EXPECT_EQ(frames, 2711);
    EXPECT_EQ(world.blimp.x, 578);
    EXPECT_EQ(pixel(578, 200), sprite_colour(sprite_frame::kBlimpNoseLeft));
}

TEST_F(BlimpTest, WrapsAndShowsOnlyInsideItsBand) {
    fly_at(6639);
    world.mountains.scroll_speed = 4;
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.x, -6000);
    fly_at(-5999);
    world.mountains.scroll_speed = -4;
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.x, 6640);
    EXPECT_FALSE(anything_drawn());

    for (const int at : {60, 580, 62, 578}) {
        SCOPED_TRACE(at);
        const bool inside = at == 62 || at == 578;
        clear_world(world);
        clear_screen();
        world.player.score = 0;
        fly_at(at + 2);
        add_shot(world, at, 200);
        world.blimp.update(world);
        EXPECT_EQ(anything_drawn(), inside);
        EXPECT_EQ(world.player.score, inside ? 250 : 0);
    }
}

TEST_F(BlimpTest, ShotPaysAndPuncturesItEachOverlappingShotAgain) {
    world.player.level = 2;
    fly_at(302, Facing::kLeft);
    add_shot(world, 300, 200);
    world.blimp.update(world);
    EXPECT_EQ(world.player.score, 500);
    EXPECT_EQ(world.blimp.state, BlimpState::kHit);
    EXPECT_EQ(world.blimp.frame(), blimp_frame::kHitNoseLeft);
    EXPECT_EQ(points_texts(world), std::vector<std::string>{"+500"});
    world.points_popups.for_each([&](const PointsPopup& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    EXPECT_TRUE(world.shots.empty());
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"blimphit"});

    // A second shot of the same walk is tested against the switched frame.
    clear_world(world);
    fly_at(302, Facing::kRight);
    add_shot(world, 300, 200);
    add_shot(world, 306, 204);
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.frame(), blimp_frame::kHitNoseRight);
    EXPECT_EQ(world.player.score, 1500);
    EXPECT_EQ(world.points_popups.count(), 2);
}

TEST_F(BlimpTest, HitBlimpDriftsOffDeflatingAndIsGone) {
    world.blimp.state = BlimpState::kHit;
    world.blimp.nose = Facing::kLeft;
    world.blimp.x = 300;
    world.blimp.y = 200;
    int frames = 0;
    std::vector<std::uint32_t> shown;
    while (world.blimp.state == BlimpState::kHit && frames < 400) {
        clear_screen();
        world.blimp.update(world);
        ++frames;
        shown.push_back(pixel(std::min(world.blimp.x, 639), 200));
    }
    EXPECT_EQ(frames, 141);
    EXPECT_EQ(world.blimp.x, 582);
    EXPECT_EQ(world.blimp.state, BlimpState::kGone);
    // Drawn also in its last frame, the gas puff alternating every 5 frames.
    for (int i = 0; i < frames; ++i) {
        EXPECT_EQ(shown[i], blimp_colour(blimp_frame::kHitNoseLeft + (i / 5) % 2)) << i;
    }

    clear_screen();
    world.blimp.update(world);
    EXPECT_FALSE(anything_drawn());
    EXPECT_EQ(world.blimp.x, 582);

    // Nose right: blown to the left.
    world.blimp.state = BlimpState::kHit;
    world.blimp.nose = Facing::kRight;
    world.blimp.x = 300;
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.x, 298);
    EXPECT_EQ(pixel(298, 200), blimp_colour(blimp_frame::kHitNoseRight));
}

TEST_F(BlimpTest, RammingCostsALifeWithoutPoints) {
    fly_at(300, Facing::kRight);
    place_plane(world, 300.0f, 200.0f);
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.state, BlimpState::kHit);
    EXPECT_EQ(world.blimp.frame(), blimp_frame::kHitNoseRight);
    EXPECT_EQ(world.flow.state, GameState::kDying);
    EXPECT_EQ(world.player.lives, 2);
    EXPECT_EQ(world.player.score, 0);
    EXPECT_TRUE(world.points_popups.empty());

    clear_world(world);
    world.flow.state = GameState::kStage;
    world.player.invulnerable_frames = 5;
    fly_at(300, Facing::kLeft);
    place_plane(world, 300.0f, 200.0f);
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.state, BlimpState::kFlying);
    EXPECT_EQ(world.flow.state, GameState::kStage);
    add_shot(world, 300, 200);
    world.blimp.update(world);
    EXPECT_EQ(world.blimp.state, BlimpState::kHit);
    EXPECT_EQ(world.player.score, 250);
}

// ---------------------------------------------------------------- pay per stage

TEST_F(EnemyTest, StageThreePaysAndCharges) {
    world.player.level = 3;
    world.player.score = 1000;
    add_enemy(world, 304.0f, 200, 0.0f, kNoseLeft);
    add_shot(world, 300, 200);
    EnemyPlane::update_all(world);
    EXPECT_EQ(world.player.score, 1045);

    world.blimp.state = BlimpState::kFlying;
    world.blimp.x = 302;
    world.blimp.y = 200;
    world.blimp.nose = Facing::kLeft;
    add_shot(world, 300, 200);
    world.blimp.update(world);
    EXPECT_EQ(world.player.score, 1795);

    add_balloon(world, 304, 200.0f);
    add_shot(world, 300, 200);
    Balloon::update_all(world);
    EXPECT_EQ(world.player.score, 1345);
    EXPECT_EQ(points_texts(world), (std::vector<std::string>{"+45", "+750", "-450"}));
}

}  // namespace
}  // namespace enemies_test
