#pragma once
// A monkey pilot for the headless harness: from a seed, it presses and releases
// the game's keys, clicks at random places, moves the joystick and presses its
// buttons, and loses and regains the window's focus, for as long as a run
// lasts. It never asks to close the window and steers clear of the few inputs
// that would end the game on purpose (Escape and "Quit" on the title menu), so
// one run covers title, stages, deaths, game over and the menus many times.
//
// Use: harness::Options::input_script = monkey.timed_script(frames) for the
// focus changes (a suspended game shows no frames, so only the clock can wake
// it), and call monkey.act(svc::input_state(), world.flow.state) from the
// run's observer.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "services/input.h"
#include "shell/menus.h"

namespace monkey {

class Monkey {
  public:
    explicit Monkey(std::uint32_t seed) : random_(seed) {}

    // Focus lost and regained now and then, as timed script events, plus one
    // joystick event before the first flip so the run has a joystick plugged in.
    std::string timed_script(int frames) {
        std::string script = "0 joy 0 axis x 0\n";
        const int end_ms = frames * 1000 / 60;
        for (int ms = next_gap(); ms < end_ms; ms += next_gap()) {
            const int away = between(50, 900);
            script += "@" + std::to_string(ms) + " focus lost\n";
            script += "@" + std::to_string(ms + away) + " focus gained\n";
            ms += away;
        }
        return script;
    }

    // One flip's worth of random input, for a game in `state`.
    void act(svc::InputState& input, GameState state) {
        state_ = state;
        release_taps(input);
        clicked_ = false;
        if (chance(0.10)) tap_key(input, svc::vk::kLeftControl);
        if (chance(0.04)) toggle_key(input, svc::vk::kUp);
        if (chance(0.04)) toggle_key(input, svc::vk::kDown);
        if (chance(0.01)) tap_key(input, chance(0.5) ? svc::vk::kLeft : svc::vk::kRight);
        if (chance(0.004)) tap_key(input, svc::vk::kSpace);
        if (chance(0.01)) click(input, between(-20, 660), between(-20, 500));
        if (state_ == GameState::kTitle && chance(0.01)) click(input, between(0, 639), kStartRow);
        if (chance(0.02)) move_stick(input);
        if (chance(0.01)) press_joy_button(input, between(0, 2));
        if (chance(0.003)) input.mouse_move(between(0, 639), between(0, 479));
        // A click read by the pause menu in the same frame may already have
        // gone back to the title, where Escape quits.
        const bool may_reach_title = title_next() || (state_ == GameState::kPaused && clicked_);
        if (chance(0.001) && !may_reach_title) tap_key(input, svc::vk::kEscape);
    }

  private:
    static constexpr int kStartRow = menu_item_line_y(MenuItem::kStart) + 1;
    static constexpr int kPointerSlack = 12;

    // The title menu's "Quit" rows, with room for a pointer the stick is moving.
    static bool near_quit_line(int y) {
        const int top = menu_item_top_row(MenuItem::kExit);
        return y > top - kPointerSlack && y <= top + kMenuItemPitch + kPointerSlack;
    }

    // Input given now is read in the next frame, which may already show the
    // title menu when the game-over screen is up.
    bool title_next() const {
        return state_ == GameState::kTitle || state_ == GameState::kGameOver;
    }

    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    int next_gap() { return between(20'000, 200'000); }

    void tap_key(svc::InputState& input, int vk) {
        if (input.key_down(vk)) return;
        input.key_event(vk, true, false);
        taps_.push_back(vk);
    }
    void toggle_key(svc::InputState& input, int vk) {
        input.key_event(vk, input.key_down(vk) == 0, false);
    }
    void click(svc::InputState& input, int x, int y) {
        if (title_next() && near_quit_line(y)) return;
        input.mouse_move(x, y);
        input.mouse_button(1, true);
        input.mouse_button(1, false);
        clicked_ = true;
    }
    void move_stick(svc::InputState& input) {
        static constexpr float kValues[] = {-1.0f, 0.0f, 1.0f, -0.5f, 0.3f, 0.999f};
        const int axis = between(0, 1);
        input.joystick_axis(0, axis, kValues[between(0, 5)]);
    }
    // Button 0 is left alone where it would pick "Quit", and during game over,
    // whose end waits for a held button to be let go (a monkey releases it
    // only on the next flip, which that wait never shows).
    void press_joy_button(svc::InputState& input, int button) {
        if (button == 0 &&
            (state_ == GameState::kGameOver || (title_next() && near_quit_line(input.mouse_y())))) {
            return;
        }
        input.joystick_button(0, button, true);
        joy_taps_.push_back(button);
        if (button == 0) clicked_ = true;
    }
    void release_taps(svc::InputState& input) {
        for (const int vk : taps_) input.key_event(vk, false, false);
        for (const int button : joy_taps_) input.joystick_button(0, button, false);
        taps_.clear();
        joy_taps_.clear();
    }

    std::mt19937 random_;
    std::vector<int> taps_;
    std::vector<int> joy_taps_;
    bool clicked_ = false;  // this flip
    GameState state_ = GameState::kStartingUp;
};

}  // namespace monkey
