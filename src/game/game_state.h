#pragma once
// The game's state machine: which screen runs, the phase of a stage and the
// frame counter of the timed phases. The world and the shell both change them.

// The numbers are those of the harness's traces.
enum class GameState {
    kStartingUp = 0,
    kStage = 2,
    kPaused = 3,
    kTitle = 4,
    kGameOver = 5,
    kDying = 6
};
// Meaningful while the state is kStage; a pause keeps it.
enum class StagePhase { kFlyIn = 0, kPlay = 1, kClear = 2 };

extern GameState game_state;
extern StagePhase stage_phase;
extern int phase_timer;      // frames into the stage clear, the dying or the game over
extern bool quit_requested;  // ends the main loop after the current frame

// Puts the four back to their start-up values.
void reset_game_state();
