// The sample sheets converted the way users convert sheet trees
// (tools/make-all.sh) and compiled by the map compiler (tools/compile-maps.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kSampleMap = "75831572.mp";  // m34131ab and m34131cd
// Every sample map is written, but one layer is unknown on purpose: geoconv
// ends with 2 and tools/make-all.sh with 3.
constexpr int kSampleStatus = 3;

RunResult script(const std::string& directory, const std::string& name, std::vector<std::string> args,
                 const RunLimits& limits = {}) {
    setenv("GEOCONV", GEOCONV_EXE, 1);
    args.insert(args.begin(), GEOCONV_TOOLS "/" + name);
    return runProgram(directory, "/bin/bash", args, limits);
}

void writeSamples(const std::string& directory) {
    RunResult r = runProgram(directory, SAMPLE_SHEETS_EXE, {directory});
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// One line per ";plik PATH" line of a map: PATH below `top` and the objects
// of each kind that follow it.
std::string objectsByInputFile(const std::string& map, const std::string& top) {
    std::string listing, line;
    std::map<std::string, int> kinds;
    auto flush = [&] {
        for (const auto& [kind, n] : kinds) listing += " " + kind + " " + std::to_string(n);
        kinds.clear();
    };
    std::istringstream lines(map);
    while (std::getline(lines, line)) {
        if (line.ends_with('\r')) line.pop_back();  // merged maps keep their own line ends
        if (line.starts_with(";plik ")) {
            flush();
            if (!listing.empty()) listing += '\n';
            listing += replaced(line.substr(6), top + "/", "");
        } else if (!listing.empty() && (line == "[POI]" || line == "[POLYLINE]" || line == "[POLYGON]")) {
            ++kinds[line];
        }
    }
    flush();
    return listing + "\n";
}

// Each input file brings objects of its layer's kind, but the unknown LAWKIP
// none and the merged map all three; a directory's files come in name order,
// letter case ignored, before its subdirectories. The run's messages and
// tree species report are whole in sample_run.txt; a terminal of UTF-8 is
// given the report in UTF-8.
TEST(MakeAll, SampleMapHoldsEveryLayerAndCompiles) {
    TempDir dir;
    writeSamples(dir.path);
    RunResult run = script(dir.path, "make-all.sh", {"-j", "2", dir.path, "-s"});
    EXPECT_EQ(run.exitCode, kSampleStatus) << run.err;
    expectAsFile("sample_run.txt", replaced(replaced(run.out + "--- standard error\n" + run.err, dir.path, "TOP"),
                                            GEOCONV_EXE, "GEOCONV"));
    expectAsFile("sample_map_inputs.txt", objectsByInputFile(readFile(dir.file(kSampleMap)), dir.path));
    EXPECT_FALSE(fs::exists(dir.file("75831572.lst")));
    for (auto [channel, locale] : {std::pair{Channel::terminal, "C.UTF-8"}, {Channel::terminal, "C"},
                                   {Channel::pipe, "C.UTF-8"}}) {
        RunResult seen = runProgramThrough(dir.path, "/bin/bash", {GEOCONV_TOOLS "/make-all.sh", dir.path, "-s"},
                                           channel, locale);
        EXPECT_EQ(seen.exitCode, kSampleStatus) << seen.err;
        bool utf8 = channel == Channel::terminal && locale[1] == '.';
        EXPECT_NE(seen.out.find(utf8 ? "igl.   liść.  miesz." : "igl.   liść.  miesz."_cp), std::string::npos)
            << locale << seen.out;
    }

    RunResult compiled = script(dir.path, "compile-maps.sh", {dir.file("img"), dir.file(kSampleMap)});
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
    EXPECT_NE(readFile(dir.file("img/75831572.log")).find("Number of MapFailedExceptions: 0\n"), std::string::npos);
    EXPECT_GT(fs::file_size(dir.file("img/75831572.img")), 0u);
}

// The sample sheets are the same bytes every time; their maps are the same
// whether the blocks run one or four at a time or as one common list, and
// under a folder whose name holds layer codes (BOGA, a peat bog area, in
// Bogatynia): only file names name layers.
TEST(MakeAll, SheetTreesGiveTheSameMapsHoweverTheyAreRun) {
    TempDir dir;
    std::map<std::string, std::string> samples[2];
    for (int i = 0; i < 2; ++i) {
        const std::string top = dir.file(i ? "Bogatynia" : "dane");
        fs::create_directory(top);
        writeSamples(top);
        for (const auto& entry : fs::recursive_directory_iterator(top))
            if (entry.is_regular_file()) samples[i][fs::relative(entry.path(), top)] = readFile(entry.path());
        // Two more maps of the same data.
        fs::copy(top + "/m34131ab", top + "/m34132ab", fs::copy_options::recursive);
        fs::copy(top + "/m34131cd", top + "/m35140cd", fs::copy_options::recursive);
    }
    EXPECT_TRUE(samples[0] == samples[1]);  // too large to print
    EXPECT_GE(samples[0].size(), 3 * 68u);

    // Messages and maps of each run, the folder's path replaced.
    std::vector<std::string> runs;
    for (auto [folder, options] : {std::pair<const char*, std::vector<std::string>>{"dane", {"-j", "1"}},
                                   {"Bogatynia", {"-j", "4"}}, {"dane", {"-B"}}}) {
        SCOPED_TRACE(folder + options[0]);
        const std::string top = dir.file(folder);
        options.push_back(top);
        RunResult run = script(dir.path, "make-all.sh", options);
        EXPECT_EQ(run.exitCode, kSampleStatus) << run.err;
        std::string maps = options[0] == "-B" ? "" : run.out + run.err;  // the common list reports otherwise
        for (const std::string& map : {kSampleMap, std::string("75831573.mp"), std::string("75831726.mp")}) {
            maps += "--- " + map + "\n" + readFile(top + "/" + map);
            fs::remove(top + "/" + map);
        }
        runs.push_back(replaced(maps, top, "TOP"));
    }
    EXPECT_GT(runs[0].size(), 30000u);
    EXPECT_TRUE(runs[0] == runs[1]);  // each map's messages in sheet order
    EXPECT_TRUE(runs[0].substr(runs[0].find("--- ")) == runs[2]);
}

TEST(MakeAll, BadInputIsReportedAndOtherSheetsGoOn) {
    const struct {
        const char* what;
        std::vector<std::string> sheets;  // directories, each with one elevation point
        std::vector<std::string> options;
        bool blockMap;                    // a directory stands where map 75831573 goes
        int status;
        std::vector<std::string> maps;    // maps written
        std::string output;               // expected in the output
        std::size_t lastSheetPoints = 1;  // elevation points of the last sheet
        unsigned long long fileSize = 0;  // a disk that takes no larger file
    } cases[] = {
        {"no sheet directory", {"dane"}, {}, false, 1, {}, "brak katalogów"_cp},
        {"an upper-case sheet directory", {"M34131AB"}, {}, false, 1, {}, "lower case: M34131AB would be m34131ab"},
        {"one map cannot be written", {"m34131ab", "m34132cd"}, {}, true, 1, {kSampleMap}, "75831573.mp"},
        {"an option geoconv refuses", {"m34131ab"}, {"-x"}, false, 1, {}, "nieznana opcja -x"},
        {"two sheets", {"m34131ab", "m34132cd"}, {"-g"}, false, 0, {kSampleMap, "75831573.mp"}, "MapID 75831573"},
        {"a map too large for the disk", {"m34131ab", "m34132cd"}, {}, false, 1, {kSampleMap},
         "map 75831573.mp was not written; the earlier map stays in its place", 5000, 100000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& sheet : c.sheets) {
            std::size_t n = sheet == c.sheets.back() ? c.lastSheetPoints : 1;
            writeLayer(dir.file(sheet + "/ELEVP"), buildShp(std::vector<ShpRecord>(n, {pointShape(19.6, 50.05)})),
                       buildDbf({{"ZV2", 'N', 8, 2}}, std::vector<std::vector<std::string>>(n, {"312.70"})));
        }
        writeFile(dir.file("make_all.bat"), "stare");
        writeFile(dir.file("75831573.mp"), "earlier");  // a sheet that fails keeps it
        if (c.blockMap) fs::remove(dir.file("75831573.mp")), fs::create_directories(dir.file("75831573.mp"));
        std::vector<std::string> args = {dir.path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult run = script(dir.path, "make-all.sh", args, {.fileSize = c.fileSize});
        EXPECT_EQ(run.exitCode, c.status) << run.err;
        EXPECT_NE((run.out + run.err).find(c.output), std::string::npos) << run.out << run.err;
        for (const std::string& map : c.maps)
            EXPECT_NE(readFile(dir.file(map)).find("Label=312\n"), std::string::npos) << map;
        if (c.maps.size() == 1 && !c.blockMap) {  // the second sheet failed
            EXPECT_EQ(readFile(dir.file("75831573.mp")), "earlier");
        }
        if (c.maps.empty() && c.status == 1 && c.options.empty()) {  // no sheet directory
            EXPECT_EQ(readFile(dir.file("make_all.bat")), "stare");
        }
    }
}

}  // namespace
