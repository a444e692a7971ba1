#include "support/conversion.hpp"
#include "support/expected.hpp"

using namespace testsupport;

namespace {

const std::string kNoMap = "brak MapID dla zbioru wyj\x9C" "ciowego\n";
const std::string kOpenFailed = "blad otwarcia pliku mp 00000005.mp\nblad otwarcia pliku wyjsciowego 00000005.mp\n";
const std::string kUsed = " juz uzyty w tym uruchomieniu\n";

std::string data(const std::string& name) { return readFile(GEOCONV_TEST_DATA "/" + name); }

class Driver : public Conversion {
protected:
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
    std::string map(const std::string& name) const { return readFile(dir.file(name)); }
};

// A terminal in a UTF-8 locale reads the texts in UTF-8; pipes, and terminals
// of other locales, get the code page 1250 bytes unchanged.
TEST_F(Driver, TerminalsInUtf8LocalesReadUtf8) {
    const std::string usage = data("driver_usage.txt"), listing = data("catalogue_listing.txt");
    const std::string utf8 = std::string(usage).replace(usage.find("warto\x9C"), 6, "wartoś");
    // Usage, listing and a message; and an option of bytes from outside.
    const std::vector<std::string> texts = {"-?", "-d", "a.shp"}, oddBytes = {"-x\x81\xB3"};
    // The messages tell failures (2); a report alone does not.
    const struct { Channel channel; const char* locale; std::vector<std::string> args; RunResult run; } cases[] = {
        {Channel::terminal, "C.UTF-8", texts, {2, utf8 + listing, "brak MapID dla zbioru wyjściowego\n"}},
        {Channel::pipe, "C.UTF-8", texts, {2, usage + listing, kNoMap}},
        {Channel::terminal, "C", texts, {2, usage + listing, kNoMap}},
        {Channel::terminal, "POSIX", texts, {2, usage + listing, kNoMap}},
        // Bytes from outside are read as code page 1250 too; unassigned ones show as U+FFFD.
        {Channel::terminal, "C.UTF-8", oddBytes, {2, "", "nieznana opcja -x\uFFFDł\n"}},
        {Channel::pipe, "C.UTF-8", oddBytes, {2, "", "nieznana opcja -x\x81\xB3\n"}},
        // A report on standard output: -b in a directory without sheets.
        {Channel::terminal, "C.UTF-8", {"-b"}, {0, "brak katalogów\n", ""}},
        {Channel::pipe, "C.UTF-8", {"-b"}, {0, "brak katalog\xF3w\n", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + (c.channel == Channel::pipe ? " pipe" : " terminal"));
        EXPECT_EQ(runGeoconvThrough(dir.path, c.args, c.channel, c.locale), c.run);
    }
}

// The listing of all 318 entries byte for byte; a type file's lines change
// the entries listed after it.
TEST_F(Driver, ListsTheCatalogueAsTypeFilesLeftIt) {
    EXPECT_EQ(run({"-d"}), (RunResult{0, data("catalogue_listing.txt"), ""}));
    EXPECT_EQ(run({"-dxyz"}), run({"-d"}));  // only the second character counts
    writeFile(dir.file("types.txt"), "op_lotnisko 0x5901 3 1 1 0x2800\r\noa_las 0 -1 200\r\n");
    RunResult r = run({"-d", "-t", "types.txt", "-d"});
    EXPECT_EQ(r.err, "");
    expectAsFile("driver_catalogue_typed.txt", r.out);
    // A failed type file stops the walk.
    writeFile(dir.file("bad.txt"), "OP_LOTNISKO 1\r\nop_basen\r\n\r\nop_lotnisko 0x10");
    EXPECT_EQ(run({"-t", "bad.txt", "-d"}, 2),
              (RunResult{2, "", "nieznany obiekt OP_LOTNISKO w opisie typow\n"
                                "brak parametr\xF3w obiektu op_basen w opisie typow\n"}));
}

TEST_F(Driver, MapsCarryTheHeaderParametersGivenBeforeThem) {
    EXPECT_EQ(run({"-h", "A=1", "-i", "1", "X \xB3\xB9k", "-h", "B=2", "-i", "0x2", "Y Z", "-i", "12345678", "W"}),
              (RunResult{0, "MapID 00000001 X \xB3\xB9k\nMapID 00000002 Y Z\nMapID 12345678 W\n", ""}));
    run({"-i", "99999999", "M"});
    expectAsFile("driver_parameters.mp",
                 map("00000001.mp") + map("00000002.mp") + map("12345678.mp") + map("99999999.mp"));
    EXPECT_EQ(run({"-i", "010", "O"}).out, "MapID 00000008 O\n");
    EXPECT_TRUE(exists("00000008.mp"));
}

// Usage, and the walk over the arguments stopped by a bad one.
TEST_F(Driver, UsageExitCodesAndStopRules) {
    // Each run ends with -? (or -d) to show whether the walk went on; -b and
    // -B end the walk, here finding no sheet directory.
    const std::string usage = data("driver_usage.txt"), noSheets = "brak katalog\xF3w\n";
    std::vector<std::pair<std::vector<std::string>, RunResult>> cases = {
        {{}, {1, usage, ""}},  // 1: no arguments; 2: an argument refused
        {{"-?"}, {0, usage, ""}},
        {{"-?", "-?xyz"}, {0, usage + usage, ""}},
        {{"a.shp", "-?"}, {2, "", kNoMap}},
        {{"-h"}, {2, "", "brak parametru dla opcji -h\n"}},
        {{"-t"}, {2, "", "brak nazwy zbioru dla opcji -t\n"}},
        {{"-i", "5"}, {2, "", "brak numeru MapID dla opcji -i\n"}},
        {{"-i"}, {2, "", "brak numeru MapID dla opcji -i\n"}},
        {{"-x", "-?"}, {2, "", "nieznana opcja -x\n"}},
        {{"-", "-?"}, {2, "", "nieznana opcja -\n"}},
        {{"-I", "1", "X"}, {2, "", "nieznana opcja -I\n"}},
        {{"-b", "-x", "-?"}, {0, noSheets, ""}},
        {{"-B", "a.shp"}, {0, noSheets, ""}},
        {{"-g"}, {0, "", ""}},
        // Option values are taken as they are, even when they begin with "-".
        {{"-h", "-x", "-i", "-5", "-?"}, {2, "", "zly numer MapID -5 dla opcji -i\n"}},
        {{"-i", "12 ", "N", "-?"}, {2, "", "zly numer MapID 12  dla opcji -i\n"}},
        {{"-@"}, {2, "", "brak nazwy listy plikow dla opcji -@\n"}},
        {{"-d"}, {2, "", "przekroczona maksymalna liczba 10 parametrow -h\n"}},  // after eleven -h
    };
    std::vector<std::string>& eleven = cases.back().first;
    for (char letter = 'A'; letter <= 'K'; ++letter) eleven.insert(eleven.end() - 1, {"-h", {'P', '=', letter}});
    for (const auto& [args, result] : cases) {
        SCOPED_TRACE(args.empty() ? "no arguments" : args[0] + " ... " + args.back());
        EXPECT_EQ(runGeoconv(dir.path, args), result);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));

    // A stop leaves the open map in place, and the end of the run closes it.
    EXPECT_EQ(run({"-i", "3", "A", "-i", "0", "B", "-i", "4", "C"}, 2).out, "MapID 00000003 A\n");
    expectAsFile("driver_stopped.mp", map("00000003.mp"));
    EXPECT_FALSE(exists("00000004.mp"));
}

TEST_F(Driver, ListFileStartsMapsAndFeedsThem) {
    for (const char* name : {"A", "B", "C"}) writeNamedPoint(dir.file(name + std::string("/HUTP")), name);
    layer("RIVERL", lines(1), buildDbf({{"NAM", 'C', 10}, {"HYC", 'N', 2}, {"WWR", 'N', 2}}, {{"", "0", "3"}}));
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
    for (const char* again : {"16", "0x10", "020"}) {
        SCOPED_TRACE(again);
        EXPECT_EQ(run({"-i", "16", "A", "A/HUTP.shp", "-i", again, "B", "B/HUTP.shp"}, 2),
                  (RunResult{2, "MapID 00000016 A\n", "MapID 00000016" + kUsed}));
        expectAsFile("driver_map16.mp", map("00000016.mp"));
    }
    // In a list the file lines after it go into the map open before. A map
    // that could not be opened leaves its number free; an earlier run's map
    // does not count.
    std::filesystem::create_directory(dir.file("00000005.mp"));
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
    const std::string unsupported = "plik powinien miec rozszerzenie *.shp: ";
    const std::string piece = unsupported + std::string(1199, 'a') + "\n";
    const std::string goOn = "MapID 00000009 Z\n";  // the -i 9 Z after the list
    // absent.txt is never written, adir is a directory.
    const struct { std::string name, list; RunResult run; } cases[] = {
        {"list.txt", "-x 42 A\n", {2, "", "nieznana opcja w liscie plikow -x 42 A\n"}},
        {"list.txt", "-i 42   \r\n", {2, "", "zla nazwa mapy w liscie plikow -i 42\n"}},
        {"list.txt", "a.shp\nb.shp\n-i 1 A\n", {2, goOn, kNoMap}},
        {"list.txt", "", {0, goOn, ""}},
        {"absent.txt", "", {2, "", "blad otwarcia listy plik\xF3w, plik: absent.txt\n"}},
        {"adir", "", {2, "", "blad odczytu listy plik\xF3w, plik: adir.\n"}},
        // After a failed open the file lines find no map.
        {"list.txt", "-i 1 A\n-i 5 B\nx.shp\n", {2, "MapID 00000001 A\n" + goOn, kOpenFailed + kNoMap}},
        // A long line is read in pieces of at most 1199 characters; a map name
        // is cut there and the rest of its line is a file line.
        {"list.txt", "-i 7 Po\n" + std::string(5000, 'a') + "\n-i 8 Dalej\n",
         {2, "MapID 00000007 Po\nMapID 00000008 Dalej\n" + goOn,
          piece + piece + piece + piece + unsupported + std::string(5000 - 4 * 1199, 'a') + "\n"}},
        {"list.txt", "-i 6 " + std::string(1500, 'n') + "\n",
         {2, "MapID 00000006 " + std::string(1199 - 5, 'n') + "\n" + goOn,
          unsupported + std::string(1500 - 1194, 'n') + "\n"}},
    };
    std::filesystem::create_directory(dir.file("adir"));
    std::filesystem::create_directory(dir.file("00000005.mp"));
    for (const auto& c : cases) {
        if (c.name == "list.txt") writeFile(dir.file(c.name), c.list);
        SCOPED_TRACE(c.name + ": " + c.list.substr(0, 20));
        EXPECT_EQ(runGeoconv(dir.path, {"-@", c.name, "-i", "9", "Z"}), c.run);
    }
}

}  // namespace
