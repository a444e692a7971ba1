// Shapefile main files: header check and the one record walk of all layers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "text/report.hpp"

namespace input {

// A transformation of a layer's coordinates into WGS 84 degrees (crs.cpp).
struct LayerTransform;

struct ShpFile {
    const char* path;          // as given; quoted in messages
    const uint8_t* contents;   // file bytes (read only up to length), or null when streamed
    uint32_t length;           // file bytes
    std::FILE* stream = nullptr;  // read through the window when contents is null
    const LayerTransform* transform = nullptr;  // null: the coordinates are degrees
};

struct ShapeRecord {
    uint32_t number;           // record number from the record header
    const uint8_t* content;    // record content: valid until the walk's next record
    uint32_t length;           // content bytes
};

inline uint32_t readBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline uint32_t readLittleEndian32(const uint8_t* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

inline double readLittleEndianDouble(const uint8_t* p) {
    double value;
    std::memcpy(&value, p, sizeof value);  // the supported hosts are little-endian
    return value;
}

enum ShapeType : uint32_t { kNullShape = 0, kPointShape = 1, kPolylineShape = 3, kPolygonShape = 5 };

// Record content: the type, then a point's X and Y; a line's or area's box (4
// doubles), NumParts, NumPoints, the part starts and the points.
inline constexpr uint32_t kPointXOffset = 4;
inline constexpr uint32_t kPointContentLength = 20;
inline constexpr uint32_t kBoxOffset = 4;
inline constexpr uint32_t kNumPartsOffset = 36;
inline constexpr uint32_t kNumPointsOffset = 40;
inline constexpr uint32_t kPartsOffset = 44;
inline constexpr uint32_t kPointBytes = 16;

// The flat type of a point, line or area type with heights (10 above the
// flat type) or measures (20 above); 0 for any other type (the multipoint
// types among them).
inline uint32_t flatShapeType(uint32_t shapeType) {
    for (uint32_t step : {10u, 20u}) {
        for (uint32_t flat : {kPointShape, kPolylineShape, kPolygonShape})
            if (shapeType == flat + step) return flat;
    }
    return 0;
}

// The shape a record is read as: under -z the types with heights or measures
// count as flat, their X and Y standing where the flat type holds them, and
// what follows is never read; all other types stay as they are.
inline uint32_t writtenShapeType(uint32_t shapeType) {
    uint32_t flat = flatShapes ? flatShapeType(shapeType) : 0;
    return flat != 0 ? flat : shapeType;
}

// 1 when the 100-byte header is acceptable, else 0 with a message.
int checkShpHeader(const char* path, const uint8_t* contents, uint32_t length);

// "za dlugi rekord" for the walk below (kept out of the template).
void reportTooLongRecord(const char* path);

// Starts a walk of a streamed file.
void startShpWindow();

// Bytes [offset, offset + count) of the file, which lie inside it: in place
// for a file held whole, else read through the shapefile window and valid
// until the next call. The walk goes front to back. Null, after "blad odczytu
// pliku %s", when they cannot be read (the file shrank, a read failed).
const uint8_t* shpWindowBytes(const ShpFile& shp, uint64_t offset, uint64_t count);
inline const uint8_t* shpBytes(const ShpFile& shp, uint64_t offset, uint64_t count) {
    return shp.contents ? shp.contents + offset : shpWindowBytes(shp, offset, count);
}

// The record with the coordinates of its point, line or area transformed into
// degrees: record.content then points to a copy, valid until the next call.
// False, after "blad przeliczenia wspolrzednych", when a point cannot be
// transformed. A record of another shape, or too short for its own, is left
// as it is for the writer to judge.
bool recordToDegrees(const LayerTransform& transform, const char* path, ShapeRecord& record);

// Calls onRecord(const ShapeRecord&) for every record in file order, in
// degrees: a record whose coordinates cannot be transformed is passed over. A
// record reaching past the end of the file ends the walk with a message. Offsets are
// 64-bit, so no header value can make a record reach past the buffer. A file
// that shrinks under the walk ends it before the lost record.
template <class OnRecord>
void walkShapeRecords(const ShpFile& shp, OnRecord&& onRecord) {
    if (shp.length <= 108) return;
    if (!shp.contents) startShpWindow();
    uint64_t p = 100;
    for (;;) {
        const uint8_t* header = shpBytes(shp, p, 8);
        if (!header) return;
        uint32_t number = readBigEndian32(header);
        uint64_t contentBytes = 2 * uint64_t{readBigEndian32(header + 4)};
        uint64_t end = p + 8 + contentBytes;
        if (end > shp.length) {
            reportTooLongRecord(shp.path);
            return;
        }
        const uint8_t* record = shpBytes(shp, p, end - p);
        if (!record) return;
        ShapeRecord shape{number, record + 8, static_cast<uint32_t>(contentBytes)};
        if (!shp.transform || recordToDegrees(*shp.transform, shp.path, shape)) onRecord(shape);
        p = end;
        if (p + 8 >= shp.length) return;
    }
}

}  // namespace input
