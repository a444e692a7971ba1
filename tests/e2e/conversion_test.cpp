// Layers converted by the built program, compared byte for byte with the
// reports and maps under tests/data/e2e/conversion/.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/conversion_files.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

// A named island is only its extra point; without the name field nothing of the layer is written.
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
    expectConversion(dir, "conversion/named_layers",
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
    expectConversion(dir, "conversion/height_labels",
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
    expectConversion(dir, "conversion/coded_layers",
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
    Bytes shp = buildShp({{pointShape(pt(0).x, pt(0).y), 0},
                          {pointShape(pt(1).x, pt(1).y), 2},
                          {pointShape(pt(2).x, pt(2).y), 5}});
    layer("AIRPORTP", shp, buildDbf({{"NAM", 'C', 10}, {"USE", 'N', 4}}, {{"A", "8"}, {"", "22"}}));
    layer("GRAINELP", shp, buildDbf({{"NAM", 'C', 10}}, {{"Silos"}, {""}}));
    expectConversion(dir, "conversion/file_names",
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
        expectConversion(dir, "conversion/flat_shapes", {"-z", "HUTP.shp", "RIVERL.shp", "ZOOA.shp", "ISLANDA.shp"});
    }
    expectConversion(dir, "conversion/flat_shapes_refused",
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
    std::vector<std::vector<std::string>> rows(records.size(), {""});
    layer("HUTP", buildShp(records, {.shapeType = 11}), buildDbf({{"NAM"}}, rows));
    expectConversion(dir, "conversion/flat_length", {"-z", "HUTP.shp"});
}

}  // namespace
