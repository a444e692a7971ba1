// The sheet-name reading of the batch script over arbitrary names: a name is
// taken only in its one form, with a MapID from its group's block, and a
// refused name leaves the entry as it was.
#include "batch/batch.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string name(reinterpret_cast<const char*>(data), size);  // cut at a zero byte by the reader
    const char* text = name.c_str();
    batch::SheetEntry entry;
    entry.mapId = 7;
    std::strcpy(entry.name, "unchanged");
    int result = batch::readSheetName(text, entry);
    if (result < -1 || result > 1) std::abort();
    if (result == 0 && (entry.mapId != 7 || std::strcmp(entry.name, "unchanged") != 0)) std::abort();
    bool form = std::strlen(text) == 8 && (text[0] == 'm' || text[0] == 'n') &&
                (std::strcmp(text + 6, "ab") == 0 || std::strcmp(text + 6, "cd") == 0);
    // Six groups of 145 consecutive numbers.
    bool inBlock = entry.mapId >= 75831296 && entry.mapId <= 75832165;
    if (result == 1 && (!form || std::strcmp(entry.name, text) != 0 || !inBlock)) std::abort();
    return 0;
}
