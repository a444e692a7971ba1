#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "catalog/catalog.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

std::string convert(std::string_view utf8) {
    char out[256];
    long n = text::utf8ToCp1250(utf8.data(), utf8.size(), out, sizeof out);
    if (n < 0) return "<invalid>";
    return std::string(out, static_cast<std::size_t>(n));
}

struct RawLabel {
    const char* id;
    const char* utf8;
};

// The catalogue's labels as they stand in the UTF-8 source.
constexpr RawLabel kRawLabels[] = {
#define OBJ(id, typG, levelM, flagaEt, flagaOb, typP, label) {#id, label},
#include "catalog/catalogue.def"
#undef OBJ
};

TEST(Cp1250, EveryCatalogueLabelMatchesRunTimeConversion) {
    catalog::resetCatalogue();
    ASSERT_EQ(std::size(kRawLabels), static_cast<std::size_t>(catalog::kCatalogueSize));
    int nonAscii = 0;
    for (int i = 0; i < catalog::kCatalogueSize; ++i) {
        const auto& entry = catalog::catalogue[i];
        EXPECT_STREQ(entry.Obiekt, kRawLabels[i].id);
        std::string expected = convert(kRawLabels[i].utf8);
        EXPECT_EQ(std::string(entry.label), expected) << kRawLabels[i].id;
        if (expected != kRawLabels[i].utf8) ++nonAscii;
    }
    EXPECT_GT(nonAscii, 10);  // Polish letters are really converted, not copied
}

TEST(Cp1250, PolishLettersHaveTheirCodePageBytes) {
    EXPECT_EQ(convert("krzyż"), "krzy\xBF");
    EXPECT_EQ(convert("ś"), "\x9C");
    EXPECT_EQ(convert("ąćęłńóśźż"), "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF");
    EXPECT_EQ(convert("ĄĆĘŁŃÓŚŹŻ"), "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(convert("€"), "\x80");
    EXPECT_STREQ("wartości"_cp, "warto\x9C" "ci");
    EXPECT_EQ(std::strlen("łąki"_cp), 4u);
}

TEST(Cp1250, RefusesTextOutsideTheCodePageOrBrokenUtf8) {
    EXPECT_EQ(convert("ñ"), "<invalid>");     // not in code page 1250
    EXPECT_EQ(convert("日本"), "<invalid>");
    EXPECT_EQ(convert("\xC5"), "<invalid>");  // truncated sequence
    EXPECT_EQ(convert("\xBF"), "<invalid>");  // lone continuation byte
    EXPECT_EQ(convert("\xC5\x41"), "<invalid>");
}

TEST(Cp1250, ConversionNeverWritesPastTheGivenRoom) {
    char out[4] = {'#', '#', '#', '#'};
    long n = text::utf8ToCp1250("źdźbło", std::strlen("źdźbło"), out, 2);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(out[0], '\x9F');
    EXPECT_EQ(out[1], 'd');
    EXPECT_EQ(out[2], '#');
}

}  // namespace
