// Text helpers: code page 1250, printf-like formatting and number scanning.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/expected.hpp"
#include "text/cp1250.hpp"
#include "text/format.hpp"
#include "text/scan.hpp"

namespace {

// The rows are in tests/data/text/cp1250.tsv.
TEST(Cp1250, ConvertsPolishLettersAndRefusesEverythingElse) {
    for (const auto& row : testsupport::dataRows("cp1250.tsv")) {
        char out[256];
        const long n = text::utf8ToCp1250(row[0].data(), row[0].size(), out, sizeof out);
        EXPECT_EQ(n < 0 ? "<invalid>" : std::string(out, static_cast<std::size_t>(n)), row[1]) << row[0];
    }
    // Never past the given room.
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(text::utf8ToCp1250("źdźbło", std::strlen("źdźbło"), out, 2), 6);
    EXPECT_EQ(std::string(out, 4), "\x9F" "d##");
}

// Command lines and file names on Windows: wide text and code page 1250.
TEST(Cp1250, WideTextConvertsBothWays) {
    const struct Row {
        std::wstring wide;
        std::string bytes;
        bool roundTrip;
    } rows[] = {
        {L"dane z \u0142\u0105ki\\ROADL.shp", "dane z \xB3\xB9ki\\ROADL.shp", true},
        {L"\u0141\u00F3d\u017A \u20AC", "\xA3\xF3" "d\x9F \x80", true},
        {L"\u0081", "\x81", true},        // a byte the code page leaves unassigned
        {L"\u4E2D \u00E5", "? ?", false},  // no byte for these characters
        {L"", "", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(text::wideToCp1250(row.wide.c_str()), row.bytes) << row.bytes;
        if (row.roundTrip) { EXPECT_EQ(text::cp1250ToWide(row.bytes.c_str()), row.wide) << row.bytes; }
    }
}

// Texts formatted per record without stdio read as printf would write them,
// in a label buffer's size and in sizes that cut the text.
template <class... Values>
void expectPrintfText(const char* format, Values... values) {
    for (std::size_t size : {512, 6, 1}) {
        char expected[512], actual[512];
        std::snprintf(expected, size, format, values...);
        EXPECT_STREQ(text::formatText(actual, size, format, values...), expected) << format << " in " << size;
    }
}

TEST(FormatText, WritesWhatPrintfWritesAndCutsAtTheBuffer) {
    for (int value : {0, 7, -7, 1000, INT_MIN, INT_MAX}) {
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

// The rows of tests/data/text/scan_int.tsv, each read whole and bounded: the
// bounded read has a digit behind its end, which it must not take.
TEST(ScanInt, ReadsLikePercentIUpToTheEndOrAZeroByte) {
    for (const auto& row : testsupport::dataRows("scan_int.tsv")) {
        const std::string bounded = row[0] + '9';
        for (const char* start : {row[0].c_str(), bounded.c_str()}) {
            SCOPED_TRACE('"' + row[0] + (start == row[0].c_str() ? "\"" : "\" bounded"));
            int32_t value = 12345;
            const char* end = start == row[0].c_str() ? text::scanInt(start, value)
                                                      : text::scanInt(start, start + row[0].size(), value);
            EXPECT_EQ(end != nullptr, row[1] == "1");
            EXPECT_EQ(value, std::stoi(row[2]));
            if (end) { EXPECT_EQ(end - start, std::stol(row[3])); }
        }
    }
}

}  // namespace
