// Layers of one object each, labelled by a name, a text or a number field.
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

namespace layers {

namespace {

// The field's text when the feature's record holds a value, else the fallback.
const char* textOrFallback(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                           const catalog::ObjectType& object) {
    if (record && fieldHasValue(files, record, field)) return fieldText(files, record, field);
    return fallbackLabel(object);
}

// Writes the features that have a label and skips the others uncounted.
void writeLabelledFeatures(const LayerFiles& files, const input::DbfField& field,
                           catalog::ObjectType& object) {
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        const char* label = textOrFallback(files, record, field, object);
        if (label[0] != '\0') writeFeature(files, shape, object, 0, label);
    });
}

}  // namespace

int namedFeatureHandler(const LayerFiles& files, const LayerRow& row) {
    catalog::ObjectType& object = catalog::object(row.object);
    input::DbfField name;
    input::findDbfField(files.dbf, "NAM", name, 1);
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        writeFeature(files, shape, object, 0, textOrFallback(files, record, name, object));
    });
    return 1;
}

int namedOnlyHandler(const LayerFiles& files, const LayerRow& row) {
    input::DbfField field;
    if (input::findDbfField(files.dbf, row.fields[0], field, 0) < 0) return 1;  // nothing of the layer
    writeLabelledFeatures(files, field, catalog::object(row.object));
    return 1;
}

int textLabelHandler(const LayerFiles& files, const LayerRow& row) {
    input::DbfField field;
    input::findDbfField(files.dbf, row.fields[0], field, 0);  // missing: fallback labels only
    writeLabelledFeatures(files, field, catalog::object(row.object));
    return 1;
}

int numberLabelHandler(const LayerFiles& files, const LayerRow& row) {
    catalog::ObjectType& object = catalog::object(row.object);
    input::DbfField field;
    input::findDbfField(files.dbf, row.fields[0], field, 0);
    LabelBuffer number;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        const char* label = fallbackLabel(object);
        if (record && field.found) label = formatLabel(number, "%i", fieldInt(files, record, field, 0));
        writeFeature(files, shape, object, 0, label);
    });
    return 1;
}

}  // namespace layers
