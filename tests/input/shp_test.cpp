// Shapefile header check and the record walk over well-formed and lying files.
#include <gtest/gtest.h>

#include <vector>

#include "input/shp.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using namespace testsupport;

const char* kPath = "dir/AIRPORTP.shp";
const std::string kNoHeader = std::string("brak naglowka SHP: ") + kPath + "\n";
const std::string kBadData = std::string("zle dane w naglowku SHP: ") + kPath + "\n";
const std::string kBadLength = std::string("zla dlugosc pliku w naglowku SHP: ") + kPath + "\n";
const std::string kTooLong = std::string("za dlugi rekord, plik ") + kPath + "\n";

const Bytes kPoint = pointShape(1, 2);

// The check fails exactly where it writes its message.
TEST(ShpHeader, ChecksSizeThenCodeAndVersionThenLength) {
    const std::pair<Bytes, std::string> cases[] = {
        {buildShp({}), ""},  // exactly 100 bytes
        {buildShp({{kPoint}}, {.shapeType = 11}), ""},  // the file's shape type is not looked at
        {Bytes(), kNoHeader}, {buildShp({}).substr(0, 99), kNoHeader},
        {buildShp({}, {.fileCode = 9995}), kBadData}, {buildShp({}, {.version = 999}), kBadData},
        {buildShp({}, {.fileCode = 0x0A270000}), kBadData},  // 9994 in the wrong byte order
        {buildShp({}, {.version = 0xE8030000}), kBadData},   // 1000 in the wrong byte order
        {buildShp({}, {.fileCode = 1, .lengthWords = 1000}), kBadData},
        {buildShp({}, {.lengthWords = 60, .trailing = Bytes(28, '\0')}), ""},  // 120 of 128 bytes
        {buildShp({}, {.lengthWords = 64, .trailing = Bytes(28, '\0')}), ""},
        {buildShp({}, {.lengthWords = 64, .trailing = Bytes(20, '\0')}), kBadLength},
        {buildShp({}, {.lengthWords = 0x80000032}), kBadLength},  // doubled in 32 bits: 100
        {buildShp({}, {.lengthWords = 0xFFFFFFFF}), kBadLength},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [file, message] = cases[i];
        testing::internal::CaptureStderr();
        int result = input::checkShpHeader(kPath, reinterpret_cast<const uint8_t*>(file.data()),
                                           static_cast<uint32_t>(file.size()));
        EXPECT_EQ(result, message.empty() ? 1 : 0) << "case " << i;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message) << "case " << i;
    }
}

TEST(ShapeRecordWalk, YieldsRecordsInFileOrderAndStopsAtTheFileEnd) {
    // Each record seen as number@offset of its content+length.
    const struct {
        Bytes file;
        std::string records, message;
    } cases[] = {
        {buildShp({{kPoint}, {nullShape(), 7}, {polylineShape({{{1, 2}, {3, 4}}})}}), "1@108+20 7@136+4 3@148+80", ""},
        // Up to 108 bytes there are no records, whatever the bytes.
        {buildShp({}), "", ""}, {buildShp({}, {.trailing = Bytes(1, '\xff')}), "", ""},
        {buildShp({}, {.trailing = Bytes(8, '\xff')}), "", ""},
        {buildShp({}, {.trailing = Bytes(9, '\0')}), "0@108+0", ""},
        // The real length counts, not the header's.
        {buildShp({{kPoint}, {kPoint}}, {.lengthWords = 60}), "1@108+20 2@136+20", ""},
        // Eight stray bytes are ignored; nine must hold a record.
        {buildShp({{kPoint}}, {.trailing = Bytes(8, '\x7f')}), "1@108+20", ""},
        {buildShp({{kPoint}}, {.trailing = Bytes(9, '\x7f')}), "1@108+20", kTooLong},
        {buildShp({{kPoint}, {kPoint, -1, 11}}), "1@108+20", kTooLong},
        // Lengths that would wrap in 32 bits are still too long.
        {buildShp({{kPoint, -1, 0x7FFFFFFF}, {kPoint}}), "", kTooLong},
        {buildShp({{kPoint, -1, 0x80000000}, {kPoint}}), "", kTooLong},
        {buildShp({{kPoint, -1, 0xFFFFFFFF}, {kPoint}}), "", kTooLong},
        // Short and empty contents are handed over with their real length.
        {buildShp({{Bytes(), 5}, {Bytes("\x01\x00", 2)}, {kPoint}}), "5@108+0 2@116+2 3@126+20", ""},
        // A zero-length record in the last eight bytes is not read; one byte more and it is.
        {buildShp({{kPoint}, {Bytes()}}), "1@108+20", ""},
        {buildShp({{kPoint}, {Bytes()}}, {.trailing = Bytes(1, '\0')}), "1@108+20 2@136+0", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        // A buffer of exactly the file's size: the sanitizer sees any read behind it.
        std::vector<uint8_t> exact(cases[i].file.begin(), cases[i].file.end());
        input::ShpFile shp{kPath, exact.data(), static_cast<uint32_t>(exact.size())};
        std::string seen;
        testing::internal::CaptureStderr();
        input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
            seen += std::to_string(r.number) + "@" + std::to_string(r.content - exact.data()) + "+" +
                    std::to_string(r.length) + " ";
        });
        EXPECT_EQ(testing::internal::GetCapturedStderr(), cases[i].message) << "case " << i;
        EXPECT_EQ(seen, cases[i].records.empty() ? "" : cases[i].records + " ") << "case " << i;
    }
}

}  // namespace
