// Texts formatted per record without stdio read as printf would write them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "text/format.hpp"

namespace {

template <class... Values>
void expectPrintfText(const char* format, Values... values) {
    // A label buffer's size, and sizes that cut the text.
    for (std::size_t size : {512, 6, 1}) {
        char expected[512], actual[512];
        std::snprintf(expected, size, format, values...);
        EXPECT_STREQ(text::formatText(actual, size, format, values...), expected) << format << " in " << size;
    }
}

TEST(FormatText, WritesWhatPrintfWritesAndCutsAtTheBuffer) {
    for (int value : {0, 7, -7, 1000, INT_MIN, INT_MAX}) {
        expectPrintfText("%i", value);
        expectPrintfText("(bud. %d)", value);
        expectPrintfText("%05i|%-6d|%3i", value, value, value);
    }
    for (unsigned value : {0u, 5u, 42u, 4294967295u}) {
        expectPrintfText("%s %um", "Krak\xf3w", value);
        expectPrintfText("~[0x1c] %u/%u.%02u %u", value, value / 100, value % 100, value);
        expectPrintfText("%x %X %02X %-4u|", value, value, value, value);
    }
    expectPrintfText("%s, %s %um", "G\xf3ra", "szczyt", 1602u);
    expectPrintfText("~[0x06]%s%c%%", "DK7", 'x');
    expectPrintfText("%5s|%-5s|%s", "ab", "cd", "");
    std::string name(300, 'n');
    expectPrintfText("%s-%s", name.c_str(), name.c_str());  // 601 bytes cut to 511
}

}  // namespace
