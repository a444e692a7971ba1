// Forests: the kind chooses the object, the name, tree species and stand
// measurements make the label, and the species are counted for the report.
#include "catalog/statistics.hpp"
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

// FORESTA; TRE
constexpr VocabularyRow kForestKindRows[] = {
    {{1}, Obj::oa_laslisc},
    {{2}, Obj::oa_lasiglas},
    {{3}, Obj::oa_lasmiesz},
    {{501}, {Obj::oa_zarosla, "wiatrołom"_cp}},
    {{502}, {Obj::oa_zarosla, "rzadki las"}},
    {{503}, {Obj::oa_zarosla, "spalony las"}},
    {{504}, {Obj::oa_zarosla, "poręba"_cp}},
};
constexpr Vocabulary kForestKind{{}, kForestKindRows};

// The species counter a forest kind adds to.
catalog::SpeciesCounter kindCounter(int32_t kind) {
    switch (kind) {
        case 2: return catalog::kTre2;
        case 1: return catalog::kTre1;
        case 3: return catalog::kTre3;
        case 0: return catalog::kTre0;
        default: return catalog::kTreOther;
    }
}

}  // namespace

int forestKindDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kForestKind, code, object, label);
}

const char* treeSpeciesDecoder(int32_t species, int32_t kind) {
    int row = catalog::treeSpeciesRow(species);
    catalog::treeSpeciesStats[row][catalog::kFeatures] += 1;
    catalog::treeSpeciesStats[row][kindCounter(kind)] += 1;
    return catalog::treeSpecies[row].text;
}

int forestHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& forest = catalog::object(row.object);
    input::DbfField name, kindField, species, standHeight, standClass, standDensity;
    findFields(files, {{"NAM", &name}, {"TRE", &kindField}, {"VEG", &species}, {"PHT", &standHeight},
                       {"TSC", &standClass}, {"SDS", &standDensity}});
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, forest, 0, "");
        ObjectType* object = &forest;
        const char* label = "";
        int32_t unusedLevel = 0;
        int32_t kind = fieldInt(files, record, kindField, -1);
        if (kind >= 0) forestKindDecoder(kind, object, label, unusedLevel);
        if (fieldHasValue(files, record, name)) label = fieldText(files, record, name);
        const char* speciesText = species.found ? treeSpeciesDecoder(fieldInt(files, record, species, 0), kind) : "";
        int32_t pht = fieldInt(files, record, standHeight, -1);
        int32_t tsc = fieldInt(files, record, standClass, -1);
        int32_t sds = fieldHundredths(files, record, standDensity, -1);
        // Species and stand follow the name (or kind) behind one label code.
        const char* code = label[0] != '\0' ? "~[0x1c] " : "~[0x1c]";
        if (pht > 0 && tsc > 0 && sds > 0)
            label = formatLabel(buffer, "%s%s%s%s%u/%u.%02u %u", label, code, speciesText,
                                speciesText[0] != '\0' ? " " : "", static_cast<uint32_t>(pht),
                                static_cast<uint32_t>(sds / 100), static_cast<uint32_t>(sds % 100),
                                static_cast<uint32_t>(tsc));
        else if (speciesText[0] != '\0')
            label = formatLabel(buffer, "%s%s%s", label, code, speciesText);
        writeFeature(files, shape, *object, 0, label);
    });
    return 1;
}

}  // namespace layers
