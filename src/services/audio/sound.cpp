// The sound services: loading, the channel operations and the audio output
// that the mixer feeds. The output opens on the first sound operation; when no
// device opens, every operation still succeeds and nothing sounds.
#include "services/audio/sound.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
#include <set>

#include "services/audio/mixer.h"
#include "services/files.h"
#include "services/platform.h"
#include "services/timing.h"

namespace svc {
namespace {

struct AudioState {
    bool attempted = false;
    std::unique_ptr<AudioOutput> output;
};

AudioState& audio_state() {
    static AudioState state;
    return state;
}

void ensure_output() {
    AudioState& state = audio_state();
    detail::Mixer& mixer = detail::service_mixer();
    if (state.attempted) return;
    if (!has_platform()) {
        mixer.set_silent(true);  // try again once a back end is installed
        return;
    }
    state.attempted = true;
    // The device may start calling back before open_audio returns, so the
    // mixer must not be locked here.
    state.output =
        platform().open_audio([&mixer](std::int16_t* out, int frames) { mixer.mix(out, frames); });
    if (state.output) mixer.set_output_rate(state.output->sample_rate());
    mixer.set_silent(state.output == nullptr);
}

std::string base_name(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const auto dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
    return std::string(path);
}

// Says once per file that it could not be loaded, so a drone reloaded at every
// stage does not repeat the line.
struct ReportedSounds {
    std::mutex mutex;
    std::set<std::string> paths;
};

ReportedSounds& reported_sounds() {
    static ReportedSounds reported;
    return reported;
}

void report_load_failure(const std::string& path, const std::string& reason) {
    ReportedSounds& reported = reported_sounds();
    std::lock_guard lock(reported.mutex);
    if (!reported.paths.insert(path).second) return;
    std::cerr << "could not load " << path << ": " << reason << '\n';
}

}  // namespace

Sound load_sound(std::string_view path, int flags) {
    ensure_output();
    std::string error;
    Sound sound;
    if (auto bytes = read_whole_file(path)) {
        sound = detail::decode_ogg(*bytes, error);
    } else {
        error = std::strerror(errno);
    }
    if (!sound) {
        report_load_failure(std::string(path), error);
        sound = std::make_shared<SoundData>();
    }
    sound->name = base_name(path);
    sound->loop = (flags & kLoopSound) != 0;
    return sound;
}

Channel cue_sound(const Sound& sound, const Channel& channel) {
    ensure_output();
    return detail::service_mixer().cue(sound, channel);
}

Channel allocate_channel() {
    ensure_output();
    return detail::service_mixer().allocate();
}

void set_channel_volume(const Channel& channel, float volume) {
    ensure_output();
    detail::service_mixer().set_volume(channel, volume);
}

void resume_channel(const Channel& channel) {
    ensure_output();
    detail::service_mixer().resume(channel);
}

void pause_channel(const Channel& channel) {
    ensure_output();
    detail::service_mixer().pause(channel);
}

void stop_channel(const Channel& channel) {
    ensure_output();
    detail::service_mixer().stop(channel);
}

bool channel_playing(const Channel& channel) {
    ensure_output();
    return detail::service_mixer().playing(channel);
}

std::vector<std::string> take_started_sounds() {
    return detail::service_mixer().take_started();
}

void forget_reported_sounds() {
    ReportedSounds& reported = reported_sounds();
    std::lock_guard lock(reported.mutex);
    reported.paths.clear();
}

void close_audio() {
    AudioState& state = audio_state();
    // Closing the output waits for a running callback, which takes the mixer's
    // lock: so the output goes first, and the mixer is reset afterwards.
    state.output.reset();
    state.attempted = false;
    detail::service_mixer().reset();
}

}  // namespace svc
