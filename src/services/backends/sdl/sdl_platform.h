#pragma once
// The SDL2 back end of the real game: a window, full screen or not and switched
// by the player with Alt+Enter or F11, that shows the software-rendered frame
// scaled up with its aspect kept; the keyboard, mouse, joysticks and gamepads
// (plugged in before or during play), the wall clock and an SDL audio device.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "services/backends/sdl/sdl_input.h"
#include "services/backends/sdl/sdl_pads.h"
#include "services/backends/sdl/sdl_video.h"
#include "services/platform.h"

namespace svc {

struct SdlOptions {
    bool windowed = false;  // open a window where the game asks for full screen
    int scale = 0;          // frames this many times finer (1 to 4); 0: the most the display holds
};

class SdlPlatform final : public Platform {
  public:
    explicit SdlPlatform(SdlOptions options = {});
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override;
    int frame_scale() const override { return video_.scale(); }
    std::string last_error() const override { return video_.last_error(); }
    void close_screen() override;
    void present(const std::uint32_t* pixels, bool wait_vblank) override;
    bool has_vblank() const override { return video_.has_vblank(); }
    bool fullscreen() const override { return video_.fullscreen(); }
    int refresh_rate() const override { return video_.refresh_rate(); }

    void pump_events(InputState& input) override;
    void move_pointer(InputState& input, int x, int y) override;
    void hide_pointer() override;
    int open_joysticks() override;

    int milliseconds() override;
    void sleep(int ms) override;
    int launch_clock() override;

    std::unique_ptr<AudioOutput> open_audio(AudioMixFn mix) override;

  private:
    // Shuts SDL down when the platform goes.
    struct SdlLibrary {
        SdlLibrary() = default;
        ~SdlLibrary();
        SdlLibrary(const SdlLibrary&) = delete;
        SdlLibrary& operator=(const SdlLibrary&) = delete;
    };

    // Members are destroyed in reverse order: the window closes first, then the
    // pads, and SDL itself shuts down last.
    SdlLibrary library_;
    SdlPads pads_;
    SdlVideo video_;
    SdlInput input_{video_, pads_};
    std::chrono::steady_clock::time_point clock_start_;
};

}  // namespace svc
