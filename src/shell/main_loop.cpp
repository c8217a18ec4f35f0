#include "shell/main_loop.h"

#include "game/controls.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "services/screen.h"
#include "services/timing.h"
#include "shell/best_score.h"
#include "shell/demos.h"
#include "shell/menus.h"
#include "shell/stage_flow.h"
#include "shell/startup.h"

namespace {

void run_state_handler() {
    switch (game_state) {
        case GameState::kStage:
            update_stage();
            break;
        case GameState::kPaused:
        case GameState::kTitle:
            run_menu();
            break;
        case GameState::kGameOver:
            update_game_over();
            break;
        case GameState::kDying:
            update_dying();
            break;
        default:
            break;
    }
}

// The pause menu opens with the drone silenced and the pointer under "Resume Game".
void pause_stage() {
    game_state = GameState::kPaused;
    svc::stop_channel(engine_channel);
    park_menu_pointer();
}

}  // namespace

void main_loop() {
    do {
        run_frame();
    } while (!quit_requested);
}

void run_frame() {
    begin_frame();
    run_state_handler();
    draw_hud();
    draw_page_margins();
    svc::flip_frame(svc::FlipTiming::kPaced);
    demos_frame_shown();
    check_global_keys();
    hold_while_suspended();
}

void check_global_keys() {
    if (controls::escape_pressed()) {
        if (game_state == GameState::kTitle) {
            quit_requested = true;
        } else if (game_state == GameState::kPaused) {
            game_state = GameState::kTitle;
            park_menu_pointer();
            svc::flush_keys();
            svc::flush_mouse();
        } else if (game_state == GameState::kStage) {
            pause_stage();
            svc::flush_keys();
            svc::flush_mouse();
        }
    }

    if (controls::pause_pressed()) {
        if (game_state == GameState::kStage) {
            pause_stage();
            svc::flush_mouse();
            svc::flush_keys();
        } else if (game_state == GameState::kPaused) {
            game_state = GameState::kStage;
            start_engine_loop();
            svc::flush_mouse();
            svc::flush_keys();
        }
    }

    if (svc::close_requested()) quit_requested = true;
}

void hold_while_suspended() {
    if (!svc::app_suspended()) return;
    const bool engine_was_playing = svc::channel_playing(engine_channel);
    if (engine_was_playing) svc::pause_channel(engine_channel);
    wait_while_suspended();
    if (engine_was_playing) svc::resume_channel(engine_channel);
}

int exit_game() {
    if (svc::channel_playing(engine_channel)) {
        svc::stop_channel(engine_channel);
        // Lets the drone's last buffer drain before the process goes away.
        svc::delay(500);
    }
    demos_run_ending();
    save_best_score();
    return 0;
}
