// The layer table: every known layer name with its handler and the handler's
// extra arguments, tested in table order against the input path.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "catalog/catalog.hpp"
#include "input/dbf.hpp"
#include "input/shp.hpp"
#include "layers/vocabularies.hpp"

namespace layers {

// The six arguments every handler receives: the shapefile path, contents and
// length, and the attribute table path, contents and length (with its header
// values read). Both buffers are owned by the dispatcher.
struct LayerFiles {
    input::ShpFile shp;
    input::DbfTable dbf;
};

struct LayerRow;

using LayerHandler = int (*)(const LayerFiles& files, const LayerRow& row);

// One layer: the name searched in paths, the handler, and the handler's extra
// arguments in the order the handler takes them (unused ones stay empty).
struct LayerRow {
    const char* name;
    LayerHandler handler;
    catalog::Obj object = catalog::Obj::o_nieznane;  // the layer's (default) object
    std::array<const char*, 3> fields{};             // DBF field names
    std::array<ValueDecoder, 2> decoders{};          // decoders of the coded fields
};

// The rows in testing order: a name that contains another stands before it.
std::span<const LayerRow> layerTable();

// The first row whose name the path's base name contains, or nullptr.
const LayerRow* findLayerRow(const char* path);

}  // namespace layers
