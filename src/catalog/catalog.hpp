// The object catalogue: 319 entries in a fixed order, writable at run time.
#pragma once

#include <array>
#include <cstdint>

namespace catalog {

struct ObjectType {
    const char* Obiekt;   // identifier; prefix op_/ol_/oa_ gives the kind
    uint32_t TypG;        // Garmin type; 0: the object itself is not written
    uint32_t count;       // features classified into this entry
    int32_t LevelM;       // highest level
    const char* label;    // substitute label, code page 1250
    uint32_t TypP;        // type of the extra POI beside a line or area; 0: none
    uint8_t FlagaEt;      // 1: use `label` for features without a name
    uint8_t FlagaOb;      // 1: the level of an area depends on its size
};

// Entry identifiers, checked by the compiler: object(Obj::op_lotnisko).
enum class Obj : int {
#define OBJ(id, typG, levelM, flagaEt, flagaOb, typP, label) id,
#include "catalog/catalogue.def"
#undef OBJ
};

inline constexpr int kCatalogueSize = 319;

// The run-wide catalogue; entry 0 is o_nieznane.
extern std::array<ObjectType, kCatalogueSize> catalogue;

inline ObjectType& object(Obj id) { return catalogue[static_cast<int>(id)]; }

// Entry 1..318 whose identifier equals the text byte for byte, or nullptr.
ObjectType* findObjectType(const char* identifier);

// Writes value as "0x%02x" into buffer (at least 12 bytes) and returns it.
char* formatGarminType(uint32_t value, char* buffer);

// The -d listing on standard output.
void printObjectTypes();

// Restores the built-in values and clears the counts (for tests).
void resetCatalogue();

}  // namespace catalog
