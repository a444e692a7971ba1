#include "mp/coordinates.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

// A double is m × 2^q with an integer m below 2^53. Seven decimals are the
// integer N = m × 2^q × 10^7 rounded to nearest, ties to even, on the exact
// binary value, which is what the C library prints for "%1.7lf". For q < 0
// the fraction bits times 10^7 fit in 128 bits, so the rounding is exact.

namespace mp {

namespace {

struct DigitPairs {
    char bytes[200];
};

constexpr DigitPairs makeDigitPairs() {
    DigitPairs pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs.bytes[2 * i] = static_cast<char>('0' + i / 10);
        pairs.bytes[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}

constexpr DigitPairs kDigitPairs = makeDigitPairs();

// Four-byte texts of 0 to 9999 with leading zeros ("0042"), and of 0 to 999
// without them ("42"), so that a group of digits is one load and one store.
struct DigitGroups {
    uint32_t padded[10000];
    uint32_t bare[1000];
};

constexpr DigitGroups makeDigitGroups() {
    DigitGroups groups{};
    for (uint32_t i = 0; i < 10000; ++i) {
        uint32_t digits[4] = {i / 1000, i / 100 % 10, i / 10 % 10, i % 10};
        for (int k = 0; k < 4; ++k) groups.padded[i] |= ('0' + digits[k]) << (8 * k);
    }
    for (uint32_t i = 0; i < 1000; ++i) {
        uint32_t length = 1 + (i >= 10) + (i >= 100);
        groups.bare[i] = groups.padded[i] >> (8 * (4 - length));
    }
    return groups;
}

constexpr DigitGroups kDigitGroups = makeDigitGroups();

inline char* putPair(char* out, uint32_t value) {
    std::memcpy(out, kDigitPairs.bytes + 2 * value, 2);
    return out + 2;
}

// Decimal digits of value, without leading zeros.
char* writeUnsigned(uint64_t value, char* out) {
    int length = 1;
    for (uint64_t v = value; v >= 10; v /= 10) ++length;
    char* end = out + length;
    char* p = end;
    while (value >= 100) {
        p -= 2;
        putPair(p, static_cast<uint32_t>(value % 100));
        value /= 100;
    }
    if (value >= 10) {
        putPair(p - 2, static_cast<uint32_t>(value));
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
    return end;
}

// Digits of a value below 1000 (degrees), one store of four bytes.
inline char* writeBelowThousand(uint32_t value, char* out) {
    std::memcpy(out, &kDigitGroups.bare[value], 4);
    return out + 1 + (value >= 10) + (value >= 100);
}

// Exactly nine digits, leading zeros kept.
char* writeNineDigits(uint32_t value, char* out) {
    out[0] = static_cast<char>('0' + value / 100000000);
    value %= 100000000;
    putPair(out + 1, value / 1000000);
    putPair(out + 3, value / 10000 % 100);
    putPair(out + 5, value / 100 % 100);
    putPair(out + 7, value % 100);
    return out + 9;
}

// "." and exactly seven digits: the point with the first three, then four.
inline char* writeFraction(uint32_t value, char* out) {
    uint32_t high = value / 10000;  // below 1000
    uint32_t first = (kDigitGroups.padded[high] & 0xFFFFFF00u) | '.';
    std::memcpy(out, &first, 4);
    std::memcpy(out + 4, &kDigitGroups.padded[value - high * 10000], 4);
    return out + 8;
}

// Decimal digits of mantissa × 2^shift for integers beyond 64 bits (up to
// 1.8e308, 309 digits): the value is laid out in 32-bit limbs and divided
// down by 10^9 repeatedly.
char* writeHugeInteger(uint64_t mantissa, int shift, char* out) {
    constexpr int kLimbs = 36;  // 53 + 971 bits, rounded up, plus room
    uint32_t limbs[kLimbs] = {};
    int index = shift / 32;
    unsigned __int128 placed = static_cast<unsigned __int128>(mantissa) << (shift % 32);
    limbs[index] = static_cast<uint32_t>(placed);
    limbs[index + 1] = static_cast<uint32_t>(placed >> 32);
    limbs[index + 2] = static_cast<uint32_t>(placed >> 64);
    int count = index + 3;
    while (count > 0 && limbs[count - 1] == 0) --count;

    uint32_t chunks[40];  // nine digits each, least significant first
    int chunkCount = 0;
    while (count > 0) {
        uint64_t remainder = 0;
        for (int i = count - 1; i >= 0; --i) {
            uint64_t current = (remainder << 32) | limbs[i];
            limbs[i] = static_cast<uint32_t>(current / 1000000000);
            remainder = current % 1000000000;
        }
        chunks[chunkCount++] = static_cast<uint32_t>(remainder);
        while (count > 0 && limbs[count - 1] == 0) --count;
    }
    out = writeUnsigned(chunks[chunkCount - 1], out);
    for (int i = chunkCount - 2; i >= 0; --i) out = writeNineDigits(chunks[i], out);
    return out;
}

}  // namespace

char* formatUnits(int32_t units, char* out) {
    *out = '-';
    out += units < 0;
    uint32_t size = units == kNegativeZeroUnits ? 0 : static_cast<uint32_t>(units < 0 ? -units : units);
    out = writeBelowThousand(size / kScale, out);
    return writeFraction(size % kScale, out);
}

bool coordinateUnitsOutside(double value, int64_t& units, bool& negative) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    negative = (bits >> 63) != 0;
    if (1075 - static_cast<int>((bits >> 52) & 0x7FF) <= 63) return false;  // 2^32 and beyond, inf, NaN
    // Below 2^-11 (zero and subnormals included): the text has the digits.
    char text[kMaxCoordinateText];
    char* end = formatCoordinate(value, text);
    uint64_t digits = 0;
    for (const char* p = text + negative; p < end; ++p)
        if (*p != '.') digits = digits * 10 + static_cast<uint64_t>(*p - '0');
    units = negative ? -static_cast<int64_t>(digits) : static_cast<int64_t>(digits);
    return true;
}

char* formatCoordinate(double value, char* out) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bool negative = (bits >> 63) != 0;
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);

    // Written always, kept only for negative values: signs come at random.
    *out = '-';
    out += negative;
    // Most coordinates: normal values from 2^-11 to 2^32, value = m / 2^s with
    // 21 <= s <= 63. N = m × 10^7 / 2^s is below 2^56 and the rest below it
    // fits in the low word.
    int s = 1075 - exponent;
    if (s >= 21 && s <= 63) {
        uint64_t digits = scaledCoordinateDigits(mantissa, s);
        uint64_t whole = digits / kScale;
        auto fraction = static_cast<uint32_t>(digits - whole * kScale);
        out = whole < 1000 ? writeBelowThousand(static_cast<uint32_t>(whole), out) : writeUnsigned(whole, out);
        return writeFraction(fraction, out);
    }
    if (exponent == 0x7FF) {
        std::memcpy(out, mantissa != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    if (exponent == 0) {
        exponent = 1;  // subnormal (or zero): no hidden bit
    } else {
        mantissa |= uint64_t{1} << 52;
    }
    int q = exponent - 1075;

    if (q >= 0) {  // an integer: no fraction digits to round
        out = q < 12 ? writeUnsigned(mantissa << q, out) : writeHugeInteger(mantissa, q, out);
        return writeFraction(0, out);
    }

    s = -q;  // value = mantissa / 2^s
    uint64_t whole = 0;
    uint32_t fraction = 0;
    // Beyond 127 bits mantissa × 10^7 (below 2^77) is under half of 2^s:
    // the value rounds to zero.
    if (s < 128) {
        uint64_t rest = mantissa;
        if (s < 64) {
            whole = mantissa >> s;
            rest = mantissa & ((uint64_t{1} << s) - 1);
        }
        // twice = 2 × the truncated decimals + the bit worth half a unit;
        // below that bit lies the sticky rest. Ties go to the even neighbour
        // (10^7 is even, so the parity of the decimals is that of N).
        unsigned __int128 scaled = static_cast<unsigned __int128>(rest) * kScale;
        uint64_t twice = static_cast<uint64_t>(scaled >> (s - 1));
        uint64_t sticky = (scaled & ((static_cast<unsigned __int128>(1) << (s - 1)) - 1)) != 0;
        uint64_t digits = twice >> 1;
        digits += twice & (sticky | digits) & 1;
        uint64_t carry = digits == kScale;  // .99999995 and above: next integer
        whole += carry;
        digits -= carry * kScale;
        fraction = static_cast<uint32_t>(digits);
    }
    out = whole < 1000 ? writeBelowThousand(static_cast<uint32_t>(whole), out) : writeUnsigned(whole, out);
    return writeFraction(fraction, out);
}

}  // namespace mp
