// Fixed-point formatting of coordinates without printf.
#pragma once

#include <bit>
#include <cmath>
#include <climits>
#include <cstdint>

namespace mp {

struct Point {
    double x;  // longitude
    double y;  // latitude
};

// Longest text formatCoordinate writes ("-" and 309 digits, ".", 7 digits).
inline constexpr int kMaxCoordinateText = 320;

// Writes exactly the bytes that "%1.7lf" gives for value (no terminator) and
// returns the position behind them.
char* formatCoordinate(double value, char* out);

inline constexpr uint32_t kScale = 10000000;  // 10^7: seven decimals

// A place as the map writes it: latitude and longitude in 10^-7 degree,
// kNegativeZeroUnits for a number written "-0.0000000".
struct PlaceUnits {
    int32_t lat;
    int32_t lon;
};
inline constexpr int32_t kNegativeZeroUnits = INT32_MIN;

// Writes the "%1.7lf" text of units × 10^-7 and returns the position behind it.
char* formatUnits(int32_t units, char* out);

// N = m × 10^7 / 2^s rounded to nearest, ties to even, for a normal value
// m / 2^s with 21 <= s <= 63 (2^-11 <= |value| < 2^32; m without its hidden
// bit): the seven-decimal text's digits.
inline uint64_t scaledCoordinateDigits(uint64_t mantissa, int s) {
    unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa | (uint64_t{1} << 52)) * kScale;
    auto low = static_cast<uint64_t>(scaled);
    auto high = static_cast<uint64_t>(scaled >> 64);
    uint64_t digits = (low >> s) | (high << (64 - s));
    uint64_t rest = low & ((uint64_t{1} << s) - 1);
    uint64_t half = uint64_t{1} << (s - 1);
    return digits + ((rest > half) | ((rest == half) & digits));  // ties to even
}

// coordinateUnits for values outside 2^-11 to 2^32 in size.
bool coordinateUnitsOutside(double value, int64_t& units, bool& negative);

// The number formatCoordinate's text shows, in units of 10^-7 (the text
// without its point), and its sign as written (a "-0.0000000" is negative).
// False for values of 2^32 and beyond, infinities and not-a-number.
inline bool coordinateUnits(double value, int64_t& units, bool& negative) {
    // Below 10^5 in size, value × 10^7 lies within 2^-53 × 10^12 of the exact
    // product: away from a half it rounds as the text does. Values near a
    // half, and zero for its sign, take the exact way.
    // (Below 2^40, adding a half and the difference below are exact.)
    double scaled = value * 1e7;
    if (std::fabs(scaled) < 1e12) {
        auto rounded = static_cast<int64_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
        if (std::fabs(scaled - static_cast<double>(rounded)) < 0.499 && rounded != 0) {
            units = rounded;
            negative = rounded < 0;
            return true;
        }
    }
    uint64_t bits = std::bit_cast<uint64_t>(value);
    int s = 1075 - static_cast<int>((bits >> 52) & 0x7FF);
    if (s < 21 || s > 63) return coordinateUnitsOutside(value, units, negative);
    negative = (bits >> 63) != 0;
    auto digits = static_cast<int64_t>(scaledCoordinateDigits(bits & ((uint64_t{1} << 52) - 1), s));
    units = negative ? -digits : digits;
    return true;
}

}  // namespace mp
