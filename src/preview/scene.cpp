#include "preview/scene.hpp"

#include <algorithm>
#include <limits>

#include "text/report.hpp"

using namespace text::literals;

namespace preview {

void addToScene(const MpObject& object, void* context) {
    Scene& scene = *static_cast<Scene*>(context);
    Style style = styleOf(object.kind, object.type);
    if (style == Style::hidden || object.endLevel < scene.minLevel || scene.full) return;
    std::size_t pairs = object.coordinates.size() / 2;
    if (scene.points.size() / 2 + pairs >= std::numeric_limits<uint32_t>::max() ||
        scene.partEnds.size() + object.partEnds.size() >= std::numeric_limits<uint32_t>::max()) {
        report::error("zbyt wiele punktow: dalsze obiekty pominiete\n"_cp);
        scene.full = true;
        return;
    }
    if (scene.features.empty()) {
        scene.minLat = scene.maxLat = object.coordinates[0];
        scene.minLon = scene.maxLon = object.coordinates[1];
    }
    auto firstPoint = static_cast<uint32_t>(scene.points.size() / 2);
    Feature feature{static_cast<uint32_t>(scene.partEnds.size()), static_cast<uint32_t>(object.partEnds.size()),
                    0, 0, style};
    for (uint32_t end : object.partEnds) scene.partEnds.push_back(firstPoint + end);
    for (std::size_t i = 0; i < pairs; ++i) {
        double lat = object.coordinates[2 * i], lon = object.coordinates[2 * i + 1];
        scene.minLat = std::min(scene.minLat, lat);
        scene.maxLat = std::max(scene.maxLat, lat);
        scene.minLon = std::min(scene.minLon, lon);
        scene.maxLon = std::max(scene.maxLon, lon);
        scene.points.push_back(static_cast<float>(lon));
        scene.points.push_back(static_cast<float>(lat));
    }
    if (styleRow(style).labelled && !object.label.empty() && scene.labels.size() < (1u << 31)) {
        feature.labelOffset = static_cast<uint32_t>(scene.labels.size());
        feature.labelLength = static_cast<uint32_t>(std::min<std::size_t>(object.label.size(), 255));
        scene.labels.append(object.label.substr(0, feature.labelLength));
    }
    scene.features.push_back(feature);
    ++scene.styleCounts[static_cast<int>(style)];
}

}  // namespace preview
