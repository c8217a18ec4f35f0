#pragma once
// Named blobs compiled into the executable (the pictures and the font), so that
// the loaders can open them by name as if they were files.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace svc {

void register_resource(std::string name, std::span<const std::uint8_t> bytes);
std::optional<std::span<const std::uint8_t>> find_resource(std::string_view name);

// Registers every picture and the font under their resource names, on the
// first call only: a name registered anew afterwards keeps its new bytes.
void register_embedded_assets();

namespace detail {
// Defined in the source file that the build generates from assets/resources.cmake.
void register_each_embedded_asset();
}  // namespace detail

}  // namespace svc
