// Layers converted by the built program, compared byte for byte with the
// reports and maps under tests/data/e2e/: naming, labels and codes
// (conversion/), relief, water, forests and the -s reports (terrain/),
// buildings, roads, parks and the power network (built_environment/).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// A named island is only its extra point; without the name field nothing of the layer is written.
TEST_F(Conversion, NamedTextAndNumberLayersLabelFromTheirField) {
    Bytes islands = shapes(Kind::areas, 2, 0);
    layer("HUTP", points(3), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}, {"unk"}, {" x"}}));
    layer("HELIPADP", points(1), buildDbf({{"X", 'C', 4}}, {{"Lot"}}));  // no NAM: quietly the default label
    layer("ISLANDA", islands, buildDbf({{"NAM", 'C', 20}}, {{"Wyspa"}, {" "}}));
    layer("x/ISLANDA", islands, buildDbf({{"NAME", 'C', 20}}, {{"Wyspa"}, {"Ostrow"}}));
    layer("AERONTXT", points(3), buildDbf({{"VG_TEXT", 'C', 30}}, {{"Okęcie"_cp}, {""}, {"Babice  "}}));
    layer("x/AERONTXT", points(1), buildDbf({{"TEXT", 'C', 30}}, {{"Okęcie"_cp}}));
    layer("ELEVP", points(3), buildDbf({{"ZV2", 'N', 8, 1}}, {{"312.7"}, {""}, {"-4.5"}}));
    layer("x/ELEVP", points(1), buildDbf({{"HGT", 'N', 8}}, {{"7"}}));
    layer("OTHER", points(2), buildDbf({{"NAM", 'C', 10}}, {{"A"}, {"B"}}));
    expectConversion("conversion/named_layers",
                     {"HUTP.shp", "HELIPADP.shp", "ISLANDA.shp", "x/ISLANDA.shp", "AERONTXT.shp", "x/AERONTXT.shp",
                      "ELEVP.shp", "x/ELEVP.shp", "OTHER.shp"},
                     2);
}

TEST_F(Conversion, HeightLabelsJoinNameKindOrDefaultLabelWithTheHeight) {
    layer("CAIRNP", points(5),
          buildDbf({{"NAM", 'C', 20}, {"PFH", 'N', 6}},
                   {{"Kopiec", "12"}, {"", "12"}, {"Kopiec", "29999"}, {"", "-3"}, {"Kopiec", "29998"}}));
    layer("GRAINELP", points(2), buildDbf({{"NAM", 'C', 20}, {"HGT", 'N', 6}}, {{"", "30"}, {"", "0"}}));
    layer("TOWERNCP", points(6),
          buildDbf({{"NAM", 'C', 20}, {"TTC", 'N', 4}, {"HGT", 'N', 6}},
                   {{"Stacja", "2", "40"}, {"Stacja", "0", "40"}, {"", "2", "40"}, {"", "0", "40"},
                    {"Stacja", "2", "0"}, {"", "2", "0"}}));
    layer("LIGHTHOP", points(1), buildDbf({{"NAM", 'C', 9}, {"MAR", 'N', 4}, {"HGT", 'N', 6}}, {{"", "3", "25"}}));
    layer("COMMTWRP", points(1), buildDbf({{"NAM", 'C', 9}, {"NST", 'N', 4}, {"HGT", 'N', 6}}, {{"", "0", "7"}}));
    expectConversion("conversion/height_labels",
                     {"CAIRNP.shp", "GRAINELP.shp", "TOWERNCP.shp", "LIGHTHOP.shp", "COMMTWRP.shp"});
}

// The same objects with and without -g; only the reports of unknown codes differ.
TEST_F(Conversion, CodedLayersClassifyFeaturesAndReportUnknownCodesOfNamedOnesWithoutTheFlag) {
    layer("AIRPORTP", points(10),
          buildDbf({{"NAM", 'C', 20}, {"USE", 'C', 12}},
                   {{"Balice", "8"}, {"", "8"}, {"", "0"}, {"UNK", "49"}, {"Modlin", "77"}, {"", "78"},
                    {"", "abc"}, {"", "99999999999"}, {"", " "}, {"", "-5"}}));
    layer("PROCPLTA", buildShp({{nullShape()}, {nullShape()}}, {.shapeType = 5}),
          buildDbf({{"BFC", 'N', 4}}, {{"7"}, {"83"}}));
    layer("CEMETRYP", points(2), buildDbf({{"NAM", 'C', 20}}, {{"Rakowicki"}, {""}}));
    layer("ENTEXITP", points(3), buildDbf({{"TUC", 'N', 4}}, {{"40"}, {"999"}, {"41"}}));
    layer("PROCPLTP", points(3),
          buildDbf({{"NAM", 'C', 10}, {"BFC", 'N', 4}}, {{"", "22"}, {"", "7"}, {"Huta", "7"}}));
    layer("CANALL", lines(7),
          buildDbf({{"NAM", 'C', 20}, {"HYC", 'N', 4}, {"WWR", 'N', 4}},
                   {{"", "3", "2"}, {"", "0", "2"}, {"Kanał"_cp, "6", "3"}, {"", "8", "3"}, {"", "7", "0"},
                    {"", "6", "0"}, {"Rów"_cp, "0", "9"}}));
    layer("ADMBNDL", lines(4),
          buildDbf({{"NM3", 'C', 20}, {"NM4", 'C', 20}, {"USE", 'N', 4}},
                   {{"Polska", "Czechy", "23"}, {"", "Czechy", "30"}, {"Polska", "NULL", "26"}, {"", "", "77"}}));
    // Layers without their coded fields: each missing field reported once, in the handler's lookup order.
    Bytes named = buildDbf({{"NAM", 'C', 10}}, {{"Rów"_cp}});
    layer("x/DITCHL", lines(1), named);
    layer("x/ADMBNDL", lines(1), named);
    layer("x/PYLONC", points(1), named);
    expectConversion("conversion/coded_layers",
                     {"AIRPORTP.shp", "PROCPLTA.shp", "CEMETRYP.shp", "ENTEXITP.shp", "PROCPLTP.shp", "CANALL.shp",
                      "ADMBNDL.shp", "x/DITCHL.shp", "x/ADMBNDL.shp", "x/PYLONC.shp"},
                     0, true);
}

// The layer is named by the file alone: folders named like a layer code (a
// town such as Bogatynia holds BOGA) take no part. The table is quoted by the
// name formed from the shapefile's.
TEST_F(Conversion, LayersAreFoundByFileNameAndFeaturesWithoutTheirRowFallBack) {
    Bytes table = buildDbf({{"NAM", 'C', 10}}, {{""}});
    layer("MINPILEP", points(1), table);
    layer("windmilp/sheet", points(1), table);
    layer("Bogatynia/x_HUTP_2", points(1), table);
    layer("boga\\HUTP", points(1), table);  // one file name; the backslash separates on Windows
    layer("HELIPADP", points(2), buildDbf({{"NAM", 'C', 10}}, {{"Lot"}}), ".SHP", ".DBF");
    layer("x/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Mala"}}), ".shp", ".Dbf");
    // Record numbers 0 and 5 have no row in a two-row table.
    Bytes shp = buildShp({{shape(Kind::points, 0), 0}, {shape(Kind::points, 1), 2}, {shape(Kind::points, 2), 5}});
    layer("AIRPORTP", shp, buildDbf({{"NAM", 'C', 10}, {"USE", 'N', 4}}, {{"A", "8"}, {"", "22"}}));
    layer("GRAINELP", shp, buildDbf({{"NAM", 'C', 10}}, {{"Silos"}, {""}}));
    expectConversion("conversion/file_names",
                     {"MINPILEP.shp", "windmilp/sheet.shp", "Bogatynia/x_HUTP_2.shp", "boga\\HUTP.shp",
                      "HELIPADP.SHP", "x/HUTP.shp", "AIRPORTP.shp", "GRAINELP.shp"},
                     2);
}

// A table of no records is an empty layer, as GIS programs write one: it
// converts to no objects, without a message.
TEST_F(Conversion, EmptyLayersConvertToNoObjects) {
    const Bytes none = buildDbf({{"NAM", 'C', 10}}, {});
    layer("HUTP", buildShp({}), none);
    layer("y/HUTP", buildShp({}), buildDbf({{"NAM", 'C', 10}}, {}, {.endMarker = false}));
    layer("x/HUTP", points(2), none);  // records without rows: the fallback object and label
    EXPECT_EQ(convert({"HUTP.shp", "y/HUTP.shp"}).err, "");
    EXPECT_EQ(convert({"HUTP.shp", "y/HUTP.shp", "x/HUTP.shp"}).err,
              "brak rekordu DBF 1, plik x/HUTP.dbf\nbrak rekordu DBF 2, plik x/HUTP.dbf\n");
    EXPECT_EQ(objects(),
              comment("HUTP.shp") + comment("y/HUTP.shp") + comment("x/HUTP.shp") + pois(0x1161d, 0, {"", ""}));
}

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
    const Bytes flat[] = {pointShape(pt(0).x, pt(0).y), pointShape(pt(1).x, pt(1).y),
                          polylineShape({{pt(0), pt(1)}, {pt(2), pt(3), pt(4)}}), polygonShape({outer, hole}),
                          polygonShape({outer})};
    // step 0 writes the flat records, 10 those with heights, 20 those with measures.
    const std::pair<uint32_t, double> variants[] = {{0, 0.0}, {10, 0.0}, {10, std::nan("")}, {20, 7.5}};
    for (const auto& [step, value] : variants) {
        SCOPED_TRACE(step);
        auto shape = [&](int i) {
            uint32_t type = static_cast<uint8_t>(flat[i][0]);
            return step ? raisedShape(flat[i], type + step, value) : flat[i];
        };
        layer("HUTP", buildShp({{shape(0)}, {shape(1)}}), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}, {""}}));
        layer("RIVERL", buildShp({{shape(2)}}), buildDbf({{"NAM"}, {"HYC"}, {"WWR"}}, {{"", "0", "3"}}));
        layer("ZOOA", buildShp({{shape(3)}}), buildDbf({{"NAM"}}, {{""}}));
        layer("ISLANDA", buildShp({{shape(4)}}), buildDbf({{"NAM"}}, {{"Wyspa"}}));
        expectConversion("conversion/flat_shapes", {"-z", "HUTP.shp", "RIVERL.shp", "ZOOA.shp", "ISLANDA.shp"});
    }
    expectConversion("conversion/flat_shapes_refused",
                     {"HUTP.shp", "ZOOA.shp", "-z", "RIVERL.shp", "ISLANDA.shp"});
}

// Under -z the flat length rules hold for X and Y; what follows is never read.
// Each record is one feature of HUTP, written or refused.
TEST_F(Conversion, FlatShapesOptionChecksRecordsByTheirFlatLength) {
    const Bytes flatLine = polylineShape({{pt(0), pt(10)}});
    const Bytes lineZ = raisedShape(flatLine, 13, 1.0);
    const Bytes contents[] = {
        rawShape(11, Bytes(14, '\0')),
        rawShape(21, Bytes(14, '\0')),
        rawShape(11, pointShape(pt(0).x, pt(0).y).substr(4)),  // no room for the height: flat length is enough
        rawShape(13, Bytes(38, '\0')),
        rawShape(23, flatLine.substr(4)),                       // written
        patched(lineZ, 40, 0x10000000),                         // 16 x NumPoints wraps
        patched(raisedShape(flatLine, 25, 1.0), 36, 0x40000000),
        patched(lineZ, 40, 0xFFFFFFFF),
        rawShape(18, lineZ.substr(4)),  // multipoint
        rawShape(31, lineZ.substr(4)),
    };
    std::vector<ShpRecord> records;
    for (const Bytes& content : contents) records.push_back({content});
    Rows rows(records.size(), {""});
    layer("HUTP", buildShp(records, {.shapeType = 11}), buildDbf({{"NAM"}}, rows));
    expectConversion("conversion/flat_length", {"-z", "HUTP.shp"});
}

// Relief, water text, lake, built-up area, embankment and forest layers, and
// the -s reports: every feature lies at one place (a point, a line from it, or a square).
constexpr int kAt = 4;
constexpr Kind kPoints = Kind::points, kLines = Kind::lines, kAreas = Kind::areas;

// One layer file: its rows, plus one record numbered behind the last row when
// `orphan` is set (its DBF record is missing).
struct Layer {
    std::string path;
    Kind kind;
    std::vector<DbfColumn> columns;
    Rows rows;
    bool orphan = false;
};

class Layers : public Conversion {
protected:
    void write(const Layer& file) {
        Conversion::layer(file.path, shapes(file.kind, file.rows.size() + (file.orphan ? 1 : 0), kAt),
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
        expectConversion(name, args, status);
    }

    // A layer of one feature per row, feature i at place i.
    void layer(const std::string& base, Kind kind, const std::vector<DbfColumn>& columns, const Rows& rows) {
        Conversion::layer(base, shapes(kind, rows.size()), buildDbf(columns, rows));
    }
};
using Terrain = Layers;
using BuiltEnvironment = Layers;

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

// Buildings, roads, parks and the power network: each table row is one feature with its attribute values.
const std::string kLongName(254, 'N');

TEST_F(BuiltEnvironment, BuildingsTakeWorshipTypeThenFunctionAndNamesOverBoth) {
    // Plain and functional buildings raised to level 2 show the points written a level lower.
    writeFile(dir.file("types.txt"), "op_budynek -1 2\nop_budfunk -1 2\n");
    std::vector<DbfColumn> columns = {{"NAM", 'C', 254}, {"HWT", 'N', 4}, {"BFC", 'N', 6}};
    // Points: the worship type decides and BFC is not read; an unknown HWT falls
    // through to BFC; a known HWT without a row; a known BFC lowers the point;
    // unknown above the range; unknown in the range: functional; point 901,
    // default label by FlagaEt.
    layer("BUILDNGP", Kind::points, columns,
          {{"", "4", "6"}, {"", "5", "6"}, {"", "3", "0"}, {"", "22", "1"}, {"", "0", "999"}, {"", "999", "1000"},
           {"", "0", "-5"}, {"Dom", "0", "32"}, {"", "0", "901"}, {"", "0", "4"}, {"UNK", "0", "16"},
           {" Ratusz", "", "52"}, {"", "0", "33"}, {kLongName, "2", "6"}});
    // Areas: an HWT label with BFC not read; 901 not listed for areas; areas keep their level.
    layer("BUILDNGA", Kind::areas, columns,
          {{"", "20", "6"}, {"", "4", "0"}, {"", "0", "901"}, {"", "0", "999"}, {"", "5", "1000"}, {"", "0", "904"},
           {"Zamek", "0", "4"}});
    expectConversion("built_environment/buildings", {"-t", "types.txt", "BUILDNGP.shp", "BUILDNGA.shp"}, 0, true);
}

// With FlagaEt of the main and the paved road set (x/ROADL), their unnamed
// roads take the USE label.
TEST_F(BuiltEnvironment, RoadsPutNamesIntoShieldCodesAndUseLabelsOnlyWithFlagaEt) {
    std::vector<DbfColumn> columns = {{"TUC", 'N', 4}, {"RTT", 'N', 4}, {"NAM", 'C', 40}, {"USE", 'N', 4}};
    Rows roads = {{"2", "16", "A1", "0"}, {"2", "14", "", "4"}, {"2", "0", "X", "4"}, {"4", "14", "0123456789", "0"},
                  {"42", "14", "01234567890", "0"}, {"36", "16", std::string(30, 'S'), "0"}, {"4", "15", "S7", "114"},
                  {"6", "0", "Marszałkowska"_cp, "0"}, {"4", "3", "", "4"}, {"4", "0", "", "4"},
                  {"43", "14", "UNK", "4"}};
    layer("ROADL", Kind::lines, columns, roads);
    writeFile(dir.file("types.txt"), "ol_droga_g2 -1 -1 1\nol_droga_utw -1 -1 1\n");
    roads[9][3] = "23";  // the international road's label
    roads[10][3] = "7";  // an unknown use: no label
    layer("x/ROADL", Kind::lines, columns, roads);
    expectConversion("built_environment/roads", {"ROADL.shp", "-t", "types.txt", "x/ROADL.shp"}, 0, true);
}

TEST_F(BuiltEnvironment, ParksByUsageThenByWordsOfTheName) {
    // "Park Národný": accented letters are not folded.
    layer("PARKA", Kind::areas, {{"NAM", 'C', 60}, {"USE", 'N', 4}},
          {{"", "4"}, {"", "144"}, {"", "501"}, {"Park NARODOWY", "144"}, {"Park NÁRODNÝ"_cp, "501"},
           {"Park Národný"_cp, "0"}, {"Naturpark Landschaft", "4"}, {"Krajobrazowy i Narodowy", "999"},
           {"Bagno Oratyk", "501"}, {"Bagno Oratyk", "0"}, {"Krajinný park"_cp, "0"}, {"", "7"}, {"Ogród"_cp, "8"}});
    layer("x/PARKA", Kind::areas, {{"NAM", 'C', 20}}, {{"Oratyk"}});
    expectConversion("built_environment/parks", {"PARKA.shp", "x/PARKA.shp"}, 0, true);
}

// The area substation has FlagaEt set, yet features with their record never take its label.
TEST_F(BuiltEnvironment, PowerNetworkLabelsJoinNameOrColonWithValuesInRange) {
    std::vector<DbfColumn> station = {{"NAM", 'C', 254}, {"EPW", 'N', 6}, {"EP1", 'N', 6}, {"EP2", 'N', 6}};
    Rows substations = {{"Stacja", "0", "110", "15"}, {"", "", "400", "999"},    {"Stacja", "0", "0", "15"},
                         {"Stacja", "50", "0", "0"},   {"", "32767", "999", "15"}, {kLongName, "32766", "998", "998"}};
    layer("SUBSTATP", Kind::points, station, substations);
    layer("SUBSTATA", Kind::areas, station, substations);
    std::vector<DbfColumn> plant = {{"NAM", 'C', 20}, {"PPC", 'N', 4}, {"EPW", 'N', 6}};
    layer("POWERPLP", Kind::points, plant,
          {{"", "1", "120"}, {"", "8", "120"}, {"Bełchatów"_cp, "5", ""}, {"", "3", "0"}, {"Opole", "9", "3000"},
           {"", "0", "0"}});
    layer("POWERPLA", Kind::areas, plant, {{"", "999", "-1"}});
    layer("PWRLINEL", Kind::lines, {{"HGT", 'N', 6}, {"NAM", 'C', 20}, {"KVA", 'N', 6}},
          {{"45", "", "220"}, {"0", "Linia", "0"}, {"29999", "", "0"}, {"29998", "L", "32766"}, {"-4", "", "32767"}});
    expectConversion("built_environment/power",
                     {"SUBSTATP.shp", "SUBSTATA.shp", "POWERPLP.shp", "POWERPLA.shp", "PWRLINEL.shp"}, 0, true);
}

// Every layer with a table lacking its fields and a record beyond the table,
// once with the built-in catalogue and once with FlagaEt set everywhere.
TEST_F(BuiltEnvironment, MissingFieldsAndRecordsFallBackAsEachHandlerDefines) {
    const std::string layers[] = {"BUILDNGP", "BUILDNGA", "ROADL", "PARKA", "SUBSTATP", "POWERPLP", "PWRLINEL"};
    writeFile(dir.file("types.txt"), "op_budynek -1 -1 1\noa_budynek -1 -1 1\nol_droga_utw -1 -1 1\n"
                                     "oa_park -1 -1 1\nop_podstacja -1 -1 1\nop_elektr -1 -1 1\nol_energia -1 -1 1\n");
    std::vector<std::string> files;
    for (const std::string& name : layers) {
        Kind kind = name.back() == 'P' ? kPoints : name.back() == 'L' ? kLines : kAreas;
        Bytes shp = buildShp({{shape(kind, 0)}, {shape(kind, 0), 2}}, {.shapeType = shapeType(kind)});
        Conversion::layer(name, shp, buildDbf({{"X", 'C', 4}}, {{"Nic"}}));
        files.push_back(name + ".shp");
    }
    expectConversion("built_environment/missing", files);
    files.insert(files.begin(), {"-t", "types.txt"});
    expectConversion("built_environment/missing_flagged", files);
}

}  // namespace
