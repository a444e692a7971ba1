// The object writers: the exact text of each object in a real map file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog.hpp"
#include "mp/output_map.hpp"
#include "mp/writers.hpp"
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
    uint32_t count(std::size_t offset) const {
        uint32_t v;
        std::memcpy(&v, at(offset), 4);
        return v;
    }
    // Of a polyline or polygon content.
    const uint8_t* parts() const { return at(44); }
    const uint8_t* points() const { return at(44 + 4 * std::size_t{count(36)}); }
    std::unique_ptr<uint8_t[]> data;
    uint32_t size;
};

void put(Bytes& out, const void* value, std::size_t size) { out.append(static_cast<const char*>(value), size); }

// Polygon (or polyline) content with the part starts given as they are, and the box.
Bytes polygonWithStarts(const std::vector<int32_t>& starts, const std::vector<XY>& points,
                        const std::vector<double>& box = {0, 0, 1, 1}, uint32_t shapeType = 5) {
    Bytes rest;
    uint32_t counts[2] = {static_cast<uint32_t>(starts.size()), static_cast<uint32_t>(points.size())};
    put(rest, box.data(), 32);
    put(rest, counts, 8);
    put(rest, starts.data(), 4 * starts.size());
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

const std::string kUnitSquare =
    "Data0=(2.0000000,1.0000000),(3.0000000,1.0000000),(3.0000000,2.0000000),(2.0000000,2.0000000)\n";
const std::string kOuter =
    "Data0=(0.0000000,0.0000000),(4.0000000,0.0000000),(4.0000000,4.0000000),(0.0000000,4.0000000)\n";
const std::string kHole =
    "Data0=(1.0000000,1.0000000),(2.0000000,1.0000000),(2.0000000,2.0000000),(1.0000000,2.0000000)\n";

// An open map in a fresh directory; text() closes it and returns what follows the header.
class MapWriters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(mp::openMap(dir.file("00000001.mp").c_str(), 1, "test"), 1); }
    void TearDown() override {
        if (mp::mapIsOpen()) mp::closeMap();
    }
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
    // The EndLevel values written, in order ('-' for an object without one).
    std::string endLevels() {
        std::string levels, all = text();
        for (std::size_t at = 0; (at = all.find("Type=", at)) != std::string::npos; ++at) {
            std::size_t level = all.find("EndLevel=", at);
            levels += level < all.find("[END]", at) ? all[level + 9] : '-';
        }
        return levels;
    }
    TempDir dir;
    std::string messages;
};

TEST_F(MapWriters, EachRecordIsCountedOnceAndWrittenByItsShape) {
    const Bytes line = polylineShape({{{1, 2}, {3, 4}}});
    Bytes hugeCounts = polygonShape({square(0, 0, 1, true)});
    std::memcpy(hugeCounts.data() + 40, "\x00\x00\x00\x10", 4);  // NumPoints 2^28: 16 × 2^28 wraps to 0
    Bytes hugeParts = hugeCounts;
    std::memcpy(hugeParts.data() + 36, "\xff\xff\xff\xff", 4);
    const std::string bad = "zla dlugosc rekordu SHP ", unsupported = "nieobslugiwany typ rekordu SHP ";
    const std::string path = ", plik x.shp\n";
    struct Case {
        const char* what;
        Bytes content;
        catalog::ObjectType object;
        const char* label;
        int result;
        std::string text;
        std::string messages;
    } cases[] = {
        {"the airport example", pointShape(19.5, 50.25), objectType(0x5900, 2), "Balice", 1,
         "[POI]\nType=0x5900\nLabel=Balice\nEndLevel=2\nData0=(50.2500000,19.5000000)\n[END]\n\n", ""},
        {"a null shape", nullShape(), objectType(0x10, 1, 0x2800), "", 1, "", ""},
        {"shorter than its type", Bytes("\x01\x00", 2), objectType(0x10, 1), "", 0, "", ""},
        {"an empty content", Bytes(), objectType(0x10, 1), "", 0, "", ""},
        {"a point of 19 bytes", pointShape(1, 2).substr(0, 19), objectType(0x10, 1), "", 0, "", bad + "1" + path},
        {"a PointZ", rawShape(11, Bytes(32, '\0')), objectType(0x10, 1), "", 1, "", unsupported + "11" + path},
        {"a multipoint", rawShape(8, Bytes()), objectType(0x10, 1), "", 1, "", unsupported + "8" + path},
        {"a line without counts", line.substr(0, 40), objectType(0x10, 1, 0x2800), "", 0, "", bad + "3" + path},
        {"a line one byte short", line.substr(0, line.size() - 1), objectType(0x10, 1), "", 0, "", bad + "3" + path},
        {"counts wrapping in 32 bits", hugeCounts, objectType(0x10, 1, 0x2800), "", 0, "", bad + "5" + path},
        {"parts wrapping in 32 bits", hugeParts, objectType(0x10, 1, 0x2800), "", 0, "", bad + "5" + path},
        {"a line of two parts", polylineShape({{{1, 10}, {2, 20}, {3, 30}}, {{4, 40}, {5, 50}, {6, 60}}}),
         objectType(0x16, 4, 0x2f00), "Droga", 1,
         "[POLYLINE]\nType=0x16\nLabel=Droga\nEndLevel=4\n"
         "Data0=(10.0000000,1.0000000),(20.0000000,2.0000000),(30.0000000,3.0000000)\n"
         "Data0=(40.0000000,4.0000000),(50.0000000,5.0000000),(60.0000000,6.0000000)\n[END]\n\n"
         "[POI]\n; POI do linii\nType=0x2F00\nLabel=Droga\nEndLevel=2\nData0=(35.0000000,3.5000000)\n[END]\n\n",
         ""},
        {"a closed ring", polygonShape({square(1, 2, 1, true)}), objectType(0x3c, 1), "", 1,
         "[POLYGON]\nType=0x3C\nEndLevel=1\n" + kUnitSquare + "[END]\n\n", ""},
        {"an open ring", polygonShape({square(1, 2, 1, false)}), objectType(0x3c, 1), "", 1,
         "[POLYGON]\nType=0x3C\nEndLevel=1\n" + kUnitSquare + "[END]\n\n", ""},
        {"a ring and a hole", polygonShape({square(0, 0, 4, true), square(1, 1, 1, true)}), objectType(0x3c, 1), "", 1,
         "[POLYGON]\nType=0x3C\nEndLevel=1\n" + kOuter + kHole + "[END]\n\n", ""},
        {"a refused area with its extra POI", polygonShape({square(0, 0, 2, true), {{0.5, 0.5}, {0.5, 1}, {1, 1}}}),
         objectType(0x50, 1, 0x2800), "Las", 1,
         "[POI]\n; POI do obszaru\nType=0x2800\nLabel=Las\nEndLevel=1\nData0=(1.0000000,1.0000000)\n[END]\n\n", ""},
        {"an area without a type", polygonShape({square(0, 0, 4, true)}), objectType(0, 1, 0x2800), "Wyspa", 1,
         "[POI]\n; POI do obszaru\nType=0x2800\nLabel=Wyspa\nEndLevel=1\nData0=(2.0000000,2.0000000)\n[END]\n\n", ""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        messages.clear();
        EXPECT_EQ(record(c.content, c.object, c.label), c.result);
        EXPECT_EQ(c.object.count, 1u);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(text(), c.text);
    }
}

// Each part of a line of 2 points or more is a coordinate line of one object,
// in file order; a part that is shorter, empty or outside the points is left
// out. The extra POI still stands at the middle vertex of all the points.
TEST_F(MapWriters, LinePartsAreCoordinateLinesOfOneObject) {
    struct Row {
        std::vector<int32_t> starts;
        int points;                      // point i is (i, 10 i)
        std::vector<std::pair<int, int>> lines;  // the points [from, to) of each Data0 line
    } rows[] = {
        {{0, 3}, 6, {{0, 3}, {3, 6}}},
        {{0}, 3, {{0, 3}}},
        {{}, 3, {{0, 3}}},  // no parts: all the points, as one part
        {{5}, 3, {{0, 3}}},  // a single part is all the points
        {{0, 1, 3}, 4, {{1, 3}}},  // parts of one point
        {{0, 0, 2}, 4, {{0, 2}, {2, 4}}},  // an empty part
        {{0, 1}, 2, {}},  // every part short: no line
        {{0, 1, 2, 3, 4}, 3, {}},  // more parts than points
        {{-1, 2}, 4, {{2, 4}}},
        {{3, 1}, 4, {{1, 4}}},  // starts out of order
        {{0, 9}, 4, {}},  // a part reaching past the points
    };
    for (const Row& row : rows) {
        std::vector<XY> points;
        for (int i = 0; i < row.points; ++i) points.push_back({double(i), 10.0 * i});
        SCOPED_TRACE(::testing::PrintToString(row.starts));
        TearDown();
        SetUp();
        catalog::ObjectType object = objectType(0x16, 1, 0x2f00);
        EXPECT_EQ(record(polygonWithStarts(row.starts, points, {0, 0, 1, 1}, 3), object), 1);
        auto pair = [](double i) {
            char text[64];
            std::snprintf(text, sizeof text, "(%1.7f,%1.7f)", 10 * i, i);
            return std::string(text);
        };
        std::string expected = row.lines.empty() ? "" : "[POLYLINE]\nType=0x16\nEndLevel=1\n";
        for (const auto& [from, to] : row.lines) {
            expected += "Data0=";
            for (int i = from; i < to; ++i) {
                if (i > from) expected += ',';
                expected += pair(i);
            }
            expected += "\n";
        }
        if (!row.lines.empty()) expected += "[END]\n\n";
        double middle = (row.points - 1) / 2.0;  // vertex n/2, or between n/2 - 1 and n/2
        expected += "[POI]\n; POI do linii\nType=0x2F00\nEndLevel=1\nData0=" + pair(middle) + "\n[END]\n\n";
        EXPECT_EQ(text(), expected);
    }
}

// Enough of them for the later ones to be formatted at once, as batches of
// points alone are, and a line behind them.
TEST_F(MapWriters, PoiLinesTypeLevelCommentAndOffsets) {
    mp::Point at{19.5, 50.25};
    const std::string five =
        "[POI]\nType=0x1161D\nData0=(50.2500000,19.5000000)\n[END]\n\n"
        "[POI]\nType=0x05\nData0=(50.2500000,19.5000000)\n[END]\n\n"
        "[POI]\n; uwaga\nType=0x2800\nLabel=A\nEndLevel=5\nData0=(50.2504500,19.5007000)\n[END]\n\n"
        "[POI]\nType=0x6300\nEndLevel=1\nData0=(50.2495500,19.4993000)\n[END]\n\n"
        "[POI]\nType=0x6300\nEndLevel=5\nData0=(-0.0000000,-0.0000000)\n[END]\n\n";
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(mp::writePoi(at, 0x1161d, 0, "", nullptr, 0, 0), 1);
        EXPECT_EQ(mp::writePoi(at, 0x5, -3, "", "", 0, 0), 1);
        EXPECT_EQ(mp::writePoi(at, 0x2800, 7, "A", "uwaga", 45, 70), 1);
        EXPECT_EQ(mp::writePoi(at, 0x6300, 1, "", nullptr, -45, -70), 1);
        EXPECT_EQ(mp::writePoi({-0.0, -0.0}, 0x6300, 5, "", nullptr, 0, 0), 1);
        expected += five;
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
    for (std::vector<int32_t> starts : std::vector<std::vector<int32_t>>{
             {0, 6}, {-1, 5}, {5, 0}, {0, 9}, {0, 5, 12}, {0, 5, 5}}) {
        Content bad(polygonWithStarts(starts, nine));
        EXPECT_EQ(mp::writePolygon(bad.points(), 9, bad.parts(), bad.count(36), 0x3c, 1, "", nullptr), -2)
            << starts.size() << " rings from " << starts[0] << ", " << starts[1];
    }
    // The same points with sound rings, and no rings at all.
    Content good(polygonWithStarts({0, 5}, nine));
    EXPECT_EQ(mp::writePolygon(good.points(), 9, good.parts(), 2, 0x3c, 1, "", nullptr), 1);
    EXPECT_EQ(mp::writePolygon(good.points(), 9, good.parts(), 0, 0x3c, 0, "", nullptr), 1);
    EXPECT_EQ(text(), "[POLYGON]\nType=0x3C\nEndLevel=1\n" + kOuter + kHole + "[END]\n\n[POLYGON]\nType=0x3C\n[END]\n\n");
    // Without an open map every writer refuses first.
    EXPECT_EQ(mp::writePoi({1, 2}, 0, 1, "x", nullptr, 0, 0), -100);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0, 1, "x", nullptr), -100);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0, 1, "x", nullptr), -100);
}

TEST_F(MapWriters, AreaLevelFollowsItsSizeAndExtraPoiStaysAtTwoOrBelow) {
    struct Band {
        int32_t levelM;
        double metres;
        uint8_t flagaOb;
        uint32_t typP;
        const char* written;  // EndLevel of the area (and its extra POI), '-' for none
    } bands[] = {
        {0, 50, 1, 0, "-"},  {2, 98.5, 1, 0, "1"}, {2, 99.2, 1, 0, "2"},  {2, 999.5, 1, 0, "2"},
        {3, 1000.5, 1, 0, "4"}, {4, 5000, 1, 0, "4"}, {5, 5000, 1, 0, "5"}, {1, 50, 1, 0, "-"},
        {-1, 5000, 1, 0, "-"}, {2, 50, 0, 0, "2"},  // FlagaOb 0: no change
        {4, 500, 0, 0x2800, "42"}, {1, 500, 0, 0x2800, "11"}, {0, 500, 0, 0x2800, "--"},
        {3, 5000, 1, 0x2800, "42"},  // the POI follows the adjusted level
    };
    std::string expected;
    for (const Band& band : bands) {
        catalog::ObjectType area = objectType(0x4e, band.levelM, band.typP, band.flagaOb);
        record(areaOfSize(band.metres), area);
        expected += band.written;
    }
    EXPECT_EQ(endLevels(), expected);
}

TEST(ShapeGeometry, MiddlePointBoxCentreAndBoxSize) {
    mp::Point middle{0, 0};
    Content odd(polylineShape({{{1, 10}, {2, 20}, {3, 30}, {4, 40}, {5, 50}}}));
    ASSERT_EQ(mp::polylineMiddlePoint(odd.at(0), middle), 1);
    EXPECT_EQ(std::make_pair(middle.x, middle.y), std::make_pair(3.0, 30.0));
    Content even(polylineShape({{{1, 10}, {2, 21}}}));
    ASSERT_EQ(mp::polylineMiddlePoint(even.at(0), middle), 1);
    EXPECT_EQ(std::make_pair(middle.x, middle.y), std::make_pair(1.5, 15.5));
    EXPECT_EQ(mp::polylineMiddlePoint(Content(polylineShape({{{1, 10}}})).at(0), middle), 0);
    // The box centre comes from the stored box, not from the points.
    ASSERT_EQ(mp::boxCentre(Content(polygonWithStarts({0}, square(0, 0, 1, false), {10, 20, 30, 50})).at(0), middle), 1);
    EXPECT_EQ(std::make_pair(middle.x, middle.y), std::make_pair(20.0, 35.0));

    auto size = [](const Bytes& shape) { return mp::boxSizeMetres(Content(shape).at(4)); };
    // 0.03° × 65000 and 0.04° × 111000: a diagonal of 4849.3 m (the thresholds
    // at 99 and 1000 m are checked through the area levels).
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 0.03, 0.04})), 4850u);
    // Boxes too large to measure, or not numbers, count as the largest.
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 1e300, 1})), UINT32_MAX);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, nan, 1})), UINT32_MAX);
}

// Comments and labels up to 4096 bytes together go to the file with their
// object; longer ones are written at once: the text is the same.
TEST_F(MapWriters, HeadsAroundTheLongestQueuedTextsAreWhole) {
    std::string expected;
    for (std::size_t size : {4095, 4096, 4097}) {
        std::string label(size - 5, 'y');
        EXPECT_EQ(mp::writePoi({1, 2}, 0x2f, 9, label.c_str(), "abcde", 0, 0), 1);
        expected += "[POI]\n; abcde\nType=0x2F\nLabel=" + label + "\nEndLevel=5\nData0=(2.0000000,1.0000000)\n[END]\n\n";
    }
    EXPECT_EQ(text(), expected);
}

TEST_F(MapWriters, LongLabelsAndLongLinesArriveWhole) {
    std::string label(200000, 'x');
    std::vector<XY> points;
    std::string expected = "[POLYLINE]\nType=0x01\nLabel=" + label + "\nEndLevel=3\nData0=";
    char pair[128];
    // Enough points for the line to continue over several batches of the output.
    for (int i = 0; i < 70000; ++i) {
        XY p{14.0 + i * 1.234567891e-4, 49.0 + i * 9.87654321e-5};
        points.push_back(p);
        std::snprintf(pair, sizeof pair, "%s(%1.7lf,%1.7lf)", i ? "," : "", p.y, p.x);
        expected += pair;
    }
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

}  // namespace
