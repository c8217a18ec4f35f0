#pragma once
// Reading and writing the words of the game's line-based text files (input
// scripts and demos): blank-separated words, whole-word numbers that refuse
// anything left over, and floats written so that they read back exactly.
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace svc {

// The blank-separated words of one line (blanks: space, tab, carriage return).
// Stops once it holds `most` words, so the caller can tell that a line has more
// than `most - 1` without splitting all of an overlong line.
std::vector<std::string_view> split_words(std::string_view line,
                                          std::size_t most = static_cast<std::size_t>(-1));

// The whole word as a number: no sign '+', nothing left over, nothing out of range.
template <typename Number>
bool parse_number(std::string_view word, Number& out, int base = 10) {
    if (word.empty() || word[0] == '+') return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), out, base);
    return error == std::errc{} && end == word.data() + word.size();
}

bool parse_int_in(std::string_view word, int low, int high, int& out);
// A finite float (no infinities, no NaN), the whole word.
bool parse_finite_float(std::string_view word, float& out);

// Nine significant digits: reading the text back gives the same float.
std::string exact_float_text(float value);

// Text read from a file, safe to show on a terminal: every byte outside
// printable ASCII becomes \xNN and a backslash \\, so no control character or
// escape sequence the file held reaches the terminal.
std::string printable_text(std::string_view text);

}  // namespace svc
