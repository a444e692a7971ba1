// Input files: read whole with cleared spare bytes or streamed through a window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "support/program.hpp"

namespace {

std::string text(const uint8_t* bytes, std::size_t length) { return {reinterpret_cast<const char*>(bytes), length}; }

// A file loaded streamed, loaded read whole, or read by readWholeFile: the same
// bytes and head, the spare bytes cleared, the same messages, and a failure
// leaves the output untouched. A streamed file's bytes come through its window.
TEST(LoadInputFile, StreamedOrReadGivesTheSameBytesAndMessages) {
    testsupport::TempDir dir;
    const std::string data("ab\0\xff\r\ncd", 8);
    testsupport::writeFile(dir.file("data.bin"), data);
    testsupport::writeFile(dir.file("empty.bin"), "");
    testsupport::writeFile(dir.file("huge.bin"), "");
    // 2 GiB is more than a buffer may hold; the sparse file takes no room.
    ASSERT_EQ(truncate(dir.file("huge.bin").c_str(), 0x80000000LL), 0);
    const struct {
        std::string name, bytes;
        const char* failure;
    } cases[] = {
        {"data.bin", data, nullptr}, {"empty.bin", "", nullptr}, {"missing.bin", "", "blad otwarcia pliku "},
        {"huge.bin", "", "blad seek pliku "},
        {"", "", "blad seek pliku "},  // the directory: no file to read, its seek or its read fails
    };
    for (const char* mode : {"streamed", "read", "readWholeFile"}) {
        const bool streamed = mode[0] == 's', readWhole = mode[4] == 'W';
        input::streamInputFiles = streamed;
        for (const auto& c : cases) {
            const std::string path = dir.file(c.name);
            SCOPED_TRACE(path + " " + mode);
            input::InputFile file;
            file.buffer.length = 5;
            testing::internal::CaptureStderr();
            int result = readWhole ? input::readWholeFile(path.c_str(), file.buffer)
                                   : input::loadInputFile(path.c_str(), file, 3);
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(result, c.failure ? 0 : 1);
            if (c.failure) {
                const bool dirRead = c.name.empty() && err == "blad odczytu pliku " + path + "\n";
                EXPECT_TRUE(err == c.failure + path + "\n" || dirRead) << err;
                EXPECT_EQ(file.buffer.length, 5u);
                EXPECT_EQ(file.buffer.bytes, nullptr);
                continue;
            }
            EXPECT_EQ(err, "");
            for (uint32_t i = 0; i < input::kSpareBytes; ++i)
                ASSERT_EQ(file.buffer.bytes[file.buffer.length + i], 0) << i;
            if (readWhole) {
                EXPECT_EQ(text(file.buffer.bytes.get(), file.buffer.length), c.bytes);
                continue;
            }
            EXPECT_EQ(file.length, c.bytes.size());
            EXPECT_EQ(file.stream != nullptr, streamed);
            std::string whole = file.data ? text(file.data, file.length) : "";
            if (file.stream) {
                input::StreamWindow window;
                window.reset();
                const uint8_t* bytes = window.read(file.stream, file.length, path.c_str(), 0, file.length);
                if (bytes) whole = text(bytes, file.length);
            }
            EXPECT_EQ(whole, c.bytes);
            EXPECT_EQ(text(file.head, file.headLength), c.bytes.substr(0, 3));
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
    const struct {
        uint64_t offset, count;
    } reads[] = {{100, 8},     {108, 1000},  {262000, 200}, {262100, 3000}, {500, 10},   {400000, 4},
                 {10, 300000}, {300000, 1},  {599990, 10},  {0, 600000},    {599999, 1}, {0, 0}};
    for (const auto& r : reads) {
        SCOPED_TRACE(std::to_string(r.offset) + "+" + std::to_string(r.count));
        const uint8_t* at = window.read(file, bytes.size(), path.c_str(), r.offset, r.count);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(window.offsetOf(at), r.offset);
        EXPECT_GE(window.endOffset(), r.offset + r.count);
        EXPECT_TRUE(text(at, r.count) == bytes.substr(r.offset, r.count));
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(window.read(file, bytes.size() + 10, path.c_str(), 599995, 10), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "blad odczytu pliku " + path + "\n");
    std::fclose(file);
}

// Lengths are taken in 64 bits: a file just past 4 GiB does not pass for a
// short one (sparse files, so they take no room); a pipe cannot seek.
TEST(FileLength, GivesTheLengthFromTheStartOrMinusOne) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("twelve bytes", file);
    EXPECT_EQ(input::fileLength(file), 12);
    EXPECT_EQ(std::fgetc(file), 't');  // the position is back at the start
    std::fclose(file);
    testsupport::TempDir dir;
    for (uintmax_t size : {uintmax_t{0x80000000}, uintmax_t{0x100000000} + 100}) {
        testsupport::writeFile(dir.file("big.shp"), "");
        std::filesystem::resize_file(dir.file("big.shp"), size);
        std::FILE* big = std::fopen(dir.file("big.shp").c_str(), "rb");
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(input::fileLength(big), -1) << size;
        std::fclose(big);
    }
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* pipeEnd = fdopen(ends[0], "rb");
    EXPECT_EQ(input::fileLength(pipeEnd), -1);
    std::fclose(pipeEnd);
    close(ends[1]);
}

}  // namespace
