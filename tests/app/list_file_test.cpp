#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "app/driver.hpp"
#include "app/list_file.hpp"
#include "mp/output_map.hpp"
#include "support/expected.hpp"

namespace {

using testsupport::dataRows;

// The rows are in tests/data/app/map_ids.tsv.
TEST(ParseMapId, TakesOneWholeNumberFromOneToTheHighestId) {
    for (const auto& row : dataRows("map_ids.tsv")) {
        SCOPED_TRACE('"' + row[0] + '"');
        const uint32_t expected = static_cast<uint32_t>(std::stoul(row[1]));
        uint32_t id = 77;
        EXPECT_EQ(app::parseMapId(row[0].c_str(), id), expected ? 1 : 0);
        EXPECT_EQ(id, expected ? expected : 77u);
    }
}

// The rows are in tests/data/app/list_lines.tsv, the kinds by name.
TEST(SplitListLine, TrimsAndTellsTheKindOfLine) {
    const std::string kinds[] = {"empty", "inputFile", "mapLine", "unknownOption", "badMapName"};
    for (auto row : dataRows("list_lines.tsv")) {
        SCOPED_TRACE(row[0]);
        app::ListLine l = app::splitListLine(row[0].data());
        auto text = [](const char* part) { return std::string(part ? part : ""); };
        EXPECT_EQ(std::make_tuple(kinds[static_cast<int>(l.kind)], text(l.text), text(l.mapIdText), text(l.mapName)),
                  std::make_tuple(row[1], row[2], row[3], row[4]));
    }
}

TEST(AddHeaderParam, HoldsTenTextsInOrder) {
    mp::outputMap = mp::OutputMap{};
    const char* texts[11] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(app::addHeaderParam(texts[i]), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::addHeaderParam(texts[10]), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "przekroczona maksymalna liczba 10 parametrow -h\n");
    EXPECT_EQ(mp::outputMap.headerParamCount, 10);
    EXPECT_EQ(mp::outputMap.headerParams[0], texts[0]);  // the text itself, not a copy
    EXPECT_EQ(mp::outputMap.headerParams[9], texts[9]);
    mp::outputMap = mp::OutputMap{};
}

}  // namespace
