#include "services/platform.h"

#include <stdexcept>

namespace svc {
namespace {
Platform* current_platform = nullptr;

std::string& title_storage() {
    static std::string title;
    return title;
}
}  // namespace

void install_platform(Platform* platform) {
    current_platform = platform;
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
