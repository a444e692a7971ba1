#include "layers/handlers/handler.hpp"

#include <cstdarg>

#include "input/run_flags.hpp"
#include "mp/writers.hpp"
#include "text/format.hpp"

using namespace text::literals;

namespace layers {

// The field's bytes come from the one clipping helper: width 0 when the field
// is missing or lies outside the table, which every reader takes as no value.
bool fieldHasValue(const LayerFiles& files, const uint8_t* record, const input::DbfField& field) {
    return input::isDbfValuePresent(input::dbfValue(files.dbf, record, field));
}

const char* fieldText(const LayerFiles& files, const uint8_t* record, const input::DbfField& field) {
    return input::dbfText(input::dbfValue(files.dbf, record, field));
}

const char* fieldText2(const LayerFiles& files, const uint8_t* record, const input::DbfField& field) {
    return input::dbfText2(input::dbfValue(files.dbf, record, field));
}

int32_t fieldInt(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                 int32_t missing) {
    if (!field.found) return missing;
    return input::dbfInt(input::dbfValue(files.dbf, record, field));
}

void findFields(const LayerFiles& files, std::initializer_list<std::pair<const char*, input::DbfField*>> fields,
                int quiet) {
    for (const auto& [name, field] : fields) input::findDbfField(files.dbf, name, *field, quiet);
}

int32_t fieldTenths(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                    int32_t missing) {
    if (!field.found) return missing;
    return input::dbfTenths(input::dbfValue(files.dbf, record, field));
}

int32_t fieldHundredths(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                        int32_t missing) {
    if (!field.found) return missing;
    return input::dbfHundredths(input::dbfValue(files.dbf, record, field));
}

void writeFeature(const LayerFiles& files, const input::ShapeRecord& record,
                  catalog::ObjectType& object, int32_t levelAdjust, const char* label) {
    mp::writeShapeRecord(files.shp.path, record.content, record.length, object, object.TypG,
                         object.LevelM + levelAdjust, label, 0, 0);
}

const char* formatLabel(LabelBuffer& buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    text::formatTextV(buffer.text, sizeof buffer.text, format, arguments);
    va_end(arguments);
    return buffer.text;
}

const char* joinNames(const LayerFiles& files, const uint8_t* record, const input::DbfField& first,
                      const input::DbfField& second, LabelBuffer& buffer, const char* neither) {
    bool hasFirst = fieldHasValue(files, record, first);
    bool hasSecond = fieldHasValue(files, record, second);
    if (hasFirst && hasSecond)
        return formatLabel(buffer, "%s-%s", fieldText(files, record, first), fieldText2(files, record, second));
    if (hasFirst) return fieldText(files, record, first);
    if (hasSecond) return fieldText2(files, record, second);
    return neither;
}

void decodeField(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                 const char* fieldName, ValueDecoder decoder, const char* name,
                 catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust) {
    if (!field.found) return;
    int32_t code = fieldInt(files, record, field, 0);
    if (decoder(code, object, label, levelAdjust) < 0 && (name[0] != '\0' || input::logUnknownValues))
        report::error("nieznana wartosc: %i, pole %s, nazwa %s, plik %s\n"_cp, code, fieldName, name,
                      files.shp.path);
}

void decodeFieldLogged(const LayerFiles& files, const uint8_t* record, const input::DbfField& field,
                       const char* fieldName, ValueDecoder decoder, catalog::ObjectType*& object,
                       const char*& label, int32_t& levelAdjust) {
    if (!field.found) return;
    int32_t code = fieldInt(files, record, field, 0);
    if (decoder(code, object, label, levelAdjust) < 0 && input::logUnknownValues)
        report::error("nieznana wartosc: %i, pole %s, plik %s\n"_cp, code, fieldName, files.shp.path);
}

}  // namespace layers
