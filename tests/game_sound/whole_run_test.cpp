// Whole runs of the real game: the sound that --audio writes.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_state.h"
#include "game/sound_cues.h"
#include "headless/harness.h"
#include "services/backends/headless/headless_platform.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace {

using test_support::read_bytes;

constexpr int kTitleFirstShown = 327;  // after the 326 flips of the logo splash
constexpr int kStartClick = 430;

struct Flip {
    GameState state = GameState::kStartingUp;
    bool engine = false;
    std::size_t audio_frames = 0;  // mixed by the time the flip was shown
    std::vector<std::string> sounds;
};

// Reads the interleaved samples of a 16-bit WAV file.
std::vector<std::int16_t> wav_samples(const std::vector<unsigned char>& bytes) {
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
        const std::size_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                                 std::size_t{bytes[at + 7]} << 24;
        if (id == "data") {
            std::vector<std::int16_t> samples(std::min(size, bytes.size() - at - 8) / 2);
            for (std::size_t i = 0; i < samples.size(); ++i) {
                samples[i] =
                    static_cast<std::int16_t>(bytes[at + 8 + 2 * i] | bytes[at + 9 + 2 * i] << 8);
            }
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

class WholeRun : public ::testing::Test {
  protected:
    test_support::GameWorkingDir dir_;
};

TEST_F(WholeRun, TitleMenuIsSilentAndTheDroneSoundsWhileAStageIsFlown) {
    harness::Options options;
    options.seed = 7;
    options.frames = 700;
    options.audio_path = "run.wav";
    options.input_script = std::to_string(kStartClick) + " button 1 click\n";
    std::vector<Flip> flips(1);  // flips[n] is flip n
    const int status = harness::run(options, [&](const harness::FlipInfo& info) {
        Flip flip;
        flip.state = info.world->flow.state;
        flip.engine = svc::channel_playing(info.world->sounds.engine_channel()) == 1;
        flip.audio_frames = info.platform->captured_audio().size() / 2;
        flip.sounds = info.sounds;
        flips.push_back(flip);
    });
    ASSERT_EQ(status, 0);
    ASSERT_EQ(flips.size(), 701u);
    const std::vector<std::int16_t> audio = wav_samples(read_bytes("run.wav"));
    ASSERT_GE(audio.size() / 2, flips.back().audio_frames);

    // The splash and the title menu make no sound at all.
    ASSERT_EQ(flips[kTitleFirstShown].state, GameState::kTitle);
    ASSERT_EQ(flips[kStartClick].state, GameState::kTitle);
    for (std::size_t i = 0; i < flips[kStartClick].audio_frames * 2; ++i) {
        ASSERT_EQ(audio[i], 0) << "sample " << i;
    }

    // The stage starts with its jingle and the drone.
    const int first_stage_flip = kStartClick + 1;
    ASSERT_EQ(flips[first_stage_flip].state, GameState::kStage);
    EXPECT_EQ(flips[first_stage_flip].sounds, (std::vector<std::string>{"startstage", "bploop"}));

    // While the drone plays, the output is never silent for a whole frame.
    int flown = 0;
    for (int f = first_stage_flip + 1; f < static_cast<int>(flips.size()); ++f) {
        if (!flips[f - 1].engine || !flips[f].engine) continue;
        double sum = 0.0;
        const std::size_t from = flips[f - 1].audio_frames, to = flips[f].audio_frames;
        for (std::size_t i = from; i < to; ++i) sum += double(audio[2 * i]) * audio[2 * i];
        EXPECT_GT(std::sqrt(sum / double(to - from)), 300.0) << "flip " << f;
        ++flown;
    }
    EXPECT_GT(flown, 100);
}

}  // namespace
