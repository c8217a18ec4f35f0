#include <cstdlib>

#include "services/input_script.h"

// Between the input state and script events: what a recording writes down, and
// what a replay applies.
namespace svc {

using Kind = ScriptEvent::Kind;
using Action = ScriptEvent::Action;

std::optional<ScriptEvent> script_event(const InputEvent& in, int flip) {
    using InKind = InputEvent::Kind;
    ScriptEvent e;
    e.when = flip;
    e.action = in.down ? Action::kDown : Action::kUp;
    switch (in.kind) {
        case InKind::kKey:
            if (in.auto_repeat) return std::nullopt;
            e.kind = Kind::kKey;
            e.code = in.code;
            break;
        case InKind::kMouseMove:
            if (std::abs(in.x) > kMaxScriptCoordinate || std::abs(in.y) > kMaxScriptCoordinate) {
                return std::nullopt;
            }
            e.kind = Kind::kMouseMove;
            e.action = Action::kNone;
            e.x = in.x;
            e.y = in.y;
            break;
        case InKind::kMouseButton:
            if (in.code < 1) return std::nullopt;
            e.kind = Kind::kMouseButton;
            e.code = in.code;
            break;
        case InKind::kJoystickAxis:
            e.kind = Kind::kJoyAxis;
            e.action = Action::kNone;
            e.port = in.port;
            e.code = in.code;
            e.value = in.value;
            break;
        case InKind::kJoystickButton:
            e.kind = Kind::kJoyButton;
            e.port = in.port;
            e.code = in.code;
            break;
        case InKind::kFocusLost:
        case InKind::kFocusGained:
            e.kind = Kind::kFocus;
            e.action = Action::kNone;
            e.gained = in.kind == InKind::kFocusGained;
            break;
        case InKind::kClose:
            e.kind = Kind::kClose;
            e.action = Action::kNone;
            break;
    }
    return e;
}

void apply_event(const ScriptEvent& event, InputState& input) {
    const bool down = event.action != Action::kUp;
    switch (event.kind) {
        case Kind::kKey:
            input.key_event(event.code, down, false);
            break;
        case Kind::kMouseMove:
            input.mouse_move(event.x, event.y);
            break;
        case Kind::kMouseButton:
            input.mouse_button(event.code, down);
            if (event.action == Action::kClick) input.mouse_button(event.code, false);
            break;
        case Kind::kJoyAxis:
            input.joystick_axis(event.port, event.code, event.value);
            break;
        case Kind::kJoyButton:
            input.joystick_button(event.port, event.code, down);
            break;
        case Kind::kFocus:
            if (event.gained) {
                input.focus_gained();
            } else {
                input.focus_lost();
            }
            break;
        case Kind::kClose:
            input.request_close();
            break;
    }
}

void release_tap(const ScriptEvent& event, InputState& input) {
    if (event.action != Action::kTap) return;
    if (event.kind == Kind::kKey) input.key_event(event.code, false, false);
    if (event.kind == Kind::kJoyButton) input.joystick_button(event.port, event.code, false);
}

}  // namespace svc
