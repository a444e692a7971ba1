#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "catalog/catalog.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

std::string convert(std::string_view utf8) {
    char out[256];
    long n = text::utf8ToCp1250(utf8.data(), utf8.size(), out, sizeof out);
    return n < 0 ? "<invalid>" : std::string(out, static_cast<std::size_t>(n));
}

TEST(Cp1250, ConvertsPolishLettersAndRefusesEverythingElse) {
    const std::pair<const char*, const char*> rows[] = {
        {"krzyż", "krzy\xBF"},
        {"ąćęłńóśźż", "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"},
        {"ĄĆĘŁŃÓŚŹŻ", "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF"},
        {"€", "\x80"},
        {"ñ", "<invalid>"},  // not in the code page
        {"日本", "<invalid>"},
        {"\xC5", "<invalid>"},  // truncated sequence
        {"\xBF", "<invalid>"},  // lone continuation byte
        {"\xC5\x41", "<invalid>"},
    };
    for (const auto& [utf8, expected] : rows) EXPECT_EQ(convert(utf8), expected) << utf8;
}

TEST(Cp1250, LiteralsAndCatalogueLabelsHoldCodePageBytes) {
    EXPECT_STREQ("wartości"_cp, "warto\x9C" "ci");
    catalog::resetCatalogue();
    EXPECT_STREQ(catalog::object(catalog::Obj::op_krzyz).label, "krzy\xBF");
    EXPECT_STREQ(catalog::object(catalog::Obj::oa_laka).label, "\xB3\xB9ki");
    EXPECT_STREQ(catalog::object(catalog::Obj::op_wiezachl).label, "wie\xBF" "a ch\xB3odnicza");
    EXPECT_STREQ(catalog::object(catalog::Obj::op_zrodlo).label, "\x9Fr\xF3" "d\xB3o");
}

TEST(Cp1250, ConversionNeverWritesPastTheGivenRoom) {
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(text::utf8ToCp1250("źdźbło", std::strlen("źdźbło"), out, 2), 6);
    EXPECT_EQ(std::string(out, 4), "\x9F" "d##");
}

}  // namespace

namespace {

// Command lines and file names on Windows: wide text and code page 1250.
TEST(Cp1250, WideTextConvertsBothWays) {
    struct Row {
        std::wstring wide;
        std::string bytes;
        bool roundTrip;
    };
    const Row rows[] = {
        {L"dane z \u0142\u0105ki\\ROADL.shp", "dane z \xB3\xB9ki\\ROADL.shp", true},
        {L"\u0141\u00F3d\u017A \u20AC", "\xA3\xF3" "d\x9F \x80", true},
        {L"\u0081", "\x81", true},                // a byte the code page leaves unassigned
        {L"\u4E2D \u00E5", "? ?", false},          // no byte for these characters
        {L"", "", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(text::wideToCp1250(row.wide.c_str()), row.bytes) << row.bytes;
        if (row.roundTrip) {
            EXPECT_EQ(text::cp1250ToWide(row.bytes.c_str()), row.wide) << row.bytes;
        }
    }
}

}  // namespace
