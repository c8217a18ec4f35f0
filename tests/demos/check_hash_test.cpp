// The check lines of a demo: each field a format's hash covers changes it on
// its own, format 1's hash stays what players' files were recorded with, and a
// replay that drifts in the random generator or in any entity's position is
// caught at the next check line.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "game/game_state.h"
#include "headless/harness.h"
#include "services/timing.h"
#include "shell/demos.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

namespace {

// One entity of every kind, in play.
void fill_world() {
    reset_world_globals();
    game_state = GameState::kStage;
    stage_phase = StagePhase::kPlay;
    player = Player{.score = 120, .lives = 2, .level = 3, .x = 300.5f, .y = 200.25f};
    enemy_plane_list.add_last(std::make_unique<EnemyPlane>(EnemyPlane{.x = 50.5f, .y = 140}));
    balloon_list.add_last(std::make_unique<Balloon>(Balloon{.x = 70, .y = 150.5f}));
    player_shot_list.add_last(std::make_unique<PlayerShot>(PlayerShot{.x = 90, .y = 160}));
    cloud_list.add_last(std::make_unique<Cloud>(Cloud{.x = 110.5f, .y = 170}));
    debris_list.add_last(std::make_unique<DebrisPiece>(DebrisPiece{.x = 130.5f, .y = 180.5f}));
    smoke_puff_list.add_last(std::make_unique<SmokePuff>(SmokePuff{.x = 150.5f, .y = 190.5f}));
    explosion_list.add_last(std::make_unique<Explosion>(Explosion{.x = 170.5f, .y = 200.5f}));
    balloon_pop_list.add_last(std::make_unique<BalloonPop>(BalloonPop{.x = 190, .y = 210}));
    points_popup_list.add_last(
        std::make_unique<PointsPopup>(PointsPopup{.x = 210, .y = 220, .alpha = 1, .text = "+45"}));
    blimp = Blimp{.x = 230, .y = 230, .state = Blimp::kFlying};
    mountains = Mountains{.mountain1_x = 250, .mountain2_x = 270};
}

template <typename Entity>
void add_one(EntityList<Entity>& list) {
    list.add_last(std::make_unique<Entity>(*list.first()));
}

struct Field {
    const char* name;
    int since;  // the first format whose hash covers it
    std::function<void()> change;
};

TEST(CheckHash, EachFieldAFormatCoversChangesItsHashAlone) {
    const Field fields[] = {
        {"state", 1, [] { game_state = GameState::kPaused; }},
        {"phase", 1, [] { stage_phase = StagePhase::kClear; }},
        {"score", 1, [] { player.score += 5; }},
        {"lives", 1, [] { --player.lives; }},
        {"stage", 1, [] { ++player.level; }},
        {"plane x", 1, [] { player.x += 0.5f; }},
        {"plane y", 1, [] { player.y -= 0.5f; }},
        {"enemies", 1, [] { add_one(enemy_plane_list); }},
        {"balloons", 1, [] { add_one(balloon_list); }},
        {"shots", 1, [] { add_one(player_shot_list); }},
        {"clouds", 1, [] { add_one(cloud_list); }},
        {"debris", 1, [] { add_one(debris_list); }},
        {"smoke", 1, [] { add_one(smoke_puff_list); }},
        {"explosions", 1, [] { add_one(explosion_list); }},
        {"balloon pops", 1, [] { add_one(balloon_pop_list); }},
        {"points texts", 1, [] { add_one(points_popup_list); }},
        {"random state", 2, [] { svc::random_int(0, 9); }},
        {"enemy x", 2, [] { enemy_plane_list.first()->x += 0.5f; }},
        {"enemy y", 2, [] { ++enemy_plane_list.first()->y; }},
        {"balloon x", 2, [] { ++balloon_list.first()->x; }},
        {"balloon y", 2, [] { balloon_list.first()->y += 0.5f; }},
        {"shot x", 2, [] { ++player_shot_list.first()->x; }},
        {"shot y", 2, [] { ++player_shot_list.first()->y; }},
        {"cloud x", 2, [] { cloud_list.first()->x += 0.5f; }},
        {"cloud y", 2, [] { ++cloud_list.first()->y; }},
        {"debris x", 2, [] { debris_list.first()->x += 0.5f; }},
        {"debris y", 2, [] { debris_list.first()->y += 0.5f; }},
        {"smoke x", 2, [] { smoke_puff_list.first()->x += 0.5f; }},
        {"smoke y", 2, [] { smoke_puff_list.first()->y += 0.5f; }},
        {"explosion x", 2, [] { explosion_list.first()->x += 0.5f; }},
        {"explosion y", 2, [] { explosion_list.first()->y += 0.5f; }},
        {"balloon pop x", 2, [] { ++balloon_pop_list.first()->x; }},
        {"balloon pop y", 2, [] { ++balloon_pop_list.first()->y; }},
        {"points text x", 2, [] { ++points_popup_list.first()->x; }},
        {"points text y", 2, [] { ++points_popup_list.first()->y; }},
        {"blimp x", 2, [] { ++blimp.x; }},
        {"blimp y", 2, [] { ++blimp.y; }},
        {"mountain 1", 2, [] { ++mountains.mountain1_x; }},
        {"mountain 2", 2, [] { ++mountains.mountain2_x; }},
    };
    svc::seed_random(7);
    for (const int version : {1, 2}) {
        for (const Field& field : fields) {
            SCOPED_TRACE(std::string(field.name) + ", format " + std::to_string(version));
            fill_world();
            const std::uint32_t before = demo_check_hash(version);
            field.change();
            if (version >= field.since) {
                EXPECT_NE(demo_check_hash(version), before);
            } else {
                EXPECT_EQ(demo_check_hash(version), before) << "format 1 is what players have";
            }
        }
    }
    reset_world_globals();
    reset_game_state();
}

// A game recorded once, replayed with one thing moved right after frame 100 was
// shown (flip 102 of a replay): the check of frame 120 must catch it.
TEST(CheckHash, ARandomStateOrAnEntityMovedIsCaughtAtTheNextCheck) {
    test_support::GameWorkingDir dir;
    harness::Options record;
    record.seed = 9;
    record.frames = 400;
    record.input_script = "1 key escape tap\n5 button 1 click\n70 key lctrl tap\n90 key up down\n";
    record.record_path = dir.file("game.demo");
    ASSERT_EQ(harness::run(record), 0);
    const DemoRead read = read_demo_file(record.record_path);
    ASSERT_TRUE(read.demo) << read.error;
    const Field moves[] = {
        {"nothing", 2, [] {}},
        {"a random number drawn", 2, [] { svc::random_int(0, 9); }},
        {"a cloud", 2, [] { cloud_list.first()->x += 1.0f; }},
        {"an enemy", 2, [] { ++enemy_plane_list.first()->y; }},
        {"a balloon", 2, [] { balloon_list.first()->y += 0.25f; }},
        {"the blimp", 2, [] { --blimp.x; }},
    };
    for (const Field& move : moves) {
        SCOPED_TRACE(move.name);
        harness::Options replay;
        replay.demo = read.demo;
        testing::internal::CaptureStderr();
        const int status = harness::run(std::move(replay), [&](const harness::FlipInfo& info) {
            if (info.flip == 102) move.change();
        });
        const std::string said = testing::internal::GetCapturedStderr();
        if (&move == &moves[0]) {
            EXPECT_EQ(status, 0) << said;
        } else {
            EXPECT_EQ(status, 1);
            EXPECT_EQ(said, "scribble-headless: demo drifts at frame 120\n");
        }
    }
}

// A format 1 file recorded by an earlier build replays with its own checks.
TEST(CheckHash, AFormatOneDemoReplaysWithItsOwnChecks) {
    test_support::GameWorkingDir dir;
    std::string text =
        test_support::read_text(test_support::source_path("fuzz/corpus/demo/short_game.demo"));
    ASSERT_EQ(text.rfind("scribble-squadron demo 1\n", 0), 0u);
    for (const bool edited : {false, true}) {
        if (edited) text.replace(text.find("check 120 6af5181e"), 18, "check 120 6af5181f");
        DemoRead read = parse_demo(text);
        ASSERT_TRUE(read.demo) << read.error;
        harness::Options replay;
        replay.demo = std::move(read.demo);
        testing::internal::CaptureStderr();
        EXPECT_EQ(harness::run(std::move(replay)), edited ? 1 : 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  edited ? "scribble-headless: demo drifts at frame 120\n" : "");
    }
}

}  // namespace
