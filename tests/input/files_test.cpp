// Whole-file reading: one buffer per file with cleared spare bytes behind it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "support/program.hpp"

namespace {

TEST(ReadWholeFile, ReadsEveryByteAndClearsTheSpareBytes) {
    testsupport::TempDir dir;
    for (std::string bytes : {std::string("ab\0\xff\r\ncd", 8), std::string()}) {
        testsupport::writeFile(dir.file("data.bin"), bytes);
        input::FileBuffer buffer;
        ASSERT_EQ(input::readWholeFile(dir.file("data.bin").c_str(), buffer), 1);
        ASSERT_EQ(buffer.length, bytes.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.bytes.get()), bytes.size()), bytes);
        for (uint32_t i = 0; i < input::kSpareBytes; ++i) ASSERT_EQ(buffer.bytes[bytes.size() + i], 0) << i;
    }
}

TEST(ReadWholeFile, FailuresAreReportedAndLeaveTheOutputUntouched) {
    testsupport::TempDir dir;
    // A directory is no file to read: its seek or its read fails.
    for (const std::string& path : {dir.file("ROADL.dbf"), dir.path}) {
        input::FileBuffer buffer;
        buffer.length = 5;
        testing::internal::CaptureStderr();
        EXPECT_EQ(input::readWholeFile(path.c_str(), buffer), 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(err == (path == dir.path ? "blad seek pliku " : "blad otwarcia pliku ") + path + "\n" ||
                    (path == dir.path && err == "blad odczytu pliku " + path + "\n"))
            << err;
        EXPECT_EQ(buffer.length, 5u);
        EXPECT_EQ(buffer.bytes, nullptr);
    }
}

// Input files load the same mapped or read: the same bytes, the same messages.
TEST(LoadInputFile, MappedOrReadGivesTheSameBytesAndMessages) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("data.bin"), std::string("ab\0\xff\r\ncd", 8));
    testsupport::writeFile(dir.file("empty.bin"), "");
    testsupport::writeFile(dir.file("huge.bin"), "");
    // 2 GiB is more than a buffer may hold; the sparse file takes no room.
    ASSERT_EQ(truncate(dir.file("huge.bin").c_str(), 0x80000000LL), 0);
    struct Case {
        std::string path;
        std::string bytes;    // loaded
        std::string message;  // or the failure message
    } cases[] = {
        {dir.file("data.bin"), std::string("ab\0\xff\r\ncd", 8), ""},
        {dir.file("empty.bin"), "", ""},
        {dir.file("missing.bin"), "", "blad otwarcia pliku " + dir.file("missing.bin") + "\n"},
        {dir.file("huge.bin"), "", "blad seek pliku " + dir.file("huge.bin") + "\n"},
    };
    for (bool mapped : {true, false}) {
        input::mapInputFiles = mapped;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path + (mapped ? " mapped" : " read"));
            input::InputFile file;
            testing::internal::CaptureStderr();
            int result = input::loadInputFile(c.path.c_str(), file);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
            EXPECT_EQ(result, c.message.empty() ? 1 : 0);
            std::string loaded = file.data ? std::string(reinterpret_cast<const char*>(file.data), file.length) : "";
            EXPECT_EQ(loaded, c.bytes);
            EXPECT_EQ(file.mapping != nullptr, mapped && !c.bytes.empty());
        }
    }
    input::mapInputFiles = true;
}

TEST(FileLength, GivesTheLengthFromTheStartOrMinusOne) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("twelve bytes", file);
    EXPECT_EQ(input::fileLength(file), 12);
    EXPECT_EQ(std::fgetc(file), 't');  // the position is back at the start
    std::fclose(file);

    // Lengths are taken in 64 bits: a file just past 4 GiB does not pass
    // for a short one (a sparse file, so it takes no room).
    testsupport::TempDir dir;
    for (uintmax_t size : {uintmax_t{0x80000000}, uintmax_t{0x100000000} + 100}) {
        const std::string big = dir.file("big.shp");
        testsupport::writeFile(big, "");
        std::filesystem::resize_file(big, size);
        std::FILE* bigFile = std::fopen(big.c_str(), "rb");
        ASSERT_NE(bigFile, nullptr);
        EXPECT_EQ(input::fileLength(bigFile), -1) << size;
        std::fclose(bigFile);
    }

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* pipeEnd = fdopen(ends[0], "rb");
    EXPECT_EQ(input::fileLength(pipeEnd), -1);  // a pipe cannot seek
    std::fclose(pipeEnd);
    close(ends[1]);
}

}  // namespace
