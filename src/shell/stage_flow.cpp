#include "shell/stage_flow.h"

#include "drawing/qbdraw.h"
#include "services/graphics.h"
#include "services/input.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "world/player.h"
#include "world/world.h"

namespace {

constexpr int kClearFrames = 300;  // the stage advances once phase_timer passes this
constexpr int kDyingFrames = 250;
constexpr int kGameOverFrames = 250;
constexpr int kBonusPerStage = 500;
constexpr int kReleasePollMs = 5;

void set_stage_text_state() {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kAlphaBlend);
    svc::set_colour(80, 80, 80);
}

void fly_in_phase() {
    fly_in_step();
    set_stage_text_state();
    text_drawer.t3d("Stage: " + std::to_string(player.level), 320, 199, 1);
    text_drawer.t3d("Get Ready!!", 320, 245, 1);
}

void advance_stage() {
    player.score += kBonusPerStage * player.level;
    player.level += 1;
    enemies_per_stage += 5;
    balloons_per_stage += 3;
    clear_world();
    player_tag::reset(0);
}

void clear_phase() {
    clear_step();
    set_stage_text_state();
    text_drawer.t3d("Stage Clear!", 320, 199, 1);
    text_drawer.t3d("Bonus: " + std::to_string(kBonusPerStage * player.level), 320, 245, 1);
    // A mountain striking the resting plane in the clear step has put
    // phase_timer back to 0 for the death sequence, so the stage does not advance.
    if (phase_timer > kClearFrames) advance_stage();
}

void track_best_score() {
    if (player.score > player.best_sc) {
        player.new_bs = 1;
        player.best_sc = player.score;
    }
}

// The title menu must not see the button that was held when the game-over
// screen ended, so the game stands still until it is let go. A close request
// still gets through, so the window can always be closed.
void wait_for_fire_button_release() {
    while (svc::joy_down(0, 0) != 0 || svc::joy_hit(0, 0) != 0) {
        if (svc::app_terminate() != 0) {
            quit_requested = 1;
            return;
        }
        svc::delay(kReleasePollMs);
    }
}

}  // namespace

void update_stage() {
    switch (stage_phase) {
        case phase::kFlyIn:
            fly_in_phase();
            break;
        case phase::kPlay:
            play_step();
            break;
        case phase::kClear:
            clear_phase();
            break;
        default:
            break;
    }
    track_best_score();
}

void update_dying() {
    wreck_step();
    if (phase_timer < kDyingFrames) return;
    if (player.lives > 0) {
        clear_world();
        player_tag::reset(0);
        game_state = state::kStage;
        stage_phase = phase::kFlyIn;
    } else {
        phase_timer = 0;
        game_state = state::kGameOver;
    }
}

void update_game_over() {
    game_over_step();
    set_stage_text_state();
    svc::set_scale(2.0f, 2.0f);
    // Centred for the recorded text scale (1.0), drawn at 2.0.
    text_drawer.t3d("Game Over!", 280, 230, 1);
    svc::set_scale(1.0f, 1.0f);

    if (phase_timer < kGameOverFrames) return;
    game_state = state::kTitle;
    wait_for_fire_button_release();
    // Drops the fire presses made during the game-over screen.
    while (svc::key_hit(svc::vk::kLeftControl) != 0) {
    }
}

std::string two_digits(int n) {
    const std::string digits = std::to_string(n);
    return n < 10 ? "0" + digits : digits;
}

void draw_hud() {
    svc::set_colour(80, 80, 80);
    text_drawer.sip(svc::kAlphaBlend, 1.0f, 0, 1.0f, 1.0f);
    text_drawer.t3d("Score", 175, 52, 0);
    text_drawer.t3d(two_digits(player.score), 185, 68, 0);
    text_drawer.t3d("Best", 324, 64, 1);
    text_drawer.t3d(two_digits(player.best_sc), 316, 68, 0);
    text_drawer.t3d("Stage", 465, 52, 0);
    text_drawer.t3d(two_digits(player.level), 475, 68, 0);

    if (game_state == state::kPaused || game_state == state::kTitle || player.lives <= 1) return;
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    for (int i = 1; i <= player.lives - 1; ++i)
        svc::draw_image(sprite_frames, static_cast<float>(140 + 53 * (i - 1)), 452, 1);
}
