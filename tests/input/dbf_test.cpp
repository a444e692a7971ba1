// DBF tables: header check, field lookup, clipped values and the readers with
// their trimming, "%i" parsing and rounding rules.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "input/dbf.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

namespace {

using namespace testsupport;
using namespace text::literals;
using input::DbfField;

const char* kPath = "dir/ROADL.dbf";

const uint8_t* bytesOf(const std::string& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

auto asTuple(const DbfField& f) { return std::make_tuple(f.found, f.offset, f.width, f.decimals, f.type, f.index); }

TEST(DbfHeader, AcceptsSoundTablesAndRefusesOthersWithOneMessage) {
    const std::string refused = std::string("zly format danych pliku dbf ") + kPath + "\n";
    std::vector<DbfColumn> cols{{"NAM"}, {"HGT", 'N', 8, 2}};
    std::vector<std::vector<std::string>> rows{{"a", "1"}, {"b", "2"}};
    Bytes exact = buildDbf(cols, rows, {.endMarker = false});  // records fill the file exactly
    struct Case {
        Bytes file;
        int result;
    } cases[] = {
        {exact, 1}, {buildDbf(cols, rows, {.version = 0}), 1}, {exact.substr(0, 63), 0},
        {buildDbf(cols, rows, {.version = 0x83}), 0}, {buildDbf(cols, rows, {.version = 0x30}), 0},
        {buildDbf(cols, rows, {.version = 4}), 0},
        // No records: an empty layer, whatever bytes follow the header.
        {buildDbf(cols, {}), 1}, {buildDbf(cols, {}, {.endMarker = false}), 1}, {buildDbf(cols, rows, {.recordCount = 0}), 1},
        {buildDbf(cols, {}, {.headerLength = 200}), 0},
        {buildDbf({{"NAM"}}, {{"a"}}, {.headerLength = 63}), 0},
        {exact.substr(0, exact.size() - 1), 0},  // the last record cut by one byte
        {buildDbf(cols, rows, {.recordCount = 3}), 0}, {buildDbf(cols, rows, {.recordCount = 0xFFFFFFFF}), 0},
        {buildDbf(cols, rows, {.recordCount = 65537, .recordLength = 65535}), 0},  // wraps to 65535 in 32 bits
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        testing::internal::CaptureStderr();
        int result = input::checkDbfHeader(kPath, bytesOf(cases[i].file), static_cast<uint32_t>(cases[i].file.size()));
        EXPECT_EQ(result, cases[i].result) << "case " << i;
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
    struct Case {
        const char* name;
        int quiet;
        int index;
        std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> field;
        std::string message;
    } cases[] = {
        {"HGT", 0, 2, {1, 36, 8, 2, 'N', 2}, ""}, {"Nam", 0, 1, {1, 6, 30, 0, 'C', 1}, ""},
        {"id", 0, 0, {1, 1, 5, 0, 'N', 0}, ""},   {"elevation_m", 1, 5, {1, 58, 10, 0, 'C', 5}, ""},
        {"ELEVATION_X", 1, -1, {}, ""},          {"ELEVATION", 1, -1, {}, ""},
        {"NAME", 1, -1, {}, ""},                 {"NAME", 0, -1, {}, missing},  // neither NAM nor NAMEX
    };
    for (const Case& c : cases) {
        DbfField f{7, 7, 7, 7, 7, 7};
        testing::internal::CaptureStderr();
        EXPECT_EQ(input::findDbfField(t.table, c.name, f, c.quiet), c.index) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.name;
        EXPECT_EQ(asTuple(f), c.field) << c.name;
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
    // A missing field reads as absent, empty and 0.
    input::DbfValue v = t.value(2, DbfField{});
    EXPECT_EQ(v.width, 0);
    EXPECT_FALSE(input::isDbfValuePresent(v));
    EXPECT_STREQ(input::dbfText2(v), "");
    EXPECT_EQ(input::dbfTenths(v), 0);

    // Declared widths add up to more than the record length: in an accepted
    // table the last record's last field runs off the end, three bytes into NAM.
    Bytes file = buildDbf({{"A", 'C', 4}, {"NAM", 'C', 200}}, {{"x", "Kraków"_cp}}, {.recordLength = 5});
    Table cut(file.substr(0, 33 + 64 + 5 + 3));
    testing::internal::CaptureStderr();
    ASSERT_EQ(input::checkDbfHeader(kPath, cut.bytes.data(), static_cast<uint32_t>(cut.bytes.size())), 1);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(input::findDbfField(cut.table, "NAM", nam, 0), 1);
    v = cut.value(1, nam);
    EXPECT_EQ(v.width, 3);
    EXPECT_STREQ(input::dbfText(v), "Kra");
    EXPECT_EQ(input::dbfInt(v), 0);
    // A field starting behind the table, and one of width 0, are empty.
    EXPECT_EQ(cut.value(1, DbfField{1, 60, 10, 0, 'C', 5}).width, 0);
    input::DbfValue zero = cut.value(1, DbfField{1, 1, 0, 0, 'C', 0});
    EXPECT_FALSE(input::isDbfValuePresent(zero));
    EXPECT_STREQ(input::dbfText(zero), "");
    EXPECT_EQ(input::dbfHundredths(zero), 0);
}

// A value as its exact bytes, in a buffer of exactly that size, so the
// address sanitizer sees any read behind it.
struct Value {
    explicit Value(const std::string& s) : bytes(s.begin(), s.end()) {}
    const uint8_t* data() const { return bytes.empty() ? nullptr : bytes.data(); }
    int32_t width() const { return static_cast<int32_t>(bytes.size()); }
    std::vector<uint8_t> bytes;
};

TEST(DbfValues, PresenceAndTrimmedText) {
    struct Case {
        std::string value;
        bool present;
        std::string text;
    } cases[] = {
        {"", false, ""},          {"          ", false, ""}, {"        12", false, ""},  // left-padded number
        {"UNK", false, ""},       {"unk", false, ""},        {"UNKNOWN", false, ""},
        {"Null      ", false, ""}, {"nUlL  ", false, ""},    {"U", true, "U"},
        {"UN", true, "UN"},       {"un", true, "un"},        {"NUL", true, "NUL"},
        {"x UNK", true, "x UNK"}, {"\xb9\xea", true, "\xb9\xea"}, {"Krak\xf3w    ", true, "Krak\xf3w"},
        {std::string("\xb9\xea\t\x01 \0\0", 7), true, "\xb9\xea"}, {"Nowa\r\nHuta", true, "Nowa  Huta"},
        {"Gora\n\r  ", true, "Gora"}, {std::string("Kraw\0ed\nz", 9), true, "Kraw"},
        {std::string(255, 'a'), true, std::string(254, 'a')},
    };
    for (const Case& c : cases) {
        Value v(c.value);
        EXPECT_EQ(input::isDbfValuePresent(v.data(), v.width()), c.present) << c.value;
        EXPECT_EQ(input::dbfText(v.data(), v.width()), c.text) << c.value;
    }
    // The two readers keep one value each.
    Value a("first"), b("second");
    const char* textA = input::dbfText(a.data(), a.width());
    const char* textB = input::dbfText2(b.data(), b.width());
    EXPECT_STREQ(input::dbfText(b.data(), b.width()), "second");
    EXPECT_STREQ(textB, "second");
    EXPECT_STREQ(input::dbfText2(a.data(), a.width()), "first");
    EXPECT_STREQ(textA, "second");
}

// One reader over values: the value's bytes, the decimal count, the result.
struct NumberCase {
    std::string value;
    int32_t decimals;
    int32_t expected;
};

void checkNumbers(int32_t (*reader)(const uint8_t*, int32_t, int32_t), std::vector<NumberCase> cases) {
    for (const NumberCase& c : cases) {
        Value v(c.value);
        EXPECT_EQ(reader(v.data(), v.width(), c.decimals), c.expected) << c.value << ", decimals " << c.decimals;
    }
}

TEST(DbfValues, IntegersFollowThePercentIConversion) {
    auto integer = [](const uint8_t* v, int32_t width, int32_t) { return input::dbfInt(v, width); };
    checkNumbers(integer, {
        {"        12", 0, 12}, {"010", 0, 8},  {"0x1F", 0, 31}, {"0X1f", 0, 31},  {"08", 0, 0},   {"-17", 0, -17},
        {"+5", 0, 5},  {" \t-0x10", 0, -16}, {"12abc", 0, 12}, {"", 0, 0},      {"   ", 0, 0},  {"abc", 0, 0},
        {"- 5", 0, 0}, {"0x", 0, 0},         {"3.9", 0, 3},    {"UNK", 0, 0},   {std::string("4\0" "5", 3), 0, 4},
        {"-2147483648", 0, INT32_MIN}, {"99999999999", 0, INT32_MAX},
        {std::string(99, ' ') + "78", 0, 7}, {std::string(100, ' ') + "7", 0, 0},  // at most 100 bytes
    });
}

TEST(DbfValues, TenthsAndHundredthsRoundHalfAwayFromZero) {
    checkNumbers(input::dbfTenths, {
        {"123.45", 2, 1235}, {"123.44", 2, 1234}, {"-12.50", 2, -125}, {"1.96", 2, 20},   {"-0.50", 2, -5},
        {"-0.04", 2, 0},     {"-0.05", 2, -1},    {"123.45", 0, 1230}, {"123.45", 1, 1234}, {"123.45", 5, 1235},
        {"7.9", 1, 79},      {"7.9", 2, 70},      {"7", 2, 70},        {"7 .5", 2, 70},   {"  -3.25", 2, -33},
        {"0x10.50", 2, 165}, {"abc", 2, 0},       {".5", 2, 0},        {"5.", 0, 50},     {"-5.a5", 2, -50},
        {"1.2", 2, 10},  // the characters behind the integer end with the field
        {"214748364.99", 2, INT32_MAX}, {"-2147483648.0", 1, INT32_MIN},
    });
    checkNumbers(input::dbfHundredths, {
        {"1.995", 3, 200},  {"2.5", 1, 250},     {"1.23", 3, 100},    {"1.234", 3, 123},   {"1.235", 3, 124},
        {"-1.235", 3, -124}, {"-0.50", 2, -50},  {"-0.005", 3, -1},   {"12.34", 0, 1200},  {"12.34", 2, 1234},
        {"12.345", 2, 1234}, {"3", 3, 300},      {"1.2x5", 3, 100},   {"0.999", 4, 100},
        {"21474836.47", 2, INT32_MAX}, {"-21474837", 0, INT32_MIN},
    });
}

}  // namespace
