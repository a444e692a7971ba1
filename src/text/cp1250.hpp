// Code page 1250 text converted at compile time.
//
// Sources are UTF-8; every label and message reaches files and consoles as
// code page 1250 bytes. "krzyż"_cp (or cp1250Text<"krzyż">.bytes) is a
// zero-terminated constant array of those bytes; a character outside code
// page 1250 is a compile error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Unicode code points of the bytes 0x80..0xFF; 0 marks an unassigned byte.
inline constexpr char32_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// Byte for a code point, or -1 when code page 1250 has none.
constexpr int cp1250Byte(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kCp1250High[i] == cp) return 0x80 + i;
    return -1;
}

// Wide text (the form Windows gives command lines and file names in) and
// code page 1250 bytes, both ways. A character code page 1250 has no byte
// for becomes "?"; an unassigned byte keeps its value as its character.
inline std::string wideToCp1250(const wchar_t* s) {
    std::string out;
    for (; *s != 0; ++s) {
        char32_t cp = static_cast<char32_t>(*s);
        if (cp >= 0xD800 && cp <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) ++s;  // a pair: one character
        int byte = cp1250Byte(cp);
        if (byte < 0 && cp >= 0x80 && cp <= 0xFF && kCp1250High[cp - 0x80] == 0) byte = static_cast<int>(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

inline std::wstring cp1250ToWide(const char* s) {
    std::wstring out;
    for (; *s != '\0'; ++s) {
        unsigned char byte = static_cast<unsigned char>(*s);
        char32_t cp = byte < 0x80 || kCp1250High[byte - 0x80] == 0 ? byte : kCp1250High[byte - 0x80];
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

// Decodes UTF-8 s[0..n) into code page 1250. Writes at most `cap` bytes to
// `out` (when out is not null) and returns the converted length, or -1 when
// the text is not valid UTF-8 or holds a character outside code page 1250.
constexpr long utf8ToCp1250(const char* s, std::size_t n, char* out, std::size_t cap) {
    std::size_t i = 0;
    long k = 0;
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t cp;
        std::size_t extra;
        if (b < 0x80) { cp = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; }
        else return -1;
        for (std::size_t j = 1; j <= extra; ++j) {
            if (i + j >= n) return -1;
            unsigned char c = static_cast<unsigned char>(s[i + j]);
            if ((c & 0xC0) != 0x80) return -1;
            cp = (cp << 6) | (c & 0x3F);
        }
        int byte = cp1250Byte(cp);
        if (byte < 0) return -1;
        if (out && static_cast<std::size_t>(k) < cap) out[k] = static_cast<char>(byte);
        ++k;
        i += extra + 1;
    }
    return k;
}

// A string literal usable as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

template <std::size_t M>
struct Cp1250Array {
    char bytes[M + 1]{};
};

consteval std::size_t cp1250Length(const char* s, std::size_t n) {
    long k = utf8ToCp1250(s, n, nullptr, 0);
    if (k < 0) throw "text holds a character outside code page 1250";
    return static_cast<std::size_t>(k);
}

template <Utf8Literal S>
inline constexpr auto cp1250Text = [] {
    constexpr std::size_t n = sizeof(S.bytes) - 1;
    Cp1250Array<cp1250Length(S.bytes, n)> out{};
    utf8ToCp1250(S.bytes, n, out.bytes, sizeof(out.bytes) - 1);
    return out;
}();

namespace literals {
// "wartości"_cp: the zero-terminated code page 1250 bytes of the literal.
template <Utf8Literal S>
constexpr const char* operator""_cp() {
    return cp1250Text<S>.bytes;
}
}  // namespace literals

}  // namespace text
