// Layers in coordinate systems other than WGS 84 degrees: converted into
// degrees, or refused before their comment line reaches the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// .prj texts: WGS 84 as GDAL writes it (ESRI), in OGC WKT 1 (with axes) and
// WKT 2 (with a byte order mark), and UTM zone 34N.
std::string prjText(const char* name) { return readFile(std::string(GEOCONV_TEST_DATA "/") + name + ".prj"); }
const std::string kWgs84Esri = prjText("wgs84_esri"), kWgs84Wkt1 = prjText("wgs84_ogc1");
const std::string kWgs84Wkt2 = prjText("wgs84_ogc2"), kUtm34 = prjText("utm34_esri");

RunResult ogr2ogr(const std::string& directory, std::vector<std::string> args) {
    std::vector<std::string> command = {"ogr2ogr", "--config", "SHAPE_RESTORE_SHX", "YES",
                                        "--config", "SHAPE_ENCODING", ""};
    command.insert(command.end(), args.begin(), args.end());
    return runProgram(directory, "/usr/bin/env", command);
}

// The numbers of a coordinate line, or none for any other line.
std::vector<double> coordinates(const std::string& line) {
    std::vector<double> numbers;
    if (line.rfind("Data0=(", 0) != 0) return numbers;
    for (std::size_t at = line.find_first_of("(,"); at != std::string::npos; at = line.find_first_of("(,", at)) {
        ++at;
        if (at < line.size() && line[at] != '(') numbers.push_back(std::strtod(line.c_str() + at, nullptr));
    }
    return numbers;
}

// The largest difference between the coordinates of two maps whose lines are
// otherwise equal; a failure names the first line that differs otherwise.
double coordinateDistance(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string lineA, lineB;
    double largest = 0;
    for (int n = 1;; ++n) {
        bool moreA = static_cast<bool>(std::getline(a, lineA)), moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA || !moreB) {
            EXPECT_EQ(moreA, moreB) << "maps of different lengths at line " << n;
            return largest;
        }
        std::vector<double> pa = coordinates(lineA), pb = coordinates(lineB);
        if (pa.empty() || pa.size() != pb.size()) {
            EXPECT_EQ(lineA, lineB) << "line " << n;
            if (lineA != lineB) return largest;
            continue;
        }
        for (std::size_t i = 0; i < pa.size(); ++i) largest = std::max(largest, std::fabs(pa[i] - pb[i]));
    }
}

// Every layer of the sample sheets under root, by relative path, in order.
std::vector<std::string> sampleLayers(const std::string& root) {
    std::vector<std::string> layers;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string ext = entry.path().extension().string();
        if (ext == ".shp" || ext == ".SHP") layers.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(layers.begin(), layers.end());
    return layers;
}

// The sample sheets reprojected into each system convert to the maps of the
// sheets in WGS 84: the same objects, types, labels, levels and messages, the
// coordinates within 1e-7 degrees. The copies keep the original tables, so
// that only the geometry went through ogr2ogr.
TEST(CoordinateSystems, ReprojectedSampleSheetsConvertLikeTheirOriginals) {
    TempDir dir;
    const std::string original = dir.file("wgs84");
    RunResult samples = runProgram(dir.path, SAMPLE_SHEETS_EXE, {original});
    ASSERT_EQ(samples.exitCode, 0) << samples.err;
    // ogr2ogr restores the index files it needs beside the originals: made
    // before the reference run, they are in both trees.
    std::vector<std::string> layers = sampleLayers(original);
    ASSERT_GT(layers.size(), 60u);
    std::vector<std::string> args = {"-i", "1", "Test"};
    args.insert(args.end(), layers.begin(), layers.end());

    for (const char* system : {"EPSG:2180", "EPSG:2177", "EPSG:32634", "EPSG:3857", "EPSG:4258"}) {
        SCOPED_TRACE(system);
        std::string copy = dir.file(std::string(system).substr(5));
        for (const std::string& layer : layers) {
            // Made under a plain name, then given the original's (ogr2ogr
            // writes its own letter case), with the original's table.
            fs::path from = fs::path(original) / layer, to = fs::path(copy) / layer;
            fs::create_directories(to.parent_path());
            fs::remove_all(dir.file("made"));
            fs::create_directory(dir.file("made"));
            RunResult made = ogr2ogr(dir.path, {"-s_srs", "EPSG:4326", "-t_srs", system, "made/layer.shp", from.string()});
            ASSERT_EQ(made.exitCode, 0) << layer << ": " << made.err;
            fs::rename(dir.file("made/layer.shp"), to);
            fs::rename(dir.file("made/layer.prj"), fs::path(to).replace_extension(".prj"));
            for (const char* table : {".dbf", ".DBF"}) {
                fs::path ours = fs::path(from).replace_extension(table);
                if (fs::exists(ours)) fs::copy_file(ours, fs::path(to).replace_extension(table));
            }
        }
        RunResult expected = runGeoconv(original, args);
        RunResult actual = runGeoconv(copy, args);
        EXPECT_EQ(actual.err, expected.err);
        EXPECT_EQ(actual.out, expected.out);
        std::string reference = mapObjects(original + "/00000001.mp");
        ASSERT_GT(reference.size(), 10000u);
        EXPECT_LE(coordinateDistance(reference, mapObjects(copy + "/00000001.mp")), 1e-7 + 1e-12);
    }
}

class LayerSystems : public Conversion {};

// A layer in WGS 84 degrees converts the same with any text of that system in
// its .prj as without one, whatever the letter case of the extension.
TEST_F(LayerSystems, Wgs84TextsConvertAsALayerWithoutOne) {
    layer("none/HUTP", points(3), buildDbf({{"NAM"}}, {{"a"}, {"b"}, {"c"}}));
    convert({"none/HUTP.shp"});
    std::string without = readFile(dir.file("00000001.mp"));
    int n = 0;
    for (const std::string& text : {kWgs84Esri, kWgs84Wkt1, kWgs84Wkt2}) {
        for (const char* extension : {".prj", ".PRJ", ".Prj"}) {
            std::string name = "none" + std::to_string(++n);
            fs::create_directories(dir.file(name));
            for (const char* file : {"HUTP.shp", "HUTP.dbf"})
                fs::copy_file(dir.file("none/") + file, dir.file(name + "/" + file));
            writeFile(dir.file(name + "/HUTP" + extension), text);
            RunResult run = convert({name + "/HUTP.shp"});
            EXPECT_EQ(run.err, "") << name;
            std::string with = readFile(dir.file("00000001.mp"));
            EXPECT_EQ(with.replace(with.find(name), name.size(), "none"), without) << name;
        }
    }
}

// A layer refused for its coordinates leaves no trace in the map but its
// message; the layers around it are converted.
TEST_F(LayerSystems, LayersRefusedForTheirCoordinates) {
    const struct {
        const char* layer;
        const char* prjFile;  // null: none
        std::string prj;
        std::array<double, 4> box;  // of the shapefile header
        std::string err;
    } cases[] = {
        {"garbage", "HUTP.prj", "not a coordinate system", {},
         "nieznany uklad wspolrzednych w pliku garbage/HUTP.prj\n"},
        {"empty", "HUTP.PRJ", "", {}, "nieznany uklad wspolrzednych w pliku empty/HUTP.PRJ\n"},
        {"unbalanced", "HUTP.prj", kUtm34.substr(0, kUtm34.size() - 2), {},
         "nieznany uklad wspolrzednych w pliku unbalanced/HUTP.prj\n"},
        {"nested", "HUTP.prj", std::string(5000, 'A') + std::string(5000, '[') + std::string(5000, ']'), {},
         "nieznany uklad wspolrzednych w pliku nested/HUTP.prj\n"},
        {"unknownprojection", "HUTP.prj",
         R"w(PROJCS["x",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)w"
         R"w(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["No_Such_Projection"],)w"
         R"w(UNIT["Meter",1.0]])w", {},
         "nieznany uklad wspolrzednych w pliku unknownprojection/HUTP.prj\n"},
        {"geocentric", "HUTP.prj",
         R"w(GEOCCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563]],PRIMEM["Greenwich",0],)w"
         R"w(UNIT["metre",1],AXIS["Geocentric X",OTHER],AXIS["Geocentric Y",OTHER],AXIS["Geocentric Z",NORTH]])w", {},
         "nieznany uklad wspolrzednych w pliku geocentric/HUTP.prj\n"},
        // Without a .prj the header must lie in degrees.
        {"east", nullptr, "", {19, 50, 245570.5, 50},
         "wspolrzedne poza zakresem stopni, plik east/HUTP.shp\n"},
        {"south", nullptr, "", {19, -535909, 19, 50},
         "wspolrzedne poza zakresem stopni, plik south/HUTP.shp\n"},
        {"edge", nullptr, "", {-180, -90, 180, 90}, ""},
    };
    writeNamedPoint(dir.file("good/HUTP"), "Dobra");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layer);
        layer(std::string(c.layer) + "/HUTP", buildShp({{pointShape(pt(0).x, pt(0).y)}}, {.box = c.box}),
              buildDbf({{"NAM"}}, {{"x"}}));
        if (c.prjFile) writeFile(dir.file(std::string(c.layer) + "/" + c.prjFile), c.prj);
        std::string path = std::string(c.layer) + "/HUTP.shp";
        RunResult run = convert({"good/HUTP.shp", path, "good/HUTP.shp"}, c.err.empty() ? 0 : 2);
        EXPECT_EQ(run.err, c.err);
        std::string good = comment("good/HUTP.shp") + hut("Dobra");
        EXPECT_EQ(objects(), c.err.empty() ? good + comment(path) + hut("x") + good : good + good);
    }
}

// A point outside the domain of the layer's projection drops its record with
// a message; the others convert as in a layer without it.
TEST_F(LayerSystems, PointsThatCannotBeTransformedDropTheirRecords) {
    XY inside{400000, 5540000}, outside{1e9, 5540000};
    std::vector<XY> lineInside = {inside, {410000, 5550000}}, lineOutside = {inside, outside};
    layer("all/HUTP", buildShp({{pointShape(inside.x, inside.y)}, {pointShape(outside.x, outside.y)},
                                    {pointShape(inside.x + 10, inside.y)}}),
          buildDbf({{"NAM"}}, {{"a"}, {"b"}, {"c"}}));
    layer("kept/HUTP", buildShp({{pointShape(inside.x, inside.y)}, {pointShape(inside.x + 10, inside.y)}}),
          buildDbf({{"NAM"}}, {{"a"}, {"c"}}));
    layer("all/FENCEL", buildShp({{polylineShape({lineOutside})}, {polylineShape({lineInside})}}, {.shapeType = 3}),
          buildDbf({{"NAM"}}, {{"a"}, {"b"}}));
    layer("kept/FENCEL", buildShp({{polylineShape({lineInside})}}, {.shapeType = 3}), buildDbf({{"NAM"}}, {{"b"}}));
    for (const char* base : {"all/HUTP", "kept/HUTP", "all/FENCEL", "kept/FENCEL"})
        writeFile(dir.file(std::string(base) + ".prj"), kUtm34);

    RunResult kept = convert({"kept/HUTP.shp", "kept/FENCEL.shp"});
    EXPECT_EQ(kept.err, "");
    std::string expected = objects();
    RunResult all = convert({"all/HUTP.shp", "all/FENCEL.shp"});
    EXPECT_EQ(all.err, "blad przeliczenia wspolrzednych, rekord 2, plik all/HUTP.shp\n"
                       "blad przeliczenia wspolrzednych, rekord 1, plik all/FENCEL.shp\n");
    std::string actual = objects();
    // The comment lines name the directories.
    for (std::string* map : {&expected, &actual})
        for (std::size_t at; (at = map->find(";plik ")) != std::string::npos;) map->erase(at, map->find('\n', at) + 1 - at);
    EXPECT_EQ(actual, expected);
    EXPECT_NE(expected.find("Data0=(50.0039239,19.6045217)"), std::string::npos) << expected;  // in degrees
}

}  // namespace
