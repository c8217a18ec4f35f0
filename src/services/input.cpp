#include "services/input.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "services/platform.h"
#include "services/rendering/graphics.h"

namespace svc {
namespace {

bool valid_key(int vk) {
    return vk >= 0 && vk < 256;
}
bool valid_button(int button) {
    return button >= 0 && button < 4;
}
bool valid_joy(int port, int button) {
    return port >= 0 && port < kMaxJoystickPorts && button >= 0 && button < kMaxJoystickButtons;
}
bool valid_port(int port) {
    return port >= 0 && port < kMaxJoystickPorts;
}

// Reads a counter and clears it, as every *_hit query does.
int take(int& counter) {
    return std::exchange(counter, 0);
}

}  // namespace

// --- Back-end side ---------------------------------------------------------------

void InputState::key_event(int vk, bool down, bool auto_repeat) {
    if (!valid_key(vk)) return;
    notify({.kind = InputEvent::Kind::kKey, .code = vk, .down = down, .auto_repeat = auto_repeat});
    if (!down) {
        key_down_[vk] = false;
        return;
    }
    // Auto-repeats, and presses of a key that is already down, count nothing.
    if (auto_repeat || key_down_[vk]) return;
    key_down_[vk] = true;
    ++key_hits_[vk];
}

void InputState::mouse_move(int x, int y) {
    notify({.kind = InputEvent::Kind::kMouseMove, .x = x, .y = y});
    mouse_x_ = x;
    mouse_y_ = y;
}

void InputState::mouse_button(int button, bool down) {
    if (!valid_button(button)) return;
    notify({.kind = InputEvent::Kind::kMouseButton, .code = button, .down = down});
    if (!down) {
        mouse_down_[button] = false;
        return;
    }
    if (mouse_down_[button]) return;
    mouse_down_[button] = true;
    ++mouse_hits_[button];
}

void InputState::joystick_axis(int port, int axis, float value) {
    if (!valid_port(port) || (axis != 0 && axis != 1)) return;
    value = std::clamp(value, -1.0f, 1.0f);
    notify({.kind = InputEvent::Kind::kJoystickAxis, .code = axis, .port = port, .value = value});
    if (axis == 0) joysticks_[port].x = value;
    if (axis == 1) joysticks_[port].y = value;
}

void InputState::joystick_button(int port, int button, bool down) {
    if (!valid_joy(port, button)) return;
    notify({.kind = InputEvent::Kind::kJoystickButton, .code = button, .port = port, .down = down});
    JoystickState& joy = joysticks_[port];
    if (down && !joy.down[button]) ++joy.hits[button];
    joy.down[button] = down;
}

void InputState::focus_lost() {
    notify({.kind = InputEvent::Kind::kFocusLost});
    flush_keys();
    flush_mouse();
    suspended_ = true;
}

void InputState::focus_gained() {
    notify({.kind = InputEvent::Kind::kFocusGained});
    flush_keys();
    flush_mouse();
    suspended_ = false;
}

// The window stays open: the game decides when to end.
void InputState::request_close() {
    notify({.kind = InputEvent::Kind::kClose});
    terminate_ = true;
}

void InputState::set_joystick_count(int count) {
    joystick_count_ = std::max(count, 0);
}

// --- Query side ------------------------------------------------------------------

int InputState::key_hit(int vk) {
    return valid_key(vk) ? take(key_hits_[vk]) : 0;
}

bool InputState::key_down(int vk) const {
    return valid_key(vk) && key_down_[vk];
}

void InputState::flush_keys() {
    key_down_.fill(false);
    key_hits_.fill(0);
}

int InputState::mouse_hit(int button) {
    return valid_button(button) ? take(mouse_hits_[button]) : 0;
}

bool InputState::mouse_down(int button) const {
    return valid_button(button) && mouse_down_[button];
}

void InputState::flush_mouse() {
    mouse_down_.fill(false);
    mouse_hits_.fill(0);
}

int InputState::joystick_hit(int button, int port) {
    return valid_joy(port, button) ? take(joysticks_[port].hits[button]) : 0;
}

bool InputState::joystick_down(int button, int port) const {
    return valid_joy(port, button) && joysticks_[port].down[button];
}

float InputState::joystick_x(int port) const {
    return valid_port(port) ? joysticks_[port].x : 0.0f;
}

float InputState::joystick_y(int port) const {
    return valid_port(port) ? joysticks_[port].y : 0.0f;
}

bool InputState::close_requested() {
    return std::exchange(terminate_, false);
}

void InputState::reset() {
    *this = InputState{};
}

LastingInput InputState::lasting() const {
    return {mouse_x_, mouse_y_, joysticks_, suspended_, terminate_};
}

void InputState::restore(const LastingInput& state) {
    flush_keys();
    flush_mouse();
    mouse_x_ = state.mouse_x;
    mouse_y_ = state.mouse_y;
    joysticks_ = state.joysticks;
    suspended_ = state.suspended;
    terminate_ = state.close_pending;
}

// --- The process-wide queries -------------------------------------------------------

InputState& input_state() {
    static InputState state;
    return state;
}

namespace {

struct IntakeSchedule {
    std::optional<Intake> due = Intake::kAfterFlip;
    InputHook* hook = nullptr;
};

IntakeSchedule& intake_schedule() {
    static IntakeSchedule schedule;
    return schedule;
}

// Every query goes through here: at the first one after a flip or a delay the
// window's pending events (or the hook's) are taken in.
InputState& pumped() {
    InputState& input = input_state();
    IntakeSchedule& schedule = intake_schedule();
    if (!has_platform() || !schedule.due) return input;
    const Intake intake = *std::exchange(schedule.due, std::nullopt);
    if (schedule.hook) {
        schedule.hook->take_in(input, intake);
    } else {
        platform().pump_events(input);
    }
    return input;
}

// The game's own pointer moves are its output, not input: observers miss them.
class ObserverAside {
  public:
    explicit ObserverAside(InputState& input) : input_(input), observer_(input.observer()) {
        input_.set_observer(nullptr);
    }
    ~ObserverAside() { input_.set_observer(observer_); }
    ObserverAside(const ObserverAside&) = delete;
    ObserverAside& operator=(const ObserverAside&) = delete;

  private:
    InputState& input_;
    InputObserver* observer_;
};

}  // namespace

void set_input_hook(InputHook* hook) {
    intake_schedule().hook = hook;
}

namespace detail {
void note_flip() {
    intake_schedule().due = Intake::kAfterFlip;
}
void note_delay() {
    // A flip since the last intake stays the reason: the pacing delays before presenting.
    if (!intake_schedule().due) intake_schedule().due = Intake::kAfterDelay;
}
void reset_intake() {
    intake_schedule() = IntakeSchedule{};
}
}  // namespace detail

int key_hit(int vk) {
    return pumped().key_hit(vk);
}
bool key_down(int vk) {
    return pumped().key_down(vk);
}
void flush_keys() {
    pumped().flush_keys();
}
int mouse_x() {
    return pumped().mouse_x();
}
int mouse_y() {
    return pumped().mouse_y();
}
int mouse_hit(int button) {
    return pumped().mouse_hit(button);
}
void flush_mouse() {
    pumped().flush_mouse();
}
bool close_requested() {
    return pumped().close_requested();
}
bool app_suspended() {
    return pumped().app_suspended();
}
int joystick_hit(int button, int port) {
    return pumped().joystick_hit(button, port);
}
bool joystick_down(int button, int port) {
    return pumped().joystick_down(button, port);
}
float joystick_x(int port) {
    return pumped().joystick_x(port);
}
float joystick_y(int port) {
    return pumped().joystick_y(port);
}

void move_mouse(int x, int y) {
    InputState& input = pumped();
    // The pointer stays on the screen, as a full-screen pointer would: a
    // joystick steering the menu pointer past an edge stops at it.
    if (graphics_width() > 0 && graphics_height() > 0) {
        x = std::clamp(x, 0, graphics_width() - 1);
        y = std::clamp(y, 0, graphics_height() - 1);
    }
    const ObserverAside aside(input);
    if (has_platform()) {
        platform().move_pointer(input, x, y);
    } else {
        input.mouse_move(x, y);
    }
}

void hide_pointer() {
    if (has_platform()) platform().hide_pointer();
}

int count_joysticks() {
    InputState& input = pumped();
    const int count = has_platform() ? platform().open_joysticks() : 0;
    input.set_joystick_count(count);
    return count;
}

}  // namespace svc
