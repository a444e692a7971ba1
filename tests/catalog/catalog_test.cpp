// The catalogue: finding entries, type files that change it, and statistics rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.hpp"
#include "catalog/statistics.hpp"
#include "catalog/type_file.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"

namespace {

using catalog::findObjectType;

TEST(FindObjectType, MatchesWholeIdentifiersByteForByte) {
    catalog::resetCatalogue();
    for (const char* miss :
         {"OP_LOTNISKO", "op_lotnisko ", " op_lotnisko", "op_lotnis", "op_lotniskoo", "", "o_nieznane"})
        EXPECT_EQ(findObjectType(miss), nullptr) << '"' << miss << '"';
    // Identifiers are unique: each one finds its own entry, the first and the last included.
    for (int i = 1; i < catalog::kCatalogueSize; ++i)
        EXPECT_EQ(findObjectType(catalog::catalogue[i].Obiekt), &catalog::catalogue[i]);
}

// "Obiekt TypG LevelM FlagaEt FlagaOb TypP" of every entry.
std::vector<std::string> entries() {
    std::vector<std::string> lines;
    for (const catalog::ObjectType& e : catalog::catalogue) {
        char text[96];
        std::snprintf(text, sizeof text, "%s 0x%x %d %u %u 0x%x\n", e.Obiekt, e.TypG, e.LevelM, e.FlagaEt,
                      e.FlagaOb, e.TypP);
        lines.push_back(text);
    }
    return lines;
}

// Each file of tests/data/catalog/type_file_inputs.tsv: its result, messages
// and changed entries go to type_files.txt.
TEST(TypeFile, AppliesLinesAndReportsBadOnes) {
    catalog::resetCatalogue();
    const std::vector<std::string> start = entries();
    testsupport::TempDir dir;
    const std::string path = dir.file("types.txt");
    std::string transcript;
    for (const auto& row : testsupport::dataRows("type_file_inputs.tsv")) {
        const std::string& file = row[1];
        catalog::resetCatalogue();
        testsupport::writeFile(path, file);
        ::testing::internal::CaptureStderr();
        int result = catalog::readTypeDescription(path.c_str());
        transcript += "== " + ::testing::PrintToString(file) + ": " + std::to_string(result) + "\n" +
                      ::testing::internal::GetCapturedStderr();
        const std::vector<std::string> now = entries();  // the entries the file changed
        for (std::size_t i = 0; i < now.size(); ++i)
            if (now[i] != start[i]) transcript += now[i];
    }
    testsupport::expectAsFile("type_files.txt", transcript);
    catalog::resetCatalogue();
}

TEST(Statistics, RowPercentagesRoundHalfUpWithoutOverflow) {
    // Six numbers apart by blanks.
    auto counters = [](const std::string& text) {
        catalog::SpeciesRow row{};
        std::istringstream(text) >> row[0] >> row[1] >> row[2] >> row[3] >> row[4] >> row[5];
        return row;
    };
    for (const auto& fields : testsupport::dataRows("percentages.tsv")) {
        SCOPED_TRACE(fields[0]);
        catalog::SpeciesRow row = counters(fields[0]), expected = counters(fields[1]);
        EXPECT_EQ(catalog::rowToPercentages(row), expected[0]);
        EXPECT_EQ(row, expected);
    }
}

}  // namespace
