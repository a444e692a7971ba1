// Helpers of the preview tests: scenes from map text, and pixels of pictures.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "preview/mp_reader.hpp"
#include "preview/scene.hpp"

namespace previewtest {

inline preview::Scene sceneOf(const std::string& text, int minLevel = 0) {
    preview::Scene scene;
    scene.minLevel = minLevel;
    preview::MpReader reader;
    preview::startMpReader(reader, preview::addToScene, &scene);
    preview::feedMpText(reader, text.data(), text.size());
    preview::finishMpText(reader);
    return scene;
}

// The colour at x, y as 0xRRGGBB.
inline uint32_t pixel(cairo_surface_t* surface, double x, double y) {
    const unsigned char* row = cairo_image_surface_get_data(surface) +
                               static_cast<int>(y) * cairo_image_surface_get_stride(surface);
    uint32_t value;
    __builtin_memcpy(&value, row + 4 * static_cast<int>(x), 4);
    return value & 0xFFFFFF;
}

inline int channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Whether some pixel shows `colour` laid over `ground` with a cover of at
// least `cover` (thin lines and translucent areas cover pixels partly).
inline bool showsColour(cairo_surface_t* surface, uint32_t colour, uint32_t ground, double cover) {
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixel(surface, x, y);
            double dot = 0, norm = 0;
            for (int shift : {0, 8, 16}) {
                double d = channel(colour, shift) - channel(ground, shift);
                dot += (channel(p, shift) - channel(ground, shift)) * d;
                norm += d * d;
            }
            double t = norm > 0 ? dot / norm : 1;
            bool close = true;
            for (int shift : {0, 8, 16}) {
                double expected = channel(ground, shift) + t * (channel(colour, shift) - channel(ground, shift));
                close = close && std::abs(expected - channel(p, shift)) <= 10;
            }
            if (close && t >= cover) return true;
        }
    }
    return false;
}

}  // namespace previewtest
