// Draws a scene into a picture through cairo: areas, then lines, then points,
// then the labels that fit; below the map a scale bar and a legend of the
// classes present.
#pragma once

#include <cairo.h>

#include "preview/scene.hpp"

namespace preview {

inline constexpr int kMinWidth = 200;
inline constexpr int kMaxWidth = 16000;
inline constexpr int kDefaultWidth = 1600;

// Where things go: an equirectangular view of the scene's bounding box, its
// longitudes shortened by the cosine of the middle latitude.
struct Layout {
    int width = 0, height = 0;            // the whole picture
    double mapX = 0, mapY = 0;            // top left corner of the map area
    double mapWidth = 0, mapHeight = 0;
    double originX = 0, originY = 0;      // where minLon, maxLat fall
    double scale = 0;                     // pixels per degree of latitude
    double cosLat = 1;
    double minLon = 0, maxLat = 0;
    double legendTop = 0;                 // top of the scale bar and legend
    int legendEntries = 0;
};

Layout layoutPicture(const Scene& scene, int width);

inline void project(const Layout& layout, double lon, double lat, double& x, double& y) {
    x = layout.originX + (lon - layout.minLon) * layout.cosLat * layout.scale;
    y = layout.originY + (layout.maxLat - lat) * layout.scale;
}

// The picture, `width` pixels wide (kMinWidth to kMaxWidth); the caller
// destroys the surface.
cairo_surface_t* renderScene(const Scene& scene, const Layout& layout);

// Renders and writes the PNG; 1 when written, 0 with a message otherwise.
int writePicture(const Scene& scene, const Layout& layout, const char* path);

}  // namespace preview
