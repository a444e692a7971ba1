#include "app/driver.hpp"

#include "app/list_file.hpp"
#include "batch/batch.hpp"
#include "input/run_flags.hpp"
#include "catalog/catalog.hpp"
#include "catalog/statistics.hpp"
#include "catalog/type_file.hpp"
#include "mp/output_map.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace app {

namespace {

// -s: print the statistics at the end of the run.
bool statisticsRequest = false;

// An option routine gets the option letter and the values the option takes;
// it returns 1 to go on with the walk, 0 to stop it.
using OptionAction = int (*)(char letter, int count, char** values);

constexpr int kAllRemaining = -1;

// Exit status of a run that printed a failure (a file not converted, a map not
// written, an argument or a list refused).
constexpr int kExitFailed = 2;

int showUsage(char, int, char**) {
    printUsage();
    return 1;
}

int readList(char, int, char** values) {
    return runListFile(values[0]);
}

int writeBatch(char letter, int count, char** values) {
    // The batch script generator takes every argument after the option; the
    // walk ends behind it whatever it returns.
    batch::writeBatchScript(count, values, letter);
    return 0;
}

int listCatalogue(char, int, char**) {
    catalog::printObjectTypes();
    return 1;
}

int setLogUnknownValues(char, int, char**) {
    input::logUnknownValues = 1;
    return 1;
}

int setFlatShapes(char, int, char**) {
    input::flatShapes = 1;
    return 1;
}

int setRoutableRoads(char, int, char**) {
    input::routableRoads = 1;
    return 1;
}

int headerParam(char, int, char** values) {
    return addHeaderParam(values[0]);
}

int newMap(char, int, char** values) {
    return startMap(values[0], values[1]);
}

int requestStatistics(char, int, char**) {
    statisticsRequest = true;
    return 1;
}

int typeDescription(char, int, char** values) {
    return catalog::readTypeDescription(values[0]);
}

struct OptionRow {
    char letter;
    int takes;                  // values taken, or kAllRemaining
    const char* missingValues;  // message when too few arguments are left
    OptionAction action;
};

constexpr OptionRow kOptions[] = {
    {'?', 0, nullptr, showUsage},
    {'@', 1, "brak nazwy listy plikow dla opcji -@\n"_cp, readList},
    {'b', kAllRemaining, nullptr, writeBatch},
    {'B', kAllRemaining, nullptr, writeBatch},
    {'d', 0, nullptr, listCatalogue},
    {'g', 0, nullptr, setLogUnknownValues},
    {'h', 1, "brak parametru dla opcji -h\n"_cp, headerParam},
    {'i', 2, "brak numeru MapID dla opcji -i\n"_cp, newMap},
    {'s', 0, nullptr, requestStatistics},
    {'t', 1, "brak nazwy zbioru dla opcji -t\n"_cp, typeDescription},
    {'z', 0, nullptr, setFlatShapes},
    {'r', 0, nullptr, setRoutableRoads},
};

const OptionRow* findOption(char letter) {
    for (const OptionRow& row : kOptions)
        if (row.letter == letter) return &row;
    return nullptr;
}

// Acts on the argument at index i; returns the number of arguments used, or
// 0 when the walk stops.
int walkStep(int i, int argc, char** argv) {
    const char* argument = argv[i];
    if (argument[0] != '-') return convertInputFile(argument);
    // Only the second character selects the option; a lone "-" has none.
    const OptionRow* row = argument[1] != '\0' ? findOption(argument[1]) : nullptr;
    if (!row) {
        report::failure("nieznana opcja %s\n"_cp, argument);
        return 0;
    }
    int left = argc - i - 1;
    int takes = row->takes == kAllRemaining ? left : row->takes;
    if (takes > left) {
        report::failure("%s", row->missingValues);
        return 0;
    }
    if (!row->action(row->letter, takes, argv + i + 1)) return 0;
    return 1 + takes;
}

void endRun() {
    if (mp::outputMap.MapID != 0) mp::closeMap();
    if (statisticsRequest) {
        catalog::printObjectStatistics();
        catalog::printTreeSpeciesStatistics();
    }
}

}  // namespace

void printUsage() {
    report::out(
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
        "\tg - logowanie nieznanych wartości\n"
        "\tz - typy SHP z wysokoscia lub miara (11, 13, 15, 21, 23, 25) jako plaskie\n"
        "\tr - drogi z parametrami do wyznaczania tras\n"
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
        "\n"_cp);
}

int addHeaderParam(const char* text) {
    mp::OutputMap& map = mp::outputMap;
    if (map.headerParamCount >= mp::kMaxHeaderParams) {
        report::failure("przekroczona maksymalna liczba 10 parametrow -h\n"_cp);
        return 0;
    }
    map.headerParams[map.headerParamCount++] = text;
    return 1;
}

int runGeoconv(int argc, char** argv) {
    report::collectErrors();
    // The run's own failures and maps count, should the process run again.
    int failuresBefore = report::failureCount();
    forgetStartedMaps();
    if (argc < 2) {
        printUsage();
        return 1;
    }
    for (int i = 1; i < argc;) {
        int used = walkStep(i, argc, argv);
        if (used == 0) break;
        i += used;
    }
    endRun();
    // A script running the converter tells a complete conversion from one
    // that lost a file, a map or an argument.
    return report::failureCount() != failuresBefore ? kExitFailed : 0;
}

}  // namespace app
