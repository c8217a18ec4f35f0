#include "services/backends/sdl/sdl_audio.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace svc {
namespace {

// The audio device: SDL calls back from its own thread for each buffer.
class SdlAudioOutput final : public AudioOutput {
  public:
    explicit SdlAudioOutput(AudioMixFn mix) : mix_(std::move(mix)) {}
    ~SdlAudioOutput() override {
        if (device_) SDL_CloseAudioDevice(device_);
    }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    int sample_rate() const override { return rate_; }

    bool open() {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
#ifdef __EMSCRIPTEN__
        // A page mixes between the game's frames only: a buffer must outlast one.
        want.samples = 1024;
#else
        want.samples = 512;  // about 12 ms: effects start without a noticeable lag
#endif
        want.callback = &SdlAudioOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!device_) return false;
        rate_ = have.freq;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

  private:
    static void callback(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlAudioOutput*>(userdata);
        std::memset(stream, 0, static_cast<std::size_t>(length));
        self->mix_(reinterpret_cast<std::int16_t*>(stream), length / 4);
    }

    AudioMixFn mix_;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 44100;
};

// True when the kernel reports no sound card at all (or has no sound support),
// so ALSA would only fail after printing its complaints.
bool no_sound_cards() {
#ifdef __EMSCRIPTEN__
    return false;  // a browser has its one way to play sound, which SDL knows
#endif
    std::FILE* cards = std::fopen("/proc/asound/cards", "r");
    if (!cards) return true;
    char line[128] = {};
    const bool none = std::fgets(line, sizeof line, cards) && std::strstr(line, "no soundcards");
    std::fclose(cards);
    return none;
}

// Starts SDL's audio with the first driver that works. Unless the user chose a
// driver, ALSA is skipped on a machine without sound cards, where it cannot
// succeed and only fills standard error.
bool init_audio_subsystem(std::string& error) {
    if (std::getenv("SDL_AUDIODRIVER") || !no_sound_cards()) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
        error = SDL_GetError();
        return false;
    }
    for (const char* driver : {"pipewire", "pulseaudio", "jack"}) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
    }
    SDL_SetHint(SDL_HINT_AUDIODRIVER, nullptr);
    error = "no sound card";
    return false;
}

}  // namespace

std::unique_ptr<AudioOutput> open_sdl_audio(AudioMixFn mix) {
    std::string error;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && !init_audio_subsystem(error)) {
        std::fprintf(stderr, "sound off: %s\n", error.c_str());
        return nullptr;
    }
    auto output = std::make_unique<SdlAudioOutput>(std::move(mix));
    if (!output->open()) {
        std::fprintf(stderr, "sound off: could not open an audio device: %s\n", SDL_GetError());
        return nullptr;
    }
    return output;
}

}  // namespace svc
