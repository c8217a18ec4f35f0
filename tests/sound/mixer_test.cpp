// The mixer driven directly, as an audio output would drive it.
#include "services/audio/mixer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

using svc::detail::Mixer;

svc::Sound make_sound(std::vector<std::int16_t> samples, int channels = 1, int rate = 44100,
                      bool loop = false, std::string name = "test") {
    auto sound = std::make_shared<svc::SoundData>();
    sound->samples = std::move(samples);
    sound->channels = channels;
    sound->rate = rate;
    sound->loop = loop;
    sound->name = std::move(name);
    return sound;
}

// Mixes `frames` frames and returns the left samples (the right when asked).
std::vector<int> mix(Mixer& mixer, int frames, int side = 0) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 12345);
    mixer.mix(out.data(), frames);
    std::vector<int> result;
    for (int i = 0; i < frames; ++i) result.push_back(out[static_cast<std::size_t>(i) * 2 + side]);
    return result;
}

std::vector<int> zeros(int n) {
    return std::vector<int>(static_cast<std::size_t>(n), 0);
}

TEST(Mixer, CuedChannelIsSilentUntilResumedAndItsVolumeAppliesFromTheFirstSample) {
    Mixer mixer;
    const auto sound = make_sound({1000, 2000, 3000, 4000});
    const auto channel = mixer.cue(sound, nullptr);
    EXPECT_FALSE(mixer.playing(channel));
    mixer.set_volume(channel, 0.5f);
    EXPECT_EQ(mix(mixer, 2), zeros(2));
    EXPECT_FALSE(mixer.playing(channel));

    mixer.resume(channel);
    EXPECT_TRUE(mixer.playing(channel));
    EXPECT_EQ(mix(mixer, 4), (std::vector<int>{500, 1000, 1500, 2000}));
}

TEST(Mixer, VolumeIsClampedToTheRangeZeroToOne) {
    EXPECT_EQ(svc::detail::clamp_volume(1.0000001f), 1.0f);
    EXPECT_EQ(svc::detail::clamp_volume(7.0f), 1.0f);
    EXPECT_EQ(svc::detail::clamp_volume(-0.5f), 0.0f);
    EXPECT_EQ(svc::detail::clamp_volume(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(svc::detail::clamp_volume(0.3f), 0.3f);

    Mixer mixer;
    const auto channel = mixer.cue(make_sound({32767, -32768}), nullptr);
    mixer.set_volume(channel, 1.0000001f);  // ten menu steps from Off
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 2), (std::vector<int>{32767, -32768}));
}

TEST(Mixer, PauseHoldsThePlaceAndResumeGoesOnFromIt) {
    Mixer mixer;
    const auto channel = mixer.cue(make_sound({1, 2, 3, 4, 5, 6}), nullptr);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 2), (std::vector<int>{1, 2}));
    mixer.pause(channel);
    EXPECT_FALSE(mixer.playing(channel));
    EXPECT_EQ(mix(mixer, 3), zeros(3));
    EXPECT_EQ(mixer.listed_count(), 1u);  // a paused channel waits in the mix list
    mixer.resume(channel);
    EXPECT_TRUE(mixer.playing(channel));
    EXPECT_EQ(mix(mixer, 5), (std::vector<int>{3, 4, 5, 6, 0}));
}

TEST(Mixer, StoppedChannelNeverSoundsAgain) {
    Mixer mixer;
    const auto channel = mixer.cue(make_sound({7, 7, 7, 7}, 1, 44100, true), nullptr);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 2), (std::vector<int>{7, 7}));
    mixer.stop(channel);
    EXPECT_FALSE(mixer.playing(channel));
    EXPECT_EQ(mix(mixer, 2), zeros(2));
    EXPECT_EQ(mixer.listed_count(), 0u);
    mixer.resume(channel);
    mixer.set_volume(channel, 1.0f);
    EXPECT_FALSE(mixer.playing(channel));
    EXPECT_EQ(mix(mixer, 2), zeros(2));

    // Stopping a cued channel before it ever sounds keeps it silent too.
    const auto cued = mixer.cue(make_sound({9, 9}), nullptr);
    mixer.stop(cued);
    mixer.resume(cued);
    EXPECT_FALSE(mixer.playing(cued));
    EXPECT_EQ(mix(mixer, 2), zeros(2));
}

TEST(Mixer, LoopingSoundRepeatsUntilStopped) {
    Mixer mixer;
    const auto channel = mixer.cue(make_sound({1, 2, 3}, 1, 44100, true), nullptr);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 7), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(mix(mixer, 4), (std::vector<int>{2, 3, 1, 2}));
    EXPECT_TRUE(mixer.playing(channel));
}

TEST(Mixer, OneShotEndsAfterItsLastSampleAndLeavesTheMix) {
    Mixer mixer;
    const auto channel = mixer.cue(make_sound({10, 20, 30}), nullptr);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 3), (std::vector<int>{10, 20, 30}));
    EXPECT_FALSE(mixer.playing(channel));  // at once, not one buffer later
    EXPECT_EQ(mixer.listed_count(), 0u);
    mixer.resume(channel);  // a finished one-shot does not start over
    EXPECT_EQ(mix(mixer, 3), zeros(3));

    // Cueing it again on the same channel plays it from the start.
    mixer.cue(channel->sound, channel);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 4), (std::vector<int>{10, 20, 30, 0}));
}

TEST(Mixer, OverlappingCopiesAddUpAndSaturate) {
    Mixer mixer;
    const auto sound = make_sound({100, 200, 30000, -30000});
    const auto first = mixer.cue(sound, nullptr);
    mixer.resume(first);
    EXPECT_EQ(mix(mixer, 1), (std::vector<int>{100}));
    const auto second = mixer.cue(sound, nullptr);
    mixer.resume(second);
    // The copies are one frame apart: 200+100, 30000+200, -30000+30000, -30000.
    EXPECT_EQ(mix(mixer, 4), (std::vector<int>{300, 30200, 0, -30000}));

    const auto loud = make_sound({30000, -30000});
    for (int i = 0; i < 2; ++i) mixer.resume(mixer.cue(loud, nullptr));
    EXPECT_EQ(mix(mixer, 2), (std::vector<int>{32767, -32768}));
}

TEST(Mixer, StereoKeepsItsSidesAndMonoFeedsBoth) {
    Mixer mixer;
    mixer.resume(mixer.cue(make_sound({100, -100, 200, -200}, 2), nullptr));
    mixer.resume(mixer.cue(make_sound({5, 6}), nullptr));
    std::vector<std::int16_t> out(4);
    mixer.mix(out.data(), 2);
    EXPECT_EQ(out, (std::vector<std::int16_t>{105, -95, 206, -194}));
}

TEST(Mixer, ResamplesToTheOutputRateByLinearInterpolation) {
    Mixer mixer(44100);
    const auto channel = mixer.cue(make_sound({0, 1000, 2000, 3000}, 1, 22050), nullptr);
    mixer.resume(channel);
    EXPECT_EQ(mix(mixer, 8), (std::vector<int>{0, 500, 1000, 1500, 2000, 2500, 3000, 3000}));
    EXPECT_FALSE(mixer.playing(channel));

    // Played at twice its rate, every other frame is used.
    Mixer fast(22050);
    fast.resume(fast.cue(make_sound({1, 2, 3, 4, 5, 6}, 1, 44100), nullptr));
    EXPECT_EQ(mix(fast, 4), (std::vector<int>{1, 3, 5, 0}));

    // A loop at another rate blends its last frame into its first.
    Mixer looping(44100);
    looping.resume(looping.cue(make_sound({0, 1000}, 1, 22050, true), nullptr));
    EXPECT_EQ(mix(looping, 6), (std::vector<int>{0, 500, 1000, 500, 0, 500}));
}

TEST(Mixer, NamesTheSoundsInTheOrderTheyStartedOncePerCue) {
    Mixer mixer;
    const auto fire = make_sound({1}, 1, 44100, false, "fire");
    const auto pop = make_sound({1}, 1, 44100, false, "balloonpop");
    const auto a = mixer.cue(pop, nullptr);
    const auto b = mixer.cue(fire, nullptr);
    mixer.resume(b);
    mixer.resume(a);
    mixer.pause(a);
    mixer.resume(a);  // resuming after a pause is no new start
    EXPECT_EQ(mixer.take_started(), (std::vector<std::string>{"fire", "balloonpop"}));
    EXPECT_TRUE(mixer.take_started().empty());
    mixer.cue(fire, b);
    mixer.resume(b);
    EXPECT_EQ(mixer.take_started(), (std::vector<std::string>{"fire"}));

    // Nobody asking for the names must not make them pile up without end.
    for (std::size_t i = 0; i < Mixer::kMaxStartedNames + 10; ++i)
        mixer.resume(mixer.cue(fire, nullptr));
    EXPECT_EQ(mixer.take_started().size(), Mixer::kMaxStartedNames);
}

TEST(Mixer, IdleAndEmptyChannelsAcceptEveryCall) {
    Mixer mixer;
    const auto idle = mixer.allocate();
    mixer.set_volume(idle, 0.5f);
    mixer.resume(idle);
    mixer.pause(idle);
    EXPECT_FALSE(mixer.playing(idle));
    mixer.stop(idle);
    EXPECT_FALSE(mixer.playing(nullptr));
    mixer.resume(nullptr);
    mixer.stop(nullptr);

    // A sound that failed to load: it starts (and is named) and ends at once.
    const auto empty = mixer.cue(make_sound({}, 1, 44100, true, "bploop"), nullptr);
    mixer.resume(empty);
    EXPECT_FALSE(mixer.playing(empty));
    EXPECT_EQ(mixer.listed_count(), 0u);
    EXPECT_EQ(mixer.take_started(), (std::vector<std::string>{"bploop"}));
    EXPECT_EQ(mix(mixer, 3), zeros(3));
}

TEST(Mixer, SilentOutputKeepsStateButNeverSounds) {
    Mixer mixer;
    mixer.set_silent(true);
    const auto channel = mixer.cue(make_sound({5, 5, 5}, 1, 44100, true, "bploop"), nullptr);
    mixer.resume(channel);
    EXPECT_FALSE(mixer.playing(channel));
    EXPECT_EQ(mixer.listed_count(), 0u);
    EXPECT_EQ(mixer.take_started(), (std::vector<std::string>{"bploop"}));
}

TEST(Mixer, ResetStopsEveryChannelOfThePreviousRun) {
    Mixer mixer;
    const auto sounding = mixer.cue(make_sound({1, 1}, 1, 44100, true), nullptr);
    mixer.resume(sounding);
    const auto cued = mixer.cue(make_sound({2, 2}), nullptr);
    mixer.reset();
    EXPECT_EQ(mixer.listed_count(), 0u);
    mixer.resume(sounding);
    mixer.resume(cued);
    EXPECT_FALSE(mixer.playing(sounding));
    EXPECT_FALSE(mixer.playing(cued));
    EXPECT_EQ(mix(mixer, 2), zeros(2));
}

// The audio device mixes on its own thread while the game works the channels;
// run under ThreadSanitizer this shows the shared state is guarded.
TEST(Mixer, MixingThreadAndGameThreadShareChannelsSafely) {
    Mixer mixer;
    const auto loop = make_sound(std::vector<std::int16_t>(441, 1000), 1, 22050, true, "bploop");
    const auto shot = make_sound(std::vector<std::int16_t>(300, 500), 1, 44100, false, "fire");
    std::atomic<bool> done{false};
    std::thread device([&] {
        std::vector<std::int16_t> out(256 * 2);
        while (!done) mixer.mix(out.data(), 256);
    });
    svc::Channel engine;
    for (int i = 0; i < 2000; ++i) {
        mixer.stop(engine);
        engine = mixer.cue(loop, nullptr);
        mixer.set_volume(engine, 0.6f);
        mixer.resume(engine);
        const auto channel = mixer.cue(shot, nullptr);
        mixer.set_volume(channel, static_cast<float>(i % 11) / 10.0f);
        mixer.resume(channel);
        mixer.set_volume(engine, static_cast<float>(i % 7) / 7.0f);  // while it sounds
        if (i % 3 == 0) mixer.pause(engine);
        if (mixer.playing(engine) == (i % 3 == 0)) ADD_FAILURE() << "engine state at " << i;
        if (i % 100 == 0) mixer.take_started();
    }
    done = true;
    device.join();
    mixer.reset();
    EXPECT_EQ(mixer.listed_count(), 0u);
}

}  // namespace
