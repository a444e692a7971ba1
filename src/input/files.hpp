// Whole-file reading: every input file is held in one buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace input {

// Bytes behind the data of every buffer, zero-filled.
inline constexpr uint32_t kSpareBytes = 256;

struct FileBuffer {
    std::unique_ptr<uint8_t[]> bytes;  // length + kSpareBytes bytes
    uint32_t length = 0;               // file bytes
};

// Opens the file at `path`, code page 1250 text, like std::fopen.
std::FILE* openFile(const char* path, const char* mode);

// Length of the open file in bytes, or -1; the position is left at the start.
int32_t fileLength(std::FILE* file);

// 1 and the buffer filled, or 0 with a message (out untouched).
int readWholeFile(const char* path, FileBuffer& out);

}  // namespace input
