#pragma once
// A recorded game as a small text file (README, "Demos"): a header with what
// the game started from, the input of each intake in the input-script format
// with frames counted from the start of the game, a check line every 60
// frames and at the last, and a trailer.
//
//   scribble-squadron demo 2           the format and its version
//   game 1.0.0                         the version of the game that recorded it
//   random 6c8e9cf570932bd5            the random generator's state at "Start Game"
//   volumes 10 1 6 0.600000024         effects step and volume, engine step and volume
//   best 1250                          the best score shown
//   pointer 320 292                    where the pointer was
//   joystick 0 -1 0 held 0 hits -      a joystick port not at rest: x, y, buttons held,
//                                      presses not yet counted (button:count)
//   inactive                           the window was inactive
//   close pending                      a close request was waiting
//   12 key lctrl down                  taken in right after frame 12 was shown
//   wait 812                           the lines below, up to the next wait or frame,
//   812 focus gained                   taken in by one poll of a wait after frame 812
//   check 60 9f3a0c12                  the state's hash when frame 60 was shown
//   end frames 4523 score 12340 stage 3
//
// Formats 1 and 2 differ only in what the check hash holds (shell/demos.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/sound_cues.h"
#include "services/input.h"
#include "services/input_script.h"
#include "shell/demo_input.h"

inline constexpr int kDemoFormatVersion = 2;  // what this game writes
inline constexpr int kDemoOldestVersion = 1;  // the oldest it still reads
inline constexpr int kDemoCheckEvery = 60;
inline constexpr std::size_t kDemoMaxBytes = 64u << 20;
// No line a demo needs comes near this, comments and blanks included; a longer
// one is refused as soon as it is met.
inline constexpr std::size_t kDemoMaxLineBytes = 1024;
// 100 hours at 60 frames a second: a replay's virtual clock stays far inside
// its range, and a recording that reaches this ends there.
inline constexpr int kDemoMaxFrames = 21'600'000;

// What a game starts from when "Start Game" is acted on.
struct DemoStart {
    std::string game_version;
    std::uint64_t random_state = 0;
    Volumes volumes;
    int best_score = 0;
    svc::LastingInput input;  // what the menu's flush of keys and buttons leaves
    bool operator==(const DemoStart&) const = default;
};

struct DemoCheck {
    int frame = 0;
    std::uint32_t hash = 0;
    bool operator==(const DemoCheck&) const = default;
};

struct Demo {
    int version = kDemoFormatVersion;  // decides what the check hashes hold
    DemoStart start;
    DemoInput input;
    std::vector<DemoCheck> checks;  // every kDemoCheckEvery frames, and at the last
    int frames = 0;                 // the last frame of the game
    int score = 0;
    int stage = 0;
    bool operator==(const Demo&) const = default;
};

// A demo, or what is wrong with the text (one line, with its line number where
// a line is at fault; what it quotes of the text made printable). Never throws.
struct DemoRead {
    std::optional<Demo> demo;
    std::string error;
};
DemoRead parse_demo(std::string_view text);
// Reads and parses the file a piece at a time, never holding all of its text;
// a missing, unreadable, empty or too large file is an error too.
DemoRead read_demo_file(const std::string& path);

std::string format_demo(const Demo& demo);

// The version this game writes into its demos' headers.
std::string this_game_version();
