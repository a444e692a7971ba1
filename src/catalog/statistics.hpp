// The -s reports: objects written per catalogue entry, and the tree species
// of forest features with the run-wide counters the forest handler fills.
#pragma once

#include <array>
#include <cstdint>

namespace catalog {

// One tree species: its VEG code, the text put into forest labels and the
// name of its report row.
struct TreeSpecies {
    int32_t code;
    const char* text;
    const char* row;
};

inline constexpr int kSpeciesCount = 22;

// The species in report order, then the row of every other code (text empty).
extern const std::array<TreeSpecies, kSpeciesCount + 1> treeSpecies;

// The counters of one species row, in this order.
enum SpeciesCounter { kFeatures, kTre2, kTre1, kTre3, kTreOther, kTre0, kSpeciesCounters };
using SpeciesRow = std::array<uint32_t, kSpeciesCounters>;

// Run-wide, never reset by the program; rows as in treeSpecies.
extern std::array<SpeciesRow, kSpeciesCount + 1> treeSpeciesStats;

// The row of a VEG code: its species row, else the last one.
int treeSpeciesRow(int32_t code);

// Replaces counters two to six by their percentages of their sum (rounded
// half up) unless the sum is 0; returns the first counter.
uint32_t rowToPercentages(SpeciesRow& row);

void printObjectStatistics();
// Converts treeSpeciesStats to percentages: call once, at the end of the run.
void printTreeSpeciesStatistics();

}  // namespace catalog
