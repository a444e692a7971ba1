// Layers converted by the built program, compared byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

using Rows = std::vector<std::vector<std::string>>;

XY pt(int i) { return {19.0 + 0.125 * i, 50.0 + 0.0625 * i}; }

std::string coords(XY p) {
    char text[64];
    std::snprintf(text, sizeof text, "(%1.7f,%1.7f)", p.y, p.x);
    return text;
}

// One object as the map holds it.
std::string object(const char* kind, uint32_t type, int level, const std::string& label,
                   const std::string& data, const char* comment = nullptr) {
    char typeLine[32];
    std::snprintf(typeLine, sizeof typeLine, "Type=0x%02X\n", type);
    std::string text = std::string(kind) + "\n";
    if (comment) text += std::string("; ") + comment + "\n";
    text += typeLine;
    if (!label.empty()) text += "Label=" + label + "\n";
    if (level > 0) text += "EndLevel=" + std::to_string(level > 5 ? 5 : level) + "\n";
    return text + "Data0=" + data + "\n[END]\n\n";
}

std::string poi(uint32_t type, int level, const std::string& label, XY p) {
    return object("[POI]", type, level, label, coords(p));
}

std::string line(uint32_t type, int level, const std::string& label, const std::vector<XY>& points) {
    std::string data;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) data += ',';
        data += coords(points[i]);
    }
    return object("[POLYLINE]", type, level, label, data);
}

std::string comment(const std::string& path) { return ";plik " + path + "\n"; }

// n point records at pt(0), pt(1), ...
Bytes points(int n) {
    std::vector<ShpRecord> records;
    for (int i = 0; i < n; ++i) records.push_back({pointShape(pt(i).x, pt(i).y)});
    return buildShp(records);
}

// n two-point lines, line i from pt(i) to pt(i + 10).
std::vector<XY> lineAt(int i) { return {pt(i), pt(i + 10)}; }
Bytes lines(int n) {
    std::vector<ShpRecord> records;
    for (int i = 0; i < n; ++i) records.push_back({polylineShape({lineAt(i)})});
    return buildShp(records, {.shapeType = 3});
}

class Conversion : public ::testing::Test {
protected:
    TempDir dir;

    void layer(const std::string& base, const Bytes& shp, const Bytes& dbf, const std::string& shpExt = ".shp",
               const std::string& dbfExt = ".dbf") {
        std::filesystem::create_directories(std::filesystem::path(dir.file(base)).parent_path());
        writeFile(dir.file(base + shpExt), shp);
        writeFile(dir.file(base + dbfExt), dbf);
    }

    RunResult convert(const std::vector<std::string>& files, bool logUnknown = false) {
        std::vector<std::string> args;
        if (logUnknown) args.push_back("-g");
        args.insert(args.end(), {"-i", "1", "Test"});
        args.insert(args.end(), files.begin(), files.end());
        return runGeoconv(dir.path, args);
    }

    // The map's text after its header.
    std::string objects(const char* mapFile = "00000001.mp") {
        std::string text = readFile(dir.file(mapFile));
        std::string end = "[END-IMG ID]\n\n";
        std::size_t at = text.find(end);
        return at == std::string::npos ? "no header: " + text : text.substr(at + end.size());
    }
};

TEST_F(Conversion, NamedAirportPointTakesItsNameBeforeTheUseLabel) {
    layer("AIRPORTP", points(4),
          buildDbf({{"NAM", 'C', 20}, {"USE", 'N', 4}}, {{"Balice", "8"}, {"", "8"}, {"", "0"}, {"UNK", "49"}}));
    RunResult run = convert({"AIRPORTP.shp"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "MapID 00000001 Test\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("AIRPORTP.shp") + poi(0x5900, 2, "Balice", pt(0)) +
                             poi(0x5900, 2, "lotnisko wojskowe", pt(1)) + poi(0x5900, 2, "", pt(2)) +
                             poi(0x5900, 2, "lotnisko cywilne", pt(3)));
}

TEST_F(Conversion, NamedIslandGivesOnlyItsExtraPoint) {
    std::vector<XY> ring = {{19.0, 50.0}, {19.002, 50.0}, {19.002, 50.002}, {19.0, 50.002}, {19.0, 50.0}};
    Bytes islands = buildShp({{polygonShape({ring})}, {polygonShape({ring})}}, {.shapeType = 5});
    layer("ISLANDA", islands, buildDbf({{"NAM", 'C', 20}}, {{"Wyspa"}, {" "}}));
    RunResult run = convert({"ISLANDA.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("ISLANDA.shp") +
                             object("[POI]", 0x2800, 2, "Wyspa", coords({19.001, 50.001}), "POI do obszaru"));

    // Without the name field nothing of the layer is written.
    layer("x/ISLANDA", islands, buildDbf({{"NAME", 'C', 20}}, {{"Wyspa"}, {"Ostrow"}}));
    run = convert({"x/ISLANDA.shp"});
    EXPECT_EQ(run.err, "brak pola NAM w zbiorze x/ISLANDA.dbf\n");
    EXPECT_EQ(objects(), comment("x/ISLANDA.shp"));
}

TEST_F(Conversion, TextAndNumberLayersLabelTheirFeatures) {
    layer("AERONTXT", points(3), buildDbf({{"VG_TEXT", 'C', 30}}, {{"Okęcie"_cp}, {""}, {"Babice  "}}));
    layer("ELEVP", points(3), buildDbf({{"ZV2", 'N', 8, 1}}, {{"312.7"}, {""}, {"-4.5"}}));
    layer("d/ELEVP", points(1), buildDbf({{"HGT", 'N', 8}}, {{"7"}}));
    RunResult run = convert({"AERONTXT.shp", "ELEVP.shp", "d/ELEVP.shp"});
    EXPECT_EQ(run.err, "brak pola ZV2 w zbiorze d/ELEVP.dbf\n");
    EXPECT_EQ(objects(), comment("AERONTXT.shp") + poi(0x2800, 1, "Okęcie"_cp, pt(0)) +
                             poi(0x2800, 1, "Babice", pt(2)) + comment("ELEVP.shp") +
                             poi(0x6300, 2, "312", pt(0)) + poi(0x6300, 2, "0", pt(1)) +
                             poi(0x6300, 2, "-4", pt(2)) + comment("d/ELEVP.shp") + poi(0x6300, 2, "", pt(0)));
}

TEST_F(Conversion, HeightLabelsJoinNameOrFallbackWithTheHeight) {
    Rows rows = {{"Kopiec", "12"}, {"", "12"}, {"Kopiec", "29999"}, {"", "-3"}, {"Kopiec", "29998"}};
    layer("CAIRNP", points(5), buildDbf({{"NAM", 'C', 20}, {"PFH", 'N', 6}}, rows));
    layer("GRAINELP", points(2), buildDbf({{"NAM", 'C', 20}, {"HGT", 'N', 6}}, {{"", "30"}, {"", "0"}}));
    RunResult run = convert({"CAIRNP.shp", "GRAINELP.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("CAIRNP.shp") + poi(0x11613, 0, "Kopiec 12m", pt(0)) +
                             poi(0x11613, 0, ": 12m", pt(1)) + poi(0x11613, 0, "Kopiec", pt(2)) +
                             poi(0x11613, 0, "", pt(3)) + poi(0x11613, 0, "Kopiec 29998m", pt(4)) +
                             comment("GRAINELP.shp") + poi(0x11516, 1, "elewator 30m", pt(0)) +
                             poi(0x11516, 1, "elewator", pt(1)));
}

TEST_F(Conversion, CodedHeightLabelsCombineNameKindAndHeight) {
    Rows rows = {{"Stacja", "2", "40"}, {"Stacja", "0", "40"}, {"", "2", "40"},
                 {"", "0", "40"},       {"Stacja", "2", "0"}, {"", "2", "0"}};
    layer("TOWERNCP", points(6), buildDbf({{"NAM", 'C', 20}, {"TTC", 'N', 4}, {"HGT", 'N', 6}}, rows));
    layer("LIGHTHOP", points(1), buildDbf({{"NAM", 'C', 20}, {"MAR", 'N', 4}, {"HGT", 'N', 6}}, {{"", "3", "25"}}));
    RunResult run = convert({"TOWERNCP.shp", "LIGHTHOP.shp"});
    EXPECT_EQ(run.err, "");
    std::string tower = "wieża obserwacyjna"_cp;
    EXPECT_EQ(objects(), comment("TOWERNCP.shp") + poi(0x11517, 2, "Stacja, " + tower + " 40m", pt(0)) +
                             poi(0x11517, 2, "Stacja, 40m", pt(1)) + poi(0x11517, 2, tower + " 40m", pt(2)) +
                             poi(0x11517, 2, ": 40m", pt(3)) + poi(0x11517, 2, "Stacja", pt(4)) +
                             poi(0x11517, 2, tower, pt(5)) + comment("LIGHTHOP.shp") +
                             poi(0x1b10, 1, ": 25m", pt(0)));
}

TEST_F(Conversion, SecondCodeDecidesOnlyWhatTheFirstLeftOpen) {
    Rows rows = {{"", "3", "2"}, {"", "0", "2"}, {"Kanał"_cp, "6", "3"}, {"", "8", "3"}, {"", "7", "0"}};
    layer("CANALL", lines(5), buildDbf({{"NAM", 'C', 20}, {"HYC", 'N', 4}, {"WWR", 'N', 4}}, rows));
    RunResult run = convert({"CANALL.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("CANALL.shp") + line(0x10, 1, "suchy kanał"_cp, lineAt(0)) +
                             line(0x1f, 3, "", lineAt(1)) + line(0x26, 2, "Kanał"_cp, lineAt(2)) +
                             line(0x1f, 4, "", lineAt(3)) + line(0x18, 2, "", lineAt(4)));
}

TEST_F(Conversion, BoundaryJoinsBothNamesAndReportsUnknownCodesOnlyWithTheFlag) {
    Rows rows = {{"Polska", "Czechy", "23"}, {"", "Czechy", "30"}, {"Polska", "NULL", "26"}, {"", "", "77"}};
    layer("ADMBNDL", lines(4), buildDbf({{"NM3", 'C', 20}, {"NM4", 'C', 20}, {"USE", 'N', 4}}, rows));
    std::string expected = comment("ADMBNDL.shp") + line(0x1e, 5, "Polska-Czechy", lineAt(0)) +
                           line(0x1d, 4, "Czechy", lineAt(1)) + line(0x1e, 5, "Polska", lineAt(2)) +
                           line(0x1d, 4, "", lineAt(3));
    RunResult run = convert({"ADMBNDL.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), expected);
    run = convert({"ADMBNDL.shp"}, true);
    EXPECT_EQ(run.err, "nieznana wartosc: 77, pole USE, plik ADMBNDL.shp\n");
    EXPECT_EQ(objects(), expected);
}

TEST_F(Conversion, UnknownCodesOfNamedFeaturesAreReportedWithoutTheFlag) {
    Rows rows = {{"Balice", "77"}, {"", "78"}, {"", "abc"}, {"", "99999999999"}, {"", " "}, {"", "-5"}};
    layer("AIRPORTP", points(6), buildDbf({{"NAM", 'C', 20}, {"USE", 'C', 12}}, rows));
    RunResult run = convert({"AIRPORTP.shp"});
    EXPECT_EQ(run.err, "nieznana wartosc: 77, pole USE, nazwa Balice, plik AIRPORTP.shp\n");
    std::string expected = comment("AIRPORTP.shp") + poi(0x5900, 2, "Balice", pt(0));
    for (int i = 1; i < 6; ++i) expected += poi(0x5900, 2, "", pt(i));
    EXPECT_EQ(objects(), expected);

    run = convert({"AIRPORTP.shp"}, true);
    EXPECT_EQ(run.err,
              "nieznana wartosc: 77, pole USE, nazwa Balice, plik AIRPORTP.shp\n"
              "nieznana wartosc: 78, pole USE, nazwa , plik AIRPORTP.shp\n"
              "nieznana wartosc: 2147483647, pole USE, nazwa , plik AIRPORTP.shp\n"
              "nieznana wartosc: -5, pole USE, nazwa , plik AIRPORTP.shp\n");
    EXPECT_EQ(objects(), expected);
}

TEST_F(Conversion, DecodersChooseObjectsAndLabels) {
    layer("ENTEXITP", points(3), buildDbf({{"TUC", 'N', 4}}, {{"40"}, {"999"}, {"41"}}));
    layer("PROCPLTA", buildShp({{nullShape()}, {nullShape()}}, {.shapeType = 5}),
          buildDbf({{"BFC", 'N', 4}}, {{"7"}, {"83"}}));
    layer("PROCPLTP", points(3), buildDbf({{"NAM", 'C', 10}, {"BFC", 'N', 4}}, {{"", "22"}, {"", "7"}, {"Huta", "7"}}));
    RunResult run = convert({"ENTEXITP.shp", "PROCPLTA.shp", "PROCPLTP.shp"}, true);
    EXPECT_EQ(run.err,
              "nieznana wartosc: 41, pole TUC, nazwa , plik ENTEXITP.shp\n"
              "nieznana wartosc: 7, pole BFC, nazwa , plik PROCPLTP.shp\n"
              "nieznana wartosc: 7, pole BFC, nazwa Huta, plik PROCPLTP.shp\n");
    EXPECT_EQ(objects(), comment("ENTEXITP.shp") + poi(0x2701, 0, "metro", pt(0)) + poi(0x2000, 0, "", pt(1)) +
                             poi(0x2000, 0, "", pt(2)) + comment("PROCPLTA.shp") + comment("PROCPLTP.shp") +
                             poi(0x11608, 1, "", pt(0)) + poi(0x11506, 1, "(fab. 7)", pt(1)) +
                             poi(0x11506, 1, "Huta", pt(2)));
}

TEST_F(Conversion, LongerLayerNamesWinOverTheNamesTheyContain) {
    Bytes table = buildDbf({{"NAM", 'C', 10}}, {{""}});
    layer("MINPILEP", points(1), table);
    layer("PILEP", points(1), table);
    layer("SEAWALLL", lines(1), table);
    layer("WALLL", lines(1), table);
    layer("HUTPX", points(1), table);
    layer("windmilp/sheet", points(1), table);
    RunResult run = convert({"MINPILEP.shp", "PILEP.shp", "SEAWALLL.shp", "WALLL.shp", "HUTPX.shp",
                             "windmilp/sheet.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("MINPILEP.shp") + poi(0x11613, 0, "hałda"_cp, pt(0)) + comment("PILEP.shp") +
                             poi(0x11610, 0, "", pt(0)) + comment("SEAWALLL.shp") +
                             line(0x15, 1, "umocnienie", lineAt(0)) + comment("WALLL.shp") +
                             line(0x1c, 1, "mur", lineAt(0)) + comment("HUTPX.shp") + poi(0x1161d, 0, "", pt(0)) +
                             comment("windmilp/sheet.shp") + poi(0x11514, 1, "", pt(0)));
}

TEST_F(Conversion, SheetDirectoryOfSeveralLayersFillsOneMap) {
    layer("sheet/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}}));
    layer("sheet/ELEVP", points(1), buildDbf({{"ZV2", 'N', 6}}, {{"101"}}));
    layer("sheet/OTHER", points(2), buildDbf({{"NAM", 'C', 10}}, {{"A"}, {"B"}}));
    layer("sheet/CROPA", buildShp({}, {.shapeType = 5}), buildDbf({{"VEG", 'N', 4}}, {{"0"}}));
    RunResult run = convert({"sheet/HUTP.shp", "sheet/OTHER.shp", "sheet/ELEVP.shp", "sheet/CROPA.shp"});
    EXPECT_EQ(run.err, "nieznana nazwa pliku sheet/OTHER.shp\n");
    EXPECT_EQ(objects(), comment("sheet/HUTP.shp") + poi(0x1161d, 0, "Szopa", pt(0)) +
                             comment("sheet/OTHER.shp") + comment("sheet/ELEVP.shp") +
                             poi(0x6300, 2, "101", pt(0)) + comment("sheet/CROPA.shp"));
}

TEST_F(Conversion, ListFileWritesTwoMaps) {
    layer("a/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Pierwsza"}}));
    layer("b/HUTP", points(2), buildDbf({{"NAM", 'C', 10}}, {{"Druga"}, {"Trzecia"}}));
    writeFile(dir.file("lista.txt"), "-i 1 Mapa pierwsza\n a/HUTP.shp\n\n-i   00000002  Mapa druga  \nb/HUTP.shp\n");
    RunResult run = runGeoconv(dir.path, {"-@", "lista.txt"});
    EXPECT_EQ(run.out, "MapID 00000001 Mapa pierwsza\nMapID 00000002 Mapa druga\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects("00000001.mp"), comment("a/HUTP.shp") + poi(0x1161d, 0, "Pierwsza", pt(0)));
    EXPECT_EQ(objects("00000002.mp"),
              comment("b/HUTP.shp") + poi(0x1161d, 0, "Druga", pt(0)) + poi(0x1161d, 0, "Trzecia", pt(1)));
}

TEST_F(Conversion, UpperCaseExtensionsFindTheirTable) {
    layer("HELIPADP", points(2), buildDbf({{"NAM", 'C', 10}}, {{"Lot"}}), ".SHP", ".DBF");
    layer("x/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Mala"}}), ".shp", ".Dbf");
    RunResult run = convert({"HELIPADP.SHP", "x/HUTP.shp"});
    // The table is quoted by the name formed from the shapefile's.
    EXPECT_EQ(run.err, "brak rekordu DBF 2, plik HELIPADP.dbf\n");
    EXPECT_EQ(objects(), comment("HELIPADP.SHP") + poi(0x5900, 1, "Lot", pt(0)) +
                             poi(0x5900, 1, "helikopter", pt(1)) + comment("x/HUTP.shp") +
                             poi(0x1161d, 0, "Mala", pt(0)));
}

TEST_F(Conversion, FilesThatCannotBeLoadedAreSkippedAndTheRunGoesOn) {
    Bytes table = buildDbf({{"NAM", 'C', 10}}, {{"Dobra"}});
    writeFile(dir.file("HUTP.shp"), points(1));  // no table beside it
    layer("bad/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Zla"}}, {.version = 0x83}));
    layer("empty/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {}));
    layer("short/HUTP", buildShp({{pointShape(1, 2)}}, {.lengthWords = 200}), table);
    layer("ok/HUTP", points(1), table);
    writeFile(dir.file("HUTP.shx"), "");
    RunResult run = convert({"HUTP.shp", "bad/HUTP.shp", "empty/HUTP.shp", "short/HUTP.shp", "HUTP.shx",
                             "merge.MP", "missing.shp", "ok/HUTP.shp"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
              "blad otwarcia pliku HUTP.dbf\n"
              "zly format danych pliku dbf bad/HUTP.dbf\n"
              "zly format danych pliku dbf empty/HUTP.dbf\n"
              "zla dlugosc pliku w naglowku SHP: short/HUTP.shp\n"
              "plik powinien miec rozszerzenie *.shp: HUTP.shx\n"
              "scalanie plikow mp nie jest obslugiwane: merge.MP\n"
              "blad otwarcia pliku missing.shp\n");
    EXPECT_EQ(objects(), comment("ok/HUTP.shp") + poi(0x1161d, 0, "Dobra", pt(0)));
}

TEST_F(Conversion, MissingRecordsAndFieldsFallBackPerFeature) {
    // Record numbers 0 and 5 have no row in a two-row table.
    Bytes shp = buildShp({{pointShape(pt(0).x, pt(0).y), 0},
                          {pointShape(pt(1).x, pt(1).y), 2},
                          {pointShape(pt(2).x, pt(2).y), 5}});
    layer("AIRPORTP", shp, buildDbf({{"NAM", 'C', 10}, {"USE", 'N', 4}}, {{"A", "8"}, {"", "22"}}));
    layer("GRAINELP", shp, buildDbf({{"NAM", 'C', 10}}, {{"Silos"}, {""}}));
    RunResult run = convert({"AIRPORTP.shp", "GRAINELP.shp"});
    EXPECT_EQ(run.err,
              "brak rekordu DBF 0, plik AIRPORTP.dbf\n"
              "brak rekordu DBF 5, plik AIRPORTP.dbf\n"
              "brak pola HGT w zbiorze GRAINELP.dbf\n"
              "brak rekordu DBF 0, plik GRAINELP.dbf\n"
              "brak rekordu DBF 5, plik GRAINELP.dbf\n");
    EXPECT_EQ(objects(), comment("AIRPORTP.shp") + poi(0x5900, 2, "", pt(0)) +
                             poi(0x5900, 2, "lotnisko wojskowo-cywilne", pt(1)) + poi(0x5900, 2, "", pt(2)) +
                             comment("GRAINELP.shp") + poi(0x11516, 1, "elewator", pt(0)) +
                             poi(0x11516, 1, "elewator", pt(1)) + poi(0x11516, 1, "elewator", pt(2)));
}

}  // namespace
