#pragma once
// A game on the headless back end, brought to a chosen moment the same way on
// every run: a fixed seed, the real start-up, then either the title menu or a
// stage played by a scripted pilot. The benchmarks time run_frame() from there,
// so a frame includes the world's update, every draw, the margins, the flip
// (with the virtual clock's wait and the audio mixed for it) and the input.
#include <algorithm>
#include <optional>

#include "pilot/pilot.h"
#include "services/backends/headless/headless_platform.h"
#include "services/platform.h"
#include "services/timing.h"
#include "shell/game_run.h"
#include "world/world.h"

namespace bench {

constexpr int kSeed = 31;

// How busy the sky is right now.
struct Sky {
    int enemies = 0, balloons = 0, explosions = 0, debris = 0, smoke = 0, points = 0;
    static Sky now(const World& world) {
        return {world.enemies.count(), world.balloons.count(), world.explosions.count(),
                world.debris.count(),  world.smoke.count(),    world.points_popups.count()};
    }
};

class Scenario {
  public:
    // stage 0: the title menu. Otherwise the stage is played from its fly-in
    // for `play_frames` frames of play before the caller takes over. `scale`:
    // the frames are drawn that many times finer.
    Scenario(int stage, int play_frames, int scale = 1) : run_(quiet(platform_, scale), kSeed) {
        ok_ = !run_.start_up();
        if (!ok_ || stage == 0) return;
        enter_stage(stage);
        while (world().flow.phase != StagePhase::kPlay) frame();
        for (int i = 0; i < play_frames; ++i) frame();
    }
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    bool ok() const { return ok_; }
    World& world() { return run_.world(); }

    // One whole frame of the game, the pilot's decision first. Enemies are
    // kept from ramming the plane (it blinks then, as after a fly-in) and its
    // lives are topped up, so that a run stays on its stage.
    void frame() {
        Player& player = world().player;
        if (world().flow.state == GameState::kStage)
            player.invulnerable_frames = std::max(player.invulnerable_frames, 2);
        player.lives = 3;
        pilot_.fly(world());
        run_.run_frame();
    }

  private:
    // The game's own path into a stage: a new game, then the stage's counts.
    void enter_stage(int stage) {
        World& world = this->world();
        world.flow.state = GameState::kStage;
        clear_world(world);
        start_new_game(world);
        start_stage(world);
        world.player.level = stage;
        world.counters = StageCounters::first_stage();
        for (int next = 2; next <= stage; ++next) world.counters.grow();
        clear_world(world);
        start_stage(world);
    }

    // The frames are not kept: the benchmarks time the game, not a copy of each frame.
    static svc::HeadlessPlatform& quiet(svc::HeadlessPlatform& platform, int scale) {
        platform.set_keep_last_frame(false);
        platform.set_frame_scale(scale);
        return platform;
    }

    svc::HeadlessPlatform platform_;
    GameRun run_;
    // Enough to fill the sky with explosions, debris, smoke and points; low
    // enemies are left alone, as the mountains are deadly.
    pilot::Pilot pilot_{pilot::Style{.lowest_aim = 300.0f, .dodges = false}};
    bool ok_ = false;
};

}  // namespace bench
