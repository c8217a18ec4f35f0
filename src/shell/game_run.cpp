#include "shell/game_run.h"

#include <cstdio>
#include <utility>

#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "shell/main_loop.h"
#include "shell/startup.h"
#include "world/world.h"

namespace {

// Every game-wide variable of every layer, back to its start-up value.
void reset_game_variables() {
    reset_game_state();
    reset_world_globals();
    reset_sound_cues();
    reset_assets();
}

}  // namespace

GameRun::GameRun(svc::Platform& platform, std::optional<int> seed, DemoSettings demos)
    : session_(platform, seed) {
    reset_game_variables();
    start_demos(std::move(demos));
}

GameRun::~GameRun() {
    stop_demos();
    // The sounds and channels go before the session closes the audio output.
    reset_game_variables();
}

int GameRun::play() {
    if (const std::optional<std::string> failure = start_up()) {
        std::fprintf(stderr, "scribble-squadron: %s\n", failure->c_str());
        return 1;
    }
    main_loop();
    return exit_game();
}

int run_game(svc::Platform& platform, std::optional<int> seed, DemoSettings demos) {
    GameRun run(platform, seed, std::move(demos));
    return run.play();
}
