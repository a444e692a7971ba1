// The frame shared by the layer handlers: the record walk with the feature's
// DBF record, field reading, label composition and the unknown-code message.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "catalog/catalog.hpp"
#include "input/dbf.hpp"
#include "input/shp.hpp"
#include "layers/layer_table.hpp"
#include "text/report.hpp"

namespace layers {

// The label of a feature that gives none of its own.
inline const char* fallbackLabel(const catalog::ObjectType& object) {
    return object.FlagaEt ? object.label : "";
}

// Runs the one shape record walk and hands each record to
// onFeature(const input::ShapeRecord&, const uint8_t* dbfRecord). dbfRecord is
// null, after "brak rekordu DBF", when the table has no record of that number.
template <class OnFeature>
void walkFeatures(const LayerFiles& files, OnFeature&& onFeature) {
    using namespace text::literals;
    input::walkShapeRecords(files.shp, [&](const input::ShapeRecord& record) {
        const uint8_t* dbfRecord = input::dbfRecord(files.dbf, record.number);
        if (!dbfRecord) {
            if (input::dbfReadFailed()) return;  // reported once; the rest of the layer is passed over
            report::error("brak rekordu DBF %u, plik %s\n"_cp, record.number, files.dbf.path);
        }
        onFeature(record, dbfRecord);
    });
}

// A text value in reader A's buffer (fieldText2: reader B's), empty when the
// field is missing or its value counts as missing. record must not be null.
const char* fieldText(const LayerFiles& files, const uint8_t* record, const input::DbfField& field);
const char* fieldText2(const LayerFiles& files, const uint8_t* record, const input::DbfField& field);

// True when the field exists and holds a value.
bool fieldHasValue(const LayerFiles& files, const uint8_t* record, const input::DbfField& field);

// The integer value of a field, or `missing` when the field does not exist.
int32_t fieldInt(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                 int32_t missing);

// Looks up each named field in turn; a missing one stays absent and is
// reported unless quiet is 1.
void findFields(const LayerFiles& files, std::initializer_list<std::pair<const char*, input::DbfField*>> fields,
                int quiet = 0);

// The value in tenths / hundredths, or `missing` when the field does not exist.
int32_t fieldTenths(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                    int32_t missing);
int32_t fieldHundredths(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                        int32_t missing);

// Heights of 1 to 29998 are shown; others mean no height.
inline bool isHeightShown(int32_t height) { return height >= 1 && height <= 29998; }

// Writes one feature with the object's type and its level plus the adjustment.
void writeFeature(const LayerFiles& files, const input::ShapeRecord& record,
                  catalog::ObjectType& object, int32_t levelAdjust, const char* label);

// A handler's buffer for composed labels: a name of 254 bytes, a decoder label
// and a height fit with room to spare.
struct LabelBuffer {
    char text[512];
};

// Formats into the buffer (cut to its size) and returns its text.
const char* formatLabel(LabelBuffer& buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Two name fields joined as "first-second", or the one that has a value, or
// `neither` when both lack one.
const char* joinNames(const LayerFiles& files, const uint8_t* record, const input::DbfField& first,
                      const input::DbfField& second, LabelBuffer& buffer, const char* neither);

// Decodes one coded field of a feature. An unknown code is reported when the
// feature has a name or -g is set.
void decodeField(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                 const char* fieldName, ValueDecoder decoder, const char* name,
                 catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);

// Decodes one coded field of a feature; an unknown code is reported only with
// -g, without the name.
void decodeFieldLogged(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                       const char* fieldName, ValueDecoder decoder, catalog::ObjectType*& object,
                       const char*& label, int32_t& levelAdjust);

// A feature without its DBF record: the default object and its fallback label.
inline void writeWithoutRecord(const LayerFiles& files, const input::ShapeRecord& shape,
                               catalog::ObjectType& object) {
    writeFeature(files, shape, object, 0, fallbackLabel(object));
}

// What the decoders of one feature may change, preset for each feature.
struct Feature {
    catalog::ObjectType* object;
    const char* label;
    int32_t levelAdjust;
};

// The name, else the decoder's label, else the fallback label of the object.
inline const char* nameOrDecoded(const char* name, const Feature& feature) {
    if (name[0] != '\0') return name;
    if (feature.label[0] != '\0') return feature.label;
    return fallbackLabel(*feature.object);
}

// The walk of the coded handlers: a feature without its DBF record is written
// as the default object with its fallback label; every other one comes to
// onFeature(shape, record, name, feature) with the feature preset.
template <class OnFeature>
void walkCodedFeatures(const LayerFiles& files, catalog::ObjectType& defaultObject,
                       const input::DbfField& nameField, OnFeature&& onFeature) {
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeWithoutRecord(files, shape, defaultObject);
        Feature feature{&defaultObject, "", 0};
        onFeature(shape, record, fieldText(files, record, nameField), feature);
    });
}

}  // namespace layers
