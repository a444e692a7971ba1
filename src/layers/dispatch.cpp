#include "layers/dispatch.hpp"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "input/dbf.hpp"
#include "input/files.hpp"
#include "input/shp.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"
#include "mp/merge.hpp"
#include "mp/output_map.hpp"
#include "mp/writers.hpp"
#include "text/ascii.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace layers {

namespace {

bool endsWithIgnoreCase(const char* text, std::size_t length, const char* suffix) {
    std::size_t n = std::strlen(suffix);
    return length >= n && text::equalIgnoringCase(text + length - n, suffix, n);
}

// The bytes the header checks read: a shapefile's header, and a table's at
// its longest (its length is a 16-bit number).
constexpr uint32_t kShpHeaderBytes = 100;
constexpr uint32_t kDbfHeaderBytes = 65536;

// Opened without waiting, so a FIFO in the table's place does not block the probe.
bool fileExists(const std::string& path) {
    std::FILE* file = input::openFile(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// Reads the attribute table at dbfPath. Where the file system tells letter
// cases apart and no file has that name, a table whose extension differs only
// in case (ROADL.DBF beside ROADL.SHP) is read instead, as it would be found
// where case does not matter. The variants are tried in place; dbfPath ends
// as it came, with ".dbf".
int readAttributeTable(std::string& dbfPath, input::InputFile& out) {
    if (fileExists(dbfPath)) return input::loadInputFile(dbfPath.c_str(), out, kDbfHeaderBytes);
    char* extension = dbfPath.data() + dbfPath.size() - 3;
    static constexpr char kLower[] = "dbf";
    int result = -1;
    for (int upper = 7; upper > 0 && result < 0; --upper) {  // bit 2: 'D', bit 1: 'B', bit 0: 'F'
        for (int i = 0; i < 3; ++i)
            extension[i] = (upper & (4 >> i)) ? static_cast<char>(kLower[i] - 'a' + 'A') : kLower[i];
        if (fileExists(dbfPath)) result = input::loadInputFile(dbfPath.c_str(), out, kDbfHeaderBytes);
    }
    for (int i = 0; i < 3; ++i) extension[i] = kLower[i];
    return result >= 0 ? result : input::loadInputFile(dbfPath.c_str(), out, kDbfHeaderBytes);
}

// The row that converts files of no known layer: their features are counted
// under the unknown object, which is never written.
constexpr LayerRow kUnknownLayer{"", namedFeatureHandler, catalog::Obj::o_nieznane};

}  // namespace

bool containsLayerName(const char* path, const char* name) {
    std::size_t n = std::strlen(path);
    std::size_t m = std::strlen(name);
    if (m > n) return false;
    for (std::size_t start = n - m + 1; start-- > 0;) {
        std::size_t i = 0;
        while (i < m && text::foldAscii(path[start + i]) == text::foldAscii(name[i])) ++i;
        if (i == m) return true;
    }
    return false;
}

int dispatchLayerFile(const char* path) {
    std::size_t n = std::strlen(path);
    if (n > 2 && endsWithIgnoreCase(path, n, ".mp")) return mp::mergeMpFile(path);
    if (n <= 4 || !endsWithIgnoreCase(path, n, ".shp")) {
        report::failure("plik powinien miec rozszerzenie *.shp: %s\n"_cp, path);
        return 0;
    }
    // The buffers and the table path are owned here and released on every return.
    input::InputFile shp;
    if (!input::loadInputFile(path, shp, kShpHeaderBytes)) return 0;
    if (!input::checkShpHeader(path, shp.head, shp.length)) return 0;
    std::string dbfPath;
    try {
        dbfPath.assign(path, n - 4);
        dbfPath += ".dbf";
    } catch (const std::bad_alloc&) {
        report::failure("brak pamieci operacyjnej, plik %s\n"_cp, path);
        return 0;
    }
    input::InputFile dbf;  // released before the path it quotes
    if (!readAttributeTable(dbfPath, dbf)) return 0;
    if (!input::checkDbfHeader(dbfPath.c_str(), dbf.head, dbf.length)) return 0;

    mp::writeFileComment(path);
    LayerFiles files{input::ShpFile{path, shp.data, shp.length, shp.stream},
                     input::openDbfTable(dbfPath.c_str(), dbf)};
    int result;
    mp::refusedHeightRecords = 0;
    if (const LayerRow* row = findLayerRow(path)) {
        result = row->handler(files, *row);
    } else {
        report::failure("nieznana nazwa pliku %s\n"_cp, path);
        result = namedFeatureHandler(files, kUnknownLayer);
    }
    if (result <= 0) report::failure("blad przetwarzania pliku %s\n"_cp, path);
    if (mp::refusedHeightRecords != 0)
        report::error("uzyj opcji -z dla typow SHP z wysokoscia lub miara, plik %s\n"_cp, path);
    return 1;
}

}  // namespace layers
