// A whole play frame at stage 40 (205 enemy biplanes, 120 balloons): the world's
// update and every draw of the frame, on the headless back end.
#include <benchmark/benchmark.h>

#include <memory>

#include "services/backends/headless/headless_platform.h"
#include "services/input.h"
#include "services/platform.h"
#include "shell/globals.h"
#include "shell/stage_flow.h"
#include "shell/startup.h"
#include "world/balloon.h"
#include "world/ebplane.h"
#include "world/player.h"
#include "world/world.h"

namespace {

constexpr int kStage = 40;

class Stage40 {
  public:
    Stage40() {
        svc::use_platform(&platform_);
        reset_game_globals();
        svc::input_state().key_event(svc::vk::kEscape, true, false);
        svc::input_state().key_event(svc::vk::kEscape, false, false);
        ok_ = start_up();
        if (!ok_) return;
        player_tag::reset(1);
        player.level = kStage;
        enemies_per_stage = 10 + 5 * (kStage - 1);
        balloons_per_stage = 3 + 3 * (kStage - 1);
        clear_world();
        player_tag::reset(0);
        game_state = state::kStage;
        stage_phase = phase::kPlay;
        player.x = 200.0f;
    }
    ~Stage40() {
        reset_game_globals();
        svc::close_graphics();
    }
    bool ok() const { return ok_; }

  private:
    svc::HeadlessPlatform platform_;
    bool ok_ = false;
};

void BM_PlayFrameStage40(benchmark::State& state) {
    Stage40 world;
    if (!world.ok()) {
        state.SkipWithError("no screen");
        return;
    }
    for (auto _ : state) {
        // Keep the plane untouchable so that the world stays as full as it began.
        safe_timer = 1000;
        begin_frame();
        play_step();
        draw_hud();
        page_margins(0);
    }
    state.counters["enemies"] = ebplane_list.count();
    state.counters["balloons"] = balloon_list.count();
}
BENCHMARK(BM_PlayFrameStage40)->Unit(benchmark::kMicrosecond);

// The world step alone, without the paper, the display and the margins.
void BM_PlayStepStage40(benchmark::State& state) {
    Stage40 world;
    if (!world.ok()) {
        state.SkipWithError("no screen");
        return;
    }
    for (auto _ : state) {
        safe_timer = 1000;
        play_step();
    }
}
BENCHMARK(BM_PlayStepStage40)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
