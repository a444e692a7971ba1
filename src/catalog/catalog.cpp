#include "catalog/catalog.hpp"

#include <cstdio>

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

}  // namespace catalog
