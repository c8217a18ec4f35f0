#pragma once
// The game's state machine: which screen runs, the phase of a stage and the
// frame counter of the timed phases. The world and the shell both change them.

namespace state {
constexpr int kStage = 2, kPaused = 3, kTitle = 4, kGameOver = 5, kDying = 6;
}
namespace phase {
constexpr int kFlyIn = 0, kPlay = 1, kClear = 2;
}

extern int game_state;      // one of state::k...; 0 until start-up ends
extern int stage_phase;     // one of phase::k...; meaningful in state::kStage, kept by a pause
extern int phase_timer;     // frames into the stage clear, the dying or the game over
extern int quit_requested;  // nonzero ends the main loop after the current frame

// Puts the four back to their start-up values.
void reset_game_state();
