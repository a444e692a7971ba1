// The program driven by its arguments and list files, merging existing map
// files, and the make_all.bat it writes (carried out by the tools tests).
#include <iterator>
#include <sstream>

#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kNoMap = "brak MapID dla zbioru wyjściowego\n"_cp;
const std::string kOpenFailed = "blad otwarcia pliku mp 00000005.mp\nblad otwarcia pliku wyjsciowego 00000005.mp\n";
const std::string kUsed = " juz uzyty w tym uruchomieniu\n";

class Driver : public Conversion {
protected:
    std::string map(const std::string& name) const { return readFile(dir.file(name)); }
};

// A terminal in a UTF-8 locale reads the texts in UTF-8; pipes, and terminals
// of other locales, get the code page 1250 bytes unchanged.
TEST_F(Driver, TerminalsInUtf8LocalesReadUtf8) {
    const std::string usage = dataFile("driver_usage.txt"), listing = dataFile("catalogue_listing.txt");
    const std::string utf8 = std::string(usage).replace(usage.find("warto\x9C"), 6, "wartoś");
    // Usage, listing and a message; and an option of bytes from outside.
    const std::vector<std::string> texts = {"-?", "-d", "a.shp"}, oddBytes = {"-x\x81\xB3"};
    const struct { Channel channel; const char* locale; std::vector<std::string> args; RunResult run; } cases[] = {
        {Channel::terminal, "C.UTF-8", texts, {2, utf8 + listing, "brak MapID dla zbioru wyjściowego\n"}},
        {Channel::pipe, "C.UTF-8", texts, {2, usage + listing, kNoMap}},
        {Channel::terminal, "C", texts, {2, usage + listing, kNoMap}},
        // Bytes from outside are read as code page 1250 too; unassigned ones show as U+FFFD.
        {Channel::terminal, "C.UTF-8", oddBytes, {2, "", "nieznana opcja -x\uFFFDł\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + (c.channel == Channel::pipe ? " pipe" : " terminal"));
        EXPECT_EQ(runGeoconvThrough(dir.path, c.args, c.channel, c.locale), c.run);
    }
}

// The listing of all 318 entries byte for byte; a type file's lines change
// the entries listed after it.
TEST_F(Driver, ListsTheCatalogueAsTypeFilesLeftIt) {
    EXPECT_EQ(run({"-dxyz"}), (RunResult{0, dataFile("catalogue_listing.txt"), ""}));  // only the 2nd letter counts
    writeFile(dir.file("types.txt"), "op_lotnisko 0x5901 3 1 1 0x2800\r\noa_las 0 -1 200\r\n");
    RunResult r = run({"-d", "-t", "types.txt", "-d"});
    EXPECT_EQ(r.err, "");
    expectAsFile("driver_catalogue_typed.txt", r.out);
}

TEST_F(Driver, MapsCarryTheHeaderParametersGivenBeforeThem) {
    EXPECT_EQ(run({"-h", "A=1", "-i", "1", "X \xB3\xB9k", "-h", "B=2", "-i", "0x2", "Y Z", "-i", "12345678", "W"}),
              (RunResult{0, "MapID 00000001 X \xB3\xB9k\nMapID 00000002 Y Z\nMapID 12345678 W\n", ""}));
    expectAsFile("driver_parameters.mp", map("00000001.mp") + map("00000002.mp") + map("12345678.mp"));
}

// Usage, and the walk over the arguments stopped by a bad one.
TEST_F(Driver, UsageExitCodesAndStopRules) {
    // 1: no arguments. The table: arguments refused (2) or acted on, and
    // whether the walk went on after them.
    const std::string usage = dataFile("driver_usage.txt");
    EXPECT_EQ(runGeoconv(dir.path, {}), (RunResult{1, usage, ""}));
    EXPECT_EQ(runGeoconv(dir.path, {"-?"}), (RunResult{0, usage, ""}));
    for (const std::vector<std::string>& row : dataRows("driver_arguments.tsv")) {
        SCOPED_TRACE(row[3] + " ... " + row.back());
        EXPECT_EQ(runGeoconv(dir.path, {row.begin() + 3, row.end()}), (RunResult{std::stoi(row[0]), row[1], row[2]}));
    }
    EXPECT_TRUE(fs::is_empty(dir.path));

    // A stop leaves the open map in place, and the end of the run closes it.
    EXPECT_EQ(run({"-i", "3", "A", "-i", "0", "B", "-i", "4", "C"}, 2).out, "MapID 00000003 A\n");
    expectAsFile("driver_stopped.mp", map("00000003.mp"));
    EXPECT_FALSE(fs::exists(dir.file("00000004.mp")));
}

TEST_F(Driver, ListFileStartsMapsAndFeedsThem) {
    for (const char* name : {"A", "B", "C"}) writeNamedPoint(dir.file(name + std::string("/HUTP")), name);
    layer("RIVERL", shapes(Kind::lines, 1),
          buildDbf({{"NAM", 'C', 10}, {"HYC", 'N', 2}, {"WWR", 'N', 2}}, {{"", "0", "3"}}));
    // -i 0 is refused: the files that follow go into map 42; -i 0x2a as well: map 42 stays as it is.
    writeFile(dir.file("list.txt"), "   \r\n  -i   00000042   Mapa testowa  \r\nA/HUTP.shp\r\n-i 0 Zla\r\n"
                                    "B/HUTP.shp\r\n-i 00000089 Druga\nC/HUTP.shp\n-i 0x2a Znowu\nA/HUTP.shp\n");
    EXPECT_EQ(run({"-@", "list.txt", "RIVERL.shp"}, 2),
              (RunResult{2, "MapID 00000042 Mapa testowa\nMapID 00000089 Druga\n",
                         "zly numer MapID 0 dla opcji -i\nMapID 00000042" + kUsed}));
    // The list's last map (89) stays open for the command line's files.
    expectAsFile("driver_list.mp", map("00000042.mp") + map("00000089.mp"));
}

// A second map of a MapID already started in the run would overwrite the
// first: it is refused like a bad MapID, by the number read.
TEST_F(Driver, AMapIdIsStartedOncePerRun) {
    for (const char* name : {"A", "B"}) writeNamedPoint(dir.file(name + std::string("/HUTP")), name);
    // On the command line the walk stops there; the map open stays open and whole.
    EXPECT_EQ(run({"-i", "16", "A", "A/HUTP.shp", "-i", "0x10", "B", "B/HUTP.shp"}, 2),
              (RunResult{2, "MapID 00000016 A\n", "MapID 00000016" + kUsed}));
    expectAsFile("driver_map16.mp", map("00000016.mp"));
    // In a list the file lines after it go into the map open before. A map
    // that could not be opened leaves its number free; an earlier run's map
    // does not count.
    fs::create_directory(dir.file("00000005.mp"));
    std::string list = "-i 5 X\n-i 5 Y\n-i 16 A\nA/HUTP.shp\n";
    std::string out = "MapID 00000016 A\n", err = kOpenFailed + kOpenFailed;
    for (int i = 0; i < 10000; ++i) {
        std::string id = std::to_string(100 + i % 100);
        list += "-i " + id + " M\n";
        (i < 100 ? out : err) += "MapID 00000" + id + (i < 100 ? " M\n" : kUsed);
    }
    writeFile(dir.file("list.txt"), list + "-i 016 B\nB/HUTP.shp\n");
    EXPECT_EQ(run({"-@", "list.txt"}, 2), (RunResult{2, out, err + "MapID 00000016" + kUsed}));
    expectAsFile("driver_map16.mp", map("00000016.mp"));
    EXPECT_EQ(mapObjects(dir.file("00000199.mp")), comment("B/HUTP.shp") + hut("B"));
}

TEST_F(Driver, ListFileMessagesAndLongLines) {
    // A long line is read in pieces of at most 1199 characters: a map name is
    // cut there (1199 - 5) and the rest of its line (1500 - 1194) is a file line.
    std::vector<std::pair<std::string, RunResult>> cases = {
        {"-i 6 " + std::string(1500, 'n') + "\n",
         {2, "MapID 00000006 " + std::string(1194, 'n') + "\nMapID 00000009 Z\n",
          "plik powinien miec rozszerzenie *.shp: " + std::string(306, 'n') + "\n"}},
    };
    for (const std::vector<std::string>& row : dataRows("driver_list_files.tsv"))
        cases.push_back({row[0], {std::stoi(row[1]), row[2], row[3]}});
    fs::create_directory(dir.file("00000005.mp"));
    for (const auto& [list, result] : cases) {
        writeFile(dir.file("list.txt"), list);
        SCOPED_TRACE(list.substr(0, 20));
        EXPECT_EQ(runGeoconv(dir.path, {"-@", "list.txt", "-i", "9", "Z"}), result);
    }
}

// The rows of merged_files.tsv: what a.mp holds, the reports, and what is
// copied behind the comment line. The next case merges a file of an
// upper-case extension.
TEST(Merge, CopiesObjectsBehindTheHeaderAndTheCoverageAreaAndReportsBadFiles) {
    for (const std::vector<std::string>& row : dataRows("merged_files.tsv")) {
        SCOPED_TRACE(row[0]);
        TempDir dir;
        writeFile(dir.file("a.mp"), row[1]);
        EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "T", "a.mp"}),
                  (RunResult{std::stoi(row[4]), "MapID 00000001 T\n", row[2]}));
        EXPECT_EQ(mapObjects(dir.file("00000001.mp")), row[3].empty() ? "" : comment("a.mp") + row[3] + "\n");
    }
}

const std::string kHeader = ";made elsewhere\r\n[IMG ID]\r\nID=5\r\nName=Old\r\n[END-IMG ID]\r\n\r\n";
const std::string kArea = "[RGN80]\r\nType=0x4a\r\nData0=(50,19),(51,19),(51,20)\r\n[END-RGN80]\r\n";

// An object of a map made elsewhere, with its own line ends.
std::string merged(const std::string& label) {
    return "[POI]\r\nType=0x2f04\r\nLabel=" + label + "\r\nData0=(50.1,19.1)\r\n[END]\r\n";
}

TEST(Merge, MergedFilesAndLayersFollowTheCommandLineOrder) {
    TempDir dir;
    writeNamedPoint(dir.file("HUTP"), "Chata");
    // Larger than the output buffer: written past it, between buffered objects.
    std::string big;
    while (big.size() < 9 * 1024 * 1024) big += merged(std::to_string(big.size()));
    writeFile(dir.file("big.mp"), kHeader + kArea + big);
    writeFile(dir.file("small.MP"), kHeader + merged("S"));
    EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "T", "small.MP", "HUTP.shp", "big.mp", "missing.mp", "small.MP"}),
              (RunResult{2, "MapID 00000001 T\n", "blad otwarcia pliku missing.mp\n"}));
    std::string written = mapObjects(dir.file("00000001.mp"));
    std::string expected = comment("small.MP") + merged("S") + "\n" + comment("HUTP.shp") + hut("Chata") +
                           comment("big.mp") + big + "\n" + comment("small.MP") + merged("S") + "\n";
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);  // too large to print
}

// The texts of a row apart by blanks.
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The scripts made from sheet directories, kept with the tests, and the refusals.
TEST(BatchScript, ListsSheetDirectoriesInOrderOrRefuses) {
    for (const std::vector<std::string>& row : dataRows("batch_scripts.tsv")) {
        SCOPED_TRACE(row[0] + " in " + row[1]);
        const std::string& script = row[5], &link = row[6];
        TempDir dir;
        for (const std::string& name : words(row[1])) fs::create_directory(dir.file(name));
        if (!link.empty()) fs::create_symlink(link, dir.file("make_all.bat"));
        if (!script.empty()) writeFile(dir.file("m34133ab"), "a plain file named like a sheet");
        if (!script.empty()) writeFile(dir.file("make_all.bat"), std::string(4000, 'x'));  // replaced
        EXPECT_EQ(runGeoconv(dir.path, words(row[0])), (RunResult{std::stoi(row[2]), row[3], row[4]}));
        if (!script.empty()) expectAsFile(script, readFile(dir.file("make_all.bat")));
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

}  // namespace
