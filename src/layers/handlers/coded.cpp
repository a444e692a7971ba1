// Layers whose object and label come from coded fields, names and heights.
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using catalog::ObjectType;

namespace layers {

namespace {

// Decodes the row's coded field number `which` into the feature.
void decode(const LayerFiles& files, const LayerRow& row, int which, const input::DbfField& field,
            const uint8_t* record, const char* name, Feature& feature) {
    decodeField(files, record, field, row.fields[which], row.decoders[which], name, feature.object,
                feature.label, feature.levelAdjust);
}

}  // namespace

int codedFeatureHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& defaultObject = catalog::object(row.object);
    input::DbfField code, name;
    input::findDbfField(files.dbf, row.fields[0], code, 0);
    input::findDbfField(files.dbf, "NAM", name, 1);
    walkCodedFeatures(files, defaultObject, name, [&](const input::ShapeRecord& shape, const uint8_t* record,
                                                      const char* nameText, Feature& feature) {
        decode(files, row, 0, code, record, nameText, feature);
        writeFeature(files, shape, *feature.object, feature.levelAdjust, nameOrDecoded(nameText, feature));
    });
    return 1;
}

int heightLabelHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& object = catalog::object(row.object);
    input::DbfField heightField, name;
    input::findDbfField(files.dbf, row.fields[0], heightField, 0);
    input::findDbfField(files.dbf, "NAM", name, 1);
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeWithoutRecord(files, shape, object);
        const char* nameText = fieldText(files, record, name);
        int32_t height = fieldInt(files, record, heightField, -1);
        const char* first = nameText[0] != '\0' ? nameText : fallbackLabel(object);
        const char* label = first;
        if (isHeightShown(height))
            label = first[0] != '\0' ? formatLabel(buffer, "%s %um", first, static_cast<uint32_t>(height))
                                     : formatLabel(buffer, ": %um", static_cast<uint32_t>(height));
        writeFeature(files, shape, object, 0, label);
    });
    return 1;
}

int codedHeightHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& defaultObject = catalog::object(row.object);
    input::DbfField code, heightField, name;
    input::findDbfField(files.dbf, row.fields[0], code, 0);
    input::findDbfField(files.dbf, row.fields[1], heightField, 0);
    input::findDbfField(files.dbf, "NAM", name, 1);
    LabelBuffer buffer;
    walkCodedFeatures(files, defaultObject, name, [&](const input::ShapeRecord& shape, const uint8_t* record,
                                                      const char* nameText, Feature& feature) {
        decode(files, row, 0, code, record, nameText, feature);
        int32_t height = fieldInt(files, record, heightField, -1);
        const char* label = nameOrDecoded(nameText, feature);
        if (isHeightShown(height)) {
            uint32_t h = static_cast<uint32_t>(height);
            bool named = nameText[0] != '\0', decoded = feature.label[0] != '\0';
            const char* fallback = fallbackLabel(*feature.object);
            if (named && decoded) label = formatLabel(buffer, "%s, %s %um", nameText, feature.label, h);
            else if (decoded) label = formatLabel(buffer, "%s %um", feature.label, h);
            else if (named) label = formatLabel(buffer, "%s, %um", nameText, h);
            else if (fallback[0] != '\0') label = formatLabel(buffer, "%s %um", fallback, h);
            else label = formatLabel(buffer, ": %um", h);
        }
        writeFeature(files, shape, *feature.object, feature.levelAdjust, label);
    });
    return 1;
}

int twoCodeHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& defaultObject = catalog::object(row.object);
    input::DbfField name, firstCode, secondCode;
    input::findDbfField(files.dbf, "NAM", name, 1);
    input::findDbfField(files.dbf, row.fields[1], secondCode, 0);
    input::findDbfField(files.dbf, row.fields[0], firstCode, 0);
    walkCodedFeatures(files, defaultObject, name, [&](const input::ShapeRecord& shape, const uint8_t* record,
                                                      const char* nameText, Feature& feature) {
        decode(files, row, 0, firstCode, record, nameText, feature);
        // The second field decides only what the first left unclassified and unlabelled.
        if (feature.object == &defaultObject && feature.label[0] == '\0')
            decode(files, row, 1, secondCode, record, nameText, feature);
        writeFeature(files, shape, *feature.object, feature.levelAdjust, nameOrDecoded(nameText, feature));
    });
    return 1;
}

int boundaryHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& defaultObject = catalog::object(row.object);
    input::DbfField code, firstName, secondName;
    input::findDbfField(files.dbf, row.fields[1], firstName, 0);
    input::findDbfField(files.dbf, row.fields[2], secondName, 0);
    input::findDbfField(files.dbf, row.fields[0], code, 0);
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeWithoutRecord(files, shape, defaultObject);
        Feature feature{&defaultObject, fallbackLabel(defaultObject), 0};
        decodeFieldLogged(files, record, code, row.fields[0], row.decoders[0], feature.object, feature.label,
                          feature.levelAdjust);
        const char* label = joinNames(files, record, firstName, secondName, buffer, feature.label);
        writeFeature(files, shape, *feature.object, feature.levelAdjust, label);
    });
    return 1;
}

}  // namespace layers
