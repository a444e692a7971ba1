// The output map, its buffer and sections, and the object writers: the exact
// text of each object in a real map file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.hpp"
#include "mp/merge.hpp"
#include "mp/output_map.hpp"
#include "mp/writers.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using namespace testsupport;

// Bytes in a heap block of exactly their size: the sanitizer sees any read behind them.
struct Content {
    explicit Content(const Bytes& bytes) : data(new uint8_t[bytes.size()]), size(static_cast<uint32_t>(bytes.size())) {
        std::memcpy(data.get(), bytes.data(), bytes.size());
    }
    const uint8_t* at(std::size_t offset) const { return data.get() + offset; }
    // Of a polyline or polygon content.
    const uint8_t* parts() const { return at(44); }
    const uint8_t* points() const {
        uint32_t count;
        std::memcpy(&count, at(36), 4);
        return at(44 + 4 * std::size_t{count});
    }
    std::unique_ptr<uint8_t[]> data;
    uint32_t size;
};

void put(Bytes& out, const void* value, std::size_t size) { out.append(static_cast<const char*>(value), size); }

// Polygon (or polyline) content with the part starts given as they are, and the box.
Bytes polygonWithStarts(const std::vector<int32_t>& starts, const std::vector<XY>& points,
                        const std::vector<double>& box = {0, 0, 1, 1}, uint32_t shapeType = 5) {
    Bytes rest;
    uint32_t counts[2] = {static_cast<uint32_t>(starts.size()), static_cast<uint32_t>(points.size())};
    put(rest, box.data(), 32), put(rest, counts, 8), put(rest, starts.data(), 4 * starts.size());
    for (const XY& p : points) put(rest, &p, 16);
    return rawShape(shapeType, rest);
}

std::vector<XY> square(double x, double y, double side, bool closed) {
    std::vector<XY> ring = {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}};
    if (closed) ring.push_back({x, y});
    return ring;
}

// A box whose diagonal is `metres` long, in latitude only.
Bytes areaOfSize(double metres) { return polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 0, metres / 111000}); }

catalog::ObjectType objectType(uint32_t typG, int32_t levelM, uint32_t typP = 0, uint8_t flagaOb = 0) {
    return catalog::ObjectType{"o_test", typG, 0, levelM, "", typP, 0, flagaOb};
}

// An open map in a fresh directory; text() closes it and returns what follows the header.
class MapWriters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(mp::openMap(dir.file("00000001.mp").c_str(), 1, "test"), 1); }
    void TearDown() override { if (mp::mapIsOpen()) mp::closeMap(); }
    std::string text() {
        mp::closeMap();
        return mapObjects(dir.file("00000001.mp"));
    }
    // One record with the object's TypG and LevelM; its messages are collected.
    int record(const Bytes& bytes, catalog::ObjectType& object, const char* label = "") {
        Content content(bytes);
        testing::internal::CaptureStderr();
        int result = mp::writeShapeRecord("x.shp", content.at(0), content.size, object, object.TypG, object.LevelM,
                                          label, 0, 0);
        messages += testing::internal::GetCapturedStderr();
        return result;
    }
    TempDir dir;
    std::string messages;
};

// Numbers apart by blanks.
template <class T>
std::vector<T> numbers(const std::string& text) {
    std::vector<T> values;
    std::istringstream words(text);
    for (T value; words >> value;) values.push_back(value);
    return values;
}

// The content of a row of tests/data/mp/records.tsv: a polyline or polygon of
// the part starts, points and box given, any other type with the coordinates
// as they stand; then the counts overwritten and the bytes cut as the row says.
Bytes recordContent(const std::vector<std::string>& row) {
    const uint32_t shapeType = static_cast<uint32_t>(std::stoul(row[1]));
    const std::vector<double> values = numbers<double>(row[3]);
    Bytes content = rawShape(shapeType, Bytes(reinterpret_cast<const char*>(values.data()), 8 * values.size()));
    if (shapeType == 3 || shapeType == 5) {
        std::vector<XY> points;
        for (std::size_t i = 0; i + 1 < values.size(); i += 2) points.push_back({values[i], values[i + 1]});
        std::vector<double> box = numbers<double>(row[4]);
        box.resize(4);
        content = polygonWithStarts(numbers<int32_t>(row[2]), points, box, shapeType);
    }
    if (!row[5].empty()) std::memcpy(content.data() + 36, numbers<uint32_t>(row[5]).data(), 8);
    return row[6].empty() ? content : content.substr(0, std::stoul(row[6]));
}

// Each record alone in a map: its result, messages and objects go to
// tests/data/mp/records.txt.
TEST_F(MapWriters, EachRecordIsCountedOnceAndWrittenByItsShape) {
    std::string transcript;
    auto write = [&](const std::string& what, const Bytes& content, catalog::ObjectType object, const char* label) {
        SCOPED_TRACE(what);
        TearDown();
        SetUp();
        messages.clear();
        int result = record(content, object, label);
        EXPECT_EQ(object.count, 1u);
        transcript += "== " + what + ": " + std::to_string(result) + "\n" + messages + text();
    };
    for (const auto& row : dataRows("records.tsv")) {
        ASSERT_EQ(row.size(), 11u) << row[0];
        const auto hex = [&](int field) { return static_cast<uint32_t>(std::stoul(row[field], nullptr, 16)); };
        write(row[0], recordContent(row), objectType(hex(7), std::stoi(row[8]), hex(9)), row[10].c_str());
    }
    // Areas of type 0x4E of tests/data/mp/area_levels.tsv.
    for (const auto& row : dataRows("area_levels.tsv")) {
        const uint32_t typP = static_cast<uint32_t>(std::stoul(row[3], nullptr, 16));
        write("area of " + row[0] + " m, LevelM " + row[1] + ", FlagaOb " + row[2] + ", TypP " + std::to_string(typP),
              areaOfSize(std::stod(row[0])),
              objectType(0x4e, std::stoi(row[1]), typP, static_cast<uint8_t>(std::stoi(row[2]))), "");
    }
    expectAsFile("records.txt", transcript);
}

// Enough of them for the later ones to be formatted at once, as batches of
// points alone are, then long labels and a line behind them.
TEST_F(MapWriters, PoiLinesTypeLevelCommentAndOffsets) {
    mp::Point at{19.5, 50.25};
    // The five objects are in tests/data/mp/five_pois.txt.
    const std::string five = dataFile("five_pois.txt");
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(mp::writePoi(at, 0x1161d, 0, "", nullptr, 0, 0), 1);
        EXPECT_EQ(mp::writePoi(at, 0x5, -3, "", "", 0, 0), 1);
        EXPECT_EQ(mp::writePoi(at, 0x2800, 7, "A", "uwaga", 45, 70), 1);
        EXPECT_EQ(mp::writePoi(at, 0x6300, 1, "", nullptr, -45, -70), 1);
        EXPECT_EQ(mp::writePoi({-0.0, -0.0}, 0x6300, 5, "", nullptr, 0, 0), 1);
        expected += five;
    }
    // Comments and labels up to 4096 bytes together are queued with their
    // object; longer ones are written at once: the text is the same.
    for (std::size_t size : {4095, 4096, 4097}) {
        std::string label(size - 5, 'y');
        EXPECT_EQ(mp::writePoi({1, 2}, 0x2f, 9, label.c_str(), "abcde", 0, 0), 1);
        expected += "[POI]\n; abcde\nType=0x2F\nLabel=" + label + "\nEndLevel=5\nData0=(2.0000000,1.0000000)\n[END]\n\n";
    }
    Content line(polylineShape({{{1, 2}, {3, 4}}}));
    EXPECT_EQ(mp::writePolyline(line.points(), 2, 0x1, 1, "B", nullptr), 1);
    expected += "[POLYLINE]\nType=0x01\nLabel=B\nEndLevel=1\nData0=(2.0000000,1.0000000),(4.0000000,3.0000000)\n[END]\n\n";
    EXPECT_TRUE(text() == expected);
}

TEST_F(MapWriters, RefusedObjectsWriteNothing) {
    std::vector<XY> nine = square(0, 0, 4, true);
    for (const XY& p : square(1, 1, 1, false)) nine.push_back(p);
    Content line(polylineShape({{{1, 2}}}));
    Content area(polygonWithStarts({0}, nine));
    EXPECT_EQ(mp::writePoi({1, 2}, 0, 1, "x", nullptr, 0, 0), 0);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0x10, 1, "x", nullptr), -1);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0, 1, "x", nullptr), 0);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0x4e, 1, "x", nullptr), -1);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0, 1, "x", nullptr), 0);
    // Malformed rings refuse the whole polygon (-2).
    const std::vector<std::vector<int32_t>> malformed = {{0, 6}, {-1, 5}, {5, 0}, {0, 9}, {0, 5, 12}, {0, 5, 5}};
    for (const std::vector<int32_t>& starts : malformed) {
        Content bad(polygonWithStarts(starts, nine));
        EXPECT_EQ(mp::writePolygon(bad.points(), 9, bad.parts(), uint32_t(starts.size()), 0x3c, 1, "", nullptr), -2)
            << ::testing::PrintToString(starts);
    }
    // The same points with sound rings, and no rings at all.
    Content good(polygonWithStarts({0, 5}, nine));
    EXPECT_EQ(mp::writePolygon(good.points(), 9, good.parts(), 2, 0x3c, 1, "", nullptr), 1);
    EXPECT_EQ(mp::writePolygon(good.points(), 9, good.parts(), 0, 0x3c, 0, "", nullptr), 1);
    expectAsFile("sound_rings.txt", text());
    // Without an open map every writer refuses first.
    EXPECT_EQ(mp::writePoi({1, 2}, 0, 1, "x", nullptr, 0, 0), -100);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0, 1, "x", nullptr), -100);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0, 1, "x", nullptr), -100);
}

// The rows are in tests/data/mp/box_sizes.tsv. The middle point and the box
// centre of the extra POIs are checked through the records above.
TEST(ShapeGeometry, BoxSizeInMetres) {
    for (const auto& row : dataRows("box_sizes.tsv")) {
        SCOPED_TRACE(row[0] + " x " + row[1]);
        Content area(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, std::stod(row[0]), std::stod(row[1])}));
        EXPECT_EQ(mp::boxSizeMetres(area.at(4)), std::stoul(row[2]));
    }
}

// n points along a diagonal, and their coordinates appended to `data` as the map writes them.
std::vector<XY> diagonal(int n, std::string& data) {
    std::vector<XY> points;
    char pair[128];
    for (int i = 0; i < n; ++i) {
        XY p{14.0 + i * 1.234567891e-4, 49.0 + i * 9.87654321e-5};
        points.push_back(p);
        std::snprintf(pair, sizeof pair, "%s(%1.7lf,%1.7lf)", i ? "," : "", p.y, p.x);
        data += pair;
    }
    return points;
}

// A point that finds its batch full starts the next one: full of points
// behind a line that filled it to the last, or of items behind heads and runs.
TEST_F(MapWriters, PointsBehindAFullBatchStartTheNext) {
    mp::fixInlineShare(0);  // every run goes into the batch
    std::string expected = "[POLYLINE]\nType=0x01\nEndLevel=3\nData0=";
    const std::vector<XY> points = diagonal(16 * 1024, expected);  // the points of a batch
    expected += "\n[END]\n\n";
    catalog::ObjectType road = objectType(0x01, 3);
    EXPECT_EQ(record(polylineShape({points}), road, ""), 1);
    // The first point's run opens the next batch alone; 4096 points later its items are full.
    for (int i = 0; i < 4100; ++i) {
        EXPECT_EQ(mp::writePoi({1, 2}, 0x2f, 0, "", nullptr, 0, 0), 1);
        expected += "[POI]\nType=0x2F\nData0=(2.0000000,1.0000000)\n[END]\n\n";
    }
    EXPECT_TRUE(text() == expected);
    mp::fixInlineShare(-1);
}

// A label longer than 4096 bytes and a line longer than a batch arrive whole.
TEST_F(MapWriters, LongLabelsAndLongLinesArriveWhole) {
    std::string label(200000, 'x');
    std::string expected = "[POLYLINE]\nType=0x01\nLabel=" + label + "\nEndLevel=3\nData0=";
    // Enough points for the line to continue over several batches of the output.
    const std::vector<XY> points = diagonal(70000, expected);
    catalog::ObjectType road = objectType(0x01, 3);
    // Formatted by the second thread, by the caller's, and by both in turn.
    for (int share : {0, mp::kShareSteps, mp::kShareSteps / 2}) {
        SCOPED_TRACE(share);
        mp::fixInlineShare(share);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(record(polylineShape({points}), road, label.c_str()), 1);
        EXPECT_EQ(text(), expected + "\n[END]\n\n" + expected + "\n[END]\n\n" + expected + "\n[END]\n\n");
        SetUp();
    }
    mp::fixInlineShare(-1);
}

TEST_F(MapWriters, CommentsOpeningAndClosingFollowTheStreamState) {
    mp::closeMap();
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::writeFileComment("a.shp"), 0);
    ASSERT_EQ(mp::openMap(dir.file("1.mp").c_str(), 1, "A"), 1);
    EXPECT_EQ(mp::writeFileComment("dir/AIRPORTP.shp"), 1);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(mp::openMap(dir.file("2.mp").c_str(), 2, "B"), 1);  // closes the first map
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "wymuszenie zamkniecia pliku mp\n");
    EXPECT_EQ(mp::closeMap(), 1);
    std::string bytes = readFile(dir.file("1.mp"));
    EXPECT_TRUE(bytes.ends_with("[END-IMG ID]\n\n;plik dir/AIRPORTP.shp\n")) << bytes;
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(readFile(dir.file("2.mp")).find("AIRPORTP"), std::string::npos);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::closeMap(), 0);
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::openMap(dir.file("no/such/dir.mp").c_str(), 3, "C"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "proba zamkniecia nieotwartego pliku mp\nblad otwarcia pliku mp " + dir.file("no/such/dir.mp") + "\n");
    EXPECT_FALSE(mp::mapIsOpen());
}

// Writes of every size in turn, in a map and, dropped, without one.
TEST_F(MapWriters, LargeAndSmallWritesKeepTheirOrder) {
    const std::string big(3 * 1024 * 1024, 'x');
    std::string expected;
    auto reserve = [] {
        char* out = mp::reserveOutput(mp::kMaxReserve);  // must fit even without a map
        std::memset(out, 'r', mp::kMaxReserve);
        mp::commitOutput(out + mp::kMaxReserve);
    };
    for (int round = 0; round < 3; ++round) {
        mp::writeOutputText("small\n");
        mp::writeOutput(big.data(), big.size());
        reserve();
        expected += "small\n" + big + std::string(mp::kMaxReserve, 'r');
    }
    EXPECT_EQ(mp::mapWriteStatus(), 0);
    mp::closeMap();
    std::string bytes = readFile(dir.file("00000001.mp"));
    EXPECT_TRUE(bytes.ends_with(expected));
    for (int i = 0; i < 5; ++i) mp::writeOutput(big.data(), 1024 * 1024 - 7);
    reserve();
    EXPECT_EQ(mp::mapWriteStatus(), -100);
}

// The rows are in tests/data/mp/sections.tsv.
TEST(FindSection, FindsTheFirstMarkWhoseNameBeginsWithTheNameInAnyCase) {
    for (const auto& row : dataRows("sections.tsv")) {
        SCOPED_TRACE(row[0] + " / " + row[2]);
        // A copy of just the searched bytes, so a read past them shows under the sanitizer.
        const std::string bytes = row[0].substr(0, std::stoul(row[1]) ? std::stoul(row[1]) : row[0].size());
        const char* found = mp::findSection(bytes.data(), bytes.data() + bytes.size(), row[2].c_str());
        EXPECT_EQ(found ? found - bytes.data() : -1, std::stol(row[3]));
    }
}

}  // namespace
