#include "services/audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace svc::detail {
namespace {

constexpr int kFractionBits = 32;
constexpr std::uint64_t kOne = std::uint64_t{1} << kFractionBits;
constexpr float kFractionScale = 1.0f / static_cast<float>(kOne);

std::int16_t saturate(std::int32_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

// One source frame as a left/right pair (a mono sample feeds both sides).
struct Frame {
    float left, right;
};

Frame frame_at(const SoundData& sound, std::int64_t index) {
    const auto i = static_cast<std::size_t>(index) * static_cast<std::size_t>(sound.channels);
    const float left = sound.samples[i];
    return {left, sound.channels == 2 ? static_cast<float>(sound.samples[i + 1]) : left};
}

}  // namespace

float clamp_volume(float volume) {
    if (!(volume > 0.0f)) return 0.0f;  // also NaN
    return volume < 1.0f ? volume : 1.0f;
}

Mixer::Mixer(int output_rate) : output_rate_(output_rate > 0 ? output_rate : 44100) {}

void Mixer::set_output_rate(int hz) {
    std::lock_guard lock(mutex_);
    if (hz > 0) output_rate_ = hz;
}

void Mixer::set_silent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

Channel Mixer::cue(const Sound& sound, const Channel& channel) {
    Channel target = channel ? channel : std::make_shared<ChannelData>();
    std::lock_guard lock(mutex_);
    target->generation = generation_;
    target->sound = sound;
    target->position = 0;
    target->paused = true;
    target->stopped = false;
    target->finished = false;
    target->reported = false;
    return target;
}

Channel Mixer::allocate() {
    auto channel = std::make_shared<ChannelData>();
    std::lock_guard lock(mutex_);
    channel->generation = generation_;
    return channel;
}

void Mixer::set_volume(const Channel& channel, float volume) {
    if (!channel) return;
    std::lock_guard lock(mutex_);
    if (owns(*channel)) channel->volume = clamp_volume(volume);
}

void Mixer::resume(const Channel& channel) {
    if (!channel) return;
    std::lock_guard lock(mutex_);
    ChannelData& ch = *channel;
    if (!owns(ch) || !ch.sound || ch.stopped || ch.finished) return;
    ch.paused = false;
    if (!ch.reported) {
        ch.reported = true;
        if (started_.size() >= kMaxStartedNames) started_.pop_front();
        started_.push_back(ch.sound->name);
    }
    if (ch.sound->frames() == 0) {
        ch.finished = true;  // a sound that failed to load ends at once
        return;
    }
    if (!silent_ && !ch.listed) {
        ch.listed = true;
        listed_.push_back(channel);
    }
}

void Mixer::pause(const Channel& channel) {
    if (!channel) return;
    std::lock_guard lock(mutex_);
    if (owns(*channel)) channel->paused = true;
}

void Mixer::stop(const Channel& channel) {
    if (!channel) return;
    std::lock_guard lock(mutex_);
    if (owns(*channel)) channel->stopped = true;
}

bool Mixer::sounding(const ChannelData& channel) const {
    return owns(channel) && channel.sound && channel.sound->frames() > 0 && !channel.paused &&
           !channel.stopped && !channel.finished;
}

bool Mixer::playing(const Channel& channel) const {
    if (!channel) return false;
    std::lock_guard lock(mutex_);
    return !silent_ && sounding(*channel);
}

std::vector<std::string> Mixer::take_started() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names(std::make_move_iterator(started_.begin()),
                                   std::make_move_iterator(started_.end()));
    started_.clear();
    return names;
}

void Mixer::mix(std::int16_t* out, int frames) {
    if (!out || frames <= 0) return;
    std::lock_guard lock(mutex_);
    accum_.assign(static_cast<std::size_t>(frames) * 2, 0);
    for (const Channel& channel : listed_) {
        if (sounding(*channel)) mix_channel(*channel, accum_, frames);
    }
    // Finished and stopped channels leave the list; paused ones wait in it.
    std::erase_if(listed_, [](const Channel& channel) {
        if (!channel->finished && !channel->stopped) return false;
        channel->listed = false;
        return true;
    });
    for (std::size_t i = 0; i < accum_.size(); ++i) out[i] = saturate(accum_[i]);
}

// Adds one channel to the accumulator, stepping through its sound at the ratio
// of the two rates and interpolating linearly between neighbouring frames. A
// looping sound's last frame blends into its first, so the seam is seamless.
void Mixer::mix_channel(ChannelData& channel, std::span<std::int32_t> accum, int frames) {
    const SoundData& sound = *channel.sound;
    const std::int64_t length = sound.frames();
    const std::uint64_t end = static_cast<std::uint64_t>(length) << kFractionBits;
    const std::uint64_t step = (static_cast<std::uint64_t>(sound.rate) << kFractionBits) /
                               static_cast<std::uint64_t>(output_rate_);
    const float volume = channel.volume;
    std::uint64_t position = channel.position;

    for (int i = 0; i < frames; ++i) {
        if (position >= end) {
            if (!sound.loop) break;
            position %= end;
        }
        const auto index = static_cast<std::int64_t>(position >> kFractionBits);
        const std::int64_t next = index + 1 < length ? index + 1 : (sound.loop ? 0 : index);
        const float fraction = static_cast<float>(position & (kOne - 1)) * kFractionScale;
        const Frame a = frame_at(sound, index);
        const Frame b = frame_at(sound, next);
        const float left = (a.left + (b.left - a.left) * fraction) * volume;
        const float right = (a.right + (b.right - a.right) * fraction) * volume;
        accum[static_cast<std::size_t>(i) * 2] += static_cast<std::int32_t>(std::lrint(left));
        accum[static_cast<std::size_t>(i) * 2 + 1] += static_cast<std::int32_t>(std::lrint(right));
        position += step;
    }
    if (sound.loop) {
        position %= end;
    } else if (position >= end) {
        channel.finished = true;
    }
    channel.position = position;
}

void Mixer::reset() {
    std::lock_guard lock(mutex_);
    for (const Channel& channel : listed_) {
        channel->stopped = true;
        channel->listed = false;
    }
    listed_.clear();
    started_.clear();
    ++generation_;
}

std::size_t Mixer::listed_count() const {
    std::lock_guard lock(mutex_);
    return listed_.size();
}

Mixer& service_mixer() {
    static Mixer mixer;
    return mixer;
}

}  // namespace svc::detail
