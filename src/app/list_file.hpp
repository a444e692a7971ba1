// Output maps started by -i and list files (-@).
#pragma once

#include <cstdint>

namespace app {

// 1 when the new map is open, 0 otherwise (message printed). A MapID whose
// map this run already opened is refused.
int startMap(const char* mapIdText, const char* mapName);

// Forgets the MapIDs opened so far: a new run starts.
void forgetStartedMaps();

// 1 when the list was read to its end or left early for a missing map or a
// write error; 0 when it cannot be read or holds a bad line.
int runListFile(const char* path);

// Reads a MapID text as "%i%c": one whole number with nothing after it, from
// 1 to 99999999. 1 and mapId set, or 0.
int parseMapId(const char* text, uint32_t& mapId);

// Converts one input file into the open map: 1 to go on with the next input,
// 0 when no map is open or the map is in write error (message printed).
int convertInputFile(const char* path);

// One list-file line, trimmed and cut in place.
enum class ListLineKind { empty, inputFile, mapLine, unknownOption, badMapName };

struct ListLine {
    ListLineKind kind = ListLineKind::empty;
    char* text = nullptr;       // the trimmed line (cut after the MapID text on a map line)
    char* mapIdText = nullptr;  // map line only
    char* mapName = nullptr;    // map line only
};

// Trims a zero-terminated line in place and tells what it holds.
ListLine splitListLine(char* line);

}  // namespace app
