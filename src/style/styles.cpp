#include "style/styles.hpp"

#include <iterator>

#include "text/cp1250.hpp"

using namespace text::literals;

namespace style {

namespace {

using enum Style;
constexpr Kind A = Kind::area;
constexpr Kind L = Kind::line;
constexpr Kind P = Kind::point;
constexpr Stroke solid = Stroke::solid;
constexpr Stroke dashed = Stroke::dashed;
constexpr Stroke cased = Stroke::cased;

// One row per class, in the order of Style.
constexpr StyleRow kStyles[] = {
    // class          kind legend                          colour    edge      width dash   label  opacity
    {hidden,          A, ""_cp,                            0x000000, 0,        0,    solid, false, 0},
    {protectedArea,   A, "parki i rezerwaty"_cp,           0x9FD39F, 0x3C8C3C, 1.5,  dashed, true, 0.3},
    {otherArea,       A, "inne obszary"_cp,                0xE3DCCF, 0,        0,    solid, false, 1},
    {meadow,          A, "łąki i pola"_cp,                 0xDDEDB4, 0,        0,    solid, false, 1},
    {orchard,         A, "sady i ogrody"_cp,               0xC3DF9C, 0,        0,    solid, false, 1},
    {scrub,           A, "zarośla"_cp,                     0xB3D393, 0,        0,    solid, false, 1},
    {forest,          A, "lasy"_cp,                        0x86C273, 0,        0,    solid, true,  1},
    {park,            A, "zieleń miejska i sport"_cp,      0xB2DFA0, 0,        0,    solid, true,  1},
    {wetland,         A, "bagna i torfowiska"_cp,          0xA7D0C8, 0,        0,    solid, false, 1},
    {sand,            A, "piaski i kamienie"_cp,           0xF0E0B2, 0,        0,    solid, false, 1},
    {builtUp,         A, "zabudowa"_cp,                    0xE2BFBF, 0,        0,    solid, true,  1},
    {facility,        A, "place i tereny zakładów"_cp,     0xC8C3C8, 0,        0,    solid, true,  1},
    {building,        A, "budynki"_cp,                     0x6E6262, 0,        0,    solid, false, 1},
    {water,           A, "wody"_cp,                        0x8EC3EB, 0x4A90C8, 0.8,  solid, true,  1},
    {otherLine,       L, "inne linie"_cp,                  0x8C8C8C, 0,        1,    solid, false, 1},
    {contour,         L, "poziomice"_cp,                   0xB5793F, 0,        1,    solid, false, 1},
    {depthContour,    L, "izobaty"_cp,                     0x5F9FD6, 0,        1,    solid, false, 1},
    {slope,           L, "skarpy i nasypy"_cp,             0x8B4A22, 0,        1.2,  solid, false, 1},
    {powerLine,       L, "linie przesyłowe"_cp,            0x5A5A5A, 0,        1,    dashed, false, 1},
    {wall,            L, "mury i płoty"_cp,                0x3C3C3C, 0,        1,    solid, false, 1},
    {boundary,        L, "granice"_cp,                     0x8E3A9E, 0,        2,    dashed, false, 1},
    {shore,           L, "brzegi"_cp,                      0x2F7FC1, 0,        1.2,  solid, false, 1},
    {stream,          L, "strumienie i rowy"_cp,           0x3A8FD9, 0,        1.4,  solid, false, 1},
    {river,           L, "rzeki i kanały"_cp,              0x1F6FC5, 0,        2.6,  solid, false, 1},
    {track,           L, "ścieżki i przecinki"_cp,         0x7A4A1E, 0,        1.4,  dashed, false, 1},
    {minorRoad,       L, "drogi lokalne"_cp,               0xFFFFFF, 0x6E6E6E, 2.6,  cased, false, 1},
    {secondaryRoad,   L, "drogi drugorzędne"_cp,           0xFFD92E, 0x8A7500, 3,    cased, false, 1},
    {mainRoad,        L, "drogi główne"_cp,                0xF39200, 0x9A5C00, 3.6,  cased, false, 1},
    {motorway,        L, "autostrady i ekspresowe"_cp,     0xD7261E, 0x7A100C, 4.4,  cased, false, 1},
    {railway,         L, "koleje"_cp,                      0x111111, 0,        2,    solid, false, 1},
    {otherPoint,      P, "inne punkty"_cp,                 0x505050, 0,        4,    solid, false, 1},
    {height,          P, "punkty wysokościowe"_cp,         0x9A5B25, 0,        4,    solid, false, 1},
    {depth,           P, "głębokości"_cp,                  0x2F7FC1, 0,        4,    solid, false, 1},
    {village,         P, "wsie"_cp,                        0x202020, 0,        4,    solid, false, 1},
    {town,            P, "miasta"_cp,                      0x101010, 0,        6,    solid, true,  1},
    {city,            P, "duże miasta"_cp,                 0x000000, 0,        8,    solid, true,  1},
};
static_assert(std::size(kStyles) == kStyleCount);
static_assert([] {
    for (int i = 0; i < kStyleCount; ++i)
        if (static_cast<int>(kStyles[i].style) != i) return false;
    return true;
}(), "style rows stand in the order of Style");

// The first range that holds a type decides; the types are those the
// converter writes, and the common meaning of the others.
constexpr TypeRange kTypeRanges[] = {
    {A, 0x01, 0x03, builtUp},
    {A, 0x04, 0x0c, facility},
    {A, 0x0d, 0x0d, park},
    {A, 0x0e, 0x12, facility},
    {A, 0x13, 0x13, building},
    {A, 0x14, 0x14, forest},
    {A, 0x15, 0x16, protectedArea},
    {A, 0x17, 0x1a, park},
    {A, 0x1e, 0x20, forest},
    {A, 0x28, 0x49, water},
    {A, 0x4a, 0x4b, hidden},
    {A, 0x4c, 0x4c, water},
    {A, 0x4d, 0x4d, sand},
    {A, 0x4e, 0x4e, orchard},
    {A, 0x4f, 0x4f, scrub},
    {A, 0x50, 0x50, protectedArea},
    {A, 0x51, 0x51, wetland},
    {A, 0x52, 0x52, meadow},
    {A, 0x53, 0x53, sand},
    {L, 0x01, 0x02, motorway},
    {L, 0x03, 0x03, mainRoad},
    {L, 0x04, 0x05, secondaryRoad},
    {L, 0x06, 0x09, minorRoad},
    {L, 0x0a, 0x0a, track},
    {L, 0x0b, 0x0c, secondaryRoad},
    {L, 0x12, 0x12, slope},
    {L, 0x14, 0x14, railway},
    {L, 0x15, 0x15, shore},
    {L, 0x16, 0x16, track},
    {L, 0x18, 0x18, stream},
    {L, 0x19, 0x19, railway},
    {L, 0x1c, 0x1c, wall},
    {L, 0x1d, 0x1e, boundary},
    {L, 0x1f, 0x1f, river},
    {L, 0x20, 0x22, contour},
    {L, 0x23, 0x25, depthContour},
    {L, 0x26, 0x26, stream},
    {L, 0x27, 0x27, slope},
    {L, 0x28, 0x29, powerLine},
    {P, 0x0100, 0x08ff, city},
    {P, 0x0900, 0x0bff, town},
    {P, 0x0c00, 0x11ff, village},
    {P, 0x6200, 0x62ff, depth},
    {P, 0x6300, 0x63ff, height},
    {P, 0x6616, 0x6616, height},
};

}  // namespace

uint32_t solidColour(const StyleRow& row) {
    uint32_t colour = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        double over = (row.colour >> shift) & 0xFF, under = (kPaper >> shift) & 0xFF;
        colour |= static_cast<uint32_t>(over * row.fillOpacity + under * (1 - row.fillOpacity) + 0.5) << shift;
    }
    return colour;
}

const StyleRow& styleRow(Style style) { return kStyles[static_cast<int>(style)]; }

Style styleOf(Kind kind, uint32_t type) {
    for (const TypeRange& range : kTypeRanges)
        if (range.kind == kind && type >= range.first && type <= range.last) return range.style;
    return kind == A ? otherArea : kind == L ? otherLine : otherPoint;
}

std::span<const TypeRange> typeRanges() { return kTypeRanges; }

}  // namespace style
