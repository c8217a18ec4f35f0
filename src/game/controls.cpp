#include "game/controls.h"

#include "services/input.h"

namespace controls {
namespace {

float stick_x() {
    return svc::joystick_x(kJoystickPort);
}
float stick_y() {
    return svc::joystick_y(kJoystickPort);
}
bool button_pressed(int button) {
    return svc::joystick_hit(button, kJoystickPort) != 0;
}

}  // namespace

bool turn_left_pressed() {
    return svc::key_hit(svc::vk::kLeft) != 0 || stick_x() == -1.0f;
}
bool turn_right_pressed() {
    return svc::key_hit(svc::vk::kRight) != 0 || stick_x() == 1.0f;
}
bool climb_held() {
    return svc::key_down(svc::vk::kUp) || stick_y() == -1.0f;
}
bool dive_held() {
    return svc::key_down(svc::vk::kDown) || stick_y() == 1.0f;
}
bool fire_pressed() {
    return svc::key_hit(svc::vk::kLeftControl) != 0 || button_pressed(kFireButton);
}

bool escape_pressed() {
    return svc::key_hit(svc::vk::kEscape) != 0;
}
bool pause_pressed() {
    return svc::key_hit(svc::vk::kSpace) != 0 || button_pressed(kPauseButton);
}
bool choose_pressed() {
    return svc::mouse_hit(kLeftMouseButton) != 0 || button_pressed(kFireButton);
}
bool skip_pressed() {
    return svc::key_hit(svc::vk::kEscape) != 0 || svc::key_hit(svc::vk::kSpace) != 0 ||
           svc::mouse_hit(kLeftMouseButton) != 0 || button_pressed(kFireButton);
}

bool fire_button_held() {
    return svc::joystick_down(kFireButton, kJoystickPort) || button_pressed(kFireButton);
}
void discard_fire_key_presses() {
    while (svc::key_hit(svc::vk::kLeftControl) != 0) {
    }
}

StickPush stick_push() {
    const auto full = [](float value) { return value == -1.0f ? -1 : value == 1.0f ? 1 : 0; };
    return {full(stick_x()), full(stick_y())};
}

}  // namespace controls
