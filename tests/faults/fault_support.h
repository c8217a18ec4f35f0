#pragma once
// Helpers for the end-to-end fault tests: a played run of the harness with its
// standard error, child processes of the real game, and mounts made for one
// test.
#include <sys/mount.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "headless/harness.h"
#include "world/world.h"

namespace faults {

// Who plays: start a game after the splash, fire now and then, dive into the
// mountains so deaths, explosions and the drone all sound.
inline const char* kPlayScript =
    "430 button 1 click\n"
    "520 key 162 tap\n"
    "560 key 162 tap\n"
    "600 key 40 down\n";
constexpr int kPlayFrames = 900;

struct RunOutcome {
    int status = -1;
    int flips = 0;
    std::vector<std::string> error_lines;  // standard error, line by line
};

std::vector<std::string> split_lines(const std::string& text);

// Plays kPlayScript for kPlayFrames in the current directory; `on_flip` runs
// after each flip with the run's world (for instance to raise the best score
// before the save); the game is recorded into `record_path` unless it is empty.
RunOutcome play(const std::function<void(int flip, World& world)>& on_flip = {},
                const std::string& record_path = {});

// Runs a program of the build (`scribble-squadron`, the game on SDL, or
// `scribble-headless`) with `args` in `dir`, with environment changes
// (NAME=VALUE sets, NAME= unsets), and waits for it to end. With `end_when`,
// sends it SIGTERM once `end_when(pid, standard error so far)` holds.
// Each run is a fresh process, as a player's game is.
struct ProcessOutcome {
    bool exited = false;  // ended by itself, not by a signal
    int status = -1;
    long peak_kib = 0;  // the largest resident size it reached
    std::vector<std::string> error_lines;
    std::vector<std::string> output_lines;
};
using EndWhen = std::function<bool(pid_t pid, const std::string& error_text)>;
ProcessOutcome run_program(const std::string& program, const std::vector<std::string>& args,
                           const std::filesystem::path& dir,
                           const std::vector<std::string>& env_changes,
                           const EndWhen& end_when = {});
// Whether the process catches SIGTERM (rather than dying of it), read from /proc.
bool catches_sigterm(pid_t pid);
// scribble-headless playing kPlayScript for kPlayFrames.
ProcessOutcome play_headless(const std::filesystem::path& dir);

// A mount undone when the test ends; ok() is false where the machine does not
// allow mounting (then the test skips with a clear message).
class ScopedMount {
  public:
    ScopedMount(const std::string& source, const std::string& target, const std::string& type,
                unsigned long flags, const std::string& data);
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    // Remounts read-only (bind mounts take the read-only flag only this way).
    bool make_read_only();

  private:
    std::string target_;
    bool ok_ = false;
    std::string error_;
};

}  // namespace faults
