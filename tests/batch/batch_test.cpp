#include <gtest/gtest.h>

#include <string>

#include "batch/batch.hpp"
#include "support/expected.hpp"

namespace {

// The rows are in tests/data/batch/sheet_names.tsv.
TEST(ReadSheetName, GivesMapIdsToSheetsAndTellsOtherNamesApart) {
    for (const auto& row : testsupport::dataRows("sheet_names.tsv")) {
        SCOPED_TRACE('"' + row[0] + '"');
        const int result = std::stoi(row[1]);
        batch::SheetEntry entry;
        EXPECT_EQ(batch::readSheetName(row[0].c_str(), entry), result);
        EXPECT_EQ(entry.mapId, std::stoul(row[2]));
        EXPECT_STREQ(entry.name, result == 1 ? row[0].c_str() : "");
    }
}

}  // namespace
