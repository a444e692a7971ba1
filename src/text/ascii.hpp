// Letter-case folding of the ASCII letters only: names, layer codes and
// section marks are compared this way whatever the locale.
#pragma once

#include <cstddef>

namespace text {

constexpr char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when the n characters at a and b are equal ignoring the case of A-Z.
constexpr bool equalIgnoringCase(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

}  // namespace text
