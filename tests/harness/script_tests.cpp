#include <gtest/gtest.h>

#include <random>
#include <string>

#include "services/input.h"
#include "services/input_script.h"

namespace {

using svc::parse_script;
using svc::ScriptEvent;
using Kind = ScriptEvent::Kind;
using Action = ScriptEvent::Action;
using Timing = ScriptEvent::Timing;

// The one event of a one-line script, its line number aside.
ScriptEvent only_event(const std::string& text) {
    const auto parsed = parse_script(text);
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.events.size(), 1u);
    ScriptEvent event = parsed.events.empty() ? ScriptEvent{} : parsed.events.front();
    event.line = 0;
    return event;
}

TEST(ScriptParser, ReadsEveryKindOfEvent) {
    auto e = only_event("12 key 27 tap");
    EXPECT_EQ(e.timing, Timing::kAfterFlip);
    EXPECT_EQ(e.when, 12);
    EXPECT_EQ(e.kind, Kind::kKey);
    EXPECT_EQ(e.code, 27);
    EXPECT_EQ(e.action, Action::kTap);

    EXPECT_EQ(only_event("0 key 162 down").action, Action::kDown);
    EXPECT_EQ(only_event("0 key 162 up").action, Action::kUp);
    // Key names, in any case, stand for their virtual-key numbers.
    const struct {
        const char* line;
        int code;
    } named_keys[] = {
        {"0 key escape tap", 27}, {"0 key SPACE tap", 32},
        {"0 key Enter tap", 13},  {"0 key tab tap", 9},
        {"0 key left down", 37},  {"0 key up up", 38},
        {"0 key right tap", 39},  {"0 key down down", 40},
        {"0 key lctrl tap", 162}, {"0 key LeftControl tap", 162},
        {"0 key ralt tap", 165},  {"0 key a tap", 65},
        {"0 key Z tap", 90},      {"0 key f1 tap", 112},
        {"0 key F12 tap", 123},   {"0 key 0 tap", 0},
        {"0 key 9 tap", 9},
    };
    for (const auto& k : named_keys) EXPECT_EQ(only_event(k.line).code, k.code) << k.line;

    e = only_event("3 mouse 320 -5");
    EXPECT_EQ(e.kind, Kind::kMouseMove);
    EXPECT_EQ(e.x, 320);
    EXPECT_EQ(e.y, -5);

    e = only_event("4 button 1 click");
    EXPECT_EQ(e.kind, Kind::kMouseButton);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.action, Action::kClick);
    EXPECT_EQ(only_event("4 button 3 down").action, Action::kDown);

    e = only_event("5 joy 1 axis y -1.0");
    EXPECT_EQ(e.kind, Kind::kJoyAxis);
    EXPECT_EQ(e.port, 1);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.value, -1.0f);
    EXPECT_EQ(only_event("5 joy 0 axis x 0.25").value, 0.25f);

    e = only_event("6 joy 0 button 2 tap");
    EXPECT_EQ(e.kind, Kind::kJoyButton);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.action, Action::kTap);

    EXPECT_FALSE(only_event("7 focus lost").gained);
    EXPECT_TRUE(only_event("7 focus gained").gained);
    EXPECT_EQ(only_event("8 close").kind, Kind::kClose);
}

TEST(ScriptParser, TimedLinesCommentsBlankLinesAndLineNumbers) {
    const auto parsed = parse_script(
        "# a comment line\n"
        "\n"
        "  10   key 32 tap   # pause\r\n"
        "@1500 focus gained\n"
        "\t2 close");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.events.size(), 3u);
    EXPECT_EQ(parsed.events[0].line, 3);
    EXPECT_EQ(parsed.events[0].code, 32);
    EXPECT_EQ(parsed.events[1].timing, Timing::kAtMs);
    EXPECT_EQ(parsed.events[1].when, 1500);
    EXPECT_EQ(parsed.events[1].line, 4);
    EXPECT_EQ(parsed.events[2].line, 5);
    EXPECT_TRUE(parse_script("").ok());
    EXPECT_TRUE(parse_script("\n\n# nothing\n").ok());
}

TEST(ScriptParser, ABadLineIsReportedWithItsNumber) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"x key 27 tap", "flip number"},
        {"-1 key 27 tap", "flip number"},
        {"@ key 27 tap", "'@'"},
        {"@-5 close", "'@'"},
        {"5", "missing"},
        {"5 jump", "unknown event 'jump'"},
        {"5 key 256 tap", "0 to 255"},
        {"5 key 27", "takes 2 arguments"},
        {"5 key 27 click", "down, up or tap"},
        {"5 key 27 tap now", "takes 2 arguments"},
        {"5 key jump tap", "number 0 to 255 or a key name"},
        {"5 key escapes tap", "key name"},
        {"5 key f13 tap", "key name"},
        {"5 key f01 tap", "key name"},
        {"5 key ab tap", "key name"},
        {"5 mouse 1", "takes 2 arguments"},
        {"5 mouse 1.5 2", "whole numbers"},
        {"5 button 0 click", "1, 2 or 3"},
        {"5 button 1 tap", "down, up or click"},
        {"5 joy 0", "'axis' or 'button'"},
        {"5 joy 9 button 0 tap", "port"},
        {"5 joy 0 axis z 1", "x or y"},
        {"5 joy 0 axis x 1.5", "-1.0 to 1.0"},
        {"5 joy 0 axis x nan", "-1.0 to 1.0"},
        {"5 joy 0 button 17 tap", "0 to 16"},
        {"5 joy 0 button 1 click", "down, up or tap"},
        {"5 joy 0 wiggle", "'axis' or 'button'"},
        {"5 focus away", "lost or gained"},
        {"5 close now", "takes 0 arguments"},
        {"99999999999 close", "flip number"},
        {"1 2 3 4 5 6 7 8 9 10", "too many"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_script(std::string("1 close\n# fine\n") + c.line + "\n2 close\n");
        EXPECT_FALSE(parsed.ok()) << c.line;
        EXPECT_EQ(parsed.error_line, 3) << c.line;
        EXPECT_EQ(parsed.error.rfind("line 3: ", 0), 0u) << parsed.error;
        EXPECT_NE(parsed.error.find(c.says), std::string::npos) << c.line << " -> " << parsed.error;
        EXPECT_TRUE(parsed.events.empty());
    }
}

TEST(ScriptParser, SurvivesArbitraryBytes) {
    std::mt19937 random(7);
    const std::string alphabet = "0123456789 @#\n\r\t-+.keymousbtnjyaxifclgd\x01\xff";
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int length = static_cast<int>(random() % 80);
        for (int j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
        const auto parsed = parse_script(text);
        EXPECT_EQ(parsed.ok(), parsed.error_line == 0);
    }
    EXPECT_FALSE(parse_script(std::string("1 key \0 tap", 11)).ok());
}

// What an input state's observer sees becomes a script line that reads back as
// the same event: the demos' input lines.
TEST(ScriptEvents, InputEventsWriteAsLinesThatReadBack) {
    using In = svc::InputEvent;
    using InKind = In::Kind;
    const In events[] = {
        {.kind = InKind::kKey, .code = 162, .down = true},
        {.kind = InKind::kKey, .code = 'Q', .down = false},
        {.kind = InKind::kKey, .code = 57, .down = true},
        {.kind = InKind::kKey, .code = 123, .down = true},
        {.kind = InKind::kMouseMove, .x = -3, .y = 479},
        {.kind = InKind::kMouseButton, .code = 3, .down = true},
        {.kind = InKind::kJoystickAxis, .code = 1, .port = 7, .value = -0.3333333f},
        {.kind = InKind::kJoystickButton, .code = 16, .port = 2, .down = false},
        {.kind = InKind::kFocusLost},
        {.kind = InKind::kFocusGained},
        {.kind = InKind::kClose},
    };
    for (const In& in : events) {
        const auto event = svc::script_event(in, 42);
        ASSERT_TRUE(event);
        const std::string line = svc::format_script_line(*event);
        EXPECT_EQ(only_event(line), *event) << line;
    }
    EXPECT_EQ(svc::format_script_line(*svc::script_event(events[0], 7)), "7 key lctrl down");
    EXPECT_FALSE(svc::script_event({.kind = InKind::kKey, .code = 65, .auto_repeat = true}, 1));
    EXPECT_FALSE(svc::script_event({.kind = InKind::kMouseButton, .code = 0}, 1));
}

TEST(ScriptEvents, ApplyToTheInputStateAsTheirKindSays) {
    svc::InputState input;
    const auto parsed = parse_script(
        "0 key 37 tap\n0 button 1 click\n0 joy 0 button 2 tap\n0 joy 0 axis x -1\n"
        "0 mouse 10 20\n");
    ASSERT_TRUE(parsed.ok());
    for (const auto& e : parsed.events) svc::apply_event(e, input);
    EXPECT_EQ(input.key_down(37), 1);
    EXPECT_EQ(input.mouse_hit(1), 1);
    EXPECT_EQ(input.mouse_down(1), 0);  // a click is down and up at once
    EXPECT_EQ(input.joystick_down(2, 0), 1);
    EXPECT_EQ(input.joystick_x(0), -1.0f);
    EXPECT_EQ(input.mouse_x(), 10);
    for (const auto& e : parsed.events) svc::release_tap(e, input);
    EXPECT_EQ(input.key_down(37), 0);
    EXPECT_EQ(input.key_hit(37), 1);
    EXPECT_EQ(input.joystick_down(2, 0), 0);
    EXPECT_EQ(input.joystick_hit(2, 0), 1);

    svc::apply_event(only_event("0 focus lost"), input);
    EXPECT_EQ(input.app_suspended(), 1);
    svc::apply_event(only_event("0 close"), input);
    EXPECT_EQ(input.close_requested(), 1);
}

}  // namespace
