#include "app/list_file.hpp"

#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "input/files.hpp"
#include "layers/dispatch.hpp"
#include "mp/output_map.hpp"
#include "text/report.hpp"
#include "text/scan.hpp"

using namespace text::literals;

namespace app {

namespace {

// A list line holds at most 1199 characters; the rest of a longer line is
// read as the next line.
constexpr int kListLineSize = 1200;

constexpr uint32_t kHighestMapId = 99999999;

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

char* skipBlanks(char* p) {
    while (*p != '\0' && isBlankOrControl(*p)) ++p;
    return p;
}

}  // namespace

int parseMapId(const char* text, uint32_t& mapId) {
    int32_t value = 0;
    const char* end = text::scanInt(text, value);
    if (end == nullptr || *end != '\0') return 0;  // no number, or something behind it
    // Taken as unsigned, so a negative number lands far above the limit.
    uint32_t number = static_cast<uint32_t>(value);
    if (number == 0 || number > kHighestMapId) return 0;
    mapId = number;
    return 1;
}

namespace {

// Reads the MapID text of a list line. The batch script writes it as eight
// zero-padded decimal digits ("-i %08u"), which the octal rule of "%i" would
// misread (00000042 as 34, 00000089 not at all), so a text of decimal digits
// only is read as decimal here; any other text follows parseMapId.
int parseListMapId(const char* text, uint32_t& mapId) {
    const char* p = text;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == text || *p != '\0') return parseMapId(text, mapId);
    while (text[0] == '0' && text[1] != '\0') ++text;
    return parseMapId(text, mapId);
}

// The MapIDs whose maps this run opened: a second map of the same number
// would overwrite the first.
std::unordered_set<uint32_t> usedMapIds;

// Steps 2 to 6 of starting a map, once its number has been read.
int openNumberedMap(uint32_t mapId, const char* mapName) {
    mp::OutputMap& map = mp::outputMap;
    if (map.MapID != 0) mp::closeMap();
    map.MapID = 0;
    std::snprintf(map.outputPath, sizeof map.outputPath, "%08d.mp", static_cast<int>(mapId));
    if (!mp::openMap(map.outputPath, mapId, mapName)) {
        report::failure("blad otwarcia pliku wyjsciowego %s\n"_cp, map.outputPath);
        return 0;
    }
    report::out("MapID %08d %s\n"_cp, static_cast<int>(mapId), mapName);
    map.MapID = mapId;
    usedMapIds.insert(mapId);
    return 1;
}

// Starts a map with a MapID read by `parse`; a refused text is quoted as given.
int startMapWith(int (*parse)(const char*, uint32_t&), const char* mapIdText, const char* mapName) {
    uint32_t mapId = 0;
    if (!parse(mapIdText, mapId)) {
        report::failure("zly numer MapID %s dla opcji -i\n"_cp, mapIdText);
        return 0;
    }
    // Refused like a bad number: the open map stays open and unchanged.
    if (usedMapIds.count(mapId) != 0) {
        report::failure("MapID %08u juz uzyty w tym uruchomieniu\n"_cp, mapId);
        return 0;
    }
    return openNumberedMap(mapId, mapName);
}

}  // namespace

int startMap(const char* mapIdText, const char* mapName) {
    return startMapWith(parseMapId, mapIdText, mapName);
}

void forgetStartedMaps() {
    usedMapIds.clear();
}

int convertInputFile(const char* path) {
    if (mp::outputMap.MapID == 0) {
        report::failure("brak MapID dla zbioru wyjściowego\n"_cp);
        return 0;
    }
    layers::dispatchLayerFile(path);  // a failed layer does not stop the run
    report::flushErrors();            // each file's messages as soon as it is done
    if (mp::mapWriteStatus() != 0) {
        report::failure("blad zapisu pliku wyjsciowego %s\n"_cp, mp::outputMap.outputPath);
        return 0;
    }
    return 1;
}

ListLine splitListLine(char* line) {
    ListLine result;
    std::size_t length = std::strlen(line);
    while (length > 0 && isBlankOrControl(line[length - 1])) --length;
    line[length] = '\0';
    char* p = skipBlanks(line);
    if (*p == '\0') return result;
    result.text = p;
    if (p[0] != '-') {
        result.kind = ListLineKind::inputFile;
        return result;
    }
    if (p[1] != 'i' || p[2] != ' ') {
        result.kind = ListLineKind::unknownOption;
        return result;
    }
    char* idStart = skipBlanks(p + 3);
    char* idEnd = idStart;
    while (*idEnd != '\0' && !isBlankOrControl(*idEnd)) ++idEnd;
    char* name = skipBlanks(idEnd);
    *idEnd = '\0';  // the line now ends after the MapID text
    if (idStart == idEnd || *name == '\0') {
        result.kind = ListLineKind::badMapName;
        return result;
    }
    result.kind = ListLineKind::mapLine;
    result.mapIdText = idStart;
    result.mapName = name;
    return result;
}

int runListFile(const char* path) {
    // Read as bytes on every platform: line ends are cut with the trailing
    // control characters anyway, and a Ctrl-Z inside a list does not end it
    // early on Windows.
    std::FILE* file = input::openFile(path, "rb");
    if (!file) {
        report::failure("blad otwarcia listy plików, plik: %s\n"_cp, path);
        return 0;
    }
    char line[kListLineSize];
    int result = 1;
    bool goOn = true;
    while (goOn && std::fgets(line, sizeof line, file)) {
        ListLine entry = splitListLine(line);
        switch (entry.kind) {
            case ListLineKind::empty:
                break;
            case ListLineKind::inputFile:
                // A missing map or a write error leaves the list; the run goes on.
                goOn = convertInputFile(entry.text) != 0;
                break;
            case ListLineKind::mapLine:
                // A refused MapID or a failed open does not end the list.
                startMapWith(parseListMapId, entry.mapIdText, entry.mapName);
                break;
            case ListLineKind::unknownOption:
                report::failure("nieznana opcja w liscie plikow %s\n"_cp, entry.text);
                result = 0;
                goOn = false;
                break;
            case ListLineKind::badMapName:
                report::failure("zla nazwa mapy w liscie plikow %s\n"_cp, entry.text);
                result = 0;
                goOn = false;
                break;
        }
    }
    if (goOn && std::ferror(file)) {
        report::failure("blad odczytu listy plików, plik: %s.\n"_cp, path);
        result = 0;
    }
    std::fclose(file);
    return result;
}

}  // namespace app
