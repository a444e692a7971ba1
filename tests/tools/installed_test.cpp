// What users are given: the Debian package unpacked into a scratch root, its
// commands run by their installed names on the sample sheets, without the
// checkout's scripts or build; and the layer table of the README and the
// manual page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "layers/layer_table.hpp"
#include "support/program.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

TEST(InstalledPackage, CommandsFindEachOtherAndConvertTheSampleSheets) {
    TempDir dir;
    const std::string root = dir.file("root"), packages = dir.file("packages"), sheets = dir.file("sheets");
    RunResult packed = runProgram(GEOCONV_BINARY_DIR, "/usr/bin/env",
                                  {"cpack", "-G", "DEB", "--config", GEOCONV_BINARY_DIR "/CPackConfig.cmake", "-B",
                                   packages});
    ASSERT_EQ(packed.exitCode, 0) << packed.out << packed.err;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(packages))
        if (entry.path().extension() == ".deb") deb = entry.path().string();
    ASSERT_NE(deb, "") << packed.out;
    ASSERT_EQ(runProgram(dir.path, "/usr/bin/env", {"dpkg", "-x", deb, root}).exitCode, 0);

    // Every command has its manual page, compressed.
    for (std::string command : {"geoconv", "geoconv-preview", "geoconv-make-all", "geoconv-compile", "geoconv-typ"}) {
        EXPECT_TRUE(fs::exists(root + "/usr/bin/" + command)) << command;
        EXPECT_TRUE(fs::exists(root + "/usr/share/man/man1/" + command + ".1.gz")) << command;
    }

    fs::create_directory(sheets);
    ASSERT_EQ(runProgram(sheets, SAMPLE_SHEETS_EXE, {sheets}).exitCode, 0);
    unsetenv("GEOCONV");  // the runner finds the geoconv installed beside it, the compiler its geoconv-typ
    unsetenv("GEOCONV_TYP");
    // Command lines of the README, the scratch root's /usr/bin first on the PATH;
    // the file each writes in the sheets' directory. The device image compiles
    // the map too; the script's other modes are run from the checkout.
    const struct {
        std::string command;
        const char* made;
        int status = 0;
    } steps[] = {
        {"geoconv -h Copyright=Autor -i 42 'Mapa testowa' m34131ab/AIRPORTP.shp m34131ab/ELEVP.shp", "00000042.mp"},
        // every map written; the sample's unknown layer makes geoconv end with 2
        {"geoconv-make-all -j 2 . -s > statistics.txt", "75831572.mp", 3},
        {"geoconv-preview --width=800 75831572.mp", "75831572.png"},
        {"geoconv-compile --gmapsupp card 75831572.mp", "card/gmapsupp.img"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command);
        RunResult run = runProgram(sheets, "/bin/sh", {"-c", "PATH='" + root + "/usr/bin':\"$PATH\"; " + step.command});
        EXPECT_EQ(run.exitCode, step.status) << run.out << run.err;
        EXPECT_GT(fs::exists(fs::path(sheets) / step.made) ? fs::file_size(fs::path(sheets) / step.made) : 0, 0u);
    }
    EXPECT_NE(readFile(sheets + "/00000042.mp").find("Copyright=Autor\n"), std::string::npos);
    EXPECT_NE(readFile(sheets + "/statistics.txt").find("MapID 75831572 m34-131\n"), std::string::npos);
}

// The README and the manual page list every layer of the program's table, as
// the table has it.
TEST(LayerList, ReadmeAndManualPageListEveryLayerOfTheTable) {
    TempDir dir;
    RunResult table = runProgram(dir.path, LAYER_LIST_EXE, {"--markdown"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    const std::string readme = readFile(GEOCONV_TOOLS "/../README.md"), manual = readFile(GEOCONV_MAN_DIR "/geoconv.1");
    std::size_t from = readme.find("-->\n", readme.find("<!-- layer table:"));
    ASSERT_NE(from, std::string::npos);
    from += 4;
    EXPECT_EQ(readme.substr(from, readme.find("<!-- end of the layer table -->", from) - from), table.out)
        << "the README's layer table differs from the program's: write it anew with build/layer_list --markdown";
    std::size_t rows = 0;
    for (const layers::LayerRow& row : layers::layerTable()) {
        ++rows;
        EXPECT_NE(table.out.find("| `" + std::string(row.name) + "` | "), std::string::npos) << row.name;
        EXPECT_NE(manual.find(".TP\n.B " + std::string(row.name) + "\n"), std::string::npos) << row.name;
    }
    EXPECT_EQ(rows, 221u);
}

}  // namespace
