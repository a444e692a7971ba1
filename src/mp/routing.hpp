// Routable roads (-r): the road lines of a map are held as numbers until the
// map closes, then written with their road numbers, route parameters and the
// routing nodes where they meet each other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "catalog/catalog.hpp"

namespace mp {

// Route parameters of one routable catalogue object. `denied` lists, 1 for
// barred, emergency, delivery, car, bus, taxi, pedestrian, bicycle, truck.
struct RouteRow {
    catalog::Obj object;
    uint8_t speed;      // 0 (walking pace) to 7 (motorway)
    uint8_t roadClass;  // 0 (minor) to 4 (motorway)
    const char* denied;
};

// The row of a catalogue entry, or null when its lines are not roads.
const RouteRow* routeRow(const catalog::ObjectType& object);

// Holds points[first] to points[end - 1] (little-endian X, Y pairs) as one
// road of the open map. False when the line cannot be routed (fewer than two
// distinct points, or a coordinate beyond 214 degrees): it is then written
// as a plain line by the caller.
bool holdRoad(const uint8_t* points, uint32_t first, uint32_t end, uint32_t type, int32_t level,
              const char* label, const RouteRow& row);

// Widens the box of the map's objects, whose edges mark the boundary nodes.
void widenMapBox(double xMin, double yMin, double xMax, double yMax);

// Writes the held roads with their nodes into the open map and lets them go.
void writeHeldRoads();

// Lets the held roads go without writing them (a map opened anew).
void dropHeldRoads();

// Held roads, their vertices and the bytes they take.
struct HeldRoadsSize {
    std::size_t roads;
    std::size_t vertices;
    std::size_t bytes;
};
HeldRoadsSize heldRoadsSize();

}  // namespace mp
