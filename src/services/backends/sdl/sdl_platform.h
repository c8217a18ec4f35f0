#pragma once
// The SDL2 back end of the real game: a borderless window covering the desktop
// (or, with SCRIBBLE_WINDOWED=1, a resizable 640 x 480 window) that shows the
// software-rendered frame scaled up with its aspect kept, the keyboard, mouse
// and joysticks, the wall clock and an SDL audio device.
#include <array>
#include <chrono>
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
union SDL_Event;

namespace svc {

// The SDL scancode (layout independent) as a virtual-key number, 0 when the key
// has none.
int virtual_key_from_scancode(int scancode);
// A joystick axis position (-32768 to 32767) as -1.0 to 1.0, full deflection
// either way reading exactly -1.0 or 1.0.
float joystick_axis_value(int position);

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

    int millisecs() override;
    void sleep(int ms) override;

    std::unique_ptr<AudioOutput> open_audio(AudioMixFn mix) override;

  private:
    // Per port: the stick's own position and the hat's, which wins while pushed.
    struct Pad {
        _SDL_Joystick* handle = nullptr;
        int instance_id = -1;
        float stick_x = 0, stick_y = 0;
        int hat_x = 0, hat_y = 0;
        bool needs_sync = true;  // push its current state into the input state
    };

    void handle_event(const SDL_Event& event, InputState& input);
    void handle_key(const SDL_Event& event, InputState& input);
    void handle_window_event(const SDL_Event& event, InputState& input);
    void handle_joystick_event(const SDL_Event& event, InputState& input);
    int port_of(int instance_id) const;
    void update_pad_axes(int port, InputState& input);
    void sync_pads(InputState& input);
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
