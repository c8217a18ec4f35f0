#pragma once
// A back end for service tests: a clock that only sleeping and presenting move,
// a present that can take a set time, and a record of what was asked of it.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "services/input.h"
#include "services/platform.h"

namespace testing_support {

class FakePlatform : public svc::Platform {
  public:
    struct Present {
        int ms = 0;  // the clock after presenting
        bool wait_vblank = false;
    };

    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override {
        if (fail_open) return false;
        title_seen = std::string(title);
        width_seen = width;
        height_seen = height;
        fullscreen_now = fullscreen;
        ++screens_opened;
        for (auto& event : sent_once_open) queued.push_back(std::move(event));
        sent_once_open.clear();
        return true;
    }
    void close_screen() override { ++screens_closed; }
    void present(const std::uint32_t*, bool wait_vblank) override {
        if (wait_vblank && vblank)
            clock += refresh_hz > 0 && simulate_refresh ? until_next_refresh() : next_vblank_cost();
        presents.push_back({clock, wait_vblank});
    }
    bool has_vblank() const override { return vblank; }
    bool fullscreen() const override { return fullscreen_now; }
    int refresh_rate() const override { return refresh_hz; }
    void pump_events(svc::InputState& input) override {
        ++pumps;
        for (auto& event : queued) event(input);
        queued.clear();
    }
    void move_pointer(svc::InputState& input, int x, int y) override {
        input.mouse_move(x, y);
        pointer_moves.push_back({x, y});
    }
    void hide_pointer() override { pointer_hidden = true; }
    int open_joysticks() override { return joysticks; }
    int milliseconds() override { return clock; }
    void sleep(int ms) override {
        if (ms > 0) clock += ms;
        sleeps.push_back(ms);
    }
    std::unique_ptr<svc::AudioOutput> open_audio(svc::AudioMixFn) override { return nullptr; }

    // A display refreshing refresh_hz times a second from time 0: the wait until
    // the next refresh strictly after now (the clock counts whole ms, so the
    // refresh is taken at the first whole ms at or after it).
    int until_next_refresh() {
        const long long period_us = 1000000LL / refresh_hz;
        const long long now_us = static_cast<long long>(clock) * 1000;
        const long long next_us = (now_us / period_us + 1) * period_us;
        return static_cast<int>((next_us + 999) / 1000) - clock;
    }

    // What a vertical-blank present costs: the listed costs in turn, then the last one.
    int next_vblank_cost() {
        if (vblank_costs.empty()) return 0;
        const int cost = vblank_costs[std::min(vblank_index, vblank_costs.size() - 1)];
        ++vblank_index;
        return cost;
    }

    bool fail_open = false;
    bool vblank = false;
    int refresh_hz = 0;  // the rate reported; a vertical-blank present waits for its next refresh
    bool simulate_refresh = true;  // false: a driver that reports the rate, then ignores the wait
    std::vector<int> vblank_costs;
    std::size_t vblank_index = 0;
    int clock = 0;
    int joysticks = 0;
    int pumps = 0;
    int screens_opened = 0, screens_closed = 0;
    bool pointer_hidden = false;
    std::string title_seen;
    int width_seen = 0, height_seen = 0;
    bool fullscreen_now = false;
    std::vector<Present> presents;
    std::vector<int> sleeps;
    std::vector<std::pair<int, int>> pointer_moves;
    std::vector<std::function<void(svc::InputState&)>> queued;  // delivered at the next pump
    // Events the player sends to the window as soon as it shows: queued when the screen opens.
    std::vector<std::function<void(svc::InputState&)>> sent_once_open;
};

}  // namespace testing_support
