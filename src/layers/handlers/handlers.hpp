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

}  // namespace layers
