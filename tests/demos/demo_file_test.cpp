// The demo file: what it writes reads back the same, what the harness records
// reads back as the same text and replays, and each way a file can be broken is
// named in one printable line.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "headless/harness.h"
#include "shell/demo_file.h"
#include "support/files.h"
#include "support/scratch_dir.h"

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
    Demo old = sample();
    old.version = 1;
    const DemoRead old_read = parse_demo(format_demo(old));
    ASSERT_TRUE(old_read.demo) << old_read.error;
    EXPECT_EQ(*old_read.demo, old);
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
        {sample_with("demo 2", "demo \x1b[2J"), "demo format \\x1b[2J is not"},
        {sample_with("12 key lctrl down", "12 key \x1b]0;x\x07 down"), "line 11: key must"},
        {sample_with("12 key", "12 bell\x07 key"), "unknown event 'bell\\x07'"},
        {sample_with("inactive", "#" + std::string(1100, 'x')), "line 9: longer than any line"},
        {std::string(1025, '\x89') + "\nscribble-squadron demo 2\n", "not a Scribble Squadron"},
        {sample_with("frames 130", "frames 21600001"), "frame 21600001 is past the longest"},
    };
    for (const auto& c : cases) {
        const DemoRead read = parse_demo(c.text);
        EXPECT_FALSE(read.demo) << c.says;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << c.says << " -> " << read.error;
        EXPECT_TRUE(
            std::ranges::all_of(read.error, [](unsigned char c) { return c >= 0x20 && c < 0x7f; }))
            << "printable, in one line: " << read.error;
    }
}

// A script of random input: keys, clicks, the pointer on and off the screen,
// the stick, and the window inactive for a while with the pointer moving.
std::string random_script(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* keys[] = {"lctrl", "left", "right", "up", "down", "space", "escape", "a"};
    const char* presses[] = {" down", " up", " tap"};
    std::string script =
        "1 key escape tap\n" + std::to_string(2 + pick(3)) + " joy 0 button 0 down\n";
    script += "5 button 1 click\n";
    for (int flip = 8; flip < 600; flip += 1 + pick(12)) {
        const std::string at = std::to_string(flip);
        switch (pick(5)) {
            case 0:
                script += at + " key " + keys[pick(8)] + presses[pick(3)] + "\n";
                break;
            case 1:
                script += at + " mouse " + std::to_string(pick(900) - 100) + " " +
                          std::to_string(pick(700) - 100) + "\n" + at + " button 1 click\n";
                break;
            case 2:
                script += at + " joy 0 axis " + (pick(2) ? "x " : "y ") +
                          std::to_string(pick(5) * 0.5f - 1.0f) + "\n";
                break;
            case 3:
                script += at + " joy 0 button " + (pick(2) ? "2" : "0") + presses[pick(3)] + "\n";
                break;
            default:
                if (pick(4) == 0) {
                    const int ms = flip * 17 + 400;
                    script += "@" + std::to_string(ms) + " focus lost\n";
                    for (int k = 1; k < 6; ++k)
                        script += "@" + std::to_string(ms + 10 * k) + " mouse 30 " +
                                  std::to_string(k) + "\n";
                    script += "@" + std::to_string(ms + 1500) + " focus gained\n";
                }
        }
    }
    return script;
}

// Whatever the harness records reads back, writes out as the same text and
// replays: the scripts of faults once found, then random ones.
TEST(DemoFile, WhatTheHarnessRecordsReadsBackAsTheSameTextAndReplays) {
    std::string stretch = "1 key escape tap\n5 button 1 click\n200 focus lost\n";
    for (int i = 0; i < 300; ++i)
        stretch += "@" + std::to_string(3400 + 10 * i) + " mouse 100 200\n";
    std::vector<std::string> scripts = {
        "1 key escape tap\n5 button 1 click\n140 key lctrl tap\n200 key space tap\n"
        "230 key escape tap\n230 joy 0 button 0 tap\n",  // left for the title, started anew
        stretch + "@6500 focus gained\n",                // inactive, the pointer moving
        "1 key escape tap\n5 mouse 700 289\n6 button 1 click\n",  // the pointer off the screen
    };
    for (unsigned seed = 1; seed <= 20; ++seed) scripts.push_back(random_script(seed));
    test_support::GameWorkingDir dir;
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script);
        const bool left_for_the_title = &script == &scripts[0];
        harness::Options record;
        record.seed = 5;
        record.frames = 650;
        record.input_script = script;
        record.record_path = dir.file("game.demo");
        ASSERT_EQ(harness::run(record), 0);
        const std::string text = test_support::read_text(record.record_path);
        DemoRead read = read_demo_file(record.record_path);
        ASSERT_TRUE(read.demo) << read.error;
        EXPECT_EQ(format_demo(*read.demo), text);
        if (left_for_the_title) {
            EXPECT_LT(read.demo->frames, 230) << "the first game is kept";
        }
        harness::Options replay;
        replay.demo = std::move(read.demo);
        EXPECT_EQ(harness::run(std::move(replay)), 0);
    }
}

}  // namespace
