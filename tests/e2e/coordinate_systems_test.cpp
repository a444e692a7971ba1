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

// The numbers of a map's points "(latitude,longitude)" in order; each point
// in the map becomes "(#)".
std::vector<double> takePoints(std::string& map) {
    static const std::regex point(R"(\((-?[0-9.]+),(-?[0-9.]+)\))");
    std::vector<double> numbers;
    for (std::sregex_iterator it(map.begin(), map.end(), point), end; it != end; ++it)
        numbers.insert(numbers.end(), {std::stod((*it)[1]), std::stod((*it)[2])});
    map = std::regex_replace(map, point, "(#)");
    return numbers;
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
    std::string reference = mapObjects(original / "00000001.mp");
    ASSERT_GT(reference.size(), 10000u);
    const std::vector<double> referencePoints = takePoints(reference);
    for (const std::string& system : systems) {
        SCOPED_TRACE(system);
        EXPECT_EQ(runGeoconv(dir.file(system), args), expected);
        std::string map = mapObjects(dir.file(system + "/00000001.mp"));
        const std::vector<double> points = takePoints(map);
        EXPECT_EQ(map, reference);
        ASSERT_EQ(points.size(), referencePoints.size());
        double largest = 0;
        for (std::size_t i = 0; i < points.size(); ++i)
            largest = std::max(largest, std::fabs(points[i] - referencePoints[i]));
        EXPECT_LE(largest, 1e-7 + 1e-12);
    }
}

class LayerSystems : public Conversion {};

// A layer in WGS 84 degrees converts as without a .prj with any text of that
// system in one, whatever the letter case of the extension. A layer refused
// for its coordinates leaves no trace in the map but its message; the layers
// around it are converted.
TEST_F(LayerSystems, LayersAcceptedOrRefusedForTheirCoordinates) {
    writeNamedPoint(dir.file("good/HUTP"), "Dobra");
    const std::string good = comment("good/HUTP.shp") + hut("Dobra");
    for (std::vector<std::string> row : dataRows("layer_systems.tsv")) {
        SCOPED_TRACE(row[0]);
        row.resize(5);
        const std::string& prj = row[1];
        const std::string& err = row[4];
        const std::string path = row[0] + "/HUTP.shp";
        std::array<double, 4> box = {};
        std::istringstream(row[3]) >> box[0] >> box[1] >> box[2] >> box[3];
        layer(row[0] + "/HUTP", buildShp({{pointShape(pt(0).x, pt(0).y)}}, {.box = box}), buildDbf({{"NAM"}}, {{"x"}}));
        if (!prj.empty()) writeFile(dir.file(row[0] + "/" + prj), dataFile(row[2]));
        RunResult run = convert({"good/HUTP.shp", path, "good/HUTP.shp"}, err.empty() ? 0 : 2);
        EXPECT_EQ(run.err, err.empty() ? "" : err + (prj.empty() ? path : row[0] + "/" + prj) + "\n");
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
