#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "services/backends/sdl/sdl_platform.h"
#include "shell/command_line.h"
#include "shell/game_run.h"

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
    svc::SdlPlatform platform(
        svc::SdlOptions{.windowed = play_windowed(line, std::getenv("SCRIBBLE_WINDOWED")),
                        .scale = play_scale(line, std::getenv("SCRIBBLE_SCALE"))});
    return run_game(platform);
}
