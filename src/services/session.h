#pragma once
// One run of the services on a platform back end. While a session lives its
// back end is installed and every service works through it; when it ends, on
// every way out, the screen and the audio output it opened are closed and the
// services are put back as they were before it began (the input state, the
// random generator's forced seed, the window title, the record of sounds
// already reported as unloadable), so that runs in one process are independent.
#include <optional>

namespace svc {

class Platform;

class Session {
  public:
    // `forced_seed`, when given, replaces every seed the game passes to
    // seed_random (a harness's --seed). Only one session may live at a time.
    explicit Session(Platform& platform, std::optional<int> forced_seed = std::nullopt);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

}  // namespace svc
