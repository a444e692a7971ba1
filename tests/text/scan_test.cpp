#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "text/scan.hpp"

namespace {

struct Scan {
    bool read;
    int32_t value;
    std::size_t consumed;
};

Scan scan(const char* s) {
    int32_t value = 12345;
    const char* end = text::scanInt(s, value);
    if (!end) return {false, value, 0};
    return {true, value, static_cast<std::size_t>(end - s)};
}

TEST(ScanInt, FollowsTheBaseRulesOfPercentI) {
    EXPECT_EQ(scan("42").value, 42);
    EXPECT_EQ(scan("010").value, 8);
    EXPECT_EQ(scan("0x1F").value, 31);
    EXPECT_EQ(scan("0X1f").value, 31);
    EXPECT_EQ(scan("0x4e").value, 78);
    EXPECT_EQ(scan("0").value, 0);

    Scan eight = scan("08");  // octal stops at 8
    EXPECT_TRUE(eight.read);
    EXPECT_EQ(eight.value, 0);
    EXPECT_EQ(eight.consumed, 1u);

    Scan bareHex = scan("0x");  // no hexadecimal digit: the number 0 before the x
    EXPECT_EQ(bareHex.value, 0);
    EXPECT_EQ(bareHex.consumed, 1u);

    Scan tail = scan("12a");
    EXPECT_EQ(tail.value, 12);
    EXPECT_EQ(tail.consumed, 2u);
}

TEST(ScanInt, SignsAndLeadingBlanks) {
    EXPECT_EQ(scan("-5").value, -5);
    EXPECT_EQ(scan("+7").value, 7);
    EXPECT_EQ(scan("-0x10").value, -16);
    Scan blanks = scan(" \t 9");
    EXPECT_EQ(blanks.value, 9);
    EXPECT_EQ(blanks.consumed, 4u);
}

TEST(ScanInt, NothingReadableLeavesTheValueAlone) {
    for (const char* s : {"", " ", "x1", "-", "+ 1", "- 5", "   "}) {
        Scan r = scan(s);
        EXPECT_FALSE(r.read) << '"' << s << '"';
        EXPECT_EQ(r.value, 12345);
    }
}

TEST(ScanInt, HugeValuesSaturateInsteadOfWrapping) {
    EXPECT_EQ(scan("99999999999").value, INT32_MAX);
    EXPECT_EQ(scan("4294967297").value, INT32_MAX);  // would wrap to 1
    EXPECT_EQ(scan("-4294967295").value, INT32_MIN);  // would wrap to 1
    EXPECT_EQ(scan("0xFFFFFFFFFFFF").value, INT32_MAX);
    EXPECT_EQ(scan("2147483647").value, INT32_MAX);
    EXPECT_EQ(scan("-2147483648").value, INT32_MIN);
    Scan many = scan("123456789012345678901234567890");
    EXPECT_EQ(many.value, INT32_MAX);
    EXPECT_EQ(many.consumed, 30u);
}

TEST(ScanInt, BoundedReadStopsAtTheEndAndAtZeroBytes) {
    const char digits[] = {'1', '2', '3', '4'};  // not terminated
    int32_t value = 0;
    const char* end = text::scanInt(digits, digits + 2, value);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(end, digits + 2);

    const char withZero[] = "12\0" "34";
    end = text::scanInt(withZero, withZero + 5, value);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(end, withZero + 2);
    EXPECT_EQ(text::scanInt(withZero + 2, withZero + 5, value), nullptr);

    const char hex[] = {'0', 'x'};  // the x is the last byte
    end = text::scanInt(hex, hex + 2, value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(end, hex + 1);
}

}  // namespace
