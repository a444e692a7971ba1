#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/driver.hpp"
#include "app/list_file.hpp"
#include "mp/output_map.hpp"

namespace {

using app::ListLineKind;

TEST(ParseMapId, AcceptsWholeNumbersInRange) {
    struct Case {
        const char* text;
        uint32_t id;
    };
    for (Case c : {Case{"123", 123}, Case{"99999999", 99999999}, Case{"1", 1}, Case{"010", 8},
                   Case{"0x10", 16}, Case{"0X5F5E0FF", 99999999}, Case{"+5", 5}}) {
        uint32_t id = 0;
        EXPECT_EQ(app::parseMapId(c.text, id), 1) << c.text;
        EXPECT_EQ(id, c.id) << c.text;
    }
}

TEST(ParseMapId, RefusesEverythingElse) {
    for (const char* text : {"0", "-5", "-1", "100000000", "0x5F5E100", "12a", "12 ", "", " ",
                             "x", "08", "0x", "99999999999", "4294967297", "-4294967295",
                             "-2147483648", "1 2"}) {
        uint32_t id = 77;
        EXPECT_EQ(app::parseMapId(text, id), 0) << '"' << text << '"';
        EXPECT_EQ(id, 77u);
    }
}

struct Split {
    ListLineKind kind;
    std::string text, mapId, name;
};

Split split(std::string line) {
    app::ListLine l = app::splitListLine(line.data());
    return {l.kind, l.text ? l.text : "", l.mapIdText ? l.mapIdText : "",
            l.mapName ? l.mapName : ""};
}

TEST(SplitListLine, MapLinesAreTrimmedAndSplit) {
    for (std::string line : {"-i   00000042   Mapa testowa  \n", "  -i   00000042   Mapa testowa\r\n",
                             "\t-i 00000042\tMapa testowa\x01\x1f"}) {
        Split s = split(line);
        EXPECT_EQ(s.kind, ListLineKind::mapLine) << line;
        EXPECT_EQ(s.mapId, "00000042");
        EXPECT_EQ(s.name, "Mapa testowa");
    }
    Split polish = split("-i 7 \xA3\xF3\x64\xBC \xA0\n");  // bytes above 127 stay, 0xA0 too
    EXPECT_EQ(polish.name, "\xA3\xF3\x64\xBC \xA0");
}

TEST(SplitListLine, RefusedMapLines) {
    Split alone = split("-i\n");
    EXPECT_EQ(alone.kind, ListLineKind::unknownOption);
    EXPECT_EQ(alone.text, "-i");
    Split other = split("-x 42 A\n");
    EXPECT_EQ(other.kind, ListLineKind::unknownOption);
    EXPECT_EQ(other.text, "-x 42 A");
    EXPECT_EQ(split("-@ list").kind, ListLineKind::unknownOption);
    EXPECT_EQ(split("-h A=1").kind, ListLineKind::unknownOption);
    EXPECT_EQ(split("-i\t42 A").kind, ListLineKind::unknownOption);
    Split noName = split("-i 42   \r\n");
    EXPECT_EQ(noName.kind, ListLineKind::badMapName);
    EXPECT_EQ(noName.text, "-i 42");
}

TEST(SplitListLine, FileAndEmptyLines) {
    Split file = split("   /data/N-34/ROADL.shp \r\n");
    EXPECT_EQ(file.kind, ListLineKind::inputFile);
    EXPECT_EQ(file.text, "/data/N-34/ROADL.shp");
    EXPECT_EQ(split("a b.shp").text, "a b.shp");
    for (std::string empty : {"", "\n", " \t\r\n", "\x01\x02 "})
        EXPECT_EQ(split(empty).kind, ListLineKind::empty);
}

TEST(AddHeaderParam, HoldsTenTextsInOrder) {
    mp::outputMap = mp::OutputMap{};
    const char* texts[11] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(app::addHeaderParam(texts[i]), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::addHeaderParam(texts[10]), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "przekroczona maksymalna liczba 10 parametrow -h\n");
    EXPECT_EQ(mp::outputMap.headerParamCount, 10);
    EXPECT_EQ(mp::outputMap.headerParams[0], texts[0]);  // the text itself, not a copy
    EXPECT_EQ(mp::outputMap.headerParams[9], texts[9]);
    mp::outputMap = mp::OutputMap{};
}

}  // namespace
