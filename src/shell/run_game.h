#pragma once
// The game's entry point: start-up, the main loop and the exit path, on the
// platform back end given. Returns the process's exit status.
#include "services/platform.h"

int run_game(svc::Platform& platform);
