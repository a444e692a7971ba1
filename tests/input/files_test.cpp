// Whole-file reading: one buffer per file with cleared spare bytes behind it.
#include <gtest/gtest.h>

#include "input/files.hpp"
#include "support/program.hpp"

namespace {

using input::FileBuffer;
using input::kSpareBytes;
using input::readWholeFile;

TEST(ReadWholeFile, ReadsEveryByteAndClearsTheSpareBytes) {
    testsupport::TempDir dir;
    std::string bytes("ab\0\xff\r\ncd", 8);
    testsupport::writeFile(dir.file("data.bin"), bytes);
    FileBuffer buffer;
    testing::internal::CaptureStderr();
    ASSERT_EQ(readWholeFile(dir.file("data.bin").c_str(), buffer), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(buffer.length, 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.bytes.get()), 8), bytes);
    for (uint32_t i = 0; i < kSpareBytes; ++i) ASSERT_EQ(buffer.bytes[8 + i], 0) << i;
}

TEST(ReadWholeFile, EmptyFileIsReadWithLengthZero) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("empty.shp"), "");
    FileBuffer buffer;
    buffer.length = 77;
    ASSERT_EQ(readWholeFile(dir.file("empty.shp").c_str(), buffer), 1);
    EXPECT_EQ(buffer.length, 0u);
    ASSERT_NE(buffer.bytes, nullptr);
    EXPECT_EQ(buffer.bytes[0], 0);
}

TEST(ReadWholeFile, MissingFileFailsWithMessageAndLeavesOutputUntouched) {
    testsupport::TempDir dir;
    std::string path = dir.file("ROADL.dbf");
    FileBuffer buffer;
    buffer.length = 5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(readWholeFile(path.c_str(), buffer), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "blad otwarcia pliku " + path + "\n");
    EXPECT_EQ(buffer.length, 5u);
    EXPECT_EQ(buffer.bytes, nullptr);
}

TEST(ReadWholeFile, DirectoryIsNotReadAsAFile) {
    testsupport::TempDir dir;
    FileBuffer buffer;
    testing::internal::CaptureStderr();
    EXPECT_EQ(readWholeFile(dir.path.c_str(), buffer), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(dir.path), std::string::npos);
    EXPECT_EQ(buffer.bytes, nullptr);
}

}  // namespace
