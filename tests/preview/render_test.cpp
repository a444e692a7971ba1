// Pictures of small maps: colours at chosen places, the view, the labels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "preview/label_text.hpp"
#include "preview/render.hpp"
#include "style/styles.hpp"
#include "style/typ.hpp"
#include "picture.hpp"
#include "text/cp1250.hpp"

using namespace preview;
using namespace previewtest;
using namespace text::literals;

namespace {

constexpr uint32_t kPaper = 0xFBF9F3;
constexpr uint32_t kPage = 0xFFFFFF;

uint32_t colourOf(Style style) { return styleRow(style).colour; }

struct Picture {
    explicit Picture(const Scene& scene, int width = 500)
        : layout(layoutPicture(scene, width)), surface(renderScene(scene, layout)) {}
    ~Picture() { cairo_surface_destroy(surface); }
    uint32_t at(double lon, double lat) const {
        double x, y;
        project(layout, lon, lat, x, y);
        return pixel(surface, x, y);
    }
    // Pixels of label ink in the box around lon, lat.
    int darkPixels(double lon, double lat, int dx0, int dx1, int dy) const {
        double x, y;
        project(layout, lon, lat, x, y);
        int count = 0;
        for (int j = -dy; j <= dy; ++j)
            for (int i = dx0; i <= dx1; ++i) {
                uint32_t p = pixel(surface, x + i, y + j);
                count += channel(p, 16) < 0x70 && channel(p, 8) < 0x90;
            }
        return count;
    }
    Layout layout;
    cairo_surface_t* surface;
};

const std::string kMap =
    "[POLYGON]\nType=0x14\nEndLevel=3\nData0=(50.1,20.1),(50.1,20.4),(50.4,20.4),(50.4,20.1)\n[END]\n"
    "[POLYLINE]\nType=0x01\nEndLevel=2\nData0=(50.8,20.1),(50.8,20.9)\n[END]\n"
    "[POLYLINE]\nType=0x1f\nEndLevel=1\nData0=(50.5,20.5),(50.5,20.9)\n[END]\n"
    "[POI]\nType=0x0400\nEndLevel=4\nData0=(50.6,20.7)\n[END]\n";

// The coordinate lines of one line object are parts drawn apart: nothing
// joins the end of one to the start of the next.
TEST(Render, PartsOfALineAreDrawnApart) {
    Picture picture(sceneOf("[POLYLINE]\nType=0x01\nData0=(50.5,20.1),(50.5,20.3)\n"
                            "Data0=(50.5,20.7),(50.5,20.9)\n[END]\n"));
    EXPECT_NE(picture.at(20.2, 50.5), kPaper);
    EXPECT_NE(picture.at(20.8, 50.5), kPaper);
    EXPECT_EQ(picture.at(20.5, 50.5), kPaper);
}

TEST(Render, ObjectsShowTheirColoursAtTheirPlacesAndLevels) {
    struct Probe {
        double lon, lat;
        uint32_t level0, level2;  // colour with every object, and at level 2
    };
    const Probe probes[] = {
        {20.25, 50.25, colourOf(Style::forest), colourOf(Style::forest)},      // inside the area
        {20.5, 50.8, colourOf(Style::motorway), colourOf(Style::motorway)},   // on a line
        {20.7, 50.5, colourOf(Style::river), kPaper},                         // EndLevel 1
        {20.7, 50.6, colourOf(Style::city), colourOf(Style::city)},           // the point
        {20.7, 50.3, kPaper, kPaper},                                          // away from all
    };
    Picture all(sceneOf(kMap)), level2(sceneOf(kMap, 2));
    for (const Probe& probe : probes) {
        EXPECT_EQ(all.at(probe.lon, probe.lat), probe.level0) << probe.lon << " " << probe.lat;
        EXPECT_EQ(level2.at(probe.lon, probe.lat), probe.level2) << probe.lon << " " << probe.lat;
    }
    EXPECT_EQ(pixel(all.surface, 2, 2), kPage);  // the margin
    EXPECT_EQ(all.layout.width, 500);
    EXPECT_EQ(cairo_image_surface_get_width(all.surface), 500);
    EXPECT_EQ(cairo_image_surface_get_height(all.surface), all.layout.height);
    EXPECT_GT(all.layout.height, all.layout.legendTop + 30 + 18 * 2);  // scale bar and 4 entries
}

TEST(Render, ViewShortensLongitudesByTheCosineOfTheMiddleLatitude) {
    struct Case {
        std::string data;
        double aspect;  // width over height of the objects' box in the picture; 0: not tested
    };
    const Case cases[] = {
        {"(60,10),(61,12)", 2 * std::cos(60.5 * M_PI / 180)},
        {"(-33.5,151),(-33.7,151.4)", 2 * std::cos(33.6 * M_PI / 180)},
        {"(0,0),(0,1)", 0},       // flat: the map keeps some height
        {"(0,0),(40,0.001)", 0},  // tall and thin: the map is at most twice as high as wide
        {"(10,10),(10,10)", 0},   // one place
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        Scene scene = sceneOf("[POLYLINE]\nType=0x16\nData0=" + c.data + "\n[END]\n");
        Layout layout = layoutPicture(scene, 600);
        double x0, y0, x1, y1;
        project(layout, scene.minLon, scene.maxLat, x0, y0);
        project(layout, scene.maxLon, scene.minLat, x1, y1);
        for (double v : {x0, x1})
            EXPECT_TRUE(v >= layout.mapX && v <= layout.mapX + layout.mapWidth) << v;
        for (double v : {y0, y1})
            EXPECT_TRUE(v >= layout.mapY && v <= layout.mapY + layout.mapHeight) << v;
        if (c.aspect > 0) {
            EXPECT_NEAR((x1 - x0) / (y1 - y0), c.aspect, 0.01);
        }
        EXPECT_GE(layout.mapHeight, layout.mapWidth / 8);
        EXPECT_LE(layout.mapHeight, 2 * layout.mapWidth);
    }
}

TEST(Render, EmptySceneStillGivesAPictureOfTheWidth) {
    Picture empty(sceneOf("[IMG ID]\n[END-IMG ID]\n"), 300);
    EXPECT_EQ(cairo_surface_status(empty.surface), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(empty.surface), 300);
    EXPECT_EQ(empty.layout.legendEntries, 0);
}

TEST(Render, LabelsOfPlacesAndNamedAreasAreDrawnWhereTheyFit) {
    std::string area = "[POLYGON]\nType=0x3c\n%sData0=(50,20),(50,21),(51,21),(51,20)\n[END]\n";
    std::string small = std::string("[POLYGON]\nType=0x01\nLabel=Mała wieś z długą nazwą\n"_cp) +
                        "Data0=(51.5,20),(51.5,20.02),(51.51,20.02)\n[END]\n";
    std::string place = std::string("[POI]\nType=0x0400\nLabel=Łódź\n"_cp) + "Data0=(51.8,20.5)\n[END]\n";
    auto map = [&](const char* label) {
        std::string text = area;
        return text.replace(text.find("%s"), 2, label) + small + place;
    };
    Picture named(sceneOf(map("Label=Jezioro Żarnowieckie\n"_cp))), unnamed(sceneOf(map("")));
    EXPECT_GT(named.darkPixels(20.5, 50.5, -40, 40, 6), 20);
    EXPECT_EQ(unnamed.darkPixels(20.5, 50.5, -40, 40, 6), 0);
    EXPECT_EQ(named.darkPixels(20.01, 51.505, -3, 30, 5), 0);  // does not fit its area
    EXPECT_GT(named.darkPixels(20.5, 51.8, 6, 40, 6), 10);     // right of the dot
}

TEST(LabelText, ConvertsCodePage1250AndDropsLabelCodes) {
    const std::pair<const char*, const char*> cases[] = {
        {"Łódź Świętokrzyska"_cp, "Łódź Świętokrzyska"},
        {"~[0x1f]312", "312"},
        {"Góra~[0x1e]Dół"_cp, "Góra Dół"},
        {"a\tb\x01" "c\x81", "abc?"},
        {"  ~[0x04]  ", ""},
        {"~[0x1f", "~[0x1f"},  // not a whole code
    };
    for (const auto& [cp1250, utf8] : cases) EXPECT_EQ(labelUtf8(cp1250), utf8) << utf8;
}

// The kinds printed maps colour by custom: each row a type and what its
// class colour must look like.
TEST(Styles, TypesGetTheColoursOfPrintedMaps) {
    using Check = std::function<bool(int r, int g, int b)>;
    const Check blue = [](int r, int g, int b) { return b > r + 40 && b > g; };
    const Check green = [](int r, int g, int b) { return g > r + 20 && g > b + 20; };
    const Check dark = [](int r, int g, int b) { return r < 0x40 && g < 0x40 && b < 0x40; };
    const struct {
        Kind kind;
        uint32_t type;
        Check looks;
    } rows[] = {
        {Kind::area, 0x3c, blue},
        {Kind::area, 0x32, blue},
        {Kind::area, 0x14, green},
        {Kind::area, 0x1e, green},
        {Kind::area, 0x01, [](int r, int g, int b) { return r >= g && r >= b && r > 0xA0; }},  // grey or pink
        {Kind::line, 0x1f, blue},
        {Kind::line, 0x18, blue},
        {Kind::line, 0x01, [](int r, int g, int) { return r > 0xC0 && g < 0x50; }},              // red
        {Kind::line, 0x03, [](int r, int g, int b) { return r > 0xE0 && g > 0x60 && g < 0xC0 && b < 0x40; }},
        {Kind::line, 0x04, [](int r, int g, int b) { return r > 0xE0 && g > 0xC0 && b < 0x80; }},  // yellow
        {Kind::line, 0x06, [](int r, int g, int b) { return r > 0xF0 && g > 0xF0 && b > 0xF0; }},  // white
        {Kind::line, 0x14, dark},
        {Kind::line, 0x19, dark},
        {Kind::line, 0x20, [](int r, int g, int b) { return r > g && g > b && r < 0xD0; }},       // brown
        {Kind::line, 0x1e, [](int r, int g, int b) { return r > g + 40 && b > g + 40; }},         // purple
        {Kind::point, 0x0400, dark},
    };
    for (const auto& row : rows) {
        uint32_t c = colourOf(styleOf(row.kind, row.type));
        EXPECT_TRUE(row.looks(channel(c, 16), channel(c, 8), channel(c, 0)))
            << static_cast<int>(row.kind) << " " << std::hex << row.type << " " << c;
    }
    EXPECT_EQ(styleOf(Kind::area, 0x4b), Style::hidden);  // the map's background
    EXPECT_EQ(styleOf(Kind::point, 0x1161d), Style::otherPoint);
}

// The colour the TYP text gives the first colour of a type's entry in a section.
uint32_t typColour(const std::string& typ, const std::string& section, uint32_t type) {
    char head[48];
    std::snprintf(head, sizeof head, "[_%s]\nType=0x%02X\n", section.c_str(), type);
    std::size_t at = typ.find(head);
    if (at == std::string::npos) return 0xFFFFFFFF;
    at = typ.find("\"1 c #", at);
    return static_cast<uint32_t>(std::stoul(typ.substr(at + 6, 6), nullptr, 16));
}

bool near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs(channel(a, shift) - channel(b, shift)) > 1) return false;
    return true;
}

// The device's drawing rules and the pictures come from one table: the
// middle of each object shows the colour its TYP entry gives.
TEST(Styles, DeviceRulesGiveThePicturesColours) {
    const std::string typ = style::typText(style::kDefaultFamilyId);
    Picture picture(sceneOf(
        "[POLYGON]\nType=0x14\nData0=(50.1,20.1),(50.1,20.3),(50.3,20.3),(50.3,20.1)\n[END]\n"
        "[POLYGON]\nType=0x3c\nData0=(50.1,20.5),(50.1,20.7),(50.3,20.7),(50.3,20.5)\n[END]\n"
        "[POLYGON]\nType=0x16\nData0=(50.5,20.5),(50.5,20.7),(50.7,20.7),(50.7,20.5)\n[END]\n"
        "[POLYLINE]\nType=0x01\nData0=(50.8,20.1),(50.8,20.9)\n[END]\n"));
    const struct {
        const char* section;
        uint32_t type;
        double lon, lat;
    } probes[] = {
        {"polygon", 0x14, 20.2, 50.2},
        {"polygon", 0x3c, 20.6, 50.2},
        {"polygon", 0x16, 20.6, 50.6},  // translucent: the colour it shows on bare paper
        {"line", 0x01, 20.5, 50.8},
    };
    for (const auto& probe : probes) {
        uint32_t device = typColour(typ, probe.section, probe.type);
        EXPECT_TRUE(near(picture.at(probe.lon, probe.lat), device))
            << probe.section << " " << probe.type << ": " << std::hex << picture.at(probe.lon, probe.lat) << " "
            << device;
    }
    EXPECT_EQ(typColour(typ, "polygon", 0x14), colourOf(Style::forest));
    EXPECT_EQ(typ.find("[_polygon]\nType=0x4B\n"), std::string::npos);  // the background is the device's own
}

}  // namespace
