#include <gtest/gtest.h>

#include <string>

#include "layers/handlers/handlers.hpp"
#include "layers/vocabularies.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using catalog::Obj;
using layers::ValueDecoder;

namespace {

// Outputs are preset to recognisable values, so untouched ones show.
constexpr Obj kPreset = Obj::op_krzyz;
const char* const kPresetLabel = "preset";

void expectDecoded(ValueDecoder decoder, int32_t code, int result, Obj object, const char* label) {
    SCOPED_TRACE("code " + std::to_string(code));
    catalog::ObjectType* decodedObject = &catalog::object(kPreset);
    const char* decodedLabel = kPresetLabel;
    int32_t levelAdjust = 7;
    EXPECT_EQ(decoder(code, decodedObject, decodedLabel, levelAdjust), result);
    EXPECT_EQ(decodedObject, &catalog::object(object));
    EXPECT_EQ(std::string(decodedLabel), label ? label : kPresetLabel);
    EXPECT_EQ(levelAdjust, 7);  // no vocabulary adjusts the level
}

// A listed code with what it sets (kPreset / nullptr: unchanged), a code known
// without a change, and a code the vocabulary does not know.
struct Case {
    const char* decoder;
    ValueDecoder decode;
    int32_t code;
    Obj object;
    const char* label;
    int32_t known;
    int32_t unknown;
};

#define D(name) #name, layers::name

const Case kCases[] = {
    {D(airportUseDecoder), 23, kPreset, "lotnisko międzynarodowe"_cp, 0, 999},
    {D(cemeteryPointRelDecoder), 4, kPreset, "chrześcijaństwo"_cp, 0, 999},
    {D(cemeteryAreaRelDecoder), 8, kPreset, "szintoizm", 999, 9},
    {D(fortificationBfcDecoder), 602, kPreset, "ruiny", 0, 603},
    {D(sanctuaryRe2Decoder), 8, kPreset, "rezerwat przyrody nieożywionej"_cp, 0, 14},
    {D(entranceTucDecoder), 40, Obj::op_metro, "metro", 999, 41},
    {D(commBuildingNstDecoder), 33, kPreset, "radio-telegraf", 0, 999},
    {D(towerTtcDecoder), 12, kPreset, "wieża pożarowa"_cp, 999, 3},
    {D(commTowerNstDecoder), 33, kPreset, "radiotelegraf", 0, 13},
    {D(commTowerNstDecoder), 501, kPreset, "telefonia komórkowa"_cp, 0, 999},
    {D(lighthouseMarDecoder), 8, Obj::op_latczzcz, nullptr, 999, 9},
    {D(buoyMarDecoder), 1, Obj::op_plaziel, nullptr, 999, 9},
    {D(lightMarDecoder), 5, Obj::op_sygbial, nullptr, 999, -1},
    {D(cisternUseDecoder), 202, Obj::op_zbiorwod, "woda deszczowa", 999, 203},
    {D(cisternUseDecoder), 200, Obj::op_basen, nullptr, 0, 203},
    {D(productDecoder), 116, kPreset, "woda", 999, 117},
    {D(pylonMccDecoder), 117, kPreset, "drewno", 999, 84},
    {D(springSwtDecoder), 10, kPreset, "odwiert hydrologiczny", 999, 7},
    {D(pitPointProDecoder), 108, kPreset, "odkrywka kamień"_cp, 999, 504},
    {D(pitAreaProDecoder), 108, kPreset, "kamieniołom"_cp, 999, 13},
    {D(pitAreaProDecoder), 16, kPreset, "odkrywka glina, ił"_cp, 0, 13},
    {D(quarryProDecoder), 108, kPreset, "kamień"_cp, 999, 1000},
    {D(quarryProDecoder), 503, kPreset, "torf", 0, 1000},
    {D(beachSltDecoder), 503, kPreset, "brzeg niebezpieczny dla żeglugi"_cp, 999, 505},
    {D(canalHycDecoder), 3, Obj::ol_rowsuchy, "suchy kanał"_cp, 8, 999},
    {D(canalHycDecoder), 6, Obj::ol_rowwod, nullptr, 8, 999},
    {D(canalWwrDecoder), 3, Obj::ol_kanalb, nullptr, 0, 4},
    {D(riverHycDecoder), 6, Obj::ol_rowwod, nullptr, 8, 3},
    {D(riverWwrDecoder), 2, Obj::ol_rzekam, nullptr, 0, 999},
    {D(ditchHycDecoder), 8, Obj::ol_kanals, "rów"_cp, 6, 5},
    {D(ditchWwrDecoder), 3, Obj::ol_kanalb, "rów"_cp, 1, 4},
    {D(railSidingRgcDecoder), 2, Obj::ol_bocznicwt, nullptr, 5, 4},
    {D(railroadRgcDecoder), 2, Obj::ol_kolejwt, nullptr, 3, 6},
    {D(boundaryUseDecoder), 984, Obj::ol_gradmin2, nullptr, 999, 24},
    {D(boundaryUseDecoder), 23, Obj::ol_granica, nullptr, 0, 24},
    {D(interchangeTucDecoder), 42, Obj::ol_droga_dr, nullptr, 0, 999},
    {D(interchangeTucDecoder), 6, Obj::ol_ulica_gl, nullptr, 0, 999},
    {D(groundElementMccDecoder), 52, Obj::oa_kamienie, "lawa", 88, 89},
    {D(groundElementMccDecoder), 211, kPreset, "pagórki piasków lotnych"_cp, 999, 89},
    {D(orchardVegDecoder), 604, kPreset, "ogródki działkowe"_cp, 999, 600},
    {D(cropVegDecoder), 704, kPreset, "winnica", 999, 705},
    {D(worshipTypePointDecoder), 14, Obj::op_mkultu, "relikwiarz", 22, 5},
    {D(worshipTypeAreaDecoder), 4, kPreset, "kościół"_cp, 22, 1},
    {D(parkUseDecoder), 501, Obj::oa_parkkraj, "park krajobrazowy", 999, 7},
    {D(powerPlantKindDecoder), 6, kPreset, "elktr. pływowa"_cp, 0, 8},
};

// The plant vocabularies: the rows where the two columns differ, code lists,
// and the formatted labels of codes without a row.
struct PlantCase {
    const char* decoder;
    ValueDecoder decode;
    int32_t code;
    int result;
    Obj object;
    const char* label;
};

const PlantCase kPlantCases[] = {
    {D(plantPointBfcDecoder), 83, 0, kPreset, "koksownia"},
    {D(plantAreaBfcDecoder), 83, 0, kPreset, "elektrownia"},
    {D(plantPointBfcDecoder), 22, 0, Obj::op_mlyn, nullptr},
    {D(plantAreaBfcDecoder), 22, 0, kPreset, "młyn"_cp},
    {D(plantPointBfcDecoder), 563, 0, kPreset, "koksownia"},
    {D(plantAreaBfcDecoder), 515, 0, kPreset, "koksownia"},
    {D(plantPointBfcDecoder), 900, 0, Obj::op_oczysciek, nullptr},
    {D(plantAreaBfcDecoder), 559, 0, kPreset, "stacja pomp/pompownia/wodociągi"_cp},
    {D(plantPointBfcDecoder), 211, 0, kPreset, "hodowla drobiu"},
    {D(plantAreaBfcDecoder), 211, 0, kPreset, "(fab 211)"},
    {D(plantPointBfcDecoder), 999, 0, kPreset, nullptr},
    {D(plantAreaBfcDecoder), 999, 0, kPreset, nullptr},
    {D(plantPointBfcDecoder), 7, -1, kPreset, "(fab. 7)"},
    {D(plantAreaBfcDecoder), 7, 0, kPreset, "(fab 7)"},
    {D(plantAreaBfcDecoder), -1, 0, kPreset, "(fab -1)"},
    {D(plantPointBfcDecoder), INT32_MIN, -1, kPreset, "(fab. -2147483648)"},
};

#undef D

// The blank code 0 is known to every vocabulary and changes nothing.
TEST(Vocabularies, ListedCodesSetTheirRowKnownCodesAndBlankNothingAndOthersAreUnknown) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.decoder);
        expectDecoded(c.decode, c.code, 0, c.object, c.label);
        expectDecoded(c.decode, c.known, 0, kPreset, nullptr);
        expectDecoded(c.decode, c.unknown, -1, kPreset, nullptr);
        expectDecoded(c.decode, 0, 0, kPreset, nullptr);
    }
    for (const PlantCase& c : kPlantCases) {
        SCOPED_TRACE(c.decoder);
        expectDecoded(c.decode, c.code, c.result, c.object, c.label);
        expectDecoded(c.decode, 0, 0, kPreset, nullptr);
    }
}

TEST(Vocabularies, PlantFallbackLabelsKeepOneBufferPerDecoder) {
    catalog::ObjectType* object = &catalog::object(kPreset);
    const char* pointLabel = "";
    const char* areaLabel = "";
    int32_t level = 0;
    layers::plantPointBfcDecoder(5, object, pointLabel, level);
    layers::plantAreaBfcDecoder(6, object, areaLabel, level);
    EXPECT_STREQ(pointLabel, "(fab. 5)");
    EXPECT_STREQ(areaLabel, "(fab 6)");
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
