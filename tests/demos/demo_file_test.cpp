// The demo file: what it writes reads back the same, and each way a file can
// be broken is named in one line.
#include <gtest/gtest.h>

#include <string>

#include "shell/demo_file.h"

namespace {

svc::ScriptEvent event(const std::string& line) {
    svc::ScriptEvent e;
    EXPECT_EQ(svc::parse_script_line(line, e), "") << line;
    return e;
}

Demo sample() {
    Demo demo;
    demo.start = {"1.0.0", 0x6c8e9cf570932bd5u, Volumes{0.1f, 1, 1.1f, 10}, -1, {}};
    demo.start.input.mouse_x = 320;
    demo.start.input.mouse_y = 292;
    demo.start.input.joysticks[0].down[0] = true;
    demo.start.input.joysticks[0].hits[2] = 3;
    demo.start.input.joysticks[3].x = -0.25f;
    demo.start.input.suspended = true;
    demo.start.input.close_pending = true;
    for (const DemoBatch& batch :
         {DemoBatch{12, false, {event("12 key lctrl down"), event("12 joy 0 axis x -1")}},
          DemoBatch{60, false, {event("60 focus lost")}},
          DemoBatch{60, true, {event("60 mouse 5 6")}},
          DemoBatch{60, true, {event("60 focus gained"), event("60 close")}}}) {
        demo.input.add(batch);
    }
    demo.checks = {{60, 0x9f3a0c12u}, {120, 0}, {130, 0xffffffffu}};
    demo.frames = 130;
    demo.score = 12340;
    demo.stage = 3;
    return demo;
}

TEST(DemoFile, WhatIsWrittenReadsBackTheSame) {
    const std::string text = format_demo(sample());
    const DemoRead read = parse_demo(text);
    ASSERT_TRUE(read.demo) << read.error << "\n" << text;
    EXPECT_EQ(*read.demo, sample());
    EXPECT_NE(text.find("joystick 0 0 0 held 0 hits 2:3\njoystick 3 -0.25 0 held - hits -\n"
                        "inactive\nclose pending\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("check 60 9f3a0c12\n60 focus lost\nwait 60\n60 mouse 5 6\nwait 60\n"),
              std::string::npos)
        << text;
}

// Replaces the first `from` in the sample's text by `to`.
std::string sample_with(const std::string& from, const std::string& to) {
    std::string text = format_demo(sample());
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(DemoFile, EachBrokenFileIsNamedInOneLine) {
    const std::string text = format_demo(sample());
    const struct {
        std::string text;
        const char* says;
    } cases[] = {
        {"", "the file is empty"},
        {"# nothing\n\n", "the file is empty"},
        {"\x89PNG\r\n\x1a\n", "not a Scribble Squadron demo"},
        {sample_with("demo 2", "demo 3"), "demo format 3 is not one this game reads"},
        {text.substr(0, text.find("end frames")), "without its 'end' line (cut short?)"},
        {text.substr(0, text.size() / 2), "line "},
        {sample_with("random 6c8e", "random 0c8e9"), "line 3: expected 'random STATE'"},
        {sample_with("volumes 1", "volumes 11"), "line 4: expected 'volumes"},
        {sample_with("pointer 320 292", "pointer 320 480"), "line 6: expected 'pointer X Y'"},
        {sample_with("hits 2:3", "hits 2:0"), "line 7: expected 'joystick"},
        {sample_with("12 key lctrl down", "12 key lctrl tap"), "not taps or clicks"},
        {sample_with("12 key lctrl down", "@12 key lctrl down"), "come after a frame"},
        {sample_with("12 key lctrl down", "12 key lctrl sideways"), "line 11: key action"},
        {sample_with("60 focus lost", "11 focus lost"), "line 14: frame 11 comes after frame 60"},
        {sample_with("60 mouse 5 6", ""), "a wait with no events"},
        {sample_with("check 120 00000000\n", ""), "the check of frame 120 is missing"},
        {sample_with("check 130 ffffffff", "check 129 ffffffff"),
         "the last frame, 130, has no check"},
        {sample_with("check 60 9f3a0c12", "check 60 9f3a0c1"), "expected 'check FRAME HASH'"},
        {sample_with("frames 130", "frames 60"), "events come after the last frame"},
        {sample_with("stage 3", "stage three"), "expected 'end frames"},
        {text + "12 close\n", "text after the 'end' line"},
    };
    for (const auto& c : cases) {
        const DemoRead read = parse_demo(c.text);
        EXPECT_FALSE(read.demo) << c.says;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << c.says << " -> " << read.error;
        EXPECT_EQ(read.error.find('\n'), std::string::npos) << read.error;
    }
}

}  // namespace
