#include "services/backends/sdl/sdl_platform.h"

#include <SDL.h>

#include <thread>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif
#include <utility>

#include "services/backends/sdl/sdl_audio.h"

namespace svc {

SdlPlatform::SdlLibrary::~SdlLibrary() {
    SDL_Quit();
}

// SDL turns SIGINT and SIGTERM into a quit event, so an interrupted game still
// ends through its exit path and keeps its best score.
SdlPlatform::SdlPlatform(SdlOptions options)
    : video_(options.windowed, options.scale), clock_start_(std::chrono::steady_clock::now()) {}

bool SdlPlatform::open_screen(std::string_view title, int width, int height, bool fullscreen) {
    return video_.open(title, width, height, fullscreen);
}

void SdlPlatform::close_screen() {
    video_.close();
}

void SdlPlatform::present(const std::uint32_t* pixels, bool wait_vblank) {
    video_.present(pixels, wait_vblank);
}

void SdlPlatform::pump_events(InputState& input) {
    input_.pump_events(input);
}

void SdlPlatform::move_pointer(InputState& input, int x, int y) {
    input.mouse_move(x, y);
    video_.warp_pointer(x, y);
}

void SdlPlatform::hide_pointer() {
    video_.hide_pointer();
}

int SdlPlatform::open_joysticks() {
    return pads_.open_all();
}

int SdlPlatform::milliseconds() {
    const auto elapsed = std::chrono::steady_clock::now() - clock_start_;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

// The steady clock counts from the machine's start, so it differs between
// launches; truncated to 32 bits, it wraps after 49 days.
int SdlPlatform::launch_clock() {
    const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
    return static_cast<int>(static_cast<std::uint32_t>(ms));
}

void SdlPlatform::sleep(int ms) {
    if (ms <= 0) return;
#ifdef __EMSCRIPTEN__
    // A page runs one thing at a time: the browser (its events, the sound) runs
    // only while the game sleeps, and a thread's sleep would hold it up.
    emscripten_sleep(static_cast<unsigned>(ms));
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

std::unique_ptr<AudioOutput> SdlPlatform::open_audio(AudioMixFn mix) {
    return open_sdl_audio(std::move(mix));
}

}  // namespace svc
