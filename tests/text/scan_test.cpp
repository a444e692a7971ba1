#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "text/scan.hpp"

namespace {

TEST(ScanInt, ReadsLikePercentI) {
    struct Row {
        const char* text;
        bool read;
        int32_t value;     // 12345: left alone
        std::size_t used;  // bytes behind the number
    };
    const Row rows[] = {
        {"42", true, 42, 2},       {"010", true, 8, 3},  // octal
        {"0x1F", true, 31, 4},     {"0X1f", true, 31, 4},     {"0x4e", true, 78, 4},
        {"08", true, 0, 1},        // octal stops at 8
        {"0x", true, 0, 1},        // no hexadecimal digit: 0 before the x
        {"12a", true, 12, 2},      {"-0x10", true, -16, 5},   {"+7", true, 7, 2},
        {" \t 9", true, 9, 4},
        // Beyond 32 bits the value saturates instead of wrapping.
        {"2147483647", true, INT32_MAX, 10},  {"-2147483648", true, INT32_MIN, 11},
        {"4294967297", true, INT32_MAX, 10},  {"-4294967295", true, INT32_MIN, 11},
        {"0xFFFFFFFFFFFF", true, INT32_MAX, 14},
        {"123456789012345678901234567890", true, INT32_MAX, 30},
        {"", false, 12345, 0},     {"   ", false, 12345, 0},   {"x1", false, 12345, 0},
        {"-", false, 12345, 0},    {"+ 1", false, 12345, 0},
    };
    for (const Row& row : rows) {
        int32_t value = 12345;
        const char* end = text::scanInt(row.text, value);
        EXPECT_EQ(end != nullptr, row.read) << '"' << row.text << '"';
        EXPECT_EQ(value, row.value) << '"' << row.text << '"';
        if (end) {
            EXPECT_EQ(static_cast<std::size_t>(end - row.text), row.used) << row.text;
        }
    }
}

TEST(ScanInt, BoundedReadStopsAtTheEndAndAtZeroBytes) {
    const char digits[] = {'1', '2', '3', '4'};  // not terminated
    int32_t value = 0;
    EXPECT_EQ(text::scanInt(digits, digits + 2, value), digits + 2);
    EXPECT_EQ(value, 12);

    const char withZero[] = "12\0" "34";
    EXPECT_EQ(text::scanInt(withZero, withZero + 5, value), withZero + 2);
    EXPECT_EQ(text::scanInt(withZero + 2, withZero + 5, value), nullptr);

    const char hex[] = {'0', 'x'};  // the x is the last byte
    EXPECT_EQ(text::scanInt(hex, hex + 2, value), hex + 1);
    EXPECT_EQ(value, 0);
}

}  // namespace
