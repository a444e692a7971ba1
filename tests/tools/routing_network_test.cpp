// A road network of known parts converted with -r and compiled by the map
// compiler with routing (tools/compile-maps.sh --route): the image holds the
// routing sections and the compiler finds exactly the parts that were built;
// with --gmapsupp the maps go into one image for the device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

XY at(double i, double j) { return {19.0 + 0.01 * i, 50.0 + 0.01 * j}; }

using Line = std::vector<XY>;

// Three parts, 40 road records, nodes counted by hand:
//  - a main road of 21 vertices with ten side roads ending on it (T
//    junctions): 11 roads, 21 nodes;
//  - a closed loop (split in two at its node) with a chain of 14 roads going
//    off it: 15 roads, 16 nodes;
//  - a road crossing the main road at one of its interior vertices without
//    meeting it (a bridge), with a chain of 13 roads: 14 roads, 15 nodes.
std::vector<Line> network() {
    std::vector<Line> roads;
    Line main;
    for (int k = 0; k <= 20; ++k) main.push_back(at(0.5 * k, 0));
    roads.push_back(main);
    for (int i = 1; i <= 10; ++i) roads.push_back({at(i, 0), at(i, 1)});
    roads.push_back({at(20, 0), at(21, 0), at(21, 1), at(20, 1), at(20, 0)});
    for (int k = 0; k < 14; ++k) roads.push_back({at(21, 1 + k), at(21, 2 + k)});
    roads.push_back({at(2.5, -1), at(2.5, 0), at(2.5, 1)});
    for (int k = 0; k < 13; ++k) roads.push_back({at(2.5, 1 + k), at(2.5, 2 + k)});
    return roads;
}

}  // namespace

TEST(RoutingNetwork, CompilerFindsTheBuiltPartsAndTheirNodes) {
    TempDir dir;
    std::vector<ShpRecord> records;
    std::vector<std::vector<std::string>> rows;
    for (const Line& road : network()) {
        records.push_back({polylineShape({road})});
        rows.push_back({"4", "15", "", "0"});
    }
    ASSERT_EQ(records.size(), 40u);
    writeFile(dir.file("ROADL.shp"), buildShp(records, {.shapeType = 3}));
    writeFile(dir.file("ROADL.dbf"), buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}}, rows));
    // Two huts far out: no road end lies on the map's edge, where it would be
    // a boundary node and its part no island (it may go on in the next map).
    writeFile(dir.file("HUTP.shp"), buildShp({{pointShape(at(-5, -5).x, at(-5, -5).y)},
                                              {pointShape(at(30, 30).x, at(30, 30).y)}}));
    writeFile(dir.file("HUTP.dbf"), buildDbf({{"NAM"}}, {{"A"}, {"B"}}));
    // The same network once more as a second map, for the device's image.
    RunResult run = runProgram(dir.path, GEOCONV_EXE,
                               {"-r", "-i", "12345678", "Siec", "HUTP.shp", "ROADL.shp", "-i", "12345679", "Druga",
                                "HUTP.shp", "ROADL.shp"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    setenv("GEOCONV", GEOCONV_EXE, 1);
    RunResult compiled = runProgram(dir.path, "/bin/bash",
                                    {std::string(GEOCONV_TOOLS) + "/compile-maps.sh", "--route", dir.file("img"),
                                     dir.file("12345678.mp")});
    ASSERT_EQ(compiled.exitCode, 0) << compiled.err;
    // The image's directory names its routing sections.
    std::string image = readFile(dir.file("img/12345678.img"));
    EXPECT_NE(image.find("12345678NET"), std::string::npos);
    EXPECT_NE(image.find("12345678NOD"), std::string::npos);
    // Every part is an island of its own, with the nodes built into it.
    std::string log = readFile(dir.file("img/12345678.log"));
    std::regex island("Routing island .* with ([0-9]+) routing node");
    std::vector<int> nodes;
    for (auto m = std::sregex_iterator(log.begin(), log.end(), island); m != std::sregex_iterator(); ++m)
        nodes.push_back(std::stoi((*m)[1]));
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<int>{15, 16, 21})) << log;
    EXPECT_NE(compiled.out.find("12345678: 3 routing islands\n"), std::string::npos) << compiled.out;
    // Both maps, the drawing rules and the index in one image for the card.
    RunResult card = runProgram(dir.path, "/bin/bash",
                                {std::string(GEOCONV_TOOLS) + "/compile-maps.sh", "--gmapsupp", dir.file("card"),
                                 dir.file("12345678.mp"), dir.file("12345679.mp")});
    ASSERT_EQ(card.exitCode, 0) << card.err;
    std::string gmapsupp = readFile(dir.file("card/gmapsupp.img"));
    EXPECT_EQ(card.out, "tile 12345678: 3 routing islands\ntile 12345679: 3 routing islands\n" +
                            dir.file("card/gmapsupp.img") + ": " + std::to_string(gmapsupp.size()) + " bytes\n");
    for (const char* section : {"12345678NOD", "12345679NOD", "GEOCONVTYP"})
        EXPECT_NE(gmapsupp.find(section), std::string::npos) << section;
}
