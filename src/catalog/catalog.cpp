#include "catalog/catalog.hpp"

#include <cstdio>
#include <cstring>

#include "text/cp1250.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace catalog {

namespace {

constexpr std::array<ObjectType, kCatalogueSize> kBuiltIn = {{
#define OBJ(id, typG, levelM, flagaEt, flagaOb, typP, label) \
    {#id, typG, 0, levelM, text::cp1250Text<label>.bytes, typP, flagaEt, flagaOb},
#include "catalog/catalogue.def"
#undef OBJ
}};

static_assert(static_cast<int>(Obj::oa_schron) == kCatalogueSize - 1);

}  // namespace

std::array<ObjectType, kCatalogueSize> catalogue = kBuiltIn;

void resetCatalogue() {
    catalogue = kBuiltIn;
}

ObjectType* findObjectType(const char* identifier) {
    if (!identifier) return nullptr;
    // Entry 0, the unknown object, cannot be named.
    for (int i = 1; i < kCatalogueSize; ++i)
        if (std::strcmp(catalogue[i].Obiekt, identifier) == 0) return &catalogue[i];
    return nullptr;
}

char* formatGarminType(uint32_t value, char* buffer) {
    std::snprintf(buffer, 12, "0x%02x", static_cast<unsigned>(value));
    return buffer;
}

void printObjectTypes() {
    char typG[12];
    char typP[12];
    for (int i = 1; i < kCatalogueSize; ++i) {
        const ObjectType& entry = catalogue[i];
        report::out("%-14s %8s %2i %2i %2i"_cp, entry.Obiekt, formatGarminType(entry.TypG, typG),
                    static_cast<int>(entry.LevelM), static_cast<int>(entry.FlagaEt),
                    static_cast<int>(entry.FlagaOb));
        if (entry.TypP != 0) report::out("   %s"_cp, formatGarminType(entry.TypP, typP));
        report::out("\n");
    }
}

}  // namespace catalog
