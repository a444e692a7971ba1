// The batch script make_all.bat, which converts every map-sheet directory
// below the current directory: one map per sheet (-b) or one common list
// for all sheets (-B).
#pragma once

#include <cstdint>

namespace batch {

// Sheets taken from one directory at most.
inline constexpr int kMaxSheets = 1000;

struct SheetEntry {
    char name[12] = {};  // directory name, zero-terminated
    uint32_t mapId = 0;
};

// Reads a directory name as a sheet name: "m" or "n", a decimal number
// G*1000+S, then "ab" or "cd", 8 characters in all (m34131ab). Returns 1 with
// the entry filled, -1 for a sheet name outside the groups 33 to 35 or with
// a sheet number S above 144, 0 for any other name (entry untouched).
int readSheetName(const char* name, SheetEntry& entry);

// Writes make_all.bat for the sheet directories of the current directory,
// with `args` (the arguments after the option) on every geoconv line; mode
// 'B' makes one common list, any other letter one list per map. Returns 1
// when the script was written, 0 otherwise (reported).
int writeBatchScript(int count, char** args, char mode);

}  // namespace batch
