#include "support/shapefile_writer.hpp"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

// An integer as its low `size` bytes, little- or big-endian.
void put(Bytes& out, uint64_t v, int size = 4, bool bigEndian = false) {
    for (int i = 0; i < size; ++i) out += static_cast<char>(v >> 8 * (bigEndian ? size - 1 - i : i));
}

// Little-endian hosts only.
void putDouble(Bytes& out, double v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }

// A little-endian double or 32-bit integer at the offset.
template <typename T>
T valueAt(const Bytes& bytes, std::size_t offset) {
    T v;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// The ranges of X, Y, Z and M, each as low and high; all 0 until one is seen.
struct Extent {
    double low[4] = {}, high[4] = {};
    bool seen[4] = {};

    void add(int axis, double lowValue, double highValue) {
        low[axis] = seen[axis] ? std::min(low[axis], lowValue) : lowValue;
        high[axis] = seen[axis] ? std::max(high[axis], highValue) : highValue;
        seen[axis] = true;
    }
    void add(int axis, const Bytes& c, std::size_t lowAt, std::size_t highAt) {
        add(axis, valueAt<double>(c, lowAt), valueAt<double>(c, highAt));
    }
};

// Type, bounding box of all points, counts, part starts and points.
Bytes multiPartShape(uint32_t shapeType, const std::vector<std::vector<XY>>& parts) {
    Extent extent;
    Bytes starts, points;
    for (const auto& part : parts) {
        put(starts, points.size() / 16);
        for (const XY& p : part) {
            extent.add(0, p.x, p.x);
            extent.add(1, p.y, p.y);
            putDouble(points, p.x);
            putDouble(points, p.y);
        }
    }
    Bytes out = rawShape(shapeType, {});
    for (double v : {extent.low[0], extent.low[1], extent.high[0], extent.high[1]}) putDouble(out, v);
    put(out, parts.size());
    put(out, points.size() / 16);
    return out + starts + points;
}

// Adds a record's box and height and measure ranges, as its content holds
// them; null shapes, unknown types and contents too short for what their
// type promises add nothing.
void addToExtent(Extent& extent, const Bytes& c) {
    uint32_t type = c.size() < 4 ? 0 : valueAt<uint32_t>(c, 0);
    bool point = type % 10 == 1, multi = type % 10 == 3 || type % 10 == 5;
    if (c.size() < 4 || type > 25 || !(point || multi) || (multi && c.size() < 44)) return;
    uint32_t parts = multi ? valueAt<uint32_t>(c, 36) : 0, points = multi ? valueAt<uint32_t>(c, 40) : 0;
    bool heights = type / 10 == 1, measures = type > 10;
    // A point holds one value of each; a multi-part shape a box and ranges.
    uint64_t flat = point ? 20 : 44 + 4 * uint64_t{parts} + 16 * uint64_t{points};
    uint64_t range = point ? 8 : 16 + 8 * uint64_t{points};  // one array of heights or measures
    std::size_t spread = point ? 0 : 8;                      // from a low value to its high one
    if (c.size() < flat + range * (heights + measures)) return;
    extent.add(0, c, 4, 4 + 2 * spread);
    extent.add(1, c, 12, 12 + 2 * spread);
    if (heights) extent.add(2, c, flat, flat + spread);
    if (measures) extent.add(3, c, flat + range * heights, flat + range * heights + spread);
}

// The 100-byte header that the main file and its index share.
Bytes fileHeader(const std::vector<ShpRecord>& records, const ShpOptions& options, int64_t fileWords) {
    Extent extent;
    for (const ShpRecord& record : records) addToExtent(extent, record.content);
    Bytes out;
    put(out, options.fileCode, 4, true);
    out.append(20, '\0');
    put(out, fileWords, 4, true);
    put(out, options.version);
    put(out, options.shapeType);
    // Xmin, Ymin, Xmax, Ymax, Zmin, Zmax, Mmin, Mmax.
    std::array<double, 4> own{extent.low[0], extent.low[1], extent.high[0], extent.high[1]};
    for (double v : options.box.value_or(own)) putDouble(out, v);
    for (int axis : {2, 3})
        for (double v : {extent.low[axis], extent.high[axis]}) putDouble(out, v);
    return out;
}

// The main file, or its index: each record's number (or offset) and content
// length in words, and in the main file its content padded to whole words.
Bytes buildFile(const std::vector<ShpRecord>& records, const ShpOptions& options, bool index) {
    Bytes body;
    int64_t position = 0, offsetWords = 50;
    for (const ShpRecord& record : records) {
        Bytes content = record.content;
        if (record.lengthWords < 0 && content.size() % 2) content += '\0';
        ++position;
        put(body, index ? offsetWords : record.number < 0 ? position : record.number, 4, true);
        put(body, record.lengthWords < 0 ? static_cast<int64_t>(content.size() / 2) : record.lengthWords, 4, true);
        if (!index) body += content;
        offsetWords += 4 + static_cast<int64_t>(content.size() / 2);
    }
    if (!index) body += options.trailing;
    int64_t fileWords = static_cast<int64_t>((100 + body.size()) / 2);
    return fileHeader(records, options, index || options.lengthWords < 0 ? fileWords : options.lengthWords) + body;
}

}  // namespace

Bytes nullShape() { return rawShape(0, {}); }

Bytes pointShape(double x, double y) {
    Bytes out = rawShape(1, {});
    putDouble(out, x);
    putDouble(out, y);
    return out;
}

Bytes polylineShape(const std::vector<std::vector<XY>>& parts) { return multiPartShape(3, parts); }

Bytes polygonShape(const std::vector<std::vector<XY>>& rings) { return multiPartShape(5, rings); }

Bytes raisedShape(const Bytes& flat, uint32_t shapeType, double value) {
    Bytes out = rawShape(shapeType, flat.substr(4));
    bool point = flat.size() == 20;
    uint32_t numPoints = point ? 1 : valueAt<uint32_t>(flat, 40);
    int arrays = shapeType < 20 ? 2 : 1;  // heights and measures, or measures
    uint32_t values = point ? 1 : 2 + numPoints;  // range and one per point
    for (uint64_t i = 0; i < arrays * uint64_t{values}; ++i) putDouble(out, value);
    return out;
}

Bytes rawShape(uint32_t shapeType, const Bytes& rest) {
    Bytes out;
    put(out, shapeType);
    return out + rest;
}

Bytes buildShp(const std::vector<ShpRecord>& records, const ShpOptions& options) {
    return buildFile(records, options, false);
}

Bytes buildShx(const std::vector<ShpRecord>& records, const ShpOptions& options) {
    return buildFile(records, options, true);
}

Bytes buildDbf(const std::vector<DbfColumn>& columns, const std::vector<std::vector<std::string>>& rows,
               const DbfOptions& options) {
    int64_t recordLength = 1;
    for (const DbfColumn& column : columns) recordLength += column.width;
    Bytes out;
    out += static_cast<char>(options.version);
    out += "\x7c\x01\x01";  // last update 2024-01-01
    put(out, options.recordCount < 0 ? static_cast<int64_t>(rows.size()) : options.recordCount);
    put(out, options.headerLength < 0 ? static_cast<int64_t>(33 + 32 * columns.size()) : options.headerLength, 2);
    put(out, options.recordLength < 0 ? recordLength : options.recordLength, 2);
    out.append(20, '\0');
    for (const DbfColumn& column : columns) {
        Bytes name = column.name.substr(0, 11);
        name.resize(11, '\0');
        out += name + column.type + Bytes(4, '\0') + static_cast<char>(column.width) +
               static_cast<char>(column.decimals) + Bytes(14, '\0');
    }
    out += '\x0D';  // end of the field descriptors
    for (const auto& row : rows) {
        out += ' ';  // deletion flag: not deleted
        for (std::size_t i = 0; i < columns.size(); ++i) {
            Bytes value = i < row.size() ? row[i] : Bytes();
            value.resize(columns[i].width, ' ');
            out += value;
        }
    }
    if (options.endMarker) out += '\x1A';
    return out;
}

}  // namespace testsupport
