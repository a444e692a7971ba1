// Fixed-point formatting of coordinates without printf.
#pragma once

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

// The number formatCoordinate's text shows, in units of 10^-7 (the text
// without its point), and its sign as written (a "-0.0000000" is negative).
// False for values of 2^32 and beyond, infinities and not-a-number.
bool coordinateUnits(double value, int64_t& units, bool& negative);

}  // namespace mp
