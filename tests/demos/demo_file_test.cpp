// The demo file: what it writes reads back the same, what the harness records
// reads back as the same text and replays, each way a file can be broken is
// named in one printable line; and its check lines: each field a format's hash
// covers changes it on its own, format 1's hash stays what players' files were
// recorded with, and a replay that drifts in the random generator or in any
// entity's position is caught at the next check line.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "headless/harness.h"
#include "services/timing.h"
#include "shell/demo_file.h"
#include "shell/demos.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

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
        {sample_with("demo 2", "demo \x1b[2J"), "demo format \\x1b[2J is not"},
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

// A script of random input: keys, clicks with the pointer on and off the
// screen, the stick, and inactive stretches with the pointer moving.
std::string random_script(unsigned seed) {
    std::mt19937 random(seed);
    auto any = [&](int low, int high) {
        return std::to_string(std::uniform_int_distribution(low, high)(random));
    };
    const std::string keys[] = {"lctrl", "left", "right", "up", "down", "space", "rctrl", "a"};
    const std::string presses[] = {" down\n", " up\n", " tap\n"};
    std::string script = "1 key escape tap\n3 joy 0 button 0 down\n5 button 1 click\n";
    for (int flip = 8; flip < 600; flip += 1 + random() % 12) {
        const std::string at = std::to_string(flip), ms = std::to_string(flip * 17 + 400);
        const std::string events[] = {
            " key " + keys[random() % 8] + presses[random() % 3],
            " mouse " + any(-100, 800) + " " + any(-100, 600) + "\n" + at + " button 1 click\n",
            std::string(random() % 2 ? " joy 0 axis x " : " joy 0 axis y ") + any(-1, 1) + "\n",
            " joy 0 button " + any(0, 2) + presses[random() % 3],
            " focus lost\n@" + ms + " mouse 30 4\n@" + ms + " mouse 31 4\n@" +
                std::to_string(flip * 17 + 1900) + " focus gained\n",
        };
        script += at + events[random() % 5];
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

struct Field {
    std::string name;
    int since;  // the first format whose hash covers it
    std::function<void()> change;
};

// A world in play with one entity in each list, and every field its check
// hash covers with a change of that field alone.
struct FilledWorld {
    FilledWorld() {
        fields = {
            {"state", 1, [this] { world.flow.state = GameState::kPaused; }},
            {"phase", 1, [this] { world.flow.phase = StagePhase::kClear; }},
            {"score", 1, [this] { world.player.score += 5; }},
            {"lives", 1, [this] { --world.player.lives; }},
            {"stage", 1, [this] { ++world.player.level; }},
            {"plane x", 1, [this] { world.player.x += 0.5f; }},
            {"plane y", 1, [this] { world.player.y -= 0.5f; }},
            {"random state", 2, [] { svc::random_int(0, 9); }},
            {"blimp x", 2, [this] { ++world.blimp.x; }},
            {"blimp y", 2, [this] { ++world.blimp.y; }},
            {"mountain 1", 2, [this] { ++world.mountains.mountain1_x; }},
            {"mountain 2", 2, [this] { ++world.mountains.mountain2_x; }},
        };
        world.flow.state = GameState::kStage;
        world.flow.phase = StagePhase::kPlay;
        world.player = Player{.score = 120, .lives = 2, .level = 3, .x = 300.5f, .y = 200.25f};
        one_of("enemy", world.enemies, EnemyPlane{.x = 50.5f, .y = 140});
        one_of("balloon", world.balloons, Balloon{.x = 70, .y = 150.5f});
        one_of("shot", world.shots, PlayerShot{.x = 90, .y = 160});
        one_of("cloud", world.clouds, Cloud{.x = 110.5f, .y = 170});
        one_of("debris", world.debris, DebrisPiece{.x = 130.5f, .y = 180.5f});
        one_of("smoke", world.smoke, SmokePuff{.x = 150.5f, .y = 190.5f});
        one_of("explosion", world.explosions, Explosion{.x = 170.5f, .y = 200.5f});
        one_of("balloon pop", world.balloon_pops, BalloonPop{.x = 190, .y = 210});
        one_of("points text", world.points_popups,
               PointsPopup{.x = 210, .y = 220, .alpha = 1, .text = "+45"});
        world.blimp = Blimp{.x = 230, .y = 230, .state = BlimpState::kFlying};
        world.mountains = Mountains{.mountain1_x = 250, .mountain2_x = 270};
    }
    FilledWorld(const FilledWorld&) = delete;  // the fields' changes point into it
    FilledWorld& operator=(const FilledWorld&) = delete;

    // Each entity list holds one entity; its count is in every format's hash,
    // its position from format 2 on.
    template <typename Entity>
    void one_of(const char* kind, EntityList<Entity>& list, Entity entity) {
        list.add_last(std::make_unique<Entity>(entity));
        fields.push_back(
            {kind, 1, [&list] { list.add_last(std::make_unique<Entity>(*list.first())); }});
        fields.push_back({std::string(kind) + " x", 2, [&list] { list.first()->x += 1; }});
        fields.push_back({std::string(kind) + " y", 2, [&list] { list.first()->y += 1; }});
    }

    World world;
    std::vector<Field> fields;
};

TEST(CheckHash, EachFieldAFormatCoversChangesItsHashAlone) {
    svc::seed_random(7);
    const std::size_t count = FilledWorld().fields.size();
    for (const int version : {1, 2}) {
        for (std::size_t i = 0; i < count; ++i) {
            FilledWorld filled;
            const Field& field = filled.fields[i];
            SCOPED_TRACE(field.name + ", format " + std::to_string(version));
            const std::uint32_t before = demo_check_hash(filled.world, version);
            field.change();
            if (version >= field.since) {
                EXPECT_NE(demo_check_hash(filled.world, version), before);
            } else {
                EXPECT_EQ(demo_check_hash(filled.world, version), before)
                    << "format 1 is what players have";
            }
        }
    }
}

// A game recorded once, replayed with one thing moved right after frame 100 was
// shown (flip 102 of a replay): the check of frame 120 catches it. A format 1
// demo recorded by an earlier build replays with its own checks.
TEST(CheckHash, AnythingMovedIsCaughtAtTheNextCheckAndFormatOneStillReplays) {
    test_support::GameWorkingDir dir;
    harness::Options record;
    record.seed = 9;
    record.frames = 400;
    record.input_script = "1 key escape tap\n5 button 1 click\n70 key lctrl tap\n";
    record.record_path = dir.file("game.demo");
    ASSERT_EQ(harness::run(record), 0);
    const std::string recorded = test_support::read_text(record.record_path);
    const std::string old =
        test_support::read_text(test_support::source_path("fuzz/corpus/demo/short_game.demo"));
    std::string old_edited = old;
    old_edited.replace(old.find("check 120 6af5181e"), 18, "check 120 6af5181f");
    const struct {
        std::string demo;
        std::function<void(World&)> move;
    } cases[] = {
        {recorded, [](World&) {}},
        {old, [](World&) {}},
        {old_edited, [](World&) {}},
        {recorded, [](World&) { svc::random_int(0, 9); }},
        {recorded, [](World& world) { world.clouds.first()->x += 1.0f; }},
        {recorded, [](World& world) { ++world.enemies.first()->y; }},
        {recorded, [](World& world) { world.balloons.first()->y += 0.25f; }},
        {recorded, [](World& world) { --world.blimp.x; }},
    };
    for (const auto& c : cases) {
        const bool drifts = &c != &cases[0] && &c != &cases[1];
        SCOPED_TRACE(&c - cases);
        harness::Options replay;
        replay.demo = parse_demo(c.demo).demo;
        testing::internal::CaptureStderr();
        EXPECT_EQ(harness::run(std::move(replay),
                               [&](const harness::FlipInfo& info) {
                                   if (info.flip == 102) c.move(*info.world);
                               }),
                  drifts ? 1 : 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  drifts ? "scribble-headless: demo drifts at frame 120\n" : "");
    }
}

}  // namespace
