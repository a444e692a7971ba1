// The summit-name and height-code tests of the relief handlers.
#include <gtest/gtest.h>

#include "layers/handlers/handlers.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

TEST(Relief, HeightCodeTypesAreThreeHalfOpenRanges) {
    const std::pair<uint32_t, bool> cases[] = {
        {0x63ff, false}, {0x6400, true}, {0x641f, true}, {0x6420, false}, {0x64ff, false}, {0x6500, true},
        {0x651f, true},  {0x6520, false}, {0x6600, true}, {0x661f, true}, {0x6620, false}, {0x16600, false},
    };
    for (const auto& [type, expected] : cases) EXPECT_EQ(layers::isHeightCodeType(type), expected) << std::hex << type;
}

TEST(Relief, SummitWordsMatchAnywhereFoldingOnlyLatinLetters) {
    const std::pair<const char*, bool> cases[] = {
        {"Babia GÓRA"_cp, true}, {"Wielki Wierch", true}, {"Mała Czuba"_cp, true}, {"szczyt", true},
        {"KOPA Biskupia", true}, {"Vrch", true},          {"Lysa hora", true},      {"Babia góra"_cp, false},
        {"Góra"_cp, false},      {"Rysy", false},         {"", false},              {nullptr, false},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(layers::isPeakName(name), expected) << (name ? name : "null");
}

}  // namespace
