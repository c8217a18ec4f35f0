#include "services/backends/sdl/sdl_platform.h"
#include "shell/run_game.h"

int main() {
    svc::SdlPlatform platform;
    return run_game(platform);
}
