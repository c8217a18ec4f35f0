// The registry of named blobs compiled into the executable.
#include "services/resources.h"

#include <map>

namespace svc {
namespace {

// Built on first use, so registering needs no global constructor.
std::map<std::string, std::span<const std::uint8_t>, std::less<>>& registry() {
    static std::map<std::string, std::span<const std::uint8_t>, std::less<>> blobs;
    return blobs;
}

}  // namespace

void register_resource(std::string name, std::span<const std::uint8_t> bytes) {
    registry().insert_or_assign(std::move(name), bytes);
}

void register_embedded_assets() {
    static const bool registered = [] {
        detail::register_each_embedded_asset();
        return true;
    }();
    (void)registered;
}

std::optional<std::span<const std::uint8_t>> find_resource(std::string_view name) {
    const auto& blobs = registry();
    auto it = blobs.find(name);
    if (it == blobs.end()) return std::nullopt;
    return it->second;
}

}  // namespace svc
