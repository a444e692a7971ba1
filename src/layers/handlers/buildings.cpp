// Buildings stored as points (BUILDNGP) and as areas (BUILDNGA): the
// house-of-worship type first, the building function when that left the
// building unclassified, the name above both.
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

// BFC: codes 1 to 998 make a functional building, which a row may replace;
// points are written a level lower for 0, 999 and unlisted codes.
constexpr PointAreaRow kBuildingFunctionRows[] = {
    {{1}, {Obj::op_budfunk, "budowle produkcyjne"_cp}, {Obj::oa_budfunk, "budowle produkcyjne"_cp}},
    {{2}, {Obj::op_budfunk, "budynek rządowy"_cp}, {Obj::oa_budfunk, "budynek rządowy"_cp}},
    {{3}, {Obj::op_budfunk, "budynek kongresowy"_cp}, {Obj::oa_budfunk, "budynek kongresowy"_cp}},
    {{4}, Obj::op_zamek, {Obj::oa_budfunk, "zamek"_cp}},
    {{5}, {Obj::op_budfunk, "administracja rządowa"_cp}, {Obj::oa_budfunk, "administracja rządowa"_cp}},
    {{6}, Obj::op_szpital, Obj::oa_szpital},
    {{7}, Obj::op_mkultu, {Obj::oa_budfunk, "obiekt kultu religijnego"_cp}},
    {{8}, {Obj::op_budfunk, "administracja wojskowa"_cp}, {Obj::oa_budfunk, "administracja wojskowa"_cp}},
    {{9}, Obj::op_muzeum, {Obj::oa_budfunk, "muzeum"_cp}},
    {{10}, {Obj::op_budfunk, "obserwatorium"_cp}, {Obj::oa_budfunk, "obserwatorium"_cp}},
    {{11}, Obj::op_palac, {Obj::oa_budfunk, "pałac"_cp}},
    {{12}, Obj::op_policja, {Obj::oa_budfunk, "posterunek policji"_cp}},
    {{13}, {Obj::op_budfunk, "więzienie"_cp}, {Obj::oa_budfunk, "więzienie"_cp}},
    {{14}, Obj::op_lesniczy, {Obj::oa_lesnictwo, "posterunek dozoru leśnego"_cp}},
    {{15}, Obj::op_szkola, Obj::oa_szkola},
    {{16}, {Obj::op_budfunk, "dom"_cp}, {Obj::oa_budfunk, "dom"_cp}},
    {{17}, {Obj::op_budfunk, "mieszkanie wielopokojowe"_cp}, {Obj::oa_budfunk, "mieszkanie wielopokojowe"_cp}},
    {{18}, {Obj::op_budfunk, "budowla cmentarna"_cp}, {Obj::oa_budfunk, "budowla cmentarna"_cp}},
    {{19}, {Obj::op_budfunk, "budowla rolnicza"_cp}, {Obj::oa_budfunk, "budowla rolnicza"_cp}},
    {{20}, Obj::op_szklarnia, {Obj::oa_budfunk, "szklarnia"_cp}},
    {{21}, {Obj::op_budfunk, "garaż"_cp}, {Obj::oa_budfunk, "garaż"_cp}},
    {{22}, Obj::op_mlyn, {Obj::oa_budfunk, "młyn"_cp}},
    {{23}, {Obj::op_budfunk, "tunel aerodynamiczny"_cp}, {Obj::oa_budfunk, "tunel aerodynamiczny"_cp}},
    {{24}, {Obj::op_budfunk, "magazyn"_cp}, {Obj::oa_budfunk, "magazyn"_cp}},
    {{25}, {Obj::op_budfunk, "parowozownia"_cp}, {Obj::oa_budfunk, "parowozownia"_cp}},
    {{26}, {Obj::op_budfunk, "zakłady naprawcze"_cp}, {Obj::oa_budfunk, "zakłady naprawcze"_cp}},
    {{27}, Obj::op_stkolej, {Obj::oa_stkolej, "stacja kolejowa"_cp}},
    {{28}, {Obj::op_budfunk, "budynek administracyjny"_cp}, {Obj::oa_budfunk, "budynek administracyjny"_cp}},
    {{29}, {Obj::op_budfunk, "warsztat konserwacji samolotów"_cp},
     {Obj::oa_budfunk, "warsztat konserwacji samolotów"_cp}},
    {{30}, {Obj::op_budfunk, "hangar"_cp}, {Obj::oa_budfunk, "hangar"_cp}},
    {{31}, {Obj::op_budfunk, "urząd celny"_cp}, {Obj::oa_budfunk, "budynek urzędu celnego"_cp}},
    {{33}, {Obj::op_oszdrowia, "ośrodek zdrowia"_cp}, {Obj::oa_budfunk, "ośrodek zdrowia"_cp}},
    {{35}, {Obj::op_poczta, "urząd pocztowy"_cp}, {Obj::oa_budfunk, "urząd pocztowy"_cp}},
    {{36}, {Obj::op_budfunk, "koszary"_cp}, {Obj::oa_budfunk, "koszary"_cp}},
    {{37}, {Obj::op_budfunk, "remiza strażacka"_cp}, {Obj::oa_budfunk, "remiza strażacka"_cp}},
    {{38}, {Obj::op_budfunk, "areszt"_cp}, {Obj::oa_budfunk, "areszt"_cp}},
    {{50}, Obj::op_kosciol, {Obj::oa_budfunk, "kościół/świątynia"_cp}},
    {{52}, {Obj::op_budfunk, "ratusz"_cp}, {Obj::oa_budfunk, "ratusz"_cp}},
    {{53}, Obj::op_bank, {Obj::oa_budfunk, "bank"_cp}},
    {{54}, Obj::op_paliwo, {Obj::oa_budfunk, "usługi/stacja benzynowa"_cp}},
    {{59}, {Obj::op_instytut, "instytut badawczy"_cp}, {Obj::oa_budfunk, "instytut badawczy"_cp}},
    {{60}, {Obj::op_szkolawyz, "szkoła wyższa"_cp}, {Obj::oa_szkola, "szkoła wyższa"_cp}},
    {{61}, {Obj::op_budfunk, "sąd"_cp}, {Obj::oa_budfunk, "sąd"_cp}},
    {{66}, {Obj::op_budfunk, "ambasada"_cp}, {Obj::oa_budfunk, "ambasada"_cp}},
    {{69}, {Obj::op_budfunk, "budka strażnika"_cp}, {Obj::oa_budfunk, "budka strażnika"_cp}},
    {{70}, {Obj::op_budfunk, "schronisko dla zwierząt"_cp}, {Obj::oa_budfunk, "schronisko dla zwierząt"_cp}},
    {{77}, {Obj::op_budfunk, "kapitanat portu"_cp}, {Obj::oa_budfunk, "kapitanat portu"_cp}},
    {{82}, Obj::op_latarnia, {Obj::oa_budfunk, "latarnia morska"_cp}},
    {{83}, Obj::op_elektr, {Obj::oa_budfunk, "elektrownia"_cp}},
    {{85}, {Obj::op_budfunk, "papiernia"_cp}, {Obj::oa_budfunk, "papiernia"_cp}},
    {{86}, {Obj::op_budfunk, "centrala telefoniczna"_cp}, {Obj::oa_budfunk, "centrala telefoniczna"_cp}},
    {{87}, {Obj::op_budfunk, "audytorium"_cp}, {Obj::oa_budfunk, "audytorium"_cp}},
    {{88}, {Obj::op_budfunk, "opera"_cp}, {Obj::oa_budfunk, "opera"_cp}},
    {{89}, {Obj::op_budfunk, "przetwórnia/obróbka"_cp}, {Obj::oa_budfunk, "przetwórnia/obróbka"_cp}},
    {{90}, Obj::op_pompownia, {Obj::oa_budfunk, "stacja pomp"_cp}},
    {{91}, {Obj::op_budfunk, "dom mobilny"_cp}, {Obj::oa_budfunk, "dom mobilny"_cp}},
    {{92}, Obj::op_stmeteo, {Obj::oa_budfunk, "stacja meteorologiczna"_cp}},
    {{93}, {Obj::op_budfunk, "budownictwo zależne/pole biwakowe"_cp},
     {Obj::oa_budfunk, "budownictwo zależne/pole biwakowe"_cp}},
    {{95}, Obj::op_hotel, {Obj::oa_budfunk, "hotel"_cp}},
    {{96}, {Obj::op_budfunk, "budynek dyplomatyczny"_cp}, {Obj::oa_budfunk, "budynek dyplomatyczny"_cp}},
    {{98}, {Obj::op_szopa, "szopa"_cp}, {Obj::oa_budfunk, "szopa"_cp}},
    {{106}, {Obj::op_budfunk, "sanatorium"_cp}, {Obj::oa_budfunk, "sanatorium"_cp}},
    {{117}, Obj::op_motel, {Obj::oa_budfunk, "motel"_cp}},
    {{122}, Obj::op_cenhandl, {Obj::oa_budfunk, "centrum handlowe"_cp}},
    {{124}, {Obj::op_budfunk, "zakład naprawczy"_cp}, {Obj::oa_budfunk, "zakład naprawczy"_cp}},
    {{127}, Obj::op_teatr, {Obj::oa_budfunk, "teatr/kino"_cp}},
    {{128}, Obj::op_bibliot, {Obj::oa_budfunk, "biblioteka"_cp}},
    {{130}, {Obj::op_budfunk, "budynek komunikacyjny"_cp}, {Obj::oa_budfunk, "budynek komunikacyjny"_cp}},
    {{601}, Obj::op_przystkol, {Obj::oa_budfunk, "przystanek, mijanka"_cp}},
    {{602}, Obj::op_schronisk, {Obj::oa_budfunk, "schronisko"_cp}},
    {{603}, {Obj::op_budfunk, "uzdrowisko"_cp}, {Obj::oa_budfunk, "uzdrowisko"_cp}},
    {{604}, {Obj::op_budfunk, "dom wypoczynkowy"_cp}, {Obj::oa_budfunk, "dom wypoczynkowy"_cp}},
    {{605}, {Obj::op_budfunk, "dom opieki"_cp}, {Obj::oa_budfunk, "dom opieki"_cp}},
    {{606}, {Obj::op_budfunk, "dom dziecka"_cp}, {Obj::oa_budfunk, "dom dziecka"_cp}},
    {{607}, {Obj::op_budfunk, "zakład psychiatryczny"_cp}, {Obj::oa_budfunk, "zakład psychiatryczny"_cp}},
    {{608}, {Obj::op_budfunk, "stadnina koni"_cp}, {Obj::oa_budfunk, "stadnina koni"_cp}},
    {{609}, {Obj::op_budfunk, "stodoła"_cp}, {Obj::oa_budfunk, "stodoła"_cp}},
    {{610}, {Obj::op_budfunk, "basen kryty"_cp}, {Obj::oa_budfunk, "basen kryty"_cp}},
    {{611}, {Obj::op_budfunk, "restauracja/jadłodajnia"_cp}, {Obj::oa_budfunk, "restauracja/jadłodajnia"_cp}},
    {{612}, {Obj::op_budfunk, "market"_cp}, {Obj::oa_budfunk, "market"_cp}},
    {{613}, {Obj::op_budfunk, "obserwatorium astronomiczne"_cp}, {Obj::oa_budfunk, "obserwatorium astronomiczne"_cp}},
    {{614}, {Obj::op_budfunk, "budynki hodowlane"_cp}, {Obj::oa_budfunk, "budynki hodowlane"_cp}},
    {{901}, Obj::op_przystkol, kNotListed},
    {{902}, Obj::op_schronisk, Obj::oa_schronisk},
    {{903}, {Obj::op_budfunk, "(uzdrowisko)"_cp}, {Obj::oa_budfunk, "(uzdrowisko)"_cp}},
    {{904}, {Obj::op_budfunk, "dom wypoczynkowy"_cp}, {Obj::oa_budfunk, "(biurowce/dom wypoczynkowy)"_cp}},
    {{905}, {Obj::op_budfunk, "dom opieki"_cp}, {Obj::oa_budfunk, "dom opieki"_cp}},
    {{906}, {Obj::op_budfunk, "dom dziecka"_cp}, {Obj::oa_budfunk, "dom dziecka"_cp}},
    {{907}, {Obj::op_budfunk, "zakład psychiatryczny"_cp}, {Obj::oa_budfunk, "zakład psychiatryczny"_cp}},
    {{908}, {Obj::op_budfunk, "stadnina koni"_cp}, {Obj::oa_budfunk, "stadnina koni"_cp}},
    {{909}, {Obj::op_budfunk, "stodoła"_cp}, {Obj::oa_budfunk, "stodoła"_cp}},
    {{910}, {Obj::op_budfunk, "(basen kryty)"_cp}, {Obj::oa_budfunk, "(basen kryty)"_cp}},
    {{911}, {Obj::op_budfunk, "(restauracja/jadłodajnia)"_cp}, {Obj::oa_budfunk, "(restauracja/jadłodajnia)"_cp}},
    {{912}, {Obj::op_budfunk, "(market)"_cp}, {Obj::oa_budfunk, "(market)"_cp}},
    {{913}, {Obj::op_budfunk, "(obserwatorium astronomiczne)"_cp},
     {Obj::oa_budfunk, "(obserwatorium astronomiczne)"_cp}},
    {{914}, {Obj::op_budfunk, "(budynki hodowlane)"_cp}, {Obj::oa_budfunk, "(budynki hodowlane)"_cp}},
};

constexpr int32_t kBuildingFunctionKnown[] = {0, 999};
constexpr auto kBuildingFunctionPointRows = vocabularyColumn(kBuildingFunctionRows, &PointAreaRow::point);
constexpr auto kBuildingFunctionAreaRows = vocabularyColumn(kBuildingFunctionRows, &PointAreaRow::area);

// The formatted fallback labels live here until the decoder's next call.
char buildingPointLabel[kFallbackLabelSize];
char buildingAreaLabel[kFallbackLabelSize];

constexpr Vocabulary kBuildingFunctionPoint{kBuildingFunctionKnown, kBuildingFunctionPointRows, "(bud. %i)"_cp, -1,
                                            buildingPointLabel, Obj::op_budfunk, -1};
constexpr Vocabulary kBuildingFunctionArea{kBuildingFunctionKnown, kBuildingFunctionAreaRows, "(bud. %i)"_cp, -1,
                                           buildingAreaLabel, Obj::oa_budfunk};

// HWT: the area column sets labels only.
constexpr PointAreaRow kWorshipTypeRows[] = {
    {{2}, {Obj::op_kosciol, "katedra"_cp}, "katedra"_cp},
    {{3}, {Obj::op_kaplica, "kaplica"_cp}, "kaplica"_cp},
    {{4}, Obj::op_kosciol, "kościół"_cp},
    {{6}, {Obj::op_kosciol, "minaret"_cp}, "minaret"_cp},
    {{7}, {Obj::op_kosciol, "klasztor"_cp}, "klasztor"_cp},
    {{9}, {Obj::op_kosciol, "meczet"_cp}, "meczet"_cp},
    {{11}, {Obj::op_kosciol, "pagoda"_cp}, "pagoda"_cp},
    {{14}, {Obj::op_mkultu, "relikwiarz"_cp}, "relikwiarz"_cp},
    {{15}, {Obj::op_mkultu, "miejsce modlitwy"_cp}, "miejsce modlitwy"_cp},
    {{16}, {Obj::op_kosciol, "świątynia"_cp}, "świątynia"_cp},
    {{20}, {Obj::op_kosciol, "synagoga"_cp}, "synagoga"_cp},
    {{21}, {Obj::op_mkultu, "stupa"_cp}, "stupa"_cp},
    {{100}, {Obj::op_kosciol, "świątynia niechrześcijańska"_cp}, "świątynia niechrześcijańska"_cp},
};

constexpr int32_t kWorshipTypeKnown[] = {0, 22, 999};
constexpr auto kWorshipTypePointRows = vocabularyColumn(kWorshipTypeRows, &PointAreaRow::point);
constexpr auto kWorshipTypeAreaRows = vocabularyColumn(kWorshipTypeRows, &PointAreaRow::area);
constexpr Vocabulary kWorshipTypePoint{kWorshipTypeKnown, kWorshipTypePointRows};
constexpr Vocabulary kWorshipTypeArea{kWorshipTypeKnown, kWorshipTypeAreaRows};

// The layer's decoders, and whether it looks up TUC (only to report its
// absence: the value is not used).
struct BuildingLayer {
    ValueDecoder worshipType;
    ValueDecoder buildingFunction;
    bool looksUpTuc;
};

// Converts a layer whose row names the plain building object.
int convertBuildings(const LayerFiles& files, const LayerRow& row, const BuildingLayer& layer) {
    ObjectType& building = catalog::object(row.object);
    input::DbfField name, function, worship, tuc;
    findFields(files, {{"NAM", &name}, {"BFC", &function}, {"HWT", &worship}});
    if (layer.looksUpTuc) findFields(files, {{"TUC", &tuc}});
    walkCodedFeatures(files, building, name, [&](const input::ShapeRecord& shape, const uint8_t* record,
                                                 const char* nameText, Feature& feature) {
        decodeFieldLogged(files, record, worship, "HWT", layer.worshipType, feature.object, feature.label,
                          feature.levelAdjust);
        // The function decides only what the house-of-worship type left unclassified and unlabelled.
        if (feature.object == &building && feature.label[0] == '\0')
            decodeField(files, record, function, "BFC", layer.buildingFunction, nameText, feature.object,
                        feature.label, feature.levelAdjust);
        writeFeature(files, shape, *feature.object, feature.levelAdjust, nameOrDecoded(nameText, feature));
    });
    return 1;
}

}  // namespace

int buildingFunctionPointDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t& levelAdjust) {
    return decodeValue(kBuildingFunctionPoint, code, object, label, levelAdjust);
}
int buildingFunctionAreaDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t& levelAdjust) {
    return decodeValue(kBuildingFunctionArea, code, object, label, levelAdjust);
}
int worshipTypePointDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kWorshipTypePoint, code, object, label);
}
int worshipTypeAreaDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kWorshipTypeArea, code, object, label);
}

int buildingPointHandler(const LayerFiles& files, const LayerRow& row) {
    return convertBuildings(files, row, {worshipTypePointDecoder, buildingFunctionPointDecoder, true});
}

int buildingAreaHandler(const LayerFiles& files, const LayerRow& row) {
    return convertBuildings(files, row, {worshipTypeAreaDecoder, buildingFunctionAreaDecoder, false});
}

}  // namespace layers
