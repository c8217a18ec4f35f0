#pragma once
// What the browser build's C++ library (libc++ 14) lacks of the C++20 the
// game is written in: std::bit_cast and std::from_chars for floating point.
// The build includes this header ahead of every C++ source, so the game's own
// files read the same in both builds. Each piece is defined only while the
// library does not provide it.
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <type_traits>
#include <version>

#if !defined(__cpp_lib_bit_cast)
namespace std {

template <typename To, typename From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

}  // namespace std
#endif

#if !defined(__cpp_lib_to_chars)
namespace std {
namespace scribble_detail {

// The length of the longest prefix that from_chars in its general format
// reads: [-]digits[.digits][(e|E)[+|-]digits], with digits on at least one
// side of the point, or [-]inf, [-]infinity, [-]nan in any case. Unlike
// strtod it takes no leading blanks, no '+' and no hexadecimal.
inline size_t float_text_length(const char* first, const char* last) {
    const char* p = first;
    if (p < last && *p == '-') ++p;
    const auto word = [&](const char* text) {
        const size_t n = strlen(text);
        if (static_cast<size_t>(last - p) < n) return false;
        for (size_t i = 0; i < n; ++i) {
            if ((p[i] | 0x20) != text[i]) return false;
        }
        p += n;
        return true;
    };
    if (word("infinity") || word("inf") || word("nan")) return static_cast<size_t>(p - first);
    const auto digits = [&] {
        const char* start = p;
        while (p < last && *p >= '0' && *p <= '9') ++p;
        return p - start;
    };
    auto count = digits();
    if (p < last && *p == '.') {
        ++p;
        count += digits();
    }
    if (count == 0) return 0;
    const char* mantissa_end = p;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < last && (*p == '+' || *p == '-')) ++p;
        if (digits() == 0) p = mantissa_end;  // "1e" reads as 1
    }
    return static_cast<size_t>(p - first);
}

template <typename Real, typename Convert>
from_chars_result parse_float(const char* first, const char* last, Real& value, Convert convert) {
    const size_t length = float_text_length(first, last);
    if (length == 0) return {first, errc::invalid_argument};
    char text[128];
    if (length >= sizeof text) return {first, errc::invalid_argument};
    memcpy(text, first, length);
    text[length] = '\0';
    errno = 0;
    char* end = nullptr;
    const Real parsed = convert(text, &end);
    if (end != text + length) return {first, errc::invalid_argument};
    if (errno == ERANGE) return {first + length, errc::result_out_of_range};
    value = parsed;
    return {first + length, errc{}};
}

}  // namespace scribble_detail

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format = chars_format::general) {
    return scribble_detail::parse_float(first, last, value, strtof);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
    return scribble_detail::parse_float(first, last, value, strtod);
}

}  // namespace std
#endif
