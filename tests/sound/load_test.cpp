// Decoding Ogg Vorbis files, and the sound services on top of the mixer.
#include <gtest/gtest.h>

#include <optional>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "services/session.h"
#include "services/timing.h"
#include "sound_test_support.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

using sound_test::ManualAudioPlatform;

test_support::Bytes read_source_file(const std::string& relative) {
    return test_support::read_bytes(test_support::source_path(relative));
}

// Counts upward zero crossings of one side of a decoded sound, to tell its pitch.
int rising_crossings(const svc::SoundData& sound, int side) {
    int count = 0;
    for (std::int64_t i = 1; i < sound.frames(); ++i) {
        const auto at = [&](std::int64_t f) { return sound.samples[f * sound.channels + side]; };
        if (at(i - 1) < 0 && at(i) >= 0) ++count;
    }
    return count;
}

svc::Sound decode(const std::vector<unsigned char>& bytes, std::string& error) {
    return svc::detail::decode_ogg(std::span<const std::uint8_t>(bytes.data(), bytes.size()),
                                   error);
}

TEST(OggDecoding, StereoFileKeepsItsRateChannelsAndPitches) {
    std::string error;
    const auto sound = decode(read_source_file("tests/sound/fixtures/tone_stereo.ogg"), error);
    ASSERT_TRUE(sound) << error;
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->rate, 22050);
    EXPECT_EQ(sound->frames(), 5512);
    // 0.25 s of 441 Hz on the left and 882 Hz on the right.
    EXPECT_NEAR(rising_crossings(*sound, 0), 110, 2);
    EXPECT_NEAR(rising_crossings(*sound, 1), 220, 2);
    double sum = 0.0;
    for (std::int16_t v : sound->samples) sum += double(v) * v;
    EXPECT_NEAR(std::sqrt(sum / sound->samples.size()), 11585.0, 600.0);  // a sine at -6 dBFS
}

TEST(OggDecoding, DamagedOrForeignDataIsRefusedWithAReason) {
    const auto good = read_source_file("tests/sound/fixtures/tone_mono.ogg");
    std::string error;

    EXPECT_FALSE(decode({}, error));
    EXPECT_EQ(error, "not an Ogg Vorbis file");

    std::vector<unsigned char> text(200, 'x');
    EXPECT_FALSE(decode(text, error));
    EXPECT_FALSE(error.empty());

    auto bad_header = good;
    for (std::size_t i = 40; i < 120; ++i) bad_header[i] ^= 0x5A;
    EXPECT_FALSE(decode(bad_header, error));
    EXPECT_FALSE(error.empty());

    // A cut-off file gives what was there, without a crash.
    const std::vector<unsigned char> cut(good.begin(), good.begin() + good.size() * 3 / 4);
    const auto partial = decode(cut, error);
    if (partial) {
        EXPECT_LT(partial->frames(), 4410);
    }

    // Scrambled audio pages must not crash the decoder either way.
    auto scrambled = good;
    for (std::size_t i = good.size() / 2; i < good.size(); i += 7) scrambled[i] ^= 0xFF;
    const auto survived = decode(scrambled, error);
    if (survived) {
        EXPECT_LE(survived->frames(), 4410 + 2048);
    }
}

// Every sound of the game decodes as the game expects it: mono 44100 Hz,
// peaks below full scale, the drone an exact one-second loop.
TEST(OggDecoding, TheGamesSoundsDecodeWithSaneLevels) {
    for (const char* name : {"fire", "balloonpop", "blimphit", "startstage", "endstage", "explode",
                             "pldeath", "bploop"}) {
        SCOPED_TRACE(name);
        std::string error;
        const auto sound = decode(read_source_file(std::string("data/") + name + ".ogg"), error);
        ASSERT_TRUE(sound) << error;
        EXPECT_EQ(sound->channels, 1);
        EXPECT_EQ(sound->rate, 44100);
        EXPECT_GT(sound->frames(), 4410);
        int peak = 0;
        for (std::int16_t s : sound->samples) peak = std::max(peak, std::abs(int{s}));
        EXPECT_LE(peak, 29204);  // -1 dBFS
        EXPECT_GE(peak, 2000);
    }
    std::string error;
    const auto loop = decode(read_source_file("data/bploop.ogg"), error);
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->frames(), 44100);
    // The join from the last sample to the first bends no more than the loop
    // does inside itself.
    const auto& s = loop->samples;
    const std::size_t n = s.size();
    auto bend = [&](std::size_t i) {
        return std::abs(int{s[(i + 1) % n]} - 2 * int{s[i]} + int{s[(i + n - 1) % n]});
    };
    int largest_inside = 0;
    for (std::size_t i = 1; i + 1 < n; ++i) largest_inside = std::max(largest_inside, bend(i));
    EXPECT_LT(std::max(bend(0), bend(n - 1)), largest_inside / 2);
}

// Each test works in a fresh empty directory.
class SoundServices : public ::testing::Test {
  protected:
    static void copy_fixture(const std::string& from, const std::string& to) {
        test_support::write_bytes(to, read_source_file(from));
    }

    test_support::ScratchDir scratch_;
};

TEST_F(SoundServices, OutputOpensOnTheFirstSoundOperationOnlyOnce) {
    ManualAudioPlatform platform(true);
    std::optional<svc::Session> session(std::in_place, platform);
    EXPECT_EQ(platform.open_calls, 0);
    const auto channel = svc::allocate_channel();
    EXPECT_EQ(platform.open_calls, 1);
    svc::channel_playing(channel);
    svc::load_sound("missing.ogg", 0);
    EXPECT_EQ(platform.open_calls, 1);
    EXPECT_TRUE(platform.output_open());

    // The end of a session closes it, and the next session opens a fresh output.
    session.reset();
    EXPECT_FALSE(platform.output_open());
    session.emplace(platform);
    svc::allocate_channel();
    EXPECT_EQ(platform.open_calls, 2);
}

TEST_F(SoundServices, LoadedSoundPlaysThroughTheOutputAtItsVolume) {
    ManualAudioPlatform platform(true, 22050);
    svc::Session session(platform);
    copy_fixture("tests/sound/fixtures/tone_mono.ogg", "tone.ogg");
    const auto sound = svc::load_sound("tone.ogg", 0);
    EXPECT_EQ(sound->name, "tone");
    EXPECT_FALSE(sound->loop);

    const auto loud = svc::cue_sound(sound);
    svc::resume_channel(loud);
    const auto full = platform.mix(500);
    svc::stop_channel(loud);

    const auto quiet = svc::cue_sound(sound);
    svc::set_channel_volume(quiet, 0.25f);
    svc::resume_channel(quiet);
    EXPECT_EQ(svc::channel_playing(quiet), 1);
    const auto soft = platform.mix(500);
    for (std::size_t i = 0; i < full.size(); ++i) EXPECT_NEAR(soft[i], full[i] * 0.25, 1.0);
    // 0.1 s at 44100 Hz played at 22050 Hz lasts 2205 output frames.
    platform.mix(1704);
    EXPECT_EQ(svc::channel_playing(quiet), 1);
    platform.mix(1);
    EXPECT_EQ(svc::channel_playing(quiet), 0);
    EXPECT_EQ(svc::take_started_sounds(), (std::vector<std::string>{"tone", "tone"}));
}

TEST_F(SoundServices, LoopFlagIsKeptAndTheLoopRunsOn) {
    ManualAudioPlatform platform(true);
    svc::Session session(platform);
    copy_fixture("tests/sound/fixtures/tone_mono.ogg", "tone.ogg");
    const auto sound = svc::load_sound("tone.ogg", 3);  // only bit 1 counts
    EXPECT_TRUE(sound->loop);
    const auto channel = svc::cue_sound(sound);
    svc::resume_channel(channel);
    platform.mix(4410 * 3 + 7);
    EXPECT_EQ(svc::channel_playing(channel), 1);
    svc::pause_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 0);
    svc::resume_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 1);
    svc::stop_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 0);
}

TEST_F(SoundServices, MissingOrBrokenFileGivesASilentSoundAndOneLineOnce) {
    ManualAudioPlatform platform(true);
    std::optional<svc::Session> session(std::in_place, platform);
    test_support::write_bytes("broken.ogg", std::vector<unsigned char>(100, 'z'));
    std::filesystem::create_directory("folder.ogg");

    testing::internal::CaptureStderr();
    const auto missing = svc::load_sound("gone/nothing.ogg", 1);
    svc::load_sound("gone/nothing.ogg", 1);
    const auto broken = svc::load_sound("broken.ogg", 0);
    const auto folder = svc::load_sound("folder.ogg", 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "could not load gone/nothing.ogg: No such file or directory\n"
              "could not load broken.ogg: not an Ogg Vorbis file\n"
              "could not load folder.ogg: Is a directory\n");
    ASSERT_TRUE(folder);

    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->name, "nothing");
    EXPECT_TRUE(missing->loop);
    const auto channel = svc::cue_sound(missing);
    svc::set_channel_volume(channel, 0.6f);
    svc::resume_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 0);
    svc::pause_channel(channel);
    svc::stop_channel(channel);
    svc::resume_channel(svc::cue_sound(broken));
    EXPECT_EQ(platform.mix(10), std::vector<int>(10, 0));

    // A later run in the same process says it again.
    session.reset();
    session.emplace(platform);
    testing::internal::CaptureStderr();
    svc::load_sound("broken.ogg", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "could not load broken.ogg: not an Ogg Vorbis file\n");
}

TEST_F(SoundServices, WithoutADeviceEveryCallSucceedsSilently) {
    ManualAudioPlatform platform(false);
    svc::Session session(platform);
    copy_fixture("tests/sound/fixtures/tone_mono.ogg", "tone.ogg");
    const auto sound = svc::load_sound("tone.ogg", 1);
    const auto channel = svc::cue_sound(sound);
    svc::set_channel_volume(channel, 1.0f);
    svc::resume_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 0);
    svc::pause_channel(channel);
    svc::resume_channel(channel);
    svc::stop_channel(channel);
    EXPECT_EQ(platform.open_calls, 1);  // tried once, not at every call
    EXPECT_EQ(svc::take_started_sounds(), std::vector<std::string>{"tone"});
}

TEST_F(SoundServices, ClosingTheAudioEndsThePreviousRunsChannels) {
    ManualAudioPlatform platform(true);
    svc::Session session(platform);
    copy_fixture("tests/sound/fixtures/tone_mono.ogg", "tone.ogg");
    const auto channel = svc::cue_sound(svc::load_sound("tone.ogg", 1));
    svc::resume_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 1);
    svc::close_audio();
    EXPECT_EQ(svc::channel_playing(channel), 0);
    svc::resume_channel(channel);
    EXPECT_EQ(svc::channel_playing(channel), 0);
    EXPECT_EQ(platform.mix(10), std::vector<int>(10, 0));
    EXPECT_TRUE(svc::take_started_sounds().empty());
}

}  // namespace
