#include "layers/dispatch.hpp"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "input/crs.hpp"
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

// Reads the attribute table at dbfPath, or at the name found with another
// letter case of its extension (input::findAnyCase). dbfPath stays as it came,
// with ".dbf": the messages of the layer quote it.
int readAttributeTable(const std::string& dbfPath, input::InputFile& out) {
    std::string found = dbfPath;
    input::findAnyCase(found);
    return input::loadInputFile(found.c_str(), out, kDbfHeaderBytes);
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

    input::ShpFile shpFile{path, shp.data, shp.length, shp.stream};
    if (!input::openLayerCoordinates(shpFile, shp.head)) return 0;

    mp::writeFileComment(path);
    LayerFiles files{shpFile, input::openDbfTable(dbfPath.c_str(), dbf)};
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
