#include "services/platform.h"

#include <stdexcept>

namespace svc {
namespace {
Platform* current_platform = nullptr;
}

void use_platform(Platform* platform) { current_platform = platform; }

Platform& platform() {
    if (!current_platform) throw std::logic_error("no platform back end installed");
    return *current_platform;
}

bool has_platform() { return current_platform != nullptr; }

}  // namespace svc
