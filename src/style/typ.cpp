#include "style/typ.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "style/styles.hpp"

namespace style {

namespace {

// Draw-order levels of areas: higher levels lie on top.
constexpr int kDrawLevels = 8;

// Point ranges wider than this get one entry per main type (subtype 0).
constexpr uint32_t kLargestExactPointRange = 0x20;

void add(std::string& text, const char* format, unsigned value) {
    char line[64];
    std::snprintf(line, sizeof line, format, value);
    text += line;
}

void addColour(std::string& text, int index, uint32_t rgb) {
    char line[32];
    std::snprintf(line, sizeof line, "\"%d c #%06X\"\n", index, rgb);
    text += line;
}

void addLegend(std::string& text, const StyleRow& row) {
    if (*row.legend == '\0') return;
    text += "String1=0x04,";
    text += row.legend;
    text += '\n';
}

int pixels(double width) {
    return std::max(1, static_cast<int>(std::lround(width)));
}

// The drawn area classes in Style order spread over the draw-order levels.
int drawLevel(Style style) {
    int first = static_cast<int>(Style::protectedArea), last = static_cast<int>(Style::water);
    return 1 + (static_cast<int>(style) - first) * kDrawLevels / (last - first + 1);
}

void addArea(std::string& text, uint32_t type, const StyleRow& row) {
    text += "[_polygon]\n";
    add(text, "Type=0x%02X\n", type);
    addLegend(text, row);
    text += "Xpm=\"0 0 1 0\"\n";
    addColour(text, 1, solidColour(row));
    text += "[end]\n\n";
}

// A line in its colour and width; a cased line keeps its edge as the border.
void addLine(std::string& text, uint32_t type, const StyleRow& row) {
    text += "[_line]\n";
    add(text, "Type=0x%02X\n", type);
    addLegend(text, row);
    text += "UseOrientation=N\n";
    add(text, "LineWidth=%u\n", static_cast<unsigned>(pixels(row.width)));
    if (row.stroke == Stroke::cased && row.edge) {
        text += "BorderWidth=1\nXpm=\"0 0 2 0\"\n";
        addColour(text, 1, row.colour);
        addColour(text, 2, row.edge);
    } else {
        text += "Xpm=\"0 0 1 0\"\n";
        addColour(text, 1, row.colour);
    }
    text += "[end]\n\n";
}

// A point as a square dot of the class's colour and diameter.
void addPoint(std::string& text, uint32_t type, uint32_t subtype, const StyleRow& row) {
    int size = pixels(row.width);
    text += "[_point]\n";
    add(text, "Type=0x%02X\n", type);
    add(text, "SubType=0x%02X\n", subtype);
    addLegend(text, row);
    char header[64];
    std::snprintf(header, sizeof header, "Xpm=\"%d %d 1 1\"\n", size, size);
    text += header;
    char colour[32];
    std::snprintf(colour, sizeof colour, "\"X c #%06X\"\n", row.colour);
    text += colour;
    for (int y = 0; y < size; ++y) {
        text += '"';
        text.append(static_cast<std::size_t>(size), 'X');
        text += "\"\n";
    }
    text += "[end]\n\n";
}

}  // namespace

std::string typText(uint32_t familyId) {
    std::string text = "; drawing rules of geoconv maps, from the style table of geoconv-preview\n\n[_id]\n";
    add(text, "FID=%u\n", familyId);
    text += "ProductCode=1\nCodePage=1250\n[end]\n\n[_drawOrder]\n";
    std::span<const TypeRange> ranges = typeRanges();
    for (const TypeRange& range : ranges) {
        if (range.kind != Kind::area || range.style == Style::hidden) continue;
        for (uint32_t type = range.first; type <= range.last; ++type) {
            char line[32];
            std::snprintf(line, sizeof line, "Type=0x%02X,%d\n", type, drawLevel(range.style));
            text += line;
        }
    }
    text += "[end]\n\n";
    for (const TypeRange& range : ranges) {
        const StyleRow& row = styleRow(range.style);
        if (range.style == Style::hidden) continue;
        if (range.kind == Kind::point) {
            if (range.last - range.first < kLargestExactPointRange) {
                for (uint32_t type = range.first; type <= range.last; ++type)
                    addPoint(text, type >> 8, type & 0xFF, row);
            } else {
                for (uint32_t type = range.first >> 8; type <= range.last >> 8; ++type) addPoint(text, type, 0, row);
            }
            continue;
        }
        for (uint32_t type = range.first; type <= range.last; ++type) {
            if (range.kind == Kind::area) addArea(text, type, row);
            else addLine(text, type, row);
        }
    }
    return text;
}

}  // namespace style
