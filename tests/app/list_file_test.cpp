#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "app/driver.hpp"
#include "app/list_file.hpp"
#include "mp/output_map.hpp"

namespace {

using app::ListLineKind;

TEST(ParseMapId, TakesOneWholeNumberFromOneToTheHighestId) {
    // Texts refused (0 here) leave the id alone.
    const std::pair<const char*, uint32_t> rows[] = {
        {"123", 123}, {"99999999", 99999999}, {"1", 1}, {"010", 8}, {"0x10", 16}, {"0X5F5E0FF", 99999999}, {"+5", 5},
        {" 7", 7}, {"0", 0}, {"-5", 0}, {"-1", 0}, {"100000000", 0}, {"0x5F5E100", 0}, {"12a", 0}, {"12 ", 0},
        {"", 0}, {" ", 0}, {"x", 0}, {"08", 0}, {"0x", 0}, {"99999999999", 0}, {"4294967297", 0},
        {"-4294967295", 0}, {"-2147483648", 0}, {"1 2", 0}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE('"' + std::string(text) + '"');
        uint32_t id = 77;
        EXPECT_EQ(app::parseMapId(text, id), expected ? 1 : 0);
        EXPECT_EQ(id, expected ? expected : 77u);
    }
}

TEST(SplitListLine, TrimsAndTellsTheKindOfLine) {
    const struct Row {
        std::string line;
        ListLineKind kind;
        std::string text, mapId, name;
    } rows[] = {
        {"-i   00000042   Mapa testowa  \n", ListLineKind::mapLine, "-i   00000042", "00000042", "Mapa testowa"},
        {"\t -i 00000042\tMapa testowa\x01\x1f", ListLineKind::mapLine, "-i 00000042", "00000042", "Mapa testowa"},
        // Bytes above 127 are not blanks, 0xA0 included.
        {"-i 7 \xA3\xF3\x64\xBC \xA0\n", ListLineKind::mapLine, "-i 7", "7", "\xA3\xF3\x64\xBC \xA0"},
        {"-i\n", ListLineKind::unknownOption, "-i", "", ""},
        {"-x 42 A\n", ListLineKind::unknownOption, "-x 42 A", "", ""},
        {"-@ list", ListLineKind::unknownOption, "-@ list", "", ""},
        {"-i\t42 A", ListLineKind::unknownOption, "-i\t42 A", "", ""},
        {"-i 42   \r\n", ListLineKind::badMapName, "-i 42", "", ""},
        {"   /data/N-34/a b.shp \r\n", ListLineKind::inputFile, "/data/N-34/a b.shp", "", ""},
        {"", ListLineKind::empty, "", "", ""}, {" \t\r\n", ListLineKind::empty, "", "", ""},
        {"\x01\x02 ", ListLineKind::empty, "", "", ""},
    };
    for (Row row : rows) {
        SCOPED_TRACE(row.line);
        app::ListLine l = app::splitListLine(row.line.data());
        auto text = [](const char* part) { return std::string(part ? part : ""); };
        EXPECT_EQ(std::make_tuple(l.kind, text(l.text), text(l.mapIdText), text(l.mapName)),
                  std::make_tuple(row.kind, row.text, row.mapId, row.name));
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
