// Layers streamed through the windows and read whole give the same map; a
// file that shrinks under the walk ends it cleanly.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "input/dbf.hpp"
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

// A layer of `count` features of one geometry, named and coded; `reversed`
// numbers the records from the last table row to the first, in a table whose
// header makes its records shorter than its fields, so that each value read
// runs on into the next record.
void writeLayer(const TempDir& dir, const std::string& name, uint32_t count, uint32_t shapeType,
                bool reversed = false) {
    std::vector<ShpRecord> records;
    std::vector<std::vector<std::string>> rows;
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<XY> points;
        // One line larger than the stream's window of 128 KiB.
        uint32_t vertices = shapeType == 3 && i == count / 2 ? 20000 : 2 + i % 61;
        for (uint32_t k = 0; k < vertices; ++k) points.push_back(vertex(i, k));
        const int64_t number = reversed ? int64_t{count - i} : -1;
        if (shapeType == 1) records.push_back({pointShape(points[0].x, points[0].y), number});
        if (shapeType == 3) records.push_back({polylineShape({points, {vertex(i, 90), vertex(i, 91)}})});
        if (shapeType == 5) {
            points.resize(std::max<std::size_t>(points.size(), 4));
            points.back() = points.front();
            records.push_back({polygonShape({points, {vertex(i, 95), vertex(i, 96), vertex(i, 97), vertex(i, 95)}})});
        }
        rows.push_back({i % 3 ? "Nazwa " + std::to_string(i) : "", std::to_string(i % 7)});
    }
    writeFile(dir.file(name + ".shp"), buildShp(records, {.shapeType = shapeType}));
    writeFile(dir.file(name + ".dbf"), buildDbf({{"NAM", 'C', 20}, {"RGC", 'N', 4}}, rows,
                                                {.recordLength = reversed ? 16 : -1}));
}

// The map written and the messages.
std::pair<std::string, std::string> convert(const TempDir& dir, const std::vector<std::string>& layers, bool streamed) {
    input::streamInputFiles = streamed;
    std::string path = dir.file(streamed ? "streamed.mp" : "read.mp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(mp::openMap(path.c_str(), 1, "test"), 1);
    for (const std::string& layer : layers) layers::dispatchLayerFile(dir.file(layer + ".shp").c_str());
    EXPECT_EQ(mp::closeMap(), 1);
    std::string messages = testing::internal::GetCapturedStderr();
    input::streamInputFiles = true;
    return {readFile(path), messages};
}

// The points' records are numbered backwards, so their table is read from its
// end to its start.
TEST(StreamedInput, GivesTheMapOfThePlainReadByteForByte) {
    TempDir dir;
    writeLayer(dir, "RAILRDL", 6000, 3);
    writeLayer(dir, "SCRUBA", 3000, 5);
    writeLayer(dir, "HUTP", 20000, 1, true);
    const std::vector<std::string> layers = {"RAILRDL", "SCRUBA", "HUTP"};
    const auto [streamed, streamedMessages] = convert(dir, layers, true);
    const auto [read, readMessages] = convert(dir, layers, false);
    // Every feature became an object: the two maps are not equal by being empty.
    std::size_t objects = 0;
    for (std::size_t p = streamed.find("[END]\n"); p != std::string::npos; p = streamed.find("[END]\n", p + 1))
        ++objects;
    EXPECT_EQ(objects, 6000u + 3000u + 20000u);
    EXPECT_GT(streamed.size(), 8000000u);
    EXPECT_TRUE(streamed == read);
    EXPECT_EQ(streamedMessages, readMessages);
}

// A shapefile or table cut short by another process while it is streamed:
// the walk ends at the first record lost, with one message.
TEST(StreamedInput, AFileTruncatedWhileReadEndsWithAReadError) {
    TempDir dir;
    writeLayer(dir, "HUTP", 2000, 1);
    std::string shpPath = dir.file("HUTP.shp"), dbfPath = dir.file("HUTP.dbf");
    testing::internal::CaptureStderr();
    input::InputFile shp, dbf;
    ASSERT_EQ(input::loadInputFile(shpPath.c_str(), shp, 100), 1);
    ASSERT_EQ(input::loadInputFile(dbfPath.c_str(), dbf, 65536), 1);
    ASSERT_TRUE(shp.stream && dbf.stream && !shp.data && !dbf.data);
    input::DbfTable table = input::openDbfTable(dbfPath.c_str(), dbf);
    input::DbfField name;
    ASSERT_EQ(input::findDbfField(table, "NAM", name, 0), 0);
    // What another process may do to a file while it is being converted.
    ASSERT_EQ(truncate(shpPath.c_str(), 2 * kPage), 0);
    ASSERT_EQ(truncate(dbfPath.c_str(), 3 * kPage), 0);
    std::vector<uint32_t> seen;
    input::walkShapeRecords(input::ShpFile{shpPath.c_str(), nullptr, shp.length, shp.stream},
                            [&](const input::ShapeRecord& record) {
                                EXPECT_EQ(record.content[0], 1);
                                seen.push_back(record.number);
                            });
    // 100 + 289 × 28 bytes fill the two pages left; the walk ends there.
    EXPECT_EQ(seen.size(), 289u);
    EXPECT_EQ(seen.back(), 289u);
    // The table's header holds 97 bytes and its records 25: 487 of them fit.
    for (uint32_t n = 1; n <= 500; ++n) {
        const uint8_t* record = input::dbfRecord(table, n);
        ASSERT_EQ(record != nullptr, n <= 487) << n;
        if (!record) continue;
        const std::string expected = (n - 1) % 3 ? "Nazwa " + std::to_string(n - 1) : "";
        EXPECT_EQ(input::dbfText(input::dbfValue(table, record, name)), expected) << n;
    }
    EXPECT_TRUE(input::dbfReadFailed());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "blad odczytu pliku " + shpPath + "\nblad odczytu pliku " + dbfPath + "\n");
}

}  // namespace
