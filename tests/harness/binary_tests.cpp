// The built scribble-headless program, end to end: its options, its exit
// status, its trace, its pictures and its sound file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/rendering/graphics.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

using test_support::read_text;

// The integer after "name": in one trace line (-1 when absent).
long trace_int(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const auto at = line.find(key);
    if (at == std::string::npos) return -1;
    return std::stol(line.substr(at + key.size()));
}

struct Outcome {
    int status = -1;
    std::string errors;
};

class Binary : public ::testing::Test {
  protected:
    // Runs the program in the test's directory with the given arguments.
    Outcome run(const std::string& arguments) {
        const std::string command = std::string(SCRIBBLE_BINARY_DIR "/scribble-headless ") +
                                    arguments + " 2> " + dir.file("stderr.txt");
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.errors = read_text(dir.file("stderr.txt"));
        return outcome;
    }
    // Runs with a script and a trace; returns the trace's lines.
    std::vector<std::string> traced(const std::string& script, const std::string& more = "") {
        test_support::write_text(dir.file("input.txt"), script);
        const Outcome outcome = run("--seed 3 --input input.txt --trace trace.jsonl " + more);
        EXPECT_EQ(outcome.status, 0) << outcome.errors;
        return test_support::read_lines(dir.file("trace.jsonl"));
    }
    static int first_flip_in_state(const std::vector<std::string>& trace, int state) {
        for (const std::string& line : trace)
            if (trace_int(line, "state") == state) return static_cast<int>(trace_int(line, "flip"));
        return -1;
    }

    test_support::GameWorkingDir dir;
};

TEST_F(Binary, LeftAloneTheSplashLasts326Flips) {
    const auto trace = traced("", "--frames 340");
    ASSERT_EQ(trace.size(), 340u);
    EXPECT_EQ(first_flip_in_state(trace, 4), 327);
    EXPECT_EQ(trace_int(trace[325], "state"), 0);
}

TEST_F(Binary, EachSkipInputEndsTheSplashAndDoesNotReachTheTitle) {
    // The pointer rests on "Start Game" when the title appears, so a click or
    // joystick button that leaked into the menu would start a stage.
    for (const std::string skip :
         {"key 27 tap", "key 32 tap", "button 1 click", "joy 0 button 0 tap"}) {
        const auto trace = traced("20 " + skip + "\n", "--frames 60");
        ASSERT_EQ(trace.size(), 60u) << skip;
        EXPECT_EQ(first_flip_in_state(trace, 4), 21) << skip;
        EXPECT_EQ(trace_int(trace.back(), "state"), 4) << skip;
        EXPECT_EQ(trace_int(trace.back(), "quit"), 0) << skip;
    }
}

TEST_F(Binary, FramesEndsTheRunThroughTheExitPathWithStatusZero) {
    const auto trace = traced("", "--frames 400");
    EXPECT_EQ(trace.size(), 400u);
    EXPECT_EQ(trace_int(trace.back(), "ms"), 400 * 1000 / 60);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "data" / "hiscore.dat"));
}

TEST_F(Binary, TheTraceCarriesEveryField) {
    // A close during the splash ends it; the main loop then shows one frame.
    const auto trace = traced("", "--frames 2 --trace-entities");
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace_int(trace[2], "quit"), 1);
    const std::string& line = trace[0];
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    for (const char* field : {"flip",      "ms",          "state",       "phase",
                              "timer",     "score",       "best",        "new_bs",
                              "lives",     "level",       "x",           "y",
                              "dir",       "mspd",        "safe",        "blink",
                              "enemies",   "balloons",    "shots",       "clouds",
                              "particles", "smoke",       "explosions",  "pops",
                              "points",    "blimp_state", "blimp_x",     "blimp_y",
                              "sfx_step",  "sfx_volume",  "engine_step", "engine_volume",
                              "mouse_x",   "mouse_y",     "quit",        "sounds",
                              "engine",    "shot_list",   "enemy_list",  "balloon_list"}) {
        EXPECT_NE(line.find("\"" + std::string(field) + "\":"), std::string::npos) << field;
    }
    EXPECT_EQ(trace_int(line, "flip"), 1);
    EXPECT_EQ(trace_int(line, "ms"), 16);
    EXPECT_NE(line.find("\"engine_volume\":0.600000024"), std::string::npos) << line;
}

TEST_F(Binary, EntityListsAndSoundsAppearOnceAStageIsFlown) {
    // Skip the splash, start a game, fly and fire for a while.
    const auto trace = traced("5 key 27 tap\n10 button 1 click\n200 key 162 tap\n",
                              "--frames 220 --trace-entities");
    ASSERT_EQ(trace.size(), 220u);
    const std::string& flying = trace[210];
    EXPECT_EQ(trace_int(flying, "state"), 2);
    EXPECT_EQ(flying.find("\"enemy_list\":[]"), std::string::npos) << flying;
    EXPECT_NE(flying.find("\"enemy_list\":[["), std::string::npos) << flying;
    EXPECT_NE(flying.find("\"balloon_list\":[["), std::string::npos) << flying;
    bool start_sound = false;
    for (const std::string& line : trace) {
        start_sound = start_sound || line.find("\"sounds\":[\"startstage\"") != std::string::npos;
    }
    EXPECT_TRUE(start_sound);
}

TEST_F(Binary, ShotsAreThe640By480FramesShownAtTheirFlips) {
    const Outcome outcome = run("--seed 1 --frames 330 --shot 1:first.png --shot 329:title.png");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const svc::Image first = svc::load_image(dir.file("first.png"), 0);
    const svc::Image title = svc::load_image(dir.file("title.png"), 0);
    ASSERT_TRUE(first && title);
    EXPECT_EQ(title->width, 640);
    EXPECT_EQ(title->height, 480);
    // The splash's first frame and the title menu differ; both are mostly paper.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < 640u * 480u; ++i) {
        differing +=
            (first->pixmaps[0].pixels[i] & 0xFFFFFF) != (title->pixmaps[0].pixels[i] & 0xFFFFFF);
    }
    EXPECT_GT(differing, 1000u);
    EXPECT_LT(differing, 640u * 480u / 2);
}

TEST_F(Binary, TheAudioFileCoversTheRunAt44100HzStereo) {
    const Outcome outcome = run("--seed 1 --frames 120 --audio out.wav");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const std::string wav = read_text(dir.file("out.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    auto u32 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(wav[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(wav[at + 1])) << 8 |
               static_cast<unsigned>(static_cast<unsigned char>(wav[at + 2])) << 16 |
               static_cast<unsigned>(static_cast<unsigned char>(wav[at + 3])) << 24;
    };
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(22) & 0xFFFF, 2u);   // channels
    EXPECT_EQ(u32(34) & 0xFFFF, 16u);  // bits
    const unsigned frames = u32(40) / 4;
    EXPECT_EQ(u32(40), wav.size() - 44);
    // 120 flips are 2000 ms of virtual time.
    EXPECT_NEAR(frames, 2000 * 44.1, 44.1 * 20);
}

TEST_F(Binary, AScriptRecordedAsADemoReplaysAndAnEditedOneDrifts) {
    test_support::write_text(dir.file("input.txt"),
                             "5 key 27 tap\n10 button 1 click\n150 key 162 tap\n300 key 40 down\n");
    Outcome outcome = run("--seed 3 --input input.txt --frames 900 --record game.demo");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const std::string demo = read_text(dir.file("game.demo"));
    const auto dive = demo.find(" key down down\n");
    ASSERT_NE(dive, std::string::npos) << demo;
    outcome = run("--demo game.demo --trace replay.jsonl");
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    // The splash, the title, the game's 890 frames: it started after flip 10.
    EXPECT_EQ(test_support::read_lines(dir.file("replay.jsonl")).size(), 892u);

    // Without the dive, the plane is elsewhere at the next check.
    const auto line_start = demo.rfind('\n', dive) + 1;
    const int dive_frame = std::stoi(demo.substr(line_start));
    std::string edited = demo;
    edited.erase(line_start, dive + 15 - line_start);
    test_support::write_text(dir.file("edited.demo"), edited);
    outcome = run("--demo edited.demo");
    EXPECT_EQ(outcome.status, 1);
    const int next_check = (dive_frame / 60 + 1) * 60;
    EXPECT_EQ(outcome.errors,
              "scribble-headless: demo drifts at frame " + std::to_string(next_check) + "\n");

    // Another random state: the clouds and enemies are elsewhere at the first check.
    const auto random = demo.find("random ") + 7;
    edited = demo;
    edited[random] = edited[random] == '1' ? '2' : '1';
    test_support::write_text(dir.file("edited.demo"), edited);
    outcome = run("--demo edited.demo");
    EXPECT_EQ(outcome.errors, "scribble-headless: demo drifts at frame 60\n");
}

TEST_F(Binary, ADemoThatCannotBeReadIsOneLineAndStatusTwo) {
    const std::string header =
        "scribble-squadron demo 1\ngame 1.0.0\nrandom 0123456789abcdef\n"
        "volumes 10 1 6 0.600000024\nbest 0\npointer 320 292\n";
    const struct {
        std::string file, text, says;
    } cases[] = {
        {"empty.demo", "", "empty.demo: the file is empty"},
        {"cut.demo", header + "5 key lctrl down\n", "cut.demo: the file ends after line 7"},
        {"corrupt.demo", header + "5 key lctrl \xff\xfe\n", "corrupt.demo: line 7: key action"},
        {"old.demo", "scribble-squadron demo 0\n" + header.substr(25), "demo format 0"},
        {"huge.demo", "", "huge.demo: too large"},
        {"missing.demo", "", "missing.demo: no such file"},
    };
    for (const auto& c : cases) {
        if (c.file != "missing.demo") test_support::write_text(dir.file(c.file), c.text);
        if (c.file == "huge.demo") std::filesystem::resize_file(dir.file(c.file), 65u << 20);
        const Outcome outcome = run("--demo " + c.file + " --trace t.jsonl");
        EXPECT_EQ(outcome.status, 2) << c.file;
        EXPECT_EQ(outcome.errors.rfind("scribble-headless: ", 0), 0u) << outcome.errors;
        EXPECT_NE(outcome.errors.find(c.says), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1) << outcome.errors;
        EXPECT_FALSE(std::filesystem::exists(dir.file("t.jsonl"))) << "refused before it ran";
    }
}

TEST_F(Binary, BadArgumentsAndScriptsFailWithAMessage) {
    const struct {
        std::string arguments;
        std::string says;
    } cases[] = {
        {"--frames", "needs a value"},
        {"--frames ten", "whole number"},
        {"--frames -1", "0 or more"},
        {"--seed 1x", "whole number"},
        {"--shot 5", "F:FILE.png"},
        {"--shot 0:a.png", "1 or more"},
        {"--input missing.txt", "cannot read"},
        {"--bogus", "unknown argument"},
        {"--input bad.txt", "line 2"},
        {"--frames 5 --trace no/such/dir/t.jsonl", "cannot write the trace"},
    };
    test_support::write_text(dir.file("bad.txt"), "1 key 27 tap\n2 key 27 press\n");
    for (const auto& c : cases) {
        const Outcome outcome = run(c.arguments);
        EXPECT_NE(outcome.status, 0) << c.arguments;
        EXPECT_NE(outcome.errors.find(c.says), std::string::npos)
            << c.arguments << " -> " << outcome.errors;
    }
}

}  // namespace
