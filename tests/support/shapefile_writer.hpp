// Builds shapefiles and DBF tables in memory for tests, well-formed or
// malformed on purpose (wrong counts, short records, lying headers).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::string;  // raw bytes

struct XY {
    double x;  // longitude
    double y;  // latitude
};

// Record contents: polylines (type 3) and polygons (type 5) with the box of
// their points.
Bytes nullShape();
Bytes pointShape(double x, double y);
Bytes polylineShape(const std::vector<std::vector<XY>>& parts);
Bytes polygonShape(const std::vector<std::vector<XY>>& rings);
// A flat point, polyline or polygon content retyped as `shapeType` (11, 13 or
// 15 with heights, 21, 23 or 25 with measures), with the ranges and values of
// heights and measures appended, each of them `value`.
Bytes raisedShape(const Bytes& flat, uint32_t shapeType, double value);
// Any shape type with raw content bytes after the type.
Bytes rawShape(uint32_t shapeType, const Bytes& rest);

struct ShpRecord {
    Bytes content;
    int64_t number = -1;       // -1: position in the list, counted from 1
    int64_t lengthWords = -1;  // -1: the content's length / 2, an odd content padded with a zero byte
};

// Header integers are written as their low 32 bits, so any value (negative,
// too large) can be stored on purpose. Records are always written one after
// the other as given, whatever their length fields claim.
struct ShpOptions {
    uint32_t shapeType = 1;
    int64_t fileCode = 9994;
    int64_t version = 1000;
    int64_t lengthWords = -1;                        // -1: the real file length / 2
    Bytes trailing = {};                             // bytes appended after the last record
    std::optional<std::array<double, 4>> box = {};  // Xmin, Ymin, Xmax, Ymax instead of the records' own
};

// The header's box (unless options.box gives one) and height and measure
// ranges are the records' own, as their contents hold them (all 0 when none
// holds any). The index holds the same header (its length the index's own)
// and each record's offset and content length in words.
Bytes buildShp(const std::vector<ShpRecord>& records, const ShpOptions& options = {});
Bytes buildShx(const std::vector<ShpRecord>& records, const ShpOptions& options = {});

struct DbfColumn {
    std::string name;  // up to 11 characters
    char type = 'C';
    uint8_t width = 10;
    uint8_t decimals = 0;
};

// The header fields hold these values (low 32 or 16 bits); the bytes are
// always laid out from the columns and rows, so a value set here can lie.
struct DbfOptions {
    uint8_t version = 3;
    int64_t recordCount = -1;   // -1: the number of rows
    int64_t headerLength = -1;  // -1: 32 + 32 * columns + 1
    int64_t recordLength = -1;  // -1: 1 + sum of widths
    bool endMarker = true;      // append the 0x1A end-of-file byte
};

// Each row holds one value per column (code page 1250 bytes), left-aligned and
// blank-padded to the column width (or cut to it).
Bytes buildDbf(const std::vector<DbfColumn>& columns, const std::vector<std::vector<std::string>>& rows,
               const DbfOptions& options = {});

}  // namespace testsupport
