// The layer handlers named in the layer table. Each converts one loaded layer
// with the row's extra arguments and returns 1, or 0 or less on failure.
#pragma once

#include "layers/layer_table.hpp"

namespace layers {

// One object per layer, the label from a name, text or number field.
int namedFeatureHandler(const LayerFiles& files, const LayerRow& row);  // object
int namedOnlyHandler(const LayerFiles& files, const LayerRow& row);     // object, name field
int textLabelHandler(const LayerFiles& files, const LayerRow& row);     // object, text field
int numberLabelHandler(const LayerFiles& files, const LayerRow& row);   // object, value field

// Objects and labels from coded fields and heights.
int codedFeatureHandler(const LayerFiles& files, const LayerRow& row);  // object, code; decoder
int heightLabelHandler(const LayerFiles& files, const LayerRow& row);   // object, height
int codedHeightHandler(const LayerFiles& files, const LayerRow& row);   // object, code, height; decoder
int twoCodeHandler(const LayerFiles& files, const LayerRow& row);       // object, code 1, code 2; decoders
int boundaryHandler(const LayerFiles& files, const LayerRow& row);      // object, code, name 1, name 2; decoder

// The built environment: each handler reads its own fields; the row names the
// layer's (default) object.
int buildingPointHandler(const LayerFiles& files, const LayerRow& row);
int buildingAreaHandler(const LayerFiles& files, const LayerRow& row);
int roadHandler(const LayerFiles& files, const LayerRow& row);
int parkAreaHandler(const LayerFiles& files, const LayerRow& row);
int substationPointHandler(const LayerFiles& files, const LayerRow& row);
int substationAreaHandler(const LayerFiles& files, const LayerRow& row);
int powerPlantPointHandler(const LayerFiles& files, const LayerRow& row);
int powerPlantAreaHandler(const LayerFiles& files, const LayerRow& row);
int powerLineHandler(const LayerFiles& files, const LayerRow& row);
// Their decoders, in the ValueDecoder form.
int buildingFunctionPointDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
int buildingFunctionAreaDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
int worshipTypePointDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
int worshipTypeAreaDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
int parkUseDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
int powerPlantKindDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);

// Relief and water texts: heights, summit names and depth figures.
int contourHandler(const LayerFiles& files, const LayerRow& row);
int controlPointHandler(const LayerFiles& files, const LayerRow& row);
int mountainPassHandler(const LayerFiles& files, const LayerRow& row);
int hydroTextHandler(const LayerFiles& files, const LayerRow& row);
bool isPeakName(const char* name);     // contains a summit word
bool isHeightCodeType(uint32_t type);  // labels the height as a label code

// Lakes and built-up areas classed by size; embankments by type, use and height.
int lakeHandler(const LayerFiles& files, const LayerRow& row);
int builtUpAreaHandler(const LayerFiles& files, const LayerRow& row);
int embankmentHandler(const LayerFiles& files, const LayerRow& row);

// Forests; the species decoder counts each feature in catalog::treeSpeciesStats.
int forestHandler(const LayerFiles& files, const LayerRow& row);
int forestKindDecoder(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust);
const char* treeSpeciesDecoder(int32_t species, int32_t kind);

}  // namespace layers
