// -r: roads with road numbers, route parameters and routing nodes, checked
// against the maps kept under tests/data.
#include <random>
#include <set>
#include <sstream>

#include "support/conversion.hpp"

using namespace testsupport;

namespace {

// Place (i, j) of a grid of 0.01 degree.
XY at(int i, int j) { return {19.0 + 0.01 * i, 50.0 + 0.01 * j}; }

using Line = std::vector<std::vector<XY>>;  // the parts of one record

// The places of "i,j i,j ...": at(i, j) each.
std::vector<XY> gridPoints(const std::string& text) {
    std::vector<XY> points;
    std::istringstream in(text);
    int i = 0, j = 0;
    for (char comma; in >> i >> comma >> j;) points.push_back(at(i, j));
    return points;
}

// The records of "places | places / places": records apart by "/", parts by "|".
std::vector<Line> gridLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream records(text);
    for (std::string record; std::getline(records, record, '/');) {
        Line& line = lines.emplace_back();
        std::istringstream parts(record);
        for (std::string part; std::getline(parts, part, '|');) line.push_back(gridPoints(part));
    }
    return lines;
}

Bytes lineLayer(const std::vector<Line>& lines) {
    std::vector<ShpRecord> records;
    for (const Line& line : lines) records.push_back({polylineShape(line)});
    return buildShp(records, {.shapeType = 3});
}

// Tables of n rows: unnamed roads of the lowest class, or unnamed features.
Bytes roadTable(std::size_t n) {
    return buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}}, std::vector<std::vector<std::string>>(n, {"0", "0", "", "0"}));
}
Bytes names(std::size_t n) { return buildDbf({{"NAM"}}, std::vector<std::vector<std::string>>(n, {""})); }

}  // namespace

// Roads meet where one's end lies on the other, each node numbered once per
// place; a road that would hold a node twice is split, and the nodes at the
// edge of the map's box are boundary nodes (the Nod lines' third number).
TEST_F(Conversion, RoutableRoadsMeetAtEndpointsOnly) {
    std::string maps;
    for (const std::vector<std::string>& row : dataRows("routing_graphs.tsv")) {
        SCOPED_TRACE(row[0]);
        const std::vector<Line> roads = gridLines(row[1]), tracks = gridLines(row[2]);
        layer("ROADL", lineLayer(roads), roadTable(roads.size()));
        std::vector<std::string> args = {"-r", "-i", "1", "Test", "ROADL.shp", "CARTRACL.shp", "HUTP.shp"};
        if (tracks.empty()) args.erase(args.begin() + 5);
        else layer("CARTRACL", lineLayer(tracks), names(tracks.size()));
        std::vector<ShpRecord> huts;
        for (XY p : gridPoints(row[3])) huts.push_back({pointShape(p.x, p.y)});
        layer("HUTP", buildShp(huts), names(huts.size()));
        EXPECT_EQ(runGeoconv(dir.path, args).err, "");
        maps += "=== " + row[0] + "\n" + objects();
    }
    expectAsFile("routing_graphs.mp", maps);
}

// The road objects are written at the map's close, after the other objects,
// with RoadID, RouteParam and the Nod lines; the header says Routing=Y.
TEST_F(Conversion, RoutableRoadsAreWrittenWithTheirParametersAtTheClose) {
    layer("ROADL", lineLayer({{{at(0, 1), at(1, 1), at(2, 1)}}, {{at(1, 1), at(1, 2)}}}),
          buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}}, {{"2", "16", "A4", "0"}, {"6", "0", "", "0"}}));
    layer("TRAILL", lineLayer({{{at(1, 2), at(2, 2)}}}), names(1));
    layer("HUTP", buildShp({{pointShape(at(5, 5).x, at(5, 5).y)}}), buildDbf({{"NAM"}}, {{"Szopa"}}));
    EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "Plain", "HUTP.shp", "-r", "-i", "2", "Test", "ROADL.shp",
                                    "TRAILL.shp", "HUTP.shp"}).err, "");
    expectAsFile("routable_roads.mp", objects("00000002.mp"));
    EXPECT_NE(readFile(dir.file("00000002.mp")).find("PolygonEvaluate=Y\nRouting=Y\nLevels=7\n"), std::string::npos);
    // The map started before -r stays as without it.
    EXPECT_EQ(readFile(dir.file("00000001.mp")).find("Routing"), std::string::npos);
}

// Held as numbers, the roads' coordinates come out as the plain lines write
// them: values at a half unit of the seventh decimal, values
// that round to a negative zero, tiny ones. A road of one place repeated is
// no road and stays a plain line. The map without -r, then with it.
TEST_F(Conversion, RoutableRoadsKeepTheirCoordinatesText) {
    std::vector<Line> roads = {
        {{{-0.0, 7.0}, {19.00000005, 50.00000015}, {19.00000025, -0.00000004}, {-0.00000005, 1e-320}, {3.0, -0.00000004}}},
        {{{179.99999995, -89.99999995}, {-179.9999999, 89.9999999}, {0.00049999995, -0.00012345675}}},
        {{{19.5, 50.25}, {19.5, 50.25}}},
    };
    layer("ROADL", lineLayer(roads), roadTable(roads.size()));
    EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "Test", "ROADL.shp"}).err, "");
    const std::string maps = objects();
    EXPECT_EQ(runGeoconv(dir.path, {"-r", "-i", "1", "Test", "ROADL.shp"}).err, "");
    expectAsFile("routing_coordinates.mp", maps + "=== -r\n" + objects());
}

// Many roads at random places fill the node table's probe chains; held as
// numbers their coordinates come out as the plain lines write them.
TEST_F(Conversion, ManyRoutableRoadsKeepTheirCoordinatesText) {
    std::mt19937_64 random(88172645463325252u);
    auto unit = [&] { return static_cast<double>(random() >> 11) / 9007199254740992.0; };
    std::vector<Line> roads(300, Line(1));
    for (Line& road : roads)
        for (int k = 0; k < 5; ++k) road[0].push_back({14 + 10 * unit(), 49 + 6 * unit()});
    layer("ROADL", lineLayer(roads), roadTable(roads.size()));
    // The Data lines of the map, in any order: -r writes roads at the close.
    auto dataLines = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-i", "1", "Test", "ROADL.shp"});
        EXPECT_EQ(runGeoconv(dir.path, args).err, "");
        std::multiset<std::string> lines;
        std::istringstream map(objects());
        for (std::string line; std::getline(map, line);)
            if (line.starts_with("Data")) lines.insert(line);
        return lines;
    };
    const std::multiset<std::string> plain = dataLines({});
    EXPECT_EQ(plain.size(), roads.size());
    EXPECT_EQ(dataLines({"-r"}), plain);
}
