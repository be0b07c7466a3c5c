#pragma once
// Forced into the replay program's copies of the game's files, for two
// library features that emscripten 3.1.6's libc++ 13 lacks and that the
// game's own sources still use: std::bit_cast and std::from_chars of a
// double. Both behave here as the desktop's do for what the game reads
// (correctly rounded decimal numbers, nothing else); once the sources no
// longer use them this file does nothing.
#include <version>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <type_traits>

namespace std {

template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) To bit_cast(const From& from)
noexcept {
    To to;
    memcpy(&to, &from, sizeof to);
    return to;
}

inline from_chars_result from_chars(const char* first, const char* last, double& value) {
    // from_chars takes no leading space or sign other than '-', no "0x", and
    // never reads past `last`: strtod on a copy, with those refused first.
    const string text(first, last);
    if (text.empty() || !(text[0] == '-' || text[0] == '.' || (text[0] >= '0' && text[0] <= '9')))
        return {first, errc::invalid_argument};
    const size_t digitsAt = text[0] == '-' ? 1 : 0;
    if (text.size() > digitsAt + 1 && text[digitsAt] == '0' &&
        (text[digitsAt + 1] == 'x' || text[digitsAt + 1] == 'X')) {
        value = digitsAt ? -0.0 : 0.0;
        return {first + digitsAt + 1, errc()};
    }
    char* end = nullptr;
    const double parsed = strtod(text.c_str(), &end);
    if (end == text.c_str()) return {first, errc::invalid_argument};
    value = parsed;
    return {first + (end - text.c_str()), errc()};
}

}  // namespace std
#endif
