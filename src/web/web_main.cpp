// The game in a web page: the same run as the real game's, on the SDL back end
// built for the browser. The page (web/page.js) lays out the file system before
// this starts: the working directory holds data/ with the sounds, and the best
// score and demos the browser kept; it passes --scale for its canvas and
// --demo for a game to watch.
#include <emscripten.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "services/backends/sdl/sdl_platform.h"
#include "services/input.h"
#include "services/text_words.h"
#include "shell/best_score.h"
#include "shell/command_line.h"
#include "shell/demo_file.h"
#include "shell/demos.h"
#include "shell/game_run.h"
#include "world/world.h"

namespace {

constexpr const char* kProgram = "scribble-squadron";

// The run's world, once it exists: the best score is saved from it, and the
// page's tests watch it.
const World* run_world = nullptr;

// The verdict of a playback, one line on the browser's console.
void report_playback(const PlaybackEnd& end) {
    switch (end.kind) {
        case PlaybackEnd::Kind::kAsRecorded:
            std::printf("demo ended as recorded at frame %d\n", end.frame);
            break;
        case PlaybackEnd::Kind::kDrifted:
            std::printf("demo drifts at frame %d\n", end.frame);
            break;
        case PlaybackEnd::Kind::kStopped:
            std::printf("demo stopped by the player at frame %d\n", end.frame);
            break;
        case PlaybackEnd::Kind::kUnfinished:
            break;
    }
    std::fflush(stdout);
}

bool set_up_playback(const std::string& path, DemoSettings& demos) {
    DemoRead read = read_demo_file(path);
    if (!read.demo) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), read.error.c_str());
        return false;
    }
    if (read.demo->start.game_version != this_game_version()) {
        std::fprintf(stderr, "%s: the demo was recorded by version %s of the game and may drift\n",
                     kProgram, svc::printable_text(read.demo->start.game_version).c_str());
    }
    demos.playback = std::move(*read.demo);
    demos.on_played = report_playback;
    return true;
}

}  // namespace

// What the page's tests watch instead of the clock, read without touching the
// game: its state and the phase of a stage, numbered as in the harness's
// traces, whether the lost focus or a hidden page holds it, and the best score
// (-1 before the run's world exists).
extern "C" {
EMSCRIPTEN_KEEPALIVE int scribble_game_state() {
    return run_world ? static_cast<int>(run_world->flow.state) : -1;
}
EMSCRIPTEN_KEEPALIVE int scribble_stage_phase() {
    return run_world ? static_cast<int>(run_world->flow.phase) : -1;
}
EMSCRIPTEN_KEEPALIVE int scribble_suspended() {
    return run_world ? static_cast<int>(svc::input_state().app_suspended()) : -1;
}
EMSCRIPTEN_KEEPALIVE int scribble_best_score() {
    return run_world ? run_world->player.best_score : -1;
}
}

int main(int argc, char** argv) {
    const CommandLine line = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgram, line.error.c_str());
        return 2;
    }
    DemoSettings demos;
    if (!line.demo_path.empty() && !set_up_playback(line.demo_path, demos)) return 2;
    // A page is left by closing or reloading it, which runs no exit path: the
    // best score is saved with the game that set it, as its demo is. The run's
    // world exists by the time a game has been recorded.
    demos.on_recorded = [](const std::string& demo_text, bool new_best) {
        save_recorded_game(demo_text, new_best);
        if (new_best && run_world) save_best_score(run_world->player.best_score);
    };
    // The page is the game's screen: the canvas it lays out, whatever its size.
    svc::SdlPlatform platform(svc::SdlOptions{.windowed = false, .scale = line.scale});
    GameRun run(platform, std::nullopt, std::move(demos));
    run_world = &run.world();
    const int status = run.play();
    run_world = nullptr;
    return status;
}
