#include "text/scan.hpp"

namespace text {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// end may be null: then only a zero byte ends the text.
const char* scan(const char* p, const char* end, int32_t& value) {
    auto more = [&](const char* q) { return (end == nullptr || q < end) && *q != '\0'; };
    while (more(p) && isSpace(*p)) ++p;
    bool negative = false;
    if (more(p) && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (!more(p) || digitValue(*p) > 9) return nullptr;
    int base = 10;
    if (*p == '0') {
        base = 8;
        if (more(p + 1) && (p[1] == 'x' || p[1] == 'X') && more(p + 2) && digitValue(p[2]) < 16) {
            base = 16;
            p += 2;
        }
    }
    // Accumulate the magnitude, clamped just above the largest 32-bit value.
    const int64_t limit = int64_t{1} << 32;
    int64_t magnitude = 0;
    if (base == 10) {  // the usual case, without the letter digits
        for (unsigned digit; more(p) && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
            magnitude = magnitude * 10 + digit;
            if (magnitude > limit) magnitude = limit;
        }
    }
    while (more(p) && digitValue(*p) < base) {
        magnitude = magnitude * base + digitValue(*p);
        if (magnitude > limit) magnitude = limit;
        ++p;
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) signedValue = INT32_MAX;
    if (signedValue < INT32_MIN) signedValue = INT32_MIN;
    value = static_cast<int32_t>(signedValue);
    return p;
}

}  // namespace

const char* scanInt(const char* p, const char* end, int32_t& value) {
    // The usual table value first: blanks, then up to nine decimal digits not
    // led by a zero, which cannot overflow. Anything else takes the full rules.
    const char* q = p;
    while (q < end && *q == ' ') ++q;
    if (q < end && *q >= '1' && *q <= '9') {
        const char* digits = q;
        int32_t v = 0;
        for (unsigned digit; q < end && q - digits < 9 && (digit = static_cast<unsigned>(*q - '0')) <= 9; ++q)
            v = v * 10 + static_cast<int32_t>(digit);
        if (q == end || static_cast<unsigned>(*q - '0') > 9) {
            value = v;
            return q;
        }
    }
    return scan(p, end, value);
}

const char* scanInt(const char* p, int32_t& value) {
    return scan(p, nullptr, value);
}

}  // namespace text
