// The style table as a TYP text file, which the map compiler turns into the
// device's drawing rules: areas filled in the preview's colours, lines in its
// colours and widths, dots for points, areas stacked in the preview's order.
#pragma once

#include <cstdint>
#include <string>

namespace style {

inline constexpr uint32_t kDefaultFamilyId = 5234;

// The TYP text (code page 1250) for maps of the family `familyId`.
std::string typText(uint32_t familyId);

}  // namespace style
