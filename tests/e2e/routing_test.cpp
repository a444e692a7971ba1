// -r: roads with road numbers, route parameters and routing nodes, checked
// as a graph read back from the map text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"

using namespace testsupport;

namespace {

// Place (i, j) of a grid of 0.01 degree.
XY at(int i, int j) { return {19.0 + 0.01 * i, 50.0 + 0.01 * j}; }

struct Node {
    std::size_t vertex;
    int number;
    int boundary;
};

struct Road {
    int id = 0;
    std::vector<std::string> vertices;  // "(lat,lon)" as written
    std::vector<Node> nodes;
};

// The road objects of a map, in order.
std::vector<Road> readRoads(const std::string& map) {
    std::vector<Road> roads;
    std::istringstream lines(map);
    std::string line;
    Road road;
    bool inRoad = false;
    while (std::getline(lines, line)) {
        if (line.rfind("RoadID=", 0) == 0) {
            road = Road{};
            road.id = std::stoi(line.substr(7));
            inRoad = true;
        } else if (inRoad && line.rfind("Data0=", 0) == 0) {
            for (std::size_t from = 6, to; (to = line.find(')', from)) != std::string::npos; from = to + 2)
                road.vertices.push_back(line.substr(from, to + 1 - from));
        } else if (inRoad && line.rfind("Nod", 0) == 0) {
            Node node{};
            EXPECT_EQ(std::sscanf(line.c_str() + line.find('=') + 1, "%zu,%d,%d", &node.vertex, &node.number,
                                  &node.boundary),
                      3);
            road.nodes.push_back(node);
        } else if (inRoad && line == "[END]") {
            roads.push_back(road);
            inRoad = false;
        }
    }
    return roads;
}

// What every routable map must hold: unique road numbers, both ends of a
// road nodes, no node twice in one road, one node number per place.
void checkGraph(const std::vector<Road>& roads) {
    std::set<int> ids;
    std::map<int, std::string> placeOf;
    std::map<std::string, int> nodeAt;
    for (const Road& road : roads) {
        SCOPED_TRACE(road.id);
        EXPECT_TRUE(ids.insert(road.id).second);
        ASSERT_GE(road.vertices.size(), 2u);
        ASSERT_FALSE(road.nodes.empty());
        EXPECT_EQ(road.nodes.front().vertex, 0u);
        EXPECT_EQ(road.nodes.back().vertex, road.vertices.size() - 1);
        std::set<int> inRoad;
        for (const Node& node : road.nodes) {
            ASSERT_LT(node.vertex, road.vertices.size());
            EXPECT_TRUE(inRoad.insert(node.number).second) << "node " << node.number << " twice";
            const std::string& place = road.vertices[node.vertex];
            EXPECT_EQ(placeOf.emplace(node.number, place).first->second, place);
            EXPECT_EQ(nodeAt.emplace(place, node.number).first->second, node.number);
        }
    }
}

// Places of the nodes held by two roads or more, and of the boundary nodes.
std::set<std::string> junctions(const std::vector<Road>& roads) {
    std::map<std::string, int> roadsAt;
    for (const Road& road : roads)
        for (const Node& node : road.nodes) ++roadsAt[road.vertices[node.vertex]];
    std::set<std::string> places;
    for (const auto& [place, count] : roadsAt)
        if (count > 1) places.insert(place);
    return places;
}

std::set<std::string> boundaries(const std::vector<Road>& roads) {
    std::set<std::string> places;
    for (const Road& road : roads)
        for (const Node& node : road.nodes)
            if (node.boundary) places.insert(road.vertices[node.vertex]);
    return places;
}

std::set<std::string> placesOf(std::initializer_list<XY> points) {
    std::set<std::string> places;
    for (XY p : points) places.insert(coords(p));
    return places;
}

using Line = std::vector<std::vector<XY>>;  // the parts of one record

struct GraphCase {
    const char* name;
    std::vector<Line> roads;   // ROADL records
    std::vector<Line> tracks;  // CARTRACL records
    std::vector<XY> huts;      // HUTP points, widening the map's box
    std::size_t roadObjects;
    std::set<std::string> junctions;
    std::set<std::string> boundaries;
};

Bytes lineLayer(const std::vector<Line>& lines) {
    std::vector<ShpRecord> records;
    for (const Line& line : lines) records.push_back({polylineShape(line)});
    return buildShp(records, {.shapeType = 3});
}

Bytes roadTable(std::size_t rows) {
    return buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}}, std::vector<std::vector<std::string>>(rows, {"0", "0", "", "0"}));
}

}  // namespace

TEST_F(Conversion, RoutableRoadsMeetAtEndpointsOnly) {
    const XY far[] = {at(-5, -5), at(9, 9)};  // a box no road reaches
    const GraphCase cases[] = {
        {"T junction: an endpoint on an interior vertex",
         {{{at(0, 1), at(1, 1), at(2, 1)}}, {{at(1, 1), at(1, 2)}}}, {}, {far[0], far[1]}, 2,
         placesOf({at(1, 1)}), {}},
        {"cross without a shared endpoint: a bridge, no node",
         {{{at(0, 1), at(1, 1), at(2, 1)}}, {{at(1, 0), at(1, 1), at(1, 2)}}}, {}, {far[0], far[1]}, 2, {}, {}},
        {"loop back to the start: split where it would hold a node twice",
         {{{at(0, 0), at(1, 0), at(1, 1), at(0, 0)}}}, {}, {far[0], far[1]}, 2, placesOf({at(0, 0), at(1, 1)}), {}},
        {"road crossing itself at an interior vertex: no node",
         {{{at(0, 0), at(1, 0), at(2, 0), at(2, 1), at(1, 1), at(1, 0), at(1, -1)}}}, {}, {far[0], far[1]}, 1, {}, {}},
        {"road ending on itself: split",
         {{{at(0, 0), at(1, 0), at(2, 0), at(2, 1), at(1, 1), at(1, 0)}}}, {}, {far[0], far[1]}, 2,
         placesOf({at(1, 0), at(1, 1)}), {}},
        {"road of two parts: two roads",
         {{{at(0, 0), at(1, 0)}, {at(0, 1), at(1, 1)}}}, {}, {far[0], far[1]}, 2, {}, {}},
        {"roads of two layers meet",
         {{{at(0, 0), at(1, 0), at(2, 0)}}}, {{{at(1, 0), at(1, 1)}}}, {far[0], far[1]}, 2, placesOf({at(1, 0)}), {}},
        {"repeated vertices are one vertex",
         {{{at(0, 0), at(0, 0), at(1, 0), at(1, 0)}}, {{at(1, 0), at(2, 0)}}}, {}, {far[0], far[1]}, 2,
         placesOf({at(1, 0)}), {}},
        {"boundary nodes at the sheet's edge",
         {{{at(0, 1), at(1, 1)}}, {{at(1, 1), at(2, 1)}}, {{at(3, 0), at(3, 3)}}}, {}, {at(0, 0), at(3, 3)}, 3,
         placesOf({at(1, 1)}), placesOf({at(0, 1), at(3, 0), at(3, 3)})},
    };
    for (const GraphCase& c : cases) {
        SCOPED_TRACE(c.name);
        layer("ROADL", lineLayer(c.roads), roadTable(c.roads.size()));
        std::vector<std::string> args = {"-r", "-i", "1", "Test", "ROADL.shp"};
        if (!c.tracks.empty()) {
            layer("CARTRACL", lineLayer(c.tracks), buildDbf({{"NAM"}}, std::vector<std::vector<std::string>>(c.tracks.size(), {""})));
            args.push_back("CARTRACL.shp");
        }
        std::vector<ShpRecord> huts;
        for (XY p : c.huts) huts.push_back({pointShape(p.x, p.y)});
        layer("HUTP", buildShp(huts), buildDbf({{"NAM"}}, std::vector<std::vector<std::string>>(huts.size(), {""})));
        args.push_back("HUTP.shp");
        RunResult run = runGeoconv(dir.path, args);
        EXPECT_EQ(run.err, "");
        std::vector<Road> roads = readRoads(readFile(dir.file("00000001.mp")));
        EXPECT_EQ(roads.size(), c.roadObjects);
        checkGraph(roads);
        EXPECT_EQ(junctions(roads), c.junctions);
        EXPECT_EQ(boundaries(roads), c.boundaries);
    }
}

// The road objects are written at the map's close, after the other objects,
// with RoadID, RouteParam and the Nod lines; the header says Routing=Y.
TEST_F(Conversion, RoutableRoadsAreWrittenWithTheirParametersAtTheClose) {
    layer("ROADL", lineLayer({{{at(0, 1), at(1, 1), at(2, 1)}}, {{at(1, 1), at(1, 2)}}}),
          buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}}, {{"2", "16", "A4", "0"}, {"6", "0", "", "0"}}));
    layer("TRAILL", lineLayer({{{at(1, 2), at(2, 2)}}}), buildDbf({{"NAM"}}, {{""}}));
    layer("HUTP", buildShp({{pointShape(at(5, 5).x, at(5, 5).y)}}), buildDbf({{"NAM"}}, {{"Szopa"}}));
    RunResult run = runGeoconv(dir.path, {"-i", "1", "Plain", "HUTP.shp", "-r", "-i", "2", "Test", "ROADL.shp",
                                          "TRAILL.shp", "HUTP.shp"});
    EXPECT_EQ(run.err, "");
    auto road = [](const std::string& head, const std::string& route, std::initializer_list<XY> points,
                   const std::string& nodes) {
        std::string text = "[POLYLINE]\n" + head + route + "Data0=";
        for (XY p : points) text += coords(p) + ",";
        text.back() = '\n';
        return text + nodes + "[END]\n\n";
    };
    EXPECT_EQ(objects("00000002.mp"),
              comment("ROADL.shp") + comment("TRAILL.shp") + comment("HUTP.shp") +
                  object("[POI]", 0x1161d, 0, "Szopa", coords(at(5, 5))) +
                  road("Type=0x01\nLabel=~[0x04]A4\nEndLevel=5\n", "RoadID=1\nRouteParam=7,4,0,0,0,0,0,0,0,1,1,0\n",
                       {at(0, 1), at(1, 1), at(2, 1)}, "Nod1=0,1,1\nNod2=1,3,0\nNod3=2,2,1\n") +
                  road("Type=0x05\nEndLevel=3\n", "RoadID=2\nRouteParam=3,1,0,0,0,0,0,0,0,0,0,0\n",
                       {at(1, 1), at(1, 2)}, "Nod1=0,3,0\nNod2=1,4,0\n") +
                  road("Type=0x16\nEndLevel=2\n", "RoadID=3\nRouteParam=0,0,0,0,1,1,1,1,1,0,0,1\n",
                       {at(1, 2), at(2, 2)}, "Nod1=0,4,0\nNod2=1,5,0\n"));
    std::string header = readFile(dir.file("00000002.mp"));
    EXPECT_NE(header.find("PolygonEvaluate=Y\nRouting=Y\nLevels=7\n"), std::string::npos);
    // The map started before -r stays as without it.
    EXPECT_EQ(readFile(dir.file("00000001.mp")).find("Routing"), std::string::npos);
}

// Held as numbers, the roads' coordinates come out as the plain lines write
// them: random places, values at a half unit of the seventh decimal, values
// that round to a negative zero, tiny ones. A road of one place repeated is
// no road and stays a plain line.
TEST_F(Conversion, RoutableRoadsKeepTheirCoordinatesText) {
    std::vector<Line> roads = {
        {{{-0.0, 7.0}, {19.00000005, 50.00000015}, {19.00000025, -0.00000004}, {-0.00000005, 1e-320}, {3.0, -0.00000004}}},
        {{{179.99999995, -89.99999995}, {-179.9999999, 89.9999999}, {0.00049999995, -0.00012345675}}},
        {{{19.5, 50.25}, {19.5, 50.25}}},
    };
    uint64_t state = 88172645463325252u;
    auto unit = [&] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 300; ++i) {
        std::vector<XY> road;
        for (int k = 0; k < 5; ++k) road.push_back({14 + 10 * unit(), 49 + 6 * unit()});
        roads.push_back({road});
    }
    layer("ROADL", lineLayer(roads), roadTable(roads.size()));
    auto dataLines = [&](const std::vector<std::string>& options) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-i", "1", "Test", "ROADL.shp"});
        EXPECT_EQ(runGeoconv(dir.path, args).err, "");
        std::multiset<std::string> lines;
        std::istringstream map(objects());
        for (std::string line; std::getline(map, line);)
            if (line.rfind("Data0=", 0) == 0) lines.insert(line);
        return lines;
    };
    std::multiset<std::string> plain = dataLines({}), routed = dataLines({"-r"});
    std::vector<std::string> onlyPlain, onlyRouted;
    std::set_difference(plain.begin(), plain.end(), routed.begin(), routed.end(), std::back_inserter(onlyPlain));
    std::set_difference(routed.begin(), routed.end(), plain.begin(), plain.end(), std::back_inserter(onlyRouted));
    EXPECT_EQ(onlyRouted, onlyPlain);
    EXPECT_EQ(readRoads(objects()).size(), roads.size() - 1);
}
