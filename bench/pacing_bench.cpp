// The real window's pacing: the whole game on the SDL2 back end, watched from
// outside through a platform that passes every call on to SDL and notes the
// time of each frame presented. Once play has begun it counts the frames shown
// in ten seconds and the spread of the intervals between them, then closes the
// window. Registered only when SCRIBBLE_PACING=1 (it needs a display, such as
// Xvfb, and runs in a scratch directory because the game saves its best score).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "game/game_state.h"
#include "services/backends/sdl/sdl_platform.h"
#include "services/input.h"
#include "shell/game_run.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWindow = std::chrono::seconds(10);

class WatchedPlatform final : public svc::Platform {
  public:
    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override {
        return sdl_.open_screen(title, width, height, fullscreen);
    }
    std::string last_error() const override { return sdl_.last_error(); }
    void close_screen() override { sdl_.close_screen(); }
    void present(const std::uint32_t* pixels, bool wait_vblank) override {
        const Clock::time_point before = Clock::now();
        sdl_.present(pixels, wait_vblank);
        const Clock::time_point now = Clock::now();
        if (state() == GameState::kStage && !window_start_) window_start_ = now;
        if (window_start_ && !done_) {
            if (now - *window_start_ <= kWindow) {
                shown_.push_back(now);
                present_ms_.push_back(
                    std::chrono::duration<double, std::milli>(now - before).count());
            } else {
                done_ = true;
            }
        }
    }
    bool has_vblank() const override { return sdl_.has_vblank(); }
    bool fullscreen() const override { return sdl_.fullscreen(); }
    int refresh_rate() const override { return sdl_.refresh_rate(); }

    // The title menu's first item starts a game; after the window the game is closed.
    void pump_events(svc::InputState& input) override {
        sdl_.pump_events(input);
        if (state() == GameState::kTitle && !clicked_) {
            clicked_ = true;
            sdl_.move_pointer(input, 320, 292);
            input.mouse_button(1, true);
            input.mouse_button(1, false);
        }
        if (done_) input.request_close();
    }
    void move_pointer(svc::InputState& input, int x, int y) override {
        sdl_.move_pointer(input, x, y);
    }
    void hide_pointer() override { sdl_.hide_pointer(); }
    int open_joysticks() override { return sdl_.open_joysticks(); }
    int milliseconds() override { return sdl_.milliseconds(); }
    void sleep(int ms) override { sdl_.sleep(ms); }
    std::unique_ptr<svc::AudioOutput> open_audio(svc::AudioMixFn mix) override {
        return sdl_.open_audio(std::move(mix));
    }

    // The game whose frames are watched.
    void watch(const World& world) { world_ = &world; }
    const std::vector<Clock::time_point>& shown() const { return shown_; }
    // How long each of those presents kept the game waiting.
    const std::vector<double>& present_ms() const { return present_ms_; }

  private:
    GameState state() const { return world_ ? world_->flow.state : GameState::kStartingUp; }

    svc::SdlPlatform sdl_;
    const World* world_ = nullptr;
    std::optional<Clock::time_point> window_start_;
    std::vector<Clock::time_point> shown_;
    std::vector<double> present_ms_;
    bool clicked_ = false;
    bool done_ = false;
};

double percentile(std::vector<double> sorted, double p) {
    const auto at = static_cast<std::size_t>(std::lround(p * (sorted.size() - 1)));
    return sorted[at];
}

void BM_WindowPacing(benchmark::State& state) {
    for (auto _ : state) {
        WatchedPlatform platform;
        GameRun run(platform);
        platform.watch(run.world());
        const int status = run.play();
        const auto& shown = platform.shown();
        if (status != 0 || shown.size() < 2) {
            state.SkipWithError("the game did not run (no display?)");
            return;
        }
        std::vector<double> intervals_ms;
        for (std::size_t i = 1; i < shown.size(); ++i) {
            intervals_ms.push_back(
                std::chrono::duration<double, std::milli>(shown[i] - shown[i - 1]).count());
        }
        std::sort(intervals_ms.begin(), intervals_ms.end());
        double mean = 0;
        for (double v : intervals_ms) mean += v;
        mean /= static_cast<double>(intervals_ms.size());
        double variance = 0;
        for (double v : intervals_ms) variance += (v - mean) * (v - mean);
        variance /= static_cast<double>(intervals_ms.size());
        std::vector<double> present_ms = platform.present_ms();
        std::sort(present_ms.begin(), present_ms.end());
        state.counters["present_ms_median"] = percentile(present_ms, 0.5);
        state.counters["present_ms_p99"] = percentile(present_ms, 0.99);
        state.counters["vblank"] = platform.has_vblank() ? 1 : 0;
        state.counters["frames_in_10s"] = static_cast<double>(shown.size());
        state.counters["interval_ms_min"] = intervals_ms.front();
        state.counters["interval_ms_median"] = percentile(intervals_ms, 0.5);
        state.counters["interval_ms_p99"] = percentile(intervals_ms, 0.99);
        state.counters["interval_ms_max"] = intervals_ms.back();
        state.counters["interval_ms_sd"] = std::sqrt(variance);
    }
}

const bool registered = [] {
    const char* wanted = std::getenv("SCRIBBLE_PACING");
    if (wanted && std::string_view(wanted) == "1") {
        benchmark::RegisterBenchmark("BM_WindowPacing", BM_WindowPacing)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
