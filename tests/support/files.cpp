#include "support/files.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace test_support {

std::filesystem::path source_path(std::string_view relative) {
    return std::filesystem::path(SCRIBBLE_SOURCE_DIR) / relative;
}

Bytes read_bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_text(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> read_lines(const std::filesystem::path& file) {
    std::istringstream in(read_text(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool write_bytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool write_text(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
}

std::optional<std::int32_t> read_best_score_file(const std::filesystem::path& file) {
    const Bytes bytes = read_bytes(file);
    if (bytes.size() != 4) return std::nullopt;
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

void write_best_score_file(const std::filesystem::path& file, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    write_bytes(file, {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                       static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)});
}

}  // namespace test_support
