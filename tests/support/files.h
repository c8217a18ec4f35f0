#pragma once
// Whole-file reading and writing for tests, and paths into the source tree.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

using Bytes = std::vector<unsigned char>;

// A file of the project's sources, e.g. source_path("data/fire.ogg").
std::filesystem::path source_path(std::string_view relative);

// Empty when the file cannot be read.
Bytes read_bytes(const std::filesystem::path& file);
std::string read_text(const std::filesystem::path& file);
std::vector<std::string> read_lines(const std::filesystem::path& file);

// Replaces the file's contents; false when it cannot be written.
bool write_bytes(const std::filesystem::path& file, const Bytes& bytes);
bool write_text(const std::filesystem::path& file, std::string_view text);

// The best-score file: exactly four bytes, a little-endian signed integer.
// Nothing when the file is missing or of any other length.
std::optional<std::int32_t> read_best_score_file(const std::filesystem::path& file);
void write_best_score_file(const std::filesystem::path& file, std::int32_t value);

}  // namespace test_support
