#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/fake_platform.h"
#include "services/input.h"
#include "services/screen.h"
#include "services/session.h"
#include "services/timing.h"

namespace {

using svc::InputState;
namespace vk = svc::vk;

TEST(KeyCounting, APressCountsOnceAndTheCountClearsWhenRead) {
    InputState input;
    input.key_event(vk::kSpace, true, false);
    EXPECT_EQ(input.key_down(vk::kSpace), 1);
    EXPECT_EQ(input.key_hit(vk::kSpace), 1);
    EXPECT_EQ(input.key_hit(vk::kSpace), 0);
    EXPECT_EQ(input.key_down(vk::kSpace), 1);  // still held
    input.key_event(vk::kSpace, false, false);
    EXPECT_EQ(input.key_down(vk::kSpace), 0);
}

TEST(KeyCounting, AutoRepeatAndRepeatedPressesOfAHeldKeyCountNothing) {
    InputState input;
    input.key_event(vk::kLeft, true, false);
    for (int i = 0; i < 30; ++i) input.key_event(vk::kLeft, true, true);
    input.key_event(vk::kLeft, true, false);  // a second down without an up
    EXPECT_EQ(input.key_hit(vk::kLeft), 1);
    // An auto-repeat of a key whose flag was flushed does not count either.
    input.flush_keys();
    input.key_event(vk::kLeft, true, true);
    EXPECT_EQ(input.key_hit(vk::kLeft), 0);
    EXPECT_EQ(input.key_down(vk::kLeft), 0);
}

TEST(KeyCounting, EveryPressBetweenTwoQueriesCounts) {
    InputState input;
    for (int i = 0; i < 3; ++i) {
        input.key_event(vk::kEscape, true, false);
        input.key_event(vk::kEscape, false, false);
    }
    EXPECT_EQ(input.key_hit(vk::kEscape), 3);
    EXPECT_EQ(input.key_down(vk::kEscape), 0);
}

TEST(KeyCounting, KeysAreCountedSeparatelyAndCodesOutsideTheRangeAreIgnored) {
    InputState input;
    input.key_event(vk::kLeftControl, true, false);
    input.key_event(vk::kRightControl, true, false);
    input.key_event(vk::kRightControl, false, false);
    input.key_event(256, true, false);
    input.key_event(-1, true, false);
    EXPECT_EQ(input.key_hit(vk::kLeftControl), 1);
    EXPECT_EQ(input.key_down(vk::kLeftControl), 1);
    EXPECT_EQ(input.key_hit(vk::kRightControl), 1);
    EXPECT_EQ(input.key_down(vk::kRightControl), 0);
    EXPECT_EQ(input.key_hit(256), 0);
    EXPECT_EQ(input.key_down(-1), 0);
}

TEST(Flushing, FlushKeysClearsFlagsAndCountsButLeavesTheMouse) {
    InputState input;
    input.key_event('A', true, false);
    input.mouse_button(1, true);
    input.flush_keys();
    EXPECT_EQ(input.key_down('A'), 0);
    EXPECT_EQ(input.key_hit('A'), 0);
    EXPECT_EQ(input.mouse_down(1), 1);
    EXPECT_EQ(input.mouse_hit(1), 1);
}

TEST(Flushing, FlushMouseClearsButtonsButKeepsThePointerAndTheKeys) {
    InputState input;
    input.mouse_move(100, 200);
    input.mouse_button(1, true);
    input.mouse_button(3, true);
    input.key_event('A', true, false);
    input.flush_mouse();
    EXPECT_EQ(input.mouse_down(1), 0);
    EXPECT_EQ(input.mouse_hit(1), 0);
    EXPECT_EQ(input.mouse_hit(3), 0);
    EXPECT_EQ(input.mouse_x(), 100);
    EXPECT_EQ(input.mouse_y(), 200);
    EXPECT_EQ(input.key_hit('A'), 1);
}

TEST(MouseButtons, CountLikeKeys) {
    InputState input;
    input.mouse_button(1, true);
    input.mouse_button(1, true);
    input.mouse_button(1, false);
    input.mouse_button(1, true);
    input.mouse_button(1, false);
    input.mouse_button(2, true);
    input.mouse_button(4, true);  // no such button
    EXPECT_EQ(input.mouse_hit(1), 2);
    EXPECT_EQ(input.mouse_hit(1), 0);
    EXPECT_EQ(input.mouse_down(2), 1);
    EXPECT_EQ(input.mouse_hit(4), 0);
}

TEST(Focus, LosingAndRegainingFocusSuspendsResumesAndFlushesBothTimes) {
    InputState input;
    input.key_event(vk::kSpace, true, false);
    input.mouse_button(1, true);
    input.focus_lost();
    EXPECT_EQ(input.app_suspended(), 1);
    EXPECT_EQ(input.key_hit(vk::kSpace), 0);
    EXPECT_EQ(input.mouse_hit(1), 0);

    input.key_event(vk::kEscape, true, false);  // pressed while away
    input.focus_gained();
    EXPECT_EQ(input.app_suspended(), 0);
    EXPECT_EQ(input.key_hit(vk::kEscape), 0);
    EXPECT_EQ(input.key_down(vk::kEscape), 0);
}

TEST(CloseRequest, AppTerminateAnswersOnceAndChangesNothingElse) {
    InputState input;
    input.key_event('A', true, false);
    input.request_close();
    input.request_close();  // the close box and the quit event of one click
    EXPECT_EQ(input.close_requested(), 1);
    EXPECT_EQ(input.close_requested(), 0);
    EXPECT_EQ(input.key_hit('A'), 1);
    EXPECT_EQ(input.app_suspended(), 0);
    input.request_close();
    EXPECT_EQ(input.close_requested(), 1);
}

TEST(Joysticks, ButtonsCountPressesAxesAreClampedAndBadPortsReadNothing) {
    InputState input;
    input.joystick_button(0, 2, true);
    input.joystick_button(0, 2, true);
    input.joystick_button(0, 2, false);
    input.joystick_button(0, 2, true);
    input.joystick_button(1, 0, true);
    EXPECT_EQ(input.joystick_hit(2, 0), 2);
    EXPECT_EQ(input.joystick_down(2, 0), 1);
    EXPECT_EQ(input.joystick_hit(0, 0), 0);
    EXPECT_EQ(input.joystick_hit(0, 1), 1);

    input.joystick_axis(0, 0, -1.0f);
    input.joystick_axis(0, 1, 7.5f);
    EXPECT_EQ(input.joystick_x(0), -1.0f);
    EXPECT_EQ(input.joystick_y(0), 1.0f);

    input.joystick_button(svc::kMaxJoystickPorts, 0, true);
    input.joystick_button(0, svc::kMaxJoystickButtons, true);
    EXPECT_EQ(input.joystick_hit(0, svc::kMaxJoystickPorts), 0);
    EXPECT_EQ(input.joystick_hit(svc::kMaxJoystickButtons, 0), 0);
    EXPECT_EQ(input.joystick_x(-1), 0.0f);
}

TEST(Joysticks, KeyAndMouseFlushesLeaveJoystickCountsAlone) {
    InputState input;
    input.joystick_button(0, 0, true);
    input.flush_keys();
    input.flush_mouse();
    EXPECT_EQ(input.joystick_hit(0, 0), 1);
}

class InputQueries : public ::testing::Test {
  protected:
    void SetUp() override { session.emplace(platform); }
    void TearDown() override { session.reset(); }
    testing_support::FakePlatform platform;
    std::optional<svc::Session> session;
};

TEST_F(InputQueries, EventsAreTakenInAtTheFirstQueryAfterAFlipOrADelay) {
    platform.queued.push_back([](InputState& in) { in.key_event(vk::kEscape, true, false); });
    EXPECT_EQ(svc::key_hit(vk::kEscape), 1);  // a session starts with an intake due
    platform.queued.push_back([](InputState& in) { in.mouse_move(12, 34); });
    EXPECT_EQ(svc::mouse_x(), 0) << "no intake until the clock moves";
    svc::delay(5);
    EXPECT_EQ(svc::mouse_x(), 12);
    platform.queued.push_back([](InputState& in) { in.request_close(); });
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 60));
    EXPECT_FALSE(svc::close_requested());
    svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_TRUE(svc::close_requested());
    EXPECT_EQ(platform.pumps, 3);
}

// The window shows before the screen is ready (a full screen first probes the
// vertical blank): a press made then reaches the game, one from before does not.
TEST_F(InputQueries, OpeningTheScreenDropsEarlierPressesButNotThoseMadeOnceItShows) {
    svc::input_state().key_event(vk::kEscape, true, false);
    platform.vblank = true;
    platform.sent_once_open.push_back([](InputState& in) {
        in.key_event(vk::kSpace, true, false);
        in.key_event(vk::kSpace, false, false);
    });
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, 60));
    svc::flip_frame(svc::FlipTiming::kPaced);
    EXPECT_EQ(svc::key_hit(vk::kEscape), 0);
    EXPECT_EQ(svc::key_hit(vk::kSpace), 1);
}

// What a hook is told at each intake, and what an observer sees.
struct Watcher : svc::InputHook, svc::InputObserver {
    void take_in(InputState&, svc::Intake intake) override { intakes.push_back(intake); }
    void on_event(const svc::InputEvent& event) override { events.push_back(event); }
    std::vector<svc::Intake> intakes;
    std::vector<svc::InputEvent> events;
};

TEST_F(InputQueries, AHookTakesThePlatformsPlaceAndLearnsWhatBroughtTheIntake) {
    Watcher watcher;
    svc::set_input_hook(&watcher);
    ASSERT_TRUE(svc::open_graphics(640, 480, svc::ScreenMode::kWindow, 60));
    svc::flip_frame(svc::FlipTiming::kPaced);  // the pacing delays, then presents: still a flip
    svc::key_down(vk::kLeft);
    svc::delay(5);
    svc::delay(5);
    svc::key_down(vk::kLeft);
    svc::key_down(vk::kLeft);
    svc::flip_frame(svc::FlipTiming::kPaced);
    svc::key_down(vk::kLeft);
    using svc::Intake;
    // The first is the session's own, taken by open_graphics as it flushes the keys.
    EXPECT_EQ(watcher.intakes, (std::vector{Intake::kAfterFlip, Intake::kAfterFlip,
                                            Intake::kAfterDelay, Intake::kAfterFlip}));
    EXPECT_EQ(platform.pumps, 0);
    svc::set_input_hook(nullptr);
}

TEST_F(InputQueries, ObserversSeeEventsButNotTheGamesOwnPointerMoves) {
    Watcher watcher;
    InputState& input = svc::input_state();
    input.set_observer(&watcher);
    input.key_event(vk::kSpace, true, false);
    input.joystick_axis(1, 1, -3.0f);
    input.key_event(300, true, false);  // no such key: nothing to see
    svc::move_mouse(320, 292);
    ASSERT_EQ(watcher.events.size(), 2u);
    EXPECT_EQ(watcher.events[0].kind, svc::InputEvent::Kind::kKey);
    EXPECT_EQ(watcher.events[1].value, -1.0f) << "as applied, clamped";
    EXPECT_EQ(input.observer(), &watcher);
}

TEST(LastingInput, RestoringClearsKeysAndButtonsAndBringsBackTheRest) {
    InputState played;
    played.mouse_move(5, 6);
    played.joystick_button(0, 0, true);
    played.joystick_axis(0, 0, 0.5f);
    played.request_close();
    const svc::LastingInput saved = played.lasting();
    InputState again;
    again.key_event('A', true, false);
    again.mouse_button(1, true);
    again.restore(saved);
    EXPECT_EQ(again.lasting(), saved);
    EXPECT_EQ(again.key_hit('A'), 0);
    EXPECT_EQ(again.mouse_hit(1), 0);
    EXPECT_EQ(again.joystick_hit(0, 0), 1);
    EXPECT_TRUE(again.close_requested());
}

TEST_F(InputQueries, PointerAndJoysticksGoThroughTheBackEnd) {
    svc::move_mouse(320, 292);
    ASSERT_EQ(platform.pointer_moves.size(), 1u);
    EXPECT_EQ(svc::mouse_x(), 320);
    EXPECT_EQ(svc::mouse_y(), 292);
    svc::hide_pointer();
    EXPECT_TRUE(platform.pointer_hidden);
    platform.joysticks = 2;
    EXPECT_EQ(svc::count_joysticks(), 2);
    EXPECT_EQ(svc::input_state().joystick_count(), 2);
}

TEST_F(InputQueries, ASessionStartsFromACleanInputState) {
    svc::input_state().key_event('A', true, false);
    svc::input_state().focus_lost();
    svc::input_state().request_close();
    session.reset();
    testing_support::FakePlatform other;
    session.emplace(other);
    EXPECT_EQ(svc::key_down('A'), 0);
    EXPECT_EQ(svc::app_suspended(), 0);
    EXPECT_EQ(svc::close_requested(), 0);
}

}  // namespace
