// What users are given, run as they run it: the sample sheets converted the
// way users convert sheet trees (tools/make-all.sh) and compiled by the map
// compiler (tools/compile-maps.sh); road networks and lines of several parts
// compiled into the device image; the Debian package unpacked into a scratch
// root, its commands run by their installed names on the sample sheets,
// without the checkout's scripts or build; the layer table of the README and
// the manual page; and the sample sheets as GIS tools see them: GDAL opens
// every layer with the features and extent the converter reads, and copies
// each kind of geometry into the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "input/shp.hpp"
#include "layers/layer_table.hpp"
#include "support/conversion.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"
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

// The words of a field, apart by blanks.
std::vector<std::string> words(const std::string& field) {
    std::vector<std::string> list;
    std::istringstream in(field);
    for (std::string word; in >> word;) list.push_back(word);
    return list;
}

// The ";plik PATH" lines of a map, each followed by the head line of every
// object of that input file; the top directory's path replaced by TOP.
std::string objectsByInputFile(const std::string& map, const std::string& top) {
    std::string listing, line;
    std::istringstream lines(map);
    while (std::getline(lines, line)) {
        if (line.ends_with('\r')) line.pop_back();  // merged maps keep their own line ends
        if (line.starts_with(";plik ") || line == "[POI]" || line == "[POLYLINE]" || line == "[POLYGON]")
            listing += line + '\n';
    }
    return replaced(listing, top, "TOP");
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
    expectAsFile("sample_map_objects.txt", objectsByInputFile(readFile(dir.file(kSampleMap)), dir.path));
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
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;  // the compiler's log reports no failed map, the image is there
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

// Each row of bad_input.tsv: sheets with one elevation point each, a run of
// tools/make-all.sh over them, and what it says and writes.
TEST(MakeAll, BadInputIsReportedAndOtherSheetsGoOn) {
    for (const std::vector<std::string>& row : dataRows("bad_input.tsv")) {
        SCOPED_TRACE(row[0]);
        const std::vector<std::string> sheets = words(row[1]), options = words(row[2]), maps = words(row[5]);
        TempDir dir;
        for (const std::string& sheet : sheets) {
            std::size_t n = sheet == sheets.back() ? std::stoul(row[7]) : 1;
            writeLayer(dir.file(sheet + "/ELEVP"), buildShp(std::vector<ShpRecord>(n, {pointShape(19.6, 50.05)})),
                       buildDbf({{"ZV2", 'N', 8, 2}}, std::vector<std::vector<std::string>>(n, {"312.70"})));
        }
        writeFile(dir.file("make_all.bat"), "earlier");
        writeFile(dir.file("75831573.mp"), "earlier");
        if (row[3] == "1") fs::remove(dir.file("75831573.mp")), fs::create_directories(dir.file("75831573.mp"));
        std::vector<std::string> args = {dir.path};
        args.insert(args.end(), options.begin(), options.end());
        RunResult run = script(dir.path, "make-all.sh", args, {.fileSize = std::stoull(row[8])});
        EXPECT_EQ(run.exitCode, std::stoi(row[4])) << run.err;
        EXPECT_NE((run.out + run.err).find(row[6]), std::string::npos) << run.out << run.err;
        for (const std::string& map : maps)
            EXPECT_NE(readFile(dir.file(map)).find("Label=312\n"), std::string::npos) << map;
        for (const std::string& kept : words(row[9])) EXPECT_EQ(readFile(dir.file(kept)), "earlier") << kept;
    }
}

XY at(double i, double j) { return {19.0 + 0.01 * i, 50.0 + 0.01 * j}; }

// Three networks, 40 road records, nodes counted by hand:
//  - a main road of 21 vertices with ten side roads ending on it (T
//    junctions): 11 roads, 21 nodes;
//  - a closed loop (split in two at its node) with a chain of 14 roads going
//    off it: 15 roads, 16 nodes;
//  - a road crossing the main road at one of its interior vertices without
//    meeting it (a bridge), with a chain of 13 roads: 14 roads, 15 nodes.
// The network goes into two maps. A third map, converted without -r, holds a
// road of two parts: one object of two coordinate lines, which the compiler
// reads as two lines (nothing joins them).
TEST(CompileMaps, RoadNetworksAndLinesOfSeveralPartsGoIntoTheDeviceImage) {
    TempDir dir;
    std::vector<ShpRecord> roads;
    auto road = [&](std::vector<XY> points) { roads.push_back({polylineShape({points})}); };
    std::vector<XY> main;
    for (int k = 0; k <= 20; ++k) main.push_back(at(0.5 * k, 0));
    road(main);
    for (int i = 1; i <= 10; ++i) road({at(i, 0), at(i, 1)});
    road({at(20, 0), at(21, 0), at(21, 1), at(20, 1), at(20, 0)});
    for (int k = 0; k < 14; ++k) road({at(21, 1 + k), at(21, 2 + k)});
    road({at(2.5, -1), at(2.5, 0), at(2.5, 1)});
    for (int k = 0; k < 13; ++k) road({at(2.5, 1 + k), at(2.5, 2 + k)});
    ASSERT_EQ(roads.size(), 40u);
    writeLayer(dir.file("ROADL"), buildShp(roads, {.shapeType = 3}),
               buildDbf({{"TUC"}, {"RTT"}, {"NAM"}, {"USE"}},
                        std::vector<std::vector<std::string>>(40, {"4", "15", "", "0"})));
    // Two huts far out: no road end lies on the map's edge, where it would be
    // a boundary node and its part no island (it may go on in the next map).
    writeLayer(dir.file("HUTP"),
               buildShp({{pointShape(at(-5, -5).x, at(-5, -5).y)}, {pointShape(at(30, 30).x, at(30, 30).y)}}),
               buildDbf({{"NAM"}}, {{"A"}, {"B"}}));
    std::vector<std::vector<XY>> parts = {{{19.60, 50.05}, {19.62, 50.06}}, {{19.70, 50.10}, {19.72, 50.12}}};
    writeLayer(dir.file("parts/ROADL"), buildShp({{polylineShape(parts)}}, {.shapeType = 3}),
               buildDbf({{"NAM", 'C', 10}, {"TUC", 'N', 4}, {"RTT", 'N', 4}, {"USE", 'N', 4}},
                        {{"Droga", "0", "0", "0"}}));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-r", "-i", "12345678", "Siec", "HUTP.shp", "ROADL.shp", "-i", "12345679", "Druga",
                                   "HUTP.shp", "ROADL.shp"},
          {"-i", "1", "T", "parts/ROADL.shp"}}) {
        RunResult run = runProgram(dir.path, GEOCONV_EXE, args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }

    RunResult card = script(dir.path, "compile-maps.sh", {"--gmapsupp", dir.file("card"), dir.file("12345678.mp"),
                                                          dir.file("12345679.mp"), dir.file("00000001.mp")});
    ASSERT_EQ(card.exitCode, 0) << card.err;
    std::string gmapsupp = readFile(dir.file("card/gmapsupp.img"));
    EXPECT_EQ(card.out, "tile 12345678: 3 routing islands\ntile 12345679: 3 routing islands\n"
                        "tile 00000001: 0 routing islands\n" +
                            dir.file("card/gmapsupp.img") + ": " + std::to_string(gmapsupp.size()) + " bytes\n");
    for (const char* section : {"12345678NET", "12345678NOD", "12345679NET", "12345679NOD", "GEOCONVTYP"})
        EXPECT_NE(gmapsupp.find(section), std::string::npos) << section;
    // Every network is an island of its own, with the nodes built into it.
    std::string log = readFile(dir.file("card/gmapsupp.log"));
    std::regex island("Routing island .* with ([0-9]+) routing node");
    std::vector<int> nodes;
    for (auto m = std::sregex_iterator(log.begin(), log.end(), island); m != std::sregex_iterator(); ++m)
        nodes.push_back(std::stoi((*m)[1]));
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<int>{15, 15, 16, 16, 21, 21})) << log;
}

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
    writeSamples(sheets);
    unsetenv("GEOCONV");  // the runner finds the geoconv installed beside it, the compiler its geoconv-typ
    unsetenv("GEOCONV_TYP");
    // The command lines of package_commands.tsv, the scratch root's /usr/bin
    // first on the PATH. The device image compiles the map too; the script's
    // other modes are run from the checkout.
    for (const std::vector<std::string>& step : dataRows("package_commands.tsv")) {
        SCOPED_TRACE(step[0]);
        RunResult run = runProgram(sheets, "/bin/sh", {"-c", "PATH='" + root + "/usr/bin':\"$PATH\"; " + step[0]});
        EXPECT_EQ(run.exitCode, std::stoi(step[2])) << run.out << run.err;
        const fs::path made = fs::path(sheets) / step[1];
        EXPECT_GT(fs::exists(made) ? fs::file_size(made) : 0, 0u);
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
    EXPECT_EQ(layers::layerTable().size(), 221u);
    for (const layers::LayerRow& row : layers::layerTable()) {
        EXPECT_NE(table.out.find("| `" + std::string(row.name) + "` | "), std::string::npos) << row.name;
        EXPECT_NE(manual.find(".TP\n.B " + std::string(row.name) + "\n"), std::string::npos) << row.name;
    }
}

// The record count and the extent of the records' coordinates, as the
// converter's record walk reads them, in ogrinfo's words.
std::string summaryOf(const std::string& path) {
    std::string bytes = readFile(path);
    input::ShpFile shp{path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                       static_cast<uint32_t>(bytes.size())};
    EXPECT_EQ(input::checkShpHeader(shp.path, shp.contents, shp.length), 1) << path;
    int count = 0, placed = 0;
    double low[2] = {0, 0}, high[2] = {0, 0};
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& record) {
        ++count;
        uint32_t type = record.length >= 4 ? input::readLittleEndian32(record.content) : 0;
        if (type == 0) return;  // a feature without a place
        double box[4];          // Xmin, Ymin, Xmax, Ymax; a point's own place twice
        for (int i = 0; i < 4; ++i)
            box[i] = input::readLittleEndianDouble(record.content + 4 + 8 * (type == 1 ? i % 2 : i));
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = placed ? std::min(low[axis], box[axis]) : box[axis];
            high[axis] = placed ? std::max(high[axis], box[axis + 2]) : box[axis + 2];
        }
        ++placed;
    });
    char text[200];
    std::snprintf(text, sizeof text, "Feature Count: %d\nExtent: (%f, %f) - (%f, %f)\n", count, low[0], low[1],
                  high[0], high[1]);
    return text;
}

// ogrinfo opens each directory of the sheets once, every layer in it: the
// "Feature Count" and "Extent" lines of each layer's summary, by its path.
TEST(SampleFiles, GdalOpensEveryLayerAsTheConverterReadsIt) {
    TempDir dir;
    writeSamples(dir.path);
    std::map<std::string, std::string> gdal, converter;
    for (const char* folder : {"m34131ab", "m34131ab/Jeziora", "m34131cd"}) {
        RunResult info = runProgram(dir.path, "/usr/bin/env", {"ogrinfo", "-al", "-so", folder});
        EXPECT_EQ(info.exitCode, 0) << folder << "\n" << info.err;
        EXPECT_EQ(info.err, "") << folder;
        std::string* layer = nullptr;
        std::istringstream lines(info.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("Layer name: ")) layer = &gdal[fs::path(folder) / line.substr(12)];
            else if (layer && (line.starts_with("Feature Count: ") || line.starts_with("Extent: ")))
                *layer += line + '\n';
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path)) {
        std::string extension = entry.path().extension().string();
        if (extension == ".shp" || extension == ".SHP")
            converter[fs::relative(entry.path(), dir.path).replace_extension().string()] = summaryOf(entry.path());
    }
    EXPECT_EQ(converter.size(), 68u);
    EXPECT_EQ(gdal, converter);

    // One layer of each geometry copied by GDAL: the same main file and index.
    for (const char* layer : {"m34131ab/ROADL.SHP", "m34131ab/FORESTA.shp", "m34131cd/BUILDNGP.shp"}) {
        std::string source = dir.file(layer), copy = dir.file(fs::path(layer).stem().string() + "-copy.shp");
        RunResult run = runProgram(dir.path, "/usr/bin/env", {"ogr2ogr", "-f", "ESRI Shapefile", copy, source});
        ASSERT_EQ(run.exitCode, 0) << layer << "\n" << run.err;
        EXPECT_TRUE(readFile(copy) == readFile(source)) << layer;
        std::string index = source.substr(0, source.size() - 1) + (source.back() == 'P' ? "X" : "x");
        EXPECT_TRUE(readFile(fs::path(copy).replace_extension(".shx")) == readFile(index)) << layer;
    }
}

TEST(ShapefileWriter, HeaderRangesCoverEveryRecord) {
    const Bytes line = polylineShape({{{19.5, 50.2}, {19.7, 50.1}}});
    const struct {
        const char* what;
        std::vector<ShpRecord> records;
        std::vector<double> ranges;  // Xmin, Ymin, Xmax, Ymax, Zmin, Zmax, Mmin, Mmax
    } cases[] = {
        {"points and a null shape", {{pointShape(19.6, 50.0)}, {nullShape()}, {pointShape(19.5, 50.3)}},
         {19.5, 50.0, 19.6, 50.3, 0, 0, 0, 0}},
        {"lines with heights and measures", {{raisedShape(line, 13, 7)}, {raisedShape(line, 13, -2)}},
         {19.5, 50.1, 19.7, 50.2, -2, 7, -2, 7}},
        {"points with measures", {{raisedShape(pointShape(19.6, 50.0), 21, 4)}}, {19.6, 50.0, 19.6, 50.0, 0, 0, 4, 4}},
        {"a record too short for its type", {{rawShape(5, "short")}, {line}}, {19.5, 50.1, 19.7, 50.2, 0, 0, 0, 0}},
        {"no records", {}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Bytes& file : {buildShp(c.records), buildShx(c.records)}) {
            std::vector<double> ranges(8);
            std::memcpy(ranges.data(), file.data() + 36, 8 * sizeof(double));
            EXPECT_EQ(ranges, c.ranges);
        }
    }
}

}  // namespace
