// Gamepads through SDL's game-controller layer: SDL's virtual joysticks with a
// standard pad's layout stand in for real pads, plugged in and pulled out while
// the offscreen window runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "services/backends/sdl/sdl_pads.h"
#include "services/backends/sdl/sdl_platform.h"
#include "services/input.h"

namespace {

TEST(PadButtons, FaceButtonsAndStartBecomeTheGamesButtons) {
    EXPECT_EQ(svc::joystick_button_from_pad_button(SDL_CONTROLLER_BUTTON_A), 0);  // south
    EXPECT_EQ(svc::joystick_button_from_pad_button(SDL_CONTROLLER_BUTTON_B), 1);  // east
    EXPECT_EQ(svc::joystick_button_from_pad_button(SDL_CONTROLLER_BUTTON_X), 2);  // west
    EXPECT_EQ(svc::joystick_button_from_pad_button(SDL_CONTROLLER_BUTTON_Y), 3);  // north
    EXPECT_EQ(svc::joystick_button_from_pad_button(SDL_CONTROLLER_BUTTON_START), 2);
    for (auto other : {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_GUIDE,
                       SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_UP,
                       SDL_CONTROLLER_BUTTON_INVALID}) {
        EXPECT_EQ(svc::joystick_button_from_pad_button(other), -1) << other;
    }
}

// A virtual pad with SDL's standard layout: a/b/x/y on buttons 0-3, back,
// guide, start on 4-6, the d-pad on 11-14, the left stick on axes 0 and 1.
constexpr int kBack = 4, kStart = 6, kDpadUp = 11, kDpadDown = 12, kDpadLeft = 13;

class Gamepad : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        unsetenv("SCRIBBLE_WINDOWED");
        ASSERT_TRUE(platform.open_screen("Test", 640, 480, false)) << platform.last_error();
        // The offscreen window never has focus; let the pads report anyway.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(platform.open_joysticks(), 0);  // nothing plugged in yet
        platform.pump_events(input);
        input.reset();
    }
    void TearDown() override {
        while (!pads.empty()) unplug();
        unsetenv("SDL_VIDEODRIVER");
    }

    // Plugs in a pad while the game runs and lets the platform see it.
    SDL_Joystick* plug_in() {
        const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
        EXPECT_GE(device, 0) << SDL_GetError();
        EXPECT_TRUE(SDL_IsGameController(device));
        SDL_Joystick* pad = SDL_JoystickOpen(device);
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        pads.push_back(pad);
        platform.pump_events(input);
        return pad;
    }
    void unplug() {
        SDL_Joystick* pad = pads.back();
        pads.pop_back();
        const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
        SDL_JoystickClose(pad);
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
        platform.pump_events(input);
    }
    void set_button(SDL_Joystick* pad, int button, bool down) {
        SDL_JoystickSetVirtualButton(pad, button, down ? SDL_PRESSED : SDL_RELEASED);
        platform.pump_events(input);
    }
    void set_stick(SDL_Joystick* pad, Sint16 x, Sint16 y) {
        SDL_JoystickSetVirtualAxis(pad, 0, x);
        SDL_JoystickSetVirtualAxis(pad, 1, y);
        platform.pump_events(input);
    }

    svc::SdlPlatform platform;
    svc::InputState input;
    std::vector<SDL_Joystick*> pads;
};

TEST_F(Gamepad, LeftStickSteersAtFullDeflectionOnly) {
    SDL_Joystick* pad = plug_in();
    set_stick(pad, -32768, 32767);
    EXPECT_EQ(input.joystick_x(0), -1.0f);
    EXPECT_EQ(input.joystick_y(0), 1.0f);
    set_stick(pad, 30000, -30000);  // well pushed but not all the way
    EXPECT_GT(input.joystick_x(0), 0.9f);
    EXPECT_NE(input.joystick_x(0), 1.0f);
    EXPECT_NE(input.joystick_y(0), -1.0f);
    set_stick(pad, 0, 0);
    EXPECT_EQ(input.joystick_x(0), 0.0f);
    EXPECT_EQ(input.joystick_y(0), 0.0f);
}

TEST_F(Gamepad, DpadSteersAndWinsOverTheStickWhileHeld) {
    SDL_Joystick* pad = plug_in();
    set_stick(pad, 20000, 0);
    set_button(pad, kDpadUp, true);
    set_button(pad, kDpadLeft, true);
    EXPECT_EQ(input.joystick_x(0), -1.0f);
    EXPECT_EQ(input.joystick_y(0), -1.0f);
    set_button(pad, kDpadUp, false);
    set_button(pad, kDpadDown, true);
    EXPECT_EQ(input.joystick_y(0), 1.0f);
    set_button(pad, kDpadDown, false);
    set_button(pad, kDpadLeft, false);
    EXPECT_EQ(input.joystick_x(0), 20000.0f / 32767.0f);  // the stick shows again
    EXPECT_EQ(input.joystick_y(0), 0.0f);
}

TEST_F(Gamepad, SouthFiresWestAndStartPauseOtherButtonsDoNothing) {
    SDL_Joystick* pad = plug_in();
    set_button(pad, SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(input.joystick_hit(0, 0), 1);
    EXPECT_EQ(input.joystick_down(0, 0), 1);
    set_button(pad, SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(input.joystick_down(0, 0), 0);

    set_button(pad, SDL_CONTROLLER_BUTTON_X, true);
    set_button(pad, SDL_CONTROLLER_BUTTON_X, false);
    set_button(pad, kStart, true);
    set_button(pad, kStart, false);
    EXPECT_EQ(input.joystick_hit(2, 0), 2);

    // Back is raw button 4 on this pad: neither it nor its raw number counts.
    set_button(pad, kBack, true);
    for (int b = 0; b < svc::kMaxJoystickButtons; ++b) EXPECT_EQ(input.joystick_down(b, 0), 0) << b;
}

TEST_F(Gamepad, TwoButtonsForPauseReleaseItOnlyWhenBothAreUp) {
    SDL_Joystick* pad = plug_in();
    set_button(pad, SDL_CONTROLLER_BUTTON_X, true);
    set_button(pad, kStart, true);
    EXPECT_EQ(input.joystick_hit(2, 0), 1);  // one press of an already held button
    set_button(pad, kStart, false);
    EXPECT_EQ(input.joystick_down(2, 0), 1);
    set_button(pad, SDL_CONTROLLER_BUTTON_X, false);
    EXPECT_EQ(input.joystick_down(2, 0), 0);
}

TEST_F(Gamepad, APadPluggedInDuringPlayIsPickedUpAndPullingItOutLetsGo) {
    EXPECT_EQ(input.joystick_count(), 0);
    SDL_Joystick* pad = plug_in();
    EXPECT_EQ(input.joystick_count(), 1);
    set_stick(pad, 32767, 0);
    set_button(pad, SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(input.joystick_x(0), 1.0f);
    EXPECT_EQ(input.joystick_down(0, 0), 1);

    unplug();
    EXPECT_EQ(input.joystick_count(), 0);
    EXPECT_EQ(input.joystick_x(0), 0.0f);
    EXPECT_EQ(input.joystick_down(0, 0), 0);

    // The next pad takes port 0 again, where the game reads.
    pad = plug_in();
    EXPECT_EQ(input.joystick_count(), 1);
    set_button(pad, kStart, true);
    EXPECT_EQ(input.joystick_hit(2, 0), 1);
}

TEST_F(Gamepad, ASecondPadGetsTheNextPortAndKeepsItWhenTheFirstGoes) {
    plug_in();
    SDL_Joystick* second = plug_in();
    EXPECT_EQ(input.joystick_count(), 2);
    set_button(second, SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(input.joystick_down(0, 1), 1);
    EXPECT_EQ(input.joystick_down(0, 0), 0);
    std::swap(pads[0], pads[1]);
    unplug();  // the first pad
    EXPECT_EQ(input.joystick_down(0, 1), 1);
    EXPECT_EQ(input.joystick_count(), 2);  // port 1 is still in use
}

}  // namespace
