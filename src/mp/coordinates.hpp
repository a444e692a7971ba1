// Fixed-point formatting of coordinates without printf.
#pragma once

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

}  // namespace mp
