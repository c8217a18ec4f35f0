#pragma once
// The game's controls in one place: which key, mouse button or joystick input
// does what (README, Controls). The joystick is the one on port 0, and its
// stick counts only when pushed all the way. A press asked about is counted,
// as the services count presses, so each question below asks its inputs in a
// fixed order and stops at the first that answers yes.

namespace controls {

inline constexpr int kJoystickPort = 0;
inline constexpr int kFireButton = 0;   // also chooses in the menus and skips the splash
inline constexpr int kPauseButton = 2;  // the west face button or Start on a gamepad
inline constexpr int kLeftMouseButton = 1;

// Turning counts presses of the arrow keys; climbing and diving follow the
// held key. The stick is asked only when the key says no.
bool turn_left_pressed();
bool turn_right_pressed();
bool climb_held();
bool dive_held();
// Left Control or the fire button pressed.
bool fire_pressed();

// Escape pressed: pauses a stage, leaves the pause menu, quits from the title.
bool escape_pressed();
// Space or the pause button pressed: pauses a stage or resumes it.
bool pause_pressed();
// The left mouse button or the fire button pressed: acts on a menu item.
bool choose_pressed();
// Escape, Space, the left mouse button or the fire button pressed: ends the logo splash.
bool skip_pressed();

// The fire button held down, or pressed and not yet counted.
bool fire_button_held();
// Counts away every press of Left Control not yet counted, so that none of
// them fires later.
void discard_fire_key_presses();

// Which way the stick is pushed all the way on each axis: -1, 0 or 1.
struct StickPush {
    int x = 0;
    int y = 0;
};
StickPush stick_push();

}  // namespace controls
