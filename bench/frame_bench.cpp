// Whole frames of the game as a player sees them: the title menu, and play at
// stages 1, 10 and 40 with the sky kept busy by a scripted pilot. Each
// repetition starts the game afresh from the same seed and times the same
// frames, so runs compare.
#include <benchmark/benchmark.h>

#include "game_scenario.h"

namespace {

constexpr int kWarmUpFrames = 300;  // five seconds of play before the timed frames
constexpr int kTimedFrames = 600;

void report_sky(benchmark::State& state, const bench::Sky& total) {
    using benchmark::Counter;
    const auto average = [](int sum) { return Counter(sum, Counter::kAvgIterations); };
    state.counters["enemies"] = average(total.enemies);
    state.counters["explosions"] = average(total.explosions);
    state.counters["debris"] = average(total.debris);
    state.counters["smoke"] = average(total.smoke);
    state.counters["points"] = average(total.points);
}

void BM_WholeFrame(benchmark::State& state) {
    const int stage = static_cast<int>(state.range(0));
    const int scale = state.range(1) > 0 ? static_cast<int>(state.range(1)) : 1;
    bench::Scenario game(stage, kWarmUpFrames, scale);
    if (!game.ok()) {
        state.SkipWithError("no screen");
        return;
    }
    bench::Sky total;
    for (auto _ : state) {
        game.frame();
        const bench::Sky now = bench::Sky::now(game.world());
        total.enemies += now.enemies;
        total.explosions += now.explosions;
        total.debris += now.debris;
        total.smoke += now.smoke;
        total.points += now.points;
    }
    if (stage > 0) report_sky(state, total);
    const World& world = game.world();
    state.counters["stage_at_end"] = world.flow.state == GameState::kTitle ? 0 : world.player.level;
    state.counters["phase_at_end"] = static_cast<int>(world.flow.phase);
}
BENCHMARK(BM_WholeFrame)
    ->ArgName("stage")
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Arg(40)
    ->Iterations(kTimedFrames)
    ->Unit(benchmark::kMicrosecond);
// The same busy stage drawn twice and three times as fine.
BENCHMARK(BM_WholeFrame)
    ->ArgNames({"stage", "scale"})
    ->Args({10, 2})
    ->Args({10, 3})
    ->Iterations(kTimedFrames)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
