// Times the busy stage-10 frame of the benchmarks (bench/game_scenario.h) at
// the scales given as arguments, in the same way natively and in a browser,
// so that scripts/bench can set the two side by side. Prints one line per
// scale: "scale K: median M us, mean A us over N frames".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../game_scenario.h"

namespace {

constexpr int kWarmUpFrames = 300;
constexpr int kTimedFrames = 600;

void time_scale(int scale) {
    bench::Scenario game(10, kWarmUpFrames, scale);
    if (!game.ok()) {
        std::printf("scale %d: the game did not start\n", scale);
        return;
    }
    std::vector<double> micros;
    micros.reserve(kTimedFrames);
    for (int i = 0; i < kTimedFrames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        game.frame();
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        micros.push_back(took.count());
    }
    double total = 0;
    for (const double us : micros) total += us;
    std::nth_element(micros.begin(), micros.begin() + kTimedFrames / 2, micros.end());
    std::printf("scale %d: median %.0f us, mean %.0f us over %d frames\n", scale,
                micros[kTimedFrames / 2], total / kTimedFrames, kTimedFrames);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) time_scale(std::atoi(argv[i]));
    std::puts("done");
    std::fflush(stdout);
    return 0;
}
