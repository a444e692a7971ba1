// Run-wide flags that the command line sets and the converting rooms read.
// They live below the handlers and writers so that neither imports app/.
#pragma once

#include <cstdint>

namespace input {

// -g: report coded attribute values that a vocabulary does not know.
inline int32_t logUnknownValues = 0;

// Input files are mapped instead of read into memory; the maps are the same
// either way (tests compare both).
inline bool mapInputFiles = true;

}  // namespace input
