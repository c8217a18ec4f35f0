#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "services/backends/sdl/sdl_platform.h"
#include "services/text_words.h"
#include "shell/command_line.h"
#include "shell/demo_file.h"
#include "shell/demos.h"
#include "shell/game_run.h"

namespace {

// Every game is recorded; --demo plays one back first. False, after one line
// on stderr, when the demo cannot be read.
bool set_up_demos(const std::string& program, const std::string& demo_path, DemoSettings& demos) {
    demos.on_recorded = save_recorded_game;
    if (demo_path.empty()) return true;
    DemoRead read = read_demo_file(demo_path);
    if (!read.demo) {
        std::fprintf(stderr, "%s: %s: %s\n", program.c_str(), demo_path.c_str(),
                     read.error.c_str());
        return false;
    }
    if (read.demo->start.game_version != this_game_version()) {
        std::fprintf(stderr, "%s: %s was recorded by version %s of the game and may drift\n",
                     program.c_str(), demo_path.c_str(),
                     svc::printable_text(read.demo->start.game_version).c_str());
    }
    demos.playback = std::move(*read.demo);
    demos.on_played = [program, demo_path](const PlaybackEnd& end) {
        if (end.kind == PlaybackEnd::Kind::kDrifted) {
            std::fprintf(stderr, "%s: %s: demo drifts at frame %d\n", program.c_str(),
                         demo_path.c_str(), end.frame);
        }
    };
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = "scribble-squadron";
    const CommandLine line = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), line.error.c_str());
        return 2;
    }
    switch (line.action) {
        case CommandLine::Action::kHelp:
            std::fputs(help_text(program).c_str(), stdout);
            return 0;
        case CommandLine::Action::kVersion:
            std::puts(version_text_line().c_str());
            return 0;
        case CommandLine::Action::kPlay:
            break;
    }
    DemoSettings demos;
    if (!set_up_demos(program, line.demo_path, demos)) return 2;
    svc::SdlPlatform platform(
        svc::SdlOptions{.windowed = play_windowed(line, std::getenv("SCRIBBLE_WINDOWED")),
                        .scale = play_scale(line, std::getenv("SCRIBBLE_SCALE"))});
    return run_game(platform, std::nullopt, std::move(demos));
}
