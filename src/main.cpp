#include "services/backends/sdl/sdl_platform.h"
#include "shell/game.h"

int main() {
    svc::SdlPlatform platform;
    return run_game(platform);
}
