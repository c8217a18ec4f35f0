#pragma once
// Joysticks and gamepads through SDL, plugged in before or during play. Each
// pad takes the first free port; its left stick or first two axes steer, its
// d-pad or first hat steers at full deflection while held, and its buttons
// become the game's joystick buttons.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "services/input.h"

struct _SDL_Joystick;
struct _SDL_GameController;
union SDL_Event;

namespace svc {

// A joystick axis position (-32768 to 32767) as -1.0 to 1.0, full deflection
// either way reading exactly -1.0 or 1.0.
float joystick_axis_value(int position);
// The game's joystick button for an SDL game-controller button, -1 for none:
// the south face button fires and chooses (0), the west face button and Start
// pause (2); the east and north face buttons are 1 and 3.
int joystick_button_from_pad_button(int pad_button);

class SdlPads {
  public:
    SdlPads() = default;
    SdlPads(const SdlPads&) = delete;
    SdlPads& operator=(const SdlPads&) = delete;

    // Starts SDL's game controllers, closes any pads open so far and opens those
    // attached now; returns how many ports are in use.
    int open_all();
    void close_all();
    // Pushes the current state of freshly opened pads into `input`.
    void sync(InputState& input);
    // Joystick and game-controller events, hot-plugging included; other events
    // are ignored.
    void handle_event(const SDL_Event& event, InputState& input);

  private:
    struct CloseController {
        void operator()(_SDL_GameController* controller) const;
    };
    struct CloseJoystick {
        void operator()(_SDL_Joystick* joystick) const;
    };

    // Per port: the stick's own position and the d-pad's (SDL_HAT_* bits), which
    // wins while pushed. A pad SDL knows the layout of is opened as a game
    // controller and read through its named buttons; any other joystick by its
    // raw button numbers. A port without a handle is free for the next pad.
    struct Pad {
        std::unique_ptr<_SDL_GameController, CloseController> controller;
        std::unique_ptr<_SDL_Joystick, CloseJoystick> raw_joystick;  // when no controller
        _SDL_Joystick* handle = nullptr;  // the joystick read, either way
        int instance_id = -1;
        float stick_x = 0, stick_y = 0;
        int dpad = 0;
        // Per game button, the physical buttons holding it down (one bit each),
        // so that two buttons sharing a meaning release it only when both are up.
        std::array<std::uint32_t, kMaxJoystickButtons> held_by{};
        bool needs_sync = true;  // push its current state into the input state
    };

    void handle_joystick_event(const SDL_Event& event, InputState& input);
    void handle_controller_event(const SDL_Event& event, InputState& input);
    int port_of(int instance_id) const;
    int raw_joystick_port(int instance_id) const;
    int controller_port(int instance_id) const;
    void update_axes(int port, InputState& input);
    void set_dpad(int port, int bit, bool down, InputState& input);
    void press(int port, int button, int source, bool down, InputState& input);
    void sync_controller(int port, InputState& input);
    void sync_raw_joystick(int port, InputState& input);
    bool open_pad(int device_index);
    void release_pad(int port, InputState& input);
    int port_count() const;

    std::vector<Pad> pads_;
};

}  // namespace svc
