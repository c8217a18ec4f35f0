#pragma once
// Runs the real game in-process on the headless back end (through the harness)
// and records what each flip showed, so that the shell tests can check states,
// positions and pictures frame by frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "headless/harness.h"
#include "support/game/snapshot.h"
#include "world/world.h"

namespace shell_test {

// Flip numbers that follow from the splash's length: the logo shows for 326
// flips when left alone, so the title menu is first shown by flip 327.
constexpr int kSplashFlips = 326;
constexpr int kFirstTitleFlip = kSplashFlips + 1;
constexpr int kFlyInFrames = 121;

using test_support::Snapshot;

using Pixels = std::vector<std::uint32_t>;

struct RunSpec {
    std::string script;                              // harness input script
    std::optional<int> frames;                       // close request right after this flip
    int seed = 1;                                    // fixed, so that runs repeat exactly
    std::set<int> keep;                              // flips whose pictures to keep
    std::function<bool(const Snapshot&)> keep_when;  // or those whose snapshot satisfies this
    bool capture_audio = false;                      // fills RunResult::audio_ms
    int best_score_on_disk = -1;                     // written to data/hiscore.dat first when >= 0
    int scale = 1;  // frames drawn this many times finer (pictures that much larger)
    // Called after each flip is recorded; may change the run's world to set up a case.
    std::function<void(const Snapshot&, World&)> on_flip;
    // Sees every frame shown (640 x 480 times the scale, 0xAARRGGBB) with its
    // snapshot and the paper.
    std::function<void(const Snapshot&, const std::uint32_t* pixels, const Pixels& paper)>
        on_picture;
};

struct RunResult {
    int status = -1;
    std::vector<Snapshot> flips;  // flips[i] is flip i + 1
    std::map<int, Pixels> pictures;
    std::optional<std::int32_t> best_score_file;  // data/hiscore.dat after the run
    int audio_ms = 0;  // length of the mixed sound output, which follows the virtual clock
    Pixels paper;      // the paper picture as every frame starts with it (solid blend)

    const Snapshot& at(int flip) const;
    int last_flip() const { return static_cast<int>(flips.size()); }
    // The first flip at or after `from` whose snapshot satisfies `pred`; 0 if none.
    int first(const std::function<bool(const Snapshot&)>& pred, int from = 1) const;
    const Pixels& picture(int flip) const;
};

// Runs the game once in a fresh temporary working directory holding the
// game's sounds; the directory is removed afterwards.
RunResult run_game(const RunSpec& plan);

constexpr std::uint32_t rgb(std::uint32_t pixel) {
    return pixel & 0x00FFFFFFu;
}

}  // namespace shell_test
