#pragma once
// The narrow interface between the portable services and a platform back end
// (SDL2 for the real game, headless for tests and tooling). The services call
// the back end; the back end never calls the game.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace svc {

class InputState;

// Fills `frames` interleaved stereo frames of 16-bit samples at the output's rate.
using AudioMixFn = std::function<void(std::int16_t* out, int frames)>;

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    virtual int sample_rate() const = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Opens the screen of width x height game pixels; false when no display can
    // be had. `fullscreen` follows the ScreenMode given to open_graphics.
    virtual bool open_screen(std::string_view title, int width, int height, bool fullscreen) = 0;
    // How many times finer than the screen's game pixels the back end wants its
    // frames, chosen when the screen opened: the frames handed to present() are
    // then that many times larger each way, while the pointer stays in game pixels.
    virtual int frame_scale() const { return 1; }
    // Why the last open_screen failed, in a few words ("" when unknown).
    virtual std::string last_error() const { return {}; }
    virtual void close_screen() = 0;
    // Shows a finished frame (0xAARRGGBB, alpha ignored); with wait_vblank the
    // call returns after the display's vertical blank where it has one.
    virtual void present(const std::uint32_t* pixels, bool wait_vblank) = 0;
    // True when present(..., true) really waits for a vertical blank.
    virtual bool has_vblank() const = 0;
    // Whether the screen is full screen now. A back end may let the player switch
    // at any moment (the SDL window's Alt+Enter and F11); the pacing follows.
    virtual bool fullscreen() const = 0;
    // The display's refresh rate in Hz while full screen, 0 when it does not say.
    virtual int refresh_rate() const { return 0; }

    // Moves pending window, keyboard, mouse and joystick events into `input`.
    virtual void pump_events(InputState& input) = 0;
    // Places the pointer at game pixel (x, y); the input state follows.
    virtual void move_pointer(InputState& input, int x, int y) = 0;
    virtual void hide_pointer() = 0;
    // Opens the joysticks attached now and returns how many there are.
    virtual int open_joysticks() = 0;

    virtual int milliseconds() = 0;
    virtual void sleep(int ms) = 0;
    // A millisecond clock that differs from one launch of the program to the
    // next (the real back end counts from the machine's start), for seeding.
    virtual int launch_clock() { return milliseconds(); }

    // Starts audio output that calls `mix` whenever it needs samples (possibly
    // from another thread); nullptr when no device opens.
    virtual std::unique_ptr<AudioOutput> open_audio(AudioMixFn mix) = 0;
};

// The back end the services use, installed by a Session (services/session.h)
// for as long as it lives.
void install_platform(Platform* platform);
Platform& platform();
bool has_platform();

// The application's title, which the screen's window takes as its caption when
// open_graphics creates it.
void set_app_title(std::string_view title);
const std::string& window_title();

}  // namespace svc
