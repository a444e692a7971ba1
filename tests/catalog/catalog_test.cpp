#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog.hpp"

namespace {

using catalog::findObjectType;

TEST(FindObjectType, MatchesWholeIdentifiersByteForByte) {
    catalog::resetCatalogue();
    EXPECT_EQ(findObjectType("op_lotnisko"), &catalog::catalogue[1]);
    EXPECT_EQ(findObjectType("oa_schron"), &catalog::catalogue[318]);
    for (const char* miss : {"OP_LOTNISKO", "op_lotnisko ", " op_lotnisko", "op_lotnis",
                             "op_lotniskoo", "", "o_nieznane"})
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

TEST(PrintObjectTypes, ListsEntriesOneToLastInTheirKindBlocks) {
    catalog::resetCatalogue();
    ::testing::internal::CaptureStdout();
    catalog::printObjectTypes();
    std::istringstream listing(::testing::internal::GetCapturedStdout());
    // Blocks of kinds as (prefix, lines), and every line with an extra POI
    // column as "id TypP".
    std::vector<std::pair<std::string, int>> kinds;
    std::string extraPoi, line;
    std::map<std::string, std::string> lines;
    while (std::getline(listing, line)) {
        std::string id = line.substr(0, line.find(' '));
        if (kinds.empty() || kinds.back().first != id.substr(0, 3)) kinds.push_back({id.substr(0, 3), 0});
        ++kinds.back().second;
        if (line.size() != 32) extraPoi += id + line.substr(32) + "\n";
        lines[id] = line;
    }
    EXPECT_EQ(kinds, (std::vector<std::pair<std::string, int>>{{"op_", 159}, {"ol_", 67}, {"oa_", 92}}));
    EXPECT_EQ(extraPoi,
              "oa_lotnisko   0x5900\noa_szkola   0x1150d\noa_szpital   0x11507\noa_lesnictwo   0x1161c\n"
              "oa_schronisk   0x2b02\noa_cmentarz   0x11502\noa_kemping   0x2b03\noa_jezioro_s   0x650d\n"
              "oa_jezioro_m   0x650d\noa_jezioro_b   0x650d\noa_jezioro_x   0x650d\noa_staw   0x650d\n"
              "oa_wyspa   0x2800\noa_parking   0x2f0b\noa_stkolej   0x2f17\n");
    EXPECT_EQ(lines["op_lotnisko"], "op_lotnisko      0x5900  2  0  0");
    EXPECT_EQ(lines["oa_lotnisko"], "oa_lotnisko        0x07  3  1  0   0x5900");
    EXPECT_EQ(lines["oa_wyspa"], "oa_wyspa           0x00  2  0  1   0x2800");
}

}  // namespace
