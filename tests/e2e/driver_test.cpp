#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using testsupport::readFile;
using testsupport::RunResult;
using testsupport::writeFile;

const std::string kUsage =
    "\n"
    "geoconv v0.2.0.397\n"
    "\n"
    "\n"
    "wywolanie:\n"
    "  geoconv [-h Parmetr=X] [-t plik] [-opcje] -i MapID nazwa  plik.shp...\n"
    "\th - dodatkowa komenda do sekcji [IMG ID], nalezy podac przed opcja -i\n"
    "\tt - podanie opisu stosowanych typow obiektow\n"
    "\ti - rozpoczecie nowego zbioru z ID i nazwa w sekcji [IMG ID]\n"
    "  opcje:\n"
    "\td - wyswietlenie opisu stosowanych typow obiektow\n"
    "\ts - wyswietlenie statystyki wystepowania obiektow\n"
    "\tg - logowanie nieznanych warto\x9C" "ci\n"
    "\n"
    "Parametr MapID oraz nazwy plikow moga byc podane w zbiorze wejsciowym:\n"
    "  geoconv -@ lista_plikow\n"
    "\n"
    "Utworzenie batcha make_all.bat, osobne listy plikow dla kazdej mapy:\n"
    "  geoconv -b [opcje]\n"
    "\n"
    "Utworzenie batcha make_all.bat, wspolna lista dla wszystkich map:\n"
    "  geoconv -B [opcje]\n"
    "\n"
    "Opis typow obiektow ma postac wierszy o nastepujacej skladni:\n"
    "  Obiekt  TypG  LevelM  FlagaEt  FlagaOb  TypP\n"
    "\tObiekt  - identyfikator obiektu stosowany przez geoconv\n"
    "\tTypG    - typ Garmina dla obiektu, 0 oznacza ignorowanie obiektu\n"
    "\tLevelM  - maksymalny poziom, do ktorego zostanie zapisany obiekt\n"
    "\tFlagaEt - czy wpisywac zastepcze etykiety\n"
    "\tFlagaOb - czy zmieniac level zaleznie od wielkosci obszaru obiektu\n"
    "\tTypP    - typ dodatkowego POI tworzonego dla obszarow\n"
    "\tflagi przyjmuja wartosc 0 lub 1, 1 oznacza \"TAK\"\n"
    "\n";

const std::string kNoMap = "brak MapID dla zbioru wyj\x9C" "ciowego\n";

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

// One line of the -d listing.
std::string listingLine(const char* id, unsigned typG, int levelM, int flagaEt, int flagaOb,
                        unsigned typP) {
    char type[16], line[96];
    std::snprintf(type, sizeof type, "0x%02x", typG);
    std::snprintf(line, sizeof line, "%-14s %8s %2d %2d %2d", id, type, levelM, flagaEt, flagaOb);
    std::string text = line;
    if (typP) {
        std::snprintf(type, sizeof type, "0x%02x", typP);
        text += std::string("   ") + type;
    }
    return text + "\n";
}

// The -d listing as the catalogue table gives it, with the lines of the
// identifiers in `changed` replaced.
std::string catalogueListing(const std::vector<std::pair<std::string, std::string>>& changed = {}) {
    struct Row {
        const char* id;
        unsigned typG;
        int levelM, flagaEt, flagaOb;
        unsigned typP;
    };
    static const Row kRows[] = {
#define OBJ(id, typG, levelM, flagaEt, flagaOb, typP, label) {#id, typG, levelM, flagaEt, flagaOb, typP},
#include "catalog/catalogue.def"
#undef OBJ
    };
    std::string listing;
    for (std::size_t i = 1; i < std::size(kRows); ++i) {
        const Row& r = kRows[i];
        std::string line = listingLine(r.id, r.typG, r.levelM, r.flagaEt, r.flagaOb, r.typP);
        for (const auto& [id, replacement] : changed)
            if (id == r.id) line = replacement;
        listing += line;
    }
    return listing;
}

// Compares long texts line by line, so a failure shows the first difference.
void expectSameLines(const std::string& actual, const std::string& expected) {
    std::size_t a = 0, e = 0;
    int number = 1;
    while (a < actual.size() && e < expected.size()) {
        std::size_t aEnd = actual.find('\n', a), eEnd = expected.find('\n', e);
        std::string aLine = actual.substr(a, aEnd - a), eLine = expected.substr(e, eEnd - e);
        ASSERT_EQ(aLine, eLine) << "line " << number;
        if (aEnd == std::string::npos || eEnd == std::string::npos) break;
        a = aEnd + 1;
        e = eEnd + 1;
        ++number;
    }
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
}

class Driver : public ::testing::Test {
protected:
    RunResult run(const std::vector<std::string>& args) { return testsupport::runGeoconv(dir.path, args); }
    std::string file(const std::string& name) const { return dir.file(name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }
    std::string map(const std::string& name) const { return readFile(file(name)); }

    // An input shapefile of a layer nobody knows: loaded, noted, nothing drawn.
    void writeUnknownLayer(const std::string& name) {
        writeFile(file(name + ".shp"), testsupport::buildShp({{testsupport::pointShape(19.5, 50.1)}}));
        writeFile(file(name + ".dbf"), testsupport::buildDbf({{"NAM"}}, {{"Nic"}}));
    }

    testsupport::TempDir dir;
};

TEST_F(Driver, UsageAndExitCodes) {
    RunResult none = run({});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, kUsage);
    EXPECT_EQ(none.err, "");

    RunResult help = run({"-?"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, kUsage);

    RunResult twice = run({"-?", "-?xyz"});
    EXPECT_EQ(twice.exitCode, 0);
    EXPECT_EQ(twice.out, kUsage + kUsage);
}

TEST_F(Driver, ListsTheCatalogue) {
    std::string listing = catalogueListing();
    RunResult r = run({"-d"});
    EXPECT_EQ(r.exitCode, 0);
    expectSameLines(r.out, listing);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("op_lotnisko      0x5900  2  0  0\n"), std::string::npos);
    EXPECT_NE(r.out.find("\noa_lotnisko        0x07  3  1  0   0x5900\n"), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 318);
    EXPECT_TRUE(run({"-dxyz"}).out == listing);  // only the second character counts
}

TEST_F(Driver, ListingShowsATypeFileReadBeforeIt) {
    writeFile(file("types.txt"), "op_lotnisko 0x5901 3 1 1 0x2800\r\noa_las 0 -1 200\r\n");
    RunResult r = run({"-d", "-t", "types.txt", "-d"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    std::string changed = catalogueListing({
        {"op_lotnisko", "op_lotnisko      0x5901  3  1  1   0x2800\n"},
        {"oa_las", "oa_las             0x00  2 200  1\n"},
    });
    expectSameLines(r.out, catalogueListing() + changed);
}

TEST_F(Driver, TypeFileFailuresStopTheWalk) {
    writeFile(file("bad.txt"), "OP_LOTNISKO 1\r\nop_basen\r\n\r\nop_lotnisko 0x10");
    RunResult r = run({"-t", "bad.txt", "-d"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "nieznany obiekt OP_LOTNISKO w opisie typow\n"
                     "brak parametr\xF3w obiektu op_basen w opisie typow\n");

    writeFile(file("empty.txt"), std::string("\r\n\0\t", 4));
    r = run({"-t", "empty.txt", "-d"});
    EXPECT_EQ(r.err, "brak danych w opisie typow\n");
    EXPECT_EQ(r.out, "");

    r = run({"-t", "absent.txt", "-?"});
    EXPECT_EQ(r.err, "blad otwarcia pliku absent.txt\n");
    EXPECT_EQ(r.out, "");

    // NUL bytes end lines, and a last line without its end still counts.
    writeFile(file("nul.txt"), std::string("op_basen 0x2d0a\0oa_las 0x15", 27));
    r = run({"-t", "nul.txt", "-d"});
    EXPECT_EQ(r.err, "");
    expectSameLines(r.out, catalogueListing({{"op_basen", listingLine("op_basen", 0x2d0a, 0, 0, 0, 0)},
                                             {"oa_las", listingLine("oa_las", 0x15, 2, 0, 1, 0)}}));
}

TEST_F(Driver, MapsCarryTheHeaderParametersGivenBeforeThem) {
    RunResult r = run({"-h", "A=1", "-i", "1", "X", "-h", "B=2", "-i", "0x2", "Y Z", "-i", "12345678", "W"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "MapID 00000001 X\nMapID 00000002 Y Z\nMapID 12345678 W\n");
    EXPECT_EQ(map("00000001.mp"), header(";ID=I0000001\nID=00000001\n", "X", "A=1\n"));
    EXPECT_EQ(map("00000002.mp"), header(";ID=I0000002\nID=00000002\n", "Y Z", "A=1\nB=2\n"));
    EXPECT_EQ(map("12345678.mp"), header(";ID=I0BC614E\nID=12345678\n", "W", "A=1\nB=2\n"));

    r = run({"-i", "99999999", "M"});
    EXPECT_EQ(map("99999999.mp"), header(";ID=I5F5E0FF\nID=99999999\n", "M"));
    r = run({"-i", "010", "O"});
    EXPECT_EQ(r.out, "MapID 00000008 O\n");
    EXPECT_TRUE(exists("00000008.mp"));
}

TEST_F(Driver, BadMapIdsStopTheWalk) {
    for (std::string id : {"0", "-5", "100000000", "12a", "12 ", "", "99999999999", "4294967297"}) {
        RunResult r = run({"-i", id, "N", "-?"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, "zly numer MapID " + id + " dla opcji -i\n") << id;
        EXPECT_EQ(r.out, "") << id;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));

    // A map file that cannot be created stops the walk; in a list the file
    // lines after it find no map.
    std::filesystem::create_directory(file("00000005.mp"));
    const std::string openFailed =
        "blad otwarcia pliku mp 00000005.mp\nblad otwarcia pliku wyjsciowego 00000005.mp\n";
    RunResult failed = run({"-i", "5", "A", "-?"});
    EXPECT_EQ(failed.err, openFailed);
    EXPECT_EQ(failed.out, "");
    writeFile(file("list.txt"), "-i 1 A\n-i 5 B\nx.shp\n");
    failed = run({"-@", "list.txt", "-i", "6", "C"});
    EXPECT_EQ(failed.err, openFailed + kNoMap);
    EXPECT_EQ(failed.out, "MapID 00000001 A\nMapID 00000006 C\n");
    EXPECT_EQ(map("00000001.mp"), header(";ID=I0000001\nID=00000001\n", "A"));

    // The map open before stays open and is closed at the end.
    RunResult r = run({"-i", "3", "A", "-i", "0", "B"});
    EXPECT_EQ(r.out, "MapID 00000003 A\n");
    EXPECT_EQ(map("00000003.mp"), header(";ID=I0000003\nID=00000003\n", "A"));
}

TEST_F(Driver, StopRules) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"a.shp", "-?"}, kNoMap},
        {{"-h"}, "brak parametru dla opcji -h\n"},
        {{"-t"}, "brak nazwy zbioru dla opcji -t\n"},
        {{"-i", "5"}, "brak numeru MapID dla opcji -i\n"},
        {{"-i"}, "brak numeru MapID dla opcji -i\n"},
        {{"-x", "-?"}, "nieznana opcja -x\n"},
        {{"-", "-?"}, "nieznana opcja -\n"},
        {{"-I", "1", "X"}, "nieznana opcja -I\n"},
        {{"-b", "-x", "-?"}, ""},
        {{"-s", "-B", "a.shp"}, ""},
        {{"-g", "-s"}, ""},
    };
    for (const Case& c : cases) {
        RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
    }
    RunResult r = run({"-@"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("-@"), std::string::npos);

    // Option values are taken as they are, even when they begin with "-".
    r = run({"-h", "-x", "-i", "-5", "-?"});
    EXPECT_EQ(r.err, "zly numer MapID -5 dla opcji -i\n");
}

TEST_F(Driver, EleventhHeaderParameterStopsButTheMapIsClosed) {
    std::vector<std::string> args = {"-i", "4", "A"};
    for (int i = 0; i < 11; ++i) {
        args.push_back("-h");
        args.push_back(std::string("P=") + static_cast<char>('A' + i));
    }
    args.push_back("-d");
    RunResult r = run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "przekroczona maksymalna liczba 10 parametrow -h\n");
    EXPECT_EQ(r.out, "MapID 00000004 A\n");
    EXPECT_EQ(map("00000004.mp"), header(";ID=I0000004\nID=00000004\n", "A"));
}

TEST_F(Driver, ListFileStartsMapsAndFeedsThem) {
    writeUnknownLayer("XYZW");
    writeFile(file("list.txt"),
              "   \r\n"
              "  -i   00000042   Mapa testowa  \r\n"
              "XYZW.shp\r\n"
              "-i 0 Zla\r\n"  // refused: the files that follow go into map 42
              "XYZW.shp\r\n"
              "-i 00000089 Druga\n");
    RunResult r = run({"-@", "list.txt", "XYZW.shp"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "MapID 00000042 Mapa testowa\nMapID 00000089 Druga\n");
    const std::string unknownLayer = "nieznana nazwa pliku XYZW.shp\n";
    EXPECT_EQ(r.err, unknownLayer + "zly numer MapID 0 dla opcji -i\n" + unknownLayer + unknownLayer);
    EXPECT_EQ(map("00000042.mp"), header(";ID=I000002A\nID=00000042\n", "Mapa testowa") +
                                      ";plik XYZW.shp\n;plik XYZW.shp\n");
    // The list's last map stays open for the command line's files.
    EXPECT_EQ(map("00000089.mp"), header(";ID=I0000059\nID=00000089\n", "Druga") + ";plik XYZW.shp\n");
}

TEST_F(Driver, ListFileMessages) {
    struct Case {
        std::string list;
        std::string err;
        std::string out;  // after the list: -i 9 Z shows whether the walk went on
    };
    const Case cases[] = {
        {"-i\n", "nieznana opcja w liscie plikow -i\n", ""},
        {"-x 42 A\n", "nieznana opcja w liscie plikow -x 42 A\n", ""},
        {"-@ other.txt\n", "nieznana opcja w liscie plikow -@ other.txt\n", ""},
        {"-i 42\r\n", "zla nazwa mapy w liscie plikow -i 42\n", ""},
        {"-i 42   \n", "zla nazwa mapy w liscie plikow -i 42\n", ""},
        {"a.shp\nb.shp\n-i 1 A\n", kNoMap, "MapID 00000009 Z\n"},
        {"", "", "MapID 00000009 Z\n"},
    };
    for (const Case& c : cases) {
        writeFile(file("list.txt"), c.list);
        RunResult r = run({"-@", "list.txt", "-i", "9", "Z"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, c.err) << c.list;
        EXPECT_EQ(r.out, c.out) << c.list;
    }
    RunResult r = run({"-@", "absent.txt", "-?"});
    EXPECT_EQ(r.err, "blad otwarcia listy plik\xF3w, plik: absent.txt\n");
    EXPECT_EQ(r.out, "");

    std::filesystem::create_directory(file("adir"));
    r = run({"-@", "adir", "-?"});
    EXPECT_EQ(r.err, "blad odczytu listy plik\xF3w, plik: adir.\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(Driver, LongListLinesAreReadInPiecesWithoutHarm) {
    // A 5000-character line is read as pieces of at most 1199 characters.
    std::string longLine(5000, 'a');
    writeFile(file("long.txt"), longLine + "\r\n-i 7 Po\r\n" + std::string(3000, ' ') + "\r\n");
    RunResult r = run({"-@", "long.txt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, kNoMap);
    EXPECT_EQ(r.out, "");

    writeFile(file("long.txt"), "-i 7 Po\n" + longLine + "\n-i 8 Dalej\n");
    r = run({"-@", "long.txt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "MapID 00000007 Po\nMapID 00000008 Dalej\n");
    std::string piece = "plik powinien miec rozszerzenie *.shp: " + std::string(1199, 'a') + "\n";
    EXPECT_EQ(r.err, piece + piece + piece + piece + "plik powinien miec rozszerzenie *.shp: " +
                         std::string(5000 - 4 * 1199, 'a') + "\n");

    // A map name that runs past the buffer is cut there.
    writeFile(file("long.txt"), "-i 6 " + std::string(1500, 'n') + "\n");
    r = run({"-@", "long.txt"});
    EXPECT_EQ(r.out, "MapID 00000006 " + std::string(1199 - 5, 'n') + "\n");
    // The rest of the line is read as a file line for the map now open.
    EXPECT_EQ(r.err, "plik powinien miec rozszerzenie *.shp: " + std::string(1500 - 1194, 'n') + "\n");
}

TEST_F(Driver, FinalWriteFailureIsReported) {
    ASSERT_EQ(symlink("/dev/full", file("00000001.mp").c_str()), 0);
    RunResult r = run({"-i", "1", "X"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "MapID 00000001 X\n");
    EXPECT_EQ(r.err, "blad zapisu pliku wyjsciowego 00000001.mp\n");

    // A failure seen after an input file stops the walk and is reported once.
    writeUnknownLayer("XYZW");
    r = run({"-i", "1", "X", "XYZW.shp", "-i", "2", "Y"});
    EXPECT_EQ(r.out, "MapID 00000001 X\n");
    EXPECT_EQ(r.err, "nieznana nazwa pliku XYZW.shp\nblad zapisu pliku wyjsciowego 00000001.mp\n");
    EXPECT_FALSE(exists("00000002.mp"));
}

}  // namespace
