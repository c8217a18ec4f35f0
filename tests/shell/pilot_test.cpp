// A pilot that plays the real game through the harness: it turns towards the
// nearest enemy, climbs or dives to its height, fires when level with it and
// dodges what comes too close. Several stages are played and their scores,
// clears and deaths checked against the rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "headless/harness.h"
#include "pilot/pilot.h"
#include "services/input.h"
#include "shell/menus.h"
#include "support/scratch_dir.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/world.h"

namespace shell_test {
namespace {

// What a frame of the run shows, for choosing pictures to look at.
struct Busy {
    int flip = 0;
    int explosions = 0, smoke = 0, pops = 0, points = 0;
    BlimpState blimp = BlimpState::kGone;
};

struct Clear {
    int level, score_before, score_after, flip;
};

struct RunRecord {
    std::vector<Clear> clears;
    int deaths = 0;
    int lowest_score = 0;
    int highest_level = 0;
    int game_overs = 0;
    std::vector<Busy> busy;
};

constexpr int kSeed = 31;
constexpr int kFrames = 12000;

RunRecord play(int frames, const std::string& shot_dir) {
    const test_support::GameWorkingDir scratch;
    harness::Options options;
    options.seed = kSeed;
    options.frames = frames;
    pilot::Pilot pilot{pilot::Style{.lowest_aim = std::nullopt, .dodges = true}};
    RunRecord record;
    bool started = false;
    int previous_level = 0, previous_lives = 0, score_at_clear_start = 0;
    harness::run(options, [&](const harness::FlipInfo& info) {
        World& world = *info.world;
        if (world.flow.state == GameState::kTitle) {
            if (started) ++record.game_overs;
            started = false;
            svc::input_state().mouse_move(kParkedPointerX, kParkedPointerY);
            svc::input_state().mouse_button(1, true);
            svc::input_state().mouse_button(1, false);
            return;
        }
        if (world.flow.state == GameState::kStage && !started) {
            started = true;
            previous_level = world.player.level;
            previous_lives = world.player.lives;
        }
        if (!started) return;
        record.lowest_score = std::min(record.lowest_score, world.player.score);
        record.highest_level = std::max(record.highest_level, world.player.level);
        if (world.flow.state == GameState::kStage && world.flow.phase == StagePhase::kClear &&
            world.flow.phase_timer == 0)
            score_at_clear_start = world.player.score;
        if (world.player.level != previous_level && world.flow.state == GameState::kStage) {
            record.clears.push_back(
                {previous_level, score_at_clear_start, world.player.score, info.flip});
            previous_level = world.player.level;
        }
        if (world.player.lives < previous_lives) ++record.deaths;
        previous_lives = world.player.lives;

        if (world.flow.state == GameState::kStage || world.flow.state == GameState::kDying) {
            const Busy b{info.flip,
                         world.explosions.count(),
                         world.smoke.count(),
                         world.balloon_pops.count(),
                         world.points_popups.count(),
                         world.blimp.state};
            if (b.explosions + b.pops > 0 || b.blimp == BlimpState::kHit) record.busy.push_back(b);
            const bool wanted = b.explosions > 0 && b.smoke > 2 && b.points > 0;
            if (!shot_dir.empty() && (wanted || b.pops > 0 || b.blimp == BlimpState::kHit) &&
                info.flip % 20 == 0) {
                harness::write_png(shot_dir + "/flip" + std::to_string(info.flip) + ".png",
                                   info.pixels, info.width, info.height);
            }
        }
        pilot.fly(world);
    });
    return record;
}

TEST(PilotTest, PlaysSeveralStagesByTheRules) {
    const char* shots = std::getenv("SCRIBBLE_PILOT_SHOTS");
    const RunRecord run = play(kFrames, shots ? shots : "");

    EXPECT_GE(run.highest_level, 3);
    EXPECT_GE(run.clears.size(), 2u);
    EXPECT_EQ(run.lowest_score, 0);
    for (const Clear& c : run.clears) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(c.score_after - c.score_before, 500 * c.level);
    }
    EXPECT_GT(run.deaths, 0);
    std::printf("pilot: reached stage %d, %zu clears, %d deaths, %d game overs\n",
                run.highest_level, run.clears.size(), run.deaths, run.game_overs);
    for (const Clear& c : run.clears)
        std::printf("  stage %d cleared, next at flip %d\n", c.level, c.flip);
    int first_pop = 0, first_blimp_hit = 0;
    for (const Busy& b : run.busy) {
        if (b.pops > 0 && first_pop == 0) first_pop = b.flip;
        if (b.blimp == BlimpState::kHit && first_blimp_hit == 0) first_blimp_hit = b.flip;
    }
    std::printf("  first pop at flip %d, first blimp hit at flip %d\n", first_pop, first_blimp_hit);
}

}  // namespace
}  // namespace shell_test
