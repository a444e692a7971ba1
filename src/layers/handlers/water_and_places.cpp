// Lakes classed by area, built-up areas by a measure with two name fields,
// and embankments by their type, use and height.
#include <climits>
#include <span>

#include "layers/handlers/handler.hpp"
#include "layers/handlers/handlers.hpp"

using catalog::Obj;
using catalog::ObjectType;

namespace layers {

namespace {

// A size class: the object of values up to `upTo` (and above the row before).
struct SizeClass {
    int32_t upTo;
    Obj object;
};

// LAKEA; ARH in tenths.
constexpr SizeClass kLakeClasses[] = {
    {9, Obj::oa_jezioro_s},
    {300, Obj::oa_jezioro_m},
    {10000, Obj::oa_jezioro_b},
    {INT32_MAX, Obj::oa_jezioro_x},
};

// BUILTUPA; PIT in hundredths.
constexpr SizeClass kBuiltUpClasses[] = {
    {49, Obj::oa_zabud_s},
    {2000, Obj::oa_zabud_m},
    {INT32_MAX, Obj::oa_zabud_b},
};

ObjectType& sizeClass(std::span<const SizeClass> classes, int32_t value) {
    for (const SizeClass& size : classes)
        if (value <= size.upTo) return catalog::object(size.object);
    return catalog::object(classes.back().object);
}

// EMBANKL: uses (TUC) of a proper embankment, and the type (CET) that excludes it.
constexpr int32_t kEmbankmentUses[] = {1, 3, 4};
constexpr int32_t kExcludedType = 999;

}  // namespace

int lakeHandler(const LayerFiles& files, const LayerRow& row) {
    input::DbfField name, area;
    findFields(files, {{"NAM", &name}, {"ARH", &area}});
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        ObjectType* object = &catalog::object(row.object);
        const char* label = "";
        if (record) {
            label = fieldText(files, record, name);
            if (area.found) object = &sizeClass(kLakeClasses, fieldTenths(files, record, area, 0));
        }
        writeFeature(files, shape, *object, 0, label);
    });
    return 1;
}

int builtUpAreaHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& medium = catalog::object(row.object);
    input::DbfField name, secondName, measure;
    findFields(files, {{"NAM", &name}, {"NA2", &secondName}, {"PIT", &measure}});
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        if (!record) return writeFeature(files, shape, medium, 0, fallbackLabel(medium));
        ObjectType* object = &medium;
        if (measure.found) object = &sizeClass(kBuiltUpClasses, fieldHundredths(files, record, measure, 0));
        writeFeature(files, shape, *object, 0,
                     joinNames(files, record, name, secondName, buffer, fallbackLabel(medium)));
    });
    return 1;
}

int embankmentHandler(const LayerFiles& files, const LayerRow& row) {
    ObjectType& embankment = catalog::object(Obj::ol_nasyp);
    ObjectType& other = catalog::object(row.object);
    input::DbfField type, use, height;
    findFields(files, {{"CET", &type}, {"TUC", &use}, {"PFH", &height}});
    LabelBuffer buffer;
    walkFeatures(files, [&](const input::ShapeRecord& shape, const uint8_t* record) {
        // Without its record a feature has no use, as when all three fields are missing.
        if (!record) return writeFeature(files, shape, other, 0, fallbackLabel(other));
        int32_t cet = fieldInt(files, record, type, -1);
        int32_t tuc = fieldInt(files, record, use, -1);
        int32_t pfh = fieldInt(files, record, height, -1);
        bool proper = false;
        for (int32_t embankmentUse : kEmbankmentUses) proper |= tuc == embankmentUse;
        ObjectType& object = proper && cet != kExcludedType ? embankment : other;
        const char* label = fallbackLabel(object);
        if (isHeightShown(pfh))
            label = label[0] != '\0' ? formatLabel(buffer, "%s, %um", label, static_cast<uint32_t>(pfh))
                                     : formatLabel(buffer, "nasyp %um", static_cast<uint32_t>(pfh));
        writeFeature(files, shape, object, 0, label);
    });
    return 1;
}

}  // namespace layers
