// The sample sheets as GIS tools see them: GDAL opens every layer with the
// features and extent the converter reads, and copies each kind of geometry
// into the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "input/shp.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A program found on the PATH, as a user runs it.
RunResult tool(const std::string& directory, const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), name);
    return runProgram(directory, "/usr/bin/env", args);
}

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
        double box[4];  // Xmin, Ymin, Xmax, Ymax
        if (type == 0) {
            return;  // a feature without a place
        } else if (type == 1) {
            box[0] = box[2] = input::readLittleEndianDouble(record.content + 4);
            box[1] = box[3] = input::readLittleEndianDouble(record.content + 12);
        } else {
            for (int i = 0; i < 4; ++i) box[i] = input::readLittleEndianDouble(record.content + 4 + 8 * i);
        }
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

// The "Feature Count" and "Extent" lines of ogrinfo's summary.
std::string ogrSummary(const std::string& report) {
    std::string lines;
    for (const char* key : {"Feature Count: ", "Extent: "}) {
        std::size_t at = report.find(std::string("\n") + key);
        if (at != std::string::npos) lines += report.substr(at + 1, report.find('\n', at + 1) - at);
    }
    return lines;
}

TEST(SampleFiles, GdalOpensEveryLayerAsTheConverterReadsIt) {
    TempDir dir;
    ASSERT_EQ(runProgram(dir.path, SAMPLE_SHEETS_EXE, {dir.path}).exitCode, 0);
    int layers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path)) {
        std::string extension = entry.path().extension().string();
        if (extension != ".shp" && extension != ".SHP") continue;
        ++layers;
        std::string path = entry.path().string();
        RunResult info = tool(dir.path, "ogrinfo", {"-al", "-so", path});
        EXPECT_EQ(info.exitCode, 0) << path << "\n" << info.err;
        EXPECT_EQ(info.err, "") << path;
        EXPECT_EQ(ogrSummary(info.out), summaryOf(path)) << path;
    }
    EXPECT_EQ(layers, 68);

    // One layer of each geometry copied by GDAL: the same main file and index.
    fs::create_directory(dir.file("copy"));
    for (const char* layer : {"m34131ab/ROADL.SHP", "m34131ab/FORESTA.shp", "m34131cd/BUILDNGP.shp"}) {
        std::string source = dir.file(layer);
        std::string copy = dir.file("copy/" + fs::path(layer).stem().string() + ".shp");
        RunResult run = tool(dir.path, "ogr2ogr", {"-f", "ESRI Shapefile", copy, source});
        ASSERT_EQ(run.exitCode, 0) << layer << "\n" << run.err;
        EXPECT_TRUE(readFile(copy) == readFile(source)) << layer;
        std::string index = source.substr(0, source.size() - 1) + (source.back() == 'P' ? "X" : "x");
        EXPECT_TRUE(readFile(fs::path(copy).replace_extension(".shx").string()) == readFile(index)) << layer;
    }
}

TEST(ShapefileWriter, HeaderRangesCoverEveryRecord) {
    struct Case {
        const char* what;
        std::vector<ShpRecord> records;
        double ranges[8];  // Xmin, Ymin, Xmax, Ymax, Zmin, Zmax, Mmin, Mmax
    };
    const Bytes line = polylineShape({{{19.5, 50.2}, {19.7, 50.1}}});
    const Case cases[] = {
        {"points and a null shape", {{pointShape(19.6, 50.0)}, {nullShape()}, {pointShape(19.5, 50.3)}},
         {19.5, 50.0, 19.6, 50.3, 0, 0, 0, 0}},
        {"lines with heights and measures", {{raisedShape(line, 13, 7)}, {raisedShape(line, 13, -2)}},
         {19.5, 50.1, 19.7, 50.2, -2, 7, -2, 7}},
        {"points with measures", {{raisedShape(pointShape(19.6, 50.0), 21, 4)}},
         {19.6, 50.0, 19.6, 50.0, 0, 0, 4, 4}},
        {"a record too short for its type", {{rawShape(5, "short")}, {line}}, {19.5, 50.1, 19.7, 50.2, 0, 0, 0, 0}},
        {"no records", {}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Bytes& file : {buildShp(c.records), buildShx(c.records)}) {
            double ranges[8];
            std::memcpy(ranges, file.data() + 36, sizeof ranges);
            EXPECT_EQ(std::vector<double>(ranges, ranges + 8), std::vector<double>(c.ranges, c.ranges + 8));
        }
    }
}

}  // namespace
