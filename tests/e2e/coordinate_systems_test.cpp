// Layers in coordinate systems other than WGS 84 degrees: converted into
// degrees, or refused before their comment line reaches the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "support/expected.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// .prj texts of the data files: WGS 84 as GDAL writes it (ESRI), in OGC WKT 1
// (with axes) and WKT 2 (with a byte order mark), UTM zone 34N, and others.
const std::string kUtm34 = dataFile("utm34_esri.prj");

// The numbers of a coordinate line, or none for any other line.
std::vector<double> coordinates(const std::string& line) {
    std::vector<double> numbers;
    if (line.rfind("Data0=(", 0) != 0) return numbers;
    for (std::size_t at = 6; at != std::string::npos; at = line.find_first_of("(,", at + 1))
        if (line[at + 1] != '(') numbers.push_back(std::strtod(line.c_str() + at + 1, nullptr));
    return numbers;
}

// The largest difference between the coordinates of two maps whose lines are
// otherwise equal; a failure names the first line that differs otherwise.
double coordinateDistance(const std::string& expected, const std::string& actual) {
    EXPECT_EQ(std::count(actual.begin(), actual.end(), '\n'), std::count(expected.begin(), expected.end(), '\n'));
    std::istringstream a(expected), b(actual);
    double largest = 0;
    for (std::string lineA, lineB; std::getline(a, lineA) && std::getline(b, lineB);) {
        std::vector<double> pa = coordinates(lineA), pb = coordinates(lineB);
        if (pa.empty() || pa.size() != pb.size()) {
            EXPECT_EQ(lineA, lineB);
            if (lineA != lineB) return largest;
        }
        for (std::size_t i = 0; i < pa.size() && i < pb.size(); ++i)
            largest = std::max(largest, std::fabs(pa[i] - pb[i]));
    }
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
        EXPECT_LE(coordinateDistance(reference, mapObjects(dir.file(system + "/00000001.mp"))), 1e-7 + 1e-12);
    }
}

class LayerSystems : public Conversion {};

// A layer in WGS 84 degrees converts as without a .prj with any text of that
// system in one, whatever the letter case of the extension. A layer refused
// for its coordinates leaves no trace in the map but its message; the layers
// around it are converted.
TEST_F(LayerSystems, LayersAcceptedOrRefusedForTheirCoordinates) {
    const std::string unknown = "nieznany uklad wspolrzednych w pliku ";
    const std::string degrees = "wspolrzedne poza zakresem stopni, plik ";
    const struct {
        const char* layer;
        const char* prjFile;  // null: none, and the message names the .shp
        std::string prj;
        std::array<double, 4> box;  // of the shapefile header
        std::string err;            // the message before the file's path; none: converted
    } cases[] = {
        {"esri", "HUTP.prj", dataFile("wgs84_esri.prj"), {}, ""},
        {"wkt1", "HUTP.PRJ", dataFile("wgs84_ogc1.prj"), {}, ""},
        {"wkt2", "HUTP.Prj", dataFile("wgs84_ogc2.prj"), {}, ""},
        {"garbage", "HUTP.Prj", "not a coordinate system", {}, unknown},
        {"empty", "HUTP.PRJ", "", {}, unknown},
        {"unbalanced", "HUTP.prj", kUtm34.substr(0, kUtm34.size() - 2), {}, unknown},
        {"nested", "HUTP.prj", std::string(5000, 'A') + std::string(5000, '[') + std::string(5000, ']'), {}, unknown},
        {"unknownprojection", "HUTP.prj", dataFile("unknown_projection.prj"), {}, unknown},
        {"geocentric", "HUTP.prj", dataFile("geocentric.prj"), {}, unknown},
        // Without a .prj the header must lie in degrees.
        {"east", nullptr, "", {19, 50, 245570.5, 50}, degrees},
        {"south", nullptr, "", {19, -535909, 19, 50}, degrees},
        {"edge", nullptr, "", {-180, -90, 180, 90}, ""},
    };
    writeNamedPoint(dir.file("good/HUTP"), "Dobra");
    const std::string good = comment("good/HUTP.shp") + hut("Dobra");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layer);
        const std::string path = std::string(c.layer) + "/HUTP.shp";
        layer(std::string(c.layer) + "/HUTP", buildShp({{pointShape(pt(0).x, pt(0).y)}}, {.box = c.box}),
              buildDbf({{"NAM"}}, {{"x"}}));
        if (c.prjFile) writeFile(dir.file(std::string(c.layer) + "/" + c.prjFile), c.prj);
        RunResult run = convert({"good/HUTP.shp", path, "good/HUTP.shp"}, c.err.empty() ? 0 : 2);
        const std::string named = c.prjFile ? std::string(c.layer) + "/" + c.prjFile : path;
        EXPECT_EQ(run.err, c.err.empty() ? "" : c.err + named + "\n");
        EXPECT_EQ(objects(), c.err.empty() ? good + comment(path) + hut("x") + good : good + good);
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
    for (const char* base : {"HUTP", "FENCEL"}) writeFile(dir.file(base + std::string(".prj")), kUtm34);
    EXPECT_EQ(convert({"HUTP.shp", "FENCEL.shp"}).err,
              "blad przeliczenia wspolrzednych, rekord 2, plik HUTP.shp\n"
              "blad przeliczenia wspolrzednych, rekord 1, plik FENCEL.shp\n");
    expectAsFile("untransformable_records.mp", objects());
}

}  // namespace
