// The .mp object reader: what it hands on, what it skips, and that the size
// of the pieces it is fed does not matter. Pictures of small maps: colours at
// chosen places, the view, the labels; and the built geoconv-preview: the
// sample map converted by tools/make-all.sh, drawn whole, and bad command
// lines and input files.
#include <gtest/gtest.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "preview/label_text.hpp"
#include "preview/mp_reader.hpp"
#include "preview/render.hpp"
#include "style/styles.hpp"
#include "style/typ.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "text/cp1250.hpp"

using namespace preview;
using namespace testsupport;
using namespace text::literals;

namespace {

struct Read {
    std::vector<std::string> objects;
    ReadCounts counts;
    std::size_t longestLabel = 0;  // of the objects handed on
    std::size_t largestCarry = 0;  // piece of a data line kept between two feeds
};

// Each object in one line: kind, type, end level, label, then the number of
// pairs in each part and the first pair.
void summarise(const MpObject& object, void* context) {
    char text[256];
    std::snprintf(text, sizeof text, "%c %X L%d '%.*s' (%.2f,%.2f)", "PLA"[static_cast<int>(object.kind)],
                  object.type, object.endLevel, static_cast<int>(object.label.size()), object.label.data(),
                  object.coordinates[0], object.coordinates[1]);
    std::string line = text;
    uint32_t from = 0;
    for (uint32_t end : object.partEnds) {
        line += ' ';
        line += std::to_string(end - from);
        from = end;
    }
    Read& read = *static_cast<Read*>(context);
    read.objects.push_back(line);
    read.longestLabel = std::max(read.longestLabel, object.label.size());
}

// Reads the text in pieces of `piece` bytes (0: all at once).
Read readText(const std::string& text, std::size_t piece = 0) {
    Read read;
    MpReader reader;
    startMpReader(reader, summarise, &read);
    if (piece == 0) piece = text.size() + 1;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        feedMpText(reader, text.data() + at, std::min(piece, text.size() - at));
        if (reader.carryIsData) read.largestCarry = std::max(read.largestCarry, reader.carry.size());
    }
    finishMpText(reader);
    read.counts = reader.counts;
    return read;
}

// Each row of mp_reader.tsv: a text and what is read from it, whole or in pieces.
TEST(MpReader, ReadsAndSkipsAsEachCaseExpects) {
    for (const std::vector<std::string>& row : dataRows("mp_reader.tsv")) {
        SCOPED_TRACE(row[0]);
        const std::vector<std::string> objects(row.begin() + 4, row.end());
        for (std::size_t piece : {0, 1, 7}) {
            Read read = readText(row[3], piece);
            EXPECT_EQ(read.objects, objects) << "pieces of " << piece;
            EXPECT_EQ(read.counts.objects, objects.size());
            EXPECT_EQ(read.counts.brokenObjects, std::stoull(row[1]));
            EXPECT_EQ(read.counts.skippedSections, std::stoull(row[2]));
        }
    }
}

TEST(MpReader, ReadsLongLinesPieceByPieceWithoutKeepingThem) {
    std::string data = "Data0=";
    for (int i = 0; i < 100000; ++i) data += (i ? ",(" : "(") + std::to_string(50 + i * 1e-6) + ",19.5)";
    // The label's line is cut, not dropped.
    std::string text = "[POLYLINE]\nType=1\nLabel=" + std::string(100000, 'x') + "\n" + data + "\n[END]\n";
    Read read = readText(text, 4096);
    ASSERT_EQ(read.objects.size(), 1u);
    EXPECT_NE(read.objects[0].find(" 100000"), std::string::npos) << read.objects[0].substr(0, 100);
    EXPECT_GT(read.longestLabel, 0u);
    EXPECT_LE(read.longestLabel, 64 * 1024u);
    EXPECT_LT(read.largestCarry, 256u);
}

constexpr uint32_t kPaper = 0xFBF9F3;
constexpr uint32_t kPage = 0xFFFFFF;

Scene sceneOf(const std::string& text, int minLevel = 0) {
    Scene scene;
    scene.minLevel = minLevel;
    MpReader reader;
    startMpReader(reader, addToScene, &scene);
    feedMpText(reader, text.data(), text.size());
    finishMpText(reader);
    return scene;
}

// The colour at x, y as 0xRRGGBB.
uint32_t pixel(cairo_surface_t* surface, double x, double y) {
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + static_cast<int>(y) * cairo_image_surface_get_stride(surface);
    uint32_t value;
    __builtin_memcpy(&value, row + 4 * static_cast<int>(x), 4);
    return value & 0xFFFFFF;
}

int channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

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

// The second line's coordinate lines are parts drawn apart: nothing joins
// the end of one to the start of the next.
const std::string kMap =
    "[POLYGON]\nType=0x14\nEndLevel=3\nData0=(50.1,20.1),(50.1,20.4),(50.4,20.4),(50.4,20.1)\n[END]\n"
    "[POLYLINE]\nType=0x01\nEndLevel=2\nData0=(50.8,20.1),(50.8,20.9)\n[END]\n"
    "[POLYLINE]\nType=0x01\nEndLevel=2\nData0=(50.9,20.1),(50.9,20.3)\nData0=(50.9,20.7),(50.9,20.9)\n[END]\n"
    "[POLYLINE]\nType=0x1f\nEndLevel=1\nData0=(50.5,20.5),(50.5,20.9)\n[END]\n"
    "[POI]\nType=0x0400\nEndLevel=4\nData0=(50.6,20.7)\n[END]\n";

TEST(Render, ObjectsShowTheirColoursAtTheirPlacesAndLevels) {
    const struct {
        double lon, lat;
        uint32_t level0, level2;  // colour with every object, and at level 2
    } probes[] = {
        {20.25, 50.25, colourOf(Style::forest), colourOf(Style::forest)},  // inside the area
        {20.5, 50.8, colourOf(Style::motorway), colourOf(Style::motorway)},  // on a line
        {20.2, 50.9, colourOf(Style::motorway), colourOf(Style::motorway)},  // on each part
        {20.8, 50.9, colourOf(Style::motorway), colourOf(Style::motorway)},
        {20.5, 50.9, kPaper, kPaper},                                      // between the parts
        {20.7, 50.5, colourOf(Style::river), kPaper},                      // EndLevel 1
        {20.7, 50.6, colourOf(Style::city), colourOf(Style::city)},        // the point
        {20.7, 50.3, kPaper, kPaper},                                      // away from all
    };
    Picture all(sceneOf(kMap)), level2(sceneOf(kMap, 2));
    for (const auto& probe : probes) {
        EXPECT_EQ(all.at(probe.lon, probe.lat), probe.level0) << probe.lon << " " << probe.lat;
        EXPECT_EQ(level2.at(probe.lon, probe.lat), probe.level2) << probe.lon << " " << probe.lat;
    }
    EXPECT_EQ(pixel(all.surface, 2, 2), kPage);  // the margin
    EXPECT_GT(all.layout.height, all.layout.legendTop + 30 + 18 * 2);  // scale bar and 4 entries

    Picture empty(sceneOf("[IMG ID]\n[END-IMG ID]\n"), 300);
    EXPECT_EQ(cairo_surface_status(empty.surface), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(empty.surface), 300);
    EXPECT_EQ(empty.layout.legendEntries, 0);
}

// Each row of view_aspects.tsv: a line and the shape of the picture's view of it.
TEST(Render, ViewShortensLongitudesByTheCosineOfTheMiddleLatitude) {
    for (const std::vector<std::string>& row : dataRows("view_aspects.tsv")) {
        SCOPED_TRACE(row[0]);
        Scene scene = sceneOf("[POLYLINE]\nType=0x16\nData0=" + row[0] + "\n[END]\n");
        Layout layout = layoutPicture(scene, 600);
        double x0, y0, x1, y1;
        project(layout, scene.minLon, scene.maxLat, x0, y0);
        project(layout, scene.maxLon, scene.minLat, x1, y1);
        for (double v : {x0, x1}) EXPECT_TRUE(v >= layout.mapX && v <= layout.mapX + layout.mapWidth) << v;
        for (double v : {y0, y1}) EXPECT_TRUE(v >= layout.mapY && v <= layout.mapY + layout.mapHeight) << v;
        if (const double aspect = std::stod(row[1]); aspect > 0) {
            EXPECT_NEAR((x1 - x0) / (y1 - y0), aspect, 0.01);
        }
        EXPECT_GE(layout.mapHeight, layout.mapWidth / 8);
        EXPECT_LE(layout.mapHeight, 2 * layout.mapWidth);
    }
}

TEST(Render, LabelsOfPlacesAndNamedAreasAreDrawnWhereTheyFit) {
    // A lake named or not, a small area whose name does not fit it, a place.
    auto map = [](const std::string& label) {
        return "[POLYGON]\nType=0x3c\n" + label + "Data0=(50,20),(50,21),(51,21),(51,20)\n[END]\n" +
               "[POLYGON]\nType=0x01\nLabel=Mała wieś z długą nazwą\n"_cp +
               "Data0=(51.5,20),(51.5,20.02),(51.51,20.02)\n[END]\n[POI]\nType=0x0400\nLabel=Łódź\n"_cp +
               "Data0=(51.8,20.5)\n[END]\n";
    };
    Picture named(sceneOf(map("Label=Jezioro Żarnowieckie\n"_cp))), unnamed(sceneOf(map("")));
    EXPECT_GT(named.darkPixels(20.5, 50.5, -40, 40, 6), 20);
    EXPECT_EQ(unnamed.darkPixels(20.5, 50.5, -40, 40, 6), 0);
    EXPECT_EQ(named.darkPixels(20.01, 51.505, -3, 30, 5), 0);  // does not fit its area
    EXPECT_GT(named.darkPixels(20.5, 51.8, 6, 40, 6), 10);     // right of the dot
}

// Each row of label_text.tsv: a label's bytes and the text drawn for it.
TEST(LabelText, ConvertsCodePage1250AndDropsLabelCodes) {
    for (const std::vector<std::string>& row : dataRows("label_text.tsv"))
        EXPECT_EQ(labelUtf8(row[0]), row[1]) << row[1];
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

// The kinds printed maps colour by custom: each row a look and the types
// whose class colour must have it. The device's drawing rules come from the
// same table: their colour is the class colour where it is opaque, and the
// picture's where it is not.
TEST(Styles, TypesGetTheColoursOfPrintedMapsOnTheDeviceAndInThePicture) {
    const std::string typ = style::typText(style::kDefaultFamilyId);
    constexpr Kind A = Kind::area, L = Kind::line, P = Kind::point;
    const struct {
        const char* look;
        bool (*has)(int r, int g, int b);
        std::vector<std::pair<Kind, uint32_t>> types;
    } rows[] = {
        {"blue", [](int r, int g, int b) { return b > r + 40 && b > g; }, {{A, 0x3c}, {A, 0x32}, {L, 0x1f}, {L, 0x18}}},
        {"green", [](int r, int g, int b) { return g > r + 20 && g > b + 20; }, {{A, 0x14}, {A, 0x1e}}},
        {"dark", [](int r, int g, int b) { return std::max({r, g, b}) < 0x40; }, {{L, 0x14}, {L, 0x19}, {P, 0x400}}},
        {"grey or pink", [](int r, int g, int b) { return r >= g && r >= b && r > 0xA0; }, {{A, 0x01}}},
        {"red", [](int r, int g, int) { return r > 0xC0 && g < 0x50; }, {{L, 0x01}}},
        {"orange", [](int r, int g, int b) { return r > 0xE0 && g > 0x60 && g < 0xC0 && b < 0x40; }, {{L, 0x03}}},
        {"yellow", [](int r, int g, int b) { return r > 0xE0 && g > 0xC0 && b < 0x80; }, {{L, 0x04}}},
        {"white", [](int r, int g, int b) { return r > 0xF0 && g > 0xF0 && b > 0xF0; }, {{L, 0x06}}},
        {"brown", [](int r, int g, int b) { return r > g && g > b && r < 0xD0; }, {{L, 0x20}}},
        {"purple", [](int r, int g, int b) { return r > g + 40 && b > g + 40; }, {{L, 0x1e}}},
    };
    for (const auto& row : rows) {
        for (const auto& [kind, type] : row.types) {
            SCOPED_TRACE(::testing::Message() << row.look << " " << static_cast<int>(kind) << " " << std::hex << type);
            uint32_t c = colourOf(styleOf(kind, type));
            EXPECT_TRUE(row.has(channel(c, 16), channel(c, 8), channel(c, 0))) << std::hex << c;
            if (kind != P && styleRow(styleOf(kind, type)).fillOpacity == 1) {
                EXPECT_EQ(typColour(typ, kind == A ? "polygon" : "line", type), c);
            }
        }
    }
    EXPECT_EQ(styleOf(Kind::point, 0x1161d), Style::otherPoint);
    // The map's background is left to the device; a translucent area shows on
    // bare paper the colour its device rule gives.
    EXPECT_EQ(styleOf(Kind::area, 0x4b), Style::hidden);
    EXPECT_EQ(typ.find("[_polygon]\nType=0x4B\n"), std::string::npos);
    Picture picture(sceneOf("[POLYGON]\nType=0x16\nData0=(50.5,20.5),(50.5,20.7),(50.7,20.7),(50.7,20.5)\n[END]\n"));
    EXPECT_LT(styleRow(styleOf(Kind::area, 0x16)).fillOpacity, 1);
    EXPECT_TRUE(near(picture.at(20.6, 50.6), typColour(typ, "polygon", 0x16)))
        << std::hex << picture.at(20.6, 50.6) << " " << typColour(typ, "polygon", 0x16);
}

// Whether some pixel shows `colour` laid over `ground` with a cover of at
// least `cover` (thin lines and translucent areas cover pixels partly).
bool showsColour(cairo_surface_t* surface, uint32_t colour, uint32_t ground, double cover) {
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

TEST(PreviewProgram, DrawsEveryClassOfTheSampleMapAtTheGivenWidth) {
    TempDir dir;
    ASSERT_EQ(runProgram(dir.path, SAMPLE_SHEETS_EXE, {dir.path}).exitCode, 0);
    setenv("GEOCONV", GEOCONV_EXE, 1);
    // 3: the maps are written; one sample layer is unknown on purpose.
    ASSERT_EQ(runProgram(dir.path, "/bin/bash", {GEOCONV_TOOLS "/make-all.sh", dir.path}).exitCode, 3);

    RunResult run = runProgram(dir.path, GEOCONV_PREVIEW_EXE, {"--width", "800", "75831572.mp"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    Scene scene = sceneOf(readFile(dir.file("75831572.mp")));
    Layout layout = layoutPicture(scene, 800);
    EXPECT_NE(run.out.find("75831572.png: 800 x " + std::to_string(layout.height) + " px"), std::string::npos)
        << run.out;

    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.file("75831572.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 800);
    EXPECT_EQ(cairo_image_surface_get_height(png), layout.height);
    int present = 0;
    for (int s = 0; s < kStyleCount; ++s) {
        if (!scene.styleCounts[s]) continue;
        ++present;
        const StyleRow& row = styleRow(static_cast<Style>(s));
        double cover = row.fillOpacity < 1 ? 0.9 * row.fillOpacity : 0.45;
        EXPECT_TRUE(showsColour(png, row.colour, kPaper, cover)) << "class " << s << " " << std::hex << row.colour;
    }
    EXPECT_GE(present, 20);  // the sample's layers give that many classes
    cairo_surface_destroy(png);
}

// Each row of command_lines.tsv: a command line and what the program says and writes.
TEST(PreviewProgram, BadCommandLinesAndInputsGiveAClearMessage) {
    // Two broken objects and a section it does not draw, CR LF ends, no end to the last object.
    const std::string broken = dataFile("broken.mp");
    for (const std::vector<std::string>& row : dataRows("command_lines.tsv")) {
        const std::vector<std::string> args(row.begin() + 3, row.end());
        SCOPED_TRACE(row[1]);
        TempDir dir;
        writeFile(dir.file("b.mp"), broken);
        writeFile(dir.file("EMPTY.MP"), "[IMG ID]\nID=2\n[END-IMG ID]\n");
        std::filesystem::create_directory(dir.file("d.mp"));
        RunResult run = runProgram(dir.path, GEOCONV_PREVIEW_EXE, args);
        std::string said = run.out + run.err;
        EXPECT_EQ(run.exitCode, std::stoi(row[0])) << said;
        EXPECT_NE(said.find(row[1]), std::string::npos) << said;
        std::string pictures;  // the names of all pictures written
        for (const auto& entry : std::filesystem::directory_iterator(dir.path))
            if (entry.path().extension() == ".png") pictures += entry.path().filename().string();
        EXPECT_EQ(pictures, row[2]);
    }
}

}  // namespace
