#pragma once
// The frame loop, the keys that work in every state, and the way out.

// Runs frames until quit_requested is set; always runs at least one.
void main_loop();
// One frame: paper, the current state's handler, the display, the margins, the
// flip (which the demos follow), then the global keys and the wait while the
// window is inactive.
void run_frame();
// Escape, Space / joystick 0 button 2, and the window's close request.
void check_global_keys();
// Stands still while the window is inactive, with the engine drone paused.
void hold_while_suspended();
// The way out: silences the engine, stores the best score and returns the
// process's exit status.
int exit_game();
