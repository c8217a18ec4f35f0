#include "shell/game.h"

#include <cstdio>

#include "services/graphics.h"
#include "services/input.h"
#include "services/sound.h"
#include "services/timing.h"
#include "shell/best_score.h"
#include "shell/globals.h"
#include "shell/main_loop.h"
#include "shell/startup.h"

int run_game(svc::Platform& platform) {
    svc::use_platform(&platform);
    reset_game_globals();
    try {
        if (!start_up()) {
            std::fprintf(stderr, "scribble-squadron: cannot open the display\n");
            return 1;
        }
        main_loop();
        exit_game();
    } catch (const svc::ProgramEnded& ended) {
        return ended.exit_code;
    }
    return 0;
}
