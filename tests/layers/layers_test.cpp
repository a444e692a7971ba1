// The layer table, the coded-value vocabularies of its rows and the relief
// tests of summit names and height codes; layers streamed through the windows
// and read whole give the same map, and a file that shrinks under the walk
// ends it cleanly.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/dbf.hpp"
#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "input/shp.hpp"
#include "layers/dispatch.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"
#include "layers/vocabularies.hpp"
#include "mp/output_map.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

using namespace testsupport;
using catalog::Obj;

namespace {

// Every decoder by name; the codes each one decodes are in decoder_codes.tsv.
const std::pair<layers::ValueDecoder, const char*> kDecoders[] = {
#define F(name) {layers::name, #name}  // a handler or decoder and its name
    F(airportUseDecoder), F(cemeteryPointRelDecoder), F(cemeteryAreaRelDecoder), F(fortificationBfcDecoder),
    F(sanctuaryRe2Decoder), F(entranceTucDecoder), F(commBuildingNstDecoder), F(towerTtcDecoder),
    F(commTowerNstDecoder), F(lighthouseMarDecoder), F(buoyMarDecoder), F(lightMarDecoder), F(cisternUseDecoder),
    F(productDecoder), F(pylonMccDecoder), F(springSwtDecoder), F(pitPointProDecoder), F(pitAreaProDecoder),
    F(quarryProDecoder), F(beachSltDecoder), F(canalHycDecoder), F(canalWwrDecoder), F(riverHycDecoder),
    F(riverWwrDecoder), F(ditchHycDecoder), F(ditchWwrDecoder), F(railSidingRgcDecoder), F(railroadRgcDecoder),
    F(boundaryUseDecoder), F(interchangeTucDecoder), F(groundElementMccDecoder), F(orchardVegDecoder),
    F(cropVegDecoder), F(worshipTypePointDecoder), F(worshipTypeAreaDecoder), F(parkUseDecoder),
    F(powerPlantKindDecoder), F(plantPointBfcDecoder), F(plantAreaBfcDecoder), F(buildingFunctionPointDecoder),
    F(buildingFunctionAreaDecoder), F(forestKindDecoder),
};

// Every row in testing order with all its arguments, handlers and decoders by
// name; no name contains a later one, which would never be found.
TEST(LayerTable, RowsStandInTestingOrderWithTheirArguments) {
    const std::pair<layers::LayerHandler, const char*> handlers[] = {
        F(namedFeatureHandler), F(namedOnlyHandler), F(textLabelHandler), F(numberLabelHandler),
        F(codedFeatureHandler), F(heightLabelHandler), F(codedHeightHandler), F(twoCodeHandler),
        F(boundaryHandler), F(buildingPointHandler), F(buildingAreaHandler), F(roadHandler), F(parkAreaHandler),
        F(substationPointHandler), F(substationAreaHandler), F(powerPlantPointHandler), F(powerPlantAreaHandler),
        F(powerLineHandler), F(contourHandler), F(controlPointHandler), F(mountainPassHandler), F(hydroTextHandler),
        F(lakeHandler), F(builtUpAreaHandler), F(embankmentHandler), F(forestHandler),
    };
#undef F
    std::string listing;
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const layers::LayerRow& row = table[i];
        for (std::size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(layers::containsLayerName(table[j].name, row.name)) << row.name << " in " << table[j].name;
        listing += std::string(row.name) + " " + catalog::object(row.object).Obiekt;
        for (const auto& [handler, name] : handlers) listing += handler == row.handler ? std::string(" ") + name : "";
        for (const char* field : row.fields) listing += std::string(" ") + (field ? field : "-");
        for (layers::ValueDecoder decoder : row.decoders) {
            std::string name = decoder ? "?" : "-";
            for (const auto& [decode, decoderName] : kDecoders) name = decode == decoder ? decoderName : name;
            listing += " " + name;
        }
        listing += "\n";
    }
    expectAsFile("layer_table.txt", listing);
}

// The paths of layer_files.tsv, and contained_names.tsv for the name test alone.
TEST(LayerTable, FileNamesFindTheFirstContainedNameFoldingOnlyAsciiLetters) {
    for (const auto& row : dataRows("layer_files.tsv")) {
        const layers::LayerRow* found = layers::findLayerRow(row[0].c_str());
        EXPECT_EQ(std::string(found ? found->name : "-"), row[1]) << row[0];
    }
    for (const auto& row : dataRows("contained_names.tsv"))
        EXPECT_EQ(layers::containsLayerName(row[0].c_str(), row[1].c_str()), row[2] == "1") << row[0];
}

// One code decoded: the result, the object and label it leaves (preset to
// op_krzyz and "preset", so untouched ones show) and the level adjustment;
// `named` tells whether a row of the lists named the code (a known code giving
// a new object or a label other than a fallback).
std::string decoded(const char* name, layers::ValueDecoder decode, int32_t code, bool& named) {
    catalog::ObjectType* preset = &catalog::object(Obj::op_krzyz);
    catalog::ObjectType* object = preset;
    const char* label = "preset";
    int32_t level = 7;
    int result = decode(code, object, label, level);
    named = result >= 0 && (object != preset || (std::string(label) != "preset" && label[0] != '('));
    return std::string(name) + " " + std::to_string(code) + ": " + std::to_string(result) + " " + object->Obiekt +
           " \"" + label + "\" " + std::to_string(level) + "\n";
}

// The codes of decoder_codes.tsv, each followed by the blank code 0; then
// every code below 1100 that a row of a decoder's lists names, so that a code
// or label mistyped in any row shows.
TEST(Vocabularies, DecodeEachCodeToTheRowOfItsList) {
    std::string listing, rows;
    bool named;
    for (const auto& row : dataRows("decoder_codes.tsv")) {
        auto d = std::find_if(std::begin(kDecoders), std::end(kDecoders), [&](auto& k) { return k.second == row[0]; });
        ASSERT_NE(d, std::end(kDecoders)) << row[0];
        for (std::size_t i = 1; i < row.size(); ++i)
            for (int32_t c : {std::stoi(row[i]), 0}) listing += decoded(d->second, d->first, c, named);
    }
    for (const auto& [decode, name] : kDecoders)
        for (int32_t c = 1; c < 1100; ++c)
            if (const std::string line = decoded(name, decode, c, named); named) rows += line;
    expectAsFile("vocabularies.txt", listing);
    expectAsFile("vocabulary_rows.txt", rows);
}

// Height code types are three half-open ranges; summit words match anywhere, folding only Latin letters.
TEST(Relief, HeightCodeTypesAndSummitNamesAreRecognised) {
    for (const auto& row : dataRows("height_codes.tsv"))
        EXPECT_EQ(layers::isHeightCodeType(std::stoul(row[0], nullptr, 16)), row[1] == "1") << row[0];
    EXPECT_FALSE(layers::isPeakName(nullptr));
    for (const auto& row : dataRows("summit_names.tsv"))
        EXPECT_EQ(layers::isPeakName(row[0].c_str()), row[1] == "1") << row[0];
}

// Coordinates with every fraction digit in use, as real data has them.
XY vertex(uint32_t record, uint32_t k) {
    return {14.0 + record * 0.000123456789 + k * 0.0000731, 49.0 + record * 0.0000987654321 - k * 0.0000411};
}

// A layer of `count` features of one geometry, named and coded; `reversed`
// numbers the records from the last table row to the first, in a table whose
// header makes its records shorter than its fields, so that each value read
// runs on into the next record.
void writeLayer(const TempDir& dir, const std::string& name, uint32_t count, uint32_t shapeType,
                bool reversed = false) {
    std::vector<ShpRecord> records;
    std::vector<std::vector<std::string>> rows;
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<XY> points;
        // One line larger than the stream's window of 128 KiB.
        uint32_t vertices = shapeType == 3 && i == count / 2 ? 20000 : 2 + i % 61;
        for (uint32_t k = 0; k < vertices; ++k) points.push_back(vertex(i, k));
        const int64_t number = reversed ? int64_t{count - i} : -1;
        if (shapeType == 1) records.push_back({pointShape(points[0].x, points[0].y), number});
        if (shapeType == 3) records.push_back({polylineShape({points, {vertex(i, 90), vertex(i, 91)}})});
        rows.push_back({i % 3 ? "Nazwa " + std::to_string(i) : "", std::to_string(i % 7)});
    }
    writeFile(dir.file(name + ".shp"), buildShp(records, {.shapeType = shapeType}));
    writeFile(dir.file(name + ".dbf"), buildDbf({{"NAM", 'C', 20}, {"RGC", 'N', 4}}, rows,
                                                {.recordLength = reversed ? 16 : -1}));
}

// Both layers converted streamed and read whole: the same map and messages.
// The points' records are numbered backwards, so their table is read from its
// end to its start.
TEST(StreamedInput, GivesTheMapOfThePlainReadByteForByte) {
    TempDir dir;
    writeLayer(dir, "RAILRDL", 6000, 3);
    writeLayer(dir, "HUTP", 20000, 1, true);
    std::string maps[2], messages[2];  // streamed, read whole
    for (int way = 0; way < 2; ++way) {
        input::streamInputFiles = way == 0;
        const std::string path = dir.file(way == 0 ? "streamed.mp" : "read.mp");
        testing::internal::CaptureStderr();
        EXPECT_EQ(mp::openMap(path.c_str(), 1, "test"), 1);
        for (const char* layer : {"RAILRDL.shp", "HUTP.shp"}) layers::dispatchLayerFile(dir.file(layer).c_str());
        EXPECT_EQ(mp::closeMap(), 1);
        messages[way] = testing::internal::GetCapturedStderr();
        maps[way] = readFile(path);
    }
    input::streamInputFiles = true;
    // Every feature became an object: the two maps are not equal by being empty.
    std::size_t objects = 0;
    for (std::size_t p = maps[0].find("[END]\n"); p != std::string::npos; p = maps[0].find("[END]\n", p + 1))
        ++objects;
    EXPECT_EQ(objects, 6000u + 20000u);
    EXPECT_TRUE(maps[0] == maps[1]);
    EXPECT_EQ(messages[0], messages[1]);
}

// A shapefile or table cut short by another process while it is streamed:
// the walk ends at the first record lost, with one message.
TEST(StreamedInput, AFileTruncatedWhileReadEndsWithAReadError) {
    TempDir dir;
    writeLayer(dir, "HUTP", 2000, 1);
    std::string shpPath = dir.file("HUTP.shp"), dbfPath = dir.file("HUTP.dbf");
    testing::internal::CaptureStderr();
    input::InputFile shp, dbf;
    ASSERT_EQ(input::loadInputFile(shpPath.c_str(), shp, 100), 1);
    ASSERT_EQ(input::loadInputFile(dbfPath.c_str(), dbf, 65536), 1);
    input::DbfTable table = input::openDbfTable(dbfPath.c_str(), dbf);
    const input::DbfField name{1, 1, 20, 0, 'C', 0};  // as the lookup finds it
    // What another process may do to a file while it is being converted.
    ASSERT_EQ(truncate(shpPath.c_str(), 2 * 4096), 0);
    ASSERT_EQ(truncate(dbfPath.c_str(), 3 * 4096), 0);
    std::vector<uint32_t> seen;
    input::walkShapeRecords(input::ShpFile{shpPath.c_str(), nullptr, shp.length, shp.stream},
                            [&](const input::ShapeRecord& record) { seen.push_back(record.number); });
    // 100 + 289 × 28 bytes fill the two pages left; the walk ends there.
    EXPECT_EQ(seen.size(), 289u);
    EXPECT_EQ(seen.back(), 289u);
    // The table's header holds 97 bytes and its records 25: 487 of them fit.
    for (uint32_t n = 1; n <= 500; ++n) {
        const uint8_t* record = input::dbfRecord(table, n);
        ASSERT_EQ(record != nullptr, n <= 487) << n;
        if (!record) continue;
        const std::string expected = (n - 1) % 3 ? "Nazwa " + std::to_string(n - 1) : "";
        EXPECT_EQ(input::dbfText(input::dbfValue(table, record, name)), expected) << n;
    }
    EXPECT_TRUE(input::dbfReadFailed());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "blad odczytu pliku " + shpPath + "\nblad odczytu pliku " + dbfPath + "\n");
}

}  // namespace

// The compile-time outcome table agrees with the lists read in order: a code
// in two rows takes the first, a known code wins over a row, an unlisted row
// is passed over, and codes beyond the table are sought in the lists.
TEST(Vocabularies, OutcomeTableFollowsTheListsInOrder) {
    using layers::kKnownCode, layers::kUnlisted;
    static constexpr int32_t known[] = {5, 2000};
    static constexpr layers::VocabularyRow rows[] = {
        {{1, 3}, Obj::op_kosciol},        {{3, 5, 1023}, Obj::op_kaplica}, {{7}, layers::kNotListed},
        {{7, 8}, Obj::op_kaplica},        {{-4, 1024}, Obj::op_krzyz},
    };
    constexpr layers::Vocabulary vocabulary{known, rows};
    const std::pair<int32_t, int16_t> expected[] = {
        {1, 0},    {3, 0},  {5, kKnownCode}, {1023, 1},        {7, 3},         {8, 3},
        {-4, 4},   {1024, 4}, {2000, kKnownCode}, {0, kUnlisted}, {-1, kUnlisted}, {9, kUnlisted},
    };
    for (const auto& [code, outcome] : expected) {
        EXPECT_EQ(vocabulary.outcome(code), outcome) << "code " << code;
        EXPECT_EQ(vocabulary.outcomeOf(code), outcome) << "code " << code;
    }
}
