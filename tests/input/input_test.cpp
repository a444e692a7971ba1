// Input files: shapefile and table headers, the record walk, field lookup and
// value readers, the .prj texts and their transformation, and files read whole
// or streamed through a window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "input/crs.hpp"
#include "input/dbf.hpp"
#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "input/shp.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

namespace {

using namespace testsupport;
using namespace text::literals;
using namespace std::string_literals;
using input::DbfField;
using input::WktKind;

const char* kPath = "dir/ROADL.shp";
const std::string kTooLong = std::string("za dlugi rekord, plik ") + kPath + "\n";

const Bytes kPoint = pointShape(1, 2);

const uint8_t* bytesOf(const std::string& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

// The rows of shp_headers.tsv and dbf_headers.tsv: each check fails exactly
// where it writes its message. The shapefile's: size, then code and version,
// then length; the table's: its version, then whether the header and records
// fit the file.
TEST(FileHeaders, AreAcceptedOrRefusedWithOneMessage) {
    auto number = [](const std::string& field) { return field == "-" ? -1 : std::stoll(field, nullptr, 0); };
    auto check = [](auto checkHeader, const std::vector<std::string>& row, const Bytes& whole) {
        SCOPED_TRACE(testing::PrintToString(row));
        const Bytes file = row[0] == "-" ? whole : whole.substr(0, std::stoul(row[0]));
        testing::internal::CaptureStderr();
        EXPECT_EQ(checkHeader(kPath, bytesOf(file), static_cast<uint32_t>(file.size())), row.back().empty() ? 1 : 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.back());
    };
    for (const auto& r : dataRows("shp_headers.tsv")) {
        const ShpOptions options{.shapeType = static_cast<uint32_t>(number(r[1])), .fileCode = number(r[2]),
                                 .version = number(r[3]), .lengthWords = number(r[4]),
                                 .trailing = Bytes(static_cast<std::size_t>(number(r[5])), '\0')};
        check(input::checkShpHeader, r, buildShp({}, options));
    }
    for (const auto& r : dataRows("dbf_headers.tsv")) {
        const DbfOptions options{.version = static_cast<uint8_t>(number(r[2])), .recordCount = number(r[3]),
                                 .headerLength = number(r[4]), .recordLength = number(r[5]), .endMarker = r[6] == "1"};
        const std::vector<std::vector<std::string>> records(number(r[1]), {"a", "1"});
        check(input::checkDbfHeader, r, buildDbf({{"NAM"}, {"HGT", 'N', 8, 2}}, records, options));
    }
}

TEST(ShapeRecordWalk, YieldsRecordsInFileOrderAndStopsAtTheFileEnd) {
    // Each record seen as number@offset of its content+length.
    const struct {
        Bytes file;
        std::string records, message;
    } cases[] = {
        {buildShp({{kPoint}, {nullShape(), 7}, {polylineShape({{{1, 2}, {3, 4}}})}}), "1@108+20 7@136+4 3@148+80", ""},
        // Up to 108 bytes there are no records, whatever the bytes.
        {buildShp({}), "", ""}, {buildShp({}, {.trailing = Bytes(8, '\xff')}), "", ""},
        {buildShp({}, {.trailing = Bytes(9, '\0')}), "0@108+0", ""},
        // The real length counts, not the header's.
        {buildShp({{kPoint}, {kPoint}}, {.lengthWords = 60}), "1@108+20 2@136+20", ""},
        // Eight stray bytes are ignored; nine must hold a record.
        {buildShp({{kPoint}}, {.trailing = Bytes(8, '\x7f')}), "1@108+20", ""},
        {buildShp({{kPoint}}, {.trailing = Bytes(9, '\x7f')}), "1@108+20", kTooLong},
        // Lengths that would wrap in 32 bits are still too long.
        {buildShp({{kPoint, -1, 0x7FFFFFFF}, {kPoint}}), "", kTooLong},
        {buildShp({{kPoint, -1, 0x80000000}, {kPoint}}), "", kTooLong},
        // Short and empty contents are handed over with their real length.
        {buildShp({{Bytes(), 5}, {Bytes("\x01\x00", 2)}, {kPoint}}), "5@108+0 2@116+2 3@126+20", ""},
        // A zero-length record with one byte more than the eight ignored is read.
        {buildShp({{kPoint}, {Bytes()}}, {.trailing = Bytes(1, '\0')}), "1@108+20 2@136+0", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        // A buffer of exactly the file's size: the sanitizer sees any read behind it.
        std::vector<uint8_t> exact(cases[i].file.begin(), cases[i].file.end());
        input::ShpFile shp{kPath, exact.data(), static_cast<uint32_t>(exact.size())};
        std::string seen;
        testing::internal::CaptureStderr();
        input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
            seen += std::to_string(r.number) + "@" + std::to_string(r.content - exact.data()) + "+" +
                    std::to_string(r.length) + " ";
        });
        EXPECT_EQ(testing::internal::GetCapturedStderr(), cases[i].message) << "case " << i;
        EXPECT_EQ(seen, cases[i].records.empty() ? "" : cases[i].records + " ") << "case " << i;
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
    for (const auto& row : dataRows("field_lookup.tsv")) {
        SCOPED_TRACE(row[0] + " quiet " + row[1]);
        DbfField f{7, 7, 7, 7, 7, 7};  // so that a field left untouched shows
        testing::internal::CaptureStderr();
        const int index = input::findDbfField(t.table, row[0].c_str(), f, std::stoi(row[1]));
        const std::string type = f.type ? std::string(1, static_cast<char>(f.type)) : "0";
        const std::vector<std::string> seen{std::to_string(index), std::to_string(f.found), std::to_string(f.offset),
                                            std::to_string(f.width), std::to_string(f.decimals), type,
                                            std::to_string(f.index), testing::internal::GetCapturedStderr()};
        std::vector<std::string> expected(row.begin() + 2, row.end());
        expected.resize(8);  // no message
        EXPECT_EQ(seen, expected);
    }
    // A header length that covers only the first descriptor hides the second.
    Table shortHeader(buildDbf({{"NAM"}, {"HGT"}}, {{"a", "b"}}, {.headerLength = 65}));
    DbfField f;
    EXPECT_EQ(input::findDbfField(shortHeader.table, "NAM", f, 1), 0);
    EXPECT_EQ(input::findDbfField(shortHeader.table, "HGT", f, 1), -1);
}

// Every reader over one value: its width, presence, both texts, integer, tenths and hundredths.
auto readings(input::DbfValue v) {
    return std::make_tuple(v.width, input::isDbfValuePresent(v), std::string(input::dbfText(v)),
                           std::string(input::dbfText2(v)), input::dbfInt(v), input::dbfTenths(v),
                           input::dbfHundredths(v));
}

TEST(DbfRecords, ValuesAreFoundInPlaceAndClippedToTheTable) {
    Table t(buildDbf({{"NAM", 'C', 6}, {"HGT", 'N', 4}}, {{"first", "12"}, {"second", "345"}}));
    const DbfField nam{1, 1, 6, 0, 'C', 0}, hgt{1, 7, 4, 0, 'N', 1};  // as the lookup finds them
    for (uint32_t outside : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(t.record(outside), nullptr) << outside;
    ASSERT_EQ(t.record(2), t.bytes.data() + 33 + 64 + 11);
    EXPECT_EQ(readings(t.value(2, nam)), std::make_tuple(6, true, "second"s, "second"s, 0, 0, 0));
    EXPECT_EQ(readings(t.value(1, hgt)), std::make_tuple(4, true, "12"s, "12"s, 12, 120, 1200));
    // A missing field, one starting behind the table and one of width 0 read as absent, empty and 0.
    const auto empty = std::make_tuple(0, false, ""s, ""s, 0, 0, 0);
    EXPECT_EQ(readings(t.value(2, DbfField{})), empty);

    // Declared widths add up to more than the record length: in an accepted
    // table the last record's last field runs off the end, three bytes into NAM.
    Bytes file = buildDbf({{"A", 'C', 4}, {"NAM", 'C', 200}}, {{"x", "Kraków"_cp}}, {.recordLength = 5});
    Table cut(file.substr(0, 33 + 64 + 5 + 3));
    const DbfField longNam{1, 5, 200, 0, 'C', 1};
    EXPECT_EQ(readings(cut.value(1, longNam)), std::make_tuple(3, true, "Kra"s, "Kra"s, 0, 0, 0));
    EXPECT_EQ(readings(cut.value(1, DbfField{1, 60, 10, 0, 'C', 5})), empty);
    EXPECT_EQ(readings(cut.value(1, DbfField{1, 1, 0, 0, 'C', 0})), empty);
}

// Every reader over each value, as its exact bytes in a buffer of exactly
// that size (the sanitizer sees any read behind it), with the field's decimal
// count: presence, trimmed text, the "%i" integer, tenths and hundredths
// rounded half away from zero.
TEST(DbfValues, ReadersTrimParseAndRoundEachValue) {
    for (const auto& row : dataRows("dbf_values.tsv")) {
        SCOPED_TRACE(testing::PrintToString(row[0]) + " " + row[1]);
        std::vector<uint8_t> exact(row[0].begin(), row[0].end());
        const uint8_t* bytes = exact.empty() ? nullptr : exact.data();
        const int32_t width = static_cast<int32_t>(exact.size()), decimals = std::stoi(row[1]);
        const std::vector<std::string> read{input::isDbfValuePresent(bytes, width) ? "present" : "absent",
                                            input::dbfText(bytes, width),
                                            std::to_string(input::dbfInt(bytes, width)),
                                            std::to_string(input::dbfTenths(bytes, width, decimals)),
                                            std::to_string(input::dbfHundredths(bytes, width, decimals))};
        EXPECT_EQ(read, std::vector<std::string>(row.begin() + 2, row.end()));
    }
    // The two text readers keep one value each.
    const char* textA = input::dbfText(bytesOf("first"), 5);
    EXPECT_STREQ(input::dbfText2(bytesOf("second"), 6), "second");
    EXPECT_STREQ(textA, "first");
}

std::string text(const uint8_t* bytes, std::size_t length) { return {reinterpret_cast<const char*>(bytes), length}; }

// A file loaded streamed or read whole: the same bytes and head, the spare
// bytes cleared, the same messages, and a failure leaves the output untouched.
// A streamed file's bytes come through its window.
TEST(LoadInputFile, StreamedOrReadGivesTheSameBytesAndMessages) {
    TempDir dir;
    const std::string data("ab\0\xff\r\ncd", 8);
    writeFile(dir.file("data.bin"), data);
    writeFile(dir.file("empty.bin"), "");
    writeFile(dir.file("huge.bin"), "");
    // More than a buffer may hold, and not to be taken for 100 bytes: lengths
    // are taken in 64 bits. The sparse file takes no room.
    ASSERT_EQ(truncate(dir.file("huge.bin").c_str(), 0x100000000LL + 100), 0);
    const struct {
        std::string name, bytes;
        const char* failure;
    } cases[] = {
        {"data.bin", data, nullptr}, {"empty.bin", "", nullptr}, {"missing.bin", "", "blad otwarcia pliku "},
        {"huge.bin", "", "blad seek pliku "},
    };
    for (bool streamed : {true, false}) {
        input::streamInputFiles = streamed;
        for (const auto& c : cases) {
            const std::string path = dir.file(c.name);
            SCOPED_TRACE(path + (streamed ? " streamed" : " read"));
            input::InputFile file;
            file.buffer.length = 5;
            testing::internal::CaptureStderr();
            const int result = input::loadInputFile(path.c_str(), file, 3);
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(result, c.failure ? 0 : 1);
            EXPECT_EQ(err, c.failure ? c.failure + path + "\n" : "");
            if (c.failure) {
                EXPECT_EQ(file.buffer.length, 5u);  // a load sets it along with the bytes
                continue;
            }
            for (uint32_t i = 0; i < input::kSpareBytes; ++i)
                ASSERT_EQ(file.buffer.bytes[file.buffer.length + i], 0) << i;
            EXPECT_EQ(file.length, c.bytes.size());
            EXPECT_EQ(file.stream != nullptr, streamed);
            EXPECT_EQ(text(file.head, file.headLength), c.bytes.substr(0, 3));
            input::StreamWindow window;
            const uint8_t* bytes = file.stream ? window.read(file.stream, file.length, path.c_str(), 0, file.length)
                                               : file.data;
            EXPECT_EQ(bytes ? text(bytes, file.length) : "", c.bytes);
        }
    }
    input::streamInputFiles = true;
}

// The reads of window_reads.tsv in one sequence over a file of 600,000 bytes.
TEST(StreamWindow, GivesTheBytesAskedForInAnyOrder) {
    TempDir dir;
    std::string bytes(600000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::string path = dir.file("data.bin");
    writeFile(path, bytes);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    input::StreamWindow window;
    for (const auto& row : dataRows("window_reads.tsv")) {
        const uint64_t offset = std::stoull(row[0]), count = std::stoull(row[1]);
        SCOPED_TRACE(row[0] + "+" + row[1]);
        const uint8_t* at = window.read(file, bytes.size(), path.c_str(), offset, count);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(window.offsetOf(at), offset);
        EXPECT_GE(window.endOffset(), offset + count);
        EXPECT_TRUE(text(at, count) == bytes.substr(offset, count));
    }
    std::fclose(file);
}

// A pipe cannot seek: its length is -1, as a file's beyond the buffer is.
TEST(FileLength, IsMinusOneWithoutSeeking) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* pipeEnd = fdopen(ends[0], "rb");
    EXPECT_EQ(input::fileLength(pipeEnd), -1);
    std::fclose(pipeEnd);
    close(ends[1]);
}

// The rows of wkt.tsv and one text nested far deeper than any holds it.
TEST(Wkt, OnlyGeographicWgs84InDegreesFromGreenwichStandsAsItIs) {
    const std::map<std::string, WktKind> kinds{
        {"wgs84Degrees", WktKind::wgs84Degrees}, {"other", WktKind::other}, {"unreadable", WktKind::unreadable}};
    for (const auto& row : dataRows("wkt.tsv")) EXPECT_EQ(input::wktKind(row[1]), kinds.at(row[0])) << row[1];
    EXPECT_EQ(input::wktKind(std::string(100, 'A') + std::string(100000, '[') + std::string(100000, ']')),
              WktKind::unreadable);
}

// Records transformed by the walk against each point through PROJ alone, over
// the extents of crs_extents.tsv, reaching where the projections bend fastest:
// every point within 1e-9 degree and written with the same seventh decimal, or
// its record dropped by both. Random walks as roads are, over more tiles than
// are kept at once.
TEST(Crs, RecordsInterpolatedStayWithinTheBoundOfProj) {
    constexpr int kRecords = 6000, kPoints = 100;
    for (const auto& row : dataRows("crs_extents.tsv")) {
        SCOPED_TRACE(row[0]);
        const double x0 = std::stod(row[1]), y0 = std::stod(row[2]), x1 = std::stod(row[3]), y1 = std::stod(row[4]);
        const double step = std::stod(row[5]);
        TempDir dir;
        writeFile(dir.file("layer.prj"), dataFile(row[0] + ".prj"));
        std::string path = dir.file("layer.shp");
        input::ShpFile shp{path.c_str(), nullptr, 0};
        uint8_t header[100] = {};
        if (!input::openLayerCoordinates(shp, header)) GTEST_SKIP() << "built without PROJ";
        ASSERT_NE(shp.transform, nullptr);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> unit(0, 1);
        int far = 0, roundedOtherwise = 0, dropped = 0, interpolated = 0;
        for (int r = 0; r < kRecords; ++r) {
            std::vector<XY> walk(kPoints);
            std::vector<double> exact;
            XY p{x0 + (x1 - x0) * unit(random), y0 + (y1 - y0) * unit(random)};
            for (auto& point : walk) {
                point = p, exact.push_back(p.x), exact.push_back(p.y);
                p.x += (unit(random) - 0.5) * step, p.y += (unit(random) - 0.5) * step;
            }
            std::string content = polylineShape({walk});
            input::ShapeRecord record{static_cast<uint32_t>(r + 1), reinterpret_cast<const uint8_t*>(content.data()),
                                      static_cast<uint32_t>(content.size())};
            bool exactDone = input::pointsToDegreesExactly(*shp.transform, exact.data(), kPoints);
            bool done = input::recordToDegrees(*shp.transform, path.c_str(), record);
            ASSERT_EQ(done, exactDone) << "record " << r;
            dropped += !done;
            for (int i = 0; done && i < 2 * kPoints; ++i) {  // the points follow the type, box, counts and part
                double value;
                std::memcpy(&value, record.content + 48 + 8 * i, sizeof value);
                far += !(std::fabs(value - exact[i]) <= 1e-9);
                interpolated += value != exact[i];
                roundedOtherwise += std::nearbyint(value * 1e7) != std::nearbyint(exact[i] * 1e7);
            }
        }
        EXPECT_EQ(far, 0);
        EXPECT_EQ(roundedOtherwise, 0);
        EXPECT_LT(dropped, kRecords / 100);
        EXPECT_GT(interpolated, kRecords * kPoints) << "the points went through PROJ: nothing was checked";
    }
}

}  // namespace
