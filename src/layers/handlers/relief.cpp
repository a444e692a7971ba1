// Contours, control points, mountain passes and water texts: labels from
// heights, names and depth figures.
#include <cstring>

#include "layers/dispatch.hpp"
#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"
#include "mp/writers.hpp"

using namespace text::literals;
using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

// Tenths of a missing height: a figure above the limit, hence no height.
constexpr int32_t kMissingHeightTenths = 300000;
constexpr int32_t kHeightLimit = 29998;

// Whole metres from tenths, rounded half away from zero. The sum is taken in
// 64 bits: the reader saturates far values at the 32-bit limits.
int32_t metresFromTenths(int32_t tenths) {
    int64_t t = tenths;
    return static_cast<int32_t>(t >= 0 ? (t + 5) / 10 : (t - 5) / 10);
}

int32_t heightMetres(const LayerFiles& files, const uint8_t* record, const input::DbfField& field) {
    return metresFromTenths(fieldTenths(files, record, field, kMissingHeightTenths));
}

// The name followed by the height, as a label code or as plain text with the unit.
const char* nameWithHeight(LabelBuffer& buffer, const char* name, int32_t height, bool heightCode) {
    return heightCode ? formatLabel(buffer, "%s~[0x1f]%i", name, height)
                      : formatLabel(buffer, "%s %i m", name, height);
}

constexpr const char* kSummitWords[] = {"GÓRA"_cp, "WIERCH", "CZUBA", "SZCZYT", "KOPA", "VRCH", "HORA"};

// Depth figures: feature code, symbol numbers, the value that is no depth,
// and the shift of the figure beside its point (hundred-thousandths of a degree).
constexpr char kDepthFeatureCode[] = "ZD045";
constexpr int32_t kDepthSymbols[] = {16, 8, 1};
constexpr int32_t kNoDepth = 29999;
constexpr int32_t kDepthLatitudeShift = 45;
constexpr int32_t kDepthLongitudeShift = 70;

// Reads the decimal integer that begins the text: blanks, a sign, digits
// (saturating, so no text wraps onto another value). False without digits.
bool leadingDecimal(const char* text, int64_t& value) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (*text < '0' || *text > '9') return false;
    value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (value < INT64_MAX / 100) value = value * 10 + (*text - '0');
    if (negative) value = -value;
    return true;
}

bool isDepthFigure(const LayerFiles& files, const uint8_t* record, const input::DbfField& featureCode,
                   const input::DbfField& symbol, const char* text) {
    if (!featureCode.found || !symbol.found) return false;
    input::DbfValue code = input::dbfValue(files.dbf, record, featureCode);
    if (code.width < 5 || std::memcmp(code.bytes, kDepthFeatureCode, 5) != 0) return false;
    int32_t symbolNumber = fieldInt(files, record, symbol, 0);
    bool marked = false;
    for (int32_t depthSymbol : kDepthSymbols) marked |= symbolNumber == depthSymbol;
    int64_t figure = 0;
    return marked && leadingDecimal(text, figure) && figure != kNoDepth;
}

}  // namespace

bool isPeakName(const char* name) {
    if (!name || name[0] == '\0') return false;
    for (const char* word : kSummitWords)
        if (containsLayerName(name, word)) return true;
    return false;
}

bool isHeightCodeType(uint32_t type) {
    return (type >= 0x6400 && type < 0x6420) || (type >= 0x6500 && type < 0x6520) ||
           (type >= 0x6600 && type < 0x6620);
}

int contourHandler(const LayerFiles& files, const LayerRow& row) {
    input::DbfField quality, height;
    if (input::findDbfField(files.dbf, "HQC", quality, 0) < 0) return 0;
    if (input::findDbfField(files.dbf, "ZV2", height, 0) < 0) return 0;
    ObjectType& thin = catalog::object(row.object);
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, thin, 0, "");
        int32_t kind = fieldInt(files, record, quality, 0);
        ObjectType& object = kind == 1   ? catalog::object(Obj::ol_warstw_g)
                             : kind == 2 ? catalog::object(Obj::ol_warstw_s)
                                         : thin;
        writeFeature(files, shape, object, 0, formatLabel(buffer, "%i", heightMetres(files, record, height)));
    });
    return 1;
}

int controlPointHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& object = catalog::object(row.object);
    input::DbfField nameField, category, height;
    findFields(files, {{"NAM", &nameField}, {"CSC", &category}, {"ZV2", &height}});
    bool heightCode = isHeightCodeType(object.TypG);
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, object, 0, "");
        // The name is what follows the first colon of the field.
        const char* colon = std::strchr(fieldText(files, record, nameField), ':');
        const char* name = colon ? colon + 1 : "";
        int32_t csc = fieldInt(files, record, category, -1);
        int32_t metres = heightMetres(files, record, height);
        const char* label = name;
        int32_t bump = 0;
        if (metres <= kHeightLimit) {
            bool peak = isPeakName(name);
            if (name[0] != '\0' && ((csc >= 0 && csc <= 4) || peak)) {
                label = nameWithHeight(buffer, name, metres, heightCode);
                if (csc == 0 && (peak || metres > 2000)) bump = 1;
            } else {
                label = nameWithHeight(buffer, "", metres, heightCode);
            }
        }
        writeFeature(files, shape, object, bump, label);
    });
    return 1;
}

int mountainPassHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& object = catalog::object(row.object);
    input::DbfField nameField, height;
    findFields(files, {{"NAM", &nameField}, {"ZV2", &height}});
    bool heightCode = isHeightCodeType(object.TypG);
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, object, 0, "");
        const char* name = fieldText(files, record, nameField);
        int32_t metres = heightMetres(files, record, height);
        const char* label = metres <= kHeightLimit ? nameWithHeight(buffer, name, metres, heightCode) : name;
        writeFeature(files, shape, object, 0, label);
    });
    return 1;
}

int hydroTextHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& waterText = catalog::object(row.object);
    ObjectType& depth = catalog::object(Obj::op_glebok);
    input::DbfField textField, featureCode, symbol;
    findFields(files, {{"VG_TEXT", &textField}, {"F_CODE", &featureCode}, {"SYMBOL_ID", &symbol}});
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        const char* text = record ? fieldText(files, record, textField) : "";
        if (text[0] == '\0') text = fallbackLabel(waterText);
        if (text[0] == '\0') return;  // nothing to show
        if (record && isDepthFigure(files, record, featureCode, symbol, text))
            mp::writeShapeRecord(files.shp.path, shape.content, shape.length, depth, depth.TypG, depth.LevelM,
                                 text, kDepthLatitudeShift, kDepthLongitudeShift);
        else
            writeFeature(files, shape, waterText, 0, text);
    });
    return 1;
}

}  // namespace layers
