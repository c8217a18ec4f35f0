#pragma once
// The frame loop, the keys that work in every state, and the way out.
#include "shell/demos.h"
#include "world/world.h"

// Runs frames until a quit is requested; always runs at least one.
void main_loop(World& world, Demos& demos);
// One frame: paper, the current state's handler, the display, the margins, the
// flip (which the demos follow), then the global keys and the wait while the
// window is inactive.
void run_frame(World& world, Demos& demos);
// Escape, Space / the joystick's pause button, and the window's close request.
void check_global_keys(World& world);
// Stands still while the window is inactive, with the engine drone paused.
void hold_while_suspended(World& world);
// The way out: silences the engine, stores the best score and returns the
// process's exit status.
int exit_game(World& world, Demos& demos);
