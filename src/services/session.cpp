#include "services/session.h"

#include <stdexcept>

#include "services/audio/sound.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/screen.h"
#include "services/timing.h"

namespace svc {
namespace {

void put_services_back() {
    input_state().reset();
    detail::reset_intake();
    force_random_seed(std::nullopt);
    set_app_title("");
    forget_reported_sounds();
}

}  // namespace

Session::Session(Platform& platform, std::optional<int> forced_seed) {
    if (has_platform()) throw std::logic_error("a services session is already running");
    put_services_back();
    install_platform(&platform);
    force_random_seed(forced_seed);
}

Session::~Session() {
    // The screen and the audio output close through the back end that opened them.
    close_graphics();
    close_audio();
    put_services_back();
    install_platform(nullptr);
}

}  // namespace svc
