#include "shell/stage_flow.h"

#include "drawing/plain_style.h"
#include "drawing/scoped_transform.h"
#include "drawing/text_pen.h"
#include "game/assets.h"
#include "game/controls.h"
#include "game/game_state.h"
#include "game/sprite_frames.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
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
    svc::set_blend(svc::BlendMode::kAlpha);
    svc::set_colour(80, 80, 80);
}

void fly_in_phase() {
    fly_in_step();
    set_stage_text_state();
    draw_centred("Stage: " + std::to_string(player.level), 320, 199, kFontSize);
    draw_centred("Get Ready!!", 320, 245, kFontSize);
}

void advance_stage() {
    player.score += kBonusPerStage * player.level;
    player.level += 1;
    stage_counters.enemies_per_stage += 5;
    stage_counters.balloons_per_stage += 3;
    clear_world();
    start_stage();
}

void clear_phase() {
    clear_step();
    set_stage_text_state();
    draw_centred("Stage Clear!", 320, 199, kFontSize);
    draw_centred("Bonus: " + std::to_string(kBonusPerStage * player.level), 320, 245, kFontSize);
    // A mountain striking the resting plane in the clear step has put
    // phase_timer back to 0 for the death sequence, so the stage does not advance.
    if (phase_timer > kClearFrames) advance_stage();
}

void track_best_score() {
    if (player.score > player.best_score) {
        player.new_best = 1;
        player.best_score = player.score;
    }
}

// Centred for the font's size, drawn twice as large, so it reaches right and down.
void draw_game_over_text() {
    const ScopedScale doubled(2.0f, 2.0f);
    draw_centred("Game Over!", 280, 230, kFontSize);
}

// The title menu must not see the button that was held when the game-over
// screen ended, so the game stands still until it is let go. A close request
// still gets through, so the window can always be closed.
void wait_for_fire_button_release() {
    while (controls::fire_button_held()) {
        if (svc::close_requested()) {
            quit_requested = true;
            return;
        }
        svc::delay(kReleasePollMs);
    }
}

}  // namespace

void update_stage() {
    switch (stage_phase) {
        case StagePhase::kFlyIn:
            fly_in_phase();
            break;
        case StagePhase::kPlay:
            play_step();
            break;
        case StagePhase::kClear:
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
        start_stage();
        game_state = GameState::kStage;
        stage_phase = StagePhase::kFlyIn;
    } else {
        phase_timer = 0;
        game_state = GameState::kGameOver;
    }
}

void update_game_over() {
    game_over_step();
    set_stage_text_state();
    draw_game_over_text();

    if (phase_timer < kGameOverFrames) return;
    game_state = GameState::kTitle;
    wait_for_fire_button_release();
    // The fire presses made during the game-over screen must not reach the title menu.
    controls::discard_fire_key_presses();
}

std::string two_digits(int n) {
    const std::string digits = std::to_string(n);
    return n < 10 ? "0" + digits : digits;
}

void draw_hud() {
    svc::set_colour(80, 80, 80);
    set_text_style(svc::BlendMode::kAlpha, 1.0f, kFontSize);
    svc::draw_text("Score", 175, 52);
    svc::draw_text(two_digits(player.score), 185, 68);
    draw_centred("Best", 324, 64, kFontSize);
    svc::draw_text(two_digits(player.best_score), 316, 68);
    svc::draw_text("Stage", 465, 52);
    svc::draw_text(two_digits(player.level), 475, 68);

    if (game_state == GameState::kPaused || game_state == GameState::kTitle || player.lives <= 1)
        return;
    use_plain_mask_style();
    for (int i = 1; i <= player.lives - 1; ++i)
        svc::draw_image(pictures.sprites, static_cast<float>(140 + 53 * (i - 1)), 452,
                        sprite_frame::kPlayerNoseRight);
}
