#pragma once
// Demos: each game recorded from "Start Game" to its end, and a recorded game
// played back exactly, its input taken from the demo and the watcher's kept
// away from the game (README, "Demos"; the file in shell/demo_file.h).
//
// A recording follows the intakes of the services' input (services/input.h):
// the events written into the input state are recorded against the intake at
// which the game takes them in, right after frame F was shown or at one poll of
// a wait after it. A playback gives each intake its recorded events, one wait
// batch per poll of the same wait; the waits' polls change nothing more once
// their input stops changing, so a wait's empty polls need no record.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "shell/demo_file.h"

struct World;

// How a playback ended, and at which frame of the game.
struct PlaybackEnd {
    enum class Kind { kAsRecorded, kDrifted, kStopped, kUnfinished };
    Kind kind = Kind::kUnfinished;
    int frame = 0;
};

struct DemoSettings {
    // Receives each recorded game: the demo's text, and whether the game set a
    // new best score. Empty: nothing is recorded.
    std::function<void(const std::string& text, bool new_best)> on_recorded;
    bool record_first_game_only = false;
    // A game to play back as soon as the title menu shows.
    std::optional<Demo> playback;
    // After the playback the run ends (the harness), or goes on at the title.
    bool quit_after_playback = false;
    std::function<void(const PlaybackEnd&)> on_played;
};

// The demos of one run of the game, installed while it lives: nothing when the
// settings ask for nothing.
class Demos {
  public:
    Demos(World& world, DemoSettings settings);
    ~Demos();
    Demos(const Demos&) = delete;
    Demos& operator=(const Demos&) = delete;

    // The moments of a run that demos follow.
    void new_game();     // "Start Game" acted on, before the new game is set up
    void frame_shown();  // right after each frame of the main loop is shown
    void run_ending();   // on the exit path, before the best score is saved
    // At the end of each frame: a quit asked for by a playback's input ends the
    // playback (as drifted) instead of the program; only the watcher ends that.
    void hold_quit();
    // A playback is in its game and has recorded input still to give: whatever
    // the game waits for, that input, or the playback itself, ends the wait.
    bool input_ahead() const;

  private:
    class Desk;
    std::unique_ptr<Desk> desk_;
};

// The hash of a check line in a demo of format `version`. Format 1: the state
// and phase, the score, lives, stage, the plane's position and the counts of
// the entity lists. Format 2 adds the random generator's state, the position of
// every entity in the lists, the blimp's and the mountains'.
std::uint32_t demo_check_hash(const World& world, int version);

// Where the game keeps its demos: data/demos/last.demo, and best.demo for a
// game that set a new best. Written safely; a failure is one line on stderr.
void save_recorded_game(const std::string& text, bool new_best);
