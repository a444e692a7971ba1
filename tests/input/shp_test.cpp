// Shapefile header check and the record walk over well-formed and lying files.
#include <gtest/gtest.h>

#include <vector>

#include "input/shp.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using namespace testsupport;

const char* kPath = "dir/AIRPORTP.shp";

const uint8_t* bytesOf(const Bytes& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

struct Checked {
    int result;
    std::string err;
};

Checked check(const Bytes& file) {
    testing::internal::CaptureStderr();
    int result = input::checkShpHeader(kPath, bytesOf(file), static_cast<uint32_t>(file.size()));
    return {result, testing::internal::GetCapturedStderr()};
}

struct Seen {
    uint32_t number;
    uint32_t offset;  // content offset in the file
    uint32_t length;
};

struct Walked {
    std::vector<Seen> records;
    std::string err;
};

// Walks a copy of the file in a buffer of exactly its size, so the address
// sanitizer catches any read behind the file's bytes.
Walked walk(const Bytes& file) {
    std::vector<uint8_t> exact(file.begin(), file.end());
    input::ShpFile shp{kPath, exact.data(), static_cast<uint32_t>(exact.size())};
    Walked w;
    testing::internal::CaptureStderr();
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
        uint32_t offset = static_cast<uint32_t>(r.content - exact.data());
        EXPECT_LE(uint64_t{offset} + r.length, exact.size());
        w.records.push_back({r.number, offset, r.length});
    });
    w.err = testing::internal::GetCapturedStderr();
    return w;
}

const std::string kTooLong = std::string("za dlugi rekord, plik ") + kPath + "\n";

TEST(ShpHeader, AcceptsWellFormedHeaders) {
    EXPECT_EQ(check(buildShp({})).result, 1);  // exactly 100 bytes
    EXPECT_EQ(check(buildShp({{pointShape(1, 2)}})).err, "");
    // The file's shape type is not looked at.
    EXPECT_EQ(check(buildShp({{pointShape(1, 2)}}, {.shapeType = 11})).result, 1);
}

TEST(ShpHeader, ShortFileHasNoHeader) {
    std::string expected = std::string("brak naglowka SHP: ") + kPath + "\n";
    for (std::size_t size : {0u, 1u, 99u}) {
        Checked c = check(buildShp({}).substr(0, size));
        EXPECT_EQ(c.result, 0) << size;
        EXPECT_EQ(c.err, expected) << size;
    }
}

TEST(ShpHeader, WrongFileCodeOrVersion) {
    std::string expected = std::string("zle dane w naglowku SHP: ") + kPath + "\n";
    for (ShpOptions o : {ShpOptions{.fileCode = 9995}, ShpOptions{.fileCode = 0x0A270000},
                         ShpOptions{.version = 999}, ShpOptions{.version = 0xE8030000}}) {
        Checked c = check(buildShp({}, o));
        EXPECT_EQ(c.result, 0);
        EXPECT_EQ(c.err, expected);
    }
    // The code is tested before the length.
    EXPECT_EQ(check(buildShp({}, {.fileCode = 1, .lengthWords = 1000})).err, expected);
}

TEST(ShpHeader, LengthFieldMayNotExceedTheRealLength) {
    std::string expected = std::string("zla dlugosc pliku w naglowku SHP: ") + kPath + "\n";
    Bytes body(28, '\0');
    // 60 words in a 128-byte file: accepted.
    EXPECT_EQ(check(buildShp({}, {.lengthWords = 60, .trailing = body})).result, 1);
    EXPECT_EQ(check(buildShp({}, {.lengthWords = 64, .trailing = body})).result, 1);
    Checked over = check(buildShp({}, {.lengthWords = 64, .trailing = body.substr(0, 20)}));
    EXPECT_EQ(over.result, 0);
    EXPECT_EQ(over.err, expected);
    // Doubling 0x80000032 wraps to 100 in 32 bits; it must not pass.
    EXPECT_EQ(check(buildShp({}, {.lengthWords = 0x80000032})).result, 0);
    EXPECT_EQ(check(buildShp({}, {.lengthWords = 0xFFFFFFFF})).result, 0);
}

TEST(ShapeRecordWalk, YieldsEveryRecordInFileOrder) {
    Bytes poly = polylineShape({{{1, 2}, {3, 4}}});
    Walked w = walk(buildShp({{pointShape(1, 2)}, {nullShape(), 7}, {poly}}));
    EXPECT_EQ(w.err, "");
    ASSERT_EQ(w.records.size(), 3u);
    EXPECT_EQ(w.records[0].number, 1u);
    EXPECT_EQ(w.records[0].offset, 108u);
    EXPECT_EQ(w.records[0].length, 20u);
    EXPECT_EQ(w.records[1].number, 7u);
    EXPECT_EQ(w.records[1].offset, 136u);
    EXPECT_EQ(w.records[1].length, 4u);
    EXPECT_EQ(w.records[2].number, 3u);
    EXPECT_EQ(w.records[2].offset, 148u);
    EXPECT_EQ(w.records[2].length, poly.size());
}

TEST(ShapeRecordWalk, FilesOfUpTo108BytesHaveNoRecords) {
    for (std::size_t extra : {0u, 1u, 8u}) {
        Walked w = walk(buildShp({}, {.trailing = Bytes(extra, '\xff')}));
        EXPECT_TRUE(w.records.empty()) << extra;
        EXPECT_EQ(w.err, "") << extra;
    }
    // 109 bytes: a zero-length record header fits.
    Walked w = walk(buildShp({}, {.trailing = Bytes(9, '\0')}));
    ASSERT_EQ(w.records.size(), 1u);
    EXPECT_EQ(w.records[0].length, 0u);
}

TEST(ShapeRecordWalk, UsesTheRealLengthNotTheHeaderField) {
    Bytes file = buildShp({{pointShape(1, 2)}, {pointShape(3, 4)}}, {.lengthWords = 60});
    EXPECT_EQ(walk(file).records.size(), 2u);
}

TEST(ShapeRecordWalk, StrayTrailingBytes) {
    std::vector<ShpRecord> records{{pointShape(1, 2)}};
    Walked eight = walk(buildShp(records, {.trailing = Bytes(8, '\x7f')}));
    EXPECT_EQ(eight.records.size(), 1u);
    EXPECT_EQ(eight.err, "");
    Walked nine = walk(buildShp(records, {.trailing = Bytes(9, '\x7f')}));
    EXPECT_EQ(nine.records.size(), 1u);
    EXPECT_EQ(nine.err, kTooLong);
}

TEST(ShapeRecordWalk, RecordReachingPastTheFileEndsTheWalk) {
    // The last record claims one word more than the file holds.
    Bytes point = pointShape(1, 2);
    Bytes last = buildShp({{point}, {point, -1, 11}});
    Walked cut = walk(last);
    EXPECT_EQ(cut.records.size(), 1u);
    EXPECT_EQ(cut.err, kTooLong);
    // 0x7FFFFFFF words (and more) must not wrap into a short record.
    for (int64_t words : {0x7FFFFFFFLL, 0x80000000LL, 0xFFFFFFFFLL}) {
        Walked lie = walk(buildShp({{point, -1, words}, {point}}));
        EXPECT_TRUE(lie.records.empty()) << words;
        EXPECT_EQ(lie.err, kTooLong) << words;
    }
}

TEST(ShapeRecordWalk, ShortAndEmptyContentsAreHandedOverWithTheirRealLength) {
    Walked w = walk(buildShp({{Bytes(), 5}, {Bytes("\x01\x00", 2)}, {pointShape(1, 2)}}));
    ASSERT_EQ(w.records.size(), 3u);
    EXPECT_EQ(w.records[0].number, 5u);
    EXPECT_EQ(w.records[0].length, 0u);
    EXPECT_EQ(w.records[1].length, 2u);
    EXPECT_EQ(w.records[2].length, 20u);
    EXPECT_EQ(w.err, "");
    // Eight bytes at the end are never a record, even a well-formed
    // zero-length one; followed by one more byte it is.
    EXPECT_EQ(walk(buildShp({{pointShape(1, 2)}, {Bytes()}})).records.size(), 1u);
    Walked end = walk(buildShp({{pointShape(1, 2)}, {Bytes()}}, {.trailing = Bytes(1, '\0')}));
    ASSERT_EQ(end.records.size(), 2u);
    EXPECT_EQ(end.records[1].offset, 136u);
    EXPECT_EQ(end.err, "");
}

}  // namespace
