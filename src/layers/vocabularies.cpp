#include "layers/vocabularies.hpp"

#include <array>

#include "text/cp1250.hpp"
#include "text/format.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

int decodeValue(const Vocabulary& vocabulary, int32_t code, ObjectType*& object, const char*& label,
                int32_t& levelAdjust) {
    if (vocabulary.rangeObject != kKeepObject && code >= 1 && code <= 998)
        object = &catalog::object(vocabulary.rangeObject);
    const int16_t outcome = vocabulary.outcome(code);
    if (outcome == kKnownCode) {
        levelAdjust += vocabulary.unsetLevel;
        return 0;
    }
    if (outcome != kUnlisted) {
        const Assignment& set = vocabulary.rows[static_cast<std::size_t>(outcome)].set;
        if (set.object != kKeepObject) object = &catalog::object(set.object);
        if (set.label) label = set.label;
        return 0;
    }
    levelAdjust += vocabulary.unsetLevel;
    if (!vocabulary.fallbackFormat) return -1;
    text::formatText(vocabulary.fallbackBuffer, kFallbackLabelSize, vocabulary.fallbackFormat, code);
    label = vocabulary.fallbackBuffer;
    return vocabulary.fallbackResult;
}

namespace {

// Each vocabulary: the layers and field it serves, the codes known without a
// change, and the codes with what they set.

// AIRPORTP, AIRPORTA; USE
constexpr int32_t kAirportUseKnown[] = {0};
constexpr VocabularyRow kAirportUseRows[] = {
    {{8}, "lotnisko wojskowe"_cp},
    {{22}, "lotnisko wojskowo-cywilne"_cp},
    {{23}, "lotnisko międzynarodowe"_cp},
    {{49}, "lotnisko cywilne"_cp},
};
constexpr Vocabulary kAirportUse{kAirportUseKnown, kAirportUseRows};

// CEMETRYP; REL
constexpr int32_t kCemeteryPointRelKnown[] = {0};
constexpr VocabularyRow kReligionRows[] = {
    {{1}, "buddyzm"_cp},
    {{2}, "islam"_cp},
    {{3}, "rzymsko-katolicyzm"_cp},
    {{4}, "chrześcijaństwo"_cp},
    {{5}, "judaizm"_cp},
    {{6}, "prawosławie"_cp},
    {{7}, "protestantyzm"_cp},
    {{8}, "szintoizm"_cp},
};
constexpr Vocabulary kCemeteryPointRel{kCemeteryPointRelKnown, kReligionRows};

// CEMETRYA; REL
constexpr int32_t kCemeteryAreaRelKnown[] = {0, 999};
constexpr Vocabulary kCemeteryAreaRel{kCemeteryAreaRelKnown, kReligionRows};

// FORTIFNP, FORTIFNA; BFC
constexpr int32_t kFortificationBfcKnown[] = {0};
constexpr VocabularyRow kFortificationBfcRows[] = {
    {{600}, "fortyfikacja"_cp},
    {{601}, "schron"_cp},
    {{602}, "ruiny"_cp},
};
constexpr Vocabulary kFortificationBfc{kFortificationBfcKnown, kFortificationBfcRows};

// SANCTRYP, SANCTRYA; RE2
constexpr int32_t kSanctuaryRe2Known[] = {0};
constexpr VocabularyRow kSanctuaryRe2Rows[] = {
    {{1}, "rezerwat leśny"_cp},
    {{2}, "rezerwat florystyczny"_cp},
    {{3}, "rezerwat stepowy"_cp},
    {{4}, "rezerwat wodny"_cp},
    {{5}, "rezerwat torfowiskowy"_cp},
    {{6}, "rezerwat słonoroślowy"_cp},
    {{7}, "rezerwat faunistyczny"_cp},
    {{8}, "rezerwat przyrody nieożywionej"_cp},
    {{9}, "rezerwat krajobrazowy"_cp},
    {{10}, "rezerwat owadów"_cp},
    {{11}, "rezerwat ptaków"_cp},
    {{12}, "rezerwat ssaków"_cp},
    {{13}, "rezerwat gadów"_cp},
};
constexpr Vocabulary kSanctuaryRe2{kSanctuaryRe2Known, kSanctuaryRe2Rows};

// ENTEXITP; TUC
constexpr int32_t kEntranceTucKnown[] = {0, 999};
constexpr VocabularyRow kEntranceTucRows[] = {
    {{40}, {Obj::op_metro, "metro"_cp}},
};
constexpr Vocabulary kEntranceTuc{kEntranceTucKnown, kEntranceTucRows};

// COMMBLDP, COMMBLDA; NST
constexpr int32_t kCommBuildingNstKnown[] = {0};
constexpr VocabularyRow kCommBuildingNstRows[] = {
    {{12}, "stacja radiowa"_cp},
    {{13}, "stacja radiowo-telefoniczna"_cp},
    {{15}, "stacja telewizyjna"_cp},
    {{16}, "mikrofale"_cp},
    {{33}, "radio-telegraf"_cp},
};
constexpr Vocabulary kCommBuildingNst{kCommBuildingNstKnown, kCommBuildingNstRows};

// TOWERNCP; TTC
constexpr int32_t kTowerTtcKnown[] = {0, 999};
constexpr VocabularyRow kTowerTtcRows[] = {
    {{2}, "wieża obserwacyjna"_cp},
    {{12}, "wieża pożarowa"_cp},
    {{100}, "(wieża 100)"_cp},
    {{101}, "(wieża 101)"_cp},
    {{102}, "(wieża 102)"_cp},
    {{501}, "wieża gazowa"_cp},
    {{502}, "wieża naftowa"_cp},
    {{503}, "wieża wiertnicza"_cp},
    {{504}, "wieża kontrolna"_cp},
};
constexpr Vocabulary kTowerTtc{kTowerTtcKnown, kTowerTtcRows};

// COMMTWRP; NST
constexpr int32_t kCommTowerNstKnown[] = {0};
constexpr VocabularyRow kCommTowerNstRows[] = {
    {{2}, "CONSOL"_cp},
    {{3}, "DECCA"_cp},
    {{7}, "LORAN"_cp},
    {{8}, "OMEGA"_cp},
    {{12}, "stacja radiowa"_cp},
    {{15}, "stacja telewizyjna"_cp},
    {{16}, "mikrofale"_cp},
    {{33}, "radiotelegraf"_cp},
    {{501}, "telefonia komórkowa"_cp},
};
constexpr Vocabulary kCommTowerNst{kCommTowerNstKnown, kCommTowerNstRows};

// LIGHTHOP; MAR
constexpr int32_t kLighthouseMarKnown[] = {0, 999};
constexpr VocabularyRow kLighthouseMarRows[] = {
    {{1}, Obj::op_latziel},
    {{2}, Obj::op_latczar},
    {{3}, Obj::op_latczer},
    {{4}, Obj::op_latzolt},
    {{5}, Obj::op_latbial},
    {{6}, Obj::op_latpoma},
    {{7}, Obj::op_latczz},
    {{8}, Obj::op_latczzcz},
};
constexpr Vocabulary kLighthouseMar{kLighthouseMarKnown, kLighthouseMarRows};

// BUOYP; MAR
constexpr int32_t kBuoyMarKnown[] = {0, 999};
constexpr VocabularyRow kBuoyMarRows[] = {
    {{1}, Obj::op_plaziel},
    {{2}, Obj::op_placzar},
    {{3}, Obj::op_placzer},
    {{4}, Obj::op_plazolt},
    {{5}, Obj::op_plabial},
    {{6}, Obj::op_plapoma},
    {{7}, Obj::op_placzz},
    {{8}, Obj::op_placzzcz},
};
constexpr Vocabulary kBuoyMar{kBuoyMarKnown, kBuoyMarRows};

// LIGHTP; MAR
constexpr int32_t kLightMarKnown[] = {0, 999};
constexpr VocabularyRow kLightMarRows[] = {
    {{1}, Obj::op_sygziel},
    {{2}, Obj::op_sygczar},
    {{3}, Obj::op_sygczer},
    {{4}, Obj::op_sygzolt},
    {{5}, Obj::op_sygbial},
    {{6}, Obj::op_sygpoma},
    {{7}, Obj::op_sygczz},
    {{8}, Obj::op_sygczzcz},
};
constexpr Vocabulary kLightMar{kLightMarKnown, kLightMarRows};

// CISTERNP; USE
constexpr int32_t kCisternUseKnown[] = {0, 999};
constexpr VocabularyRow kCisternUseRows[] = {
    {{200}, Obj::op_basen},
    {{201}, Obj::op_zbiorwod},
    {{202}, {Obj::op_zbiorwod, "woda deszczowa"_cp}},
};
constexpr Vocabulary kCisternUse{kCisternUseKnown, kCisternUseRows};

// TANKP, PUMPSTC, PUMPSTA; PRO
constexpr int32_t kProductKnown[] = {0, 999};
constexpr VocabularyRow kProductRows[] = {
    {{13}, "chemikalia"_cp},
    {{38}, "gaz"_cp},
    {{39}, "benzyna"_cp},
    {{67}, "ropa naftowa"_cp},
    {{116}, "woda"_cp},
};
constexpr Vocabulary kProduct{kProductKnown, kProductRows};

// PYLONC; MCC
constexpr int32_t kPylonMccKnown[] = {0, 999};
constexpr VocabularyRow kPylonMccRows[] = {
    {{83}, "beton"_cp},
    {{107}, "stal"_cp},
    {{117}, "drewno"_cp},
};
constexpr Vocabulary kPylonMcc{kPylonMccKnown, kPylonMccRows};

// WELLSPRP; SWT
constexpr int32_t kSpringSwtKnown[] = {0, 999};
constexpr VocabularyRow kSpringSwtRows[] = {
    {{1}, "gejzer"_cp},
    {{2}, "gorące źródło"_cp},
    {{3}, "fumarola"_cp},
    {{4}, "artezyjskie"_cp},
    {{5}, "jama z wodą"_cp},
    {{6}, "obudowane źródło"_cp},
    {{10}, "odwiert hydrologiczny"_cp},
};
constexpr Vocabulary kSpringSwt{kSpringSwtKnown, kSpringSwtRows};

// PITP; PRO
constexpr int32_t kPitPointProKnown[] = {0, 999};
constexpr VocabularyRow kPitPointProRows[] = {
    {{12}, "odkrywka kreda"_cp},
    {{16}, "odkrywka glina, ił"_cp},
    {{43}, "odkrywka granit"_cp},
    {{46}, "odkrywka żwir"_cp},
    {{60}, "odkrywka marmur"_cp},
    {{88}, "odkrywka piasek"_cp},
    {{89}, "odkrywka piaskowiec"_cp},
    {{98}, "odkrywka gruby żwir"_cp},
    {{108}, "odkrywka kamień"_cp},
    {{501}, "odkrywka węgiel kamienny"_cp},
    {{502}, "odkrywka węgiel brunatny"_cp},
    {{503}, "odkrywka torf"_cp},
};
constexpr Vocabulary kPitPointPro{kPitPointProKnown, kPitPointProRows};

// PITA; PRO
constexpr int32_t kPitAreaProKnown[] = {0, 999};
constexpr VocabularyRow kPitAreaProRows[] = {
    {{12}, "odkrywka kreda"_cp},
    {{16}, "odkrywka glina, ił"_cp},
    {{43}, "odkrywka granit"_cp},
    {{46}, "odkrywka żwir"_cp},
    {{60}, "odkrywka marmur"_cp},
    {{88}, "odkrywka piasek"_cp},
    {{89}, "odkrywka piaskowiec"_cp},
    {{98}, "odkrywka gruby żwir"_cp},
    {{108}, "kamieniołom"_cp},
    {{501}, "odkrywka węgiel kamienny"_cp},
    {{502}, "odkrywka węgiel brunatny"_cp},
    {{503}, "odkrywka torf"_cp},
};
constexpr Vocabulary kPitAreaPro{kPitAreaProKnown, kPitAreaProRows};

// QUARRYP, QUARRYA; PRO
constexpr int32_t kQuarryProKnown[] = {0, 999};
constexpr VocabularyRow kQuarryProRows[] = {
    {{12}, "kreda"_cp},
    {{16}, "glina, ił"_cp},
    {{43}, "granit"_cp},
    {{46}, "żwir"_cp},
    {{60}, "marmur"_cp},
    {{88}, "piasek"_cp},
    {{89}, "piaskowiec"_cp},
    {{98}, "gruby żwir"_cp},
    {{108}, "kamień"_cp},
    {{501}, "węgiel kamienny"_cp},
    {{502}, "węgiel brunatny"_cp},
    {{503}, "torf"_cp},
};
constexpr Vocabulary kQuarryPro{kQuarryProKnown, kQuarryProRows};

// BEACHL; SLT
constexpr int32_t kBeachSltKnown[] = {0, 999};
constexpr VocabularyRow kBeachSltRows[] = {
    {{100}, "(brzeg urwisty)"_cp},
    {{101}, "(brzeg z plażą)"_cp},
    {{200}, "(brzeg 200)"_cp},
    {{501}, "brzeg urwisty"_cp},
    {{502}, "brzeg z plażą"_cp},
    {{503}, "brzeg niebezpieczny dla żeglugi"_cp},
    {{504}, "brzeg okresowy"_cp},
};
constexpr Vocabulary kBeachSlt{kBeachSltKnown, kBeachSltRows};

// CANALL; HYC
constexpr int32_t kCanalHycKnown[] = {0, 8};
constexpr VocabularyRow kCanalHycRows[] = {
    {{3}, {Obj::ol_rowsuchy, "suchy kanał"_cp}},
    {{6}, Obj::ol_rowwod},
};
constexpr Vocabulary kCanalHyc{kCanalHycKnown, kCanalHycRows};

// CANALL; WWR
constexpr int32_t kCanalWwrKnown[] = {0};
constexpr VocabularyRow kCanalWwrRows[] = {
    {{1}, Obj::ol_kanals},
    {{2}, Obj::ol_kanalm},
    {{3}, Obj::ol_kanalb},
};
constexpr Vocabulary kCanalWwr{kCanalWwrKnown, kCanalWwrRows};

// RIVERL; HYC
constexpr int32_t kRiverHycKnown[] = {0, 8};
constexpr VocabularyRow kRiverHycRows[] = {
    {{6}, Obj::ol_rowwod},
};
constexpr Vocabulary kRiverHyc{kRiverHycKnown, kRiverHycRows};

// RIVERL; WWR
constexpr int32_t kRiverWwrKnown[] = {0};
constexpr VocabularyRow kRiverWwrRows[] = {
    {{1}, Obj::ol_rzekas},
    {{2}, Obj::ol_rzekam},
    {{3}, Obj::ol_rzekab},
};
constexpr Vocabulary kRiverWwr{kRiverWwrKnown, kRiverWwrRows};

// DITCHL; HYC
constexpr int32_t kDitchHycKnown[] = {0, 6};
constexpr VocabularyRow kDitchHycRows[] = {
    {{3}, Obj::ol_rowsuchy},
    {{8}, {Obj::ol_kanals, "rów"_cp}},
};
constexpr Vocabulary kDitchHyc{kDitchHycKnown, kDitchHycRows};

// DITCHL; WWR
constexpr int32_t kDitchWwrKnown[] = {0, 1};
constexpr VocabularyRow kDitchWwrRows[] = {
    {{2}, {Obj::ol_kanalm, "rów"_cp}},
    {{3}, {Obj::ol_kanalb, "rów"_cp}},
};
constexpr Vocabulary kDitchWwr{kDitchWwrKnown, kDitchWwrRows};

// RAILSIDL; RGC
constexpr int32_t kRailSidingRgcKnown[] = {0, 1, 3, 5};
constexpr VocabularyRow kRailSidingRgcRows[] = {
    {{2}, Obj::ol_bocznicwt},
};
constexpr Vocabulary kRailSidingRgc{kRailSidingRgcKnown, kRailSidingRgcRows};

// RAILRDL; RGC
constexpr int32_t kRailroadRgcKnown[] = {0, 1, 3, 5};
constexpr VocabularyRow kRailroadRgcRows[] = {
    {{2}, Obj::ol_kolejwt},
};
constexpr Vocabulary kRailroadRgc{kRailroadRgcKnown, kRailroadRgcRows};

// ADMBNDL; USE
constexpr int32_t kBoundaryUseKnown[] = {0, 999};
constexpr VocabularyRow kBoundaryUseRows[] = {
    {{23}, Obj::ol_granica},
    {{26}, Obj::ol_grawoj},
    {{30}, Obj::ol_gradmin},
    {{31, 984}, Obj::ol_gradmin2},
};
constexpr Vocabulary kBoundaryUse{kBoundaryUseKnown, kBoundaryUseRows};

// INTCHNGL; TUC
constexpr int32_t kInterchangeTucKnown[] = {0};
constexpr VocabularyRow kInterchangeTucRows[] = {
    {{2}, Obj::ol_autostr},
    {{4, 36, 42}, Obj::ol_droga_dr},
    {{6}, Obj::ol_ulica_gl},
};
constexpr Vocabulary kInterchangeTuc{kInterchangeTucKnown, kInterchangeTucRows};

// GRDELEMA; MCC
constexpr int32_t kGroundElementMccKnown[] = {0, 88, 999};
constexpr VocabularyRow kGroundElementMccRows[] = {
    {{8}, {Obj::oa_kamienie, "głazy narzutowe"_cp}},
    {{38}, "gaz"_cp},
    {{46}, "żwir"_cp},
    {{52}, {Obj::oa_kamienie, "lawa"_cp}},
    {{55}, "less"_cp},
    {{84}, {Obj::oa_kamienie, "skała"_cp}},
    {{120}, "piasek i żwir"_cp},
    {{121}, "piasek i muł"_cp},
    {{122}, "piasek i otoczaki"_cp},
    {{124}, "kras"_cp},
    {{210}, "równina piasków lotnych"_cp},
    {{211}, "pagórki piasków lotnych"_cp},
};
constexpr Vocabulary kGroundElementMcc{kGroundElementMccKnown, kGroundElementMccRows};

// ORCHARA; VEG
constexpr int32_t kOrchardVegKnown[] = {0, 999};
constexpr VocabularyRow kOrchardVegRows[] = {
    {{101}, "(ogródki działkowe)"_cp},
    {{102}, "(ogrody 102)"_cp},
    {{103}, "(ogrody 103)"_cp},
    {{104}, "(ogrody 104)"_cp},
    {{601}, "sad"_cp},
    {{602}, "plantacja krzewów owocowych"_cp},
    {{603}, "sad z krzewami owocowymi"_cp},
    {{604}, "ogródki działkowe"_cp},
};
constexpr Vocabulary kOrchardVeg{kOrchardVegKnown, kOrchardVegRows};

// CROPA; VEG
constexpr int32_t kCropVegKnown[] = {0, 999};
constexpr VocabularyRow kCropVegRows[] = {
    {{200}, "(pole 200)"_cp},
    {{201}, "(pole 201)"_cp},
    {{202}, "(pole 202)"_cp},
    {{701}, "wiklina"_cp},
    {{702}, "trzcina"_cp},
    {{703}, "chmiel"_cp},
    {{704}, "winnica"_cp},
};
constexpr Vocabulary kCropVeg{kCropVegKnown, kCropVegRows};

// BFC of the process plant layers: points plantPointBfcDecoder (PROCPLTP),
// areas plantAreaBfcDecoder (PROCPLTA).
constexpr PointAreaRow kPlantBfcRows[] = {
    {{1}, "budowle produkcyjne"_cp, "budowle produkcyjne"_cp},
    {{20}, "szklarnia"_cp, "szklarnia"_cp},
    {{22}, Obj::op_mlyn, "młyn"_cp},
    {{24}, "magazyn"_cp, "magazyn"_cp},
    {{73}, "stolarnia"_cp, "stolarnia"_cp},
    {{74}, Obj::op_tartak, "tartak"_cp},
    {{75}, "suszarnia, piec do wypalania"_cp, "suszarnia, piec do wypalania"_cp},
    {{83}, "koksownia"_cp, "elektrownia"_cp},
    {{85}, "papiernia"_cp, "papiernia"_cp},
    {{89}, "przetwórnia, obróbka"_cp, "przetwórnia, obróbka"_cp},
    {{110}, "stocznia"_cp, "stocznia"_cp},
    {{112}, "stalownia"_cp, "stalownia"_cp},
    {{116}, "fabryka"_cp, "fabryka"_cp},
    {{120}, "fabryka samochodów"_cp, "fabryka samochodów"_cp},
    {{121}, "fabryka broni"_cp, "fabryka broni"_cp},
    {{124}, "zakład naprawczy"_cp, "zakład naprawczy"_cp},
    {{200, 500}, "gorzelnia"_cp, "gorzelnia"_cp},
    {{201, 501}, "betoniarnia"_cp, "betoniarnia"_cp},
    {{202, 502}, "browar"_cp, "browar"_cp},
    {{203, 503}, "fabryka celulozy"_cp, "fabryka celulozy"_cp},
    {{204, 504}, "cementownia"_cp, "cementownia"_cp},
    {{205, 505}, "fabryka wyrobów ceramicznych"_cp, "fabryka wyrobów ceramicznych"_cp},
    {{206, 506}, "cegielnia"_cp, "cegielnia"_cp},
    {{207, 507}, "fabryka wyrobów chemicznych"_cp, "fabryka wyrobów chemicznych"_cp},
    {{208, 508}, "chłodnia"_cp, "chłodnia"_cp},
    {{209, 509}, "cukrownia"_cp, "cukrownia"_cp},
    {{210, 510}, "drukarnia"_cp, "drukarnia"_cp},
    {{211}, "hodowla drobiu"_cp, kNotListed},
    {{212, 511}, "zakład dziewiarski"_cp, "zakład dziewiarski"_cp},
    {{213, 512}, "fabryka wyrobów farmaceutycznych"_cp, "fabryka wyrobów farmaceutycznych"_cp},
    {{214, 513}, "fabryka wyrobów gumowych"_cp, "fabryka wyrobów gumowych"_cp},
    {{215}, "gospodarstwo hodowlane"_cp, "gospodarstwo hodowlane"_cp},
    {{216, 514}, "huta"_cp, "huta"_cp},
    {{217, 515, 563}, "koksownia"_cp, "koksownia"_cp},
    {{218, 516}, "fabryka materiałów budowlanych"_cp, "fabryka materiałów budowlanych"_cp},
    {{219, 517}, "fabryka mebli"_cp, "fabryka mebli"_cp},
    {{220, 518}, "fabryka wyrobów metalowych"_cp, "fabryka wyrobów metalowych"_cp},
    {{221}, "fabryka wyrobów mięsnych"_cp, "fabryka wyrobów mięsnych"_cp},
    {{222, 520}, "mleczarnia"_cp, "mleczarnia"_cp},
    {{223, 521}, "fabryka urządzeń mechanicznych"_cp, "fabryka urządzeń mechanicznych"_cp},
    {{224, 522}, "gospodarstwo nasienne"_cp, "gospodarstwo nasienne"_cp},
    {{225, 523}, "fabryka obuwia"_cp, "fabryka obuwia"_cp},
    {{226, 524}, "zakład ogrodniczy"_cp, "zakład ogrodniczy"_cp},
    {{227}, "ośrodek hodowli zarodowej"_cp, "ośrodek hodowli zarodowej"_cp},
    {{228}, "Państwowe Gospodarstwo Rolne"_cp, "Państwowe Gospodarstwo Rolne"_cp},
    {{229, 526}, "piekarnia"_cp, "piekarnia"_cp},
    {{230, 527}, "rafineria ropy naftowej"_cp, "rafineria ropy naftowej"_cp},
    {{231, 528}, "fabryka przetworów rybnych"_cp, "fabryka przetworów rybnych"_cp},
    {{232, 529}, "fabryka artykułów spożywczych"_cp, "fabryka artykułów spożywczych"_cp},
    {{233, 530}, "fabryka wyrobów tekstylnych"_cp, "fabryka wyrobów tekstylnych"_cp},
    {{234}, "tuczarnia"_cp, "tuczarnia"_cp},
    {{235, 531}, "rzeźnia"_cp, "rzeźnia"_cp},
    {{236, 532}, "fabryka wyrobów tytoniowych"_cp, "fabryka wyrobów tytoniowych"_cp},
    {{237, 533}, "gospodarstwo warzywnicze"_cp, "gospodarstwo warzywnicze"_cp},
    {{238, 534}, "wytwórnia wód mineralnych"_cp, "wytwórnia wód mineralnych"_cp},
    {{239, 535}, "fabryka wyrobów włókienniczych"_cp, "fabryka wyrobów włókienniczych"_cp},
    {{240, 536}, "zakład utylizacyjny"_cp, "zakład utylizacyjny"_cp},
    {{519}, "fabryka/zakład wyrobów mięsnych"_cp, "fabryka/zakład wyrobów mięsnych"_cp},
    {{525}, "dawne Państwowe Gospodarstwo Rolne"_cp, "dawne Państwowe Gospodarstwo Rolne"_cp},
    {{537}, "fabryka związków azotowych"_cp, "fabryka związków azotowych"_cp},
    {{538}, "wytwórnia bitumu"_cp, "wytwórnia bitumu"_cp},
    {{539}, "baza transportowa"_cp, "baza transportowa"_cp},
    {{540}, "zakład przemysłu drzewnego"_cp, "zakład przemysłu drzewnego"_cp},
    {{541}, "fabryka wyrobów elektrotechnicznych"_cp, "fabryka wyrobów elektrotechnicznych"_cp},
    {{542}, "fabryka konserw"_cp, "fabryka konserw"_cp},
    {{543}, "fabryka kosmetyków"_cp, "fabryka kosmetyków"_cp},
    {{544}, "fabryka kotłów"_cp, "fabryka kotłów"_cp},
    {{545}, "fabryka maszyn rolnych"_cp, "fabryka maszyn rolnych"_cp},
    {{546}, "fabryka budowy maszyn"_cp, "fabryka budowy maszyn"_cp},
    {{547}, "fabryka opakowań"_cp, "fabryka opakowań"_cp},
    {{548}, "fabryka wyrobów skórzanych"_cp, "fabryka wyrobów skórzanych"_cp},
    {{549}, "stacja rolniczo-doświadczalna"_cp, "stacja rolniczo-doświadczalna"_cp},
    {{550}, "fabryka wyrobów szklanych"_cp, "fabryka wyrobów szklanych"_cp},
    {{551}, "fabryka tworzyw sztucznych"_cp, "fabryka tworzyw sztucznych"_cp},
    {{552}, "fabryka włókien sztucznych"_cp, "fabryka włókien sztucznych"_cp},
    {{553}, "fabryka wyrobów precyzyjnych"_cp, "fabryka wyrobów precyzyjnych"_cp},
    {{554}, "tkalnia"_cp, "tkalnia"_cp},
    {{555}, "zakład odzieżowy"_cp, "zakład odzieżowy"_cp},
    {{556}, "fabryka wagonów"_cp, "fabryka wagonów"_cp},
    {{557}, "walcownia"_cp, "walcownia"_cp},
    {{558}, "spalarnia śmieci"_cp, "spalarnia śmieci"_cp},
    {{559}, Obj::op_pompownia, "stacja pomp/pompownia/wodociągi"_cp},
    {{560, 900}, Obj::op_oczysciek, "oczyszczalnia ścieków"_cp},
    {{561}, "zakład usługowy"_cp, "zakład usługowy"_cp},
    {{562}, "ciepłownia"_cp, "ciepłownia"_cp},
    {{564}, "gazownia"_cp, "gazownia"_cp},
};

constexpr int32_t kPlantBfcKnown[] = {0, 999};
constexpr auto kPlantPointBfcRows = vocabularyColumn(kPlantBfcRows, &PointAreaRow::point);
constexpr auto kPlantAreaBfcRows = vocabularyColumn(kPlantBfcRows, &PointAreaRow::area);

// The formatted fallback labels live here until the decoder's next call.
char plantPointLabel[kFallbackLabelSize];
char plantAreaLabel[kFallbackLabelSize];

constexpr Vocabulary kPlantPointBfc{kPlantBfcKnown, kPlantPointBfcRows, "(fab. %i)"_cp, -1, plantPointLabel};
constexpr Vocabulary kPlantAreaBfc{kPlantBfcKnown, kPlantAreaBfcRows, "(fab %i)"_cp, 0, plantAreaLabel};

}  // namespace

// Every decoder binds the one lookup to its vocabulary.
int airportUseDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kAirportUse, code, object, label);
}
int cemeteryPointRelDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCemeteryPointRel, code, object, label);
}
int cemeteryAreaRelDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCemeteryAreaRel, code, object, label);
}
int fortificationBfcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kFortificationBfc, code, object, label);
}
int sanctuaryRe2Decoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kSanctuaryRe2, code, object, label);
}
int entranceTucDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kEntranceTuc, code, object, label);
}
int commBuildingNstDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCommBuildingNst, code, object, label);
}
int towerTtcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kTowerTtc, code, object, label);
}
int commTowerNstDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCommTowerNst, code, object, label);
}
int lighthouseMarDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kLighthouseMar, code, object, label);
}
int buoyMarDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kBuoyMar, code, object, label);
}
int lightMarDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kLightMar, code, object, label);
}
int cisternUseDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCisternUse, code, object, label);
}
int productDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kProduct, code, object, label);
}
int pylonMccDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPylonMcc, code, object, label);
}
int springSwtDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kSpringSwt, code, object, label);
}
int pitPointProDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPitPointPro, code, object, label);
}
int pitAreaProDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPitAreaPro, code, object, label);
}
int quarryProDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kQuarryPro, code, object, label);
}
int beachSltDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kBeachSlt, code, object, label);
}
int canalHycDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCanalHyc, code, object, label);
}
int canalWwrDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCanalWwr, code, object, label);
}
int riverHycDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kRiverHyc, code, object, label);
}
int riverWwrDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kRiverWwr, code, object, label);
}
int ditchHycDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kDitchHyc, code, object, label);
}
int ditchWwrDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kDitchWwr, code, object, label);
}
int railSidingRgcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kRailSidingRgc, code, object, label);
}
int railroadRgcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kRailroadRgc, code, object, label);
}
int boundaryUseDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kBoundaryUse, code, object, label);
}
int interchangeTucDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kInterchangeTuc, code, object, label);
}
int groundElementMccDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kGroundElementMcc, code, object, label);
}
int orchardVegDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kOrchardVeg, code, object, label);
}
int cropVegDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kCropVeg, code, object, label);
}
int plantPointBfcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPlantPointBfc, code, object, label);
}
int plantAreaBfcDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPlantAreaBfc, code, object, label);
}

}  // namespace layers
