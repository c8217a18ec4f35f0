// Enemy biplanes, balloons and the blimp: creation, motion, wraps, the visible
// bands, hits, rammings and what they pay.
#include <memory>
#include <string>
#include <vector>

#include "enemies/world_fixture.h"
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

namespace enemies_test {
namespace {

using Sounds = std::vector<std::string>;

ebplane_tag& add_enemy(float x, int y, float spd, int dir) {
    auto enemy = std::make_unique<ebplane_tag>();
    enemy->x = x;
    enemy->y = y;
    enemy->spd = spd;
    enemy->dir = dir;
    return ebplane_list.add_last(std::move(enemy));
}

balloon_tag& add_balloon(int x, float y, float dir = -0.2f) {
    auto balloon = std::make_unique<balloon_tag>();
    balloon->x = x;
    balloon->y = y;
    balloon->dir = dir;
    return balloon_list.add_last(std::move(balloon));
}

pshot_tag& add_shot(int x, int y) {
    auto shot = std::make_unique<pshot_tag>();
    shot->x = x;
    shot->y = y;
    shot->spd = 8;
    return pshot_list.add_last(std::move(shot));
}

void place_plane(float x, float y) {
    player.x = x;
    player.y = y;
}

std::vector<int> particle_frames() {
    std::vector<int> frames;
    particle_list.for_each([&](const particle_tag& p) { frames.push_back(p.frame); });
    return frames;
}

std::vector<std::string> points_texts() {
    std::vector<std::string> texts;
    points_list.for_each([&](const points_tag& p) { texts.push_back(p.amnt); });
    return texts;
}

// ---------------------------------------------------------------- enemy biplanes

using EnemyTest = WorldTest;

TEST_F(EnemyTest, CreationDrawsHeightPlaceNoseAndSpeedInThatOrder) {
    enemies_per_stage = 4;
    svc::seed_random(77);
    ebplane_tag::create_em();
    ASSERT_EQ(ebplane_list.count(), 4);

    svc::seed_random(77);
    ebplane_list.for_each([](const ebplane_tag& e) {
        const int y = static_cast<int>(svc::rnd(125.0, 300.0));
        const float x = static_cast<float>(svc::rnd(-2000.0, 2640.0));
        const int dir = static_cast<int>(svc::rnd(12.0, 14.0));
        const float spd = static_cast<float>(dir == 12 ? svc::rnd(-0.5, -3.5) : svc::rnd(0.5, 3.5));
        EXPECT_EQ(e.y, y);
        EXPECT_EQ(e.x, x);
        EXPECT_EQ(e.dir, dir);
        EXPECT_EQ(e.spd, spd);
    });
}

TEST_F(EnemyTest, ScreenSpeedsLieAgainstThePlanesFacing) {
    enemies_per_stage = 400;
    ebplane_tag::create_em();
    int nose_left = 0;
    ebplane_list.for_each([&](const ebplane_tag& e) {
        EXPECT_GE(e.y, 125);
        EXPECT_LE(e.y, 299);
        ASSERT_TRUE(e.dir == 12 || e.dir == 13);
        if (e.dir == 12) {
            ++nose_left;
            EXPECT_GE(e.spd, -3.5f);
            EXPECT_LT(e.spd, -0.5f);
        } else {
            EXPECT_GE(e.spd, 0.5f);
            EXPECT_LT(e.spd, 3.5f);
        }
    });
    EXPECT_GT(nose_left, 150);
    EXPECT_LT(nose_left, 250);

    // Park them in a quiet part of the world, then measure one frame per facing.
    ebplane_list.enumerate([](ebplane_tag& e) { e.x = 1000.0f; });
    for (int mspd : {-4, 4}) {
        mountains.mspd = mspd;
        ebplane_tag::update_all();
        ebplane_list.for_each([&](const ebplane_tag& e) {
            const float moved = e.x - 1000.0f;
            const bool flies_right = e.dir == 13;
            const float low =
                mspd < 0 ? (flies_right ? -3.5f : -7.5f) : (flies_right ? 4.5f : 0.5f);
            EXPECT_GE(moved, low - 1e-3f);
            EXPECT_LT(moved, low + 3.0f + 1e-3f);
        });
        ebplane_list.enumerate([](ebplane_tag& e) { e.x = 1000.0f; });
    }

    ebplane_tag::destroy_all();
    ebplane_tag& right = add_enemy(1000.0f, 200, 2.0f, 13);
    ebplane_tag& left = add_enemy(1000.0f, 200, -2.0f, 12);
    mountains.mspd = -4;
    ebplane_tag::update_all();
    EXPECT_EQ(right.x, 998.0f);
    EXPECT_EQ(left.x, 994.0f);
    mountains.mspd = 4;
    ebplane_tag::update_all();
    EXPECT_EQ(right.x, 1004.0f);
    EXPECT_EQ(left.x, 996.0f);
}

TEST_F(EnemyTest, WrapsWithinTheLongWorldBeforeDrawing) {
    ebplane_tag& past_right = add_enemy(2638.0f, 200, 0.0f, 13);
    ebplane_tag& at_right = add_enemy(2636.0f, 200, 0.0f, 13);
    mountains.mspd = 4;
    ebplane_tag::update_all();
    EXPECT_EQ(past_right.x, -2000.0f);
    EXPECT_EQ(at_right.x, 2640.0f);

    ebplane_tag::destroy_all();
    ebplane_tag& past_left = add_enemy(-1997.5f, 200, 0.0f, 12);
    ebplane_tag& at_left = add_enemy(-1996.0f, 200, 0.0f, 12);
    mountains.mspd = -4;
    ebplane_tag::update_all();
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
        clear_world();
        clear_screen();
        player.score = 0;
        add_enemy(c.arrives_at + 4.0f, 200, 0.0f, 13);
        add_shot(static_cast<int>(c.arrives_at), 200);
        ebplane_tag::update_all();
        EXPECT_EQ(anything_drawn(), c.inside);
        EXPECT_EQ(pshot_list.count(), c.inside ? 0 : 1);
        EXPECT_EQ(ebplane_list.count(), c.inside ? 0 : 1);
        EXPECT_EQ(player.score, c.inside ? 15 : 0);
    }
}

TEST_F(EnemyTest, ShotDownPaysAndLeavesExplosionDebrisAndPoints) {
    player.level = 3;
    add_enemy(304.7f, 200, 0.0f, 12);
    add_shot(300, 200);
    ebplane_tag::update_all();

    EXPECT_EQ(player.score, 45);
    EXPECT_TRUE(ebplane_list.empty());
    EXPECT_TRUE(pshot_list.empty());
    EXPECT_EQ(live_enemies, 1);
    EXPECT_EQ(points_texts(), std::vector<std::string>{"+45"});
    points_list.for_each([](const points_tag& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    ASSERT_EQ(explode_list.count(), 1);
    explode_list.for_each([](const explode_tag& e) {
        EXPECT_EQ(e.x, 300.7f);
        EXPECT_EQ(e.y, 200.0f);
        EXPECT_EQ(e.scale, 1.0f);
    });
    EXPECT_EQ(particle_frames(), (std::vector<int>{16, 17}));
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"explode"});
    EXPECT_EQ(pixel(300, 200), sprite_colour(12));

    // An enemy with its nose right leaves the other pieces.
    particle_tag::destroy_all();
    add_enemy(304.0f, 200, 0.0f, 13);
    add_shot(300, 200);
    ebplane_tag::update_all();
    EXPECT_EQ(particle_frames(), (std::vector<int>{18, 19}));
    EXPECT_EQ(player.score, 90);
}

TEST_F(EnemyTest, EveryShotOverlappingInOneWalkScores) {
    add_enemy(304.0f, 200, 0.0f, 13);
    add_shot(300, 200);
    add_shot(310, 205);
    add_shot(500, 200);  // far off: no hit
    ebplane_tag::update_all();
    EXPECT_EQ(player.score, 30);
    EXPECT_EQ(pshot_list.count(), 1);
    EXPECT_EQ(points_list.count(), 2);
    EXPECT_EQ(explode_list.count(), 2);
    EXPECT_EQ(particle_list.count(), 4);
    EXPECT_EQ(svc::take_started_sounds(), (Sounds{"explode", "explode"}));
    EXPECT_TRUE(ebplane_list.empty());
}

TEST_F(EnemyTest, RammingCostsALifeAndSparesOnlyTheFirstEnemy) {
    add_enemy(1000.0f, 200, 0.0f, 12);
    add_enemy(304.0f, 200, 0.0f, 12);
    place_plane(310.0f, 205.0f);
    ebplane_tag::update_all();
    EXPECT_EQ(ebplane_list.count(), 1);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(player.score, 0);
    EXPECT_TRUE(points_list.empty());
    // The enemy's explosion and two pieces, then the plane's larger one and four.
    EXPECT_EQ(explode_list.count(), 2);
    EXPECT_EQ(particle_list.count(), 6);

    clear_world();
    game_state = state::kStage;
    ebplane_tag& first = add_enemy(304.0f, 200, 0.0f, 12);
    add_enemy(1000.0f, 200, 0.0f, 12);
    place_plane(310.0f, 205.0f);
    ebplane_tag::update_all();
    EXPECT_EQ(ebplane_list.count(), 2);
    EXPECT_EQ(ebplane_list.first(), &first);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_EQ(player.lives, 1);
}

TEST_F(EnemyTest, InvulnerablePlanePassesThroughButItsShotsStillHit) {
    safe_timer = 17;
    add_enemy(304.0f, 200, 0.0f, 12);
    add_enemy(1000.0f, 200, 0.0f, 12);
    place_plane(300.0f, 200.0f);
    ebplane_tag::update_all();
    EXPECT_EQ(game_state, state::kStage);
    EXPECT_EQ(ebplane_list.count(), 2);

    add_shot(300, 200);
    ebplane_tag::update_all();
    EXPECT_EQ(player.score, 15);
    EXPECT_EQ(game_state, state::kStage);
}

TEST_F(EnemyTest, EnemyShotWhileTouchingThePlaneStillKillsIt) {
    add_enemy(304.0f, 200, 0.0f, 12);
    place_plane(300.0f, 200.0f);
    add_shot(300, 200);
    ebplane_tag::update_all();
    EXPECT_EQ(player.score, 15);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_EQ(player.lives, 2);
    EXPECT_TRUE(ebplane_list.empty());
    EXPECT_EQ(explode_list.count(), 3);  // shot down, rammed, the plane
}

// ---------------------------------------------------------------- end of a stage

using StageEndTest = WorldTest;

TEST_F(StageEndTest, LastEnemyShotInPlayEndsTheStageOneWalkLater) {
    start_engine_loop();
    ASSERT_NE(svc::channel_playing(engine_channel), 0);
    phase_timer = 9;
    add_enemy(304.0f, 200, 0.0f, 12);
    add_shot(300, 200);
    ebplane_tag::update_all();
    EXPECT_TRUE(ebplane_list.empty());
    EXPECT_EQ(stage_phase, phase::kPlay);
    EXPECT_EQ(phase_timer, 9);

    svc::take_started_sounds();
    ebplane_tag::update_all();
    EXPECT_EQ(stage_phase, phase::kClear);
    EXPECT_EQ(phase_timer, 0);
    EXPECT_EQ(svc::channel_playing(engine_channel), 0);
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"endstage"});
}

TEST_F(StageEndTest, EmptyListDuringTheDeathSequenceChangesNothing) {
    game_state = state::kDying;
    stage_phase = phase::kPlay;
    phase_timer = 0;
    for (int frame = 1; frame <= 250; ++frame) wreck_step();
    EXPECT_EQ(phase_timer, 250);
    EXPECT_EQ(stage_phase, phase::kPlay);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_TRUE(svc::take_started_sounds().empty());

    // Struck by a mountain during the stage-clear phase: the same.
    stage_phase = phase::kClear;
    phase_timer = 40;
    ebplane_tag::update_all();
    EXPECT_EQ(phase_timer, 40);
    EXPECT_EQ(stage_phase, phase::kClear);
}

// ---------------------------------------------------------------- balloons

using BalloonTest = WorldTest;

TEST_F(BalloonTest, CreationDrawsHeightThenPlaceAndStartsRising) {
    balloons_per_stage = 3;
    svc::seed_random(5);
    balloon_tag::create_em();
    ASSERT_EQ(balloon_list.count(), 3);
    svc::seed_random(5);
    balloon_list.for_each([](const balloon_tag& b) {
        const float y = static_cast<float>(svc::rnd(125.0, 300.0));
        const int x = static_cast<int>(svc::rnd(-2000.0, 2640.0));
        EXPECT_EQ(b.y, y);
        EXPECT_EQ(b.x, x);
        EXPECT_EQ(b.dir, -0.2f);
    });
}

TEST_F(BalloonTest, BobsBetweenItsTwoHeights) {
    balloon_tag& top = add_balloon(1000, 125.1f, -0.2f);
    balloon_tag& bottom = add_balloon(1000, 299.9f, 0.2f);
    balloon_tag::update_all();
    EXPECT_EQ(top.y, 125.0f);
    EXPECT_EQ(top.dir, 0.2f);
    EXPECT_EQ(bottom.y, 300.0f);
    EXPECT_EQ(bottom.dir, -0.2f);

    // A whole cycle from the bottom: up to 125, down to 300, about 875 frames a way.
    balloon_tag::destroy_all();
    balloon_tag& b = add_balloon(1000, 300.0f, -0.2f);
    float lowest = 300.0f, highest = 0.0f;
    int turn_at_top = 0, turn_at_bottom = 0;
    for (int frame = 1; frame <= 1800 && turn_at_bottom == 0; ++frame) {
        const float before = b.dir;
        balloon_tag::update_all();
        lowest = std::min(lowest, b.y);
        highest = std::max(highest, b.y);
        if (before < 0 && b.dir > 0) turn_at_top = frame;
        if (before > 0 && b.dir < 0) turn_at_bottom = frame;
    }
    EXPECT_EQ(lowest, 125.0f);
    EXPECT_EQ(highest, 300.0f);
    EXPECT_NEAR(turn_at_top, 875, 1);
    EXPECT_NEAR(turn_at_bottom - turn_at_top, 875, 1);
}

TEST_F(BalloonTest, WrapsAndShowsOnlyInsideItsBand) {
    balloon_tag& past_right = add_balloon(2638, 200.0f);
    balloon_tag& at_right = add_balloon(2636, 200.0f);
    mountains.mspd = 4;
    balloon_tag::update_all();
    EXPECT_EQ(past_right.x, -2000);
    EXPECT_EQ(at_right.x, 2640);
    balloon_tag::destroy_all();
    balloon_tag& past_left = add_balloon(-1998, 200.0f);
    mountains.mspd = -4;
    balloon_tag::update_all();
    EXPECT_EQ(past_left.x, 2640);
    EXPECT_FALSE(anything_drawn());

    for (const int at : {80, 560, 81, 559}) {
        SCOPED_TRACE(at);
        const bool inside = at != 80 && at != 560;
        clear_world();
        clear_screen();
        player.score = 1000;
        add_balloon(at + 4, 200.0f);
        add_shot(at, 200);
        balloon_tag::update_all();
        EXPECT_EQ(anything_drawn(), inside);
        EXPECT_EQ(player.score, inside ? 850 : 1000);
    }
}

TEST_F(BalloonTest, PopCostsPointsNeverBelowZero) {
    player.score = 1000;
    add_balloon(304, 200.7f, -0.2f);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 850);
    EXPECT_TRUE(balloon_list.empty());
    EXPECT_TRUE(pshot_list.empty());
    EXPECT_EQ(points_texts(), std::vector<std::string>{"-150"});
    points_list.for_each([](const points_tag& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    ASSERT_EQ(bpop_list.count(), 1);
    bpop_list.for_each([](const bpop_tag& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
        EXPECT_EQ(p.alpha, 1.0f);
    });
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"balloonpop"});

    clear_world();
    player.score = 100;
    add_balloon(304, 200.0f);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(points_texts(), std::vector<std::string>{"-150"});

    clear_world();
    player.level = 2;
    player.score = 1000;
    add_balloon(304, 200.0f);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 700);
}

TEST_F(BalloonTest, ShotWhileTouchingThePlaneCostsTwice) {
    player.score = 1000;
    place_plane(300.0f, 200.0f);
    add_balloon(304, 200.0f);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 700);
    EXPECT_EQ(bpop_list.count(), 2);
    EXPECT_EQ(points_list.count(), 2);
    EXPECT_EQ(game_state, state::kStage);  // the plane flies on
    EXPECT_EQ(player.lives, 3);
}

TEST_F(BalloonTest, TouchIsHarmlessWhileInvulnerableButShotsStillCost) {
    safe_timer = 100;
    player.score = 1000;
    place_plane(300.0f, 200.0f);
    add_balloon(304, 200.0f);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 1000);
    EXPECT_EQ(balloon_list.count(), 1);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 850);
    EXPECT_TRUE(balloon_list.empty());
}

// ---------------------------------------------------------------- blimp

class BlimpTest : public WorldTest {
  protected:
    void fly_at(int x, int frame = 10) {
        blimp_state = 1;
        blimp_x = x;
        blimp_y = 200;
        blimp_frame = frame;
    }
};

TEST_F(BlimpTest, SetUpDrawsNoseHeightAndPlaceInThatOrder) {
    svc::seed_random(99);
    blimp_update(1);
    svc::seed_random(99);
    const int frame = static_cast<int>(svc::rnd(10.0, 12.0));
    const int y = static_cast<int>(svc::rnd(125.0, 300.0));
    const int x = static_cast<int>(svc::rnd(-6000.0, 6640.0));
    EXPECT_EQ(blimp_state, 1);
    EXPECT_EQ(blimp_frame, frame);
    EXPECT_EQ(blimp_y, y);
    EXPECT_EQ(blimp_x, x);
    EXPECT_EQ(blimp_anim, 0);
    EXPECT_EQ(blimp_anim_tmr, 0);
    EXPECT_FALSE(anything_drawn());
}

TEST_F(BlimpTest, ApproachFrom6000TakesFramesAt2PerFrame) {
    fly_at(6000);
    int frames = 0;
    while (pixel(std::min(blimp_x, 639), blimp_y) == 0 && frames < 4000) {
        blimp_update(0);
        ++frames;
    }
    EXPECT_EQ(frames, 2711);
    EXPECT_EQ(blimp_x, 578);
    EXPECT_EQ(pixel(578, 200), sprite_colour(10));
}

TEST_F(BlimpTest, WrapsAndShowsOnlyInsideItsBand) {
    fly_at(6639);
    mountains.mspd = 4;
    blimp_update(0);
    EXPECT_EQ(blimp_x, -6000);
    fly_at(-5999);
    mountains.mspd = -4;
    blimp_update(0);
    EXPECT_EQ(blimp_x, 6640);
    EXPECT_FALSE(anything_drawn());

    for (const int at : {60, 580, 62, 578}) {
        SCOPED_TRACE(at);
        const bool inside = at == 62 || at == 578;
        clear_world();
        clear_screen();
        player.score = 0;
        fly_at(at + 2);
        add_shot(at, 200);
        blimp_update(0);
        EXPECT_EQ(anything_drawn(), inside);
        EXPECT_EQ(player.score, inside ? 250 : 0);
    }
}

TEST_F(BlimpTest, ShotPaysAndPuncturesItEachOverlappingShotAgain) {
    player.level = 2;
    fly_at(302, 10);
    add_shot(300, 200);
    blimp_update(0);
    EXPECT_EQ(player.score, 500);
    EXPECT_EQ(blimp_state, 0);
    EXPECT_EQ(blimp_frame, 0);
    EXPECT_EQ(points_texts(), std::vector<std::string>{"+500"});
    points_list.for_each([](const points_tag& p) {
        EXPECT_EQ(p.x, 300);
        EXPECT_EQ(p.y, 200);
    });
    EXPECT_TRUE(pshot_list.empty());
    EXPECT_EQ(svc::take_started_sounds(), Sounds{"blimphit"});

    // A second shot of the same walk is tested against the switched frame.
    clear_world();
    fly_at(302, 11);
    add_shot(300, 200);
    add_shot(306, 204);
    blimp_update(0);
    EXPECT_EQ(blimp_frame, 2);
    EXPECT_EQ(player.score, 1500);
    EXPECT_EQ(points_list.count(), 2);
}

TEST_F(BlimpTest, HitBlimpDriftsOffDeflatingAndIsGone) {
    blimp_state = 0;
    blimp_frame = 0;
    blimp_x = 300;
    blimp_y = 200;
    int frames = 0;
    std::vector<std::uint32_t> shown;
    while (blimp_state == 0 && frames < 400) {
        clear_screen();
        blimp_update(0);
        ++frames;
        shown.push_back(pixel(std::min(blimp_x, 639), 200));
    }
    EXPECT_EQ(frames, 141);
    EXPECT_EQ(blimp_x, 582);
    EXPECT_EQ(blimp_state, 2);
    // Drawn also in its last frame, the gas puff alternating every 5 frames.
    for (int i = 0; i < frames; ++i) EXPECT_EQ(shown[i], blimp_colour((i / 5) % 2)) << i;

    clear_screen();
    blimp_update(0);
    EXPECT_FALSE(anything_drawn());
    EXPECT_EQ(blimp_x, 582);

    // Nose right: blown to the left.
    blimp_state = 0;
    blimp_frame = 2;
    blimp_x = 300;
    blimp_update(0);
    EXPECT_EQ(blimp_x, 298);
    EXPECT_EQ(pixel(298, 200), blimp_colour(2));
}

TEST_F(BlimpTest, RammingCostsALifeWithoutPoints) {
    fly_at(300, 11);
    place_plane(300.0f, 200.0f);
    blimp_update(0);
    EXPECT_EQ(blimp_state, 0);
    EXPECT_EQ(blimp_frame, 2);
    EXPECT_EQ(game_state, state::kDying);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(player.score, 0);
    EXPECT_TRUE(points_list.empty());

    clear_world();
    game_state = state::kStage;
    safe_timer = 5;
    fly_at(300, 10);
    place_plane(300.0f, 200.0f);
    blimp_update(0);
    EXPECT_EQ(blimp_state, 1);
    EXPECT_EQ(game_state, state::kStage);
    add_shot(300, 200);
    blimp_update(0);
    EXPECT_EQ(blimp_state, 0);
    EXPECT_EQ(player.score, 250);
}

// ---------------------------------------------------------------- pay per stage

TEST_F(EnemyTest, StageThreePaysAndCharges) {
    player.level = 3;
    player.score = 1000;
    add_enemy(304.0f, 200, 0.0f, 12);
    add_shot(300, 200);
    ebplane_tag::update_all();
    EXPECT_EQ(player.score, 1045);

    blimp_state = 1;
    blimp_x = 302;
    blimp_y = 200;
    blimp_frame = 10;
    add_shot(300, 200);
    blimp_update(0);
    EXPECT_EQ(player.score, 1795);

    add_balloon(304, 200.0f);
    add_shot(300, 200);
    balloon_tag::update_all();
    EXPECT_EQ(player.score, 1345);
    EXPECT_EQ(points_texts(), (std::vector<std::string>{"+45", "+750", "-450"}));
}

}  // namespace
}  // namespace enemies_test
