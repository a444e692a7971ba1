// Layers read through the fast path (shapefiles streamed through a window,
// tables mapped) and through a plain read give the same map; a file that
// shrinks under the walk ends it cleanly.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "input/shp.hpp"
#include "layers/dispatch.hpp"
#include "mp/output_map.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

using namespace testsupport;

namespace {

constexpr std::size_t kPage = 4096;

// Coordinates with every fraction digit in use, as real data has them.
XY vertex(uint32_t record, uint32_t k) {
    return {14.0 + record * 0.000123456789 + k * 0.0000731, 49.0 + record * 0.0000987654321 - k * 0.0000411};
}

// Pads the main file with stray bytes to a whole number of pages, so that the
// walk's last read is the last byte before the mapping's guard page.
Bytes pageAligned(std::vector<ShpRecord> records, uint32_t shapeType) {
    std::size_t size = buildShp(records, {.shapeType = shapeType}).size();
    return buildShp(records, {.shapeType = shapeType, .trailing = Bytes((kPage - size % kPage) % kPage, '\x55')});
}

// A layer of `count` features of one geometry, named and coded.
void writeLayer(const TempDir& dir, const std::string& name, uint32_t count, uint32_t shapeType) {
    std::vector<ShpRecord> records;
    std::vector<std::vector<std::string>> rows;
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<XY> points;
        // One line larger than the stream's window of 256 KiB.
        uint32_t vertices = shapeType == 3 && i == count / 2 ? 20000 : 2 + i % 61;
        for (uint32_t k = 0; k < vertices; ++k) points.push_back(vertex(i, k));
        if (shapeType == 1) records.push_back({pointShape(points[0].x, points[0].y)});
        if (shapeType == 3) records.push_back({polylineShape({points, {vertex(i, 90), vertex(i, 91)}})});
        if (shapeType == 5) {
            points.resize(std::max<std::size_t>(points.size(), 4));
            points.back() = points.front();
            records.push_back({polygonShape({points, {vertex(i, 95), vertex(i, 96), vertex(i, 97), vertex(i, 95)}})});
        }
        rows.push_back({i % 3 ? "Nazwa " + std::to_string(i) : "", std::to_string(i % 7)});
    }
    writeFile(dir.file(name + ".shp"), pageAligned(records, shapeType));
    writeFile(dir.file(name + ".dbf"), buildDbf({{"NAM", 'C', 20}, {"RGC", 'N', 4}}, rows));
}

struct Converted {
    std::string map;
    std::string messages;
};

Converted convert(const TempDir& dir, const std::vector<std::string>& layers, bool mapped) {
    input::mapInputFiles = mapped;
    std::string path = dir.file(mapped ? "mapped.mp" : "read.mp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(mp::openMap(path.c_str(), 1, "test"), 1);
    for (const std::string& layer : layers) layers::dispatchLayerFile(dir.file(layer + ".shp").c_str());
    EXPECT_EQ(mp::closeMap(), 1);
    std::string messages = testing::internal::GetCapturedStderr();
    input::mapInputFiles = true;
    return {readFile(path), messages};
}

TEST(MappedInput, GivesTheMapOfThePlainReadByteForByte) {
    TempDir dir;
    writeLayer(dir, "RAILRDL", 6000, 3);
    writeLayer(dir, "SCRUBA", 3000, 5);
    writeLayer(dir, "HUTP", 20000, 1);
    const std::vector<std::string> layers = {"RAILRDL", "SCRUBA", "HUTP"};
    Converted mapped = convert(dir, layers, true);
    Converted read = convert(dir, layers, false);
    // Every feature became an object: the two maps are not equal by being empty.
    std::size_t objects = 0;
    for (std::size_t p = mapped.map.find("[END]\n"); p != std::string::npos; p = mapped.map.find("[END]\n", p + 1))
        ++objects;
    EXPECT_EQ(objects, 6000u + 3000u + 20000u);
    EXPECT_GT(mapped.map.size(), 8000000u);
    EXPECT_TRUE(mapped.map == read.map);
    EXPECT_EQ(mapped.messages, read.messages);
}

// Mapped or streamed, the walk ends at the first record the file has lost.
TEST(MappedInput, AFileTruncatedWhileReadEndsTheWalkWithAReadError) {
    TempDir dir;
    std::string path = dir.file("HUTP.shp");
    std::vector<ShpRecord> records;
    for (uint32_t i = 0; i < 2000; ++i) records.push_back({pointShape(vertex(i, 0).x, vertex(i, 0).y)});
    for (bool streamed : {false, true}) {
        SCOPED_TRACE(streamed ? "streamed" : "mapped");
        writeFile(path, buildShp(records));
        testing::internal::CaptureStderr();
        {
            input::InputFile file;
            input::StreamedFile stream;
            ASSERT_EQ(streamed ? input::openStreamedFile(path.c_str(), stream) : input::loadInputFile(path.c_str(), file), 1);
            ASSERT_TRUE(streamed || file.mapping);
            // What another process may do to a file while it is being converted.
            ASSERT_EQ(truncate(path.c_str(), 2 * kPage), 0);
            std::vector<uint32_t> seen;
            input::ShpFile shp = streamed ? input::ShpFile{path.c_str(), nullptr, stream.length, stream.stream}
                                          : input::ShpFile{path.c_str(), file.data, file.length};
            input::walkShapeRecords(shp, [&](const input::ShapeRecord& record) {
                EXPECT_EQ(record.content[0], 1);  // intact, not zeros
                seen.push_back(record.number);
            });
            // 100 + 289 × 28 bytes fill the two pages left; the walk ends there.
            EXPECT_EQ(seen.size(), 289u);
            EXPECT_EQ(seen.back(), 289u);
            EXPECT_EQ(input::mappedInputLost, !streamed);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "blad odczytu pliku " + path + "\n");
        EXPECT_FALSE(input::mappedInputLost);
    }
}

}  // namespace
