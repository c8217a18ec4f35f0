#pragma once
// Polled input: keys by virtual-key number (0-255), the mouse in screen pixels,
// joysticks, the window's focus and its close request. Every query first moves
// pending window events into the input state, so polling keeps the window alive.
//
// Presses are counted rather than sampled, so that no press is ever lost: a key
// tapped and released between two frames still reads as one hit.
#include <array>

namespace svc {

namespace vk {
constexpr int kBackspace = 8, kTab = 9, kEnter = 13, kEscape = 27, kSpace = 32;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kF1 = 112;  // F1 to F12 are 112 to 123
constexpr int kLeftShift = 160, kRightShift = 161, kLeftControl = 162, kRightControl = 163;
constexpr int kLeftAlt = 164, kRightAlt = 165;
}  // namespace vk

constexpr int kMaxJoystickPorts = 8;
constexpr int kMaxJoystickButtons = 17;

// What the back ends write into and the queries read from.
class InputState {
  public:
    // Back-end side: one call per event.
    void key_event(int vk, bool down, bool auto_repeat);
    void mouse_move(int x, int y);
    void mouse_button(int button, bool down);             // 1 left, 2 right, 3 middle
    void joystick_axis(int port, int axis, float value);  // axis 0 x, 1 y; -1.0 to 1.0
    void joystick_button(int port, int button, bool down);
    void focus_lost();
    void focus_gained();
    void request_close();
    void set_joystick_count(int count);

    // Query side.
    int key_hit(int vk);
    bool key_down(int vk) const;
    void flush_keys();
    int mouse_hit(int button);
    bool mouse_down(int button) const;
    int mouse_x() const { return mouse_x_; }
    int mouse_y() const { return mouse_y_; }
    void flush_mouse();
    int joystick_hit(int button, int port);
    bool joystick_down(int button, int port) const;
    float joystick_x(int port) const;
    float joystick_y(int port) const;
    int joystick_count() const { return joystick_count_; }
    bool close_requested();
    bool app_suspended() const { return suspended_; }
    void reset();

  private:
    std::array<bool, 256> key_down_{};
    std::array<int, 256> key_hits_{};
    std::array<bool, 4> mouse_down_{};
    std::array<int, 4> mouse_hits_{};
    int mouse_x_ = 0, mouse_y_ = 0;
    struct Joy {
        std::array<bool, kMaxJoystickButtons> down{};
        std::array<int, kMaxJoystickButtons> hits{};
        float x = 0, y = 0;
    };
    std::array<Joy, kMaxJoystickPorts> joysticks_{};
    int joystick_count_ = 0;
    bool suspended_ = false;
    bool terminate_ = false;
};

// The process-wide input state that the queries below use.
InputState& input_state();

int key_hit(int vk);
bool key_down(int vk);
void flush_keys();
int mouse_x();
int mouse_y();
int mouse_hit(int button);
void flush_mouse();
void move_mouse(int x, int y);
void hide_pointer();
bool close_requested();
bool app_suspended();
int count_joysticks();
int joystick_hit(int button, int port);
bool joystick_down(int button, int port);
float joystick_x(int port);
float joystick_y(int port);

}  // namespace svc
