#include "services/input_script.h"

#include <cctype>
#include <string>

#include "services/input.h"
#include "services/text_words.h"

namespace svc {
namespace {

using Kind = ScriptEvent::Kind;
using Action = ScriptEvent::Action;

using Words = std::vector<std::string_view>;
constexpr std::size_t kMaxWords = 8;

// A script's numbers may carry a sign '+'.
std::string_view without_plus(std::string_view word) {
    return !word.empty() && word[0] == '+' ? word.substr(1) : word;
}

bool parse_script_int(std::string_view word, int low, int high, int& out) {
    return parse_int_in(without_plus(word), low, high, out);
}

bool parse_script_float(std::string_view word, float& out) {
    return parse_finite_float(without_plus(word), out);
}

struct KeyName {
    std::string_view name;
    int code;
};

constexpr KeyName kKeyNames[] = {
    {"escape", vk::kEscape},
    {"space", vk::kSpace},
    {"enter", vk::kEnter},
    {"tab", vk::kTab},
    {"backspace", vk::kBackspace},
    {"left", vk::kLeft},
    {"right", vk::kRight},
    {"up", vk::kUp},
    {"down", vk::kDown},
    {"lctrl", vk::kLeftControl},
    {"leftcontrol", vk::kLeftControl},
    {"rctrl", vk::kRightControl},
    {"rightcontrol", vk::kRightControl},
    {"lshift", vk::kLeftShift},
    {"leftshift", vk::kLeftShift},
    {"rshift", vk::kRightShift},
    {"rightshift", vk::kRightShift},
    {"lalt", vk::kLeftAlt},
    {"leftalt", vk::kLeftAlt},
    {"ralt", vk::kRightAlt},
    {"rightalt", vk::kRightAlt},
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
            code = vk::kF1 + n - 1;
            return true;
        }
    }
    return false;
}

// A virtual-key number 0-255 or a key name.
bool parse_key(std::string_view word, int& code) {
    return parse_script_int(word, 0, 255, code) || parse_key_name(word, code);
}

// Fills `event` from the words after the timing; an empty result means success.
std::string parse_event(const Words& w, ScriptEvent& event) {
    const int n = static_cast<int>(w.size());  // w[0] is the timing
    if (n < 2) return "an event is missing after the time";
    const std::string_view name = w[1];
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
        if (!parse_key(w[2], event.code))
            return "key must be a number 0 to 255 or a key name such as escape, left or lctrl";
        event.action = action(w[3], {Action::kDown, Action::kUp, Action::kTap});
        if (event.action == Action::kNone) return "key action must be down, up or tap";
        return {};
    }
    if (name == "mouse") {
        if (auto e = arity(3); !e.empty()) return e;
        event.kind = Kind::kMouseMove;
        if (!parse_script_int(w[2], -kMaxScriptCoordinate, kMaxScriptCoordinate, event.x) ||
            !parse_script_int(w[3], -kMaxScriptCoordinate, kMaxScriptCoordinate, event.y)) {
            return "mouse position must be two whole numbers";
        }
        return {};
    }
    if (name == "button") {
        if (auto e = arity(3); !e.empty()) return e;
        event.kind = Kind::kMouseButton;
        if (!parse_script_int(w[2], 1, 3, event.code)) return "mouse button must be 1, 2 or 3";
        event.action = action(w[3], {Action::kDown, Action::kUp, Action::kClick});
        if (event.action == Action::kNone) return "button action must be down, up or click";
        return {};
    }
    if (name == "joy") {
        if (n < 4) return "'joy' needs a port and 'axis' or 'button'";
        if (!parse_script_int(w[2], 0, kMaxJoystickPorts - 1, event.port)) {
            return "joystick port must be 0 to " + std::to_string(kMaxJoystickPorts - 1);
        }
        if (w[3] == "axis") {
            if (n != 6) return "'joy PORT axis' takes x or y and a value";
            event.kind = Kind::kJoyAxis;
            if (w[4] == "x") {
                event.code = 0;
            } else if (w[4] == "y") {
                event.code = 1;
            } else {
                return "joystick axis must be x or y";
            }
            if (!parse_script_float(w[5], event.value) || event.value < -1.0f ||
                event.value > 1.0f) {
                return "joystick axis value must be -1.0 to 1.0";
            }
            return {};
        }
        if (w[3] == "button") {
            if (n != 6) return "'joy PORT button' takes a button and down, up or tap";
            event.kind = Kind::kJoyButton;
            if (!parse_script_int(w[4], 0, kMaxJoystickButtons - 1, event.code)) {
                return "joystick button must be 0 to " + std::to_string(kMaxJoystickButtons - 1);
            }
            event.action = action(w[5], {Action::kDown, Action::kUp, Action::kTap});
            if (event.action == Action::kNone)
                return "joystick button action must be down, up or tap";
            return {};
        }
        return "'joy PORT' must be followed by 'axis' or 'button'";
    }
    if (name == "focus") {
        if (auto e = arity(2); !e.empty()) return e;
        event.kind = Kind::kFocus;
        if (w[2] == "lost") {
            event.gained = false;
        } else if (w[2] == "gained") {
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
    return "unknown event '" + printable_text(name.substr(0, 40)) + "'";
}

std::string key_word(int code) {
    for (const KeyName& key : kKeyNames) {
        if (key.code == code) return std::string(key.name);
    }
    if (code >= kLetterA && code < kLetterA + 26)
        return std::string(1, char('a' + code - kLetterA));
    if (code >= vk::kF1 && code < vk::kF1 + kFunctionKeys) {
        return "f" + std::to_string(code - vk::kF1 + 1);
    }
    return std::to_string(code);
}

const char* action_word(Action action) {
    switch (action) {
        case Action::kDown:
            return "down";
        case Action::kUp:
            return "up";
        case Action::kTap:
            return "tap";
        case Action::kClick:
            return "click";
        case Action::kNone:
            break;
    }
    return "";
}

std::string parse_timing(std::string_view word, ScriptEvent& event) {
    if (!word.empty() && word[0] == '@') {
        event.timing = ScriptEvent::Timing::kAtMs;
        if (!parse_script_int(word.substr(1), 0, 2'000'000'000, event.when)) {
            return "'@' must be followed by a time in ms (0 or more)";
        }
        return {};
    }
    event.timing = ScriptEvent::Timing::kAfterFlip;
    if (!parse_script_int(word, 0, 2'000'000'000, event.when)) {
        return "a line must start with a flip number (0 or more) or @ms";
    }
    return {};
}

}  // namespace

std::string parse_script_line(std::string_view line, ScriptEvent& event) {
    const Words words = split_words(line, kMaxWords + 1);
    if (words.size() > kMaxWords) return "too many words";
    if (words.empty()) return "an empty line";
    if (std::string error = parse_timing(words[0], event); !error.empty()) return error;
    return parse_event(words, event);
}

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
        if (split_words(line, 1).empty()) continue;

        ScriptEvent event;
        event.line = line_number;
        if (std::string error = parse_script_line(line, event); !error.empty()) {
            result.error = "line " + std::to_string(line_number) + ": " + error;
            result.error_line = line_number;
            result.events.clear();
            return result;
        }
        result.events.push_back(event);
    }
    return result;
}

std::string format_script_line(const ScriptEvent& e) {
    std::string line = e.timing == ScriptEvent::Timing::kAtMs ? "@" + std::to_string(e.when)
                                                              : std::to_string(e.when);
    switch (e.kind) {
        case Kind::kKey:
            return line + " key " + key_word(e.code) + " " + action_word(e.action);
        case Kind::kMouseMove:
            return line + " mouse " + std::to_string(e.x) + " " + std::to_string(e.y);
        case Kind::kMouseButton:
            return line + " button " + std::to_string(e.code) + " " + action_word(e.action);
        case Kind::kJoyAxis:
            return line + " joy " + std::to_string(e.port) + " axis " + (e.code ? "y " : "x ") +
                   exact_float_text(e.value);
        case Kind::kJoyButton:
            return line + " joy " + std::to_string(e.port) + " button " + std::to_string(e.code) +
                   " " + action_word(e.action);
        case Kind::kFocus:
            return line + (e.gained ? " focus gained" : " focus lost");
        case Kind::kClose:
            return line + " close";
    }
    return line;
}

}  // namespace svc
