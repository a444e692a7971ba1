// The catalogue: finding entries, its listing, type files that change it, and
// statistics rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
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
    EXPECT_EQ(findObjectType("op_lotnisko"), &catalog::catalogue[1]);
    EXPECT_EQ(findObjectType("oa_schron"), &catalog::catalogue[318]);
    for (const char* miss :
         {"OP_LOTNISKO", "op_lotnisko ", " op_lotnisko", "op_lotnis", "op_lotniskoo", "", "o_nieznane"})
        EXPECT_EQ(findObjectType(miss), nullptr) << '"' << miss << '"';
    // Identifiers are unique: each one finds its own entry.
    for (int i = 1; i < catalog::kCatalogueSize; ++i)
        EXPECT_EQ(findObjectType(catalog::catalogue[i].Obiekt), &catalog::catalogue[i]);
}

TEST(FormatGarminType, LowerCaseHexWithAtLeastTwoDigits) {
    char buffer[12];
    const std::pair<uint32_t, const char*> rows[] = {
        {0, "0x00"}, {4, "0x04"}, {0x5900, "0x5900"}, {0x1161d, "0x1161d"}, {0xFFFFFFFFu, "0xffffffff"}};
    for (const auto& [value, text] : rows) {
        EXPECT_EQ(catalog::formatGarminType(value, buffer), buffer);
        EXPECT_STREQ(buffer, text);
    }
}

// Entries one to last in their kind blocks, the extra POI column where there is one.
TEST(PrintObjectTypes, ListsEntriesOneToLastInTheirKindBlocks) {
    catalog::resetCatalogue();
    ::testing::internal::CaptureStdout();
    catalog::printObjectTypes();
    testsupport::expectAsFile("object_types.txt", ::testing::internal::GetCapturedStdout());
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

// Each file's result, messages and changed entries go to tests/data/catalog/type_files.txt.
TEST(TypeFile, AppliesLinesAndReportsBadOnes) {
    const std::string files[] = {
        "op_lotnisko 0x5901 3 1 1 0x2800\r\n",
        // Negative and missing values keep their columns; flags keep their
        // lowest 8 bits; "010" is octal; words behind the numbers are ignored.
        "  oa_las 0x15 0\noa_laka -1 -1 -1 0\nop_wieza -1 3 257 010 extra words\n",
        // Control bytes end parts: an identifier takes its numbers from behind a
        // TAB, a TAB between values makes the next value an identifier.
        "ol_kolej\t0x1a 5\n", "oa_las 0x16\t5 6\n", std::string("oa_las 0x17\0oa_laka 0x18\0", 25),
        // A bare identifier: with CR LF the empty LF part gives no numbers; with
        // LF the next line lends its numbers, or is skipped after the message.
        "oa_las\r\noa_laka 0x30\r\n", "oa_las\n0x31 1\n", "oa_las\noa_laka 0x32\nop_basen 0x33\n",
        // Bad lines are reported and the rest is applied; entry 0 cannot be named.
        "OP_LOTNISKO 1\r\n   \r\no_nieznane 5\r\nop_basen x\r\noa_las 0x20\r\n",
        // End of the data: numbers without a line end count, a last identifier
        // without one is dropped silently.
        "oa_las 0x21", "oa_las 0x22\noa_laka", "oa_las ", "", "\r\n\t", std::string(3, '\0'),
    };
    catalog::resetCatalogue();
    const std::vector<std::string> start = entries();
    testsupport::TempDir dir;
    const std::string path = dir.file("types.txt");
    std::string transcript;
    for (const std::string& file : files) {
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

    ::testing::internal::CaptureStderr();
    const std::string absent = dir.file("absent.txt");
    EXPECT_EQ(catalog::readTypeDescription(absent.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "blad otwarcia pliku " + absent + "\n");
}

TEST(Statistics, RowPercentagesRoundHalfUpWithoutOverflow) {
    using catalog::SpeciesRow;
    const std::pair<SpeciesRow, SpeciesRow> cases[] = {
        {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {{8, 5, 1, 1, 1, 0}, {8, 63, 13, 13, 13, 0}},
        {{3, 1, 1, 1, 0, 0}, {3, 33, 33, 33, 0, 0}},
        // Counts whose hundredfold passes 32 bits, and a sum that does.
        {{3000000000u, 2000000000u, 1000000000u, 0, 0, 0}, {3000000000u, 67, 33, 0, 0, 0}},
        {{7, 4000000000u, 0, 0, 4000000000u, 0}, {7, 50, 0, 0, 50, 0}},
    };
    for (auto [row, expected] : cases) {
        EXPECT_EQ(catalog::rowToPercentages(row), expected[0]);
        EXPECT_EQ(row, expected);
    }
}

}  // namespace
