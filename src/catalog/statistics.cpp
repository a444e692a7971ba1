#include "catalog/statistics.hpp"

#include <algorithm>
#include <cstring>

#include "catalog/catalog.hpp"
#include "text/cp1250.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace catalog {

const std::array<TreeSpecies, kSpeciesCount + 1> treeSpecies = {{
    {12, "(sosna miesz)", "12:"},
    {20, "(las 20)", "20:"},
    {24, "(las 24)", "24:"},
    {25, "(sosna świerk)"_cp, "25:"},
    {27, "jodła"_cp, "jodla:"},
    {28, "buk", "buk:"},
    {30, "dąb"_cp, "dab:"},
    {31, "sosna", "sosna:"},
    {33, "klon", "klon:"},
    {37, "modrzew", "modrzew:"},
    {44, "wiąz"_cp, "wiaz:"},
    {46, "brzoza", "brzoza:"},
    {47, "jesion", "jesion:"},
    {48, "leszczyna", "leszczyna:"},
    {49, "(las 49)", "49:"},
    {50, "(dąb miesz)"_cp, "50:"},
    {52, "(las 52)", "52:"},
    {500, "(las 500)", "500:"},
    {501, "świerk"_cp, "swierk:"},
    {502, "olcha", "olcha:"},
    {901, "(świerk)"_cp, "901:"},
    {902, "(olcha)", "902:"},
    {0, "", "inne:"},
}};

std::array<SpeciesRow, kSpeciesCount + 1> treeSpeciesStats{};

int treeSpeciesRow(int32_t code) {
    for (int i = 0; i < kSpeciesCount; ++i)
        if (treeSpecies[i].code == code) return i;
    return kSpeciesCount;
}

namespace {

// (total / 2 + 100 * part) / total in 64 bits, so that no count can overflow.
uint32_t percentOf(uint64_t part, uint64_t total) {
    return static_cast<uint32_t>((total / 2 + 100 * part) / total);
}

struct CountRecord {
    uint32_t count;
    const char* identifier;
};

}  // namespace

uint32_t rowToPercentages(SpeciesRow& row) {
    uint64_t sum = 0;
    for (int i = kTre2; i < kSpeciesCounters; ++i) sum += row[i];
    if (sum >= 1)
        for (int i = kTre2; i < kSpeciesCounters; ++i) row[i] = percentOf(row[i], sum);
    return row[kFeatures];
}

void printObjectStatistics() {
    constexpr int kRecords = kCatalogueSize - 1;
    std::array<CountRecord, kRecords> records;
    for (int i = 0; i < kRecords; ++i) records[i] = {catalogue[i + 1].count, catalogue[i + 1].Obiekt};
    report::out("\n\nStatysytka wystepowania obiektow\n\nLiczba obiektow: %u\n", kRecords);
    // Equal counts keep catalogue order, so the same data always prints the same report.
    std::stable_sort(records.begin(), records.end(),
                     [](const CountRecord& a, const CountRecord& b) { return a.count > b.count; });
    constexpr struct {
        const char* title;
        char kind;
    } kGroups[] = {{"\nPunkty\n", 'p'}, {"\nLinie\n", 'l'}, {"\nObszary\n", 'a'}};
    for (const auto& group : kGroups) {
        report::out("%s", group.title);
        for (const CountRecord& record : records)
            if (record.identifier[0] != '\0' && record.identifier[1] == group.kind)
                report::out("\t%-18s%7u\n", record.identifier, record.count);
    }
    report::out("\nNieznane obiekty: %15u\n\n", catalogue[0].count);
}

void printTreeSpeciesStatistics() {
    uint64_t total = 0;
    for (int i = 0; i < kSpeciesCount; ++i) total += rowToPercentages(treeSpeciesStats[i]);
    if (total == 0) {
        report::out("\nbrak statystyki gatunkow drzew\n");
        return;
    }
    report::out("\nstatystka gatunkow drzew\n"
                "gatunek       obiekty    proc.     igl.   liść.  miesz.   brak    inne\n"_cp);
    for (int i = 0; i < kSpeciesCount; ++i) {
        const SpeciesRow& row = treeSpeciesStats[i];
        // Row names of eight characters or more take one tab instead of two.
        const char* tabs = std::strlen(treeSpecies[i].row) >= 8 ? "\t" : "\t\t";
        report::out("%s%s%5u   %3u %%    %3u %%   %3u %%   %3u %%   %3u %%   %3u %%\n", treeSpecies[i].row, tabs,
                    row[kFeatures], percentOf(row[kFeatures], total), row[kTre2], row[kTre1], row[kTre3],
                    row[kTre0], row[kTreOther]);
    }
    SpeciesRow& other = treeSpeciesStats[kSpeciesCount];
    uint32_t features = rowToPercentages(other);
    report::out("\n%s\t\t%5u           %3u %%   %3u %%   %3u %%   %3u %%   %3u %%\n\n", treeSpecies[kSpeciesCount].row,
                features, other[kTre2], other[kTre1], other[kTre3], other[kTre0], other[kTreOther]);
}

}  // namespace catalog
