#pragma once
// Our own software mixer: decoded sounds, the channels that play them, and the
// mixing of every sounding channel into one interleaved stereo 16-bit stream.
//
// The audio device calls mix() from its own thread while the game changes
// channels from the game thread, so every channel field is guarded by the
// mixer's one mutex; mix() holds it only for the length of one buffer.
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "services/audio/sound.h"

namespace svc {

// A sound decoded whole into memory. Immutable once loaded, so the mixing
// thread may read its samples without the lock.
struct SoundData {
    std::string name;                   // base name of its file ("fire"), for traces
    std::vector<std::int16_t> samples;  // interleaved when stereo
    int channels = 1;                   // 1 or 2
    int rate = 44100;                   // frames per second
    bool loop = false;
    std::int64_t frames() const {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
};

// One voice. Every field below is guarded by the mutex of the mixer that made it.
struct ChannelData {
    Sound sound;                 // null for an idle channel
    std::uint64_t position = 0;  // in source frames, 32.32 fixed point
    float volume = 1.0f;
    bool paused = true;
    bool stopped = false;
    bool finished = false;
    bool reported = false;  // already named by take_started since it was cued
    bool listed = false;    // in the mixer's list of channels to mix
    std::uint64_t generation = 0;
};

namespace detail {

class Mixer {
  public:
    static constexpr std::size_t kMaxStartedNames = 1024;

    explicit Mixer(int output_rate = 44100);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The rate mix() produces; sounds at other rates are resampled to it.
    void set_output_rate(int hz);
    // With no output, channels keep their state but never sound: they are not
    // mixed and channel_playing() gives 0.
    void set_silent(bool silent);

    Channel cue(const Sound& sound, const Channel& channel);
    Channel allocate();
    void set_volume(const Channel& channel, float volume);
    void resume(const Channel& channel);
    void pause(const Channel& channel);
    void stop(const Channel& channel);
    bool playing(const Channel& channel) const;
    std::vector<std::string> take_started();

    // Fills `frames` interleaved stereo frames; called by the audio output.
    void mix(std::int16_t* out, int frames);

    // Stops every channel it made, for good, and forgets them.
    void reset();
    // Channels currently in the mix list (sounding or paused after sounding).
    std::size_t listed_count() const;

  private:
    bool owns(const ChannelData& channel) const { return channel.generation == generation_; }
    bool sounding(const ChannelData& channel) const;
    void mix_channel(ChannelData& channel, std::span<std::int32_t> accum, int frames);

    mutable std::mutex mutex_;
    int output_rate_;
    bool silent_ = false;
    std::uint64_t generation_ = 1;
    std::vector<Channel> listed_;
    std::deque<std::string> started_;
    std::vector<std::int32_t> accum_;
};

// Clamps a channel volume to 0..1; NaN counts as silence.
float clamp_volume(float volume);

// Decodes a whole Ogg Vorbis stream held in memory. On failure returns null and
// puts the reason in `error`.
Sound decode_ogg(std::span<const std::uint8_t> bytes, std::string& error);

// The mixer behind the sound services.
Mixer& service_mixer();

}  // namespace detail
}  // namespace svc
