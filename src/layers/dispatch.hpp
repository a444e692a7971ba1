// The layer dispatcher: converts one input file into the open map.
#pragma once

namespace layers {

// 0 when the file was not converted (wrong extension, cannot be loaded), 1
// when a handler ran; for ".mp" files the result of the merge.
int dispatchLayerFile(const char* path);

// Case-insensitive (A-Z only) substring test of a layer name in a path.
bool containsLayerName(const char* path, const char* name);

}  // namespace layers
