// The layer table, the coded-value vocabularies of its rows, the plant
// fallback labels and the relief tests of summit names and height codes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "layers/dispatch.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"
#include "layers/vocabularies.hpp"
#include "support/expected.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using catalog::Obj;

namespace {

// Each decoder with codes to decode: listed codes, codes known without a row
// and codes it does not know (for the plants, rows where the point and area
// columns differ and codes without a row); the blank code 0 is added to every
// one. The last three are only named for the layer table's listing.
const struct {
    const char* name;
    layers::ValueDecoder decode;
    std::vector<int32_t> codes;
} kDecoders[] = {
#define D(name) #name, layers::name
    {D(airportUseDecoder), {23, 999}}, {D(cemeteryPointRelDecoder), {4, 999}},
    {D(cemeteryAreaRelDecoder), {8, 999, 9}}, {D(fortificationBfcDecoder), {602, 603}},
    {D(sanctuaryRe2Decoder), {8, 14}}, {D(entranceTucDecoder), {40, 999, 41}}, {D(commBuildingNstDecoder), {33, 999}},
    {D(towerTtcDecoder), {12, 999, 3}}, {D(commTowerNstDecoder), {33, 501, 13, 999}},
    {D(lighthouseMarDecoder), {8, 999, 9}}, {D(buoyMarDecoder), {1, 999, 9}}, {D(lightMarDecoder), {5, 999, -1}},
    {D(cisternUseDecoder), {202, 200, 999, 203}}, {D(productDecoder), {116, 999, 117}},
    {D(pylonMccDecoder), {117, 999, 84}}, {D(springSwtDecoder), {10, 999, 7}},
    {D(pitPointProDecoder), {108, 999, 504}}, {D(pitAreaProDecoder), {108, 16, 999, 13}},
    {D(quarryProDecoder), {108, 503, 999, 1000}}, {D(beachSltDecoder), {503, 999, 505}},
    {D(canalHycDecoder), {3, 6, 8, 999}}, {D(canalWwrDecoder), {3, 4}}, {D(riverHycDecoder), {6, 8, 3}},
    {D(riverWwrDecoder), {2, 999}}, {D(ditchHycDecoder), {8, 6, 5}}, {D(ditchWwrDecoder), {3, 1, 4}},
    {D(railSidingRgcDecoder), {2, 5, 4}}, {D(railroadRgcDecoder), {2, 3, 6}},
    {D(boundaryUseDecoder), {984, 23, 999, 24}}, {D(interchangeTucDecoder), {42, 6, 999}},
    {D(groundElementMccDecoder), {52, 211, 88, 999, 89}}, {D(orchardVegDecoder), {604, 999, 600}},
    {D(cropVegDecoder), {704, 999, 705}}, {D(worshipTypePointDecoder), {14, 22, 5}},
    {D(worshipTypeAreaDecoder), {4, 22, 1}}, {D(parkUseDecoder), {501, 999, 7}}, {D(powerPlantKindDecoder), {6, 8}},
    {D(plantPointBfcDecoder), {83, 22, 563, 900, 211, 999, 7, INT32_MIN}},
    {D(plantAreaBfcDecoder), {83, 22, 515, 559, 211, 999, 7, -1}}, {D(buildingFunctionPointDecoder), {}},
    {D(buildingFunctionAreaDecoder), {}}, {D(forestKindDecoder), {}},
#undef D
};

// Every row in testing order with all its arguments, handlers and decoders by
// name; no name contains a later one, which would never be found.
TEST(LayerTable, RowsStandInTestingOrderWithTheirArguments) {
#define H(name) {layers::name, #name}
    const std::pair<layers::LayerHandler, const char*> handlers[] = {
        H(namedFeatureHandler), H(namedOnlyHandler), H(textLabelHandler), H(numberLabelHandler),
        H(codedFeatureHandler), H(heightLabelHandler), H(codedHeightHandler), H(twoCodeHandler),
        H(boundaryHandler), H(buildingPointHandler), H(buildingAreaHandler), H(roadHandler), H(parkAreaHandler),
        H(substationPointHandler), H(substationAreaHandler), H(powerPlantPointHandler), H(powerPlantAreaHandler),
        H(powerLineHandler), H(contourHandler), H(controlPointHandler), H(mountainPassHandler), H(hydroTextHandler),
        H(lakeHandler), H(builtUpAreaHandler), H(embankmentHandler), H(forestHandler),
    };
#undef H
    std::string listing;
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const layers::LayerRow& row = table[i];
        for (std::size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(layers::containsLayerName(table[j].name, row.name)) << row.name << " in " << table[j].name;
        listing += std::string(row.name) + " " + catalog::object(row.object).Obiekt;
        for (const auto& [handler, name] : handlers) listing += handler == row.handler ? std::string(" ") + name : "";
        for (const char* field : row.fields) listing += std::string(" ") + (field ? field : "-");
        for (layers::ValueDecoder decoder : row.decoders) {
            std::string name = decoder ? "?" : "-";
            for (const auto& d : kDecoders) name = d.decode == decoder ? d.name : name;
            listing += " " + name;
        }
        listing += "\n";
    }
    testsupport::expectAsFile("layer_table.txt", listing);
}

// Only the base name counts: the part after the last "/" or "\\".
TEST(LayerTable, FileNamesFindTheFirstContainedNameFoldingOnlyAsciiLetters) {
    const struct {
        const char* path;
        const char* layer;  // "-": none
    } paths[] = {
        {"MINPILEP.shp", "MINPILEP"},         {"PILEP.shp", "PILEP"},         {"d/seawalll.SHP", "SEAWALLL"},
        {"d/WALLL.shp", "WALLL"},             {"HUTPX.shp", "HUTP"},          {"hutp/other.shp", "-"},
        {"nothing.shp", "-"},                 {"H0TP.shp", "-"},              {"m34131ab\\ROADL.SHP", "ROADL"},
        {"x_ROADL_2.shp", "ROADL"},           {"ROADL/foo.shp", "-"},         {"C:\\ROADL\\foo.shp", "-"},
        {"/Bogatynia/FORESTA.shp", "FORESTA"}, {"Bogatynia/", "-"},           {"ROADL", "ROADL"},
        {"ROADL_HUTP.shp", "HUTP"},  // two codes: the table's order decides
    };
    for (const auto& p : paths) {
        const layers::LayerRow* row = layers::findLayerRow(p.path);
        EXPECT_EQ(std::string(row ? row->name : "-"), p.layer) << p.path;
    }
    // ł and Ł stay apart, as do the signs beside a-z.
    const std::tuple<const char*, const char*, bool> contains[] = {
        {"abc", "", true}, {"", "", true}, {"ROADL", "ROADL", true}, {"ROAD", "ROADL", false},
        {"\xb3" "A", "\xa3" "A", false}, {"@[", "`{", false},
    };
    for (const auto& [path, name, is] : contains) EXPECT_EQ(layers::containsLayerName(path, name), is) << path;
}

// One line per code: the result, the object and label it leaves (preset to
// op_krzyz and "preset", so untouched ones show) and the level adjustment.
TEST(Vocabularies, DecodeEachCodeToTheRowOfItsList) {
    std::string listing;
    for (const auto& d : kDecoders) {
        for (int32_t code : d.codes) {
            for (int32_t c : {code, 0}) {
                catalog::ObjectType* object = &catalog::object(Obj::op_krzyz);
                const char* label = "preset";
                int32_t level = 7;
                int result = d.decode(c, object, label, level);
                listing += std::string(d.name) + " " + std::to_string(c) + ": " + std::to_string(result) + " " +
                           object->Obiekt + " \"" + label + "\" " + std::to_string(level) + "\n";
            }
        }
    }
    testsupport::expectAsFile("vocabularies.txt", listing);
}

TEST(Vocabularies, PlantFallbackLabelsKeepOneBufferPerDecoder) {
    catalog::ObjectType* object = &catalog::object(Obj::op_krzyz);
    const char *pointLabel = "", *areaLabel = "";
    int32_t level = 0;
    layers::plantPointBfcDecoder(5, object, pointLabel, level);
    layers::plantAreaBfcDecoder(6, object, areaLabel, level);
    EXPECT_STREQ(pointLabel, "(fab. 5)");
    EXPECT_STREQ(areaLabel, "(fab 6)");
}

TEST(Relief, HeightCodeTypesAreThreeHalfOpenRanges) {
    const std::pair<uint32_t, bool> cases[] = {
        {0x63ff, false}, {0x6400, true}, {0x641f, true}, {0x6420, false}, {0x64ff, false}, {0x6500, true},
        {0x651f, true},  {0x6520, false}, {0x6600, true}, {0x661f, true}, {0x6620, false}, {0x16600, false},
    };
    for (const auto& [type, expected] : cases) EXPECT_EQ(layers::isHeightCodeType(type), expected) << std::hex << type;
}

TEST(Relief, SummitWordsMatchAnywhereFoldingOnlyLatinLetters) {
    const std::pair<const char*, bool> cases[] = {
        {"Babia GÓRA"_cp, true}, {"Wielki Wierch", true}, {"Mała Czuba"_cp, true}, {"szczyt", true},
        {"KOPA Biskupia", true}, {"Vrch", true},          {"Lysa hora", true},      {"Babia góra"_cp, false},
        {"Góra"_cp, false},      {"Rysy", false},         {"", false},              {nullptr, false},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(layers::isPeakName(name), expected) << (name ? name : "null");
}

}  // namespace

// The compile-time outcome table agrees with the lists read in order: a code
// in two rows takes the first, a known code wins over a row, an unlisted row
// is passed over, and codes beyond the table are sought in the lists.
TEST(Vocabularies, OutcomeTableFollowsTheListsInOrder) {
    using layers::kKnownCode, layers::kUnlisted;
    static constexpr int32_t known[] = {5, 2000};
    static constexpr layers::VocabularyRow rows[] = {
        {{1, 3}, Obj::op_kosciol},        {{3, 5, 1023}, Obj::op_kaplica}, {{7}, layers::kNotListed},
        {{7, 8}, Obj::op_kaplica},        {{-4, 1024}, Obj::op_krzyz},
    };
    constexpr layers::Vocabulary vocabulary{known, rows};
    const std::pair<int32_t, int16_t> expected[] = {
        {1, 0},    {3, 0},  {5, kKnownCode}, {1023, 1},        {7, 3},         {8, 3},
        {-4, 4},   {1024, 4}, {2000, kKnownCode}, {0, kUnlisted}, {-1, kUnlisted}, {9, kUnlisted},
    };
    for (const auto& [code, outcome] : expected) {
        EXPECT_EQ(vocabulary.outcome(code), outcome) << "code " << code;
        EXPECT_EQ(vocabulary.outcomeOf(code), outcome) << "code " << code;
    }
}
