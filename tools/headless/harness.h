#pragma once
// Runs the real game (a GameRun: start-up, main loop and exit path, as the
// window's program does) on the headless back end, in the current working
// directory, driven by an input script; writes traces, screenshots and the
// mixed audio on request. The `scribble-headless` program is a thin command
// line around run().
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "shell/demo_file.h"

namespace svc {
class HeadlessPlatform;
}
struct World;

namespace harness {

struct Options {
    std::optional<int> seed;    // replaces the clock seed the game passes to seed_random
    std::optional<int> frames;  // a close request right after this flip
    std::string input_script;   // script text (services/input_script.h); empty = no input
    std::string trace_path;     // one JSON object per flip; empty = no trace
    bool trace_entities = false;
    std::vector<std::pair<int, std::string>> shots;  // flip number, PNG path
    std::string audio_path;                          // WAV of the mixed output; empty = none
    int scale = 1;  // frames drawn this many times finer (1 to 4): shots are that much larger
    // A recorded game replayed instead of a script: the splash is skipped, the
    // game starts at flip 3 (its frame F is flip F + 2), and the run ends after
    // the demo's last frame with status 0 when the replay ends as recorded, 1
    // when it drifts.
    std::optional<Demo> demo;
    std::string record_path;  // the first game played is recorded here; empty = none
};

// What the observer sees right after each flip, before the script's events for
// that flip are applied. Inject more input through svc::input_state().
struct FlipInfo {
    int flip = 0;                           // 1 = the first frame shown
    int ms = 0;                             // the virtual clock
    const std::uint32_t* pixels = nullptr;  // the frame shown, width x height, 0xAARRGGBB
    int width = 0, height = 0;
    svc::HeadlessPlatform* platform = nullptr;
    World* world = nullptr;  // the run's world, which an observer may read or set up
    // Base names of the sounds started since the previous flip, in order (the
    // harness takes them from svc::take_started_sounds for every flip).
    std::vector<std::string> sounds;
};

// Bad options, a bad script or a file that cannot be written.
struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs the game once and returns its exit status (0 when it ended through its
// exit path; for a replay, whether it ended as recorded; 1, after one line on
// stderr, when the demo to record could not be written). Throws Error before
// the run starts for a bad script, and during it when a trace or a shot cannot
// be written. Consecutive runs in one process are independent. Passed with
// std::move, the options' demo goes into the run without a copy.
int run(Options options, std::function<void(const FlipInfo&)> observer = {});

// One trace line (a JSON object without the newline) for the world as it stands.
std::string trace_line(const World& world, int flip, int ms, const std::vector<std::string>& sounds,
                       bool with_entities);

// Writes a width x height frame as an RGB PNG; throws Error on failure.
void write_png(const std::string& path, const std::uint32_t* pixels, int width, int height);
// Writes interleaved 16-bit stereo samples as a WAV file; throws Error on failure.
void write_wav(const std::string& path, const std::vector<std::int16_t>& samples, int rate);

}  // namespace harness
