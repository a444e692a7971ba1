#include <gtest/gtest.h>

#include <string>

#include "catalog/catalog.hpp"

namespace {

using catalog::findObjectType;

TEST(FindObjectType, MatchesWholeIdentifiersByteForByte) {
    catalog::resetCatalogue();
    EXPECT_EQ(findObjectType("op_lotnisko"), &catalog::catalogue[1]);
    EXPECT_EQ(findObjectType("oa_schron"), &catalog::catalogue[318]);
    EXPECT_EQ(findObjectType("ol_kolej"), &catalog::object(catalog::Obj::ol_kolej));
    for (const char* miss : {"OP_LOTNISKO", "op_lotnisko ", " op_lotnisko", "op_lotnis",
                             "op_lotniskoo", "", "o_nieznane"})
        EXPECT_EQ(findObjectType(miss), nullptr) << '"' << miss << '"';
    EXPECT_EQ(findObjectType(nullptr), nullptr);
}

TEST(FindObjectType, FindsEveryEntryButTheUnknownOne) {
    for (int i = 1; i < catalog::kCatalogueSize; ++i)
        EXPECT_EQ(findObjectType(catalog::catalogue[i].Obiekt), &catalog::catalogue[i]);
}

TEST(FormatGarminType, LowerCaseHexWithAtLeastTwoDigits) {
    char buffer[12];
    EXPECT_EQ(std::string(catalog::formatGarminType(0, buffer)), "0x00");
    EXPECT_EQ(std::string(catalog::formatGarminType(4, buffer)), "0x04");
    EXPECT_EQ(std::string(catalog::formatGarminType(0x5900, buffer)), "0x5900");
    EXPECT_EQ(std::string(catalog::formatGarminType(0x1161d, buffer)), "0x1161d");
    EXPECT_EQ(std::string(catalog::formatGarminType(0xFFFFFFFFu, buffer)), "0xffffffff");
    EXPECT_EQ(catalog::formatGarminType(1, buffer), buffer);
}

}  // namespace
