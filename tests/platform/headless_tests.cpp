#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "services/backends/headless/headless_platform.h"

namespace {

TEST(HeadlessClock, AdvancesOnlyBySleepingAndReportsEveryAdvance) {
    svc::HeadlessPlatform platform;
    std::vector<int> seen;
    platform.set_clock_hook([&](int ms) { seen.push_back(ms); });
    EXPECT_EQ(platform.milliseconds(), 0);
    platform.sleep(16);
    platform.sleep(0);
    platform.sleep(-5);
    platform.sleep(17);
    EXPECT_EQ(platform.milliseconds(), 33);
    EXPECT_EQ(seen, (std::vector<int>{16, 33}));
}

TEST(HeadlessAudio, MixesExactlyTheSamplesDueAlongTheClock) {
    svc::HeadlessPlatform platform;
    platform.sleep(5);  // the output starts counting when it opens
    platform.set_audio_capture(true);
    std::int16_t next = 0;
    std::vector<int> calls;
    auto output = platform.open_audio([&](std::int16_t* out, int frames) {
        calls.push_back(frames);
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = next;
            out[2 * i + 1] = static_cast<std::int16_t>(-next);
            ++next;
        }
    });
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->sample_rate(), 44100);
    for (int i = 0; i < 60; ++i) platform.sleep(i % 3 == 0 ? 16 : 17);
    // One second: 44100 frames, no more, no fewer, however the steps fall.
    EXPECT_EQ(platform.audio_frames_mixed(), 44100);
    EXPECT_EQ(calls.front(), 705);  // 16 ms at 44.1 frames per ms, rounded down
    const auto& captured = platform.captured_audio();
    ASSERT_EQ(captured.size(), 2u * 44100u);
    for (std::size_t i = 0; i < 44100; i += 997) {
        EXPECT_EQ(captured[2 * i], static_cast<std::int16_t>(i));
        EXPECT_EQ(captured[2 * i + 1], static_cast<std::int16_t>(-static_cast<int>(i)));
    }
    output.reset();
    calls.clear();
    platform.sleep(100);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(platform.audio_open());
}

TEST(HeadlessAudio, WithoutCaptureTheMixStillRuns) {
    svc::HeadlessPlatform platform;
    int frames = 0;
    auto output = platform.open_audio([&](std::int16_t*, int count) { frames += count; });
    platform.sleep(1000);
    EXPECT_EQ(frames, 44100);
    EXPECT_TRUE(platform.captured_audio().empty());
}

TEST(HeadlessAudio, OnlyTheNewestOutputIsMixedAndAnyMayOutliveThePlatform) {
    std::unique_ptr<svc::AudioOutput> first, second;
    int first_frames = 0, second_frames = 0;
    {
        svc::HeadlessPlatform platform;
        first = platform.open_audio([&](std::int16_t*, int n) { first_frames += n; });
        second = platform.open_audio([&](std::int16_t*, int n) { second_frames += n; });
        platform.sleep(10);
        first.reset();  // no longer the platform's output: nothing changes
        platform.sleep(10);
        EXPECT_TRUE(platform.audio_open());
    }
    EXPECT_EQ(first_frames, 0);
    EXPECT_EQ(second_frames, 882);
    second.reset();  // after the platform is gone
}

TEST(HeadlessScreen, CountsFlipsKeepsTheLastFrameAndCanRefuseToOpen) {
    svc::HeadlessPlatform platform;
    ASSERT_TRUE(platform.open_screen("Title", 4, 2, true));
    EXPECT_EQ(platform.title(), "Title");
    EXPECT_TRUE(platform.fullscreen());
    EXPECT_FALSE(platform.has_vblank());
    std::vector<int> flips;
    std::vector<std::uint32_t> seen;
    platform.set_flip_hook([&](int flip) {
        flips.push_back(flip);
        seen.assign(platform.current_frame(), platform.current_frame() + 8);
    });
    std::vector<std::uint32_t> frame(8, 0xFF112233u);
    platform.present(frame.data(), false);
    frame[3] = 0xFFFFFFFFu;
    platform.present(frame.data(), true);
    EXPECT_EQ(flips, (std::vector<int>{1, 2}));
    EXPECT_EQ(seen, frame);
    EXPECT_EQ(platform.last_frame(), frame);
    EXPECT_EQ(platform.flips(), 2);

    svc::HeadlessPlatform refusing;
    refusing.set_fail_open(true);
    EXPECT_FALSE(refusing.open_screen("Title", 640, 480, true));
}

}  // namespace
