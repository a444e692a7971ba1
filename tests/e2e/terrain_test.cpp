// Relief, water text, lake, built-up area, embankment and forest layers
// converted by the built program, and the -s reports, compared byte for byte
// with the files under tests/data/e2e/terrain/.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/conversion_files.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

// Every feature lies at one place: a point, a line from it, or a square.
constexpr int kAt = 4;
constexpr Kind kPoints = Kind::points, kLines = Kind::lines, kAreas = Kind::areas;

// One layer file: its rows, plus one record numbered behind the last row when
// `orphan` is set (its DBF record is missing).
struct Layer {
    std::string path;
    Kind kind;
    std::vector<DbfColumn> columns;
    std::vector<std::vector<std::string>> rows;
    bool orphan = false;
};

class Terrain : public Conversion {
protected:
    void write(const Layer& file) {
        layer(file.path, shapes(file.kind, file.rows.size() + (file.orphan ? 1 : 0), kAt),
              buildDbf(file.columns, file.rows));
    }

    // Writes the layers and converts them into map 1, then the later layers
    // after the options given; compares reports and objects with NAME.err and NAME.mp.
    void expect(const std::string& name, const std::vector<Layer>& layers, const std::vector<std::string>& options = {},
                const std::vector<Layer>& later = {}, int status = 0) {
        std::vector<std::string> args;
        for (const Layer& layer : layers) write(layer), args.push_back(layer.path + ".shp");
        args.insert(args.end(), options.begin(), options.end());
        for (const Layer& layer : later) write(layer), args.push_back(layer.path + ".shp");
        expectConversion(dir, name, args, status);
    }
};

const std::string kLong(252, 'A');

TEST_F(Terrain, ReliefLayersLabelHeightsNamesAndDepthFigures) {
    std::vector<Layer> layers = {
        {"CONTOURL", kLines, {{"HQC", 'N', 4}, {"ZV2", 'N', 14, 2}},
         {{"1", "123.45"}, {"2", "-12.50"}, {"3", ""}, {"14", "1000000000.00"}, {"0", "-1000000000.00"}}, true},
        {"x/CONTOURL", kLines, {{"ZV2", 'N', 8}}, {{"100"}}},
        {"y/CONTOURL", kLines, {{"HQC", 'N', 4}}, {{"1"}}},
        // "Babia góra": only A to Z fold, so it holds no summit word.
        {"CTRLPNTP", kPoints, {{"NAM", 'C', 254}, {"CSC", 'N', 4}, {"ZV2", 'N', 14, 1}},
         {{"1:Łysica"_cp, "0", "612.4"}, {"x:Kamień"_cp, "7", "300"}, {"x:Wielki WIERCH", "7", "300"},
          {"x:Babia GÓRA"_cp, "0", "1725"}, {"x:Babia góra"_cp, "5", "1725"}, {"x:Rysy", "0", "2000"},
          {"x:Rysy", "0", "2001"}, {"Rysy", "0", "2001"}, {"x: Rysy", "4", "29998.4"}, {"x:Rysy", "4", "29998.5"},
          {"x:Rysy", "4", "-1000000000.0"}, {"x:" + kLong, "1", "5"}, {"xx" + kLong, "1", "5"}, {"x:KOPA", "", ""}},
         true},
        {"x/CTRLPNTP", kPoints, {{"NAM", 'C', 20}, {"ZV2", 'N', 8}}, {{"x:Rysy", "100"}, {"x:Hala KOPA", "100"}}},
        {"MTNPASSP", kPoints, {{"NAM", 'C', 20}, {"ZV2", 'N', 8}},
         {{"Przełęcz"_cp, "812"}, {"", "812"}, {"Przełęcz"_cp, "30000"}}, true},
        {"x/MTNPASSP", kPoints, {{"NAM", 'C', 20}}, {{"Przełęcz"_cp}}},
        {"HYDROTXT", kPoints, {{"VG_TEXT", 'C', 20}, {"F_CODE", 'C', 6}, {"SYMBOL_ID", 'N', 4}},
         {{"12", "ZD045", "8"}, {"12", "ZD045", "2"}, {"29999", "ZD045", "16"}, {"-3,5 m", "ZD0450", "1"},
          {"12", "zd045", "1"}, {"Wisła"_cp, "ZD045", "1"}, {"UNK", "ZD045", "1"}, {"  ", "ZD045", "1"},
          {"99999999999", "ZD045", "1"}}, true},
        {"x/HYDROTXT", kPoints, {{"VG_TEXT", 'C', 20}}, {{"12"}}},
    };
    // Types outside the label-code ranges show heights as plain text with the unit.
    writeFile(dir.file("types.txt"), "op_osnowa 0x6620\nop_przelecz 0x63ff\n");
    expect("terrain/relief", layers, {"-t", "types.txt"},
           {{"t/CTRLPNTP", kPoints, {{"NAM", 'C', 10}, {"CSC", 'N', 4}, {"ZV2", 'N', 8}},
             {{"x:Rysy", "0", "612"}, {"x:Las", "7", "300"}}},
            {"t/MTNPASSP", kPoints, {{"NAM", 'C', 10}, {"ZV2", 'N', 8}}, {{"", "812"}, {"Hala", "-4"}}}},
           2);
}

TEST_F(Terrain, LakesAndBuiltUpAreasAreClassedBySizeAndEmbankmentsByUse) {
    std::vector<Layer> layers = {
        {"LAKEA", kAreas, {{"NAM", 'C', 10}, {"ARH", 'N', 10, 2}},
         {{"Łańskie"_cp, "0.90"}, {"", "0.95"}, {"", "30.00"}, {"", "30.10"}, {"", "1000.00"}, {"", "1000.10"},
          {"", "-5"}, {"UNK", ""}}, true},
        {"x/LAKEA", kAreas, {{"NAM", 'C', 10}}, {{"Jezioro"}}},
        {"BUILTUPA", kAreas, {{"NAM", 'C', 10}, {"NA2", 'C', 10}, {"PIT", 'N', 8, 2}},
         {{"Nowa", "Wieś"_cp, "0.49"}, {"", "Wieś"_cp, "0.50"}, {"Nowa", "", "20.00"}, {"  ", "UNK", "20.01"},
          {"", "", "-3"}}, true},
        {"x/BUILTUPA", kAreas, {{"NAM", 'C', 10}}, {{"Nowa"}}},
        {"EMBANKL", kLines, {{"CET", 'N', 4}, {"TUC", 'N', 4}, {"PFH", 'N', 12}},
         {{"1", "3", "4"}, {"1", "2", "4"}, {"999", "1", "4"}, {"0", "4", "0"}, {"0", "1", "29999"},
          {"0", "1", "29998"}, {"0", "1", "99999999999"}}, true},
        {"x/EMBANKL", kLines, {{"PFH", 'N', 4}}, {{"7"}}},
    };
    expect("terrain/lakes_built_up", layers);
}

const std::vector<DbfColumn> kForestColumns = {{"NAM", 'C', 254}, {"TRE", 'N', 4},      {"VEG", 'N', 4},
                                               {"PHT", 'N', 11},  {"SDS", 'N', 14, 2}, {"TSC", 'N', 11}};

TEST_F(Terrain, ForestsTakeTheirKindAndJoinNameSpeciesAndStand) {
    expect("terrain/forests", {{"FORESTA", kAreas, kForestColumns,
                              {{"", "502", "", "", "", ""}, {"Puszcza", "502", "0", "", "", ""},
                               {"Bór"_cp, "2", "31", "18", "0.25", "6"}, {"", "2", "31", "18", "0.05", "6"},
                               {"", "1", "0", "18", "0.05", "6"}, {"Las", "3", "999", "18", "0.05", "6"},
                               {"", "0", "501", "18", "0", "6"}, {"", "501", "27", "-1", "1", "1"},
                               {"", "7", "44", "18", "0.05", "0"}, {"  ", "-1", "", "", "", ""},
                               {kLong + "AA", "504", "25", "99999999999", "99999999999.99", "99999999999"}},
                              true},
                             {"x/FORESTA", kAreas, {{"VEG", 'N', 4}}, {{"31"}}}});
}

// Without input the report lists every entry in catalogue order. The reports
// come after the map is closed, also when the walk stopped early; features of
// unknown species alone make no tree report.
TEST_F(Terrain, StatisticsFollowTheRunAlsoAStoppedOne) {
    RunResult empty = run({"-s"});
    EXPECT_EQ(empty.err, "");
    expectAsFile("terrain/statistics_empty.txt", empty.out);
    write({"FORESTA", kAreas, kForestColumns, {{"", "2", "999", "", "", ""}, {"", "1", "0", "", "", ""}}});
    write({"HUTP", kPoints, {{"NAM", 'C', 4}}, {{"a"}}});
    RunResult stopped = run({"-s", "-i", "1", "A", "FORESTA.shp", "-x", "HUTP.shp"}, 2);
    EXPECT_EQ(stopped.err, "nieznana opcja -x\n");
    expectAsFile("terrain/statistics_stopped.txt", stopped.out);
    EXPECT_NE(readFile(dir.file("00000001.mp")).find("[END-IMG ID]"), std::string::npos);
}

// Equal counts keep catalogue order (the medium lake before the broad-leaved
// forest); the 14 features of known species give the shares, and each row's
// kinds are shares of its features.
TEST_F(Terrain, StatisticsCountOverAllMapsAndRoundPercentagesHalfUp) {
    auto forest = [](const std::vector<std::pair<const char*, const char*>>& features) {
        Layer layer{"a/FORESTA", kAreas, kForestColumns, {}};
        for (const auto& [tre, veg] : features) layer.rows.push_back({"", tre, veg, "", "", ""});
        return layer;
    };
    write(forest({{"2", "31"}, {"2", "31"}, {"2", "31"}, {"2", "31"}, {"2", "31"}, {"1", "31"}, {"7", "31"},
                  {"3", "31"}, {"0", "27"}, {"3", "27"}, {"2", "999"}, {"1", "28"}, {"2", "28"}, {"3", "28"}}));
    write({"b/FORESTA", kAreas, {{"VEG", 'N', 4}}, {{"37"}, {"0"}}});
    write({"a/LAKEA", kAreas, {{"NAM", 'C', 4}, {"ARH", 'N', 6}}, {{"", "5"}, {"", "5"}}});
    write({"b/OTHER", kPoints, {{"NAM", 'C', 4}}, {{""}, {""}, {""}}});
    RunResult result =
        run({"-s", "-i", "1", "A", "a/FORESTA.shp", "a/LAKEA.shp", "-i", "2", "B", "b/FORESTA.shp", "b/OTHER.shp"}, 2);
    expectAsFile("terrain/statistics_two_maps.err", result.err);
    expectAsFile("terrain/statistics_two_maps.txt", result.out);
}

}  // namespace
