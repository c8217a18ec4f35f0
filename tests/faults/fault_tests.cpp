// End-to-end faults: the game keeps running, keeps the previous best score and
// says in one line on standard error what it could not do.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "faults/fault_support.h"
#include "shell/best_score.h"
#include "shell/demo_file.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using test_support::GameWorkingDir;
using test_support::read_best_score_file;
using test_support::write_best_score_file;

constexpr std::array<const char*, 8> kSounds = {"fire",     "balloonpop", "blimphit", "bploop",
                                                "endstage", "explode",    "pldeath",  "startstage"};

bool mentions(const std::string& line, const std::string& what) {
    return line.find(what) != std::string::npos;
}

// Puts `bytes` where the sound's file was (a link to the real file).
void replace_sound(const GameWorkingDir& dir, const std::string& name, const std::string& bytes) {
    const fs::path file = dir.path() / "data" / (name + ".ogg");
    fs::remove(file);
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string real_sound_bytes(const std::string& name) {
    return test_support::read_text(test_support::source_path("data") / (name + ".ogg"));
}

enum class SoundFault { kMissing, kEmpty, kRandomBytes, kCutShort };

// The sound replaced by the fault: the run goes on to its end and one line on
// standard error names the file.
void expect_each_sound_survives(SoundFault fault) {
    std::mt19937 random(5);
    std::string noise(3000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    for (const char* sound : kSounds) {
        const std::string name = sound;
        SCOPED_TRACE(name + ".ogg");
        const std::string real = real_sound_bytes(name);
        ASSERT_GT(real.size(), 200u);
        GameWorkingDir dir;
        switch (fault) {
            case SoundFault::kMissing:
                fs::remove(dir.path() / "data" / (name + ".ogg"));
                break;
            case SoundFault::kEmpty:
                replace_sound(dir, name, "");
                break;
            case SoundFault::kRandomBytes:
                replace_sound(dir, name, noise);
                break;
            case SoundFault::kCutShort:
                replace_sound(dir, name, real.substr(0, real.size() / 2));
                break;
        }
        const faults::ProcessOutcome run = faults::play_headless(dir.path());
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(read_best_score_file(dir.path() / "data/hiscore.dat").has_value());
        // A sound cut after its headers plays as far as it goes, without a word.
        if (fault == SoundFault::kCutShort && run.error_lines.empty()) continue;
        ASSERT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
        EXPECT_TRUE(mentions(run.error_lines[0], "data/" + name + ".ogg")) << run.error_lines[0];
    }
}

TEST(SoundFaults, EachSoundMissing) {
    expect_each_sound_survives(SoundFault::kMissing);
}
TEST(SoundFaults, EachSoundEmpty) {
    expect_each_sound_survives(SoundFault::kEmpty);
}
TEST(SoundFaults, EachSoundRandomBytes) {
    expect_each_sound_survives(SoundFault::kRandomBytes);
}
TEST(SoundFaults, EachSoundCutShort) {
    expect_each_sound_survives(SoundFault::kCutShort);
}

TEST(DataFaults, NoDataDirectoryAtAll) {
    GameWorkingDir dir;
    fs::remove_all(dir.path() / "data");
    const faults::ProcessOutcome run = faults::play_headless(dir.path());
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.error_lines.size(), kSounds.size()) << testing::PrintToString(run.error_lines);
    for (const std::string& line : run.error_lines) {
        EXPECT_TRUE(mentions(line, "could not load data/")) << line;
    }
    EXPECT_TRUE(read_best_score_file(dir.path() / "data/hiscore.dat").has_value())
        << "the save makes data/ again";
}

// Raises the best score in memory during the run, as a good game would.
std::function<void(int, World&)> new_best(int value) {
    return [value](int flip, World& world) {
        if (flip == 700) world.player.best_score = value;
    };
}

TEST(DataFaults, BestScorePathIsADirectory) {
    GameWorkingDir dir;
    fs::create_directories(dir.path() / "data/hiscore.dat/keep");
    const faults::RunOutcome run = faults::play(new_best(500));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
    EXPECT_TRUE(mentions(run.error_lines[0], "could not save the best score"))
        << run.error_lines[0];
    EXPECT_TRUE(fs::is_directory(dir.path() / "data/hiscore.dat/keep")) << "left as it was";
}

TEST(DataFaults, ReadOnlyDataDirectoryKeepsThePreviousBest) {
    GameWorkingDir dir;
    const fs::path data = dir.path() / "data";
    write_best_score_file(data / "hiscore.dat", 1234);
    faults::ScopedMount bind(data.string(), data.string(), "", MS_BIND, "");
    if (!bind.ok() || !bind.make_read_only()) {
        GTEST_SKIP() << "cannot make a read-only bind mount here (" << bind.error()
                     << "); run as root on a machine that allows mounts";
    }
    const faults::RunOutcome run = faults::play(new_best(5000));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
    EXPECT_TRUE(mentions(run.error_lines[0], "could not save the best score"))
        << run.error_lines[0];
    EXPECT_TRUE(mentions(run.error_lines[0], "Read-only")) << run.error_lines[0];
    EXPECT_EQ(read_best_score_file(data / "hiscore.dat"), 1234);
}

// A demo that cannot be written is said in one line, and the exit path still
// saves the best score.
TEST(DataFaults, AFailedRecordingKeepsTheBestScore) {
    GameWorkingDir dir;
    fs::create_directories(dir.path() / "taken.demo/keep");
    const faults::RunOutcome run = faults::play(new_best(5000), "taken.demo");
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
    EXPECT_TRUE(mentions(run.error_lines[0], "cannot write the demo taken.demo"))
        << run.error_lines[0];
    EXPECT_EQ(read_best_score_file(dir.path() / "data/hiscore.dat"), 5000);
}

// Writes a demo of at most 64 MiB: the header, `line` as often as it fits, the trailer.
void write_hostile_demo(const fs::path& file, const std::string& line) {
    const std::string header =
        "scribble-squadron demo 1\ngame 1.0.0\nrandom 0123456789abcdef\n"
        "volumes 10 1 6 0.600000024\nbest 0\npointer 320 292\n";
    const std::string trailer = "check 2 00000000\nend frames 2 score 0 stage 1\n";
    std::ofstream out(file, std::ios::binary);
    out << header;
    for (std::size_t n = (kDemoMaxBytes - header.size() - trailer.size()) / line.size(); n; --n)
        out << line;
    out << trailer;
}

// Files made to cost the most are refused or replayed in one line, and hold
// the harness well under 160 MiB, the game under 40 MiB more than without one.
TEST(DemoFaults, HostileFilesOfUpTo64MiBAreReadInBoundedMemory) {
    GameWorkingDir dir;
    // One line of words, the most events and batches a file holds, and the events
    // that keep the most bytes for the length of their lines.
    for (const char* line :
         {"w w w w ", "1 close\n", "wait 1\n1 focus lost\n", "1 mouse 8192 8192\n"}) {
        write_hostile_demo(dir.path() / "hostile.demo", line);
        const faults::ProcessOutcome run =
            faults::run_program("scribble-headless", {"--demo", "hostile.demo"}, dir.path(), {});
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
        EXPECT_LT(run.peak_kib, 160 << 10) << line;
    }
    // Asked to end once it listens, the game still starts up whole (pictures,
    // sounds) before it reads the request, so its peak is that of a started game.
    const std::vector<std::string> window = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};
    const auto listening = [](pid_t pid, const std::string&) {
        return faults::catches_sigterm(pid);
    };
    const auto plain = faults::run_program("scribble-squadron", {"--windowed", "--scale", "1"},
                                           dir.path(), window, listening);
    const auto hostile = faults::run_program(
        "scribble-squadron", {"--windowed", "--scale", "1", "--demo", "hostile.demo"}, dir.path(),
        window, listening);
    EXPECT_LT(hostile.peak_kib, plain.peak_kib + (40 << 10));
}

// Text taken from a demo reaches the terminal with its control characters escaped.
TEST(DemoFaults, TextFromADemoIsShownEscaped) {
    GameWorkingDir dir;
    std::string demo =
        test_support::read_text(test_support::source_path("fuzz/corpus/demo/short_game.demo"));
    demo.replace(demo.find("game 1.0.0"), 10, "game \x1b]0;owned\x07\x1b[2J");
    test_support::write_text(dir.path() / "odd.demo", demo);
    const auto game = faults::run_program(
        "scribble-squadron", {"--windowed", "--demo", "odd.demo"}, dir.path(),
        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"},
        [](pid_t pid, const std::string& error_text) {
            return mentions(error_text, "may drift") && faults::catches_sigterm(pid);
        });
    ASSERT_FALSE(game.error_lines.empty());
    EXPECT_EQ(game.error_lines[0],
              "scribble-squadron: odd.demo was recorded by version \\x1b]0;owned\\x07\\x1b[2J of "
              "the game and may drift");
}

// Fills a small filesystem to the last byte.
void fill(const fs::path& dir) {
    std::ofstream filler(dir / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size())) {
    }
    filler.close();
    std::ofstream crumbs(dir / "crumbs", std::ios::binary);
    while (crumbs.put('x') && crumbs.flush()) {
    }
}

TEST(DataFaults, FullDiskAtSaveTimeKeepsThePreviousBest) {
    GameWorkingDir dir;
    const fs::path data = dir.path() / "data";
    faults::ScopedMount tmpfs("scribble-full", data.string(), "tmpfs", 0, "size=256k");
    if (!tmpfs.ok()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << tmpfs.error()
                     << "); run as root on a machine that allows mounts";
    }
    for (const char* sound : kSounds) {
        fs::copy_file(test_support::source_path("data") / (std::string(sound) + ".ogg"),
                      data / (std::string(sound) + ".ogg"));
    }
    write_best_score_file(data / "hiscore.dat", 1234);
    fill(data);

    const faults::RunOutcome run = faults::play(new_best(5000));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.error_lines.size(), 1u) << testing::PrintToString(run.error_lines);
    EXPECT_TRUE(mentions(run.error_lines[0], "could not save the best score"))
        << run.error_lines[0];
    EXPECT_TRUE(mentions(run.error_lines[0], "No space left")) << run.error_lines[0];
    EXPECT_EQ(read_best_score_file(data / "hiscore.dat"), 1234);
    EXPECT_FALSE(fs::exists(data / "hiscore.dat.tmp")) << "no half-written file left behind";
}

// A process saving ever higher bests in a loop is killed at random moments;
// the file is always a whole 4-byte best, never below the one before the kill,
// and the next start-up reads it back.
TEST(SaveFaults, KilledAtRandomMomentsWhileSavingInALoop) {
    GameWorkingDir dir;
    const fs::path file = dir.path() / "data/hiscore.dat";
    write_best_score_file(file, 1);
    std::mt19937 random(8);
    constexpr int kKills = 100;
    int kills_after_a_save = 0;
    for (int kill_number = 0; kill_number < kKills; ++kill_number) {
        const int start = read_best_score_file(file).value_or(-1);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int best = start + 1;; ++best) save_best_score(best);
        }
        // The kill comes at a random moment after the loop's first save has
        // landed, however long a busy machine takes to let it run.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool saved = false;
        while (!saved && std::chrono::steady_clock::now() < deadline) {
            saved = read_best_score_file(file).value_or(start) > start;
            usleep(200);
        }
        usleep(std::uniform_int_distribution<useconds_t>(500, 15000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_TRUE(saved) << "the saving loop saved nothing within a minute";

        const std::optional<std::int32_t> best = read_best_score_file(file);
        ASSERT_TRUE(best.has_value()) << "after kill " << kill_number;
        ASSERT_GE(*best, start) << "after kill " << kill_number;
        ASSERT_EQ(load_best_score(), *best);
        if (*best > start) ++kills_after_a_save;
    }
    EXPECT_GE(kills_after_a_save, kKills / 10) << "the saving loop hardly ran";
}

// The real game without a sound device: it plays on in silence, says so once,
// and saves the best score when asked to end (once it has said so and listens
// for the request, however long a busy machine takes to get it there).
TEST(DeviceFaults, NoAudioDevice) {
    if (!fs::exists("/proc/self/status")) GTEST_SKIP() << "no /proc to tell when the game listens";
    GameWorkingDir dir;
    const faults::ProcessOutcome game = faults::run_program(
        "scribble-squadron", {}, dir.path(),
        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=no-such-driver"},
        [](pid_t pid, const std::string& error_text) {
            return mentions(error_text, "sound off") && faults::catches_sigterm(pid);
        });
    EXPECT_TRUE(game.exited);
    EXPECT_EQ(game.status, 0);
    ASSERT_EQ(game.error_lines.size(), 1u) << testing::PrintToString(game.error_lines);
    EXPECT_TRUE(mentions(game.error_lines[0], "sound off")) << game.error_lines[0];
    EXPECT_TRUE(read_best_score_file(dir.path() / "data/hiscore.dat").has_value());
}

// No display and no video driver chosen: one line and a failure status. A
// desktop session always has XDG_RUNTIME_DIR; without it a Wayland library
// would add a line of its own.
TEST(DeviceFaults, NoDisplay) {
    GameWorkingDir dir;
    const faults::ProcessOutcome game =
        faults::run_program("scribble-squadron", {}, dir.path(),
                            {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=",
                             "XDG_RUNTIME_DIR=" + dir.path().string()});
    EXPECT_TRUE(game.exited);
    EXPECT_NE(game.status, 0);
    ASSERT_EQ(game.error_lines.size(), 1u) << testing::PrintToString(game.error_lines);
    EXPECT_TRUE(mentions(game.error_lines[0], "cannot open the display")) << game.error_lines[0];
}

// The command line: questions answered without a display, and one line with
// status 2 for what it does not understand.
TEST(CommandLine, AnswersWithoutStartingAndRefusesWhatItDoesNotKnow) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* first_output_line;  // nullptr: nothing on standard output
        const char* error_mentions;     // nullptr: nothing on standard error
    };
    constexpr const char* kUsage =
        "Usage: scribble-squadron [--windowed | --fullscreen] [--scale K] [--demo FILE]";
    const Case cases[] = {
        {{"--version"}, 0, "Scribble Squadron 1.0.0", nullptr},
        {{"--help"}, 0, kUsage, nullptr},
        {{"--windowed", "-h"}, 0, kUsage, nullptr},
        {{"--bogus"}, 2, nullptr, "unknown option '--bogus'"},
        {{"--windowed", "stray"}, 2, nullptr, "unexpected argument 'stray'"},
        {{"--demo"}, 2, nullptr, "--demo needs a file"},
        {{"--demo", "none.demo"}, 2, nullptr, "none.demo: no such file"},
        {{"--demo", "."}, 2, nullptr, ".: not a file"},
        {{"--scale", "5"}, 2, nullptr, "--scale takes 1, 2, 3 or 4"},
        {{"--scale"}, 2, nullptr, "--scale takes 1, 2, 3 or 4"},
        {{"--scale", "2", "--version"}, 0, "Scribble Squadron 1.0.0", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        GameWorkingDir dir;
        const faults::ProcessOutcome game =
            faults::run_program("scribble-squadron", c.args, dir.path(), {"DISPLAY="});
        EXPECT_TRUE(game.exited);
        EXPECT_EQ(game.status, c.status);
        if (c.first_output_line) {
            ASSERT_FALSE(game.output_lines.empty());
            EXPECT_EQ(game.output_lines[0], c.first_output_line);
        } else {
            EXPECT_TRUE(game.output_lines.empty()) << testing::PrintToString(game.output_lines);
        }
        if (c.error_mentions) {
            ASSERT_EQ(game.error_lines.size(), 1u) << testing::PrintToString(game.error_lines);
            EXPECT_TRUE(mentions(game.error_lines[0], c.error_mentions)) << game.error_lines[0];
        } else {
            EXPECT_TRUE(game.error_lines.empty()) << testing::PrintToString(game.error_lines);
        }
    }
    // The help names the controls and where the best score lives.
    GameWorkingDir dir;
    const auto help = faults::run_program("scribble-squadron", {"--help"}, dir.path(), {});
    std::string all;
    for (const std::string& line : help.output_lines) all += line + "\n";
    for (const char* part :
         {"Left Control", "Alt+Enter", "data/hiscore.dat", "--windowed", "data/demos/last.demo"})
        EXPECT_TRUE(mentions(all, part)) << part;
}

}  // namespace
