// Input files: whole-file reading with cleared spare bytes, and streaming through a window.
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

// Input files load the same streamed or read whole: the same head, the same
// messages; a streamed file's bytes come through its window.
TEST(LoadInputFile, StreamedOrReadGivesTheSameBytesAndMessages) {
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
    for (bool streamed : {true, false}) {
        input::streamInputFiles = streamed;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path + (streamed ? " streamed" : " read"));
            input::InputFile file;
            testing::internal::CaptureStderr();
            int result = input::loadInputFile(c.path.c_str(), file, 3);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
            EXPECT_EQ(result, c.message.empty() ? 1 : 0);
            if (result == 0) continue;
            EXPECT_EQ(file.length, c.bytes.size());
            EXPECT_EQ(file.stream != nullptr, streamed);
            std::string whole = streamed ? "" : std::string(reinterpret_cast<const char*>(file.data), file.length);
            if (streamed) {
                input::StreamWindow window;
                window.reset();
                const uint8_t* bytes = window.read(file.stream, file.length, c.path.c_str(), 0, file.length);
                if (bytes) whole.assign(reinterpret_cast<const char*>(bytes), file.length);
            }
            EXPECT_EQ(whole, c.bytes);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.head), file.headLength), c.bytes.substr(0, 3));
        }
    }
    input::streamInputFiles = true;
}

// Reads onward, inside what is held, back, ahead, larger than the buffer and
// past the end of the file, in one sequence over a file of 600,000 bytes.
TEST(StreamWindow, GivesTheBytesAskedForInAnyOrder) {
    testsupport::TempDir dir;
    std::string bytes(600000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::string path = dir.file("data.bin");
    testsupport::writeFile(path, bytes);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    input::StreamWindow window;
    window.reset();
    struct Read {
        uint64_t offset, count;
    } reads[] = {{100, 8},      {108, 1000},   {262000, 200}, {262100, 3000}, {500, 10},   {400000, 4},
                 {10, 300000},  {300000, 1},   {599990, 10},  {0, 600000},    {599999, 1}, {0, 0}};
    for (const Read& r : reads) {
        SCOPED_TRACE(std::to_string(r.offset) + "+" + std::to_string(r.count));
        const uint8_t* at = window.read(file, bytes.size(), path.c_str(), r.offset, r.count);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(window.offsetOf(at), r.offset);
        EXPECT_GE(window.endOffset(), r.offset + r.count);
        EXPECT_TRUE(std::string(reinterpret_cast<const char*>(at), r.count) == bytes.substr(r.offset, r.count));
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(window.read(file, bytes.size() + 10, path.c_str(), 599995, 10), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "blad odczytu pliku " + path + "\n");
    std::fclose(file);
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
