// The sample sheets converted the way users convert sheet trees
// (tools/make-all.sh) and compiled by the map compiler (tools/compile-maps.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/program.hpp"
#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kTools = GEOCONV_TOOLS;
const std::string kSampleMap = "75831572.mp";  // m34131ab and m34131cd
// tools/make-all.sh on the sample sheets: every map written, but one layer is
// unknown on purpose, so geoconv ends with 2 and the script with 3.
constexpr int kSampleStatus = 3;

RunResult script(const std::string& directory, const std::string& name, std::vector<std::string> args,
                 const RunLimits& limits = {}) {
    setenv("GEOCONV", GEOCONV_EXE, 1);
    args.insert(args.begin(), kTools + "/" + name);
    return runProgram(directory, "/bin/bash", args, limits);
}

RunResult makeAll(const TempDir& dir, std::vector<std::string> args, const RunLimits& limits = {}) {
    return script(dir.path, "make-all.sh", std::move(args), limits);
}

void writeSamples(const std::string& directory) {
    RunResult r = runProgram(directory, SAMPLE_SHEETS_EXE, {directory});
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

// The text of every file below `directory`, by relative path.
std::map<std::string, std::string> filesBelow(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), directory).string()] = readFile(entry.path().string());
    return files;
}

// Objects of each kind that a map holds after each ";plik PATH" line, by PATH.
using Kinds = std::map<std::string, int>;
std::vector<std::pair<std::string, Kinds>> objectsByInputFile(const std::string& map) {
    std::vector<std::pair<std::string, Kinds>> files;
    std::istringstream lines(map);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.ends_with('\r')) line.pop_back();  // merged maps keep their own line ends
        if (line.rfind(";plik ", 0) == 0) files.push_back({line.substr(6), {}});
        else if (!files.empty() && (line == "[POI]" || line == "[POLYLINE]" || line == "[POLYGON]"))
            ++files.back().second[line];
    }
    return files;
}

// The kind of object a layer's name promises: P and C points, L lines, A areas.
std::string kindOfLayer(const std::string& path) {
    std::string name = fs::path(path).stem().string();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "TXT") == 0) return "[POI]";
    switch (name.back()) {
    case 'L': return "[POLYLINE]";
    case 'A': return "[POLYGON]";
    default: return "[POI]";
    }
}

std::size_t position(const std::vector<std::pair<std::string, Kinds>>& files, const std::string& ending) {
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].first.ends_with(ending)) return i;
    ADD_FAILURE() << ending << " is not in the map";
    return files.size();
}

TEST(SampleSheets, HoldManyLayersAndAreTheSameBytesEveryRun) {
    TempDir first, second;
    writeSamples(first.path);
    writeSamples(second.path);
    std::map<std::string, std::string> files = filesBelow(first.path);
    EXPECT_EQ(files, filesBelow(second.path));
    int layers = 0;
    for (const auto& [path, bytes] : files) layers += fs::path(path).extension() == ".shp" ||
                                                      fs::path(path).extension() == ".SHP";
    EXPECT_GE(layers, 45);
    EXPECT_TRUE(files.count("m34131ab/ROADL.SHP") && files.count("m34131ab/ROADL.DBF"));
    EXPECT_NE(files["m34131cd/szlaki.mp"].find("[IMG ID]"), std::string::npos);
}

TEST(MakeAll, SampleMapHoldsEveryLayerAndCompiles) {
    TempDir dir;
    writeSamples(dir.path);
    RunResult run = makeAll(dir, {"-j", "2", dir.path, "-s"});
    ASSERT_EQ(run.exitCode, kSampleStatus) << run.err;
    EXPECT_NE(run.out.find("MapID 75831572 m34-131\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("statystka gatunkow drzew"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(dir.file("75831572.lst")));

    // Every sample layer is known but the one left unknown on purpose.
    std::string unknownReport = "nieznana nazwa pliku " + dir.file("m34131ab/LAWKIP.shp") + "\n";
    std::size_t at = run.err.find(unknownReport);
    EXPECT_NE(at, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("nieznana nazwa pliku", at + 1), std::string::npos) << run.err;

    // Each input file brings objects of its layer's kind.
    auto files = objectsByInputFile(readFile(dir.file(kSampleMap)));
    ASSERT_GE(files.size(), 69u);
    for (const auto& [path, kinds] : files) {
        if (path.ends_with("LAWKIP.shp")) EXPECT_TRUE(kinds.empty()) << path;
        else if (path.ends_with("ISLANDA.shp")) EXPECT_GT(kinds.count("[POI]"), 0u) << path;  // only the name point
        else if (path.ends_with(".mp")) EXPECT_EQ(kinds.size(), 3u) << path;
        else EXPECT_GT(kinds.count(kindOfLayer(path)), 0u) << path;
    }
    // Listing order: a directory's files, letter case ignored, before its subdirectories.
    EXPECT_LT(position(files, "/RIVERL.shp"), position(files, "/roadl.shp"));
    EXPECT_LT(position(files, "/roadl.shp"), position(files, "/RUINSP.shp"));
    EXPECT_LT(position(files, "ab/TOWERNCP.shp"), position(files, "ab/Jeziora/LAKEA.shp"));
    EXPECT_LT(position(files, "ab/Jeziora/LAKEA.shp"), position(files, "cd/ATHLFLDA.shp"));
    EXPECT_EQ(position(files, "cd/szlaki.mp"), files.size() - 1);

    RunResult compiled = script(dir.path, "compile-maps.sh", {dir.file("img"), dir.file(kSampleMap)});
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
    EXPECT_NE(readFile(dir.file("img/75831572.log")).find("Number of MapFailedExceptions: 0\n"),
              std::string::npos);
    EXPECT_GT(fs::file_size(dir.file("img/75831572.img")), 0u);
}

// The sheets below a folder whose name holds layer codes (BOGA, a peat bog
// area, in Bogatynia) convert as below any other: only file names name layers.
TEST(MakeAll, SheetTreesConvertAlikeUnderAnyFolderName) {
    TempDir dir;
    std::map<std::string, RunResult> runs;
    for (const std::string folder : {"dane", "Bogatynia"}) {
        std::string top = dir.file(folder);
        fs::create_directory(top);
        writeSamples(top);
        RunResult run = makeAll(dir, {top, "-s"});
        run.err += readFile(top + "/" + kSampleMap);
        for (std::size_t at; (at = run.err.find(top)) != std::string::npos;) run.err.replace(at, top.size(), "TOP");
        runs[folder] = run;
    }
    EXPECT_EQ(runs["Bogatynia"].exitCode, kSampleStatus);
    EXPECT_NE(runs["Bogatynia"].out.find("statystka gatunkow drzew"), std::string::npos);
    EXPECT_TRUE(runs["Bogatynia"] == runs["dane"]);  // too large to print
}

TEST(MakeAll, ParallelAndCommonListRunsGiveTheSameMaps) {
    TempDir dir;
    writeSamples(dir.path);
    // Two more maps of the same data.
    fs::copy(dir.file("m34131ab"), dir.file("m34132ab"), fs::copy_options::recursive);
    fs::copy(dir.file("m34131cd"), dir.file("m35140cd"), fs::copy_options::recursive);
    const std::vector<std::string> maps = {kSampleMap, "75831573.mp", "75831726.mp"};

    std::vector<std::vector<std::string>> results;
    std::vector<std::string> outputs;
    for (auto options : {std::vector<std::string>{"-j", "1"}, {"-j", "4"}, {"-B"}}) {
        options.push_back(dir.path);
        RunResult run = makeAll(dir, options);
        ASSERT_EQ(run.exitCode, kSampleStatus) << options[0] << run.err;
        outputs.push_back(run.out + run.err);
        results.emplace_back();
        for (const std::string& map : maps) {
            results.back().push_back(readFile(dir.file(map)));
            fs::remove(dir.file(map));
        }
    }
    EXPECT_GT(results[0][2].size(), 10000u);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(outputs[0], outputs[1]);  // each map's messages in sheet order
    EXPECT_EQ(results[0], results[2]);
}

TEST(MakeAll, PassesMessagesOnAsTheProgramPrintsThem) {
    TempDir dir;
    writeSamples(dir.path);
    setenv("GEOCONV", GEOCONV_EXE, 1);
    struct Case {
        Channel channel;
        const char* locale;
        std::string header;  // of the -s tree species report
    };
    const Case cases[] = {
        {Channel::terminal, "C.UTF-8", "igl.   liść.  miesz."},
        {Channel::terminal, "C", "igl.   liść.  miesz."_cp},
        {Channel::pipe, "C.UTF-8", "igl.   liść.  miesz."_cp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        RunResult run = runProgramThrough(dir.path, "/bin/bash", {kTools + "/make-all.sh", dir.path, "-s"},
                                          c.channel, c.locale);
        EXPECT_EQ(run.exitCode, kSampleStatus) << run.err;
        EXPECT_NE(run.out.find(c.header), std::string::npos) << run.out;
    }
}

// A road of two parts is one object of two coordinate lines, which the map
// compiler reads as two lines (nothing joins them).
TEST(CompileMaps, LinesOfSeveralPartsCompile) {
    TempDir dir;
    std::vector<std::vector<XY>> parts = {{{19.60, 50.05}, {19.62, 50.06}}, {{19.70, 50.10}, {19.72, 50.12}}};
    writeFile(dir.file("ROADL.shp"), buildShp({{polylineShape(parts)}}, {.shapeType = 3}));
    writeFile(dir.file("ROADL.dbf"), buildDbf({{"NAM", 'C', 10}, {"TUC", 'N', 4}, {"RTT", 'N', 4}, {"USE", 'N', 4}},
                                              {{"Droga", "0", "0", "0"}}));
    RunResult run = runProgram(dir.path, GEOCONV_EXE, {"-i", "1", "T", "ROADL.shp"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string map = readFile(dir.file("00000001.mp"));
    EXPECT_NE(map.find("Data0=(50.0500000,19.6000000),(50.0600000,19.6200000)\n"
                       "Data0=(50.1000000,19.7000000),(50.1200000,19.7200000)\n[END]\n"),
              std::string::npos)
        << map;
    RunResult compiled = script(dir.path, "compile-maps.sh", {dir.file("img"), dir.file("00000001.mp")});
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
}

TEST(MakeAll, BadInputIsReportedAndOtherSheetsGoOn) {
    struct Case {
        const char* what;
        std::vector<std::string> sheets;  // directories, each with one elevation point
        std::vector<std::string> options;
        bool blockMap;                    // a directory stands where map 75831573 goes
        int status;
        std::vector<std::string> maps;    // maps written
        std::string output;               // expected in the output
        std::size_t lastSheetPoints = 1;  // elevation points of the last sheet
        unsigned long long fileSize = 0;  // a disk that takes no larger file
    };
    const Case cases[] = {
        {"no sheet directory", {"dane"}, {}, false, 1, {}, "brak katalogów"_cp},
        {"an upper-case sheet directory", {"M34131AB"}, {}, false, 1, {}, "lower case: M34131AB would be m34131ab"},
        {"one map cannot be written", {"m34131ab", "m34132cd"}, {}, true, 1, {kSampleMap}, "75831573.mp"},
        {"an option geoconv refuses", {"m34131ab"}, {"-x"}, false, 1, {}, "nieznana opcja -x"},
        {"two sheets", {"m34131ab", "m34132cd"}, {"-g"}, false, 0, {kSampleMap, "75831573.mp"}, "MapID 75831573"},
        {"a map too large for the disk", {"m34131ab", "m34132cd"}, {}, false, 1, {kSampleMap},
         "map 75831573.mp was not written; the earlier map stays in its place", 5000, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& sheet : c.sheets) {
            std::size_t n = sheet == c.sheets.back() ? c.lastSheetPoints : 1;
            fs::create_directories(dir.file(sheet));
            writeFile(dir.file(sheet + "/ELEVP.shp"),
                      buildShp(std::vector<ShpRecord>(n, ShpRecord{pointShape(19.6, 50.05)})));
            writeFile(dir.file(sheet + "/ELEVP.dbf"),
                      buildDbf({{"ZV2", 'N', 8, 2}}, std::vector<std::vector<std::string>>(n, {"312.70"})));
        }
        writeFile(dir.file("make_all.bat"), "stare");
        writeFile(dir.file("75831573.mp"), "earlier");  // a sheet that fails keeps it
        if (c.blockMap) fs::remove(dir.file("75831573.mp")), fs::create_directories(dir.file("75831573.mp"));
        std::vector<std::string> args = {dir.path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult run = makeAll(dir, args, {.fileSize = c.fileSize});
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
