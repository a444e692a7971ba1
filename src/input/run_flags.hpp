// Run-wide flags that the command line sets and the converting rooms read.
// They live below the handlers and writers so that neither imports app/.
#pragma once

#include <cstdint>

namespace input {

// -g: report coded attribute values that a vocabulary does not know.
inline int32_t logUnknownValues = 0;

// -z: shapes with heights (11, 13, 15) or measures (21, 23, 25) are written as
// the flat shapes 1, 3 and 5, from their X and Y.
inline int32_t flatShapes = 0;

// -r: maps started after it carry routable roads (Routing=Y, road numbers,
// route parameters and routing nodes).
inline int32_t routableRoads = 0;

// Regular input files are streamed instead of read whole into memory; the
// maps are the same either way (tests compare both).
inline bool streamInputFiles = true;

}  // namespace input
