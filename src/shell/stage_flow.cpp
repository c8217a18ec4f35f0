#include "shell/stage_flow.h"

#include "drawing/plain_style.h"
#include "drawing/scoped_transform.h"
#include "drawing/text_pen.h"
#include "game/controls.h"
#include "game/sprite_frames.h"
#include "services/input.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"

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

void fly_in_phase(World& world) {
    fly_in_step(world);
    set_stage_text_state();
    draw_centred("Stage: " + std::to_string(world.player.level), 320, 199, kFontSize);
    draw_centred("Get Ready!!", 320, 245, kFontSize);
}

// The bonus for clearing the stage the plane is on.
int stage_bonus(const Player& plane) {
    return kBonusPerStage * plane.level;
}

void advance_stage(World& world) {
    Player& plane = world.player;
    plane.score += stage_bonus(plane);
    plane.level += 1;
    world.counters.grow();
    clear_world(world);
    start_stage(world);
}

void clear_phase(World& world) {
    clear_step(world);
    set_stage_text_state();
    draw_centred("Stage Clear!", 320, 199, kFontSize);
    draw_centred("Bonus: " + std::to_string(stage_bonus(world.player)), 320, 245, kFontSize);
    // A mountain striking the resting plane in the clear step has put
    // phase_timer back to 0 for the death sequence, so the stage does not advance.
    if (world.flow.phase_timer > kClearFrames) advance_stage(world);
}

void track_best_score(Player& plane) {
    if (plane.score > plane.best_score) {
        plane.new_best = 1;
        plane.best_score = plane.score;
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
void wait_for_fire_button_release(GameFlow& flow) {
    while (controls::fire_button_held()) {
        if (svc::close_requested()) {
            flow.quit_requested = true;
            return;
        }
        svc::delay(kReleasePollMs);
    }
}

}  // namespace

void update_stage(World& world) {
    switch (world.flow.phase) {
        case StagePhase::kFlyIn:
            fly_in_phase(world);
            break;
        case StagePhase::kPlay:
            play_step(world);
            break;
        case StagePhase::kClear:
            clear_phase(world);
            break;
        default:
            break;
    }
    track_best_score(world.player);
}

void update_dying(World& world) {
    GameFlow& flow = world.flow;
    wreck_step(world);
    if (flow.phase_timer < kDyingFrames) return;
    if (world.player.lives > 0) {
        clear_world(world);
        start_stage(world);
        flow.state = GameState::kStage;
        flow.phase = StagePhase::kFlyIn;
    } else {
        flow.phase_timer = 0;
        flow.state = GameState::kGameOver;
    }
}

void update_game_over(World& world) {
    game_over_step(world);
    set_stage_text_state();
    draw_game_over_text();

    if (world.flow.phase_timer < kGameOverFrames) return;
    world.flow.state = GameState::kTitle;
    wait_for_fire_button_release(world.flow);
    // The fire presses made during the game-over screen must not reach the title menu.
    controls::discard_fire_key_presses();
}

std::string two_digits(int n) {
    const std::string digits = std::to_string(n);
    return n < 10 ? "0" + digits : digits;
}

void draw_hud(const World& world) {
    const Player& plane = world.player;
    svc::set_colour(80, 80, 80);
    set_text_style(svc::BlendMode::kAlpha, 1.0f, kFontSize);
    svc::draw_text("Score", 175, 52);
    svc::draw_text(two_digits(plane.score), 185, 68);
    draw_centred("Best", 324, 64, kFontSize);
    svc::draw_text(two_digits(plane.best_score), 316, 68);
    svc::draw_text("Stage", 465, 52);
    svc::draw_text(two_digits(plane.level), 475, 68);

    const GameState state = world.flow.state;
    if (state == GameState::kPaused || state == GameState::kTitle || plane.lives <= 1) return;
    use_plain_mask_style();
    for (int i = 1; i <= plane.lives - 1; ++i)
        svc::draw_image(world.pictures.sprites, static_cast<float>(140 + 53 * (i - 1)), 452,
                        sprite_frame::kPlayerNoseRight);
}
