// Relief, water text, lake, built-up area, embankment and forest layers
// converted by the built program, and the -s reports, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog.hpp"
#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

// Every feature lies at one place: a point, a line from it, or a square.
constexpr int kAt = 4;
constexpr Kind kPoints = Kind::points, kLines = Kind::lines, kAreas = Kind::areas;
// A depth figure: 45 and 70 hundred-thousandths of a degree beside its point.
const char* const kDepthData = "(50.2504500,19.5007000)";

std::string poi(uint32_t type, int level, const std::string& label) { return placed(kPoints, type, level, label, kAt); }
std::string line(uint32_t type, int level, const std::string& label) { return placed(kLines, type, level, label, kAt); }
std::string area(uint32_t type, int level, const std::string& label) { return placed(kAreas, type, level, label, kAt); }
// A lake and its named point at the centre (level 2 at most).
std::string lake(uint32_t type, int level, const std::string& label) {
    std::string centre = coords({pt(kAt).x + 0.001, pt(kAt).y + 0.001});
    return area(type, level, label) + object("[POI]", 0x650d, std::min(level, 2), label, centre, "POI do obszaru");
}

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
    // after the options given.
    RunResult convert(const std::vector<Layer>& layers, const std::vector<std::string>& options = {},
                      const std::vector<Layer>& later = {}, int status = 0) {
        std::vector<std::string> args = {"-i", "1", "Test"};
        for (const Layer& layer : layers) write(layer), args.push_back(layer.path + ".shp");
        args.insert(args.end(), options.begin(), options.end());
        for (const Layer& layer : later) write(layer), args.push_back(layer.path + ".shp");
        return run(args, status);
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
    RunResult run = convert(
        layers, {"-t", "types.txt"},
        {{"t/CTRLPNTP", kPoints, {{"NAM", 'C', 10}, {"CSC", 'N', 4}, {"ZV2", 'N', 8}},
          {{"x:Rysy", "0", "612"}, {"x:Las", "7", "300"}}},
         {"t/MTNPASSP", kPoints, {{"NAM", 'C', 10}, {"ZV2", 'N', 8}}, {{"", "812"}, {"Hala", "-4"}}}},
        2);
    EXPECT_EQ(run.err,
              "brak rekordu DBF 6, plik CONTOURL.dbf\nbrak pola HQC w zbiorze x/CONTOURL.dbf\n"
              "blad przetwarzania pliku x/CONTOURL.shp\nbrak pola ZV2 w zbiorze y/CONTOURL.dbf\n"
              "blad przetwarzania pliku y/CONTOURL.shp\nbrak rekordu DBF 15, plik CTRLPNTP.dbf\n"
              "brak pola CSC w zbiorze x/CTRLPNTP.dbf\nbrak rekordu DBF 4, plik MTNPASSP.dbf\n"
              "brak pola ZV2 w zbiorze x/MTNPASSP.dbf\nbrak rekordu DBF 10, plik HYDROTXT.dbf\n"
              "brak pola F_CODE w zbiorze x/HYDROTXT.dbf\nbrak pola SYMBOL_ID w zbiorze x/HYDROTXT.dbf\n");
    std::string depth = object("[POI]", 0x6200, 2, "12", kDepthData);
    EXPECT_EQ(objects(),
              comment("CONTOURL.shp") + line(0x22, 1, "124") + line(0x21, 1, "-13") + line(0x20, 0, "0") +
                  line(0x20, 0, "214748365") + line(0x20, 0, "-214748365") + line(0x20, 0, "") +
                  comment("x/CONTOURL.shp") + comment("y/CONTOURL.shp") + comment("CTRLPNTP.shp") +
                  poi(0x661f, 2, "Łysica~[0x1f]612"_cp) + poi(0x661f, 2, "~[0x1f]300") +
                  poi(0x661f, 2, "Wielki WIERCH~[0x1f]300") + poi(0x661f, 3, "Babia GÓRA~[0x1f]1725"_cp) +
                  poi(0x661f, 2, "~[0x1f]1725") + poi(0x661f, 2, "Rysy~[0x1f]2000") +
                  poi(0x661f, 3, "Rysy~[0x1f]2001") + poi(0x661f, 2, "~[0x1f]2001") +
                  poi(0x661f, 2, " Rysy~[0x1f]29998") + poi(0x661f, 2, "Rysy") +
                  poi(0x661f, 2, "Rysy~[0x1f]-214748365") + poi(0x661f, 2, kLong + "~[0x1f]5") +
                  poi(0x661f, 2, "~[0x1f]5") + poi(0x661f, 3, "KOPA~[0x1f]0") + poi(0x661f, 2, "") +
                  comment("x/CTRLPNTP.shp") + poi(0x661f, 2, "~[0x1f]100") + poi(0x661f, 2, "Hala KOPA~[0x1f]100") +
                  comment("MTNPASSP.shp") + poi(0x661e, 2, "Przełęcz~[0x1f]812"_cp) + poi(0x661e, 2, "~[0x1f]812") +
                  poi(0x661e, 2, "Przełęcz"_cp) + poi(0x661e, 2, "") + comment("x/MTNPASSP.shp") +
                  poi(0x661e, 2, "Przełęcz"_cp) + comment("HYDROTXT.shp") + depth + poi(0x2800, 1, "12") +
                  poi(0x2800, 1, "29999") + object("[POI]", 0x6200, 2, "-3,5 m", kDepthData) +
                  poi(0x2800, 1, "12") + poi(0x2800, 1, "Wisła"_cp) +
                  object("[POI]", 0x6200, 2, "99999999999", kDepthData) + comment("x/HYDROTXT.shp") +
                  poi(0x2800, 1, "12") + comment("t/CTRLPNTP.shp") + poi(0x6620, 2, "Rysy 612 m") +
                  poi(0x6620, 2, " 300 m") + comment("t/MTNPASSP.shp") + poi(0x63ff, 2, " 812 m") +
                  poi(0x63ff, 2, "Hala -4 m"));
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
    RunResult run = convert(layers);
    EXPECT_EQ(run.err,
              "brak rekordu DBF 9, plik LAKEA.dbf\nbrak pola ARH w zbiorze x/LAKEA.dbf\n"
              "brak rekordu DBF 6, plik BUILTUPA.dbf\nbrak pola NA2 w zbiorze x/BUILTUPA.dbf\n"
              "brak pola PIT w zbiorze x/BUILTUPA.dbf\nbrak rekordu DBF 8, plik EMBANKL.dbf\n"
              "brak pola CET w zbiorze x/EMBANKL.dbf\nbrak pola TUC w zbiorze x/EMBANKL.dbf\n");
    EXPECT_EQ(objects(),
              comment("LAKEA.shp") + lake(0x41, 2, "Łańskie"_cp) + lake(0x3f, 3, "") + lake(0x3f, 3, "") +
                  lake(0x3d, 4, "") + lake(0x3d, 4, "") + lake(0x44, 5, "") + lake(0x41, 2, "") +
                  lake(0x41, 2, "") + lake(0x3f, 3, "") + comment("x/LAKEA.shp") + lake(0x3f, 3, "Jezioro") +
                  comment("BUILTUPA.shp") + area(0x03, 2, "Nowa-Wieś"_cp) + area(0x02, 3, "Wieś"_cp) +
                  area(0x02, 3, "Nowa") + area(0x01, 4, "zabudowa") + area(0x03, 2, "zabudowa") +
                  area(0x02, 3, "zabudowa") + comment("x/BUILTUPA.shp") + area(0x02, 3, "Nowa") + comment("EMBANKL.shp") +
                  line(0x27, 1, "nasyp 4m") + line(0x12, 1, "nasyp, 4m") + line(0x12, 1, "nasyp, 4m") +
                  line(0x27, 1, "") + line(0x27, 1, "") + line(0x27, 1, "nasyp 29998m") + line(0x27, 1, "") +
                  line(0x12, 1, "nasyp") + comment("x/EMBANKL.shp") + line(0x12, 1, "nasyp, 7m"));
}

const std::vector<DbfColumn> kForestColumns = {{"NAM", 'C', 254}, {"TRE", 'N', 4},      {"VEG", 'N', 4},
                                               {"PHT", 'N', 11},  {"SDS", 'N', 14, 2}, {"TSC", 'N', 11}};

// The reports of a forest table that has only the species field.
std::string missingFields(const std::string& table) {
    std::string text;
    for (const char* field : {"NAM", "TRE", "PHT", "TSC", "SDS"})
        text += std::string("brak pola ") + field + " w zbiorze " + table + "\n";
    return text;
}

TEST_F(Terrain, ForestsTakeTheirKindAndJoinNameSpeciesAndStand) {
    RunResult run = convert({{"FORESTA", kAreas, kForestColumns,
                              {{"", "502", "", "", "", ""}, {"Puszcza", "502", "0", "", "", ""},
                               {"Bór"_cp, "2", "31", "18", "0.25", "6"}, {"", "2", "31", "18", "0.05", "6"},
                               {"", "1", "0", "18", "0.05", "6"}, {"Las", "3", "999", "18", "0.05", "6"},
                               {"", "0", "501", "18", "0", "6"}, {"", "501", "27", "-1", "1", "1"},
                               {"", "7", "44", "18", "0.05", "0"}, {"  ", "-1", "", "", "", ""},
                               {kLong + "AA", "504", "25", "99999999999", "99999999999.99", "99999999999"}},
                              true},
                             {"x/FORESTA", kAreas, {{"VEG", 'N', 4}}, {{"31"}}}});
    EXPECT_EQ(run.err, "brak rekordu DBF 12, plik FORESTA.dbf\n" + missingFields("x/FORESTA.dbf"));
    EXPECT_EQ(objects(),
              comment("FORESTA.shp") + area(0x4f, 2, "rzadki las") + area(0x4f, 2, "Puszcza") +
                  area(0x1f, 2, "Bór~[0x1c] sosna 18/0.25 6"_cp) + area(0x1f, 2, "~[0x1c]sosna 18/0.05 6") +
                  area(0x1e, 2, "~[0x1c]18/0.05 6") + area(0x14, 2, "Las~[0x1c] 18/0.05 6") +
                  area(0x14, 2, "~[0x1c]świerk"_cp) + area(0x4f, 2, "wiatrołom~[0x1c] jodła"_cp) +
                  area(0x14, 2, "~[0x1c]wiąz"_cp) + area(0x14, 2, "") +
                  area(0x4f, 2, kLong + "AA~[0x1c] (sosna świerk) 2147483647/21474836.47 2147483647"_cp) +
                  area(0x14, 2, "") + comment("x/FORESTA.shp") + area(0x14, 2, "~[0x1c]sosna"));
}

// The object report of the built-in catalogue: the entries named first, with
// their counts, then every other entry of each group with 0 in catalogue order.
std::string objectReport(const std::vector<std::pair<std::string, unsigned>>& counted, unsigned unknown) {
    std::string text = "\n\nStatysytka wystepowania obiektow\n\nLiczba obiektow: 318\n";
    char row[64];
    auto add = [&](const std::string& id, unsigned count) {
        std::snprintf(row, sizeof row, "\t%-18s%7u\n", id.c_str(), count);
        text += row;
    };
    for (const auto& [title, kind] : {std::pair{"Punkty", 'p'}, {"Linie", 'l'}, {"Obszary", 'a'}}) {
        text += std::string("\n") + title + "\n";
        for (const auto& [id, count] : counted)
            if (id[1] == kind) add(id, count);
        for (int i = 1; i < catalog::kCatalogueSize; ++i) {
            std::string id = catalog::catalogue[i].Obiekt;
            bool listed = std::any_of(counted.begin(), counted.end(), [&](const auto& c) { return c.first == id; });
            if (id[1] == kind && !listed) add(id, 0);
        }
    }
    std::snprintf(row, sizeof row, "\nNieznane obiekty: %15u\n\n", unknown);
    return text + row;
}

const std::string kNoTreeReport = "\nbrak statystyki gatunkow drzew\n";

// Without input the report lists every entry in catalogue order. The reports
// come after the map is closed, also when the walk stopped early; features of
// unknown species alone make no tree report.
TEST_F(Terrain, StatisticsFollowTheRunAlsoAStoppedOne) {
    EXPECT_EQ(runGeoconv(dir.path, {"-s"}), (RunResult{0, objectReport({}, 0) + kNoTreeReport, ""}));
    write({"FORESTA", kAreas, kForestColumns, {{"", "2", "999", "", "", ""}, {"", "1", "0", "", "", ""}}});
    write({"HUTP", kPoints, {{"NAM", 'C', 4}}, {{"a"}}});
    EXPECT_EQ(runGeoconv(dir.path, {"-s", "-i", "1", "A", "FORESTA.shp", "-x", "HUTP.shp"}),
              (RunResult{2, "MapID 00000001 A\n" + objectReport({{"oa_laslisc", 1}, {"oa_lasiglas", 1}}, 0) +
                                kNoTreeReport, "nieznana opcja -x\n"}));
    EXPECT_NE(readFile(dir.file("00000001.mp")).find("[END-IMG ID]"), std::string::npos);
}

TEST_F(Terrain, StatisticsCountOverAllMapsAndRoundPercentagesHalfUp) {
    auto forest = [](const std::vector<std::pair<const char*, const char*>>& features) {
        Layer layer{"a/FORESTA", kAreas, kForestColumns, {}};
        for (const auto& [tre, veg] : features) layer.rows.push_back({"", tre, veg, "", "", ""});
        return layer;
    };
    Layer first = forest({{"2", "31"}, {"2", "31"}, {"2", "31"}, {"2", "31"}, {"2", "31"}, {"1", "31"},
                          {"7", "31"}, {"3", "31"}, {"0", "27"}, {"3", "27"}, {"2", "999"}, {"1", "28"},
                          {"2", "28"}, {"3", "28"}});
    Layer second{"b/FORESTA", kAreas, {{"VEG", 'N', 4}}, {{"37"}, {"0"}}};
    write(first);
    write(second);
    write({"a/LAKEA", kAreas, {{"NAM", 'C', 4}, {"ARH", 'N', 6}}, {{"", "5"}, {"", "5"}}});
    write({"b/OTHER", kPoints, {{"NAM", 'C', 4}}, {{""}, {""}, {""}}});
    RunResult result =
        run({"-s", "-i", "1", "A", "a/FORESTA.shp", "a/LAKEA.shp", "-i", "2", "B", "b/FORESTA.shp", "b/OTHER.shp"}, 2);
    EXPECT_EQ(result.err, missingFields("b/FORESTA.dbf") + "nieznana nazwa pliku b/OTHER.shp\n");
    // Equal counts keep catalogue order: the medium lake before the broad-leaved forest.
    std::string objects = objectReport(
        {{"oa_lasiglas", 7}, {"oa_las", 4}, {"oa_lasmiesz", 3}, {"oa_jezioro_m", 2}, {"oa_laslisc", 2}}, 3);
    // 14 features of known species: shares of 14, and each row's kinds as shares of its features.
    std::string trees = "\nstatystka gatunkow drzew\n"
                        "gatunek       obiekty    proc.     igl.   liść.  miesz.   brak    inne\n"_cp;
    const std::pair<const char*, const char*> counted[] = {
        {"jodla:", "    2    14 %      0 %     0 %    50 %    50 %     0 %"},
        {"buk:", "    3    21 %     33 %    33 %    33 %     0 %     0 %"},
        {"sosna:", "    8    57 %     63 %    13 %    13 %     0 %    13 %"},
        {"modrzew:", "    1     7 %      0 %     0 %     0 %     0 %   100 %"}};
    for (const char* row : {"12:", "20:", "24:", "25:", "jodla:", "buk:", "dab:", "sosna:", "klon:", "modrzew:",
                            "wiaz:", "brzoza:", "jesion:", "leszczyna:", "49:", "50:", "52:", "500:", "swierk:",
                            "olcha:", "901:", "902:"}) {
        std::string values = "    0     0 %      0 %     0 %     0 %     0 %     0 %";
        for (const auto& [name, given] : counted)
            if (std::string(name) == row) values = given;
        bool oneTab = std::strcmp(row, "modrzew:") == 0 || std::strcmp(row, "leszczyna:") == 0;
        trees += row + std::string(oneTab ? "\t" : "\t\t") + values + "\n";
    }
    trees += "\ninne:\t\t    2            50 %     0 %     0 %     0 %    50 %\n\n";
    EXPECT_EQ(result.out, "MapID 00000001 A\nMapID 00000002 B\n" + objects + trees);
}

}  // namespace
