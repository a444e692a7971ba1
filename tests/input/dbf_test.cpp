// DBF tables: header check, field lookup, clipped values and the readers with
// their trimming, "%i" parsing and rounding rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "input/dbf.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

namespace {

using namespace testsupport;
using namespace text::literals;
using input::DbfField;
using input::DbfTable;

const char* kPath = "dir/ROADL.dbf";

const uint8_t* bytesOf(const std::string& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

int check(const Bytes& file, std::string* err = nullptr) {
    testing::internal::CaptureStderr();
    int result = input::checkDbfHeader(kPath, bytesOf(file), static_cast<uint32_t>(file.size()));
    std::string captured = testing::internal::GetCapturedStderr();
    if (err) *err = captured;
    return result;
}

// Reader calls over a value given as its exact bytes (in a buffer of exactly
// that size, so the address sanitizer sees any read behind it).
struct Value {
    std::vector<uint8_t> bytes;
    explicit Value(const std::string& s) : bytes(s.begin(), s.end()) {}
    int32_t width() const { return static_cast<int32_t>(bytes.size()); }
    const uint8_t* data() const { return bytes.empty() ? nullptr : bytes.data(); }
    std::string text() const { return input::dbfText(data(), width()); }
    int32_t integer() const { return input::dbfInt(data(), width()); }
    int32_t tenths(int32_t decimals) const { return input::dbfTenths(data(), width(), decimals); }
    int32_t hundredths(int32_t decimals) const { return input::dbfHundredths(data(), width(), decimals); }
    bool present() const { return input::isDbfValuePresent(data(), width()); }
};

TEST(DbfHeader, AcceptsAWellFormedTable) {
    std::string err;
    EXPECT_EQ(check(buildDbf({{"NAM"}}, {{"a"}}), &err), 1);
    EXPECT_EQ(err, "");
    EXPECT_EQ(check(buildDbf({{"NAM"}}, {{"a"}}, {.version = 0})), 1);
    // The records may fill the file exactly.
    EXPECT_EQ(check(buildDbf({{"NAM"}, {"X"}}, {{"a"}, {"b"}}, {.endMarker = false})), 1);
}

TEST(DbfHeader, RefusesBadTablesWithOneMessage) {
    const std::string expected = std::string("zly format danych pliku dbf ") + kPath + "\n";
    std::vector<DbfColumn> cols{{"NAM"}, {"HGT", 'N', 8, 2}};
    std::vector<std::vector<std::string>> rows{{"a", "1"}, {"b", "2"}};
    Bytes good = buildDbf(cols, rows, {.endMarker = false});
    std::vector<Bytes> bad{
        good.substr(0, 63),
        buildDbf(cols, rows, {.version = 0x83}),
        buildDbf(cols, rows, {.version = 0x30}),
        buildDbf(cols, rows, {.version = 4}),
        buildDbf(cols, {}),
        buildDbf(cols, rows, {.recordCount = 0}),
        buildDbf({{"NAM"}}, {{"a"}}, {.headerLength = 63}),
        good.substr(0, good.size() - 1),  // the last record cut by one byte
        buildDbf(cols, rows, {.recordCount = 3}),
        // 65535 * 65537 wraps to 65535 in 32 bits
        buildDbf(cols, rows, {.recordCount = 65537, .recordLength = 65535}),
        buildDbf(cols, rows, {.recordCount = 0xFFFFFFFF}),
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        std::string err;
        EXPECT_EQ(check(bad[i], &err), 0) << i;
        EXPECT_EQ(err, expected) << i;
    }
}

struct Table {
    Bytes bytes;
    DbfTable table;
    explicit Table(Bytes b) : bytes(std::move(b)) {
        table = input::openDbfTable(kPath, bytesOf(bytes), static_cast<uint32_t>(bytes.size()));
    }
    int find(const char* name, DbfField& field, int quiet, std::string* err = nullptr) const {
        testing::internal::CaptureStderr();
        int index = input::findDbfField(table, name, field, quiet);
        std::string captured = testing::internal::GetCapturedStderr();
        if (err) *err = captured;
        return index;
    }
};

TEST(DbfFieldLookup, FindsFieldsWithRunningOffsets) {
    Table t(buildDbf({{"ID", 'N', 5}, {"nam", 'C', 30}, {"HGT", 'N', 8, 2}, {"NAM", 'C', 4}}, {{"1"}}));
    EXPECT_EQ(t.table.recordCount, 1u);
    EXPECT_EQ(t.table.headerLength, 32u + 4 * 32 + 1);
    EXPECT_EQ(t.table.recordLength, 1u + 5 + 30 + 8 + 4);
    DbfField f;
    ASSERT_EQ(t.find("HGT", f, 0), 2);
    EXPECT_EQ(f.found, 1);
    EXPECT_EQ(f.offset, 1 + 5 + 30);
    EXPECT_EQ(f.width, 8);
    EXPECT_EQ(f.decimals, 2);
    EXPECT_EQ(f.type, 'N');
    EXPECT_EQ(f.index, 2);
    // Case aside, and the first of two equal names wins.
    ASSERT_EQ(t.find("Nam", f, 0), 1);
    EXPECT_EQ(f.offset, 6);
    EXPECT_EQ(f.width, 30);
    EXPECT_EQ(f.type, 'C');
    ASSERT_EQ(t.find("id", f, 0), 0);
    EXPECT_EQ(f.offset, 1);
}

TEST(DbfFieldLookup, MissingFieldIsAllZerosAndReportedOnlyWhenAsked) {
    Table t(buildDbf({{"NAME"}, {"NA"}, {"ELEVATION_M"}}, {{"x"}}));
    const std::string expected = std::string("brak pola NAM w zbiorze ") + kPath + "\n";
    for (int quiet : {0, 1}) {
        DbfField f{7, 7, 7, 7, 7, 7};
        std::string err;
        EXPECT_EQ(t.find("NAM", f, quiet, &err), -1);
        EXPECT_EQ(err, quiet ? "" : expected);
        EXPECT_EQ(std::memcmp(&f, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", sizeof f), 0);
    }
    DbfField f;
    // Eleven characters: all eleven bytes take part.
    EXPECT_EQ(t.find("elevation_m", f, 1), 2);
    EXPECT_EQ(t.find("ELEVATION_X", f, 1), -1);
    EXPECT_EQ(t.find("ELEVATION", f, 1), -1);
}

TEST(DbfFieldLookup, DescriptorCountFollowsTheHeaderLength) {
    // A header length that covers only the first descriptor hides the second.
    Table t(buildDbf({{"NAM"}, {"HGT"}}, {{"a", "b"}}, {.headerLength = 65}));
    DbfField f;
    EXPECT_EQ(t.find("NAM", f, 1), 0);
    EXPECT_EQ(t.find("HGT", f, 1), -1);
}

TEST(DbfRecords, RecordsAndValuesAreFoundInPlace) {
    Table t(buildDbf({{"NAM", 'C', 6}, {"HGT", 'N', 4}}, {{"first", "12"}, {"second", "345"}}));
    DbfField nam, hgt;
    t.find("NAM", nam, 0);
    t.find("HGT", hgt, 0);
    EXPECT_EQ(input::dbfRecord(t.table, 0), nullptr);
    EXPECT_EQ(input::dbfRecord(t.table, 3), nullptr);
    EXPECT_EQ(input::dbfRecord(t.table, 0xFFFFFFFF), nullptr);
    const uint8_t* second = input::dbfRecord(t.table, 2);
    ASSERT_EQ(second, bytesOf(t.bytes) + 33 + 64 + 11);
    EXPECT_STREQ(input::dbfText(input::dbfValue(t.table, second, nam)), "second");
    EXPECT_EQ(input::dbfInt(input::dbfValue(t.table, input::dbfRecord(t.table, 1), hgt)), 12);
    // A missing field reads as absent, empty and 0.
    DbfField missing{};
    input::DbfValue v = input::dbfValue(t.table, second, missing);
    EXPECT_EQ(v.width, 0);
    EXPECT_FALSE(input::isDbfValuePresent(v));
    EXPECT_STREQ(input::dbfText2(v), "");
    EXPECT_EQ(input::dbfTenths(v), 0);
}

TEST(DbfRecords, FieldsReachingPastTheTableAreClipped) {
    // Declared widths add up to more than the record length: the last
    // record's last field runs off the end of the table.
    Bytes file = buildDbf({{"A", 'C', 4}, {"NAM", 'C', 200}}, {{"x", "Kraków"_cp}},
                          {.recordLength = 5, .endMarker = false});
    file.resize(33 + 64 + 5 + 3);  // the table ends three bytes into NAM
    ASSERT_EQ(check(file), 1);
    std::vector<uint8_t> exact(file.begin(), file.end());  // no spare bytes behind
    DbfTable table = input::openDbfTable(kPath, exact.data(), static_cast<uint32_t>(exact.size()));
    DbfField nam;
    ASSERT_EQ(input::findDbfField(table, "NAM", nam, 0), 1);
    input::DbfValue v = input::dbfValue(table, input::dbfRecord(table, 1), nam);
    EXPECT_EQ(v.width, 3);
    EXPECT_STREQ(input::dbfText(v), "Kra");
    EXPECT_EQ(input::dbfInt(v), 0);
    // A field starting behind the table is empty.
    DbfField far{1, 60, 10, 0, 'C', 5};
    EXPECT_EQ(input::dbfValue(table, input::dbfRecord(table, 1), far).width, 0);
    // A field of width 0.
    DbfField zero{1, 1, 0, 0, 'C', 0};
    input::DbfValue z = input::dbfValue(table, input::dbfRecord(table, 1), zero);
    EXPECT_FALSE(input::isDbfValuePresent(z));
    EXPECT_STREQ(input::dbfText(z), "");
    EXPECT_EQ(input::dbfHundredths(z), 0);
}

TEST(DbfValues, PresenceRules) {
    for (const char* absent : {"", " ", "   12", "UNK", "unk", "Unknown", "NULL", "Null", "nUlL  "})
        EXPECT_FALSE(Value(absent).present()) << absent;
    for (const char* present : {"U", "UN", "un", "NUL", "NU", "x UNK", "0", "\xf3"})
        EXPECT_TRUE(Value(present).present()) << present;
}

TEST(DbfValues, TextIsTrimmedAndKeepsPolishLetters) {
    EXPECT_EQ(Value("Krak\xf3w    ").text(), "Krak\xf3w");
    EXPECT_EQ(Value("UN").text(), "UN");
    EXPECT_EQ(Value("Null      ").text(), "");
    EXPECT_EQ(Value("UNKNOWN").text(), "");
    EXPECT_EQ(Value("          ").text(), "");
    EXPECT_EQ(Value("        12").text(), "");
    EXPECT_EQ(Value(std::string("\xb9\xea\t\x01 \0\0", 7)).text(), "\xb9\xea");
    // At most 254 bytes.
    EXPECT_EQ(Value(std::string(255, 'a')).text(), std::string(254, 'a'));
}

TEST(DbfValues, TextEndsAtZeroAndHasNoLineBreaks) {
    EXPECT_EQ(Value("Nowa\r\nHuta").text(), "Nowa  Huta");
    EXPECT_EQ(Value("Gora\n\r  ").text(), "Gora");
    EXPECT_EQ(Value(std::string("Kraw\0ed\nz", 9)).text(), "Kraw");
}

TEST(DbfValues, TwoTextBuffersHoldTwoValues) {
    Value a("first"), b("second");
    const char* textA = input::dbfText(a.data(), a.width());
    const char* textB = input::dbfText2(b.data(), b.width());
    EXPECT_STREQ(textA, "first");
    EXPECT_STREQ(textB, "second");
    EXPECT_STREQ(input::dbfText(b.data(), b.width()), "second");
    EXPECT_STREQ(textB, "second");
}

TEST(DbfValues, IntegersFollowThePercentIConversion) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"        12", 12}, {"010", 8},      {"0x1F", 31},  {"0X1f", 31},   {"08", 0},   {"-17", -17},
        {"+5", 5},         {" \t-0x10", -16}, {"12abc", 12}, {"", 0},        {"   ", 0},  {"abc", 0},
        {"- 5", 0},        {"0x", 0},        {"3.9", 3},    {"-2147483648", INT32_MIN}, {"99999999999", INT32_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(Value(c.text).integer(), c.value) << c.text;
    // At most 100 bytes are read.
    EXPECT_EQ(Value(std::string(99, ' ') + "78").integer(), 7);
    EXPECT_EQ(Value(std::string(100, ' ') + "7").integer(), 0);
    EXPECT_EQ(Value(std::string("4\0" "5", 3)).integer(), 4);
}

TEST(DbfValues, TenthsRoundHalfAwayFromZeroAtTheSecondDecimal) {
    struct Case {
        const char* text;
        int32_t decimals;
        int32_t value;
    } cases[] = {
        {"123.45", 2, 1235}, {"123.44", 2, 1234}, {"-12.50", 2, -125}, {"1.96", 2, 20},
        {"-0.50", 2, -5},    {"-0.04", 2, 0},     {"-0.05", 2, -1},    {"123.45", 0, 1230},
        {"123.45", 1, 1234}, {"123.45", 5, 1235}, {"7.9", 1, 79},      {"7.9", 2, 70},
        {"7", 2, 70},        {"7 .5", 2, 70},     {"  -3.25", 2, -33}, {"0x10.50", 2, 165},
        {"abc", 2, 0},       {".5", 2, 0},        {"5.", 0, 50},       {"-5.a5", 2, -50},
        {"214748364.99", 2, INT32_MAX}, {"-2147483648.0", 1, INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(Value(c.text).tenths(c.decimals), c.value) << c.text << " " << c.decimals;
    // The characters behind the integer end with the field.
    EXPECT_EQ(Value("1.2").tenths(2), 10);
}

TEST(DbfValues, HundredthsRoundHalfAwayFromZeroAtTheThirdDecimal) {
    struct Case {
        const char* text;
        int32_t decimals;
        int32_t value;
    } cases[] = {
        {"1.995", 3, 200},  {"2.5", 1, 250},     {"1.23", 3, 100},   {"1.234", 3, 123},
        {"1.235", 3, 124},  {"-1.235", 3, -124}, {"-0.50", 2, -50},  {"-0.005", 3, -1},
        {"12.34", 0, 1200}, {"12.34", 2, 1234},  {"12.345", 2, 1234}, {"3", 3, 300},
        {"1.2x5", 3, 100},  {"0.999", 4, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Value(c.text).hundredths(c.decimals), c.value) << c.text << " " << c.decimals;
}

}  // namespace
