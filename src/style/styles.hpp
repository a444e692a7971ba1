// How each Garmin type is drawn, on the preview's pictures and on the device
// (through the TYP file): type ranges map to a drawing class, and each class
// has a colour, a width and a legend name, as printed topographic maps show
// such things.
#pragma once

#include <cstdint>
#include <span>

namespace style {

enum class Kind : uint8_t { point, line, area };

// Drawing classes; within each kind they are drawn in this order, so land
// cover lies under built-up land, and that under water and buildings.
enum class Style : uint8_t {
    hidden,  // not drawn: map coverage and background areas
    // areas
    protectedArea,
    otherArea,
    meadow,
    orchard,
    scrub,
    forest,
    park,
    wetland,
    sand,
    builtUp,
    facility,
    building,
    water,
    // lines
    otherLine,
    contour,
    depthContour,
    slope,
    powerLine,
    wall,
    boundary,
    shore,
    stream,
    river,
    track,
    minorRoad,
    secondaryRoad,
    mainRoad,
    motorway,
    railway,
    // points
    otherPoint,
    height,
    depth,
    village,
    town,
    city,
    count
};

inline constexpr int kStyleCount = static_cast<int>(Style::count);

enum class Stroke : uint8_t {
    solid,
    dashed,
    cased,  // a light line over a dark edge, like the minor roads of paper maps
};

struct StyleRow {
    Style style;
    Kind kind;
    const char* legend;    // code page 1250 text
    uint32_t colour;       // 0xRRGGBB: fill, line or dot
    uint32_t edge;         // 0xRRGGBB: area outline or line casing; unused where 0
    double width;          // line width, or the dot's diameter, in pixels
    Stroke stroke;
    bool labelled;         // its labels are drawn where they fit
    double fillOpacity;    // areas: 1 opaque; lower lets what lies beneath show
};

// Garmin types first..last of one kind are drawn in one class.
struct TypeRange {
    Kind kind;
    uint32_t first;
    uint32_t last;
    Style style;
};

// The paper the map is drawn on, where nothing lies.
inline constexpr uint32_t kPaper = 0xFBF9F3;

// The colour an area of the class shows on bare paper (its fill at its opacity).
uint32_t solidColour(const StyleRow& row);

// The row of a class.
const StyleRow& styleRow(Style style);

// The class of a type; a type no range holds gets its kind's "other" class.
Style styleOf(Kind kind, uint32_t type);

std::span<const TypeRange> typeRanges();

}  // namespace style
