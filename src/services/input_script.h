#pragma once
// Input scripts, the text form of input events that the headless harness plays
// and the game's demos record: one event per line, `#` starts a comment, each
// line `F EVENT` (applied right after flip F; F = 0 before the first flip) or
// `@MS EVENT` (applied once the virtual clock reaches MS ms).
//
//   key KEY down|up|tap         tap = down now, up one flip later; KEY is a
//                               virtual-key number 0-255 or, in any case, one of
//                               escape space enter tab backspace left right up
//                               down lctrl rctrl lshift rshift lalt ralt (also
//                               leftcontrol, rightcontrol, leftshift, ...), a
//                               letter a-z or f1-f12 (digit keys by number, 48-57)
//   mouse X Y                   pointer at game pixel (X, Y)
//   button B down|up|click      1 left, 2 right, 3 middle; click = down and up at once
//   joy PORT axis x|y VALUE     VALUE from -1.0 to 1.0
//   joy PORT button B down|up|tap
//   focus lost|gained
//   close                       the window's close box
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/input.h"

namespace svc {

// How far off the screen a script's pointer may be.
inline constexpr int kMaxScriptCoordinate = 1'000'000;

struct ScriptEvent {
    enum class Timing { kAfterFlip, kAtMs };
    enum class Kind { kKey, kMouseMove, kMouseButton, kJoyAxis, kJoyButton, kFocus, kClose };
    enum class Action { kDown, kUp, kTap, kClick, kNone };

    Timing timing = Timing::kAfterFlip;
    int when = 0;  // the flip number or the clock in ms
    int line = 0;  // 1-based line in the script text
    Kind kind = Kind::kClose;
    Action action = Action::kNone;
    int code = 0;         // key code, mouse button, joystick button, or axis (0 x, 1 y)
    int port = 0;         // joystick port
    int x = 0, y = 0;     // pointer position
    float value = 0;      // joystick axis value
    bool gained = false;  // focus
    bool operator==(const ScriptEvent&) const = default;
};

struct ParsedScript {
    std::vector<ScriptEvent> events;  // in script order
    std::string error;                // empty when the whole text parsed
    int error_line = 0;
    bool ok() const { return error.empty(); }
};

// Parses a whole script; on the first bad line stops with an error message that
// names the line ("line 3: unknown event 'jump'"). Never throws on any input.
ParsedScript parse_script(std::string_view text);
// One line holding an event, its comment already cut off; returns an empty
// string on success, else what is wrong (without a line number).
std::string parse_script_line(std::string_view line, ScriptEvent& event);

// The event as a script line, keys by name where they have one; parsing it
// gives the event back (its `line` aside).
std::string format_script_line(const ScriptEvent& event);
// An input state's event as a script event after flip `flip`; nothing for what a
// script cannot say and what changes nothing (auto-repeats, mouse button 0).
std::optional<ScriptEvent> script_event(const InputEvent& event, int flip);

// Applies one event to the input state. A tap or click applies its press only;
// the caller releases a tap one flip later (release_tap), a click at once.
void apply_event(const ScriptEvent& event, InputState& input);
void release_tap(const ScriptEvent& event, InputState& input);

}  // namespace svc
