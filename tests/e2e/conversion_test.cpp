// Layers converted by the built program, compared byte for byte with the
// reports and maps under tests/data/e2e/: naming, labels and codes (conversion/),
// relief, water, forests and the -s reports (terrain/), buildings, roads, parks
// and the power network (built_environment/), most cases written as scenarios there.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/scenario.hpp"

using namespace testsupport;

namespace {

// Record content with its 32-bit field at `offset` replaced.
Bytes patched(Bytes content, std::size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) content[offset + i] = static_cast<char>(value >> (8 * i));
    return content;
}

// -z writes points, lines and areas with heights or measures from their X and
// Y alone, byte for byte as the flat records; without it, or before it, they
// are refused, nothing is written, and each such file's messages end with the hint.
TEST_F(Conversion, FlatShapesOptionTakesHeightAndMeasureRecordsAsFlat) {
    std::vector<XY> outer = {{19.0, 50.0}, {19.02, 50.0}, {19.02, 50.02}, {19.0, 50.02}, {19.0, 50.0}};
    std::vector<XY> hole = {{19.005, 50.005}, {19.01, 50.005}, {19.01, 50.01}, {19.005, 50.01}};
    // Points, a line of two parts, an area with a hole, an area with an extra point.
    const Bytes flat[] = {shape(Kind::points, 0), shape(Kind::points, 1),
                          polylineShape({{pt(0), pt(1)}, {pt(2), pt(3), pt(4)}}), polygonShape({outer, hole}),
                          polygonShape({outer})};
    // step 0 writes the flat records, 10 those with heights, 20 those with measures.
    const std::pair<uint32_t, double> variants[] = {{0, 0.0}, {10, 0.0}, {10, std::nan("")}, {20, 7.5}};
    for (const auto& [step, value] : variants) {
        SCOPED_TRACE(step);
        auto shape = [&](int i) { return step ? raisedShape(flat[i], flat[i][0] + step, value) : flat[i]; };
        layer("HUTP", buildShp({{shape(0)}, {shape(1)}}), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}, {""}}));
        layer("RIVERL", buildShp({{shape(2)}}), buildDbf({{"NAM"}, {"HYC"}, {"WWR"}}, {{"", "0", "3"}}));
        layer("ZOOA", buildShp({{shape(3)}}), buildDbf({{"NAM"}}, {{""}}));
        layer("ISLANDA", buildShp({{shape(4)}}), buildDbf({{"NAM"}}, {{"Wyspa"}}));
        expectConversion("conversion/flat_shapes", {"-z", "HUTP.shp", "RIVERL.shp", "ZOOA.shp", "ISLANDA.shp"});
    }
    expectConversion("conversion/flat_shapes_refused", {"HUTP.shp", "ZOOA.shp", "-z", "RIVERL.shp", "ISLANDA.shp"});
}

// Under -z the flat length rules hold for X and Y; what follows is never read.
// Each record is one feature of HUTP, written or refused.
TEST_F(Conversion, FlatShapesOptionChecksRecordsByTheirFlatLength) {
    const Bytes flatLine = polylineShape({{pt(0), pt(10)}});
    const Bytes lineZ = raisedShape(flatLine, 13, 1.0);
    const std::vector<ShpRecord> records = {
        {rawShape(11, Bytes(14, '\0'))},
        {rawShape(21, Bytes(14, '\0'))},
        {rawShape(11, pointShape(pt(0).x, pt(0).y).substr(4))},  // no room for the height: flat length is enough
        {rawShape(13, Bytes(38, '\0'))},
        {rawShape(23, flatLine.substr(4))},                       // written
        {patched(lineZ, 40, 0x10000000)},                         // 16 x NumPoints wraps
        {patched(raisedShape(flatLine, 25, 1.0), 36, 0x40000000)},
        {patched(lineZ, 40, 0xFFFFFFFF)},
        {rawShape(18, lineZ.substr(4))},  // multipoint
        {rawShape(31, lineZ.substr(4))},
    };
    layer("HUTP", buildShp(records, {.shapeType = 11}),
          buildDbf({{"NAM"}}, std::vector(records.size(), std::vector<std::string>{""})));
    expectConversion("conversion/flat_length", {"-z", "HUTP.shp"});
}

// The cases of plain layers: their scenarios say what each checks.
using Layers = Scenarios;
using Terrain = Scenarios;
using BuiltEnvironment = Scenarios;

TEST_F(Layers, NamedTextAndNumberLayersLabelFromTheirField) { expectScenario("conversion/named_layers"); }
TEST_F(Layers, HeightLabelsJoinNameKindOrDefaultLabelWithTheHeight) { expectScenario("conversion/height_labels"); }
TEST_F(Layers, CodedLayersClassifyFeaturesAndReportUnknownCodesOfNamedOnesWithoutTheFlag) {
    expectScenario("conversion/coded_layers");
}
TEST_F(Layers, LayersAreFoundByFileNameAndFeaturesWithoutTheirRowFallBack) { expectScenario("conversion/file_names"); }
TEST_F(Layers, EmptyLayersConvertToNoObjects) { expectScenario("conversion/empty_layers"); }

TEST_F(Terrain, ReliefLayersLabelHeightsNamesAndDepthFigures) { expectScenario("terrain/relief"); }
TEST_F(Terrain, LakesAndBuiltUpAreasAreClassedBySizeAndEmbankmentsByUse) { expectScenario("terrain/lakes_built_up"); }
TEST_F(Terrain, ForestsTakeTheirKindAndJoinNameSpeciesAndStand) { expectScenario("terrain/forests"); }

// The reports come after the map is closed, also when the walk stopped early.
TEST_F(Terrain, StatisticsFollowTheRunAlsoAStoppedOne) {
    expectScenario("terrain/statistics_empty");
    expectScenario("terrain/statistics_stopped");
    EXPECT_NE(readFile(dir.file("00000001.mp")).find("[END-IMG ID]"), std::string::npos);
}
TEST_F(Terrain, StatisticsCountOverAllMapsAndRoundPercentagesHalfUp) { expectScenario("terrain/statistics_two_maps"); }

TEST_F(BuiltEnvironment, BuildingsTakeWorshipTypeThenFunctionAndNamesOverBoth) {
    expectScenario("built_environment/buildings");
}
TEST_F(BuiltEnvironment, RoadsPutNamesIntoShieldCodesAndUseLabelsOnlyWithFlagaEt) {
    expectScenario("built_environment/roads");
}
TEST_F(BuiltEnvironment, ParksByUsageThenByWordsOfTheName) { expectScenario("built_environment/parks"); }
TEST_F(BuiltEnvironment, PowerNetworkLabelsJoinNameOrColonWithValuesInRange) {
    expectScenario("built_environment/power");
}

// The layers of every handler lacking their fields, then once more with FlagaEt set everywhere.
TEST_F(BuiltEnvironment, MissingFieldsAndRecordsFallBackAsEachHandlerDefines) {
    expectScenario("built_environment/missing");
    expectScenario("built_environment/missing_flagged");
}

}  // namespace
