// The object writers: the exact text of each object in a real map file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "catalog/catalog.hpp"
#include "mp/output_map.hpp"
#include "mp/writers.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using testsupport::Bytes;
using testsupport::XY;

// A record content in a heap block of exactly its size, so that a read
// beyond it is caught by the address sanitizer.
struct Content {
    explicit Content(const Bytes& bytes) : data(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]), size(bytes.size()) {
        std::memcpy(data.get(), bytes.data(), bytes.size());
    }
    std::unique_ptr<uint8_t[]> data;
    uint32_t size;
};

void putLittleEndian32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}

void putDouble(Bytes& out, double v) {
    char bytes[8];
    std::memcpy(bytes, &v, 8);
    out.append(bytes, 8);
}

// Polygon content with the ring starts given as they are, and a box.
Bytes polygonWithStarts(const std::vector<int32_t>& starts, const std::vector<XY>& points,
                        const double (&box)[4] = {0, 0, 1, 1}) {
    Bytes rest;
    for (double v : box) putDouble(rest, v);
    putLittleEndian32(rest, static_cast<uint32_t>(starts.size()));
    putLittleEndian32(rest, static_cast<uint32_t>(points.size()));
    for (int32_t start : starts) putLittleEndian32(rest, static_cast<uint32_t>(start));
    for (const XY& p : points) {
        putDouble(rest, p.x);
        putDouble(rest, p.y);
    }
    return testsupport::rawShape(5, rest);
}

// Polyline or polygon content: the counts and where parts and points start.
struct Shape {
    explicit Shape(const Bytes& bytes) : content(bytes) {}
    uint32_t count(int offset) const {
        uint32_t v;
        std::memcpy(&v, content.data.get() + offset, 4);
        return v;
    }
    uint32_t numParts() const { return count(36); }
    uint32_t numPoints() const { return count(40); }
    const uint8_t* parts() const { return content.data.get() + 44; }
    const uint8_t* points() const { return parts() + 4 * numParts(); }
    Content content;
};

std::vector<XY> square(double x, double y, double side, bool closed) {
    std::vector<XY> ring = {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}};
    if (closed) ring.push_back({x, y});
    return ring;
}

catalog::ObjectType objectType(uint32_t typG, int32_t levelM, uint32_t typP = 0, uint8_t flagaOb = 0) {
    return catalog::ObjectType{"o_test", typG, 0, levelM, "", typP, 0, flagaOb};
}

// An open map in a fresh directory; text() closes it and returns what
// follows the header.
class MapWriters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(mp::openMap(dir.file("00000001.mp").c_str(), 1, "test"), 1); }
    void TearDown() override {
        if (mp::mapIsOpen()) mp::closeMap();
    }
    std::string text() {
        mp::closeMap();
        std::string all = testsupport::readFile(dir.file("00000001.mp"));
        const std::string headerEnd = "[END-IMG ID]\n\n";
        std::size_t at = all.find(headerEnd);
        EXPECT_NE(at, std::string::npos);
        return all.substr(at + headerEnd.size());
    }
    // Writes one record with the object's TypG and LevelM, capturing stderr.
    int record(const Bytes& bytes, catalog::ObjectType& object, const char* label = "") {
        Content content(bytes);
        testing::internal::CaptureStderr();
        int result = mp::writeShapeRecord("x.shp", content.data.get(), content.size, object, object.TypG,
                                          object.LevelM, label, 0, 0);
        messages += testing::internal::GetCapturedStderr();
        return result;
    }
    // The EndLevel values written, in order ("-" for an object without one).
    std::string endLevels() {
        std::string levels, all = text();
        for (std::size_t at = 0; (at = all.find("Type=", at)) != std::string::npos; ++at) {
            std::size_t next = all.find("[END]", at);
            std::size_t level = all.find("EndLevel=", at);
            levels += level < next ? all.substr(level + 9, 1) : "-";
        }
        return levels;
    }
    testsupport::TempDir dir;
    std::string messages;
};

TEST_F(MapWriters, AirportPointAsInTheExample) {
    catalog::ObjectType airport = objectType(0x5900, 2);
    EXPECT_EQ(record(testsupport::pointShape(19.5, 50.25), airport, "Balice"), 1);
    EXPECT_EQ(airport.count, 1u);
    EXPECT_EQ(text(), "[POI]\nType=0x5900\nLabel=Balice\nEndLevel=2\nData0=(50.2500000,19.5000000)\n[END]\n\n");
    EXPECT_EQ(messages, "");
}

TEST_F(MapWriters, PoiLinesTypeLevelCommentAndOffsets) {
    mp::Point at{19.5, 50.25};
    EXPECT_EQ(mp::writePoi(at, 0x1161d, 0, "", nullptr, 0, 0), 1);
    EXPECT_EQ(mp::writePoi(at, 0x5, -3, "", "", 0, 0), 1);
    EXPECT_EQ(mp::writePoi(at, 0x2800, 7, "A", "uwaga", 45, 70), 1);
    EXPECT_EQ(mp::writePoi(at, 0x6300, 1, "", nullptr, -45, -70), 1);
    EXPECT_EQ(mp::writePoi({-0.0, -0.0}, 0x6300, 5, "", nullptr, 0, 0), 1);
    EXPECT_EQ(text(),
              "[POI]\nType=0x1161D\nData0=(50.2500000,19.5000000)\n[END]\n\n"
              "[POI]\nType=0x05\nData0=(50.2500000,19.5000000)\n[END]\n\n"
              "[POI]\n; uwaga\nType=0x2800\nLabel=A\nEndLevel=5\nData0=(50.2504500,19.5007000)\n[END]\n\n"
              "[POI]\nType=0x6300\nEndLevel=1\nData0=(50.2495500,19.4993000)\n[END]\n\n"
              "[POI]\nType=0x6300\nEndLevel=5\nData0=(-0.0000000,-0.0000000)\n[END]\n\n");
}

TEST_F(MapWriters, RefusedObjectsWriteNothing) {
    Shape line(testsupport::polylineShape({{{1, 2}}}));
    Shape area(testsupport::polygonShape({{{1, 2}, {3, 4}, {1, 2}}}));
    EXPECT_EQ(mp::writePoi({1, 2}, 0, 1, "x", nullptr, 0, 0), 0);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0x10, 1, "x", nullptr), -1);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0, 1, "x", nullptr), 0);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0x4e, 1, "x", nullptr), -1);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0, 1, "x", nullptr), 0);
    EXPECT_EQ(text(), "");
    // Without an open map every writer refuses first.
    EXPECT_EQ(mp::writePoi({1, 2}, 0, 1, "x", nullptr, 0, 0), -100);
    EXPECT_EQ(mp::writePolyline(line.points(), 1, 0, 1, "x", nullptr), -100);
    EXPECT_EQ(mp::writePolygon(area.points(), 3, area.parts(), 1, 0, 1, "x", nullptr), -100);
}

TEST_F(MapWriters, PolylineOfTwoPartsIsOneLineWithItsMiddlePoi) {
    catalog::ObjectType road = objectType(0x16, 4, 0x2f00);
    EXPECT_EQ(record(testsupport::polylineShape({{{1, 10}, {2, 20}, {3, 30}}, {{4, 40}, {5, 50}, {6, 60}}}), road,
                     "Droga"),
              1);
    EXPECT_EQ(text(),
              "[POLYLINE]\nType=0x16\nLabel=Droga\nEndLevel=4\n"
              "Data0=(10.0000000,1.0000000),(20.0000000,2.0000000),(30.0000000,3.0000000),"
              "(40.0000000,4.0000000),(50.0000000,5.0000000),(60.0000000,6.0000000)\n[END]\n\n"
              "[POI]\n; POI do linii\nType=0x2F00\nLabel=Droga\nEndLevel=2\nData0=(35.0000000,3.5000000)\n[END]\n\n");
}

TEST(MiddlePoint, OddEvenAndTooShortPolylines) {
    mp::Point middle{0, 0};
    Shape odd(testsupport::polylineShape({{{1, 10}, {2, 20}, {3, 30}, {4, 40}, {5, 50}}}));
    ASSERT_EQ(mp::polylineMiddlePoint(odd.content.data.get(), middle), 1);
    EXPECT_EQ(middle.x, 3);
    EXPECT_EQ(middle.y, 30);
    Shape even(testsupport::polylineShape({{{1, 10}, {2, 21}}}));
    ASSERT_EQ(mp::polylineMiddlePoint(even.content.data.get(), middle), 1);
    EXPECT_EQ(middle.x, 1.5);
    EXPECT_EQ(middle.y, 15.5);
    Shape single(testsupport::polylineShape({{{1, 10}}}));
    EXPECT_EQ(mp::polylineMiddlePoint(single.content.data.get(), middle), 0);
    // The box centre comes from the stored box, not from the points.
    Shape boxed(polygonWithStarts({0}, square(0, 0, 1, false), {10, 20, 30, 50}));
    ASSERT_EQ(mp::boxCentre(boxed.content.data.get(), middle), 1);
    EXPECT_EQ(middle.x, 20);
    EXPECT_EQ(middle.y, 35);
}

TEST_F(MapWriters, PolygonRingsClosedOpenHoleAndNoParts) {
    catalog::ObjectType lake = objectType(0x3c, 1);
    record(testsupport::polygonShape({square(1, 2, 1, true)}), lake);   // closed: 4 pairs
    record(testsupport::polygonShape({square(1, 2, 1, false)}), lake);  // open: all 4
    record(testsupport::polygonShape({square(0, 0, 4, true), square(1, 1, 1, true)}), lake);
    std::vector<XY> points = square(1, 2, 1, false);
    Shape noParts(polygonWithStarts({}, points));
    EXPECT_EQ(mp::writePolygon(noParts.points(), 4, noParts.parts(), 0, 0x3c, 0, "", nullptr), 1);
    EXPECT_EQ(lake.count, 3u);
    const std::string ring = "Data0=(2.0000000,1.0000000),(3.0000000,1.0000000),(3.0000000,2.0000000),(2.0000000,2.0000000)\n";
    EXPECT_EQ(text(),
              "[POLYGON]\nType=0x3C\nEndLevel=1\n" + ring + "[END]\n\n"
              "[POLYGON]\nType=0x3C\nEndLevel=1\n" + ring + "[END]\n\n"
              "[POLYGON]\nType=0x3C\nEndLevel=1\n"
              "Data0=(0.0000000,0.0000000),(4.0000000,0.0000000),(4.0000000,4.0000000),(0.0000000,4.0000000)\n"
              "Data0=(1.0000000,1.0000000),(2.0000000,1.0000000),(2.0000000,2.0000000),(1.0000000,2.0000000)\n"
              "[END]\n\n"
              "[POLYGON]\nType=0x3C\n[END]\n\n");
}

TEST_F(MapWriters, MalformedRingsAreRefusedWhole) {
    std::vector<XY> eight = square(0, 0, 4, true);
    for (const XY& p : square(1, 1, 1, false)) eight.push_back(p);  // 5 + 4 = 9 points
    struct Case {
        std::vector<int32_t> starts;
        const char* what;
    } cases[] = {
        {{0, 6}, "a ring of 3 points"},
        {{-1, 5}, "a negative start"},
        {{5, 0}, "starts going backwards"},
        {{0, 9}, "a start at the end"},
        {{0, 5, 12}, "a start beyond the points"},
        {{0, 5, 5}, "an empty ring"},
    };
    for (const Case& c : cases) {
        Shape shape(polygonWithStarts(c.starts, eight));
        EXPECT_EQ(mp::writePolygon(shape.points(), shape.numPoints(), shape.parts(), shape.numParts(), 0x3c, 1, "",
                                   nullptr),
                  -2)
            << c.what;
    }
    Shape good(polygonWithStarts({0, 5}, eight));
    EXPECT_EQ(mp::writePolygon(good.points(), 9, good.parts(), 2, 0x3c, 1, "", nullptr), 1);
    EXPECT_EQ(text(),
              "[POLYGON]\nType=0x3C\nEndLevel=1\n"
              "Data0=(0.0000000,0.0000000),(4.0000000,0.0000000),(4.0000000,4.0000000),(0.0000000,4.0000000)\n"
              "Data0=(1.0000000,1.0000000),(2.0000000,1.0000000),(2.0000000,2.0000000),(1.0000000,2.0000000)\n"
              "[END]\n\n");
}

TEST_F(MapWriters, RefusedAreaStillGetsItsExtraPoi) {
    catalog::ObjectType wood = objectType(0x50, 1, 0x2800);
    catalog::ObjectType island = objectType(0, 1, 0x2800);  // the area itself has no type
    // A closed ring and a ring of 3 points: the area is refused (-2).
    EXPECT_EQ(record(testsupport::polygonShape({square(0, 0, 2, true), {{0.5, 0.5}, {0.5, 1}, {1, 1}}}), wood, "Las"),
              1);
    EXPECT_EQ(record(testsupport::polygonShape({square(0, 0, 4, true)}), island, "Wyspa"), 1);
    EXPECT_EQ(text(),
              "[POI]\n; POI do obszaru\nType=0x2800\nLabel=Las\nEndLevel=1\nData0=(1.0000000,1.0000000)\n[END]\n\n"
              "[POI]\n; POI do obszaru\nType=0x2800\nLabel=Wyspa\nEndLevel=1\nData0=(2.0000000,2.0000000)\n[END]\n\n");
    EXPECT_EQ(wood.count, 1u);
    EXPECT_EQ(island.count, 1u);
}

// A square box whose diagonal is `metres` long in latitude only.
Bytes areaOfSize(double metres) {
    return polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 0, metres / 111000});
}

TEST(BoxSize, DiagonalInMetresRoundedUp) {
    auto size = [](const Bytes& shape) { return mp::boxSizeMetres(Content(shape).data.get() + 4); };
    EXPECT_EQ(size(areaOfSize(98.5)), 99u);
    EXPECT_EQ(size(areaOfSize(99.2)), 100u);
    EXPECT_EQ(size(areaOfSize(999.5)), 1000u);
    EXPECT_EQ(size(areaOfSize(1000.5)), 1001u);
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 0.03, 0.04})), 4850u);  // 1950 and 4440: 4849.3
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, 1e300, 1})), UINT32_MAX);
    EXPECT_EQ(size(polygonWithStarts({0}, square(0, 0, 1, true), {0, 0, nan, 1})), UINT32_MAX);
}

TEST_F(MapWriters, AreaLevelFollowsItsSize) {
    struct Band {
        int32_t levelM;
        double metres;
        char written;  // EndLevel written, '-' for none
    } bands[] = {
        {0, 50, '-'},   {2, 98.5, '1'}, {2, 99.2, '2'}, {2, 99.5, '2'}, {2, 999.5, '2'},
        {3, 1000.5, '4'}, {4, 5000, '4'}, {5, 5000, '5'}, {1, 50, '-'}, {-1, 5000, '-'},
    };
    std::string expected;
    for (const Band& band : bands) {
        catalog::ObjectType area = objectType(0x4e, band.levelM, 0, 1);
        record(areaOfSize(band.metres), area);
        expected += band.written;
    }
    catalog::ObjectType fixed = objectType(0x4e, 2);  // FlagaOb 0: no change
    record(areaOfSize(50), fixed);
    expected += '2';
    EXPECT_EQ(endLevels(), expected);
}

TEST_F(MapWriters, ExtraPoiLevelIsAtMostTwo) {
    for (int32_t level : {4, 1, 0}) {
        catalog::ObjectType area = objectType(0x4e, level, 0x2800);
        record(polygonWithStarts({0}, square(0, 0, 1, true)), area);
    }
    EXPECT_EQ(endLevels(), "4211--");  // area, then its extra POI
}

TEST_F(MapWriters, RecordsCountedWhateverTheirFate) {
    catalog::ObjectType object = objectType(0x10, 1, 0x2800);
    EXPECT_EQ(record(testsupport::nullShape(), object), 1);
    EXPECT_EQ(messages, "");
    EXPECT_EQ(record(Bytes("\x01\x00", 2), object), 0);  // shorter than its type
    EXPECT_EQ(record(Bytes(), object), 0);
    EXPECT_EQ(messages, "");
    EXPECT_EQ(record(testsupport::pointShape(1, 2).substr(0, 19), object), 0);
    EXPECT_EQ(record(testsupport::rawShape(11, Bytes(32, '\0')), object), 1);
    EXPECT_EQ(record(testsupport::rawShape(8, Bytes()), object), 1);
    EXPECT_EQ(record(testsupport::polylineShape({{{1, 2}, {3, 4}}}).substr(0, 40), object), 0);
    Bytes line = testsupport::polylineShape({{{1, 2}, {3, 4}}});
    EXPECT_EQ(record(line.substr(0, line.size() - 1), object), 0);
    // Counts that would wrap a 32-bit length: still too long for the record.
    Bytes huge = testsupport::polygonShape({square(0, 0, 1, true)});
    std::memcpy(huge.data() + 40, "\x00\x00\x00\x10", 4);  // NumPoints 2^28: 16 × 2^28 wraps to 0
    EXPECT_EQ(record(huge, object), 0);
    std::memcpy(huge.data() + 36, "\xff\xff\xff\xff", 4);
    EXPECT_EQ(record(huge, object), 0);
    EXPECT_EQ(object.count, 10u);
    EXPECT_EQ(messages,
              "zla dlugosc rekordu SHP 1, plik x.shp\n"
              "nieobslugiwany typ rekordu SHP 11, plik x.shp\n"
              "nieobslugiwany typ rekordu SHP 8, plik x.shp\n"
              "zla dlugosc rekordu SHP 3, plik x.shp\n"
              "zla dlugosc rekordu SHP 3, plik x.shp\n"
              "zla dlugosc rekordu SHP 5, plik x.shp\n"
              "zla dlugosc rekordu SHP 5, plik x.shp\n");
    EXPECT_EQ(text(), "");
}

TEST_F(MapWriters, LongLabelsAndLongLinesArriveWhole) {
    std::string label(200000, 'x');
    std::vector<XY> points;
    std::string expected = "[POLYLINE]\nType=0x01\nLabel=" + label + "\nEndLevel=3\nData0=";
    char pair[128];
    for (int i = 0; i < 5000; ++i) {
        XY p{14.0 + i * 1.234567891e-4, 49.0 + i * 9.87654321e-5};
        points.push_back(p);
        std::snprintf(pair, sizeof pair, "%s(%1.7lf,%1.7lf)", i ? "," : "", p.y, p.x);
        expected += pair;
    }
    expected += "\n[END]\n\n";
    catalog::ObjectType road = objectType(0x01, 3);
    EXPECT_EQ(record(testsupport::polylineShape({points}), road, label.c_str()), 1);
    EXPECT_EQ(text(), expected);
}

}  // namespace
