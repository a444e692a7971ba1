#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "layers/vocabularies.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using catalog::Obj;
using layers::ValueDecoder;

namespace {

// A decoder call with recognisable presets, so untouched outputs show.
struct Decoded {
    int result;
    catalog::ObjectType* object;
    std::string label;
    int32_t levelAdjust;
};

constexpr Obj kPreset = Obj::op_krzyz;
const char* const kPresetLabel = "preset";

Decoded decode(ValueDecoder decoder, int32_t code) {
    catalog::ObjectType* object = &catalog::object(kPreset);
    const char* label = kPresetLabel;
    int32_t levelAdjust = 7;
    int result = decoder(code, object, label, levelAdjust);
    return {result, object, label, levelAdjust};
}

struct Case {
    const char* decoder;
    ValueDecoder decode;
    int32_t code;
    int result;
    Obj object;         // kPreset: unchanged
    const char* label;  // nullptr: unchanged
};

#define D(name) #name, layers::name

// Per decoder: a code with a row, a code known without a change, an unknown one.
const Case kCases[] = {
    {D(airportUseDecoder), 23, 0, kPreset, "lotnisko międzynarodowe"_cp},
    {D(airportUseDecoder), 0, 0, kPreset, nullptr},
    {D(airportUseDecoder), 999, -1, kPreset, nullptr},
    {D(cemeteryPointRelDecoder), 4, 0, kPreset, "chrześcijaństwo"_cp},
    {D(cemeteryPointRelDecoder), 999, -1, kPreset, nullptr},
    {D(cemeteryAreaRelDecoder), 8, 0, kPreset, "szintoizm"_cp},
    {D(cemeteryAreaRelDecoder), 999, 0, kPreset, nullptr},
    {D(cemeteryAreaRelDecoder), 9, -1, kPreset, nullptr},
    {D(fortificationBfcDecoder), 602, 0, kPreset, "ruiny"_cp},
    {D(fortificationBfcDecoder), 603, -1, kPreset, nullptr},
    {D(sanctuaryRe2Decoder), 8, 0, kPreset, "rezerwat przyrody nieożywionej"_cp},
    {D(sanctuaryRe2Decoder), 14, -1, kPreset, nullptr},
    {D(entranceTucDecoder), 40, 0, Obj::op_metro, "metro"},
    {D(entranceTucDecoder), 999, 0, kPreset, nullptr},
    {D(entranceTucDecoder), 41, -1, kPreset, nullptr},
    {D(commBuildingNstDecoder), 33, 0, kPreset, "radio-telegraf"},
    {D(commBuildingNstDecoder), 999, -1, kPreset, nullptr},
    {D(towerTtcDecoder), 12, 0, kPreset, "wieża pożarowa"_cp},
    {D(towerTtcDecoder), 999, 0, kPreset, nullptr},
    {D(towerTtcDecoder), 3, -1, kPreset, nullptr},
    {D(commTowerNstDecoder), 33, 0, kPreset, "radiotelegraf"},
    {D(commTowerNstDecoder), 501, 0, kPreset, "telefonia komórkowa"_cp},
    {D(commTowerNstDecoder), 13, -1, kPreset, nullptr},
    {D(lighthouseMarDecoder), 8, 0, Obj::op_latczzcz, nullptr},
    {D(lighthouseMarDecoder), 999, 0, kPreset, nullptr},
    {D(lighthouseMarDecoder), 9, -1, kPreset, nullptr},
    {D(buoyMarDecoder), 1, 0, Obj::op_plaziel, nullptr},
    {D(buoyMarDecoder), 9, -1, kPreset, nullptr},
    {D(lightMarDecoder), 5, 0, Obj::op_sygbial, nullptr},
    {D(lightMarDecoder), -1, -1, kPreset, nullptr},
    {D(cisternUseDecoder), 202, 0, Obj::op_zbiorwod, "woda deszczowa"},
    {D(cisternUseDecoder), 200, 0, Obj::op_basen, nullptr},
    {D(cisternUseDecoder), 203, -1, kPreset, nullptr},
    {D(productDecoder), 116, 0, kPreset, "woda"},
    {D(productDecoder), 999, 0, kPreset, nullptr},
    {D(productDecoder), 117, -1, kPreset, nullptr},
    {D(pylonMccDecoder), 117, 0, kPreset, "drewno"},
    {D(pylonMccDecoder), 84, -1, kPreset, nullptr},
    {D(springSwtDecoder), 10, 0, kPreset, "odwiert hydrologiczny"},
    {D(springSwtDecoder), 7, -1, kPreset, nullptr},
    {D(pitPointProDecoder), 108, 0, kPreset, "odkrywka kamień"_cp},
    {D(pitPointProDecoder), 999, 0, kPreset, nullptr},
    {D(pitPointProDecoder), 504, -1, kPreset, nullptr},
    {D(pitAreaProDecoder), 108, 0, kPreset, "kamieniołom"_cp},
    {D(pitAreaProDecoder), 16, 0, kPreset, "odkrywka glina, ił"_cp},
    {D(pitAreaProDecoder), 13, -1, kPreset, nullptr},
    {D(quarryProDecoder), 108, 0, kPreset, "kamień"_cp},
    {D(quarryProDecoder), 503, 0, kPreset, "torf"},
    {D(quarryProDecoder), 1000, -1, kPreset, nullptr},
    {D(beachSltDecoder), 503, 0, kPreset, "brzeg niebezpieczny dla żeglugi"_cp},
    {D(beachSltDecoder), 505, -1, kPreset, nullptr},
    {D(canalHycDecoder), 3, 0, Obj::ol_rowsuchy, "suchy kanał"_cp},
    {D(canalHycDecoder), 6, 0, Obj::ol_rowwod, nullptr},
    {D(canalHycDecoder), 8, 0, kPreset, nullptr},
    {D(canalHycDecoder), 999, -1, kPreset, nullptr},
    {D(canalWwrDecoder), 3, 0, Obj::ol_kanalb, nullptr},
    {D(canalWwrDecoder), 4, -1, kPreset, nullptr},
    {D(riverHycDecoder), 6, 0, Obj::ol_rowwod, nullptr},
    {D(riverHycDecoder), 8, 0, kPreset, nullptr},
    {D(riverHycDecoder), 3, -1, kPreset, nullptr},
    {D(riverWwrDecoder), 2, 0, Obj::ol_rzekam, nullptr},
    {D(riverWwrDecoder), 999, -1, kPreset, nullptr},
    {D(ditchHycDecoder), 8, 0, Obj::ol_kanals, "rów"_cp},
    {D(ditchHycDecoder), 6, 0, kPreset, nullptr},
    {D(ditchHycDecoder), 5, -1, kPreset, nullptr},
    {D(ditchWwrDecoder), 3, 0, Obj::ol_kanalb, "rów"_cp},
    {D(ditchWwrDecoder), 1, 0, kPreset, nullptr},
    {D(ditchWwrDecoder), 4, -1, kPreset, nullptr},
    {D(railSidingRgcDecoder), 2, 0, Obj::ol_bocznicwt, nullptr},
    {D(railSidingRgcDecoder), 5, 0, kPreset, nullptr},
    {D(railSidingRgcDecoder), 4, -1, kPreset, nullptr},
    {D(railroadRgcDecoder), 2, 0, Obj::ol_kolejwt, nullptr},
    {D(railroadRgcDecoder), 3, 0, kPreset, nullptr},
    {D(railroadRgcDecoder), 6, -1, kPreset, nullptr},
    {D(boundaryUseDecoder), 984, 0, Obj::ol_gradmin2, nullptr},
    {D(boundaryUseDecoder), 23, 0, Obj::ol_granica, nullptr},
    {D(boundaryUseDecoder), 999, 0, kPreset, nullptr},
    {D(boundaryUseDecoder), 24, -1, kPreset, nullptr},
    {D(interchangeTucDecoder), 42, 0, Obj::ol_droga_dr, nullptr},
    {D(interchangeTucDecoder), 6, 0, Obj::ol_ulica_gl, nullptr},
    {D(interchangeTucDecoder), 999, -1, kPreset, nullptr},
    {D(groundElementMccDecoder), 52, 0, Obj::oa_kamienie, "lawa"},
    {D(groundElementMccDecoder), 211, 0, kPreset, "pagórki piasków lotnych"_cp},
    {D(groundElementMccDecoder), 88, 0, kPreset, nullptr},
    {D(groundElementMccDecoder), 89, -1, kPreset, nullptr},
    {D(orchardVegDecoder), 604, 0, kPreset, "ogródki działkowe"_cp},
    {D(orchardVegDecoder), 999, 0, kPreset, nullptr},
    {D(orchardVegDecoder), 600, -1, kPreset, nullptr},
    {D(cropVegDecoder), 704, 0, kPreset, "winnica"},
    {D(cropVegDecoder), 705, -1, kPreset, nullptr},
    // The two plant vocabularies: shared rows, the rows that differ, code lists.
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
    {D(plantAreaBfcDecoder), 0, 0, kPreset, nullptr},
    {D(plantPointBfcDecoder), 7, -1, kPreset, "(fab. 7)"},
    {D(plantAreaBfcDecoder), 7, 0, kPreset, "(fab 7)"},
    {D(plantAreaBfcDecoder), -1, 0, kPreset, "(fab -1)"},
    {D(plantPointBfcDecoder), INT32_MIN, -1, kPreset, "(fab. -2147483648)"},
};

#undef D

TEST(Vocabularies, EveryDecoderKnowsItsRowsAndRejectsOtherCodes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.decoder) + " code " + std::to_string(c.code));
        Decoded d = decode(c.decode, c.code);
        EXPECT_EQ(d.result, c.result);
        EXPECT_EQ(d.object, &catalog::object(c.object));
        EXPECT_EQ(d.label, c.label ? c.label : kPresetLabel);
        EXPECT_EQ(d.levelAdjust, 7);
    }
}

TEST(Vocabularies, BlankCodeIsKnownEverywhereAndChangesNothing) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.decoder);
        Decoded d = decode(c.decode, 0);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.object, &catalog::object(kPreset));
        EXPECT_EQ(d.label, kPresetLabel);
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
