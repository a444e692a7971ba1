#include "layers/handlers/handler.hpp"

#include <cstdarg>
#include <cstring>

#include "input/run_flags.hpp"
#include "mp/writers.hpp"

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

void writeFeature(const LayerFiles& files, const input::ShapeRecord& record,
                  catalog::ObjectType& object, int32_t levelAdjust, const char* label) {
    mp::writeShapeRecord(files.shp.path, record.content, record.length, object, object.TypG,
                         object.LevelM + levelAdjust, label, 0, 0);
}

namespace {

// Appends to a label buffer, cutting the text where the buffer ends.
struct LabelWriter {
    char* out;
    char* end;  // the place of the terminating zero
    void put(char c) {
        if (out < end) *out++ = c;
    }
    void repeat(char c, int count) {
        for (; count > 0; --count) put(c);
    }
    // A converted field: padded to `width` on the left with blanks, or with
    // zeros behind the sign, or on the right when left-justified.
    void field(const char* sign, const char* text, int length, int width, bool zero, bool left) {
        int pad = width - length - (sign[0] != '\0');
        if (!left && !zero) repeat(' ', pad);
        for (; *sign; ++sign) put(*sign);
        if (!left && zero) repeat('0', pad);
        for (int i = 0; i < length; ++i) put(text[i]);
        if (left) repeat(' ', pad);
    }
};

// Digits of value in `base`, written backwards from `end`; returns the first.
char* unsignedDigits(uint32_t value, unsigned base, const char* alphabet, char* end) {
    do {
        *--end = alphabet[value % base];
        value /= base;
    } while (value != 0);
    return end;
}

}  // namespace

// Labels are formatted per record, so this is printf's own subset without
// stdio: %s, %c, %i, %d, %u, %x, %X and %%, with the flags 0 and - and a
// width (as in %02u). Anything else is written as it stands.
const char* formatLabel(LabelBuffer& buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LabelWriter writer{buffer.text, buffer.text + sizeof buffer.text - 1};
    for (const char* f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            writer.put(*f);
            continue;
        }
        const char* start = f++;
        bool zero = false, left = false;
        for (; *f == '0' || *f == '-'; ++f) (*f == '0' ? zero : left) = true;
        int width = 0;
        for (; *f >= '0' && *f <= '9'; ++f) width = width * 10 + (*f - '0');
        char digits[16];
        char* digitsEnd = digits + sizeof digits;
        switch (*f) {
        case 's': {
            const char* text = va_arg(arguments, const char*);
            writer.field("", text, static_cast<int>(std::strlen(text)), width, false, left);
            break;
        }
        case 'c': {
            char c = static_cast<char>(va_arg(arguments, int));
            writer.field("", &c, 1, width, false, left);
            break;
        }
        case 'i':
        case 'd': {
            int value = va_arg(arguments, int);
            uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
            char* first = unsignedDigits(magnitude, 10, "0123456789", digitsEnd);
            writer.field(value < 0 ? "-" : "", first, static_cast<int>(digitsEnd - first), width, zero && !left, left);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned base = *f == 'u' ? 10 : 16;
            const char* alphabet = *f == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            char* first = unsignedDigits(va_arg(arguments, unsigned), base, alphabet, digitsEnd);
            writer.field("", first, static_cast<int>(digitsEnd - first), width, zero && !left, left);
            break;
        }
        case '%':
            writer.put('%');
            break;
        default:  // no conversion a label uses: the text stays as it is
            for (; start < f; ++start) writer.put(*start);
            if (*f == '\0') --f;
            else writer.put(*f);
        }
    }
    va_end(arguments);
    *writer.out = '\0';
    return buffer.text;
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
