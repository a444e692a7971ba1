// Output maps started by -i and list files (-@).
#pragma once

namespace app {

// 1 when the new map is open, 0 otherwise (message printed).
int startMap(const char* mapIdText, const char* mapName);

// 1 when the list was read to its end or left early for a missing map or a
// write error; 0 when it cannot be read or holds a bad line.
int runListFile(const char* path);

}  // namespace app
