// The .mp object reader: what it hands on, what it skips, and that the size
// of the pieces it is fed does not matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "preview/mp_reader.hpp"

using namespace preview;

namespace {

struct Read {
    std::vector<std::string> objects;
    ReadCounts counts;
    std::size_t longestLabel = 0;  // of the objects handed on
    std::size_t largestCarry = 0;  // piece of a data line kept between two feeds
};

// Each object in one line: kind, type, end level, label, then the number of
// pairs in each part and the first pair.
void summarise(const MpObject& object, void* context) {
    char text[256];
    std::snprintf(text, sizeof text, "%c %X L%d '%.*s' (%.2f,%.2f)", "PLA"[static_cast<int>(object.kind)],
                  object.type, object.endLevel, static_cast<int>(object.label.size()), object.label.data(),
                  object.coordinates[0], object.coordinates[1]);
    std::string line = text;
    uint32_t from = 0;
    for (uint32_t end : object.partEnds) {
        line += ' ';
        line += std::to_string(end - from);
        from = end;
    }
    Read& read = *static_cast<Read*>(context);
    read.objects.push_back(line);
    read.longestLabel = std::max(read.longestLabel, object.label.size());
}

// Reads the text in pieces of `piece` bytes (0: all at once).
Read readText(const std::string& text, std::size_t piece = 0) {
    Read read;
    MpReader reader;
    startMpReader(reader, summarise, &read);
    if (piece == 0) piece = text.size() + 1;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        feedMpText(reader, text.data() + at, std::min(piece, text.size() - at));
        if (reader.carryIsData) read.largestCarry = std::max(read.largestCarry, reader.carry.size());
    }
    finishMpText(reader);
    read.counts = reader.counts;
    return read;
}

struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> objects;
    uint64_t broken;
    uint64_t skipped;
};

const std::vector<Case> kCases = {
    {"objects of each kind with their label and level",
     "[IMG ID]\nID=1\n[END-IMG ID]\n\n[POI]\nType=0x2f06\nLabel=Dwór\nEndLevel=2\nData0=(50.25,19.5)\n[END]\n"
     "[POLYLINE]\nType=0x1f\nData0=(50,19),(50.5,19.5),(51,20)\n[END]\n"
     "[POLYGON]\nType=0x1161D\nData0=(1,2),(1,3),(2,3),(2,2)\nData0=(1.1,2.1),(1.2,2.1),(1.2,2.2)\n[END]\n",
     {"P 2F06 L2 'Dwór' (50.25,19.50) 1", "L 1F L0 '' (50.00,19.00) 3", "A 1161D L0 '' (1.00,2.00) 4 3"}, 0, 0},
    {"CR LF ends, older section names, any letter case, comments, blanks",
     "; made elsewhere\r\n[rgn10]\r\ntype=10\r\nlabel=Rynek \r\norigin0=( 50.1 , +19.2 )\r\n[end-rgn10]\r\n"
     "[RGN40]\r\nType=0x20\r\nData0=(-33.5,151),(-33.6,151.1)\r\n[END-RGN40]\r\n"
     "[RGN80]\r\nType=0x4a\r\nData0=(0,0),(0,1),(1,1)\r\n[END-RGN80]\r\n",
     {"P A L0 'Rynek' (50.10,19.20) 1", "L 20 L0 '' (-33.50,151.00) 2", "A 4A L0 '' (0.00,0.00) 3"}, 0, 0},
    {"the lowest coordinate level is drawn and sets the end level when none is given",
     "[POLYLINE]\nType=1\nData1=(9,9),(9,8)\nData0=(1,1),(1,2)\nData0=(2,1),(2,2)\nData2=(7,7),(7,8)\n[END]\n"
     "[POLYLINE]\nType=1\nData2=(3,3),(3,4)\n[END]\n"
     "[POLYLINE]\nType=1\nEndLevel=4\nData1=(3,3),(3,4)\n[END]\n",
     {"L 1 L0 '' (1.00,1.00) 2 2", "L 1 L2 '' (3.00,3.00) 2", "L 1 L4 '' (3.00,3.00) 2"}, 0, 0},
    {"parts too short for their kind are dropped, the rest kept",
     "[POLYLINE]\nType=1\nData0=(1,1)\nData0=(2,2),(2,3)\n[END]\n"
     "[POLYGON]\nType=1\nData0=(1,1),(1,2)\n[END]\n",
     {"L 1 L0 '' (2.00,2.00) 2"}, 1, 0},
    {"broken objects are counted and skipped, the next ones read",
     "[POI]\nType=1\n[END]\n"                                 // no coordinates
     "[POI]\nData0=(1,1)\n[END]\n"                            // no type
     "[POI]\nType=zz\nData0=(1,1)\n[END]\n"                   // bad type
     "[POI]\nType=1\nData0=(nan,1)\n[END]\n"                  // not a number
     "[POI]\nType=1\nData0=(91,1)\n[END]\n"                   // out of range
     "[POI]\nType=1\nData0=(1,180.5)\n[END]\n"
     "[POI]\nType=1\nData0=(1,1),(2\n[END]\n"                 // cut pair
     "[POI]\nType=1\nData0=1,1\n[END]\n"                      // no brackets
     "[POI]\nType=1\nData0=(1,1)\n"                           // no end before the next object
     "[POI]\nType=2\nData0=(1,1)\n[END]\n"
     "[POI]\nType=3\nData0=(1,1)\n",                          // no end before the end of the text
     {"P 2 L0 '' (1.00,1.00) 1"}, 10, 0},
    {"other sections are skipped with a count; their lines are not objects; the last line has no end",
     "[Countries]\nCountry1=Polska\n[END-Countries]\n[DICTIONARY]\nData0=(1,1)\nType=1\n[END]\n"
     "[POI]\nType=5\nData0=(1,1)\n[END]",
     {"P 5 L0 '' (1.00,1.00) 1"}, 0, 2},
};

TEST(MpReader, ReadsAndSkipsAsEachCaseExpects) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        for (std::size_t piece : {0, 1, 7}) {
            Read read = readText(c.text, piece);
            EXPECT_EQ(read.objects, c.objects) << "pieces of " << piece;
            EXPECT_EQ(read.counts.objects, c.objects.size());
            EXPECT_EQ(read.counts.brokenObjects, c.broken);
            EXPECT_EQ(read.counts.skippedSections, c.skipped);
        }
    }
}

TEST(MpReader, ReadsLongLinesPieceByPieceWithoutKeepingThem) {
    std::string data = "Data0=";
    for (int i = 0; i < 100000; ++i) data += (i ? ",(" : "(") + std::to_string(50 + i * 1e-6) + ",19.5)";
    // The label's line is cut, not dropped.
    std::string text = "[POLYLINE]\nType=1\nLabel=" + std::string(100000, 'x') + "\n" + data + "\n[END]\n";
    Read read = readText(text, 4096);
    ASSERT_EQ(read.objects.size(), 1u);
    EXPECT_NE(read.objects[0].find(" 100000"), std::string::npos) << read.objects[0].substr(0, 100);
    EXPECT_GT(read.longestLabel, 0u);
    EXPECT_LE(read.longestLabel, 64 * 1024u);
    EXPECT_LT(read.largestCarry, 256u);
}

}  // namespace
