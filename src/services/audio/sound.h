#pragma once
// Sounds decoded whole into memory, and channels that play them through our own
// mixer. With no working audio device every call still succeeds, silently.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace svc {

enum SoundFlag : int { kLoopSound = 1 };

struct SoundData;
using Sound = std::shared_ptr<SoundData>;
struct ChannelData;
using Channel = std::shared_ptr<ChannelData>;

// A missing or undecodable file gives a silent sound that accepts every call.
Sound load_sound(std::string_view path, int flags);
// A channel holding the sound at its start, paused (a new one when `channel` is null).
Channel cue_sound(const Sound& sound, const Channel& channel = nullptr);
Channel allocate_channel();
void set_channel_volume(const Channel& channel, float volume);
void resume_channel(const Channel& channel);
void pause_channel(const Channel& channel);
void stop_channel(const Channel& channel);
bool channel_playing(const Channel& channel);

// Base names (such as "fire") of the sounds that started playing since the last
// call, in order; for traces.
std::vector<std::string> take_started_sounds();

// Shuts the audio output down and stops every channel for good; the next sound
// operation opens a new output.
void close_audio();
// A file that could not be loaded is reported once; this forgets those reports.
void forget_reported_sounds();

}  // namespace svc
