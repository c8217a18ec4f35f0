#pragma once
// One run of the game on a platform back end. A GameRun installs the back end
// (a services session) and owns the run's world and demos; destroying it,
// however the run ended, drops them and ends the session, so that runs in one
// process are independent and no caller keeps a clean-up list.
#include <optional>
#include <string>

#include "services/session.h"
#include "shell/demos.h"
#include "world/world.h"

namespace svc {
class Platform;
}

class GameRun {
  public:
    // `seed`, when given, replaces the clock seed of start-up (the harness's --seed);
    // `demos` says what to record and what to play back.
    explicit GameRun(svc::Platform& platform, std::optional<int> seed = std::nullopt,
                     DemoSettings demos = {});
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // Start-up, the main loop and the exit path; returns the process's exit
    // status (1, after one line on stderr, when start-up could not finish).
    int play();

    // The run's world, for the harness's traces and for tests and benchmarks
    // that look at it or set a moment of play up.
    World& world() { return world_; }
    // The run's demos, for the harness to ask whether a playback's input is ahead.
    const Demos& demos() const { return demos_; }
    // Start-up alone and one frame of the main loop, for benchmarks and tests
    // that drive the frames themselves.
    std::optional<std::string> start_up();
    void run_frame();

  private:
    // Destroyed in reverse: the demos' hooks, then the world's sounds and
    // channels, before the session closes the audio output.
    svc::Session session_;
    World world_;
    Demos demos_;
};

// The game's entry point: one GameRun played to its end.
int run_game(svc::Platform& platform, std::optional<int> seed = std::nullopt,
             DemoSettings demos = {});
