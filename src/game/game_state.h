#pragma once
// The game's state machine: which screen runs, the phase of a stage, the frame
// counter of the timed phases and the request to end the run. The world and
// the shell both change it.

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

struct GameFlow {
    GameState state = GameState::kStartingUp;
    StagePhase phase = StagePhase::kFlyIn;
    int phase_timer = 0;          // frames into the stage clear, the dying or the game over
    bool quit_requested = false;  // ends the main loop after the current frame
};
