// DBF tables: header check, field lookup, clipped values and the value readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>
#include <vector>

#include "input/dbf.hpp"
#include "support/expected.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

namespace {

using namespace testsupport;
using namespace text::literals;
using input::DbfField;

const char* kPath = "dir/ROADL.dbf";

const uint8_t* bytesOf(const std::string& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

TEST(DbfHeader, AcceptsSoundTablesAndRefusesOthersWithOneMessage) {
    const std::string refused = std::string("zly format danych pliku dbf ") + kPath + "\n";
    std::vector<DbfColumn> cols{{"NAM"}, {"HGT", 'N', 8, 2}};
    std::vector<std::vector<std::string>> rows{{"a", "1"}, {"b", "2"}};
    Bytes exact = buildDbf(cols, rows, {.endMarker = false});  // records fill the file exactly
    const std::pair<Bytes, int> cases[] = {
        {exact, 1}, {buildDbf(cols, rows, {.version = 0}), 1}, {exact.substr(0, 63), 0},
        {buildDbf(cols, rows, {.version = 0x83}), 0}, {buildDbf(cols, rows, {.version = 0x30}), 0},
        {buildDbf(cols, rows, {.version = 4}), 0},
        // No records: an empty layer, whatever bytes follow the header.
        {buildDbf(cols, {}), 1}, {buildDbf(cols, {}, {.endMarker = false}), 1},
        {buildDbf(cols, rows, {.recordCount = 0}), 1}, {buildDbf(cols, {}, {.headerLength = 200}), 0},
        {buildDbf({{"NAM"}}, {{"a"}}, {.headerLength = 63}), 0},
        {exact.substr(0, exact.size() - 1), 0},  // the last record cut by one byte
        {buildDbf(cols, rows, {.recordCount = 3}), 0}, {buildDbf(cols, rows, {.recordCount = 0xFFFFFFFF}), 0},
        {buildDbf(cols, rows, {.recordCount = 65537, .recordLength = 65535}), 0},  // wraps to 65535 in 32 bits
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [file, expected] = cases[i];
        testing::internal::CaptureStderr();
        int result = input::checkDbfHeader(kPath, bytesOf(file), static_cast<uint32_t>(file.size()));
        EXPECT_EQ(result, expected) << "case " << i;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), result ? "" : refused) << "case " << i;
    }
}

// The table in a buffer of exactly its size: the sanitizer sees any read behind it.
struct Table {
    explicit Table(const Bytes& b) : bytes(b.begin(), b.end()) {
        table = input::openDbfTable(kPath, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    const uint8_t* record(uint32_t n) const { return input::dbfRecord(table, n); }
    input::DbfValue value(uint32_t n, const DbfField& field) const { return input::dbfValue(table, record(n), field); }
    std::vector<uint8_t> bytes;
    input::DbfTable table;
};

TEST(DbfFieldLookup, MatchesWholeNamesCaseAsideFirstOneWinning) {
    Table t(buildDbf({{"ID", 'N', 5}, {"nam", 'C', 30}, {"HGT", 'N', 8, 2}, {"NAM", 'C', 4}, {"NAMEX"}, {"ELEVATION_M"}},
                     {{"1"}}));
    EXPECT_EQ(std::make_tuple(t.table.recordCount, t.table.headerLength, t.table.recordLength),
              std::make_tuple(1u, 32u + 6 * 32 + 1, 1u + 5 + 30 + 8 + 4 + 10 + 10));
    const std::string missing = std::string("brak pola NAME w zbiorze ") + kPath + "\n";
    const struct {
        const char* name;
        int quiet, index;
        std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> field;  // found offset width decimals type idx
        std::string message;
    } cases[] = {
        {"HGT", 0, 2, {1, 36, 8, 2, 'N', 2}, ""}, {"Nam", 0, 1, {1, 6, 30, 0, 'C', 1}, ""},
        {"id", 0, 0, {1, 1, 5, 0, 'N', 0}, ""},   {"elevation_m", 1, 5, {1, 58, 10, 0, 'C', 5}, ""},
        {"ELEVATION_X", 1, -1, {}, ""},          {"ELEVATION", 1, -1, {}, ""},
        {"NAME", 1, -1, {}, ""},                 {"NAME", 0, -1, {}, missing},  // neither NAM nor NAMEX
    };
    for (const auto& c : cases) {
        DbfField f{7, 7, 7, 7, 7, 7};
        testing::internal::CaptureStderr();
        EXPECT_EQ(input::findDbfField(t.table, c.name, f, c.quiet), c.index) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.name;
        EXPECT_EQ(std::make_tuple(f.found, f.offset, f.width, f.decimals, f.type, f.index), c.field) << c.name;
    }
    // A header length that covers only the first descriptor hides the second.
    Table shortHeader(buildDbf({{"NAM"}, {"HGT"}}, {{"a", "b"}}, {.headerLength = 65}));
    DbfField f;
    EXPECT_EQ(input::findDbfField(shortHeader.table, "NAM", f, 1), 0);
    EXPECT_EQ(input::findDbfField(shortHeader.table, "HGT", f, 1), -1);
}

TEST(DbfRecords, ValuesAreFoundInPlaceAndClippedToTheTable) {
    Table t(buildDbf({{"NAM", 'C', 6}, {"HGT", 'N', 4}}, {{"first", "12"}, {"second", "345"}}));
    DbfField nam, hgt;
    input::findDbfField(t.table, "NAM", nam, 0);
    input::findDbfField(t.table, "HGT", hgt, 0);
    for (uint32_t outside : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(t.record(outside), nullptr) << outside;
    ASSERT_EQ(t.record(2), t.bytes.data() + 33 + 64 + 11);
    EXPECT_STREQ(input::dbfText(t.value(2, nam)), "second");
    EXPECT_EQ(input::dbfInt(t.value(1, hgt)), 12);
    // A missing field, one starting behind the table and one of width 0 read as absent, empty and 0.
    auto expectEmpty = [](input::DbfValue v) {
        EXPECT_EQ(v.width, 0);
        EXPECT_FALSE(input::isDbfValuePresent(v));
        EXPECT_STREQ(input::dbfText(v), "");
        EXPECT_STREQ(input::dbfText2(v), "");
        EXPECT_EQ(input::dbfInt(v), 0);
        EXPECT_EQ(input::dbfTenths(v), 0);
        EXPECT_EQ(input::dbfHundredths(v), 0);
    };
    expectEmpty(t.value(2, DbfField{}));

    // Declared widths add up to more than the record length: in an accepted
    // table the last record's last field runs off the end, three bytes into NAM.
    Bytes file = buildDbf({{"A", 'C', 4}, {"NAM", 'C', 200}}, {{"x", "Kraków"_cp}}, {.recordLength = 5});
    Table cut(file.substr(0, 33 + 64 + 5 + 3));
    testing::internal::CaptureStderr();
    ASSERT_EQ(input::checkDbfHeader(kPath, cut.bytes.data(), static_cast<uint32_t>(cut.bytes.size())), 1);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(input::findDbfField(cut.table, "NAM", nam, 0), 1);
    input::DbfValue v = cut.value(1, nam);
    EXPECT_EQ(v.width, 3);
    EXPECT_STREQ(input::dbfText(v), "Kra");
    EXPECT_EQ(input::dbfInt(v), 0);
    expectEmpty(cut.value(1, DbfField{1, 60, 10, 0, 'C', 5}));
    expectEmpty(cut.value(1, DbfField{1, 1, 0, 0, 'C', 0}));
}

// Every reader over each value, as its exact bytes in a buffer of exactly
// that size (the sanitizer sees any read behind it), with the field's decimal
// count: presence, trimmed text, the "%i" integer, tenths and hundredths
// rounded half away from zero.
TEST(DbfValues, ReadersTrimParseAndRoundEachValue) {
    const struct {
        std::string bytes;
        int32_t decimals = 0;
    } values[] = {
        {""}, {"          "}, {"        12"}, {"UNK"}, {"unk"}, {"UNKNOWN"}, {"Null      "}, {"nUlL  "}, {"U"}, {"UN"},
        {"un"}, {"NUL"}, {"x UNK"}, {"\xb9\xea"}, {"Krak\xf3w    "}, {std::string("\xb9\xea\t\x01 \0\0", 7)},
        {"Nowa\r\nHuta"}, {"Gora\n\r  "}, {std::string("Kraw\0ed\nz", 9)}, {std::string(255, 'a')},
        {"010"}, {"0x1F"}, {"0X1f"}, {"08"}, {"-17"}, {"+5"}, {" \t-0x10"}, {"12abc"}, {"   "}, {"- 5"}, {"0x"},
        {"3.9"}, {std::string("4\0" "5", 3)}, {"-2147483648"}, {"99999999999"}, {std::string(99, ' ') + "78"},
        {std::string(100, ' ') + "7"},  // at most 100 bytes are parsed
        {"123.45", 2}, {"123.44", 2}, {"-12.50", 2}, {"1.96", 2}, {"-0.50", 2}, {"-0.04", 2}, {"-0.05", 2},
        {"123.45", 0}, {"123.45", 1}, {"123.45", 5}, {"7.9", 1}, {"7.9", 2}, {"7", 2}, {"7 .5", 2}, {"  -3.25", 2},
        {"0x10.50", 2}, {"abc", 2}, {".5", 2}, {"5.", 0}, {"-5.a5", 2}, {"1.2", 2}, {"214748364.99", 2},
        {"-2147483648.0", 1}, {"1.995", 3}, {"2.5", 1}, {"1.23", 3}, {"1.234", 3}, {"1.235", 3}, {"-1.235", 3},
        {"-0.005", 3}, {"12.34", 0}, {"12.34", 2}, {"12.345", 2}, {"3", 3}, {"1.2x5", 3}, {"0.999", 4},
        {"21474836.47", 2}, {"-21474837", 0},
    };
    auto quoted = [](const std::string& bytes) {
        std::string out = "\"";
        for (unsigned char c : bytes) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += c < 0x20 || c >= 0x7f || c == '"' || c == '\\' ? hex : std::string(1, static_cast<char>(c));
        }
        return out + "\"";
    };
    std::string listing;
    for (const auto& v : values) {
        std::vector<uint8_t> exact(v.bytes.begin(), v.bytes.end());
        const uint8_t* bytes = exact.empty() ? nullptr : exact.data();
        const int32_t width = static_cast<int32_t>(exact.size());
        listing += quoted(v.bytes) + " " + std::to_string(v.decimals) + ": " +
                   (input::isDbfValuePresent(bytes, width) ? "present " : "absent ") +
                   quoted(input::dbfText(bytes, width)) + " int " + std::to_string(input::dbfInt(bytes, width)) +
                   " tenths " + std::to_string(input::dbfTenths(bytes, width, v.decimals)) + " hundredths " +
                   std::to_string(input::dbfHundredths(bytes, width, v.decimals)) + "\n";
    }
    testsupport::expectAsFile("dbf_values.txt", listing);
    // The two text readers keep one value each.
    const std::string a = "first", b = "second";
    const char* textA = input::dbfText(bytesOf(a), 5);
    const char* textB = input::dbfText2(bytesOf(b), 6);
    EXPECT_STREQ(input::dbfText(bytesOf(b), 6), "second");
    EXPECT_STREQ(textB, "second");
    EXPECT_STREQ(input::dbfText2(bytesOf(a), 5), "first");
    EXPECT_STREQ(textA, "second");
}

}  // namespace
