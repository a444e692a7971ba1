// Shape records to map objects: [POI], [POLYLINE] and [POLYGON].
#pragma once

#include <cstdint>

#include "catalog/catalog.hpp"
#include "mp/coordinates.hpp"

namespace mp {

// Counts the record under `object`, checks its geometry and writes it (and an
// extra POI when the object has a TypP). 1 when taken, 0 on a bad length.
int writeShapeRecord(const char* path, const uint8_t* content, uint32_t contentLength,
                     catalog::ObjectType& object, uint32_t type, int32_t level, const char* label,
                     int32_t latitudeOffset, int32_t longitudeOffset);

// comment may be null or empty (no comment line).
int writePoi(Point point, uint32_t type, int32_t level, const char* label, const char* comment,
             int32_t latitudeOffset, int32_t longitudeOffset);

// points: numPoints little-endian X, Y pairs in place in the record; parts:
// numParts little-endian 32-bit part starts. Each part of 2 points or more is
// one coordinate line of the object; with fewer than 2 parts all the points
// are one line. -1 when no part has 2 points.
int writePolyline(const uint8_t* points, uint32_t numPoints, const uint8_t* parts, uint32_t numParts,
                  uint32_t type, int32_t level, const char* label, const char* comment);

// A line of one part: all its points.
inline int writePolyline(const uint8_t* points, uint32_t numPoints, uint32_t type, int32_t level,
                         const char* label, const char* comment) {
    return writePolyline(points, numPoints, nullptr, 0, type, level, label, comment);
}

// parts: numParts little-endian 32-bit ring starts in place in the record.
int writePolygon(const uint8_t* points, uint32_t numPoints, const uint8_t* parts, uint32_t numParts,
                 uint32_t type, int32_t level, const char* label, const char* comment);

// Records refused as an unsupported shape whose type has heights or measures
// (11, 13, 15, 21, 23, 25), which -z would have written; cleared by the caller.
inline uint32_t refusedHeightRecords = 0;

// Diagonal in metres of a bounding box Xmin, Ymin, Xmax, Ymax (4 doubles), ceiling.
uint32_t boxSizeMetres(const uint8_t* box);

// content: a polyline/polygon record content. 1 with the point, else 0.
int polylineMiddlePoint(const uint8_t* content, Point& out);
int boxCentre(const uint8_t* content, Point& out);

}  // namespace mp
