#include "headless/script.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "services/input.h"

namespace harness {
namespace {

using Kind = ScriptEvent::Kind;
using Action = ScriptEvent::Action;

constexpr int kMaxCoordinate = 1'000'000;

// Splits a line into at most `kMaxWords` blank-separated words.
struct Words {
    static constexpr int kMaxWords = 8;
    std::string_view word[kMaxWords];
    int count = 0;
    bool too_many = false;
};

Words split(std::string_view line) {
    Words words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') {
            ++end;
        }
        if (words.count == Words::kMaxWords) {
            words.too_many = true;
            break;
        }
        words.word[words.count++] = line.substr(i, end - i);
        i = end;
    }
    return words;
}

bool parse_int(std::string_view text, int& out) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, out);
    return error == std::errc{} && end == last;
}

bool parse_int_in(std::string_view text, int low, int high, int& out) {
    return parse_int(text, out) && out >= low && out <= high;
}

bool parse_float(std::string_view text, float& out) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, out);
    return error == std::errc{} && end == last && std::isfinite(out);
}

struct KeyName {
    std::string_view name;
    int code;
};

constexpr KeyName kKeyNames[] = {
    {"escape", svc::vk::kEscape},
    {"space", svc::vk::kSpace},
    {"enter", svc::vk::kEnter},
    {"tab", svc::vk::kTab},
    {"backspace", svc::vk::kBackspace},
    {"left", svc::vk::kLeft},
    {"right", svc::vk::kRight},
    {"up", svc::vk::kUp},
    {"down", svc::vk::kDown},
    {"lctrl", svc::vk::kLeftControl},
    {"leftcontrol", svc::vk::kLeftControl},
    {"rctrl", svc::vk::kRightControl},
    {"rightcontrol", svc::vk::kRightControl},
    {"lshift", svc::vk::kLeftShift},
    {"leftshift", svc::vk::kLeftShift},
    {"rshift", svc::vk::kRightShift},
    {"rightshift", svc::vk::kRightShift},
    {"lalt", svc::vk::kLeftAlt},
    {"leftalt", svc::vk::kLeftAlt},
    {"ralt", svc::vk::kRightAlt},
    {"rightalt", svc::vk::kRightAlt},
};
constexpr int kLetterA = 65;  // A to Z are 65 to 90
constexpr int kFunctionKeys = 12;

std::string lower_case(std::string_view word) {
    std::string lower(word);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// A key name in any case: one of kKeyNames, a letter a-z or f1-f12.
bool parse_key_name(std::string_view word, int& code) {
    const std::string name = lower_case(word);
    for (const KeyName& key : kKeyNames) {
        if (name == key.name) {
            code = key.code;
            return true;
        }
    }
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') {
        code = kLetterA + (name[0] - 'a');
        return true;
    }
    for (int n = 1; n <= kFunctionKeys; ++n) {
        if (name == "f" + std::to_string(n)) {
            code = svc::vk::kF1 + n - 1;
            return true;
        }
    }
    return false;
}

// A virtual-key number 0-255 or a key name.
bool parse_key(std::string_view word, int& code) {
    return parse_int_in(word, 0, 255, code) || parse_key_name(word, code);
}

// Fills `event` from the words after the timing; an empty result means success.
std::string parse_event(const Words& w, ScriptEvent& event) {
    const int n = w.count;  // word[0] is the timing
    if (n < 2) return "an event is missing after the time";
    const std::string_view name = w.word[1];
    auto arity = [&](int words) -> std::string {
        if (n - 1 == words) return {};
        return "'" + std::string(name) + "' takes " + std::to_string(words - 1) + " argument" +
               (words == 2 ? "" : "s");
    };
    auto action = [](std::string_view word, std::initializer_list<Action> allowed) {
        Action a = word == "down"    ? Action::kDown
                   : word == "up"    ? Action::kUp
                   : word == "tap"   ? Action::kTap
                   : word == "click" ? Action::kClick
                                     : Action::kNone;
        for (Action ok : allowed)
            if (a == ok) return a;
        return Action::kNone;
    };

    if (name == "key") {
        if (auto e = arity(3); !e.empty()) return e;
        event.kind = Kind::kKey;
        if (!parse_key(w.word[2], event.code))
            return "key must be a number 0 to 255 or a key name such as escape, left or lctrl";
        event.action = action(w.word[3], {Action::kDown, Action::kUp, Action::kTap});
        if (event.action == Action::kNone) return "key action must be down, up or tap";
        return {};
    }
    if (name == "mouse") {
        if (auto e = arity(3); !e.empty()) return e;
        event.kind = Kind::kMouseMove;
        if (!parse_int_in(w.word[2], -kMaxCoordinate, kMaxCoordinate, event.x) ||
            !parse_int_in(w.word[3], -kMaxCoordinate, kMaxCoordinate, event.y)) {
            return "mouse position must be two whole numbers";
        }
        return {};
    }
    if (name == "button") {
        if (auto e = arity(3); !e.empty()) return e;
        event.kind = Kind::kMouseButton;
        if (!parse_int_in(w.word[2], 1, 3, event.code)) return "mouse button must be 1, 2 or 3";
        event.action = action(w.word[3], {Action::kDown, Action::kUp, Action::kClick});
        if (event.action == Action::kNone) return "button action must be down, up or click";
        return {};
    }
    if (name == "joy") {
        if (n < 4) return "'joy' needs a port and 'axis' or 'button'";
        if (!parse_int_in(w.word[2], 0, svc::kMaxJoystickPorts - 1, event.port)) {
            return "joystick port must be 0 to " + std::to_string(svc::kMaxJoystickPorts - 1);
        }
        if (w.word[3] == "axis") {
            if (n != 6) return "'joy PORT axis' takes x or y and a value";
            event.kind = Kind::kJoyAxis;
            if (w.word[4] == "x") {
                event.code = 0;
            } else if (w.word[4] == "y") {
                event.code = 1;
            } else {
                return "joystick axis must be x or y";
            }
            if (!parse_float(w.word[5], event.value) || event.value < -1.0f || event.value > 1.0f) {
                return "joystick axis value must be -1.0 to 1.0";
            }
            return {};
        }
        if (w.word[3] == "button") {
            if (n != 6) return "'joy PORT button' takes a button and down, up or tap";
            event.kind = Kind::kJoyButton;
            if (!parse_int_in(w.word[4], 0, svc::kMaxJoystickButtons - 1, event.code)) {
                return "joystick button must be 0 to " +
                       std::to_string(svc::kMaxJoystickButtons - 1);
            }
            event.action = action(w.word[5], {Action::kDown, Action::kUp, Action::kTap});
            if (event.action == Action::kNone)
                return "joystick button action must be down, up or tap";
            return {};
        }
        return "'joy PORT' must be followed by 'axis' or 'button'";
    }
    if (name == "focus") {
        if (auto e = arity(2); !e.empty()) return e;
        event.kind = Kind::kFocus;
        if (w.word[2] == "lost") {
            event.gained = false;
        } else if (w.word[2] == "gained") {
            event.gained = true;
        } else {
            return "focus must be lost or gained";
        }
        return {};
    }
    if (name == "close") {
        if (auto e = arity(1); !e.empty()) return e;
        event.kind = Kind::kClose;
        return {};
    }
    std::string shown(name.substr(0, 40));
    return "unknown event '" + shown + "'";
}

std::string parse_timing(std::string_view word, ScriptEvent& event) {
    if (!word.empty() && word[0] == '@') {
        event.timing = ScriptEvent::Timing::kAtMs;
        if (!parse_int_in(word.substr(1), 0, 2'000'000'000, event.when)) {
            return "'@' must be followed by a time in ms (0 or more)";
        }
        return {};
    }
    event.timing = ScriptEvent::Timing::kAfterFlip;
    if (!parse_int_in(word, 0, 2'000'000'000, event.when)) {
        return "a line must start with a flip number (0 or more) or @ms";
    }
    return {};
}

}  // namespace

ParsedScript parse_script(std::string_view text) {
    ParsedScript result;
    int line_number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        ++line_number;
        start = end + 1;

        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const Words words = split(line);
        if (words.count == 0 && !words.too_many) continue;

        ScriptEvent event;
        event.line = line_number;
        std::string error = words.too_many ? "too many words" : parse_timing(words.word[0], event);
        if (error.empty()) error = parse_event(words, event);
        if (!error.empty()) {
            result.error = "line " + std::to_string(line_number) + ": " + error;
            result.error_line = line_number;
            result.events.clear();
            return result;
        }
        result.events.push_back(event);
    }
    return result;
}

void apply_event(const ScriptEvent& event, svc::InputState& input) {
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

void release_tap(const ScriptEvent& event, svc::InputState& input) {
    if (event.action != Action::kTap) return;
    if (event.kind == Kind::kKey) input.key_event(event.code, false, false);
    if (event.kind == Kind::kJoyButton) input.joystick_button(event.port, event.code, false);
}

}  // namespace harness
