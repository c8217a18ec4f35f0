// The game's effects, the engine drone and the two volume settings, played
// through the headless back end's audio output.
#include "game/sound_cues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "game/assets.h"
#include "services/backends/headless/headless_platform.h"
#include "services/timing.h"
#include "shell/game_run.h"
#include "shell/menus.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

std::string as_text(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// Root mean square of the left side of the captured output from frame `from` on.
double rms_from(const std::vector<std::int16_t>& audio, std::size_t from, std::size_t to) {
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t f = from; f < to && f * 2 < audio.size(); ++f, ++count) {
        sum += double(audio[f * 2]) * audio[f * 2];
    }
    return count ? std::sqrt(sum / count) : 0.0;
}

class GameSound : public ::testing::Test {
  protected:
    void SetUp() override {
        platform_.set_audio_capture(true);
        run_.emplace(platform_);
        sounds().load();
    }
    void TearDown() override { run_.reset(); }
    // Lets `ms` of virtual time pass, mixing the output meanwhile.
    void pass(int ms) { platform_.sleep(ms); }
    std::size_t frames_so_far() const { return platform_.captured_audio().size() / 2; }
    SoundCues& sounds() { return run_->world().sounds; }

    test_support::GameWorkingDir dir_;
    svc::HeadlessPlatform platform_;
    std::optional<GameRun> run_;
};

TEST_F(GameSound, VolumeStepsCycleInSinglePrecisionWithTheirLabels) {
    EXPECT_EQ(sounds().volumes.effects, 1.0f);
    EXPECT_EQ(sounds().volumes.engine, 0.6f);
    std::vector<std::string> labels, values;
    for (int click = 0; click < 6; ++click) {
        sounds().step_engine_volume();
        labels.push_back(volume_labels[sounds().volumes.engine_step]);
        values.push_back(as_text(sounds().volumes.engine));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"70%", "80%", "90%", "Max", "Off", "10%"}));
    EXPECT_EQ(values, (std::vector<std::string>{"0.700000048", "0.800000072", "0.900000095",
                                                "1.00000012", "0", "0.100000001"}));
    EXPECT_TRUE(svc::take_started_sounds().empty());  // the engine steps are silent

    labels.clear();
    values.clear();
    for (int click = 0; click < 11; ++click) {
        sounds().step_effects_volume();
        labels.push_back(volume_labels[sounds().volumes.effects_step]);
        values.push_back(as_text(sounds().volumes.effects));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Off", "10%", "20%", "30%", "40%", "50%", "60%",
                                                "70%", "80%", "90%", "Max"}));
    EXPECT_EQ(values, (std::vector<std::string>{"0", "0.100000001", "0.200000003", "0.300000012",
                                                "0.400000006", "0.5", "0.600000024", "0.700000048",
                                                "0.800000072", "0.900000095", "1.00000012"}));
    EXPECT_EQ(svc::take_started_sounds(), std::vector<std::string>(11, "fire"));
}

TEST_F(GameSound, EachVolumeClickSoundsTheShotAtTheNewVolume) {
    sounds().volumes.effects_step = 10;
    sounds().step_effects_volume();  // to Off: the sample plays silently
    pass(150);
    EXPECT_EQ(rms_from(platform_.captured_audio(), 0, frames_so_far()), 0.0);
    const std::size_t start = frames_so_far();
    sounds().step_effects_volume();  // to 10%
    pass(150);
    const double quiet = rms_from(platform_.captured_audio(), start, frames_so_far());
    sounds().volumes.effects = 1.0f;
    const std::size_t loud_start = frames_so_far();
    sounds().play(Effect::kFire);
    pass(150);
    const double loud = rms_from(platform_.captured_audio(), loud_start, frames_so_far());
    EXPECT_GT(quiet, 0.0);
    EXPECT_NEAR(quiet / loud, 0.1, 0.01);
}

TEST_F(GameSound, EffectsOverlapAndKeepTheVolumeTheyStartedWith) {
    // Reference: one shot at half volume on its own.
    sounds().volumes.effects = 0.5f;
    sounds().play(Effect::kFire);
    pass(200);
    const std::vector<std::int16_t> alone(platform_.captured_audio());

    // The same, with the effects volume raised while it sounds.
    const std::size_t start = frames_so_far();
    sounds().play(Effect::kFire);
    pass(50);
    sounds().volumes.effects = 1.0f;
    pass(150);
    const auto& audio = platform_.captured_audio();
    ASSERT_EQ(audio.size() - start * 2, alone.size());
    EXPECT_TRUE(std::equal(alone.begin(), alone.end(), audio.begin() + start * 2));

    // Six shots in six frames all sound together.
    svc::take_started_sounds();
    for (int frame = 0; frame < 6; ++frame) {
        sounds().play(Effect::kFire);
        pass(16);
    }
    EXPECT_EQ(svc::take_started_sounds(), std::vector<std::string>(6, "fire"));
}

TEST_F(GameSound, EngineLoopStartsAfreshAndStopsTheDroneItReplaces) {
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 0);
    sounds().start_engine_loop();
    const svc::Channel first = sounds().engine_channel();
    EXPECT_EQ(svc::channel_playing(first), 1);
    pass(3000);  // loops on past its one-second length
    EXPECT_EQ(svc::channel_playing(first), 1);
    const std::size_t frames = frames_so_far();
    const double drone = rms_from(platform_.captured_audio(), frames - 44100, frames);
    EXPECT_GT(drone, 300.0);

    sounds().start_engine_loop();  // e.g. leaving a pause in the stage-clear phase
    EXPECT_NE(sounds().engine_channel(), first);
    EXPECT_EQ(svc::channel_playing(first), 0);
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 1);
    EXPECT_EQ(svc::take_started_sounds(), (std::vector<std::string>{"bploop", "bploop"}));
    pass(2000);
    const std::size_t later = frames_so_far();
    // Only one drone sounds: the level stays that of one channel.
    EXPECT_NEAR(rms_from(platform_.captured_audio(), later - 44100, later), drone, drone * 0.05);

    svc::pause_channel(sounds().engine_channel());
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 0);
    svc::resume_channel(sounds().engine_channel());
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 1);
    svc::stop_channel(sounds().engine_channel());
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 0);
    pass(100);
    const std::size_t end = frames_so_far();
    EXPECT_EQ(rms_from(platform_.captured_audio(), end - 2205, end), 0.0);
}

TEST_F(GameSound, EngineVolumeIsTakenWhenTheLoopStarts) {
    sounds().volumes.engine = 0.6f;
    sounds().start_engine_loop();
    pass(1000);
    std::size_t at = frames_so_far();
    const double at_60 = rms_from(platform_.captured_audio(), at - 44100, at);
    sounds().volumes.engine = 0.3f;  // heard only from the next start
    pass(1000);
    at = frames_so_far();
    EXPECT_NEAR(rms_from(platform_.captured_audio(), at - 44100, at), at_60, at_60 * 0.01);
    sounds().start_engine_loop();
    pass(1000);
    at = frames_so_far();
    EXPECT_NEAR(rms_from(platform_.captured_audio(), at - 44100, at), at_60 / 2, at_60 * 0.02);
}

TEST_F(GameSound, AMissingDroneFileLeavesTheGameRunningSilently) {
    fs::remove("data/bploop.ogg");
    testing::internal::CaptureStderr();
    sounds().load();
    sounds().start_engine_loop();
    sounds().start_engine_loop();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "could not load data/bploop.ogg: No such file or directory\n");
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 0);
    svc::stop_channel(sounds().engine_channel());
}

TEST_F(GameSound, ANewRunStartsFromTheStartUpValues) {
    sounds().step_effects_volume();
    sounds().step_engine_volume();
    sounds().start_engine_loop();
    run_.reset();
    run_.emplace(platform_);
    EXPECT_EQ(sounds().volumes.effects, 1.0f);
    EXPECT_EQ(sounds().volumes.effects_step, 10);
    EXPECT_EQ(sounds().volumes.engine, 0.6f);
    EXPECT_EQ(sounds().volumes.engine_step, 6);
    EXPECT_EQ(sounds().engine_channel(), nullptr);
    EXPECT_EQ(sounds().sound(Effect::kFire), nullptr);
    EXPECT_EQ(svc::channel_playing(sounds().engine_channel()), 0);
    EXPECT_TRUE(svc::take_started_sounds().empty());
}

}  // namespace
