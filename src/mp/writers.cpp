#include "mp/writers.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "input/shp.hpp"
#include "mp/coordinates.hpp"
#include "mp/output_map.hpp"
#include "mp/routing.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace mp {

namespace {

using input::kBoxOffset;
using input::kNullShape;
using input::kNumPartsOffset;
using input::kNumPointsOffset;
using input::kPartsOffset;
using input::kPointBytes;
using input::kPointContentLength;
using input::kPointShape;
using input::kPolylineShape;
using input::kPolygonShape;

constexpr int32_t kHighestExtraPoiLevel = 2;

inline void writeView(std::string_view text) {
    writeOutput(text.data(), text.size());
}

void writeObjectTail() {
    writeView("[END]\n\n"_cp);
}

// One coordinate line: points[first] to points[end - 1], then the line feed.
void writeCoordinateLine(const uint8_t* points, uint32_t first, uint32_t end) {
    writePointRun(points, first, end);
    writeView("\n"_cp);
}

int32_t partStart(const uint8_t* parts, uint32_t part) {
    return static_cast<int32_t>(input::readLittleEndian32(parts + std::size_t{part} * 4));
}

// End (exclusive) of part (or ring) k: the next part's start, the last part's NumPoints.
int64_t partEnd(const uint8_t* parts, uint32_t numParts, uint32_t numPoints, uint32_t part) {
    return part + 1 < numParts ? partStart(parts, part + 1) : int64_t{numPoints};
}

void reportBadLength(uint32_t shapeType, const char* path) {
    report::error("zla dlugosc rekordu SHP %u, plik %s\n"_cp, shapeType, path);
}

// Level of an area whose size steers it: small areas drop, large ones rise.
int32_t levelForAreaSize(int32_t level, uint32_t sizeMetres) {
    if (sizeMetres <= 99) return level > 0 ? level - 1 : level;
    if (sizeMetres > 1000) return level <= 3 ? level + 1 : level;
    return level;
}

// The lines of a polyline record: one for each part, or one of all the
// points when the record has fewer than 2 parts.
uint32_t lineCount(uint32_t numParts) {
    return numParts < 2 ? 1 : numParts;
}

// The points [first, end) of line k; false for a part of fewer than 2 points
// or one lying outside the points.
bool linePoints(const uint8_t* parts, uint32_t numParts, uint32_t numPoints, uint32_t line, uint32_t& first,
                uint32_t& end) {
    int64_t start = numParts < 2 ? 0 : partStart(parts, line);
    int64_t stop = numParts < 2 ? int64_t{numPoints} : partEnd(parts, numParts, numPoints, line);
    if (start < 0 || stop > numPoints || stop - start < 2) return false;
    first = static_cast<uint32_t>(start);
    end = static_cast<uint32_t>(stop);
    return true;
}

// Under -r each line of a road is held as a road of its own; a line that
// cannot be routed is written as a plain line.
void holdRoadParts(const uint8_t* points, uint32_t numPoints, const uint8_t* parts, uint32_t numParts,
                   uint32_t type, int32_t level, const char* label, const RouteRow& row) {
    uint32_t first, end;
    for (uint32_t line = 0; line < lineCount(numParts); ++line) {
        if (!linePoints(parts, numParts, numPoints, line, first, end)) continue;
        if (!holdRoad(points, first, end, type, level, label, row))
            writePolyline(points + std::size_t{first} * kPointBytes, end - first, type, level, label, nullptr);
    }
}

}  // namespace

int writePoi(Point point, uint32_t type, int32_t level, const char* label, const char* comment,
             int32_t latitudeOffset, int32_t longitudeOffset) {
    if (!mapIsOpen()) return -100;
    if (type == 0) return 0;
    // A zero offset leaves the stored value as it is (even a negative zero).
    if (latitudeOffset != 0) point.y += latitudeOffset / 100000.0;
    if (longitudeOffset != 0) point.x += longitudeOffset / 100000.0;
    writeObjectHead(ObjectKind::poi, type, level, label, comment);
    writePointRun(point);
    writeView("\n[END]\n\n"_cp);
    return 1;
}

int writePolyline(const uint8_t* points, uint32_t numPoints, const uint8_t* parts, uint32_t numParts,
                  uint32_t type, int32_t level, const char* label, const char* comment) {
    if (!mapIsOpen()) return -100;
    if (type == 0) return 0;
    // Parts are written apart, so that no segment joins the end of one part
    // to the start of the next; a part of fewer than 2 points, or one lying
    // outside the points, is left out.
    bool written = false;
    uint32_t first, end;
    for (uint32_t line = 0; line < lineCount(numParts); ++line) {
        if (!linePoints(parts, numParts, numPoints, line, first, end)) continue;
        if (!written) writeObjectHead(ObjectKind::polyline, type, level, label, comment);
        written = true;
        writeCoordinateLine(points, first, end);
    }
    if (!written) return -1;
    writeObjectTail();
    return 1;
}

int writePolygon(const uint8_t* points, uint32_t numPoints, const uint8_t* parts, uint32_t numParts,
                 uint32_t type, int32_t level, const char* label, const char* comment) {
    if (!mapIsOpen()) return -100;
    if (type == 0) return 0;
    if (numPoints < 4) return -1;
    // Every ring must lie inside the points and hold at least 4 of them; a
    // negative start or a decreasing one would point before the array.
    for (uint32_t ring = 0; ring < numParts; ++ring) {
        int64_t start = partStart(parts, ring);
        int64_t end = partEnd(parts, numParts, numPoints, ring);
        if (start < 0 || start >= numPoints || end > numPoints || end - start < 4) return -2;
    }
    writeObjectHead(ObjectKind::polygon, type, level, label, comment);
    for (uint32_t ring = 0; ring < numParts; ++ring) {
        uint32_t start = static_cast<uint32_t>(partStart(parts, ring));
        uint32_t end = static_cast<uint32_t>(partEnd(parts, numParts, numPoints, ring));
        Point first = pointAt(points, start);
        Point last = pointAt(points, end - 1);
        // A closed ring repeats its first point; the repetition is left out.
        if (last.x == first.x && last.y == first.y) --end;
        writeCoordinateLine(points, start, end);
    }
    writeObjectTail();
    return 1;
}

uint32_t boxSizeMetres(const uint8_t* box) {
    double dx = (input::readLittleEndianDouble(box + 16) - input::readLittleEndianDouble(box)) * 65000;
    double dy = (input::readLittleEndianDouble(box + 24) - input::readLittleEndianDouble(box + 8)) * 111000;
    double size = std::ceil(std::sqrt(dx * dx + dy * dy));
    // A box too large to measure (or not a number) counts as the largest.
    if (!(size <= 4294967295.0)) return UINT32_MAX;
    return static_cast<uint32_t>(size);
}

int polylineMiddlePoint(const uint8_t* content, Point& out) {
    uint32_t numParts = input::readLittleEndian32(content + kNumPartsOffset);
    uint32_t numPoints = input::readLittleEndian32(content + kNumPointsOffset);
    if (numPoints < 2) return 0;
    const uint8_t* points = content + kPartsOffset + std::size_t{numParts} * 4;
    if (numPoints % 2 != 0) {
        out = pointAt(points, numPoints / 2);
    } else {
        Point a = pointAt(points, numPoints / 2 - 1);
        Point b = pointAt(points, numPoints / 2);
        out = Point{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
    }
    return 1;
}

int boxCentre(const uint8_t* content, Point& out) {
    const uint8_t* box = content + kBoxOffset;
    out = Point{(input::readLittleEndianDouble(box) + input::readLittleEndianDouble(box + 16)) * 0.5,
                (input::readLittleEndianDouble(box + 8) + input::readLittleEndianDouble(box + 24)) * 0.5};
    return 1;
}

int writeShapeRecord(const char* path, const uint8_t* content, uint32_t contentLength,
                     catalog::ObjectType& object, uint32_t type, int32_t level, const char* label,
                     int32_t latitudeOffset, int32_t longitudeOffset) {
    ++object.count;
    // Too short to hold its own shape type: nothing in it can be read.
    if (contentLength < 4) return 0;
    // Messages name the record's own type; the rest follows the type written.
    uint32_t shapeType = input::readLittleEndian32(content);
    uint32_t written = input::writtenShapeType(shapeType);
    switch (written) {
    case kNullShape:
        return 1;
    case kPointShape:
        if (contentLength < kPointContentLength) {
            reportBadLength(shapeType, path);
            return 0;
        }
        if (outputMap.routable) {
            Point point = pointAt(content + 4, 0);
            widenMapBox(point.x, point.y, point.x, point.y);
        }
        writePoi(pointAt(content + 4, 0), type, level, label, nullptr, latitudeOffset, longitudeOffset);
        return 1;
    case kPolylineShape:
    case kPolygonShape:
        break;
    default:
        report::error("nieobslugiwany typ rekordu SHP %u, plik %s\n"_cp, shapeType, path);
        if (input::flatShapeType(shapeType) != 0) ++refusedHeightRecords;
        return 1;
    }

    if (contentLength < kPartsOffset) {
        reportBadLength(shapeType, path);
        return 0;
    }
    uint32_t numParts = input::readLittleEndian32(content + kNumPartsOffset);
    uint32_t numPoints = input::readLittleEndian32(content + kNumPointsOffset);
    uint64_t needed = kPartsOffset + 4 * uint64_t{numParts} + uint64_t{kPointBytes} * numPoints;
    if (contentLength < needed) {
        reportBadLength(shapeType, path);
        return 0;
    }
    const uint8_t* parts = content + kPartsOffset;
    const uint8_t* points = parts + std::size_t{numParts} * 4;
    Point extra;

    // A routable map marks its boundary nodes on the box of all its objects.
    if (outputMap.routable) {
        const uint8_t* box = content + kBoxOffset;
        widenMapBox(input::readLittleEndianDouble(box), input::readLittleEndianDouble(box + 8),
                    input::readLittleEndianDouble(box + 16), input::readLittleEndianDouble(box + 24));
    }

    if (written == kPolylineShape) {
        const RouteRow* row = outputMap.routable && mapIsOpen() && type != 0 ? routeRow(object) : nullptr;
        if (row) {
            holdRoadParts(points, numPoints, parts, numParts, type, level, label, *row);
        } else {
            writePolyline(points, numPoints, parts, numParts, type, level, label, nullptr);
        }
        if (object.TypP != 0 && polylineMiddlePoint(content, extra))
            writePoi(extra, object.TypP, std::min(level, kHighestExtraPoiLevel), label, "POI do linii"_cp, 0, 0);
        return 1;
    }

    if (object.FlagaOb) level = levelForAreaSize(level, boxSizeMetres(content + kBoxOffset));
    writePolygon(points, numPoints, parts, numParts, type, level, label, nullptr);
    if (object.TypP != 0 && boxCentre(content, extra))
        writePoi(extra, object.TypP, std::min(level, kHighestExtraPoiLevel), label, "POI do obszaru"_cp, 0, 0);
    return 1;
}

}  // namespace mp
