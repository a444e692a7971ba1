// The Debian package as a user meets it: unpacked into a scratch root, its
// commands run by their installed names on the sample sheets, without the
// checkout's scripts or build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// Runs a command line of the README in `directory` through the shell, with the
// scratch root's /usr/bin first on the PATH.
RunResult user(const std::string& directory, const std::string& root, const std::string& command) {
    return runProgram(directory, "/bin/sh", {"-c", "PATH='" + root + "/usr/bin':\"$PATH\"; " + command});
}

TEST(InstalledPackage, CommandsFindEachOtherAndConvertTheSampleSheets) {
    TempDir dir;
    const std::string root = dir.file("root");
    const std::string packages = dir.file("packages");
    RunResult packed = runProgram(GEOCONV_BINARY_DIR, "/usr/bin/env",
                                  {"cpack", "-G", "DEB", "--config", GEOCONV_BINARY_DIR "/CPackConfig.cmake",
                                   "-B", packages});
    ASSERT_EQ(packed.exitCode, 0) << packed.out << packed.err;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(packages))
        if (entry.path().extension() == ".deb") deb = entry.path().string();
    ASSERT_NE(deb, "") << packed.out;
    ASSERT_EQ(runProgram(dir.path, "/usr/bin/env", {"dpkg", "-x", deb, root}).exitCode, 0);

    // Every command has its manual page, compressed.
    for (const char* command : {"geoconv", "geoconv-preview", "geoconv-make-all", "geoconv-compile", "geoconv-typ"}) {
        EXPECT_TRUE(fs::exists(root + "/usr/bin/" + command)) << command;
        EXPECT_TRUE(fs::exists(root + "/usr/share/man/man1/" + std::string(command) + ".1.gz")) << command;
    }

    const std::string sheets = dir.file("sheets");
    fs::create_directory(sheets);
    ASSERT_EQ(runProgram(sheets, SAMPLE_SHEETS_EXE, {sheets}).exitCode, 0);
    unsetenv("GEOCONV");  // the runner finds the geoconv installed beside it, the compiler its geoconv-typ
    unsetenv("GEOCONV_TYP");

    struct Step {
        const char* what;
        std::string command;
        const char* made;  // a file the step writes, in the sheets' directory
        int status = 0;
    };
    const Step steps[] = {
        {"conversion", "geoconv -h Copyright=Autor -i 42 'Mapa testowa' m34131ab/AIRPORTP.shp m34131ab/ELEVP.shp",
         "00000042.mp"},
        {"sheet tree", "geoconv-make-all -j 2 . -s > statistics.txt", "75831572.mp",
         3},  // every map written; the sample's unknown layer makes geoconv end with 2
        {"preview", "geoconv-preview --width=800 75831572.mp", "75831572.png"},
        {"compile", "geoconv-compile img 75831572.mp", "img/75831572.img"},
        {"device image", "geoconv-compile --gmapsupp card 75831572.mp", "card/gmapsupp.img"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        RunResult run = user(sheets, root, step.command);
        EXPECT_EQ(run.exitCode, step.status) << run.out << run.err;
        EXPECT_GT(fs::exists(fs::path(sheets) / step.made) ? fs::file_size(fs::path(sheets) / step.made) : 0, 0u);
    }
    EXPECT_NE(readFile(sheets + "/00000042.mp").find("Copyright=Autor\n"), std::string::npos);
    EXPECT_NE(readFile(sheets + "/statistics.txt").find("MapID 75831572 m34-131\n"), std::string::npos);
}

}  // namespace
