#include "shell/main_loop.h"

#include "game/controls.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "services/screen.h"
#include "services/timing.h"
#include "shell/best_score.h"
#include "shell/menus.h"
#include "shell/stage_flow.h"
#include "shell/startup.h"

namespace {

void run_state_handler(World& world, Demos& demos) {
    switch (world.flow.state) {
        case GameState::kStage:
            update_stage(world);
            break;
        case GameState::kPaused:
        case GameState::kTitle:
            run_menu(world, demos);
            break;
        case GameState::kGameOver:
            update_game_over(world);
            break;
        case GameState::kDying:
            update_dying(world);
            break;
        default:
            break;
    }
}

// The pause menu opens with the drone silenced and the pointer under "Resume Game".
void pause_stage(World& world) {
    world.flow.state = GameState::kPaused;
    svc::stop_channel(world.sounds.engine_channel());
    park_menu_pointer();
}

}  // namespace

void main_loop(World& world, Demos& demos) {
    do {
        run_frame(world, demos);
    } while (!world.flow.quit_requested);
}

void run_frame(World& world, Demos& demos) {
    begin_frame(world.pictures);
    run_state_handler(world, demos);
    draw_hud(world);
    draw_page_margins(world.pictures);
    svc::flip_frame(svc::FlipTiming::kPaced);
    demos.frame_shown();
    check_global_keys(world);
    hold_while_suspended(world);
    demos.hold_quit();
}

void check_global_keys(World& world) {
    GameState& state = world.flow.state;
    if (controls::escape_pressed()) {
        if (state == GameState::kTitle) {
            world.flow.quit_requested = true;
        } else if (state == GameState::kPaused) {
            state = GameState::kTitle;
            park_menu_pointer();
            svc::flush_keys();
            svc::flush_mouse();
        } else if (state == GameState::kStage) {
            pause_stage(world);
            svc::flush_keys();
            svc::flush_mouse();
        }
    }

    if (controls::pause_pressed()) {
        if (state == GameState::kStage) {
            pause_stage(world);
            svc::flush_mouse();
            svc::flush_keys();
        } else if (state == GameState::kPaused) {
            state = GameState::kStage;
            world.sounds.start_engine_loop();
            svc::flush_mouse();
            svc::flush_keys();
        }
    }

    if (svc::close_requested()) world.flow.quit_requested = true;
}

void hold_while_suspended(World& world) {
    if (!svc::app_suspended()) return;
    const svc::Channel& engine = world.sounds.engine_channel();
    const bool engine_was_playing = svc::channel_playing(engine);
    if (engine_was_playing) svc::pause_channel(engine);
    wait_while_suspended(world.flow);
    if (engine_was_playing) svc::resume_channel(engine);
}

int exit_game(World& world, Demos& demos) {
    if (svc::channel_playing(world.sounds.engine_channel())) {
        svc::stop_channel(world.sounds.engine_channel());
        // Lets the drone's last buffer drain before the process goes away.
        svc::delay(500);
    }
    demos.run_ending();
    save_best_score(world.player.best_score);
    return 0;
}
