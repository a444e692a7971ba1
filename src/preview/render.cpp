#include "preview/render.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "preview/label_text.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace preview {

namespace {

constexpr double kMargin = 12;        // around the map and the legend
constexpr double kInset = 8;          // inside the map frame, around the objects
constexpr double kScaleRow = 30;      // height of the scale bar's row
constexpr double kLegendRow = 18;
constexpr double kLegendColumn = 200;
constexpr double kKmPerDegree = 111.195;  // of latitude, on a sphere of 6371 km
constexpr double kMinSpan = 1e-4;     // degrees; a smaller extent is shown 0.01 degree wide
constexpr uint32_t kPage = 0xFFFFFF;
using style::kPaper;
constexpr uint32_t kInk = 0x202020;
constexpr uint32_t kWaterInk = 0x1B4F8A;
constexpr std::size_t kBatchPoints = 2000;  // points stroked or filled in one go
constexpr std::size_t kMaxLabels = 1500;
constexpr std::size_t kMaxLabelTries = 20000;  // names measured at most, on crowded maps
constexpr const char* kFont = "DejaVu Sans";
constexpr double kMaxPixels = 64e6;

void setColour(cairo_t* cr, uint32_t rgb, double alpha = 1) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0,
                          alpha);
}

int legendColumns(int width) { return std::max(1, static_cast<int>((width - 2 * kMargin) / kLegendColumn)); }

bool shownInLegend(const Scene& scene, int style) {
    return style != static_cast<int>(Style::hidden) && scene.styleCounts[style] > 0;
}

// Feature numbers grouped by class in Style order, file order within a class.
std::vector<uint32_t> orderByStyle(const Scene& scene, std::size_t (&first)[kStyleCount + 1]) {
    first[0] = 0;
    for (int s = 0; s < kStyleCount; ++s) first[s + 1] = first[s] + scene.styleCounts[s];
    std::vector<uint32_t> order(scene.features.size());
    std::size_t next[kStyleCount];
    std::copy(first, first + kStyleCount, next);
    for (uint32_t i = 0; i < scene.features.size(); ++i)
        order[next[static_cast<int>(scene.features[i].style)]++] = i;
    return order;
}

void pointAt(const Scene& scene, const Layout& layout, uint32_t point, double& x, double& y) {
    project(layout, scene.points[2 * point], scene.points[2 * point + 1], x, y);
}

// Adds one part to the path, leaving out points that fall within a quarter
// pixel of the last one added. Returns the number of points.
std::size_t addPart(cairo_t* cr, const Scene& scene, const Layout& layout, uint32_t part, bool ring) {
    uint32_t begin = partStart(scene, part), end = scene.partEnds[part];
    double lastX = 0, lastY = 0;
    for (uint32_t i = begin; i < end; ++i) {
        double x, y;
        pointAt(scene, layout, i, x, y);
        if (i == begin) {
            cairo_move_to(cr, x, y);
        } else if (i + 1 == end || std::fabs(x - lastX) >= 0.25 || std::fabs(y - lastY) >= 0.25) {
            cairo_line_to(cr, x, y);
        } else {
            continue;
        }
        lastX = x;
        lastY = y;
    }
    if (ring) cairo_close_path(cr);
    return end - begin;
}

std::size_t addFeature(cairo_t* cr, const Scene& scene, const Layout& layout, const Feature& feature, bool ring) {
    std::size_t points = 0;
    for (uint32_t p = 0; p < feature.partCount; ++p) points += addPart(cr, scene, layout, feature.firstPart + p, ring);
    return points;
}

void setLineStyle(cairo_t* cr, const StyleRow& row, double width) {
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
    double dash[2] = {3 * row.width + 3, 2 * row.width + 2};
    cairo_set_dash(cr, dash, row.stroke == Stroke::dashed ? 2 : 0, 0);
}

// Fill, then the outline where the class has one.
void paintArea(cairo_t* cr, const StyleRow& row) {
    setColour(cr, row.colour, row.fillOpacity);
    if (!row.edge) {
        cairo_fill(cr);
        return;
    }
    cairo_fill_preserve(cr);
    setColour(cr, row.edge);
    setLineStyle(cr, row, row.width);
    cairo_stroke(cr);
}

// A line of a class, its casing first where it has one.
void strokeLine(cairo_t* cr, const StyleRow& row, bool casing) {
    setColour(cr, casing ? row.edge : row.colour);
    setLineStyle(cr, row, casing ? row.width + 2 : row.width);
    cairo_stroke(cr);
}

void addDot(cairo_t* cr, double x, double y, double diameter) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, diameter / 2, 0, 2 * std::numbers::pi);
}

// Dots of places get a light ring that keeps them apart from what lies beneath.
void paintDots(cairo_t* cr, const StyleRow& row) {
    setColour(cr, row.colour);
    if (row.width < 5) {
        cairo_fill(cr);
        return;
    }
    cairo_fill_preserve(cr);
    setColour(cr, kPage);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void drawObjects(cairo_t* cr, const Scene& scene, const Layout& layout) {
    std::size_t first[kStyleCount + 1];
    std::vector<uint32_t> order = orderByStyle(scene, first);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);  // rings come without orientation
    // The faster smoothing halves the time of large maps and looks the same
    // at this size; labels and legend keep the finer one.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
    for (int s = 0; s < kStyleCount; ++s) {
        const StyleRow& row = styleRow(static_cast<Style>(s));
        if (row.kind == Kind::area) {
            for (std::size_t i = first[s]; i < first[s + 1]; ++i) {
                addFeature(cr, scene, layout, scene.features[order[i]], true);
                paintArea(cr, row);
            }
        }
    }
    for (int s = 0; s < kStyleCount; ++s) {
        const StyleRow& row = styleRow(static_cast<Style>(s));
        if (row.kind != Kind::line) continue;
        for (int pass = row.stroke == Stroke::cased ? 0 : 1; pass < 2; ++pass) {
            std::size_t batch = 0;
            for (std::size_t i = first[s]; i < first[s + 1]; ++i) {
                batch += addFeature(cr, scene, layout, scene.features[order[i]], false);
                if (batch >= kBatchPoints || i + 1 == first[s + 1]) {
                    strokeLine(cr, row, pass == 0);
                    batch = 0;
                }
            }
        }
    }
    for (int s = 0; s < kStyleCount; ++s) {
        const StyleRow& row = styleRow(static_cast<Style>(s));
        if (row.kind != Kind::point) continue;
        std::size_t batch = 0;
        for (std::size_t i = first[s]; i < first[s + 1]; ++i) {
            double x, y;
            pointAt(scene, layout, partStart(scene, scene.features[order[i]].firstPart), x, y);
            addDot(cr, x, y, row.width);
            if (++batch >= kBatchPoints || i + 1 == first[s + 1]) {
                paintDots(cr, row);
                batch = 0;
            }
        }
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
}

struct Box {
    double x0, y0, x1, y1;
    bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool inside(const Box& o) const { return x0 >= o.x0 && y0 >= o.y0 && x1 <= o.x1 && y1 <= o.y1; }
};

Box featureBox(const Scene& scene, const Layout& layout, const Feature& feature) {
    Box box{1e300, 1e300, -1e300, -1e300};
    uint32_t begin = partStart(scene, feature.firstPart);
    uint32_t end = scene.partEnds[feature.firstPart + feature.partCount - 1];
    for (uint32_t i = begin; i < end; ++i) {
        double x, y;
        pointAt(scene, layout, i, x, y);
        box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    }
    return box;
}

// Draws text with its left baseline at x, y, on a light halo.
void drawText(cairo_t* cr, const std::string& utf8, double x, double y, uint32_t ink) {
    cairo_new_path(cr);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, utf8.c_str());
    setColour(cr, kPage, 0.85);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    setColour(cr, ink);
    cairo_fill(cr);
}

// Labels of places beside their dots, and of named areas inside their
// bounding box when they fit there; places first, then the areas from the
// largest down, none over another.
void drawLabels(cairo_t* cr, const Scene& scene, const Layout& layout) {
    struct Candidate {
        int tier;         // places before areas
        double priority;  // larger first
        uint32_t feature;
        Box box;
    };
    std::vector<Candidate> candidates;
    for (uint32_t i = 0; i < scene.features.size(); ++i) {
        const Feature& feature = scene.features[i];
        if (!feature.labelLength) continue;
        Box box = featureBox(scene, layout, feature);
        if (styleRow(feature.style).kind == Kind::point) {
            candidates.push_back({1, static_cast<double>(feature.style), i, box});
        } else if (box.x1 - box.x0 >= 24 && box.y1 - box.y0 >= 10) {
            candidates.push_back({0, (box.x1 - box.x0) * (box.y1 - box.y0), i, box});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                         return a.tier != b.tier ? a.tier > b.tier : a.priority > b.priority;
                     });
    Box map{layout.mapX, layout.mapY, layout.mapX + layout.mapWidth, layout.mapY + layout.mapHeight};
    std::vector<Box> placed;
    std::size_t tried = 0;
    for (const Candidate& candidate : candidates) {
        if (placed.size() >= kMaxLabels || ++tried > kMaxLabelTries) break;
        const Feature& feature = scene.features[candidate.feature];
        const StyleRow& row = styleRow(feature.style);
        std::string utf8 = labelUtf8(featureLabel(scene, feature));
        if (utf8.empty()) continue;
        bool place = row.kind == Kind::point;
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                               place ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, place ? (feature.style == Style::city ? 15 : 12) : 11);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, utf8.c_str(), &ext);
        double cx = (candidate.box.x0 + candidate.box.x1) / 2, cy = (candidate.box.y0 + candidate.box.y1) / 2;
        Box text;
        if (place) {  // right of the dot, or left of it at the map's right edge; kept within the map
            double gap = row.width / 2 + 3;
            double x0 = cx + gap + ext.width + 2 <= map.x1 ? cx + gap : cx - gap - ext.width;
            double y0 = std::clamp(cy - ext.height / 2, map.y0 + 2, map.y1 - 2 - ext.height);
            text = {x0, y0, x0 + ext.width, y0 + ext.height};
        } else {
            if (ext.width + 4 > candidate.box.x1 - candidate.box.x0 || ext.height + 2 > candidate.box.y1 - candidate.box.y0)
                continue;
            text = {cx - ext.width / 2, cy - ext.height / 2, cx + ext.width / 2, cy + ext.height / 2};
        }
        Box padded{text.x0 - 2, text.y0 - 2, text.x1 + 2, text.y1 + 2};
        if (!padded.inside(map) ||
            std::any_of(placed.begin(), placed.end(), [&](const Box& b) { return b.overlaps(padded); }))
            continue;
        placed.push_back(padded);
        drawText(cr, utf8, text.x0 - ext.x_bearing, text.y0 - ext.y_bearing,
                 feature.style == Style::water ? kWaterInk : kInk);
    }
}

// The longest round length in kilometres (1, 2 or 5 times a power of ten)
// that takes at most a quarter of the map's width.
void drawScaleBar(cairo_t* cr, const Layout& layout) {
    double kmPerPixel = kKmPerDegree / layout.scale;
    double most = layout.mapWidth / 4 * kmPerPixel;
    double power = std::pow(10.0, std::floor(std::log10(most)));
    double km = power;
    for (double step : {5.0, 2.0})
        if (step * power <= most) {
            km = step * power;
            break;
        }
    double length = km / kmPerPixel;
    double x = layout.mapX, y = layout.legendTop + 8;
    for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, x + i * length / 4, y, length / 4, 6);
        setColour(cr, i % 2 ? kPage : kInk);
        cairo_fill(cr);
    }
    cairo_rectangle(cr, x + 0.5, y + 0.5, length - 1, 5);
    setColour(cr, kInk);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    char number[32];
    int decimals = km >= 1 ? 0 : static_cast<int>(std::lround(-std::log10(power)));
    std::snprintf(number, sizeof number, "%.*f km", decimals, km);
    for (char* c = number; *c; ++c)
        if (*c == '.') *c = ',';  // Polish decimal comma
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_move_to(cr, x + length + 8, y + 6);
    cairo_show_text(cr, number);
}

void drawSwatch(cairo_t* cr, const StyleRow& row, double x, double y) {
    if (row.kind == Kind::area) {
        cairo_rectangle(cr, x, y + 3, 22, 11);
        if (row.fillOpacity < 1) {  // shown over the map's paper, as on the map
            setColour(cr, kPaper);
            cairo_fill_preserve(cr);
        }
        paintArea(cr, row);
    } else if (row.kind == Kind::line) {
        for (int pass = row.stroke == Stroke::cased ? 0 : 1; pass < 2; ++pass) {
            cairo_move_to(cr, x + 2, y + 8.5);
            cairo_line_to(cr, x + 20, y + 8.5);
            strokeLine(cr, row, pass == 0);
        }
    } else {
        addDot(cr, x + 11, y + 8.5, row.width);
        paintDots(cr, row);
    }
}

void drawLegend(cairo_t* cr, const Scene& scene, const Layout& layout) {
    int columns = legendColumns(layout.width);
    int entry = 0;
    for (int s = 0; s < kStyleCount; ++s) {
        if (!shownInLegend(scene, s)) continue;
        const StyleRow& row = styleRow(static_cast<Style>(s));
        double x = layout.mapX + (entry % columns) * kLegendColumn;
        double y = layout.legendTop + kScaleRow + (entry / columns) * kLegendRow;
        ++entry;
        drawSwatch(cr, row, x, y);
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 11);
        setColour(cr, kInk);
        cairo_move_to(cr, x + 28, y + 13);
        cairo_show_text(cr, labelUtf8(row.legend).c_str());
    }
}

}  // namespace

Layout layoutPicture(const Scene& scene, int width) {
    Layout l;
    l.width = std::clamp(width, kMinWidth, kMaxWidth);
    l.mapX = l.mapY = kMargin;
    l.mapWidth = l.width - 2 * kMargin;
    for (int s = 0; s < kStyleCount; ++s) l.legendEntries += shownInLegend(scene, s);
    int rows = (l.legendEntries + legendColumns(l.width) - 1) / legendColumns(l.width);
    double legendHeight = 10 + kScaleRow + rows * kLegendRow + kMargin;
    double inner = l.mapWidth - 2 * kInset;
    // At most twice as high as wide, and at most 64 million pixels in all.
    double tallest = std::min({2 * l.mapWidth, 32000 - kMargin - legendHeight,
                               std::floor(kMaxPixels / l.width) - kMargin - 10 - legendHeight});
    if (scene.features.empty()) {
        l.mapHeight = std::min(std::round(l.mapWidth / 2), tallest);
        l.scale = inner;  // one degree across, for a scale bar that is not drawn
    } else {
        double midLat = (scene.minLat + scene.maxLat) / 2;
        l.cosLat = std::max(std::cos(midLat * std::numbers::pi / 180), 0.01);
        l.minLon = scene.minLon;
        l.maxLat = scene.maxLat;
        double spanX = (scene.maxLon - scene.minLon) * l.cosLat, spanY = scene.maxLat - scene.minLat;
        if (spanX < kMinSpan && spanY < kMinSpan) {
            l.minLon = (scene.minLon + scene.maxLon) / 2 - 0.005 / l.cosLat;
            l.maxLat = midLat + 0.005;
            spanX = spanY = 0.01;
        }
        l.scale = spanX > 0 ? inner / spanX : 1e300;
        if (spanY * l.scale > tallest - 2 * kInset) l.scale = (tallest - 2 * kInset) / spanY;
        l.mapHeight = std::ceil(std::max(spanY * l.scale + 2 * kInset, l.mapWidth / 8));
        l.originX = l.mapX + (l.mapWidth - spanX * l.scale) / 2;
        l.originY = l.mapY + (l.mapHeight - spanY * l.scale) / 2;
    }
    l.legendTop = l.mapY + l.mapHeight + 10;
    l.height = static_cast<int>(std::ceil(l.legendTop + kScaleRow + rows * kLegendRow + kMargin));
    return l;
}

cairo_surface_t* renderScene(const Scene& scene, const Layout& layout) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height);
    cairo_t* cr = cairo_create(surface);
    setColour(cr, kPage);
    cairo_paint(cr);
    cairo_rectangle(cr, layout.mapX, layout.mapY, layout.mapWidth, layout.mapHeight);
    setColour(cr, kPaper);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    if (scene.features.empty()) {
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 14);
        std::string message = labelUtf8("brak obiektów do pokazania"_cp);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, message.c_str(), &ext);
        setColour(cr, kInk);
        cairo_move_to(cr, layout.mapX + (layout.mapWidth - ext.width) / 2,
                      layout.mapY + layout.mapHeight / 2);
        cairo_show_text(cr, message.c_str());
    } else {
        drawObjects(cr, scene, layout);
        drawLabels(cr, scene, layout);
    }
    cairo_restore(cr);
    cairo_rectangle(cr, layout.mapX + 0.5, layout.mapY + 0.5, layout.mapWidth - 1, layout.mapHeight - 1);
    setColour(cr, kInk);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (!scene.features.empty()) drawScaleBar(cr, layout);
    drawLegend(cr, scene, layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

int writePicture(const Scene& scene, const Layout& layout, const char* path) {
    cairo_surface_t* surface = renderScene(scene, layout);
    cairo_status_t status = cairo_surface_status(surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        report::error("blad zapisu pliku %s: %s\n"_cp, path, cairo_status_to_string(status));
        return 0;
    }
    return 1;
}

}  // namespace preview
