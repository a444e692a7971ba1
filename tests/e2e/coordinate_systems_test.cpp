// Layers in coordinate systems other than WGS 84 degrees: converted into
// degrees, or refused before their comment line reaches the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// The largest difference between the points "(latitude,longitude)" of two
// maps, whose text must be the same but for the numbers of their points.
double pointDistance(const std::string& expected, const std::string& actual) {
    static const std::regex point(R"(\((-?[0-9.]+),(-?[0-9.]+)\))");
    EXPECT_EQ(std::regex_replace(actual, point, "(#)"), std::regex_replace(expected, point, "(#)"));
    std::sregex_iterator a(expected.begin(), expected.end(), point), b(actual.begin(), actual.end(), point), end;
    double largest = 0;
    for (; a != end && b != end; ++a, ++b)
        for (int i : {1, 2}) largest = std::max(largest, std::fabs(std::stod((*a)[i]) - std::stod((*b)[i])));
    return largest;
}

// The sample sheets reprojected into each system convert to the maps of the
// sheets in WGS 84: the same objects, types, labels, levels and messages, the
// coordinates within 1e-7 degrees. The copies keep the original tables, so
// that only the geometry went through ogr2ogr.
TEST(CoordinateSystems, ReprojectedSampleSheetsConvertLikeTheirOriginals) {
    TempDir dir;
    const fs::path original = dir.file("wgs84");
    RunResult samples = runProgram(dir.path, SAMPLE_SHEETS_EXE, {original.string()});
    ASSERT_EQ(samples.exitCode, 0) << samples.err;
    std::vector<std::string> layers, args = {"-i", "1", "Test"};
    std::set<fs::path> sheets;
    for (const auto& entry : fs::recursive_directory_iterator(original))
        if (entry.path().extension() == ".shp" || entry.path().extension() == ".SHP") {
            layers.push_back(fs::relative(entry.path(), original).string());
            sheets.insert(fs::path(layers.back()).parent_path());
        }
    ASSERT_GT(layers.size(), 60u);
    std::sort(layers.begin(), layers.end());
    args.insert(args.end(), layers.begin(), layers.end());

    const std::string systems[] = {"2180", "2177", "32634", "3857", "4258"};
    for (const std::string& system : systems) {
        // One ogr2ogr run per directory; each layer then takes the original's
        // name (ogr2ogr writes its own letter case) and table.
        for (const fs::path& sheet : sheets) {
            fs::path made = fs::path(dir.file("made")) / system / sheet;
            fs::create_directories(made);
            RunResult run = runProgram(dir.path, "/usr/bin/env",
                                       {"ogr2ogr", "--config", "SHAPE_RESTORE_SHX", "YES", "--config", "SHAPE_ENCODING",
                                        "", "-s_srs", "EPSG:4326", "-t_srs", "EPSG:" + system, made.string(),
                                        (original / sheet).string()});
            ASSERT_EQ(run.exitCode, 0) << sheet << ": " << run.err;
        }
        for (const std::string& layer : layers) {
            fs::path from = original / layer, to = fs::path(dir.file(system)) / layer;
            fs::path made = fs::path(dir.file("made")) / system / fs::path(layer).replace_extension(".shp");
            fs::create_directories(to.parent_path());
            fs::rename(made, to);
            fs::rename(made.replace_extension(".prj"), fs::path(to).replace_extension(".prj"));
            for (const char* table : {".dbf", ".DBF"})
                if (fs::exists(fs::path(from).replace_extension(table)))
                    fs::copy_file(fs::path(from).replace_extension(table), fs::path(to).replace_extension(table));
        }
    }
    // After ogr2ogr, which restores missing index files beside the originals.
    RunResult expected = runGeoconv(original.string(), args);
    const std::string reference = mapObjects(original / "00000001.mp");
    ASSERT_GT(reference.size(), 10000u);
    for (const std::string& system : systems) {
        SCOPED_TRACE(system);
        EXPECT_EQ(runGeoconv(dir.file(system), args), expected);
        EXPECT_LE(pointDistance(reference, mapObjects(dir.file(system + "/00000001.mp"))), 1e-7 + 1e-12);
    }
}

class LayerSystems : public Conversion {};

// Each layer of the table between two others: converted, or refused for its
// coordinates, leaving no trace in the map but its message.
TEST_F(LayerSystems, LayersAcceptedOrRefusedForTheirCoordinates) {
    writeNamedPoint(dir.file("good/HUTP"), "Dobra");
    const std::string good = comment("good/HUTP.shp") + hut("Dobra");
    for (std::vector<std::string> row : dataRows("layer_systems.tsv")) {
        SCOPED_TRACE(row[0]);
        row.resize(5);
        const std::string &prj = row[1], &err = row[4];
        const std::string path = row[0] + "/HUTP.shp";
        std::array<double, 4> box = {};
        std::istringstream(row[3]) >> box[0] >> box[1] >> box[2] >> box[3];
        layer(row[0] + "/HUTP", buildShp({{pointShape(pt(0).x, pt(0).y)}}, {.box = box}), buildDbf({{"NAM"}}, {{"x"}}));
        if (!prj.empty()) writeFile(dir.file(row[0] + "/" + prj), dataFile(row[2]));
        EXPECT_EQ(convert({"good/HUTP.shp", path, "good/HUTP.shp"}, err.empty() ? 0 : 2).err, err);
        EXPECT_EQ(objects(), err.empty() ? good + comment(path) + hut("x") + good : good + good);
    }
}

// A point outside the domain of the layer's projection drops its record with
// a message; the others convert (in degrees) as in a layer without it.
TEST_F(LayerSystems, PointsThatCannotBeTransformedDropTheirRecords) {
    XY inside{400000, 5540000}, outside{1e9, 5540000};
    layer("HUTP", buildShp({{pointShape(inside.x, inside.y)}, {pointShape(outside.x, outside.y)},
                            {pointShape(inside.x + 10, inside.y)}}), buildDbf({{"NAM"}}, {{"a"}, {"b"}, {"c"}}));
    layer("FENCEL", buildShp({{polylineShape({{inside, outside}})}, {polylineShape({{inside, {410000, 5550000}}})}},
                             {.shapeType = 3}), buildDbf({{"NAM"}}, {{"a"}, {"b"}}));
    for (const char* prj : {"HUTP.prj", "FENCEL.prj"}) writeFile(dir.file(prj), dataFile("utm34_esri.prj"));
    EXPECT_EQ(convert({"HUTP.shp", "FENCEL.shp"}).err,
              "blad przeliczenia wspolrzednych, rekord 2, plik HUTP.shp\n"
              "blad przeliczenia wspolrzednych, rekord 1, plik FENCEL.shp\n");
    expectAsFile("untransformable_records.mp", objects());
}

}  // namespace
