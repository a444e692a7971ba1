// Roads (ROADL): the road object from the transportation use and the route
// type, the name put into the shield label code of its object.
#include <cstring>
#include <iterator>

#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

// The road objects with the label code written before a name; names longer
// than shortName characters go bare (0: a name of any length takes the code).
struct RoadShield {
    Obj object;
    const char* format;
    std::size_t shortName;
};

constexpr RoadShield kRoadShields[] = {
    {Obj::ol_autostr, "~[0x04]%s", 0},
    {Obj::ol_droga_sz, "~[0x05]%s", 0},
    {Obj::ol_droga_g1, "~[0x06]%s", 10},
    {Obj::ol_droga_g2, "~[0x06]%s", 10},
    {Obj::ol_droga_dr, "~[0x06]%s", 10},
    {Obj::ol_ulica_gl, "~[0x06]%s", 10},
    {Obj::ol_droga_utw, "~[0x06]%s", 10},
};

// USE labels of unnamed roads whose object has FlagaEt set.
constexpr VocabularyRow kRoadUseRows[] = {
    {{4}, "~[0x1c]droga krajowa"_cp},
    {{5}, "~[0x1c]droga regionalna"_cp},
    {{6}, "~[0x1c]droga prywatna"_cp},
    {{16}, "~[0x1c]droga miejska"_cp},
    {{23}, "~[0x1c]droga międzynarodowa"_cp},
    {{33}, "~[0x1c]droga wojewódzka"_cp},
    {{37}, "~[0x1c]droga międzyregionalna"_cp},
    {{113}, "~[0x1c]droga powiatowa"_cp},
    {{114}, "~[0x1c]droga gminna"_cp},
};
constexpr Vocabulary kRoadUse{{}, kRoadUseRows};

// TUC 2 is a motorway or an expressway, TUC 4, 36 and 42 a road graded by RTT,
// TUC 6 a main street; everything else a paved road.
Obj roadObject(int32_t tuc, int32_t rtt, bool named) {
    switch (tuc) {
    case 2:
        if (rtt == 16) return Obj::ol_autostr;
        return named ? Obj::ol_droga_sz : Obj::ol_droga_g2;
    case 4:
    case 36:
    case 42:
        switch (rtt) {
        case 14: return named ? Obj::ol_droga_g1 : Obj::ol_droga_g2;
        case 15: return Obj::ol_droga_dr;
        case 16: return Obj::ol_droga_sz;
        default: return Obj::ol_droga_utw;
        }
    case 6: return Obj::ol_ulica_gl;
    default: return Obj::ol_droga_utw;
    }
}

// The shield row of a road object (the last row, the paved road, for any other).
const RoadShield& roadShield(Obj object) {
    for (const RoadShield& shield : kRoadShields)
        if (shield.object == object) return shield;
    return kRoadShields[std::size(kRoadShields) - 1];
}

}  // namespace

int roadHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& paved = catalog::object(row.object);
    input::DbfField tuc, rtt, name, use;
    findFields(files, {{"TUC", &tuc}, {"RTT", &rtt}, {"NAM", &name}, {"USE", &use}});
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, paved, 0, "");
        const char* nameText = fieldText(files, record, name);
        bool named = nameText[0] != '\0';
        Obj id = roadObject(fieldInt(files, record, tuc, -1), fieldInt(files, record, rtt, -1), named);
        ObjectType* object = &catalog::object(id);
        const char* label = "";
        if (named) {
            const RoadShield& shield = roadShield(id);
            label = shield.shortName && std::strlen(nameText) > shield.shortName
                        ? nameText
                        : formatLabel(buffer, shield.format, nameText);
        } else if (object->FlagaEt) {
            decodeValue(kRoadUse, fieldInt(files, record, use, -1), object, label);
        }
        writeFeature(files, shape, *object, 0, label);
    });
    return 1;
}

}  // namespace layers
