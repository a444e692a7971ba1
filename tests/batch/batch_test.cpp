#include <gtest/gtest.h>

#include "batch/batch.hpp"

namespace {

TEST(ReadSheetName, GivesMapIdsToSheetsAndTellsOtherNamesApart) {
    const struct Row {
        const char* name;
        int result;  // 1 sheet, -1 outside the groups, 0 no sheet name
        uint32_t mapId;
    } rows[] = {
        {"m33000ab", 1, 75831296},  // the first MapID
        {"m34131ab", 1, 75831572}, {"m35144cd", 1, 75831730}, {"n33001cd", 1, 75831732},
        {"n35144ab", 1, 75832165},  // the last MapID
        {"m34145ab", -1, 0}, {"n32999cd", -1, 0},
        {"m 3413ab", -1, 0}, {"m+3413ab", -1, 0}, {"m-3413ab", -1, 0},  // blanks and a sign may precede the number
        {"m34131AB", 0, 0}, {"x34131ab", 0, 0}, {"m34131ba", 0, 0}, {"m341311ab", 0, 0}, {"m3413a1b", 0, 0},
        {"mab1234c", 0, 0}, {"", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        batch::SheetEntry entry;
        EXPECT_EQ(batch::readSheetName(row.name, entry), row.result);
        EXPECT_EQ(entry.mapId, row.mapId);
        EXPECT_STREQ(entry.name, row.result == 1 ? row.name : "");
    }
}

}  // namespace
