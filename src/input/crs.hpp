// Coordinate systems of layers. The .prj file beside a shapefile says what
// its coordinates are; the map wants WGS 84 longitude and latitude in degrees.
// A layer in those (or without a .prj) is read as it stands; any other system
// PROJ knows is transformed record by record in the record walk, so that
// everything computed from coordinates sees degrees: interpolated from PROJ's
// own values where the transformation is smooth, through PROJ elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/shp.hpp"

namespace input {

// Decides how the coordinates of the layer at shpPath are read, from the .prj
// beside it (same base name, extension in any letter case) and the 100-byte
// header of the shapefile: 1 with shp.transform null (degrees as they stand)
// or set, or 0 after a failure message when the layer is refused ("nieznany
// uklad wspolrzednych w pliku", "brak obslugi ukladu wspolrzednych, plik",
// "wspolrzedne poza zakresem stopni, plik").
int openLayerCoordinates(ShpFile& shp, const uint8_t* header);

// Points in place, interleaved X, Y, through PROJ itself: the reference that
// the record walk's interpolation is checked against. False when any cannot
// be transformed.
bool pointsToDegreesExactly(const LayerTransform& transform, double* xy, std::size_t count);

// What a .prj text is, as read without PROJ: well-known text (ESRI or OGC) of
// a geographic system on the WGS 84 datum in degrees from Greenwich, other
// well-known text, or no well-known text at all.
enum class WktKind { wgs84Degrees, other, unreadable };
WktKind wktKind(std::string_view wkt);

}  // namespace input
