#include "services/text_words.h"

#include <cmath>
#include <cstdio>

namespace svc {

std::vector<std::string_view> split_words(std::string_view line, std::size_t most) {
    std::vector<std::string_view> words;
    const auto blank = [&](std::size_t at) {
        return line[at] == ' ' || line[at] == '\t' || line[at] == '\r';
    };
    std::size_t i = 0;
    while (i < line.size() && words.size() < most) {
        while (i < line.size() && blank(i)) ++i;
        std::size_t end = i;
        while (end < line.size() && !blank(end)) ++end;
        if (end > i) words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

bool parse_int_in(std::string_view word, int low, int high, int& out) {
    return parse_number(word, out) && out >= low && out <= high;
}

bool parse_finite_float(std::string_view word, float& out) {
    if (word.empty() || word[0] == '+') return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), out);
    return error == std::errc{} && end == word.data() + word.size() && std::isfinite(out);
}

std::string exact_float_text(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

std::string printable_text(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            shown += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
    }
    return shown;
}

}  // namespace svc
