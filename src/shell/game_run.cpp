#include "shell/game_run.h"

#include <cstdio>
#include <utility>

#include "shell/main_loop.h"
#include "shell/startup.h"

GameRun::GameRun(svc::Platform& platform, std::optional<int> seed, DemoSettings demos)
    : session_(platform, seed), demos_(world_, std::move(demos)) {}

int GameRun::play() {
    if (const std::optional<std::string> failure = start_up()) {
        std::fprintf(stderr, "scribble-squadron: %s\n", failure->c_str());
        return 1;
    }
    main_loop(world_, demos_);
    return exit_game(world_, demos_);
}

std::optional<std::string> GameRun::start_up() {
    return ::start_up(world_);
}

void GameRun::run_frame() {
    ::run_frame(world_, demos_);
}

int run_game(svc::Platform& platform, std::optional<int> seed, DemoSettings demos) {
    GameRun run(platform, seed, std::move(demos));
    return run.play();
}
