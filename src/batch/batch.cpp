#include "batch/batch.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "output/replace_file.hpp"
#include "text/ascii.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace batch {

namespace {

namespace fs = std::filesystem;

constexpr int kSheetNameLength = 8;
constexpr uint32_t kFirstMapId = 75831296;
constexpr uint32_t kSheetsPerGroup = 145;

// The script is for the Windows command interpreter, so its lines end in
// CR LF wherever it is written.
constexpr const char* kLineEnd = "\r\n";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// White space as formatted input skips it before a number.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The entry's name when it is made of exactly 8 ASCII characters (no other
// name can be a sheet name); the native name may be wide.
template <class Native>
bool shortAsciiName(const Native& native, char (&out)[kSheetNameLength + 1]) {
    if (native.size() != kSheetNameLength) return false;
    for (int i = 0; i < kSheetNameLength; ++i) {
        long code = static_cast<long>(native[i]);
        if (code < 1 || code > 127) return false;
        out[i] = static_cast<char>(code);
    }
    out[kSheetNameLength] = '\0';
    return true;
}

// Collects the sheet directories of the current directory in listing order.
// Plain files are left out even when named like sheets: the script could
// not enter them. Returns 0 when the directory cannot be listed.
int collectSheets(std::vector<SheetEntry>& sheets) {
    std::error_code error;
    fs::directory_iterator entry(".", error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        char name[kSheetNameLength + 1];
        SheetEntry sheet;
        std::error_code typeError;
        if (!shortAsciiName(entry->path().filename().native(), name)) continue;
        int read = readSheetName(name, sheet);
        if (read == 0 || !entry->is_directory(typeError)) continue;
        if (read < 0) {
            report::out("pominiete %s\n"_cp, name);
            continue;
        }
        if (sheets.size() == kMaxSheets) {
            report::out("analiza 1000 katalogów, dalsze pominięte\n"_cp);
            break;
        }
        sheets.push_back(sheet);
    }
    if (error) {
        report::failure("blad odwarcia kartoteki\n"_cp);
        return 0;
    }
    return 1;
}

// Case-insensitive order of at most 11 characters, so a sheet's "ab" half
// stands directly before its "cd" half.
bool sheetBefore(const SheetEntry& a, const SheetEntry& b) {
    for (std::size_t i = 0; i + 1 < sizeof a.name; ++i) {
        unsigned char x = static_cast<unsigned char>(text::foldAscii(a.name[i]));
        unsigned char y = static_cast<unsigned char>(text::foldAscii(b.name[i]));
        if (x != y) return x < y;
        if (x == 0) break;
    }
    return false;
}

// The lines that enter one sheet directory and list its ".shp" and ".mp"
// files into `list`, a new list or one appended to.
void listSheet(std::string& script, const SheetEntry& sheet, const char* list, bool newList) {
    script.append("cd ").append(sheet.name).append(kLineEnd);
    script.append(newList ? "dir /b /s *.shp > ..\\" : "dir /b /s *.shp >> ..\\").append(list);
    script.append(" 2> NUL").append(kLineEnd);
    script.append("dir /b /s *.mp >> ..\\").append(list).append(" 2> NUL").append(kLineEnd);
    script.append("cd ..").append(kLineEnd);
}

// A geoconv line: the arguments given after the option, then `tail`.
void geoconvLine(std::string& script, int count, char** args, const char* tail) {
    script.append("geoconv");
    for (int i = 0; i < count; ++i) script.append(" ").append(args[i]);
    script.append(tail).append(kLineEnd);
}

std::string scriptText(const std::vector<SheetEntry>& sheets, int count, char** args, bool commonList) {
    std::string script = std::string("@echo off") + kLineEnd;
    if (commonList) script.append("del geoconv.lst 2> NUL").append(kLineEnd);
    for (std::size_t i = 0; i < sheets.size();) {
        const SheetEntry& sheet = sheets[i++];
        char list[16];
        char mapLine[64];
        std::snprintf(list, sizeof list, "%08u.lst", static_cast<unsigned>(sheet.mapId));
        std::snprintf(mapLine, sizeof mapLine, " -i %08u %.3s-%.3s", static_cast<unsigned>(sheet.mapId),
                      sheet.name, sheet.name + 3);
        if (commonList) script.append("echo").append(mapLine).append(" >> geoconv.lst").append(kLineEnd);
        const char* listName = commonList ? "geoconv.lst" : list;
        listSheet(script, sheet, listName, !commonList);
        // The other half of the sheet shares its map.
        if (i < sheets.size() && sheets[i].mapId == sheet.mapId) listSheet(script, sheets[i++], listName, false);
        if (!commonList) {
            std::string tail = std::string(mapLine) + " -@ " + list;
            geoconvLine(script, count, args, tail.c_str());
            script.append("del ").append(list).append(kLineEnd).append(kLineEnd);
        }
    }
    if (commonList) {
        geoconvLine(script, count, args, " -@ geoconv.lst");
        script.append("del geoconv.lst").append(kLineEnd).append(kLineEnd);
    }
    return script;
}

}  // namespace

int readSheetName(const char* name, SheetEntry& entry) {
    int length = 0;
    while (length <= kSheetNameLength && name[length] != '\0') ++length;
    if (length != kSheetNameLength) return 0;
    // The number is read as formatted input reads an unsigned one: white
    // space and a sign may stand before its digits.
    const char* p = name + 1;
    while (isSpace(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!isDigit(*p)) return 0;
    uint32_t number = 0;
    while (isDigit(*p)) number = number * 10 + static_cast<uint32_t>(*p++ - '0');
    if (negative) number = 0u - number;
    // Exactly two characters follow the number: "ab" or "cd".
    if (p != name + kSheetNameLength - 2) return 0;
    bool half = (p[0] == 'a' && p[1] == 'b') || (p[0] == 'c' && p[1] == 'd');
    if ((name[0] != 'm' && name[0] != 'n') || !half) return 0;
    uint32_t group = number / 1000;
    uint32_t sheet = number % 1000;
    if (group < 33 || group > 35 || sheet >= kSheetsPerGroup) return -1;
    std::copy(name, name + kSheetNameLength + 1, entry.name);
    uint32_t firstGroup = name[0] == 'm' ? 33 : 30;
    entry.mapId = (group - firstGroup) * kSheetsPerGroup + sheet + kFirstMapId;
    return 1;
}

int writeBatchScript(int count, char** args, char mode) {
    std::vector<SheetEntry> sheets;
    if (!collectSheets(sheets)) return 0;
    if (sheets.empty()) {
        report::out("brak katalogów\n"_cp);
        return 0;
    }
    std::sort(sheets.begin(), sheets.end(), sheetBefore);
    std::string script = scriptText(sheets, count, args, mode == 'B');

    // The script replaces an earlier one only when it is written whole: a
    // script cut short would convert only some of the sheets.
    output::Replacement file;
    if (!output::openReplacement("make_all.bat", file)) {
        report::failure("blad odwarcia pliku make_all.bat\n"_cp);
        return 0;
    }
    bool written = std::fwrite(script.data(), 1, script.size(), file.stream) == script.size();
    if (!output::finishReplacement(file, written)) {
        report::failure("blad zapisu pliku make_all.bat\n"_cp);
        return 0;
    }
    return 1;
}

}  // namespace batch
