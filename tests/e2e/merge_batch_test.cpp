// Merging existing map files, and make_all.bat carried out step by step.
#include <algorithm>
#include <numeric>
#include <sstream>

#include "support/conversion.hpp"
#include "support/expected.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kHeader = ";made elsewhere\r\n[IMG ID]\r\nID=5\r\nName=Old\r\n[END-IMG ID]\r\n\r\n";
const std::string kArea = "[RGN80]\r\nType=0x4a\r\nData0=(50,19),(51,19),(51,20)\r\n[END-RGN80]\r\n";

// An object of a map made elsewhere, with its own line ends.
std::string merged(const std::string& label) {
    return "[POI]\r\nType=0x2f04\r\nLabel=" + label + "\r\nData0=(50.1,19.1)\r\n[END]\r\n";
}

TEST(Merge, CopiesObjectsBehindTheHeaderAndTheCoverageAreaAndReportsBadFiles) {
    // What a.mp holds and what is copied behind the comment line (empty: nothing written); status 2: the
    // file was refused. The next case merges a file of an upper-case extension.
    struct Row { const char* what; std::string bytes, err, copied; int status = 0; };
    const std::string lfArea = "[RGN80]\nType=0x4a\n[END-RGN80]\n";
    const std::string upperArea = "[RGN80]\r\nType=0x4A\r\n[END-RGN80]\r\n";
    const std::string afterZero = std::string("\0", 1) + merged("C");
    const Row rows[] = {
        {"coverage area first", kHeader + kArea + "\r\n" + merged("A"), "", merged("A")},
        {"bare line feed after the area's bracket", kHeader + lfArea + merged("A"), "", lfArea + merged("A")},
        {"area after objects", kHeader + merged("A") + kArea + merged("B"), "", merged("B")},
        {"upper-case type", kHeader + upperArea + merged("A"), "", upperArea + merged("A")},
        {"lower-case marks", "[img id]\nID=1\n[end-img id]\n" + merged("A"), "", merged("A")},
        {"header only", kHeader, "pusty plik a.mp\n", ""},
        {"blanks and comments only", kHeader + "; none\r\n\t\r\n", "pusty plik a.mp\n", ""},
        {"area only", kHeader + kArea, "pusty plik a.mp\n", ""},
        {"zero byte ends the search, not the copy", kHeader + merged("A") + afterZero, "", merged("A") + afterZero},
        {"zero byte right after the header", kHeader + afterZero, "pusty plik a.mp\n", ""},
        {"zero byte inside the header", "[IMG ID]\n" + afterZero + "[END]\n" + merged("A"),
         "zly naglowek pliku mp a.mp\n", "", 2},
        {"empty file", "", "brak naglowka pliku mp a.mp\n", "", 2},
        {"no header", merged("A"), "brak naglowka pliku mp a.mp\n", "", 2},
        {"header without end mark", "[IMG ID]\nID=1\n", "zly naglowek pliku mp a.mp\n", "", 2},
        {"end mark without bracket", "[IMG ID]\nID=1\n[END-IMG ID", "zly naglowek pliku mp a.mp\n", "", 2},
        {"area without end mark", kHeader + "[RGN80]\r\nType=0x4a\r\nData0=(1,2)\r\n",
         "blad usuniecia obszaru 0x4a w pliku mp a.mp\n", "", 2},
        {"area cut inside its mark", kHeader + "[RGN80]\r\nType=0x4", "", "[RGN80]\r\nType=0x4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        writeFile(dir.file("a.mp"), row.bytes);
        EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "T", "a.mp"}),
                  (RunResult{row.status, "MapID 00000001 T\n", row.err}));
        EXPECT_EQ(mapObjects(dir.file("00000001.mp")), row.copied.empty() ? "" : comment("a.mp") + row.copied + "\n");
    }
}

TEST(Merge, MergedFilesAndLayersFollowTheCommandLineOrder) {
    TempDir dir;
    writeNamedPoint(dir.file("HUTP"), "Chata");
    // Larger than the output buffer: written past it, between buffered objects.
    std::string big;
    while (big.size() < 9 * 1024 * 1024) big += merged(std::to_string(big.size()));
    writeFile(dir.file("big.mp"), kHeader + kArea + big);
    writeFile(dir.file("small.MP"), kHeader + merged("S"));
    RunResult run = runGeoconv(dir.path, {"-i", "1", "T", "small.MP", "HUTP.shp", "big.mp", "missing.mp", "small.MP"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "blad otwarcia pliku missing.mp\n");
    std::string written = mapObjects(dir.file("00000001.mp"));
    std::string expected = comment("small.MP") + merged("S") + "\n" + comment("HUTP.shp") + hut("Chata") +
                           comment("big.mp") + big + "\n" + comment("small.MP") + merged("S") + "\n";
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);  // too large to print
}

// The scripts kept with the tests name the sheets of m34-131, m34-132 and
// n33-001 in order, the other directories skipped, and pass the arguments on.
// Nothing is written without a sheet; a script that cannot be created or
// written is reported.
TEST(BatchScript, ListsSheetDirectoriesInOrderOrRefuses) {
    const std::vector<std::string> sheets = {"m34131ab", "m34131cd", "m34132ab", "n33001cd",
                                             "M34131AB", "m34131ef", "m3413ab"};
    auto with = [&](const char* skipped) { std::vector<std::string> all = sheets; all.push_back(skipped); return all; };
    // The directories made, the run, the script expected (none: no script) or what it is a link to.
    const struct { std::vector<std::string> args, dirs; RunResult run; const char* script = nullptr, *link = nullptr; }
        rows[] = {
            {{"-b", "-g", "-t", "typy.txt"}, with("m36001ab"), {0, "pominiete m36001ab\n", ""}, "batch_per_map.bat"},
            {{"-Bxyz"}, with("m34145ab"), {0, "pominiete m34145ab\n", ""}, "batch_common.bat"},
            {{"-B"}, {}, {0, "brak katalogów\n"_cp, ""}},
            {{"-B"}, {"M34131AB", "m36001ab", "m34131", "m34131abc"},
             {0, "pominiete m36001ab\nbrak katalogów\n"_cp, ""}},
            {{"-B"}, {"m34131ab", "make_all.bat"}, {2, "", "blad odwarcia pliku make_all.bat\n"}},
            {{"-B"}, {"m34131ab"}, {2, "", "blad zapisu pliku make_all.bat\n"}, nullptr, "/dev/full"},
        };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        TempDir dir;
        for (const std::string& name : row.dirs) fs::create_directory(dir.file(name));
        if (row.link) fs::create_symlink(row.link, dir.file("make_all.bat"));
        if (row.script) writeFile(dir.file("m34133ab"), "a plain file named like a sheet");
        if (row.script) writeFile(dir.file("make_all.bat"), std::string(4000, 'x'));  // replaced
        EXPECT_EQ(runGeoconv(dir.path, row.args), row.run);
        if (row.script) expectAsFile(row.script, readFile(dir.file("make_all.bat")));
        else EXPECT_FALSE(fs::is_regular_file(dir.file("make_all.bat")));
        EXPECT_FALSE(fs::exists(dir.file("typy.txt")));  // the arguments are not acted on
    }
}

TEST(BatchScript, TakesAThousandSheetsAndReportsTheOnesBeyond) {
    TempDir dir;
    // Sheet directories m33000ab, m33000cd, m33001ab, ..., then m34, m35 and n33.
    auto addSheet = [&](int i) {
        char name[16];
        std::snprintf(name, sizeof name, "%c%d%03d%s", i < 870 ? 'm' : 'n', 33 + i / 290 % 3, i / 2 % 145,
                      i % 2 ? "cd" : "ab");
        fs::create_directory(dir.file(name));
    };
    for (int i = 0; i < 1000; ++i) addSheet(i);
    for (std::string out : {"", "analiza 1000 katalogów, dalsze pominięte\n"_cp}) {
        EXPECT_EQ(runGeoconv(dir.path, {"-B"}).out, out);
        std::string script = readFile(dir.file("make_all.bat"));
        int entered = 0;
        for (std::size_t at = 0; (at = script.find("\r\ncd ", at)) != std::string::npos; ++at)
            entered += script[at + 5] != '.';
        EXPECT_EQ(entered, 1000);
        addSheet(1000);
    }
}

// Carries out make_all.bat in `root` as the command interpreter would: cd,
// "dir /b /s" listing full paths into a list, echo and del; each geoconv line
// runs the program. Returns the standard output of the runs.
std::string carryOut(const std::string& root, const std::string& script) {
    fs::path cwd = root;
    std::string out;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> words;
        std::istringstream split(line);
        for (std::string word; split >> word;) words.push_back(word);
        auto appendTo = [&](const fs::path& name, const std::string& text, bool append) {
            std::string old = append && fs::exists(cwd / name) ? readFile(cwd / name) : "";
            writeFile(cwd / name, old + text);
        };
        if (words.empty() || line == "@echo off") continue;
        if (words[0] == "cd") {
            cwd = words[1] == ".." ? cwd.parent_path() : cwd / words[1];
        } else if (words[0] == "dir") {  // dir /b /s *.ext >[>] ..\list 2> NUL
            std::vector<std::string> found;
            for (const auto& entry : fs::recursive_directory_iterator(cwd))
                if (entry.path().extension() == words[3].substr(1)) found.push_back(entry.path().string() + "\r\n");
            std::sort(found.begin(), found.end());
            appendTo(".." / fs::path(words[5].substr(3)), std::accumulate(found.begin(), found.end(), std::string()),
                     words[4] == ">>");
        } else if (words[0] == "echo") {  // the text runs up to the redirection, blank included
            appendTo(words.back(), line.substr(5, line.find(">>") - 5) + "\r\n", true);
        } else if (words[0] == "del") {
            fs::remove(cwd / words[1]);
        } else if (words[0] == "geoconv") {
            RunResult run = runGeoconv(cwd, std::vector<std::string>(words.begin() + 1, words.end()));
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(run.exitCode, 0);
            out += run.out;
        } else {
            ADD_FAILURE() << "unexpected line " << line;
        }
    }
    return out;
}

TEST(BatchScript, TheScriptsListsFeedTheConverterSheetBySheet) {
    for (const char* option : {"-b", "-B"}) {
        SCOPED_TRACE(option);
        TempDir dir;
        writeNamedPoint(dir.file("m34131ab/HUTP"), "A");
        writeFile(dir.file("m34131ab/extra.mp"), kHeader + merged("E"));
        writeNamedPoint(dir.file("m34131cd/sub/HUTP"), "C");
        writeNamedPoint(dir.file("m34132ab/HUTP"), "D");
        ASSERT_EQ(runGeoconv(dir.path, {option, "-g"}).out, "");
        std::string out = carryOut(dir.path, readFile(dir.file("make_all.bat")));
        EXPECT_EQ(out, "MapID 75831572 m34-131\nMapID 75831573 m34-132\n");
        EXPECT_EQ(mapObjects(dir.file("75831572.mp")),
                  comment(dir.file("m34131ab/HUTP.shp")) + hut("A") + comment(dir.file("m34131ab/extra.mp")) +
                      merged("E") + "\n" + comment(dir.file("m34131cd/sub/HUTP.shp")) + hut("C"));
        EXPECT_EQ(mapObjects(dir.file("75831573.mp")), comment(dir.file("m34132ab/HUTP.shp")) + hut("D"));
        EXPECT_FALSE(fs::exists(dir.file("75831572.lst")) || fs::exists(dir.file("geoconv.lst")));
    }
}

}  // namespace
