// The real game, run in-process on the headless back end with a fixed seed:
// the fly-in, a turn, deaths leading to a retry or to game over, and the end of
// a stage meeting a death. A per-flip observer plays the pilot and records.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "headless/harness.h"
#include "services/input.h"
#include "shell/menus.h"
#include "support/game/snapshot.h"
#include "support/golden.h"
#include "support/scratch_dir.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/world.h"

namespace {

constexpr int kSeed = 1963;

// Each run plays in a fresh working directory, so that no best score left by
// another run shows in the display or changes the world.pictures.
class WorldFlow : public ::testing::Test {
  private:
    test_support::GameWorkingDir dir_;
};

using test_support::Snapshot;
using test_support::snapshot;

void press(int vk) {
    svc::input_state().key_event(vk, true, false);
}
void release(int vk) {
    svc::input_state().key_event(vk, false, false);
}
void close_window() {
    svc::input_state().request_close();
}

// Runs the game from its start: Space skips the splash, a click on the first
// item of the title menu starts a game, then `pilot` acts after every flip
// until it returns false (the window is then closed).
std::vector<Snapshot> fly(
    const std::function<bool(const harness::FlipInfo&, const Snapshot&)>& pilot,
    int max_flips = 6000) {
    std::vector<Snapshot> log;
    bool started = false;
    harness::Options options;
    options.seed = kSeed;
    options.frames = max_flips;
    options.input_script = "1 key 32 tap\n";
    harness::run(options, [&](const harness::FlipInfo& info) {
        log.push_back(snapshot(info));
        const Snapshot& now = log.back();
        if (!started) {
            if (now.state == GameState::kTitle) {
                svc::input_state().mouse_move(kParkedPointerX, kParkedPointerY);
                svc::input_state().mouse_button(1, true);
                svc::input_state().mouse_button(1, false);
                started = true;
            }
            return;
        }
        if (!pilot(info, now)) close_window();
    });
    return log;
}

bool has_sound(const Snapshot& s, const std::string& name) {
    for (const std::string& n : s.sounds)
        if (n == name) return true;
    return false;
}

// Index of the first snapshot from `from` on that satisfies `pred`, or -1.
int find_from(const std::vector<Snapshot>& log, std::size_t from,
              const std::function<bool(const Snapshot&)>& pred) {
    for (std::size_t i = from; i < log.size(); ++i)
        if (pred(log[i])) return static_cast<int>(i);
    return -1;
}

// Checks one death sequence that begins at log[death]: the frame of the death
// shows timer 0, then 249 more frames of the sequence count up without a
// restart and without the stage-end sound. Returns the index after it.
int expect_full_death_sequence(const std::vector<Snapshot>& log, int death) {
    for (int k = 0; k < 250; ++k) {
        const Snapshot& s = log.at(death + k);
        EXPECT_EQ(s.state, GameState::kDying) << "flip " << s.flip;
        EXPECT_EQ(s.timer, k) << "flip " << s.flip;
        EXPECT_FALSE(has_sound(s, "endstage")) << "flip " << s.flip;
    }
    return death + 250;
}

TEST_F(WorldFlow, FlyInTakes121FramesAndATurnSlidesThePlaneRightAsInItsGolden) {
    int play_from = -1;
    std::vector<std::uint32_t> turned;
    const auto log = fly([&](const harness::FlipInfo& info, const Snapshot& now) {
        if (now.state != GameState::kStage) return true;
        if (play_from < 0 && now.phase == StagePhase::kPlay) {
            play_from = now.flip;
            press(svc::vk::kLeft);
        }
        if (play_from > 0 && now.flip == play_from + 1) release(svc::vk::kLeft);
        // Play frame 48: the slide is over and the blinking plane is shown.
        if (play_from > 0 && now.flip == play_from + 48) {
            turned.assign(info.pixels, info.pixels + info.width * info.height);
            return false;
        }
        return true;
    });
    const int start =
        find_from(log, 0, [](const Snapshot& s) { return s.state == GameState::kStage; });
    ASSERT_GE(start, 0);
    EXPECT_EQ(log[start].x, 80.0f);
    EXPECT_TRUE(has_sound(log[start], "startstage"));
    for (int k = 1; k <= 120; ++k) {
        EXPECT_EQ(log[start + k].phase, StagePhase::kFlyIn) << "fly-in frame " << k;
        EXPECT_EQ(log[start + k].x, 80.0f + static_cast<float>(k)) << "fly-in frame " << k;
    }
    EXPECT_EQ(log[start + 121].phase, StagePhase::kPlay);
    EXPECT_EQ(log[start + 121].x, 200.0f);

    const int turn = start + 122;
    EXPECT_EQ(log[turn].dir, Facing::kLeft);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(log[turn + k].x, 206.0f + 6.0f * static_cast<float>(k));
    EXPECT_EQ(log[turn + 44].x, 440.0f);

    ASSERT_FALSE(turned.empty());
    EXPECT_TRUE(test_support::matches_golden(turned, "turn_left"));
}

TEST_F(WorldFlow, DivingIntoTheMountainsThreeTimesRetriesTheStageThenEndsTheGame) {
    const auto log = fly([&](const harness::FlipInfo&, const Snapshot& now) {
        if (now.state == GameState::kStage && now.phase == StagePhase::kPlay) press(svc::vk::kDown);
        return now.state != GameState::kTitle;
    });
    std::size_t at = 0;
    for (int life = 3; life >= 1; --life) {
        const int death =
            find_from(log, at, [](const Snapshot& s) { return s.state == GameState::kDying; });
        ASSERT_GE(death, 0) << "no death with " << life << " lives";
        EXPECT_EQ(log[death].lives, life - 1);
        EXPECT_TRUE(has_sound(log[death], "pldeath"));
        EXPECT_EQ(log[death].x, 0.0f);
        const int after = expect_full_death_sequence(log, death);
        const Snapshot& next = log.at(after);
        if (life > 1) {
            EXPECT_EQ(next.state, GameState::kStage);
            EXPECT_EQ(next.phase, StagePhase::kFlyIn);
            EXPECT_EQ(next.level, 1) << "the same stage again";
            EXPECT_EQ(next.x, 80.0f);
            EXPECT_EQ(next.enemies, 10) << "a retry starts the stage in full";
            EXPECT_TRUE(has_sound(next, "startstage"));
        } else {
            EXPECT_EQ(next.state, GameState::kGameOver);
            EXPECT_EQ(next.timer, 0);
            EXPECT_EQ(next.lives, 0);
            for (int k = 1; k < 250; ++k) EXPECT_EQ(log.at(after + k).state, GameState::kGameOver);
            EXPECT_EQ(log.at(after + 250).state, GameState::kTitle);
        }
        at = static_cast<std::size_t>(after);
    }
}

// The stage ends while the plane rests low; a mountain reaches it before the
// bonus. The empty enemy list must not restart the death sequence's count.
TEST_F(WorldFlow, AMountainReachingTheRestingPlaneEndsTheClearInAFullDeathSequence) {
    bool emptied = false;
    bool lowered = false;
    const auto log = fly([&](const harness::FlipInfo& info, const Snapshot& now) {
        World& world = *info.world;
        if (now.state == GameState::kStage && now.phase == StagePhase::kPlay && !emptied) {
            world.enemies.remove_all();
            world.balloons.remove_all();
            world.blimp.state = BlimpState::kGone;
            emptied = true;
        }
        if (now.state == GameState::kStage && now.phase == StagePhase::kClear && !lowered) {
            world.player.y = 432.0f;
            lowered = true;
        }
        return !(now.state == GameState::kStage && now.phase == StagePhase::kFlyIn && lowered);
    });
    const int clear =
        find_from(log, 0, [](const Snapshot& s) { return s.phase == StagePhase::kClear; });
    ASSERT_GE(clear, 0);
    EXPECT_TRUE(has_sound(log[clear], "endstage"));
    EXPECT_EQ(log[clear].timer, 0);
    const int death =
        find_from(log, clear, [](const Snapshot& s) { return s.state == GameState::kDying; });
    ASSERT_GE(death, 0) << "the mountains never reached the plane at y 432";
    EXPECT_LE(log[death].flip - log[clear].flip, 300);
    const int score = log[death].score;
    const int after = expect_full_death_sequence(log, death);
    const Snapshot& next = log.at(after);
    EXPECT_EQ(next.state, GameState::kStage);
    EXPECT_EQ(next.phase, StagePhase::kFlyIn);
    EXPECT_EQ(next.level, 1) << "no advance after a death in the clear";
    EXPECT_EQ(next.score, score) << "no bonus";
    EXPECT_EQ(next.lives, 2);
    EXPECT_EQ(next.enemies, 10);
}

// The last enemy goes while the plane is already down (as a shot still in
// flight would do it): the death sequence runs its 250 frames all the same.
TEST_F(WorldFlow, AnEmptyEnemyListDuringTheDeathSequenceEndsNothing) {
    bool emptied = false;
    const auto log = fly([&](const harness::FlipInfo& info, const Snapshot& now) {
        World& world = *info.world;
        if (now.state == GameState::kStage && now.phase == StagePhase::kPlay) press(svc::vk::kDown);
        if (now.state == GameState::kDying && !emptied) {
            world.enemies.remove_all();
            emptied = true;
        }
        return !(emptied && now.state != GameState::kDying);
    });
    const int death =
        find_from(log, 0, [](const Snapshot& s) { return s.state == GameState::kDying; });
    ASSERT_GE(death, 0);
    const int after = expect_full_death_sequence(log, death);
    EXPECT_EQ(log.at(after).state, GameState::kStage);
    EXPECT_EQ(log.at(after).phase, StagePhase::kFlyIn);
    EXPECT_EQ(log.at(after).enemies, 10);
}

}  // namespace
