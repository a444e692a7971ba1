// Adds to the sample sheets the directories that tools/windows-test.sh needs
// besides them:
//
//   windows_tree DIR
//
// Sheet m34132ab with its files in upper case (a map of its own), and
// directories the batch script must leave alone: M34133AB (upper case),
// m36001ab (outside the groups) and a plain file named like a sheet.
// Directories "dane z lasu" (blanks) and "dane z łąki" (blanks and Polish
// letters, UTF-8 on disk) hold layers for the list-file checks. The bytes are the same on every run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

namespace fs = std::filesystem;

void save(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

XY at(int sheet, int i) { return {19.5 + 0.01 * i + 0.1 * sheet, 50.0 + 0.007 * i}; }

std::vector<ShpRecord> points(int sheet, int n) {
    std::vector<ShpRecord> records;
    for (int i = 0; i < n; ++i) records.push_back({pointShape(at(sheet, i).x, at(sheet, i).y)});
    return records;
}

std::vector<ShpRecord> lines(int sheet, int n) {
    std::vector<ShpRecord> records;
    for (int i = 0; i < n; ++i) records.push_back({polylineShape({{at(sheet, i), at(sheet, i + 3), at(sheet, i + 5)}})});
    return records;
}

std::vector<ShpRecord> areas(int sheet, int n) {
    std::vector<ShpRecord> records;
    for (int i = 0; i < n; ++i) {
        XY a = at(sheet, i), b = at(sheet, i + 2);
        records.push_back({polygonShape({{a, {b.x, a.y}, b, {a.x, b.y}, a}})});
    }
    return records;
}

// One layer: `stem` + shp/dbf with the given extension case.
void layer(const fs::path& dir, const std::string& stem, bool upperExtension, const std::vector<ShpRecord>& records,
           uint32_t shapeType, const std::vector<DbfColumn>& columns, const std::vector<std::vector<std::string>>& rows) {
    ShpOptions options;
    options.shapeType = shapeType;
    save(dir / (stem + (upperExtension ? ".SHP" : ".shp")), buildShp(records, options));
    save(dir / (stem + (upperExtension ? ".DBF" : ".dbf")), buildDbf(columns, rows));
}

void sheetLayers(const fs::path& dir, int sheet, bool upper) {
    layer(dir, "AIRPORTP", upper, points(sheet, 3), 1, {{"NAM", 'C', 20}},
          {{"Balice"}, {"Łódź-Lublinek"_cp}, {"UNK"}});
    layer(dir, "ROADL", upper, lines(sheet, 4), 3, {{"TUC", 'N', 4}, {"RTT", 'N', 4}, {"NAM", 'C', 40}, {"USE", 'N', 4}},
          {{"2", "16", "A4", "0"}, {"4", "15", "S7", "114"}, {"6", "0", "Zakopiańska"_cp, "0"}, {"4", "3", "", "4"}});
    layer(dir, "BUILDNGA", upper, areas(sheet, 3), 5, {{"NAM", 'C', 30}, {"HWT", 'N', 4}, {"BFC", 'N', 6}},
          {{"", "4", "0"}, {"Zamek", "0", "4"}, {"", "0", "999"}});
    layer(dir, "FORESTA", upper, areas(sheet, 2), 5,
          {{"NAM", 'C', 20}, {"TRE", 'N', 4}, {"VEG", 'N', 4}, {"PHT", 'N', 6}, {"TSC", 'N', 4}, {"SDS", 'N', 4}},
          {{"Puszcza", "1", "12", "20", "3", "2"}, {"", "2", "0", "0", "0", "0"}});
    layer(dir, "CEMETRYP", upper, points(sheet, 2), 1, {{"NAM", 'C', 20}}, {{"Rakowicki"}, {""}});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_tree DIR\n");
        return 2;
    }
    fs::path root = argv[1];
    sheetLayers(root / "m34132ab", 2, true);
    sheetLayers(root / "M34133AB", 3, false);
    sheetLayers(root / "m36001ab", 4, false);
    save(root / "m34134ab", "a plain file named like a sheet\n");
    sheetLayers(root / "dane z lasu", 5, false);
    sheetLayers(root / "dane z łąki", 6, false);
    return 0;
}
