// The built geoconv-preview: the sample map converted by tools/make-all.sh,
// drawn whole, and bad command lines and input files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "picture.hpp"
#include "preview/render.hpp"
#include "support/program.hpp"

using namespace testsupport;
using namespace previewtest;

namespace {

constexpr uint32_t kPaper = 0xFBF9F3;

RunResult runPreview(const TempDir& dir, const std::vector<std::string>& args) {
    return runProgram(dir.path, GEOCONV_PREVIEW_EXE, args);
}

TEST(PreviewProgram, DrawsEveryClassOfTheSampleMapAtTheGivenWidth) {
    TempDir dir;
    ASSERT_EQ(runProgram(dir.path, SAMPLE_SHEETS_EXE, {dir.path}).exitCode, 0);
    setenv("GEOCONV", GEOCONV_EXE, 1);
    // 3: the maps are written; one sample layer is unknown on purpose.
    ASSERT_EQ(runProgram(dir.path, "/bin/bash", {GEOCONV_TOOLS "/make-all.sh", dir.path}).exitCode, 3);

    RunResult run = runPreview(dir, {"--width", "800", "75831572.mp"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    preview::Scene scene;
    preview::MpReader reader;
    preview::startMpReader(reader, preview::addToScene, &scene);
    ASSERT_EQ(preview::readMpFile(dir.file("75831572.mp").c_str(), reader), 1);
    preview::Layout layout = preview::layoutPicture(scene, 800);
    EXPECT_NE(run.out.find("75831572.png: 800 x " + std::to_string(layout.height) + " px"), std::string::npos)
        << run.out;

    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.file("75831572.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 800);
    EXPECT_EQ(cairo_image_surface_get_height(png), layout.height);
    int present = 0;
    for (int s = 0; s < preview::kStyleCount; ++s) {
        if (!scene.styleCounts[s]) continue;
        ++present;
        const preview::StyleRow& row = preview::styleRow(static_cast<preview::Style>(s));
        double cover = row.fillOpacity < 1 ? 0.9 * row.fillOpacity : 0.45;
        EXPECT_TRUE(showsColour(png, row.colour, kPaper, cover)) << "class " << s << " " << std::hex << row.colour;
    }
    EXPECT_GE(present, 20);  // the sample's layers give that many classes
    cairo_surface_destroy(png);
}

TEST(PreviewProgram, BadCommandLinesAndInputsGiveAClearMessage) {
    const std::string broken = "[IMG ID]\r\nID=1\r\n[END-IMG ID]\r\n[Countries]\r\nCountry1=X\r\n[END-Countries]\r\n"
                               "[POI]\r\nType=0x2f\r\nData0=(nan,1)\r\n[END]\r\n"
                               "[POLYGON]\r\nType=0x14\r\nData0=(1,1),(1,2),(2,2)\r\n[END]\r\n"
                               "[POLYLINE]\r\nType=1\r\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;  // in standard output or standard error
        const char* picture;  // written, or nullptr
    };
    const Case cases[] = {
        {{}, 1, "uzycie: geoconv-preview", nullptr},
        {{"--width", "50", "b.mp"}, 1, "zla szerokosc 50", nullptr},
        {{"--level", "x", "b.mp"}, 1, "zly poziom x", nullptr},
        {{"--width=50", "b.mp"}, 1, "zla szerokosc 50", nullptr},
        {{"--level=", "b.mp"}, 1, "zly poziom : dozwolone", nullptr},
        {{"--width=300", "--level=3", "-o", "out.png", "b.mp"}, 0, "out.png: 300 x", "out.png"},
        {{"--help"}, 0, "takze --width=N", nullptr},
        {{"b.mp", "-o"}, 1, "brak wartosci opcji -o", nullptr},
        {{"--bogus", "b.mp"}, 1, "nieznana opcja --bogus", nullptr},
        {{"brak.mp"}, 1, "blad otwarcia pliku brak.mp", nullptr},
        {{"EMPTY.MP"}, 0, "brak obiektow do narysowania", "EMPTY.png"},
        {{"-o", "out.png", "b.mp"}, 0, "pominiete bledne obiekty: 2, plik b.mp\n"
                                       "pominiete nieobslugiwane sekcje: 1, plik b.mp", "out.png"},
        {{"b.mp", "brak.mp", "--level", "3"}, 1, "blad otwarcia pliku brak.mp", "b.png"},
        {{"-o", "b.mp", "b.mp"}, 1, "plik obrazu b.mp jest mapa wejsciowa", nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir.file("b.mp"), broken);
        writeFile(dir.file("EMPTY.MP"), "[IMG ID]\nID=2\n[END-IMG ID]\n");
        RunResult run = runPreview(dir, c.args);
        std::string said = run.out + run.err;
        EXPECT_EQ(run.exitCode, c.exitCode) << said;
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        if (c.picture) {
            EXPECT_TRUE(std::filesystem::exists(dir.file(c.picture))) << c.picture;
        }
        std::size_t pictures = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path))
            pictures += entry.path().extension() == ".png";
        EXPECT_EQ(pictures, c.picture ? 1u : 0u);
    }
}

}  // namespace
