#include "services/backends/sdl/sdl_platform.h"
#include "shell/game_run.h"

int main() {
    svc::SdlPlatform platform;
    return run_game(platform);
}
