#include "shell/run_game.h"

#include <cstdio>
#include <string>

#include "game/game_state.h"
#include "services/platform.h"
#include "services/timing.h"
#include "shell/main_loop.h"
#include "shell/startup.h"

namespace {

void report_no_display(const svc::Platform& platform) {
    const std::string reason = platform.last_error();
    std::fprintf(stderr, "scribble-squadron: cannot open the display%s%s\n",
                 reason.empty() ? "" : ": ", reason.c_str());
}

}  // namespace

int run_game(svc::Platform& platform) {
    svc::use_platform(&platform);
    reset_game_globals();
    try {
        if (!start_up()) {
            report_no_display(platform);
            return 1;
        }
        main_loop();
        exit_game();
    } catch (const svc::ProgramEnded& ended) {
        return ended.exit_code;
    }
    return 0;
}
