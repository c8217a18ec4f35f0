#include "services/platform.h"

#include <stdexcept>

#include "services/input.h"
#include "services/timing.h"

namespace svc {
namespace {
Platform* current_platform = nullptr;

std::string& title_storage() {
    static std::string title;
    return title;
}
}  // namespace

void use_platform(Platform* platform) {
    // Whatever a run left open is closed through the back end that opened it.
    run_close_down_steps();
    current_platform = platform;
    input_state().reset();
}

Platform& platform() {
    if (!current_platform) throw std::logic_error("no platform back end installed");
    return *current_platform;
}

bool has_platform() {
    return current_platform != nullptr;
}

void set_app_title(std::string_view title) {
    title_storage() = std::string(title);
}

const std::string& window_title() {
    return title_storage();
}

}  // namespace svc
