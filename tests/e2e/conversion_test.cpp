// Layers converted by the built program, compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

TEST_F(Conversion, NamedTextAndNumberLayersLabelFromTheirField) {
    std::vector<XY> ring = {{19.0, 50.0}, {19.002, 50.0}, {19.002, 50.002}, {19.0, 50.002}, {19.0, 50.0}};
    Bytes islands = buildShp({{polygonShape({ring})}, {polygonShape({ring})}}, {.shapeType = 5});
    layer("HUTP", points(3), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}, {"unk"}, {" x"}}));
    layer("HELIPADP", points(1), buildDbf({{"X", 'C', 4}}, {{"Lot"}}));  // no NAM: quietly the default label
    layer("ISLANDA", islands, buildDbf({{"NAM", 'C', 20}}, {{"Wyspa"}, {" "}}));
    layer("x/ISLANDA", islands, buildDbf({{"NAME", 'C', 20}}, {{"Wyspa"}, {"Ostrow"}}));
    layer("AERONTXT", points(3), buildDbf({{"VG_TEXT", 'C', 30}}, {{"Okęcie"_cp}, {""}, {"Babice  "}}));
    layer("x/AERONTXT", points(1), buildDbf({{"TEXT", 'C', 30}}, {{"Okęcie"_cp}}));
    layer("ELEVP", points(3), buildDbf({{"ZV2", 'N', 8, 1}}, {{"312.7"}, {""}, {"-4.5"}}));
    layer("x/ELEVP", points(1), buildDbf({{"HGT", 'N', 8}}, {{"7"}}));
    layer("OTHER", points(2), buildDbf({{"NAM", 'C', 10}}, {{"A"}, {"B"}}));
    RunResult run = convert({"HUTP.shp", "HELIPADP.shp", "ISLANDA.shp", "x/ISLANDA.shp", "AERONTXT.shp",
                             "x/AERONTXT.shp", "ELEVP.shp", "x/ELEVP.shp", "OTHER.shp"},
                            2);
    EXPECT_EQ(run, (RunResult{2, "MapID 00000001 Test\n",
                              "brak pola NAM w zbiorze x/ISLANDA.dbf\nbrak pola VG_TEXT w zbiorze x/AERONTXT.dbf\n"
                              "brak pola ZV2 w zbiorze x/ELEVP.dbf\nnieznana nazwa pliku OTHER.shp\n"}));
    // A named island is only its extra point; without the name field nothing of the layer is written.
    EXPECT_EQ(objects(), comment("HUTP.shp") + pois(0x1161d, 0, {"Szopa", "", ""}) + comment("HELIPADP.shp") +
                             poi(0x5900, 1, "helikopter", 0) + comment("ISLANDA.shp") +
                             object("[POI]", 0x2800, 2, "Wyspa", coords({19.001, 50.001}), "POI do obszaru") +
                             comment("x/ISLANDA.shp") + comment("AERONTXT.shp") +
                             pois(0x2800, 1, {"Okęcie"_cp, nullptr, "Babice"}) + comment("x/AERONTXT.shp") +
                             comment("ELEVP.shp") + pois(0x6300, 2, {"312", "0", "-4"}) +
                             comment("x/ELEVP.shp") + poi(0x6300, 2, "", 0) + comment("OTHER.shp"));
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
    RunResult run = convert({"CAIRNP.shp", "GRAINELP.shp", "TOWERNCP.shp", "LIGHTHOP.shp", "COMMTWRP.shp"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(objects(), comment("CAIRNP.shp") +
                             pois(0x11613, 0, {"Kopiec 12m", ": 12m", "Kopiec", "", "Kopiec 29998m"}) +
                             comment("GRAINELP.shp") + pois(0x11516, 1, {"elewator 30m", "elewator"}) +
                             comment("TOWERNCP.shp") +
                             pois(0x11517, 2,
                                  {"Stacja, wieża obserwacyjna 40m"_cp, "Stacja, 40m", "wieża obserwacyjna 40m"_cp,
                                   ": 40m", "Stacja", "wieża obserwacyjna"_cp}) +
                             comment("LIGHTHOP.shp") + poi(0x1b10, 1, ": 25m", 0) + comment("COMMTWRP.shp") +
                             poi(0x1151a, 2, "antena 7m", 0));
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
    std::vector<std::string> files = {"AIRPORTP.shp", "PROCPLTA.shp", "CEMETRYP.shp", "ENTEXITP.shp",
                                      "PROCPLTP.shp", "CANALL.shp",   "ADMBNDL.shp",  "x/DITCHL.shp",
                                      "x/ADMBNDL.shp", "x/PYLONC.shp"};
    std::string expected =
        comment("AIRPORTP.shp") +
        pois(0x5900, 2, {"Balice", "lotnisko wojskowe", "", "lotnisko cywilne", "Modlin", "", "", "", "", ""}) +
        comment("PROCPLTA.shp") + comment("CEMETRYP.shp") + pois(0x11502, 1, {"Rakowicki", ""}) +
        comment("ENTEXITP.shp") + poi(0x2701, 0, "metro", 0) + pois(0x2000, 0, {nullptr, "", ""}) +
        comment("PROCPLTP.shp") + poi(0x11608, 1, "", 0) + pois(0x11506, 1, {nullptr, "(fab. 7)", "Huta"}) +
        comment("CANALL.shp") + line(0x10, 1, "suchy kanał"_cp, 0) + line(0x1f, 3, "", 1) +
        line(0x26, 2, "Kanał"_cp, 2) + line(0x1f, 4, "", 3) + line(0x18, 2, "", 4) +
        line(0x26, 2, "rów"_cp, 5) + line(0x18, 2, "Rów"_cp, 6) + comment("ADMBNDL.shp") +
        line(0x1e, 5, "Polska-Czechy", 0) + line(0x1d, 4, "Czechy", 1) + line(0x1e, 5, "Polska", 2) +
        line(0x1d, 4, "", 3) + comment("x/DITCHL.shp") + line(0x26, 2, "Rów"_cp, 0) + comment("x/ADMBNDL.shp") +
        line(0x1d, 4, "", 0) + comment("x/PYLONC.shp") + poi(0x11610, 0, "Rów"_cp, 0);
    // Each report, and whether it needs -g.
    const std::vector<std::pair<bool, std::string>> reports = {
        {false, "nieznana wartosc: 77, pole USE, nazwa Modlin, plik AIRPORTP.shp\n"},
        {true, "nieznana wartosc: 78, pole USE, nazwa , plik AIRPORTP.shp\n"},
        {true, "nieznana wartosc: 2147483647, pole USE, nazwa , plik AIRPORTP.shp\n"},
        {true, "nieznana wartosc: -5, pole USE, nazwa , plik AIRPORTP.shp\n"},
        {false, "brak pola REL w zbiorze CEMETRYP.dbf\n"},
        {true, "nieznana wartosc: 41, pole TUC, nazwa , plik ENTEXITP.shp\n"},
        {true, "nieznana wartosc: 7, pole BFC, nazwa , plik PROCPLTP.shp\n"},
        {false, "nieznana wartosc: 7, pole BFC, nazwa Huta, plik PROCPLTP.shp\n"},
        {true, "nieznana wartosc: 7, pole HYC, nazwa , plik CANALL.shp\n"},
        {false, "nieznana wartosc: 9, pole WWR, nazwa Rów, plik CANALL.shp\n"_cp},
        {true, "nieznana wartosc: 77, pole USE, plik ADMBNDL.shp\n"},
        {false, "brak pola WWR w zbiorze x/DITCHL.dbf\nbrak pola HYC w zbiorze x/DITCHL.dbf\n"},
        {false, "brak pola NM3 w zbiorze x/ADMBNDL.dbf\nbrak pola NM4 w zbiorze x/ADMBNDL.dbf\n"},
        {false, "brak pola USE w zbiorze x/ADMBNDL.dbf\n"},
        {false, "brak pola MCC w zbiorze x/PYLONC.dbf\nbrak pola HGT w zbiorze x/PYLONC.dbf\n"},
    };
    convertWithAndWithoutFlag(files, expected, reports);
}

// The layer is named by the file alone: folders named like a layer code (a
// town such as Bogatynia holds BOGA) take no part.
TEST_F(Conversion, LayersAreFoundByFileNameAndFeaturesWithoutTheirRowFallBack) {
    Bytes table = buildDbf({{"NAM", 'C', 10}}, {{""}});
    layer("MINPILEP", points(1), table);
    layer("windmilp/sheet", points(1), table);
    layer("Bogatynia/x_HUTP_2", points(1), table);
    layer("boga\\HUTP", points(1), table);  // one file name; the backslash separates on Windows
    layer("HELIPADP", points(2), buildDbf({{"NAM", 'C', 10}}, {{"Lot"}}), ".SHP", ".DBF");
    layer("x/HUTP", points(1), buildDbf({{"NAM", 'C', 10}}, {{"Mala"}}), ".shp", ".Dbf");
    // Record numbers 0 and 5 have no row in a two-row table.
    Bytes shp = buildShp({{pointShape(pt(0).x, pt(0).y), 0},
                          {pointShape(pt(1).x, pt(1).y), 2},
                          {pointShape(pt(2).x, pt(2).y), 5}});
    layer("AIRPORTP", shp, buildDbf({{"NAM", 'C', 10}, {"USE", 'N', 4}}, {{"A", "8"}, {"", "22"}}));
    layer("GRAINELP", shp, buildDbf({{"NAM", 'C', 10}}, {{"Silos"}, {""}}));
    RunResult run = convert({"MINPILEP.shp", "windmilp/sheet.shp", "Bogatynia/x_HUTP_2.shp", "boga\\HUTP.shp",
                             "HELIPADP.SHP", "x/HUTP.shp", "AIRPORTP.shp", "GRAINELP.shp"},
                            2);
    // The table is quoted by the name formed from the shapefile's.
    EXPECT_EQ(run.err,
              "nieznana nazwa pliku windmilp/sheet.shp\n"
              "brak rekordu DBF 2, plik HELIPADP.dbf\n"
              "brak rekordu DBF 0, plik AIRPORTP.dbf\n"
              "brak rekordu DBF 5, plik AIRPORTP.dbf\n"
              "brak pola HGT w zbiorze GRAINELP.dbf\n"
              "brak rekordu DBF 0, plik GRAINELP.dbf\n"
              "brak rekordu DBF 5, plik GRAINELP.dbf\n");
    EXPECT_EQ(objects(), comment("MINPILEP.shp") + poi(0x11613, 0, "hałda"_cp, 0) +
                             comment("windmilp/sheet.shp") + comment("Bogatynia/x_HUTP_2.shp") + hut("") +
                             comment("boga\\HUTP.shp") + hut("") + comment("HELIPADP.SHP") +
                             pois(0x5900, 1, {"Lot", "helikopter"}) + comment("x/HUTP.shp") +
                             poi(0x1161d, 0, "Mala", 0) + comment("AIRPORTP.shp") +
                             pois(0x5900, 2, {"", "lotnisko wojskowo-cywilne", ""}) + comment("GRAINELP.shp") +
                             pois(0x11516, 1, {"elewator", "elewator", "elewator"}));
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
// Y alone, byte for byte as the flat records; without it they are refused.
TEST_F(Conversion, FlatShapesOptionTakesHeightAndMeasureRecordsAsFlat) {
    std::vector<XY> outer = {{19.0, 50.0}, {19.02, 50.0}, {19.02, 50.02}, {19.0, 50.02}, {19.0, 50.0}};
    std::vector<XY> hole = {{19.005, 50.005}, {19.01, 50.005}, {19.01, 50.01}, {19.005, 50.01}};
    // Points, a line of two parts, an area with a hole, an area with an extra point.
    const Bytes flat[] = {pointShape(pt(0).x, pt(0).y), pointShape(pt(1).x, pt(1).y),
                          polylineShape({{pt(0), pt(1)}, {pt(2), pt(3), pt(4)}}), polygonShape({outer, hole}),
                          polygonShape({outer})};
    const std::string hut = comment("HUTP.shp") + pois(0x1161d, 0, {"Szopa", ""});
    const std::string river = comment("RIVERL.shp") + object("[POLYLINE]", 0x1f, 4, "",
                                                             coordList({pt(0), pt(1)}) + "\nData0=" +
                                                                 coordList({pt(2), pt(3), pt(4)}));
    const std::string zoo =
        comment("ZOOA.shp") +
        object("[POLYGON]", 0x08, 3, "ZOO/ogród botaniczny"_cp, coordList(outer, 4) + "\nData0=" + coordList(hole));
    const std::string island =
        comment("ISLANDA.shp") + object("[POI]", 0x2800, 2, "Wyspa", coords({19.01, 50.01}), "POI do obszaru");
    // step 0 writes the flat records, 10 those with heights, 20 those with measures.
    auto writeLayers = [&](uint32_t step, double value) {
        auto shape = [&](int i) {
            uint32_t type = static_cast<uint8_t>(flat[i][0]);
            return step ? raisedShape(flat[i], type + step, value) : flat[i];
        };
        layer("HUTP", buildShp({{shape(0)}, {shape(1)}}), buildDbf({{"NAM", 'C', 10}}, {{"Szopa"}, {""}}));
        layer("RIVERL", buildShp({{shape(2)}}), buildDbf({{"NAM"}, {"HYC"}, {"WWR"}}, {{"", "0", "3"}}));
        layer("ZOOA", buildShp({{shape(3)}}), buildDbf({{"NAM"}}, {{""}}));
        layer("ISLANDA", buildShp({{shape(4)}}), buildDbf({{"NAM"}}, {{"Wyspa"}}));
    };
    const std::pair<uint32_t, double> variants[] = {{0, 0.0}, {10, 0.0}, {10, std::nan("")}, {20, 7.5}};
    for (const auto& [step, value] : variants) {
        SCOPED_TRACE(step);
        writeLayers(step, value);
        EXPECT_EQ(run({"-z", "-i", "1", "Test", "HUTP.shp", "RIVERL.shp", "ZOOA.shp", "ISLANDA.shp"}).err, "");
        EXPECT_EQ(objects(), hut + river + zoo + island);
    }

    // Without -z, or before it, the records are refused, nothing is written,
    // and each such file's messages end with the hint.
    const std::string hint = "uzyj opcji -z dla typow SHP z wysokoscia lub miara, plik ";
    EXPECT_EQ(run({"-i", "1", "Test", "HUTP.shp", "ZOOA.shp", "-z", "RIVERL.shp", "ISLANDA.shp"}).err,
              "nieobslugiwany typ rekordu SHP 21, plik HUTP.shp\n"
              "nieobslugiwany typ rekordu SHP 21, plik HUTP.shp\n" +
                  hint + "HUTP.shp\n"
                  "nieobslugiwany typ rekordu SHP 25, plik ZOOA.shp\n" +
                  hint + "ZOOA.shp\n");
    EXPECT_EQ(objects(), comment("HUTP.shp") + comment("ZOOA.shp") + river + island);
}

// Under -z the flat length rules hold for X and Y; what follows is never read.
TEST_F(Conversion, FlatShapesOptionChecksRecordsByTheirFlatLength) {
    const Bytes flatLine = polylineShape({{pt(0), pt(10)}});
    const Bytes lineZ = raisedShape(flatLine, 13, 1.0);
    struct Row {
        Bytes content;
        std::string err;  // empty: written
    };
    const Row rows[] = {
        {rawShape(11, Bytes(14, '\0')), "zla dlugosc rekordu SHP 11, plik HUTP.shp\n"},
        {rawShape(21, Bytes(14, '\0')), "zla dlugosc rekordu SHP 21, plik HUTP.shp\n"},
        {rawShape(11, pointShape(pt(0).x, pt(0).y).substr(4)), ""},  // no room for the height: flat length is enough
        {rawShape(13, Bytes(38, '\0')), "zla dlugosc rekordu SHP 13, plik HUTP.shp\n"},
        {rawShape(23, flatLine.substr(4)), ""},
        {patched(lineZ, 40, 0x10000000), "zla dlugosc rekordu SHP 13, plik HUTP.shp\n"},  // 16 x NumPoints wraps
        {patched(raisedShape(flatLine, 25, 1.0), 36, 0x40000000), "zla dlugosc rekordu SHP 25, plik HUTP.shp\n"},
        {patched(lineZ, 40, 0xFFFFFFFF), "zla dlugosc rekordu SHP 13, plik HUTP.shp\n"},
        {rawShape(18, lineZ.substr(4)), "nieobslugiwany typ rekordu SHP 18, plik HUTP.shp\n"},  // multipoint
        {rawShape(31, lineZ.substr(4)), "nieobslugiwany typ rekordu SHP 31, plik HUTP.shp\n"},
    };
    std::vector<ShpRecord> records;
    std::vector<std::vector<std::string>> names;
    std::string err;
    std::string written = comment("HUTP.shp");
    for (const Row& row : rows) {
        records.push_back({row.content});
        names.push_back({""});
        err += row.err;
        if (!row.err.empty()) continue;
        uint32_t type = static_cast<uint8_t>(row.content[0]);
        written += type % 10 == 1 ? poi(0x1161d, 0, "", 0) : line(0x1161d, 0, "", 0);
    }
    layer("HUTP", buildShp(records, {.shapeType = 11}), buildDbf({{"NAM"}}, names));
    EXPECT_EQ(run({"-z", "-i", "1", "Test", "HUTP.shp"}).err, err);
    EXPECT_EQ(objects(), written);
}

}  // namespace
