// Maps compiled by the map compiler into one image for the device
// (tools/compile-maps.sh --gmapsupp): road networks converted with -r, whose
// parts the compiler finds as they were built, and lines of several parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/conversion.hpp"

using namespace testsupport;

namespace {

XY at(double i, double j) { return {19.0 + 0.01 * i, 50.0 + 0.01 * j}; }

// Three networks, 40 road records, nodes counted by hand:
//  - a main road of 21 vertices with ten side roads ending on it (T
//    junctions): 11 roads, 21 nodes;
//  - a closed loop (split in two at its node) with a chain of 14 roads going
//    off it: 15 roads, 16 nodes;
//  - a road crossing the main road at one of its interior vertices without
//    meeting it (a bridge), with a chain of 13 roads: 14 roads, 15 nodes.
// The network goes into two maps. A third map, converted without -r, holds a
// road of two parts: one object of two coordinate lines, which the compiler
// reads as two lines (nothing joins them).
TEST(CompileMaps, RoadNetworksAndLinesOfSeveralPartsGoIntoTheDeviceImage) {
    TempDir dir;
    std::vector<ShpRecord> roads;
    std::vector<XY> main;
    for (int k = 0; k <= 20; ++k) main.push_back(at(0.5 * k, 0));
    roads.push_back({polylineShape({main})});
    auto road = [&](std::vector<XY> points) { roads.push_back({polylineShape({points})}); };
    for (int i = 1; i <= 10; ++i) road({at(i, 0), at(i, 1)});
    road({at(20, 0), at(21, 0), at(21, 1), at(20, 1), at(20, 0)});
    for (int k = 0; k < 14; ++k) road({at(21, 1 + k), at(21, 2 + k)});
    road({at(2.5, -1), at(2.5, 0), at(2.5, 1)});
    for (int k = 0; k < 13; ++k) road({at(2.5, 1 + k), at(2.5, 2 + k)});
    ASSERT_EQ(roads.size(), 40u);
    writeLayer(dir.file("ROADL"), buildShp(roads, {.shapeType = 3}),
               buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}},
                        std::vector<std::vector<std::string>>(40, {"4", "15", "", "0"})));
    // Two huts far out: no road end lies on the map's edge, where it would be
    // a boundary node and its part no island (it may go on in the next map).
    writeLayer(dir.file("HUTP"),
               buildShp({{pointShape(at(-5, -5).x, at(-5, -5).y)}, {pointShape(at(30, 30).x, at(30, 30).y)}}),
               buildDbf({{"NAM"}}, {{"A"}, {"B"}}));
    std::vector<std::vector<XY>> parts = {{{19.60, 50.05}, {19.62, 50.06}}, {{19.70, 50.10}, {19.72, 50.12}}};
    writeLayer(dir.file("parts/ROADL"), buildShp({{polylineShape(parts)}}, {.shapeType = 3}),
               buildDbf({{"NAM", 'C', 10}, {"TUC", 'N', 4}, {"RTT", 'N', 4}, {"USE", 'N', 4}},
                        {{"Droga", "0", "0", "0"}}));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-r", "-i", "12345678", "Siec", "HUTP.shp", "ROADL.shp", "-i", "12345679", "Druga",
                                   "HUTP.shp", "ROADL.shp"},
          {"-i", "1", "T", "parts/ROADL.shp"}}) {
        RunResult run = runProgram(dir.path, GEOCONV_EXE, args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    EXPECT_NE(readFile(dir.file("00000001.mp")).find("Data0=(50.0500000,19.6000000),(50.0600000,19.6200000)\n"
                                                     "Data0=(50.1000000,19.7000000),(50.1200000,19.7200000)\n[END]\n"),
              std::string::npos);

    setenv("GEOCONV", GEOCONV_EXE, 1);
    RunResult card = runProgram(dir.path, "/bin/bash",
                                {GEOCONV_TOOLS "/compile-maps.sh", "--gmapsupp", dir.file("card"),
                                 dir.file("12345678.mp"), dir.file("12345679.mp"), dir.file("00000001.mp")});
    ASSERT_EQ(card.exitCode, 0) << card.err;
    std::string gmapsupp = readFile(dir.file("card/gmapsupp.img"));
    EXPECT_EQ(card.out, "tile 12345678: 3 routing islands\ntile 12345679: 3 routing islands\n"
                        "tile 00000001: 0 routing islands\n" +
                            dir.file("card/gmapsupp.img") + ": " + std::to_string(gmapsupp.size()) + " bytes\n");
    for (const char* section : {"12345678NET", "12345678NOD", "12345679NET", "12345679NOD", "GEOCONVTYP"})
        EXPECT_NE(gmapsupp.find(section), std::string::npos) << section;
    // Every network is an island of its own, with the nodes built into it.
    std::string log = readFile(dir.file("card/gmapsupp.log"));
    std::regex island("Routing island .* with ([0-9]+) routing node");
    std::vector<int> nodes;
    for (auto m = std::sregex_iterator(log.begin(), log.end(), island); m != std::sregex_iterator(); ++m)
        nodes.push_back(std::stoi((*m)[1]));
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<int>{15, 15, 16, 16, 21, 21})) << log;
}

}  // namespace
