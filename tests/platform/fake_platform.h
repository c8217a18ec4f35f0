#pragma once
// A back end for service tests: a clock that only sleeping and presenting move,
// a present that can take a set time, and a record of what was asked of it.
#include <string>
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
        fullscreen_seen = fullscreen;
        ++screens_opened;
        return true;
    }
    void close_screen() override { ++screens_closed; }
    void present(const std::uint32_t*, bool wait_vblank) override {
        if (wait_vblank && vblank) clock += next_vblank_cost();
        presents.push_back({clock, wait_vblank});
    }
    bool has_vblank() const override { return vblank; }
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

    // What a vertical-blank present costs: the listed costs in turn, then the last one.
    int next_vblank_cost() {
        if (vblank_costs.empty()) return 0;
        const int cost = vblank_costs[std::min(vblank_index, vblank_costs.size() - 1)];
        ++vblank_index;
        return cost;
    }

    bool fail_open = false;
    bool vblank = false;
    std::vector<int> vblank_costs;
    std::size_t vblank_index = 0;
    int clock = 0;
    int joysticks = 0;
    int pumps = 0;
    int screens_opened = 0, screens_closed = 0;
    bool pointer_hidden = false;
    std::string title_seen;
    int width_seen = 0, height_seen = 0;
    bool fullscreen_seen = false;
    std::vector<Present> presents;
    std::vector<int> sleeps;
    std::vector<std::pair<int, int>> pointer_moves;
    std::vector<std::function<void(svc::InputState&)>> queued;  // delivered at the next pump
};

}  // namespace testing_support
