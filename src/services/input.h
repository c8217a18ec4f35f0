#pragma once
// Polled input: keys by virtual-key number (0-255), the mouse in screen pixels,
// joysticks, the window's focus and its close request.
//
// Presses are counted rather than sampled, so that no press is ever lost: a key
// tapped and released between two frames still reads as one hit.
//
// The window's events are taken in at an intake: the first query after each
// flip, and the first after each delay (the waits that poll the input, such as
// the inactive window's). Queries between two intakes read one unchanging
// state, so a frame sees exactly what happened before it, and a record of what
// each intake took in plays the game again frame for frame.
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

// What brought the clock forward since the previous intake: a flip (perhaps
// after the pacing's own delay), or only delays.
enum class Intake { kAfterFlip, kAfterDelay };

// One call of an input state's back-end side, as a value.
struct InputEvent {
    enum class Kind {
        kKey,
        kMouseMove,
        kMouseButton,
        kJoystickAxis,
        kJoystickButton,
        kFocusLost,
        kFocusGained,
        kClose
    };
    Kind kind = Kind::kClose;
    int code = 0;  // key, mouse button, joystick button, or joystick axis (0 x, 1 y)
    int port = 0;  // joystick port
    bool down = false;
    bool auto_repeat = false;
    int x = 0, y = 0;  // pointer
    float value = 0;   // joystick axis, -1.0 to 1.0
};

// Sees every event written into an input state, as it is applied.
class InputObserver {
  public:
    virtual ~InputObserver() = default;
    virtual void on_event(const InputEvent& event) = 0;
};

struct JoystickState {
    std::array<bool, kMaxJoystickButtons> down{};
    std::array<int, kMaxJoystickButtons> hits{};
    float x = 0, y = 0;
    bool operator==(const JoystickState&) const = default;
};

// What a flush of the keys and mouse buttons leaves of an input state.
struct LastingInput {
    int mouse_x = 0, mouse_y = 0;
    std::array<JoystickState, kMaxJoystickPorts> joysticks{};
    bool suspended = false;
    bool close_pending = false;
    bool operator==(const LastingInput&) const = default;
};

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
    // The observer (nullptr: none) sees each back-end-side call that names a
    // valid key, button or port; reset() drops it.
    void set_observer(InputObserver* observer) { observer_ = observer; }
    InputObserver* observer() const { return observer_; }

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
    bool close_pending() const { return terminate_; }  // without answering it
    bool app_suspended() const { return suspended_; }
    void reset();

    // A moment of play saved and come back to: restore() clears the keys and
    // mouse buttons and takes everything else from `state`.
    LastingInput lasting() const;
    void restore(const LastingInput& state);

  private:
    void notify(const InputEvent& event) const {
        if (observer_) observer_->on_event(event);
    }

    std::array<bool, 256> key_down_{};
    std::array<int, 256> key_hits_{};
    std::array<bool, 4> mouse_down_{};
    std::array<int, 4> mouse_hits_{};
    int mouse_x_ = 0, mouse_y_ = 0;
    std::array<JoystickState, kMaxJoystickPorts> joysticks_{};
    int joystick_count_ = 0;
    bool suspended_ = false;
    bool terminate_ = false;
    InputObserver* observer_ = nullptr;
};

// Takes the game's input in at each intake, in place of the platform's pending
// events (a program that replays recorded input, say). The services call it and
// know nothing more of it.
class InputHook {
  public:
    virtual ~InputHook() = default;
    virtual void take_in(InputState& input, Intake intake) = 0;
};
// nullptr: the platform's events again. A session ends with none.
void set_input_hook(InputHook* hook);

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

namespace detail {
// The screen and the clock tell the input when an intake falls due.
void note_flip();
void note_delay();
// Back to the state of a new session: an intake due, no hook.
void reset_intake();
}  // namespace detail

}  // namespace svc
