// Parks and protected areas (PARKA): town, landscape and national parks and
// reserves, told apart by the usage code and then by words in the name.
#include "input/run_flags.hpp"
#include "layers/dispatch.hpp"
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

constexpr int32_t kParkUseKnown[] = {0, 999};
constexpr VocabularyRow kParkUseRows[] = {
    {{4}, {Obj::oa_parknar, "park narodowy"_cp}},
    {{144}, {Obj::oa_park, "park"_cp}},
    {{501}, {Obj::oa_parkkraj, "park krajobrazowy"_cp}},
};
constexpr Vocabulary kParkUse{kParkUseKnown, kParkUseRows};

// Words of the name, in Polish and the neighbours' languages, tested group by
// group in this order with the letters A to Z folded. A group with a `from`
// object changes only a park that is still that object.
struct NameWords {
    const char* words[4];
    Obj object;
    Obj from = kKeepObject;
};

constexpr NameWords kParkNameWords[] = {
    {{"KRAJOBRAZ", "KRAJINN", "REGIONINIS", "LANDSCHAFT"}, Obj::oa_parkkraj},
    {{"NARODOWY", "NÁRODNÝ"_cp}, Obj::oa_parknar},
    {{"ORATYK"}, Obj::oa_rezerwat, Obj::oa_park},
};

bool containsWord(const char* name, const NameWords& group) {
    for (const char* word : group.words)
        if (word && containsLayerName(name, word)) return true;
    return false;
}

}  // namespace

int parkUseDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kParkUse, code, object, label);
}

int parkAreaHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& park = catalog::object(row.object);
    input::DbfField name, use;
    findFields(files, {{"NAM", &name}, {"USE", &use}});
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, park, 0, "");
        const char* nameText = fieldText(files, record, name);
        ObjectType* object = &park;
        const char* label = "";
        int32_t levelAdjust = 0;
        if (use.found) {
            int32_t code = fieldInt(files, record, use, 0);
            if (parkUseDecoder(code, object, label, levelAdjust) < 0 && input::logUnknownValues)
                report::error("nieznana wartosc: %i, pole USE, nazwa: %s, plik %s\n"_cp, code, nameText,
                              files.shp.path);
        }
        if (nameText[0] != '\0') {
            label = nameText;
            for (const NameWords& group : kParkNameWords) {
                bool applies = group.from == kKeepObject || object == &catalog::object(group.from);
                if (applies && containsWord(nameText, group)) object = &catalog::object(group.object);
            }
        }
        writeFeature(files, shape, *object, 0, label);
    });
    return 1;
}

}  // namespace layers
