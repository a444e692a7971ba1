#include "support/shapefile_writer.hpp"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

void putBigEndian32(Bytes& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void putLittleEndian32(Bytes& out, uint32_t v) {
    out += static_cast<char>(v);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 24);
}

void putLittleEndian16(Bytes& out, uint16_t v) {
    out += static_cast<char>(v);
    out += static_cast<char>(v >> 8);
}

void putDouble(Bytes& out, double v) {
    char bytes[8];
    std::memcpy(bytes, &v, sizeof bytes);  // little-endian hosts only
    out.append(bytes, sizeof bytes);
}

// Type, bounding box of all points, counts, part starts and points.
Bytes multiPartShape(uint32_t shapeType, const std::vector<std::vector<XY>>& parts) {
    double box[4] = {0, 0, 0, 0};
    bool first = true;
    uint32_t numPoints = 0;
    for (const auto& part : parts) {
        for (const XY& p : part) {
            if (first) {
                box[0] = box[2] = p.x;
                box[1] = box[3] = p.y;
                first = false;
            }
            box[0] = std::min(box[0], p.x);
            box[1] = std::min(box[1], p.y);
            box[2] = std::max(box[2], p.x);
            box[3] = std::max(box[3], p.y);
        }
        numPoints += static_cast<uint32_t>(part.size());
    }
    Bytes out;
    putLittleEndian32(out, shapeType);
    for (double v : box) putDouble(out, v);
    putLittleEndian32(out, static_cast<uint32_t>(parts.size()));
    putLittleEndian32(out, numPoints);
    uint32_t start = 0;
    for (const auto& part : parts) {
        putLittleEndian32(out, start);
        start += static_cast<uint32_t>(part.size());
    }
    for (const auto& part : parts) {
        for (const XY& p : part) {
            putDouble(out, p.x);
            putDouble(out, p.y);
        }
    }
    return out;
}

}  // namespace

Bytes nullShape() { return rawShape(0, {}); }

Bytes pointShape(double x, double y) {
    Bytes out;
    putLittleEndian32(out, 1);
    putDouble(out, x);
    putDouble(out, y);
    return out;
}

Bytes polylineShape(const std::vector<std::vector<XY>>& parts) { return multiPartShape(3, parts); }

Bytes polygonShape(const std::vector<std::vector<XY>>& rings) { return multiPartShape(5, rings); }

Bytes raisedShape(const Bytes& flat, uint32_t shapeType, double value) {
    Bytes out = rawShape(shapeType, flat.substr(4));
    bool point = flat.size() == 20;
    uint32_t numPoints = 1;
    if (!point) std::memcpy(&numPoints, flat.data() + 40, 4);
    int arrays = shapeType < 20 ? 2 : 1;  // heights and measures, or measures
    for (int array = 0; array < arrays; ++array) {
        uint32_t values = point ? 1 : 2 + numPoints;  // range and one per point
        for (uint32_t i = 0; i < values; ++i) putDouble(out, value);
    }
    return out;
}

Bytes rawShape(uint32_t shapeType, const Bytes& rest) {
    Bytes out;
    putLittleEndian32(out, shapeType);
    return out + rest;
}

namespace {

// One record's bytes in the main file: the content padded to whole words and
// the length in words its header gives.
struct RecordLayout {
    Bytes content;
    int64_t words;
};

RecordLayout layoutOf(const ShpRecord& record) {
    RecordLayout layout{record.content, record.lengthWords};
    if (layout.words < 0) {
        if (layout.content.size() % 2) layout.content += '\0';
        layout.words = static_cast<int64_t>(layout.content.size() / 2);
    }
    return layout;
}

double doubleAt(const Bytes& bytes, std::size_t offset) {
    double v;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// The ranges of a file's header: X, Y, Z and M, each as low and high.
struct Extent {
    double low[4] = {0, 0, 0, 0};
    double high[4] = {0, 0, 0, 0};
    bool seen[4] = {false, false, false, false};

    void add(int axis, double lowValue, double highValue) {
        low[axis] = seen[axis] ? std::min(low[axis], lowValue) : lowValue;
        high[axis] = seen[axis] ? std::max(high[axis], highValue) : highValue;
        seen[axis] = true;
    }
};

// Adds a record's box and height and measure ranges, as its content holds
// them; null shapes, unknown types and contents too short for what their
// type promises add nothing.
void addToExtent(Extent& extent, const Bytes& c) {
    if (c.size() < 4) return;
    uint32_t type;
    std::memcpy(&type, c.data(), 4);
    bool heights = type == 11 || type == 13 || type == 15;
    bool measures = heights || type == 21 || type == 23 || type == 25;
    if (type == 1 || type == 11 || type == 21) {
        std::size_t need = 20 + 8 * (heights + measures);
        if (c.size() < need) return;
        double x = doubleAt(c, 4), y = doubleAt(c, 12);
        extent.add(0, x, x);
        extent.add(1, y, y);
        if (heights) extent.add(2, doubleAt(c, 20), doubleAt(c, 20));
        if (measures) extent.add(3, doubleAt(c, need - 8), doubleAt(c, need - 8));
        return;
    }
    if (type % 10 != 3 && type % 10 != 5) return;
    if (type > 25 || c.size() < 44) return;
    uint32_t parts, points;
    std::memcpy(&parts, c.data() + 36, 4);
    std::memcpy(&points, c.data() + 40, 4);
    uint64_t flat = 44 + 4 * uint64_t{parts} + 16 * uint64_t{points};
    uint64_t ranges = flat + (16 + 8 * uint64_t{points}) * (heights + measures);
    if (c.size() < ranges) return;
    extent.add(0, doubleAt(c, 4), doubleAt(c, 20));
    extent.add(1, doubleAt(c, 12), doubleAt(c, 28));
    if (heights) extent.add(2, doubleAt(c, flat), doubleAt(c, flat + 8));
    if (measures) {
        std::size_t at = flat + (heights ? 16 + 8 * uint64_t{points} : 0);
        extent.add(3, doubleAt(c, at), doubleAt(c, at + 8));
    }
}

// The 100-byte header that the main file and its index share.
Bytes fileHeader(const std::vector<ShpRecord>& records, const ShpOptions& options, int64_t fileWords) {
    Extent extent;
    for (const ShpRecord& record : records) addToExtent(extent, record.content);
    Bytes out;
    putBigEndian32(out, static_cast<uint32_t>(options.fileCode));
    for (int i = 0; i < 5; ++i) putBigEndian32(out, 0);
    putBigEndian32(out, static_cast<uint32_t>(fileWords));
    putLittleEndian32(out, static_cast<uint32_t>(options.version));
    putLittleEndian32(out, options.shapeType);
    // Xmin, Ymin, Xmax, Ymax, Zmin, Zmax, Mmin, Mmax.
    if (options.box) {
        for (double v : *options.box) putDouble(out, v);
    } else {
        for (int axis : {0, 1}) putDouble(out, extent.low[axis]);
        for (int axis : {0, 1}) putDouble(out, extent.high[axis]);
    }
    for (int axis : {2, 3}) {
        putDouble(out, extent.low[axis]);
        putDouble(out, extent.high[axis]);
    }
    return out;
}

}  // namespace

Bytes buildShp(const std::vector<ShpRecord>& records, const ShpOptions& options) {
    Bytes body;
    int64_t position = 0;
    for (const ShpRecord& record : records) {
        ++position;
        RecordLayout layout = layoutOf(record);
        putBigEndian32(body, static_cast<uint32_t>(record.number < 0 ? position : record.number));
        putBigEndian32(body, static_cast<uint32_t>(layout.words));
        body += layout.content;
    }
    body += options.trailing;
    int64_t fileWords = options.lengthWords < 0 ? static_cast<int64_t>((100 + body.size()) / 2)
                                                : options.lengthWords;
    return fileHeader(records, options, fileWords) + body;
}

Bytes buildShx(const std::vector<ShpRecord>& records, const ShpOptions& options) {
    Bytes body;
    int64_t offsetWords = 50;
    for (const ShpRecord& record : records) {
        RecordLayout layout = layoutOf(record);
        putBigEndian32(body, static_cast<uint32_t>(offsetWords));
        putBigEndian32(body, static_cast<uint32_t>(layout.words));
        offsetWords += 4 + static_cast<int64_t>(layout.content.size() / 2);
    }
    return fileHeader(records, options, static_cast<int64_t>(50 + body.size() / 2)) + body;
}

Bytes buildDbf(const std::vector<DbfColumn>& columns, const std::vector<std::vector<std::string>>& rows,
               const DbfOptions& options) {
    int64_t naturalRecordLength = 1;
    for (const DbfColumn& column : columns) naturalRecordLength += column.width;
    int64_t recordCount = options.recordCount < 0 ? static_cast<int64_t>(rows.size()) : options.recordCount;
    int64_t headerLength = options.headerLength < 0 ? static_cast<int64_t>(32 + 32 * columns.size() + 1)
                                                    : options.headerLength;
    int64_t recordLength = options.recordLength < 0 ? naturalRecordLength : options.recordLength;

    Bytes out;
    out += static_cast<char>(options.version);
    out += static_cast<char>(124);  // last update 2024-01-01
    out += static_cast<char>(1);
    out += static_cast<char>(1);
    putLittleEndian32(out, static_cast<uint32_t>(recordCount));
    putLittleEndian16(out, static_cast<uint16_t>(headerLength));
    putLittleEndian16(out, static_cast<uint16_t>(recordLength));
    out.append(20, '\0');
    for (const DbfColumn& column : columns) {
        Bytes name = column.name.substr(0, 11);
        name.resize(11, '\0');
        out += name;
        out += column.type;
        out.append(4, '\0');
        out += static_cast<char>(column.width);
        out += static_cast<char>(column.decimals);
        out.append(14, '\0');
    }
    out += '\x0D';  // end of the field descriptors
    for (const auto& row : rows) {
        out += ' ';  // deletion flag: not deleted
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::string value = i < row.size() ? row[i] : std::string();
            value.resize(columns[i].width, ' ');
            out += value;
        }
    }
    if (options.endMarker) out += '\x1A';
    return out;
}

}  // namespace testsupport
