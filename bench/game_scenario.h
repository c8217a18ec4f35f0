#pragma once
// A game on the headless back end, brought to a chosen moment the same way on
// every run: a fixed seed, the real start-up, then either the title menu or a
// stage played by a scripted pilot. The benchmarks time run_frame() from there,
// so a frame includes the world's update, every draw, the margins, the flip
// (with the virtual clock's wait and the audio mixed for it) and the input.
#include <algorithm>
#include <cmath>
#include <optional>

#include "game/game_state.h"
#include "services/backends/headless/headless_platform.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/timing.h"
#include "shell/game_run.h"
#include "shell/main_loop.h"
#include "shell/startup.h"
#include "world/balloon.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/world.h"

namespace bench {

constexpr int kSeed = 31;

// Turns towards the nearest enemy, matches its height and fires when level
// with it: enough to fill the sky with explosions, debris, smoke and points.
class Pilot {
  public:
    void fly() {
        if (game_state != GameState::kStage || stage_phase != StagePhase::kPlay) {
            hold(svc::vk::kUp, false);
            hold(svc::vk::kDown, false);
            return;
        }
        ++frame_;
        const EnemyPlane* target = nearest_enemy();
        if (!target) return;
        const bool target_left = target->x < player.x;
        if (frame_ - last_turn_ > 45 && target_left != (player.facing == 0)) {
            tap(target_left ? svc::vk::kLeft : svc::vk::kRight);
            last_turn_ = frame_;
        }
        // Low enemies are left alone: the mountains are deadly.
        const float aim = std::min(static_cast<float>(target->y), kLowestAim);
        hold(svc::vk::kUp, aim < player.y - 2.0f);
        hold(svc::vk::kDown, aim > player.y + 2.0f);
        if (std::abs(aim - player.y) < 12.0f && frame_ % 5 == 0) tap(svc::vk::kLeftControl);
    }

  private:
    static const EnemyPlane* nearest_enemy() {
        const EnemyPlane* best = nullptr;
        float best_distance = 1e9f;
        enemy_plane_list.for_each([&](const EnemyPlane& e) {
            const float d = std::abs(e.x - player.x);
            if (d < best_distance) {
                best_distance = d;
                best = &e;
            }
        });
        return best;
    }
    static void tap(int key) {
        svc::input_state().key_event(key, true, false);
        svc::input_state().key_event(key, false, false);
    }
    void hold(int key, bool down) {
        bool& held = key == svc::vk::kUp ? up_ : down_;
        if (held == down) return;
        held = down;
        svc::input_state().key_event(key, down, false);
    }

    static constexpr float kLowestAim = 300.0f;

    int frame_ = 0;
    int last_turn_ = -1000;
    bool up_ = false, down_ = false;
};

// How busy the sky is right now.
struct Sky {
    int enemies = 0, balloons = 0, explosions = 0, debris = 0, smoke = 0, points = 0;
    static Sky now() {
        return {enemy_plane_list.count(), balloon_list.count(),    explosion_list.count(),
                debris_list.count(),      smoke_puff_list.count(), points_popup_list.count()};
    }
};

class Scenario {
  public:
    // stage 0: the title menu. Otherwise the stage is played from its fly-in
    // for `play_frames` frames of play before the caller takes over.
    Scenario(int stage, int play_frames) : run_(quiet(platform_), kSeed) {
        ok_ = !start_up();
        if (!ok_ || stage == 0) return;
        enter_stage(stage);
        while (stage_phase != StagePhase::kPlay) frame();
        for (int i = 0; i < play_frames; ++i) frame();
    }
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    bool ok() const { return ok_; }

    // One whole frame of the game, the pilot's decision first. Enemies are
    // kept from ramming the plane (it blinks then, as after a fly-in) and its
    // lives are topped up, so that a run stays on its stage.
    void frame() {
        if (game_state == GameState::kStage)
            player.invulnerable_frames = std::max(player.invulnerable_frames, 2);
        player.lives = 3;
        pilot_.fly();
        run_frame();
    }

  private:
    // The game's own path into a stage: a new game, then the stage's counts.
    static void enter_stage(int stage) {
        game_state = GameState::kStage;
        clear_world();
        start_new_game();
        ::start_stage();
        player.level = stage;
        stage_counters.enemies_per_stage = 10 + 5 * (stage - 1);
        stage_counters.balloons_per_stage = 3 + 3 * (stage - 1);
        clear_world();
        ::start_stage();
    }

    // The frames are not kept: the benchmarks time the game, not a copy of each frame.
    static svc::HeadlessPlatform& quiet(svc::HeadlessPlatform& platform) {
        platform.set_keep_last_frame(false);
        return platform;
    }

    svc::HeadlessPlatform platform_;
    GameRun run_;
    Pilot pilot_;
    bool ok_ = false;
};

}  // namespace bench
