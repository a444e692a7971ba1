// Buildings, roads, parks and the power network converted by the built
// program: each table row is one feature with its attribute values; the
// objects and reports are under tests/data/e2e/built_environment/.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/conversion_files.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

using Rows = std::vector<std::vector<std::string>>;

class BuiltEnvironment : public Conversion {
protected:
    // A layer of one feature per row, feature i at place i.
    void layer(const std::string& base, Kind kind, const std::vector<DbfColumn>& columns, const Rows& rows) {
        Conversion::layer(base, shapes(kind, rows.size()), buildDbf(columns, rows));
    }
};

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
    expectConversion(dir, "built_environment/buildings", {"-t", "types.txt", "BUILDNGP.shp", "BUILDNGA.shp"}, 0, true);
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
    expectConversion(dir, "built_environment/roads", {"ROADL.shp", "-t", "types.txt", "x/ROADL.shp"}, 0, true);
}

TEST_F(BuiltEnvironment, ParksByUsageThenByWordsOfTheName) {
    // "Park Národný": accented letters are not folded.
    layer("PARKA", Kind::areas, {{"NAM", 'C', 60}, {"USE", 'N', 4}},
          {{"", "4"}, {"", "144"}, {"", "501"}, {"Park NARODOWY", "144"}, {"Park NÁRODNÝ"_cp, "501"},
           {"Park Národný"_cp, "0"}, {"Naturpark Landschaft", "4"}, {"Krajobrazowy i Narodowy", "999"},
           {"Bagno Oratyk", "501"}, {"Bagno Oratyk", "0"}, {"Krajinný park"_cp, "0"}, {"", "7"}, {"Ogród"_cp, "8"}});
    layer("x/PARKA", Kind::areas, {{"NAM", 'C', 20}}, {{"Oratyk"}});
    expectConversion(dir, "built_environment/parks", {"PARKA.shp", "x/PARKA.shp"}, 0, true);
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
    expectConversion(dir, "built_environment/power",
                     {"SUBSTATP.shp", "SUBSTATA.shp", "POWERPLP.shp", "POWERPLA.shp", "PWRLINEL.shp"}, 0, true);
}

// Every layer with a table lacking its fields and a record beyond the table,
// once with the built-in catalogue and once with FlagaEt set everywhere.
TEST_F(BuiltEnvironment, MissingFieldsAndRecordsFallBackAsEachHandlerDefines) {
    const std::pair<const char*, Kind> layers[] = {
        {"BUILDNGP", Kind::points}, {"BUILDNGA", Kind::areas},  {"ROADL", Kind::lines},   {"PARKA", Kind::areas},
        {"SUBSTATP", Kind::points}, {"POWERPLP", Kind::points}, {"PWRLINEL", Kind::lines},
    };
    writeFile(dir.file("types.txt"), "op_budynek -1 -1 1\noa_budynek -1 -1 1\nol_droga_utw -1 -1 1\n"
                                     "oa_park -1 -1 1\nop_podstacja -1 -1 1\nop_elektr -1 -1 1\nol_energia -1 -1 1\n");
    std::vector<std::string> files;
    for (const auto& [name, kind] : layers) {
        Bytes shp = buildShp({{shape(kind, 0)}, {shape(kind, 0), 2}}, {.shapeType = shapeType(kind)});
        Conversion::layer(name, shp, buildDbf({{"X", 'C', 4}}, {{"Nic"}}));
        files.push_back(std::string(name) + ".shp");
    }
    expectConversion(dir, "built_environment/missing", files);
    files.insert(files.begin(), {"-t", "types.txt"});
    expectConversion(dir, "built_environment/missing_flagged", files);
}

}  // namespace
