// The power network: substations, power plants and power lines, labelled with
// their voltages (kV), power (MW) and height (m).
#include <cstdarg>
#include <cstring>

#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"
#include "text/format.hpp"

using namespace text::literals;
using catalog::ObjectType;

namespace layers {

namespace {

// A value is shown from 1 to its field's maximum; outside (a missing field
// reads as -1) it is left out of the label.
constexpr int32_t kMaxVoltage = 998;       // EP1, EP2
constexpr int32_t kMaxPower = 32766;       // EPW
constexpr int32_t kMaxLineVoltage = 32766; // KVA
constexpr int32_t kMaxHeight = 29998;      // HGT

bool isShown(int32_t value, int32_t max) { return value >= 1 && value <= max; }

constexpr int32_t kPowerPlantKindKnown[] = {0, 999};
constexpr VocabularyRow kPowerPlantKindRows[] = {
    {{1}, "elktr. wodna"_cp},
    {{2}, "elktr. nuklearna"_cp},
    {{3}, "elktr. słoneczna"_cp},
    {{4}, "elktr. termalna"_cp},
    {{5}, "elktr. wiatrowa"_cp},
    {{6}, "elktr. pływowa"_cp},
    {{7}, "elktr. spalinowa"_cp},
};
constexpr Vocabulary kPowerPlantKind{kPowerPlantKindKnown, kPowerPlantKindRows};

// A label of technical data: the name, or ":" for a feature without one, then
// each part after a blank. The buffer holds a 254-character name with every
// part; a longer text would be cut, never overrun.
struct TechnicalLabel {
    LabelBuffer buffer;
    std::size_t length = 0;

    void start(const char* name) {
        length = 0;
        append("%s", name[0] != '\0' ? name : ":");
    }

    // Appends a part and returns the whole label.
    __attribute__((format(printf, 2, 3))) const char* append(const char* format, ...) {
        va_list arguments;
        va_start(arguments, format);
        text::formatTextV(buffer.text + length, sizeof buffer.text - length, format, arguments);
        va_end(arguments);
        length = std::strlen(buffer.text);
        return buffer.text;
    }
};

int convertSubstations(const LayerFiles& files, const LayerRow& row) {
    ObjectType& object = catalog::object(row.object);
    input::DbfField name, power, voltage, secondVoltage;
    findFields(files, {{"NAM", &name}, {"EPW", &power}, {"EP1", &voltage}, {"EP2", &secondVoltage}}, 1);
    TechnicalLabel text;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeWithoutRecord(files, shape, object);
        // Without a voltage or a power the substation has no label, named or not.
        const char* label = "";
        text.start(fieldText(files, record, name));
        int32_t kv = fieldInt(files, record, voltage, -1);
        if (isShown(kv, kMaxVoltage)) {
            int32_t secondKv = fieldInt(files, record, secondVoltage, -1);
            label = isShown(secondKv, kMaxVoltage)
                        ? text.append(" %u/%ukV", static_cast<uint32_t>(kv), static_cast<uint32_t>(secondKv))
                        : text.append(" %ukV", static_cast<uint32_t>(kv));
        }
        int32_t mw = fieldInt(files, record, power, -1);
        if (isShown(mw, kMaxPower)) label = text.append(" %uMW", static_cast<uint32_t>(mw));
        writeFeature(files, shape, object, 0, label);
    });
    return 1;
}

int convertPowerPlants(const LayerFiles& files, const LayerRow& row) {
    ObjectType& plant = catalog::object(row.object);
    input::DbfField name, kind, power;
    findFields(files, {{"NAM", &name}, {"PPC", &kind}, {"EPW", &power}}, 1);
    LabelBuffer buffer;
    walkCodedFeatures(files, plant, name, [&](const input::ShapeRecord& shape, const uint8_t* record,
                                              const char* nameText, Feature& feature) {
        decodeField(files, record, kind, "PPC", powerPlantKindDecoder, nameText, feature.object, feature.label,
                    feature.levelAdjust);
        // The kind shows only for plants without a name.
        const char* label = nameText[0] != '\0' ? nameText : feature.label;
        int32_t mw = fieldInt(files, record, power, -1);
        if (isShown(mw, kMaxPower))
            label = label[0] != '\0' ? formatLabel(buffer, "%s %uMW", label, static_cast<uint32_t>(mw))
                                     : formatLabel(buffer, "elektr. %uMW", static_cast<uint32_t>(mw));
        else if (label[0] == '\0')
            label = fallbackLabel(plant);
        writeFeature(files, shape, plant, 0, label);
    });
    return 1;
}

}  // namespace

int powerPlantKindDecoder(int32_t code, ObjectType*& object, const char*& label, int32_t&) {
    return decodeValue(kPowerPlantKind, code, object, label);
}

int substationPointHandler(const LayerFiles& files, const LayerRow& row) { return convertSubstations(files, row); }
int substationAreaHandler(const LayerFiles& files, const LayerRow& row) { return convertSubstations(files, row); }
int powerPlantPointHandler(const LayerFiles& files, const LayerRow& row) { return convertPowerPlants(files, row); }
int powerPlantAreaHandler(const LayerFiles& files, const LayerRow& row) { return convertPowerPlants(files, row); }

int powerLineHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& line = catalog::object(row.object);
    input::DbfField height, name, voltage;
    findFields(files, {{"HGT", &height}});  // the only field of the network reported when missing
    findFields(files, {{"NAM", &name}, {"KVA", &voltage}}, 1);
    TechnicalLabel text;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeWithoutRecord(files, shape, line);
        const char* label = fieldText(files, record, name);
        text.start(label);
        int32_t kv = fieldInt(files, record, voltage, -1);
        if (isShown(kv, kMaxLineVoltage)) label = text.append(" %ukV", static_cast<uint32_t>(kv));
        int32_t metres = fieldInt(files, record, height, -1);
        if (isShown(metres, kMaxHeight)) label = text.append(" %um", static_cast<uint32_t>(metres));
        writeFeature(files, shape, line, 0, label[0] != '\0' ? label : fallbackLabel(line));
    });
    return 1;
}

}  // namespace layers
