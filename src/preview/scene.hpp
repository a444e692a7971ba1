// What a picture draws: the objects kept from the maps read, compactly, with
// their bounding box. Objects below the chosen level and classes that are not
// drawn are not kept at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "preview/mp_reader.hpp"
#include "style/styles.hpp"

namespace preview {

// The drawing classes are the project's one style table.
using style::kStyleCount;
using style::Stroke;
using style::Style;
using style::StyleRow;
using style::styleOf;
using style::styleRow;
using style::TypeRange;
using style::typeRanges;

struct Feature {
    uint32_t firstPart;    // into Scene::partEnds
    uint32_t partCount;
    uint32_t labelOffset;  // into Scene::labels
    uint32_t labelLength;  // 0: no label kept
    Style style;
};

struct Scene {
    int32_t minLevel = 0;  // objects whose end level is lower are left out
    std::vector<Feature> features;
    std::vector<uint32_t> partEnds;  // end of each part, in points, over all features
    std::vector<float> points;       // longitude, latitude pairs in degrees
    std::string labels;              // code page 1250 labels of labelled classes
    double minLon = 0, maxLon = 0, minLat = 0, maxLat = 0;  // valid when features exist
    uint64_t styleCounts[kStyleCount] = {};
    bool full = false;  // the point store reached its limit; later objects are left out
};

// The reader's sink: keeps `object` in the scene (a Scene*) when it is drawn.
void addToScene(const MpObject& object, void* scene);

// The first point of a part and the point just behind it.
inline uint32_t partStart(const Scene& scene, uint32_t part) { return part ? scene.partEnds[part - 1] : 0; }

inline std::string_view featureLabel(const Scene& scene, const Feature& feature) {
    return std::string_view(scene.labels).substr(feature.labelOffset, feature.labelLength);
}

}  // namespace preview
