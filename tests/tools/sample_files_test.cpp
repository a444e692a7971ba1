// The sample sheets as GIS tools see them: GDAL opens every layer with the
// features and extent the converter reads, and copies each kind of geometry
// into the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "input/shp.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// The record count and the extent of the records' coordinates, as the
// converter's record walk reads them, in ogrinfo's words.
std::string summaryOf(const std::string& path) {
    std::string bytes = readFile(path);
    input::ShpFile shp{path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                       static_cast<uint32_t>(bytes.size())};
    EXPECT_EQ(input::checkShpHeader(shp.path, shp.contents, shp.length), 1) << path;
    int count = 0, placed = 0;
    double low[2] = {0, 0}, high[2] = {0, 0};
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& record) {
        ++count;
        uint32_t type = record.length >= 4 ? input::readLittleEndian32(record.content) : 0;
        if (type == 0) return;  // a feature without a place
        double box[4];          // Xmin, Ymin, Xmax, Ymax; a point's own place twice
        for (int i = 0; i < 4; ++i)
            box[i] = input::readLittleEndianDouble(record.content + 4 + 8 * (type == 1 ? i % 2 : i));
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = placed ? std::min(low[axis], box[axis]) : box[axis];
            high[axis] = placed ? std::max(high[axis], box[axis + 2]) : box[axis + 2];
        }
        ++placed;
    });
    char text[200];
    std::snprintf(text, sizeof text, "Feature Count: %d\nExtent: (%f, %f) - (%f, %f)\n", count, low[0], low[1],
                  high[0], high[1]);
    return text;
}

// ogrinfo opens each directory of the sheets once, every layer in it: the
// "Feature Count" and "Extent" lines of each layer's summary, by its path.
TEST(SampleFiles, GdalOpensEveryLayerAsTheConverterReadsIt) {
    TempDir dir;
    ASSERT_EQ(runProgram(dir.path, SAMPLE_SHEETS_EXE, {dir.path}).exitCode, 0);
    std::map<std::string, std::string> gdal, converter;
    for (const char* folder : {"m34131ab", "m34131ab/Jeziora", "m34131cd"}) {
        RunResult info = runProgram(dir.path, "/usr/bin/env", {"ogrinfo", "-al", "-so", folder});
        EXPECT_EQ(info.exitCode, 0) << folder << "\n" << info.err;
        EXPECT_EQ(info.err, "") << folder;
        std::string* layer = nullptr;
        for (std::size_t at = 0, end; at < info.out.size(); at = end + 1) {
            end = info.out.find('\n', at);
            std::string line = info.out.substr(at, end - at + 1);
            if (line.starts_with("Layer name: ")) layer = &gdal[(fs::path(folder) / line.substr(12, line.size() - 13))];
            else if (layer && (line.starts_with("Feature Count: ") || line.starts_with("Extent: "))) *layer += line;
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path)) {
        std::string extension = entry.path().extension().string();
        if (extension == ".shp" || extension == ".SHP")
            converter[fs::relative(entry.path(), dir.path).replace_extension().string()] = summaryOf(entry.path());
    }
    EXPECT_EQ(converter.size(), 68u);
    EXPECT_EQ(gdal, converter);

    // One layer of each geometry copied by GDAL: the same main file and index.
    for (const char* layer : {"m34131ab/ROADL.SHP", "m34131ab/FORESTA.shp", "m34131cd/BUILDNGP.shp"}) {
        std::string source = dir.file(layer), copy = dir.file(fs::path(layer).stem().string() + "-copy.shp");
        RunResult run = runProgram(dir.path, "/usr/bin/env", {"ogr2ogr", "-f", "ESRI Shapefile", copy, source});
        ASSERT_EQ(run.exitCode, 0) << layer << "\n" << run.err;
        EXPECT_TRUE(readFile(copy) == readFile(source)) << layer;
        std::string index = source.substr(0, source.size() - 1) + (source.back() == 'P' ? "X" : "x");
        EXPECT_TRUE(readFile(fs::path(copy).replace_extension(".shx")) == readFile(index)) << layer;
    }
}

TEST(ShapefileWriter, HeaderRangesCoverEveryRecord) {
    const Bytes line = polylineShape({{{19.5, 50.2}, {19.7, 50.1}}});
    const struct {
        const char* what;
        std::vector<ShpRecord> records;
        std::vector<double> ranges;  // Xmin, Ymin, Xmax, Ymax, Zmin, Zmax, Mmin, Mmax
    } cases[] = {
        {"points and a null shape", {{pointShape(19.6, 50.0)}, {nullShape()}, {pointShape(19.5, 50.3)}},
         {19.5, 50.0, 19.6, 50.3, 0, 0, 0, 0}},
        {"lines with heights and measures", {{raisedShape(line, 13, 7)}, {raisedShape(line, 13, -2)}},
         {19.5, 50.1, 19.7, 50.2, -2, 7, -2, 7}},
        {"points with measures", {{raisedShape(pointShape(19.6, 50.0), 21, 4)}}, {19.6, 50.0, 19.6, 50.0, 0, 0, 4, 4}},
        {"a record too short for its type", {{rawShape(5, "short")}, {line}}, {19.5, 50.1, 19.7, 50.2, 0, 0, 0, 0}},
        {"no records", {}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Bytes& file : {buildShp(c.records), buildShx(c.records)}) {
            std::vector<double> ranges(8);
            std::memcpy(ranges.data(), file.data() + 36, 8 * sizeof(double));
            EXPECT_EQ(ranges, c.ranges);
        }
    }
}

}  // namespace
