// Writes the benchmark's layers: a shapefile and its DBF table, streamed to
// disk record by record, the same bytes for the same arguments.
//
//   bench_layers road|forest|building <path without extension> <features>
//
// road: polylines of 50 vertices with TUC, RTT, NAM and USE; forest: closed
// rings of 40 vertices with NAM, TRE, VEG, PHT, SDS and TSC; building: points
// with NAM, BFC and HWT. Prints the number of vertices written.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// xorshift64*: a fixed seed gives the same layers on every machine.
struct Random {
    uint64_t state = 0x9E3779B97F4A7C15u;
    uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Du;
    }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }  // [0, 1)
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
    template <class T, std::size_t N>
    T pick(const T (&values)[N]) { return values[below(N)]; }
};

// A file written through a large buffer; any failure ends the program.
struct Output {
    std::FILE* file;
    std::string path;
    explicit Output(std::string p) : path(std::move(p)) {
        file = std::fopen(path.c_str(), "wb");
        if (!file) fail("cannot create");
        std::setvbuf(file, nullptr, _IOFBF, 1 << 20);
    }
    [[noreturn]] void fail(const char* what) {
        std::fprintf(stderr, "bench_layers: %s %s\n", what, path.c_str());
        std::exit(1);
    }
    void bytes(const void* data, std::size_t n) {
        if (std::fwrite(data, 1, n, file) != n) fail("cannot write");
    }
    void big32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        bytes(b, 4);
    }
    void little32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        bytes(b, 4);
    }
    void little16(uint32_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        bytes(b, 2);
    }
    void number(double v) { bytes(&v, 8); }  // little-endian hosts only
    void close() {
        if (std::fclose(file) != 0) fail("cannot close");
    }
};

struct XY {
    double x, y;
};

struct Column {
    const char* name;
    char type;
    uint8_t width;
    uint8_t decimals;
};

// The main file: header with the final length, then one record per feature.
void writeShpHeader(Output& out, uint32_t shapeType, uint64_t fileBytes) {
    out.big32(9994);
    for (int i = 0; i < 5; ++i) out.big32(0);
    out.big32(static_cast<uint32_t>(fileBytes / 2));
    out.little32(1000);
    out.little32(shapeType);
    const double box[8] = {14.0, 49.0, 24.5, 55.0, 0, 0, 0, 0};
    for (double v : box) out.number(v);
}

void writeDbfHeader(Output& out, const std::vector<Column>& columns, uint32_t records) {
    uint32_t recordLength = 1;
    for (const Column& c : columns) recordLength += c.width;
    uint8_t head[32] = {3, 126, 1, 1};
    std::memcpy(head + 4, &records, 4);
    uint32_t headerLength = 32 + 32 * static_cast<uint32_t>(columns.size()) + 1;
    head[8] = uint8_t(headerLength);
    head[9] = uint8_t(headerLength >> 8);
    head[10] = uint8_t(recordLength);
    head[11] = uint8_t(recordLength >> 8);
    out.bytes(head, 32);
    for (const Column& c : columns) {
        uint8_t d[32] = {};
        std::memcpy(d, c.name, std::strlen(c.name));
        d[11] = static_cast<uint8_t>(c.type);
        d[16] = c.width;
        d[17] = c.decimals;
        out.bytes(d, 32);
    }
    out.bytes("\r", 1);
}

// One field value, left-aligned text or right-aligned number, blank-padded.
void writeField(Output& out, const Column& column, const char* text) {
    char cell[256];
    std::size_t n = std::min<std::size_t>(std::strlen(text), column.width);
    std::memset(cell, ' ', column.width);
    if (column.type == 'C')
        std::memcpy(cell, text, n);
    else
        std::memcpy(cell + column.width - n, text, n);
    out.bytes(cell, column.width);
}

// Names in code page 1250, some short enough for road-number shields.
const char* const kNames[] = {"",        "",          "",   "DK7",       "S8",        "A4",
                              "Bia\xb3ka", "Le\x9cna",  "",   "ul. D\xb3uga", "Krakowska", "Szeroka",
                              "Zielona", "Pod Lasem", "",   "Warszawska", "Ko\x9c" "ciuszki", "Mickiewicza"};

std::string numberText(int64_t v) { return std::to_string(v); }

// A polyline or polygon record: type, box, one part, the points.
void writeMultiPoint(Output& out, uint32_t number, uint32_t shapeType, const std::vector<XY>& points) {
    uint32_t contentBytes = 44 + 4 + 16 * static_cast<uint32_t>(points.size());
    out.big32(number);
    out.big32(contentBytes / 2);
    out.little32(shapeType);
    XY low = points[0], high = points[0];
    for (const XY& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    out.number(low.x);
    out.number(low.y);
    out.number(high.x);
    out.number(high.y);
    out.little32(1);
    out.little32(static_cast<uint32_t>(points.size()));
    out.little32(0);
    for (const XY& p : points) {
        out.number(p.x);
        out.number(p.y);
    }
}

XY randomStart(Random& random) { return {14.1 + 10.2 * random.unit(), 49.1 + 5.7 * random.unit()}; }

uint64_t writeRoads(const std::string& base, uint32_t count) {
    constexpr uint32_t kVertices = 50;
    Random random;
    Output shp(base + ".shp"), dbf(base + ".dbf");
    writeShpHeader(shp, 3, 100 + uint64_t{count} * (8 + 48 + 16 * kVertices));
    const std::vector<Column> columns = {{"TUC", 'N', 4, 0}, {"RTT", 'N', 4, 0}, {"NAM", 'C', 30, 0},
                                         {"USE", 'N', 4, 0}};
    writeDbfHeader(dbf, columns, count);
    const int kTuc[] = {2, 4, 4, 4, 6, 36, 42, 0, 17};
    const int kRtt[] = {14, 14, 15, 16, 0, 3, 984};
    const int kUse[] = {4, 5, 6, 16, 23, 33, 37, 113, 114, 0};
    std::vector<XY> points(kVertices);
    for (uint32_t i = 0; i < count; ++i) {
        XY p = randomStart(random);
        for (XY& point : points) {
            point = p;
            p.x += (random.unit() - 0.5) * 0.002;
            p.y += (random.unit() - 0.5) * 0.0014;
        }
        writeMultiPoint(shp, i + 1, 3, points);
        dbf.bytes(" ", 1);
        writeField(dbf, columns[0], numberText(random.pick(kTuc)).c_str());
        writeField(dbf, columns[1], numberText(random.pick(kRtt)).c_str());
        writeField(dbf, columns[2], random.pick(kNames));
        writeField(dbf, columns[3], numberText(random.pick(kUse)).c_str());
    }
    dbf.bytes("\x1a", 1);
    shp.close();
    dbf.close();
    return uint64_t{count} * kVertices;
}

uint64_t writeForests(const std::string& base, uint32_t count) {
    constexpr uint32_t kVertices = 40;  // the last repeats the first
    Random random;
    Output shp(base + ".shp"), dbf(base + ".dbf");
    writeShpHeader(shp, 5, 100 + uint64_t{count} * (8 + 48 + 16 * kVertices));
    const std::vector<Column> columns = {{"NAM", 'C', 30, 0}, {"TRE", 'N', 4, 0}, {"VEG", 'N', 4, 0},
                                         {"PHT", 'N', 4, 0},  {"SDS", 'N', 6, 2}, {"TSC", 'N', 4, 0}};
    writeDbfHeader(dbf, columns, count);
    const int kTre[] = {0, 1, 2, 2, 3, 501, 502, 503, 504, 7};
    const int kVeg[] = {0, 12, 25, 27, 28, 30, 31, 31, 33, 46, 501, 502, 999};
    std::vector<XY> points(kVertices);
    for (uint32_t i = 0; i < count; ++i) {
        XY centre = randomStart(random);
        double radius = 0.0005 + 0.02 * random.unit();
        for (uint32_t k = 0; k + 1 < kVertices; ++k) {
            double angle = 6.283185307179586 * k / (kVertices - 1);
            double r = radius * (0.8 + 0.4 * random.unit());
            points[k] = {centre.x + r * std::cos(angle), centre.y + 0.6 * r * std::sin(angle)};
        }
        points[kVertices - 1] = points[0];
        writeMultiPoint(shp, i + 1, 5, points);
        dbf.bytes(" ", 1);
        writeField(dbf, columns[0], random.below(8) == 0 ? random.pick(kNames) : "");
        writeField(dbf, columns[1], numberText(random.pick(kTre)).c_str());
        writeField(dbf, columns[2], numberText(random.pick(kVeg)).c_str());
        writeField(dbf, columns[3], numberText(random.below(30)).c_str());
        char sds[16];
        std::snprintf(sds, sizeof sds, "%u.%02u", random.below(2), random.below(100));
        writeField(dbf, columns[4], sds);
        writeField(dbf, columns[5], numberText(random.below(10)).c_str());
    }
    dbf.bytes("\x1a", 1);
    shp.close();
    dbf.close();
    return uint64_t{count} * kVertices;
}

uint64_t writeBuildings(const std::string& base, uint32_t count) {
    Random random;
    Output shp(base + ".shp"), dbf(base + ".dbf");
    writeShpHeader(shp, 1, 100 + uint64_t{count} * 28);
    const std::vector<Column> columns = {{"NAM", 'C', 30, 0}, {"BFC", 'N', 4, 0}, {"HWT", 'N', 4, 0}};
    writeDbfHeader(dbf, columns, count);
    const int kBfc[] = {0, 0, 0, 1, 6, 7, 9, 12, 15, 16, 16, 17, 20, 24, 27, 32, 35, 50, 999, 1000};
    const int kHwt[] = {0, 0, 0, 0, 0, 0, 0, 2, 3, 4, 5, 20, 22};
    for (uint32_t i = 0; i < count; ++i) {
        XY p = randomStart(random);
        shp.big32(i + 1);
        shp.big32(10);
        shp.little32(1);
        shp.number(p.x);
        shp.number(p.y);
        dbf.bytes(" ", 1);
        writeField(dbf, columns[0], random.below(10) == 0 ? random.pick(kNames) : "");
        writeField(dbf, columns[1], numberText(random.pick(kBfc)).c_str());
        writeField(dbf, columns[2], numberText(random.pick(kHwt)).c_str());
    }
    dbf.bytes("\x1a", 1);
    shp.close();
    dbf.close();
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_layers road|forest|building <path without extension> <features>\n");
        return 2;
    }
    std::string kind = argv[1];
    uint32_t count = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    uint64_t vertices;
    if (kind == "road")
        vertices = writeRoads(argv[2], count);
    else if (kind == "forest")
        vertices = writeForests(argv[2], count);
    else if (kind == "building")
        vertices = writeBuildings(argv[2], count);
    else
        return 2;
    std::printf("%llu\n", static_cast<unsigned long long>(vertices));
    return 0;
}
