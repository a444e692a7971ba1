// Rate of writeShapeRecord on polyline and polygon records into a real map
// file (in the current directory, removed at the end).
//
// Usage: writers_bench [records [points per record]]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "catalog/catalog.hpp"
#include "mp/output_map.hpp"
#include "mp/writers.hpp"

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putDouble(std::vector<uint8_t>& out, double v) {
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    out.insert(out.end(), bytes, bytes + 8);
}

// One ring or line of `points` points around a map sheet position.
std::vector<uint8_t> record(uint32_t shapeType, uint32_t points, std::mt19937_64& random) {
    std::uniform_real_distribution<double> lat(49.0, 55.0), lon(14.0, 24.0), step(-0.001, 0.001);
    std::vector<uint8_t> out;
    put32(out, shapeType);
    double x = lon(random), y = lat(random);
    for (double v : {x - 0.1, y - 0.1, x + 0.1, y + 0.1}) putDouble(out, v);
    put32(out, 1);
    put32(out, points);
    put32(out, 0);
    for (uint32_t i = 0; i + 1 < points; ++i) {
        putDouble(out, x + step(random));
        putDouble(out, y + step(random));
    }
    // The last point repeats the first: a closed ring for polygons.
    out.insert(out.end(), out.begin() + 48, out.begin() + 64);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    uint32_t points = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 50;
    if (points < 4) points = 4;
    std::mt19937_64 random(99);
    std::vector<std::vector<uint8_t>> lines, areas;
    for (int i = 0; i < 1000; ++i) {
        lines.push_back(record(3, points, random));
        areas.push_back(record(5, points, random));
    }
    catalog::ObjectType road{"ol_droga", 0x06, 0, 3, "", 0, 0, 0};
    catalog::ObjectType wood{"oa_las", 0x50, 0, 2, "", 0x2800, 0, 1};
    const char* path = "writers_bench.mp";
    if (!mp::openMap(path, 1, "bench")) return 1;

    std::clock_t start = std::clock();  // CPU time (user and system): the machine is shared
    for (std::size_t i = 0; i < records; ++i) {
        const auto& line = lines[i % lines.size()];
        const auto& area = areas[i % areas.size()];
        mp::writeShapeRecord(path, line.data(), static_cast<uint32_t>(line.size()), road, road.TypG, road.LevelM,
                             "Droga krajowa", 0, 0);
        mp::writeShapeRecord(path, area.data(), static_cast<uint32_t>(area.size()), wood, wood.TypG, wood.LevelM,
                             "Las", 0, 0);
    }
    mp::closeMap();
    double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    std::remove(path);
    double pairs = 2.0 * static_cast<double>(records) * points;
    std::printf("%zu polylines and %zu polygons of %u points: %.2f s CPU, %.1f M coordinate pairs/s\n", records,
                records, points, seconds, pairs / seconds / 1e6);
    return 0;
}
