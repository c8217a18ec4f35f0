// The SDL back end without a display: SDL's offscreen video driver, events
// pushed into SDL's queue and a virtual joystick.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "services/backends/sdl/sdl_input.h"
#include "services/backends/sdl/sdl_pads.h"
#include "services/backends/sdl/sdl_platform.h"
#include "services/input.h"

namespace {

namespace vk = svc::vk;

TEST(SdlKeys, ScancodesMapToVirtualKeysWhateverTheLayout) {
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_1), '1');
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_9), '9');
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_0), '0');
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_F1), 112);
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_F12), 123);
    const struct {
        SDL_Scancode scancode;
        int vk;
    } named[] = {
        {SDL_SCANCODE_ESCAPE, vk::kEscape},
        {SDL_SCANCODE_SPACE, vk::kSpace},
        {SDL_SCANCODE_RETURN, vk::kEnter},
        {SDL_SCANCODE_TAB, vk::kTab},
        {SDL_SCANCODE_BACKSPACE, vk::kBackspace},
        {SDL_SCANCODE_LEFT, vk::kLeft},
        {SDL_SCANCODE_UP, vk::kUp},
        {SDL_SCANCODE_RIGHT, vk::kRight},
        {SDL_SCANCODE_DOWN, vk::kDown},
        {SDL_SCANCODE_LSHIFT, 160},
        {SDL_SCANCODE_RSHIFT, 161},
        {SDL_SCANCODE_LCTRL, 162},
        {SDL_SCANCODE_RCTRL, 163},
        {SDL_SCANCODE_LALT, 164},
        {SDL_SCANCODE_RALT, 165},
    };
    for (const auto& k : named) {
        EXPECT_EQ(svc::virtual_key_from_scancode(k.scancode), k.vk) << k.scancode;
    }
    EXPECT_EQ(svc::virtual_key_from_scancode(SDL_SCANCODE_UNKNOWN), 0);
}

TEST(SdlJoystickAxes, FullDeflectionReadsExactlyOneEitherWay) {
    EXPECT_EQ(svc::joystick_axis_value(-32768), -1.0f);
    EXPECT_EQ(svc::joystick_axis_value(32767), 1.0f);
    EXPECT_EQ(svc::joystick_axis_value(0), 0.0f);
    EXPECT_LT(svc::joystick_axis_value(-32767), -0.99f);
    EXPECT_GT(svc::joystick_axis_value(-32767), -1.0f);
    EXPECT_EQ(svc::joystick_axis_value(16384), 16384.0f / 32767.0f);
}

class SdlOffscreen : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        unsetenv("SCRIBBLE_WINDOWED");
        ASSERT_TRUE(platform.open_screen("Test", 640, 480, false)) << platform.last_error();
        platform.pump_events(input);  // whatever the window's creation queued
        input.reset();
    }
    void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }

    void push_key(SDL_Scancode scancode, bool down, bool repeat = false, Uint16 mod = 0) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    void push_window(Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        SDL_PushEvent(&event);
    }

    svc::SdlPlatform platform;
    svc::InputState input;
};

TEST_F(SdlOffscreen, KeyEventsCountPressesButNotAutoRepeats) {
    push_key(SDL_SCANCODE_LCTRL, true);
    push_key(SDL_SCANCODE_LCTRL, true, true);
    push_key(SDL_SCANCODE_LCTRL, true, true);
    platform.pump_events(input);
    EXPECT_EQ(input.key_hit(vk::kLeftControl), 1);
    EXPECT_EQ(input.key_down(vk::kLeftControl), 1);
    push_key(SDL_SCANCODE_LCTRL, false);
    platform.pump_events(input);
    EXPECT_EQ(input.key_down(vk::kLeftControl), 0);
}

TEST_F(SdlOffscreen, TextInputIsOffSoTypingSendsKeysOnly) {
    EXPECT_FALSE(SDL_IsTextInputActive());
    EXPECT_EQ(SDL_EventState(SDL_TEXTINPUT, SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(SDL_EventState(SDL_TEXTEDITING, SDL_QUERY), SDL_DISABLE);
}

TEST_F(SdlOffscreen, AltF4IsACloseRequestAndOtherAltKeysAreKeys) {
    push_key(SDL_SCANCODE_LALT, true);
    push_key(SDL_SCANCODE_X, true, false, KMOD_LALT);
    push_key(SDL_SCANCODE_F4, true, false, KMOD_LALT);
    platform.pump_events(input);
    EXPECT_EQ(input.key_hit('X'), 1);
    EXPECT_EQ(input.key_hit(vk::kLeftAlt), 1);
    EXPECT_EQ(input.key_hit(vk::kF1 + 3), 0);
    EXPECT_EQ(input.close_requested(), 1);
}

// Alt+Enter and F11 switch the display and reach none of the game's key
// counters, neither pressed nor released; Enter alone is a key as any other.
TEST_F(SdlOffscreen, TheDisplaySwitchKeysAreNotGameInput) {
    const bool started_full = platform.fullscreen();
    push_key(SDL_SCANCODE_F11, true);
    push_key(SDL_SCANCODE_F11, true, true);
    push_key(SDL_SCANCODE_F11, false);
    platform.pump_events(input);
    EXPECT_EQ(input.key_hit(vk::kF1 + 10), 0);
    EXPECT_EQ(platform.fullscreen(), !started_full) << "switched once, not at the repeat";

    push_key(SDL_SCANCODE_LALT, true);
    push_key(SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
    push_key(SDL_SCANCODE_LALT, false);
    push_key(SDL_SCANCODE_RETURN, false);  // released after Alt: still not game input
    platform.pump_events(input);
    EXPECT_EQ(input.key_hit(vk::kEnter), 0);
    EXPECT_FALSE(input.key_down(vk::kEnter));
    EXPECT_EQ(platform.fullscreen(), started_full) << "and back";

    push_key(SDL_SCANCODE_RETURN, true);
    push_key(SDL_SCANCODE_RETURN, false);
    platform.pump_events(input);
    EXPECT_EQ(input.key_hit(vk::kEnter), 1);
    EXPECT_EQ(platform.fullscreen(), started_full);
}

TEST_F(SdlOffscreen, FocusAndCloseEvents) {
    push_key(SDL_SCANCODE_SPACE, true);
    push_window(SDL_WINDOWEVENT_FOCUS_LOST);
    platform.pump_events(input);
    EXPECT_EQ(input.app_suspended(), 1);
    EXPECT_EQ(input.key_hit(vk::kSpace), 0);  // flushed
    push_window(SDL_WINDOWEVENT_FOCUS_GAINED);
    platform.pump_events(input);
    EXPECT_EQ(input.app_suspended(), 0);
    push_window(SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    platform.pump_events(input);
    EXPECT_EQ(input.close_requested(), 1);
    EXPECT_EQ(input.close_requested(), 0);
}

TEST_F(SdlOffscreen, MouseButtonsCarryTheirPosition) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_PRESSED;
    event.button.x = 100;
    event.button.y = 300;
    SDL_PushEvent(&event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.state = SDL_RELEASED;
    SDL_PushEvent(&event);
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&event);
    platform.pump_events(input);
    EXPECT_EQ(input.mouse_hit(1), 1);
    EXPECT_EQ(input.mouse_down(1), 0);
    EXPECT_EQ(input.mouse_down(2), 1);
    EXPECT_EQ(input.mouse_x(), 100);
    EXPECT_EQ(input.mouse_y(), 300);
}

TEST_F(SdlOffscreen, PresentingAndMovingThePointerWork) {
    std::vector<std::uint32_t> frame(640 * 480, 0xFF336699u);
    platform.present(frame.data(), false);
    platform.present(frame.data(), true);
    platform.move_pointer(input, 320, 292);
    EXPECT_EQ(input.mouse_x(), 320);
    EXPECT_EQ(input.mouse_y(), 292);
    platform.pump_events(input);  // the warp's own motion lands on the same pixel
    EXPECT_EQ(input.mouse_x(), 320);
    EXPECT_EQ(input.mouse_y(), 292);
}

TEST_F(SdlOffscreen, AVirtualJoystickReadsFullDeflectionHatsAndButtons) {
    // The offscreen window never has focus; let the stick report anyway.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
    ASSERT_GE(device, 0) << SDL_GetError();
    ASSERT_EQ(platform.open_joysticks(), 1);
    SDL_Joystick* stick = SDL_JoystickOpen(device);
    ASSERT_NE(stick, nullptr);

    SDL_JoystickSetVirtualAxis(stick, 0, -32768);
    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
    platform.pump_events(input);
    EXPECT_EQ(input.joystick_x(0), -1.0f);
    EXPECT_EQ(input.joystick_y(0), 1.0f);
    EXPECT_EQ(input.joystick_hit(2, 0), 1);
    EXPECT_EQ(input.joystick_down(2, 0), 1);

    // The hat pushes its axes to full deflection while held, then the stick's
    // own position shows again.
    SDL_JoystickSetVirtualAxis(stick, 0, 0);
    SDL_JoystickSetVirtualAxis(stick, 1, 0);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHTUP);
    platform.pump_events(input);
    EXPECT_EQ(input.joystick_x(0), 1.0f);
    EXPECT_EQ(input.joystick_y(0), -1.0f);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_CENTERED);
    platform.pump_events(input);
    EXPECT_EQ(input.joystick_x(0), 0.0f);
    EXPECT_EQ(input.joystick_y(0), 0.0f);

    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(device);
    platform.pump_events(input);
    EXPECT_EQ(input.joystick_down(2, 0), 0);  // a removed stick lets go
}

TEST(SdlNoDisplay, OpeningFailsWithAReasonInsteadOfCrashing) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    {
        svc::SdlPlatform platform;
        EXPECT_FALSE(platform.open_screen("Test", 640, 480, true));
        EXPECT_FALSE(platform.last_error().empty());
        svc::InputState input;
        platform.pump_events(input);  // harmless without a screen
    }
    unsetenv("SDL_VIDEODRIVER");
}

TEST(SdlNoDisplay, WithoutADisplayTheFallbackDriversAreRefused) {
    // SDL would otherwise fall back to its offscreen driver, and the game would
    // run where nobody can see it.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
        unsetenv(name);
    }
    unsetenv("SDL_VIDEODRIVER");
    {
        svc::SdlPlatform platform;
        EXPECT_FALSE(platform.open_screen("Test", 640, 480, true));
        EXPECT_NE(platform.last_error().find("no display"), std::string::npos)
            << platform.last_error();
    }
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
}

TEST(SdlAudio, TheDeviceCallsTheMixFunctionForStereoFramesAt44100Hz) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        svc::SdlPlatform platform;
        std::atomic<int> calls{0}, frames{0};
        auto output = platform.open_audio([&](std::int16_t* out, int count) {
            for (int i = 0; i < count * 2; ++i) out[i] = 0;
            frames += count;
            ++calls;
        });
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(output->sample_rate(), 44100);
        // The device's thread gets its turn however busy the machine is.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (calls < 3 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_GE(calls.load(), 3);
        EXPECT_LE(frames.load() / calls.load(), 1024);  // short buffers: little lag
        output.reset();
    }
    unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlAudio, NoDeviceMeansNoOutput) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        svc::SdlPlatform platform;
        testing::internal::CaptureStderr();
        EXPECT_EQ(platform.open_audio([](std::int16_t*, int) {}), nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("sound off"), std::string::npos);
    }
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
