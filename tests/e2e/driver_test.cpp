#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "support/expected.hpp"

using namespace testsupport;

namespace {

const std::string kUsage =
    "\ngeoconv v0.2.0.397\n\n\nwywolanie:\n"
    "  geoconv [-h Parmetr=X] [-t plik] [-opcje] -i MapID nazwa  plik.shp...\n"
    "\th - dodatkowa komenda do sekcji [IMG ID], nalezy podac przed opcja -i\n"
    "\tt - podanie opisu stosowanych typow obiektow\n"
    "\ti - rozpoczecie nowego zbioru z ID i nazwa w sekcji [IMG ID]\n"
    "  opcje:\n"
    "\td - wyswietlenie opisu stosowanych typow obiektow\n"
    "\ts - wyswietlenie statystyki wystepowania obiektow\n"
    "\tg - logowanie nieznanych warto\x9C" "ci\n"
    "\tz - typy SHP z wysokoscia lub miara (11, 13, 15, 21, 23, 25) jako plaskie\n"
    "\tr - drogi z parametrami do wyznaczania tras\n\n"
    "Parametr MapID oraz nazwy plikow moga byc podane w zbiorze wejsciowym:\n  geoconv -@ lista_plikow\n\n"
    "Utworzenie batcha make_all.bat, osobne listy plikow dla kazdej mapy:\n  geoconv -b [opcje]\n\n"
    "Utworzenie batcha make_all.bat, wspolna lista dla wszystkich map:\n  geoconv -B [opcje]\n\n"
    "Opis typow obiektow ma postac wierszy o nastepujacej skladni:\n"
    "  Obiekt  TypG  LevelM  FlagaEt  FlagaOb  TypP\n"
    "\tObiekt  - identyfikator obiektu stosowany przez geoconv\n"
    "\tTypG    - typ Garmina dla obiektu, 0 oznacza ignorowanie obiektu\n"
    "\tLevelM  - maksymalny poziom, do ktorego zostanie zapisany obiekt\n"
    "\tFlagaEt - czy wpisywac zastepcze etykiety\n"
    "\tFlagaOb - czy zmieniac level zaleznie od wielkosci obszaru obiektu\n"
    "\tTypP    - typ dodatkowego POI tworzonego dla obszarow\n"
    "\tflagi przyjmuja wartosc 0 lub 1, 1 oznacza \"TAK\"\n\n";

const std::string kNoMap = "brak MapID dla zbioru wyj\x9C" "ciowego\n";
const std::string kOpenFailed = "blad otwarcia pliku mp 00000005.mp\nblad otwarcia pliku wyjsciowego 00000005.mp\n";

std::string header(const std::string& idLines, const std::string& name,
                   const std::string& params = "") {
    return ";  Skonwertowane przez geoconv v0.2.0.397\n\n[IMG ID]\n" + idLines + "Name=" + name +
           "\nLBLcoding=9\nCodePage=1250\nPreprocess=F\nTreSize=1024\nTreMargin=0.0\n"
           "RgnLimit=5000\nElevation=M\nPolygonEvaluate=Y\n" +
           params +
           "Levels=7\nLevel0=24\nLevel1=23\nLevel2=22\nLevel3=21\nLevel4=20\nLevel5=19\n"
           "Level6=18\nZoom0=0\nZoom1=1\nZoom2=2\nZoom3=3\nZoom4=4\nZoom5=5\nZoom6=6\n"
           "[END-IMG ID]\n\n";
}

// The -d listing with the line of one identifier replaced.
std::string withLine(const std::string& listing, const std::string& id, const std::string& line) {
    std::string text = "\n" + listing;
    std::size_t at = text.find("\n" + id + " ");
    if (at == std::string::npos) return "<no line for " + id + ">";
    return text.replace(at + 1, text.find('\n', at + 1) - at - 1, line).substr(1);
}

class Driver : public Conversion {
protected:
    std::string file(const std::string& name) const { return dir.file(name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }
    std::string map(const std::string& name) const { return readFile(file(name)); }
};

// A terminal in a UTF-8 locale reads the texts in UTF-8; pipes, and terminals
// of other locales, get the code page 1250 bytes unchanged.
TEST_F(Driver, TerminalsInUtf8LocalesReadUtf8) {
    const std::string listing = readFile(GEOCONV_TEST_DATA "/catalogue_listing.txt");
    const std::vector<std::string> texts = {"-?", "-d", "a.shp"};  // usage, listing, a message
    const std::vector<std::string> oddBytes = {"-x\x81\xB3"};
    std::string usage = kUsage;
    usage.replace(usage.find("warto\x9C"), 6, "wartoś");
    struct Case {
        Channel channel;
        const char* locale;
        std::vector<std::string> args;
        std::string out;
        std::string err;
        int status = 2;  // the messages tell failures; a report alone does not
    };
    const Case cases[] = {
        {Channel::terminal, "C.UTF-8", texts, usage + listing, "brak MapID dla zbioru wyjściowego\n"},
        {Channel::pipe, "C.UTF-8", texts, kUsage + listing, kNoMap},
        {Channel::terminal, "C", texts, kUsage + listing, kNoMap},
        {Channel::terminal, "POSIX", texts, kUsage + listing, kNoMap},
        // Bytes from outside are read as code page 1250 too; unassigned ones show as U+FFFD.
        {Channel::terminal, "C.UTF-8", oddBytes, "", "nieznana opcja -x\uFFFDł\n"},
        {Channel::pipe, "C.UTF-8", oddBytes, "", "nieznana opcja -x\x81\xB3\n"},
        // A report on standard output: -b in a directory without sheets.
        {Channel::terminal, "C.UTF-8", {"-b"}, "brak katalogów\n", "", 0},
        {Channel::pipe, "C.UTF-8", {"-b"}, "brak katalog\xF3w\n", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + (c.channel == Channel::pipe ? " pipe" : " terminal"));
        RunResult r = runGeoconvThrough(dir.path, c.args, c.channel, c.locale);
        EXPECT_EQ(r.exitCode, c.status);
        EXPECT_TRUE(r.out == c.out) << r.out.substr(0, 400);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(Driver, ListsTheCatalogueAsTypeFilesLeftIt) {
    RunResult plain = run({"-d"});
    EXPECT_EQ(plain.err, "");
    // All 318 entries byte for byte, against the listing kept with the tests.
    expectAsFile("catalogue_listing.txt", plain.out);
    EXPECT_TRUE(run({"-dxyz"}).out == plain.out);  // only the second character counts

    writeFile(file("types.txt"), "op_lotnisko 0x5901 3 1 1 0x2800\r\noa_las 0 -1 200\r\n");
    RunResult r = run({"-d", "-t", "types.txt", "-d"});
    EXPECT_EQ(r.err, "");
    std::string changed = withLine(plain.out, "op_lotnisko", "op_lotnisko      0x5901  3  1  1   0x2800");
    changed = withLine(changed, "oa_las", "oa_las             0x00  2 200  1");
    EXPECT_TRUE(r.out == plain.out + changed);
    EXPECT_NE(changed, plain.out);

    // A failed type file stops the walk.
    writeFile(file("bad.txt"), "OP_LOTNISKO 1\r\nop_basen\r\n\r\nop_lotnisko 0x10");
    EXPECT_EQ(run({"-t", "bad.txt", "-d"}, 2),
              (RunResult{2, "", "nieznany obiekt OP_LOTNISKO w opisie typow\n"
                                "brak parametr\xF3w obiektu op_basen w opisie typow\n"}));
}

TEST_F(Driver, MapsCarryTheHeaderParametersGivenBeforeThem) {
    EXPECT_EQ(run({"-h", "A=1", "-i", "1", "X \xB3\xB9k", "-h", "B=2", "-i", "0x2", "Y Z", "-i", "12345678", "W"}),
              (RunResult{0, "MapID 00000001 X \xB3\xB9k\nMapID 00000002 Y Z\nMapID 12345678 W\n", ""}));
    EXPECT_EQ(map("00000001.mp"), header(";ID=I0000001\nID=00000001\n", "X \xB3\xB9k", "A=1\n"));
    EXPECT_EQ(map("00000002.mp"), header(";ID=I0000002\nID=00000002\n", "Y Z", "A=1\nB=2\n"));
    EXPECT_EQ(map("12345678.mp"), header(";ID=I0BC614E\nID=12345678\n", "W", "A=1\nB=2\n"));

    run({"-i", "99999999", "M"});
    EXPECT_EQ(map("99999999.mp"), header(";ID=I5F5E0FF\nID=99999999\n", "M"));
    EXPECT_EQ(run({"-i", "010", "O"}).out, "MapID 00000008 O\n");
    EXPECT_TRUE(exists("00000008.mp"));
}

// Usage, and the walk over the arguments stopped by a bad one.
TEST_F(Driver, UsageExitCodesAndStopRules) {
    // Each run ends with -? (or -d) to show whether the walk went on.
    struct Case {
        std::vector<std::string> args;
        int exitCode;  // 1: no arguments; 2: an argument refused
        std::string err;
        std::string out = "";
    };
    // -b and -B end the walk; here they find no sheet directory.
    const std::string noSheets = "brak katalog\xF3w\n";
    std::vector<Case> cases = {
        {{}, 1, "", kUsage},
        {{"-?"}, 0, "", kUsage},
        {{"-?", "-?xyz"}, 0, "", kUsage + kUsage},
        {{"a.shp", "-?"}, 2, kNoMap},
        {{"-h"}, 2, "brak parametru dla opcji -h\n"},
        {{"-t"}, 2, "brak nazwy zbioru dla opcji -t\n"},
        {{"-i", "5"}, 2, "brak numeru MapID dla opcji -i\n"},
        {{"-i"}, 2, "brak numeru MapID dla opcji -i\n"},
        {{"-x", "-?"}, 2, "nieznana opcja -x\n"},
        {{"-", "-?"}, 2, "nieznana opcja -\n"},
        {{"-I", "1", "X"}, 2, "nieznana opcja -I\n"},
        {{"-b", "-x", "-?"}, 0, "", noSheets},
        {{"-B", "a.shp"}, 0, "", noSheets},
        {{"-g"}, 0, ""},
        // Option values are taken as they are, even when they begin with "-".
        {{"-h", "-x", "-i", "-5", "-?"}, 2, "zly numer MapID -5 dla opcji -i\n"},
        {{"-i", "12 ", "N", "-?"}, 2, "zly numer MapID 12  dla opcji -i\n"},
        {{"-@"}, 2, "brak nazwy listy plikow dla opcji -@\n"},
    };
    std::vector<std::string> eleven;
    for (char letter = 'A'; letter <= 'K'; ++letter) eleven.insert(eleven.end(), {"-h", std::string("P=") + letter});
    eleven.push_back("-d");
    cases.push_back({eleven, 2, "przekroczona maksymalna liczba 10 parametrow -h\n"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args[0] + " ... " + c.args.back());
        EXPECT_EQ(runGeoconv(dir.path, c.args), (RunResult{c.exitCode, c.out, c.err}));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));

    // A stop leaves the open map in place, and the end of the run closes it.
    EXPECT_EQ(run({"-i", "3", "A", "-i", "0", "B", "-i", "4", "C"}, 2).out, "MapID 00000003 A\n");
    EXPECT_EQ(map("00000003.mp"), header(";ID=I0000003\nID=00000003\n", "A"));
    EXPECT_FALSE(exists("00000004.mp"));
}

TEST_F(Driver, ListFileStartsMapsAndFeedsThem) {
    for (const char* name : {"A", "B", "C"}) writeNamedPoint(file(name + std::string("/HUTP")), name);
    layer("RIVERL", lines(1), buildDbf({{"NAM", 'C', 10}, {"HYC", 'N', 2}, {"WWR", 'N', 2}}, {{"", "0", "3"}}));
    writeFile(file("list.txt"),
              "   \r\n"
              "  -i   00000042   Mapa testowa  \r\n"
              "A/HUTP.shp\r\n"
              "-i 0 Zla\r\n"  // refused: the files that follow go into map 42
              "B/HUTP.shp\r\n"
              "-i 00000089 Druga\n"
              "C/HUTP.shp\n"
              "-i 0x2a Znowu\n"  // refused as well: map 42 stays as it is
              "A/HUTP.shp\n");
    EXPECT_EQ(run({"-@", "list.txt", "RIVERL.shp"}, 2),
              (RunResult{2, "MapID 00000042 Mapa testowa\nMapID 00000089 Druga\n",
                         "zly numer MapID 0 dla opcji -i\nMapID 00000042 juz uzyty w tym uruchomieniu\n"}));
    EXPECT_EQ(map("00000042.mp"), header(";ID=I000002A\nID=00000042\n", "Mapa testowa") + comment("A/HUTP.shp") +
                                      hut("A") + comment("B/HUTP.shp") + hut("B"));
    // The list's last map stays open for the command line's files.
    EXPECT_EQ(map("00000089.mp"), header(";ID=I0000059\nID=00000089\n", "Druga") + comment("C/HUTP.shp") +
                                      hut("C") + comment("A/HUTP.shp") + hut("A") + comment("RIVERL.shp") +
                                      line(0x1f, 4, "", 0));
}

// A second map of a MapID already started in the run would overwrite the
// first: it is refused like a bad MapID, by the number read.
TEST_F(Driver, AMapIdIsStartedOncePerRun) {
    writeNamedPoint(file("A/HUTP"), "A");
    writeNamedPoint(file("B/HUTP"), "B");
    const std::string used = " juz uzyty w tym uruchomieniu\n";
    const std::string first = header(";ID=I0000010\nID=00000016\n", "A") + comment("A/HUTP.shp") + hut("A");
    // On the command line the walk stops there; the map open stays open and whole.
    for (const char* again : {"16", "0x10", "020"}) {
        SCOPED_TRACE(again);
        EXPECT_EQ(run({"-i", "16", "A", "A/HUTP.shp", "-i", again, "B", "B/HUTP.shp"}, 2),
                  (RunResult{2, "MapID 00000016 A\n", "MapID 00000016" + used}));
        EXPECT_EQ(map("00000016.mp"), first);
    }
    // In a list the file lines after it go into the map open before. A map
    // that could not be opened leaves its number free; an earlier run's map
    // does not count.
    std::filesystem::create_directory(file("00000005.mp"));
    std::string list = "-i 5 X\n-i 5 Y\n-i 16 A\nA/HUTP.shp\n";
    for (int i = 0; i < 10000; ++i) list += "-i " + std::to_string(100 + i % 100) + " M\n";
    writeFile(file("list.txt"), list + "-i 016 B\nB/HUTP.shp\n");
    RunResult r = run({"-@", "list.txt"}, 2);
    std::string out = "MapID 00000016 A\n", err = kOpenFailed + kOpenFailed;
    for (int i = 0; i < 10000; ++i) {
        std::string id = "MapID 00000" + std::to_string(100 + i % 100);
        if (i < 100) out += id + " M\n";
        else err += id + used;
    }
    EXPECT_EQ(r, (RunResult{2, out, err + "MapID 00000016" + used}));
    EXPECT_EQ(map("00000016.mp"), first);
    EXPECT_EQ(mapObjects(file("00000199.mp")), comment("B/HUTP.shp") + hut("B"));
}

TEST_F(Driver, ListFileMessagesAndLongLines) {
    const std::string unsupported = "plik powinien miec rozszerzenie *.shp: ";
    const std::string piece = unsupported + std::string(1199, 'a') + "\n";
    const std::string goOn = "MapID 00000009 Z\n";  // the -i 9 Z after the list
    struct Case {
        std::string name;  // absent.txt is never written, adir is a directory
        std::string list;
        std::string err;
        std::string out;
        int status = 2;
    };
    const Case cases[] = {
        {"list.txt", "-x 42 A\n", "nieznana opcja w liscie plikow -x 42 A\n", ""},
        {"list.txt", "-i 42   \r\n", "zla nazwa mapy w liscie plikow -i 42\n", ""},
        {"list.txt", "a.shp\nb.shp\n-i 1 A\n", kNoMap, goOn},
        {"list.txt", "", "", goOn, 0},
        {"absent.txt", "", "blad otwarcia listy plik\xF3w, plik: absent.txt\n", ""},
        {"adir", "", "blad odczytu listy plik\xF3w, plik: adir.\n", ""},
        // After a failed open the file lines find no map.
        {"list.txt", "-i 1 A\n-i 5 B\nx.shp\n", kOpenFailed + kNoMap, "MapID 00000001 A\n" + goOn},
        // A long line is read in pieces of at most 1199 characters; a map name
        // is cut there and the rest of its line is a file line.
        {"list.txt", "-i 7 Po\n" + std::string(5000, 'a') + "\n-i 8 Dalej\n",
         piece + piece + piece + piece + unsupported + std::string(5000 - 4 * 1199, 'a') + "\n",
         "MapID 00000007 Po\nMapID 00000008 Dalej\n" + goOn},
        {"list.txt", "-i 6 " + std::string(1500, 'n') + "\n", unsupported + std::string(1500 - 1194, 'n') + "\n",
         "MapID 00000006 " + std::string(1199 - 5, 'n') + "\n" + goOn},
    };
    std::filesystem::create_directory(file("adir"));
    std::filesystem::create_directory(file("00000005.mp"));
    for (const Case& c : cases) {
        if (c.name == "list.txt") writeFile(file(c.name), c.list);
        SCOPED_TRACE(c.name + ": " + c.list.substr(0, 20));
        EXPECT_EQ(runGeoconv(dir.path, {"-@", c.name, "-i", "9", "Z"}), (RunResult{c.status, c.out, c.err}));
    }
}

}  // namespace
