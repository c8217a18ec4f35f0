#pragma once
// The SDL2 back end of the real game: a borderless window covering the desktop
// (or, with SCRIBBLE_WINDOWED=1, a resizable 640 x 480 window) that shows the
// software-rendered frame scaled up with its aspect kept, the keyboard, mouse,
// joysticks and gamepads (plugged in before or during play), the wall clock and
// an SDL audio device.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "services/input.h"
#include "services/platform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct _SDL_Joystick;
struct _SDL_GameController;
union SDL_Event;

namespace svc {

// The SDL scancode (layout independent) as a virtual-key number, 0 when the key
// has none.
int virtual_key_from_scancode(int scancode);
// A joystick axis position (-32768 to 32767) as -1.0 to 1.0, full deflection
// either way reading exactly -1.0 or 1.0.
float joystick_axis_value(int position);
// The game's joystick button for an SDL game-controller button, -1 for none:
// the south face button fires and chooses (0), the west face button and Start
// pause (2); the east and north face buttons are 1 and 3.
int joystick_button_from_pad_button(int pad_button);

class SdlPlatform final : public Platform {
  public:
    SdlPlatform();
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override;
    std::string last_error() const override { return last_error_; }
    void close_screen() override;
    void present(const std::uint32_t* pixels, bool wait_vblank) override;
    bool has_vblank() const override { return vsync_capable_; }

    void pump_events(InputState& input) override;
    void move_pointer(InputState& input, int x, int y) override;
    void hide_pointer() override;
    int open_joysticks() override;

    int milliseconds() override;
    void sleep(int ms) override;

    std::unique_ptr<AudioOutput> open_audio(AudioMixFn mix) override;

  private:
    // Per port: the stick's own position and the d-pad's (SDL_HAT_* bits), which
    // wins while pushed. A pad SDL knows the layout of is opened as a game
    // controller and read through its named buttons; any other joystick by its
    // raw button numbers. A port without a handle is free for the next pad.
    struct Pad {
        _SDL_Joystick* handle = nullptr;
        _SDL_GameController* controller = nullptr;
        int instance_id = -1;
        float stick_x = 0, stick_y = 0;
        int dpad = 0;
        // Per game button, the physical buttons holding it down (one bit each),
        // so that two buttons sharing a meaning release it only when both are up.
        std::array<std::uint32_t, kMaxJoystickButtons> held_by{};
        bool needs_sync = true;  // push its current state into the input state
    };

    void handle_event(const SDL_Event& event, InputState& input);
    void handle_key(const SDL_Event& event, InputState& input);
    void handle_window_event(const SDL_Event& event, InputState& input);
    void handle_joystick_event(const SDL_Event& event, InputState& input);
    void handle_controller_event(const SDL_Event& event, InputState& input);
    int port_of(int instance_id) const;
    int raw_joystick_port(int instance_id) const;
    int controller_port(int instance_id) const;
    void update_pad_axes(int port, InputState& input);
    void set_dpad(int port, int bit, bool down, InputState& input);
    void press(int port, int button, int source, bool down, InputState& input);
    void sync_pads(InputState& input);
    void sync_controller(int port, InputState& input);
    void sync_raw_joystick(int port, InputState& input);
    bool open_pad(int device_index);
    void release_pad(int port, InputState& input);
    int port_count() const;
    void close_joysticks();
    void clamp_pointer(int& x, int& y) const;

    bool video_ready_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0, height_ = 0;
    bool vsync_capable_ = false;
    bool vsync_on_ = false;
    std::string last_error_;
    std::vector<Pad> pads_;
    std::chrono::steady_clock::time_point clock_start_;
};

}  // namespace svc
