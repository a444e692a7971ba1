// formatCoordinate against the C library's "%1.7lf", byte for byte, and the
// number coordinateUnits reads from the same value.

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "mp/coordinates.hpp"
#include "support/expected.hpp"

namespace {

std::string ours(double value) {
    char buffer[mp::kMaxCoordinateText + 1];
    char* end = mp::formatCoordinate(value, buffer);
    EXPECT_LE(end - buffer, mp::kMaxCoordinateText);
    return std::string(buffer, end);
}

// coordinateUnits gives the number the text shows, or refuses values of 2^32
// and beyond, infinities and NaNs; formatUnits writes that number as the text.
void checkUnits(double value, const std::string& text) {
    int64_t units = 0;
    bool negative = false;
    if (!mp::coordinateUnits(value, units, negative)) {
        EXPECT_FALSE(std::fabs(value) < 4294967296.0) << text;
        return;
    }
    std::string digits = text.substr(text[0] == '-');
    digits.erase(digits.find('.'), 1);
    EXPECT_EQ(negative, text[0] == '-') << text;
    EXPECT_EQ(units, (negative ? -1 : 1) * std::stoll(digits)) << text;
    // Held as 32-bit units (a negative zero has its own), the place writes back alike.
    if (units <= INT32_MIN || units > INT32_MAX) return;
    char buffer[32];
    int32_t held = units == 0 && negative ? mp::kNegativeZeroUnits : static_cast<int32_t>(units);
    EXPECT_EQ(std::string(buffer, mp::formatUnits(held, buffer)), text);
}

// Compares one value; the first few differences are shown with their bits.
struct Comparison {
    long compared = 0;
    long different = 0;
    void check(double value) {
        ++compared;
        char library[mp::kMaxCoordinateText + 16];
        std::snprintf(library, sizeof library, "%1.7lf", value);
        const std::string expected = library, actual = ours(value);
        checkUnits(value, expected);
        if (expected == actual) return;
        if (++different <= 10)
            ADD_FAILURE() << std::hex << "bits 0x" << std::bit_cast<uint64_t>(value) << ": expected " << expected
                          << ", got " << actual;
    }
    // The value, its two neighbours, and their negatives.
    void checkAround(double centre) {
        for (double value : {centre, std::nextafter(centre, 0.0), std::nextafter(centre, HUGE_VAL)}) {
            check(value);
            check(-value);
        }
    }
};

// The values of tests/data/mp/coordinate_values.tsv (with their texts where
// given), every power of two, and the odd multiples of 1/256 (exact halves
// between two texts, rounded to even), with their neighbours, against the library.
TEST(FormatCoordinate, SpecialValuesPowersOfTwoAndHalfwayCases) {
    Comparison comparison;
    for (const auto& row : testsupport::dataRows("coordinate_values.tsv")) {
        char* end = nullptr;
        const double value = std::strtod(row[0].c_str(), &end);
        EXPECT_EQ(*end, '\0') << row[0];
        if (row.size() > 1) { EXPECT_EQ(ours(value), row[1]) << row[0]; }
        comparison.check(value);
    }
    for (int e = -1074; e <= 1023; ++e) comparison.checkAround(std::ldexp(1.0, e));
    EXPECT_EQ(ours(DBL_MAX).size(), 309u + 8u);
    for (long k = 1; k < 2 * 256 * 200; k += 2) comparison.checkAround(k / 256.0);
    // Decimal halves near 1e-7 steps, which binary can only approach.
    for (double value : {1.00000005, 0.99999995, 9.99999995, 179.99999995, 0.00000005, 0.00000015})
        for (double v = std::nextafter(value, 0.0), stop = std::nextafter(std::nextafter(value, 1e9), 1e9); v <= stop;
             v = std::nextafter(v, 1e9))
            comparison.check(v);
    EXPECT_EQ(comparison.different, 0);
}

// Ten million values (about 7 s, 25 s under the sanitizers); the environment
// variable GEOCONV_COORDINATE_SAMPLES sets another total.
TEST(FormatCoordinate, TenMillionRandomValuesMatchTheLibrary) {
    const char* samples = std::getenv("GEOCONV_COORDINATE_SAMPLES");
    const long total = samples ? std::strtol(samples, nullptr, 10) : 10000000;
    std::mt19937_64 random(7);
    Comparison comparison;

    // Random bit patterns: every exponent, NaNs, infinities, subnormals.
    for (long i = 0; i < total / 5; ++i) comparison.check(std::bit_cast<double>(random()));

    // Coordinates: uniform over the ranges of longitudes and latitudes.
    std::uniform_real_distribution<double> longitude(-180.0, 180.0);
    for (long i = 0; i < total / 2; ++i) comparison.check(longitude(random));

    // Next to multiples of 1e-7 and next to the halves between them, a few
    // steps of the last binary digit away.
    std::uniform_int_distribution<int64_t> step(-1800000000, 1800000000);
    std::uniform_int_distribution<int> ulps(-3, 3);
    while (comparison.compared < total) {
        double value = (static_cast<double>(step(random)) + (random() & 1 ? 0.5 : 0.0)) / 1e7;
        for (int n = ulps(random); n != 0; n += n > 0 ? -1 : 1) value = std::nextafter(value, n > 0 ? HUGE_VAL : -HUGE_VAL);
        comparison.check(value);
    }
    EXPECT_EQ(comparison.different, 0) << "of " << comparison.compared;
}

}  // namespace
