#include "game/game_state.h"

GameState game_state = GameState::kStartingUp;
StagePhase stage_phase = StagePhase::kFlyIn;
int phase_timer = 0;
bool quit_requested = false;

void reset_game_state() {
    game_state = GameState::kStartingUp;
    stage_phase = StagePhase::kFlyIn;
    phase_timer = 0;
    quit_requested = false;
}
