#include "text/format.hpp"

#include <cstdint>
#include <cstring>

namespace text {

namespace {

// Appends to a buffer, cutting the text where the buffer ends.
struct TextWriter {
    char* out;
    char* end;  // the place of the terminating zero
    void put(char c) {
        if (out < end) *out++ = c;
    }
    void repeat(char c, int count) {
        for (; count > 0; --count) put(c);
    }
    // A converted field: padded to `width` on the left with blanks, or with
    // zeros behind the sign, or on the right when left-justified.
    void field(const char* sign, const char* text, int length, int width, bool zero, bool left) {
        int pad = width - length - (sign[0] != '\0');
        if (!left && !zero) repeat(' ', pad);
        for (; *sign; ++sign) put(*sign);
        if (!left && zero) repeat('0', pad);
        for (int i = 0; i < length; ++i) put(text[i]);
        if (left) repeat(' ', pad);
    }
};

// Digits of value in `base`, written backwards from `end`; returns the first.
char* unsignedDigits(uint32_t value, unsigned base, const char* alphabet, char* end) {
    do {
        *--end = alphabet[value % base];
        value /= base;
    } while (value != 0);
    return end;
}

}  // namespace

char* formatTextV(char* buffer, std::size_t size, const char* format, va_list arguments) {
    if (size == 0) return buffer;
    TextWriter writer{buffer, buffer + size - 1};
    for (const char* f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            writer.put(*f);
            continue;
        }
        const char* start = f++;
        bool zero = false, left = false;
        for (; *f == '0' || *f == '-'; ++f) (*f == '0' ? zero : left) = true;
        int width = 0;
        for (; *f >= '0' && *f <= '9'; ++f) width = width * 10 + (*f - '0');
        char digits[16];
        char* digitsEnd = digits + sizeof digits;
        switch (*f) {
        case 's': {
            const char* text = va_arg(arguments, const char*);
            writer.field("", text, static_cast<int>(std::strlen(text)), width, false, left);
            break;
        }
        case 'c': {
            char c = static_cast<char>(va_arg(arguments, int));
            writer.field("", &c, 1, width, false, left);
            break;
        }
        case 'i':
        case 'd': {
            int value = va_arg(arguments, int);
            uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
            char* first = unsignedDigits(magnitude, 10, "0123456789", digitsEnd);
            writer.field(value < 0 ? "-" : "", first, static_cast<int>(digitsEnd - first), width, zero && !left, left);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned base = *f == 'u' ? 10 : 16;
            const char* alphabet = *f == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            char* first = unsignedDigits(va_arg(arguments, unsigned), base, alphabet, digitsEnd);
            writer.field("", first, static_cast<int>(digitsEnd - first), width, zero && !left, left);
            break;
        }
        case '%':
            writer.put('%');
            break;
        default:  // no conversion a label uses: the text stays as it is
            for (; start < f; ++start) writer.put(*start);
            if (*f == '\0') --f;
            else writer.put(*f);
        }
    }
    *writer.out = '\0';
    return buffer;
}

char* formatText(char* buffer, std::size_t size, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    formatTextV(buffer, size, format, arguments);
    va_end(arguments);
    return buffer;
}

}  // namespace text
