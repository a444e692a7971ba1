// Run-wide flags set by the command line.
#pragma once

#include <cstdint>

namespace app {

// -g: report coded attribute values that a vocabulary does not know.
inline int32_t logUnknownValues = 0;

}  // namespace app
