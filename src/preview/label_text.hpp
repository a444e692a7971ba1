// Labels and legend texts for drawing: code page 1250 bytes to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace preview {

// The UTF-8 form of a code page 1250 label as it is shown: the label codes
// of the map format ("~[0x1f]" and the like) and control bytes are left out,
// a byte that code page 1250 does not assign becomes "?", and blanks at the
// ends are trimmed.
std::string labelUtf8(std::string_view cp1250);

}  // namespace preview
