#pragma once
// One run of the game on a platform back end. Constructing a GameRun installs
// the back end (a services session) and puts every game-wide variable at its
// start-up value; destroying it, however the run ended, undoes both, so that
// runs in one process are independent and no caller keeps a clean-up list.
#include <optional>

#include "services/session.h"
#include "shell/demos.h"

namespace svc {
class Platform;
}

class GameRun {
  public:
    // `seed`, when given, replaces the clock seed of start-up (the harness's --seed);
    // `demos` says what to record and what to play back.
    explicit GameRun(svc::Platform& platform, std::optional<int> seed = std::nullopt,
                     DemoSettings demos = {});
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // Start-up, the main loop and the exit path; returns the process's exit
    // status (1, after one line on stderr, when start-up could not finish).
    int play();

  private:
    svc::Session session_;
};

// The game's entry point: one GameRun played to its end.
int run_game(svc::Platform& platform, std::optional<int> seed = std::nullopt,
             DemoSettings demos = {});
