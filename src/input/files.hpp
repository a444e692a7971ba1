// Whole-file reading: every input file is held in one buffer, either read
// into memory or mapped read-only.
#pragma once

#include <atomic>
#include <cstddef>
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

// A shapefile or attribute table while its layer is converted: mapped
// read-only where the system allows it (no copy, no fresh memory), else read
// whole (a pipe, an empty file). A mapping has no spare bytes: readers stop at
// `length`. Released (unmapped or freed) by the destructor.
struct InputFile {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    FileBuffer buffer;         // the plain read
    void* mapping = nullptr;   // the mapped region, guard page included
    std::size_t mappingSize = 0;
    int guardSlot = -1;        // its entry among the guarded mappings

    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();
};

// 1 with the file loaded, or 0 with the messages of readWholeFile. Maps the
// file while input::mapInputFiles is set, else reads it.
int loadInputFile(const char* path, InputFile& out);

// A shapefile read front to back through one reused window rather than held
// whole: no fresh memory is touched for its records, which on some systems
// costs more than reading them. `head` holds its first bytes for the header
// check. Closed by the destructor.
struct StreamedFile {
    std::FILE* stream = nullptr;
    uint32_t length = 0;   // file bytes
    uint8_t head[100] = {};
    uint32_t headLength = 0;

    StreamedFile() = default;
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;
    ~StreamedFile();
};

// 1 with the file open for streaming, 0 with a message, or -1 when the file
// is not a regular one (a pipe, a device): it is then to be read whole.
int openStreamedFile(const char* path, StreamedFile& out);

// A mapped file that shrinks while it is mapped (another process truncates
// it) cannot be read past its new end: such a read is caught, the rest of the
// mapping reads as zeros, and this flag is set. The record walk then ends
// early; the file's release reports "blad odczytu pliku %s".
inline std::atomic<bool> mappedInputLost{false};

// Reads the first byte of [bytes, bytes + count) and of every further page it
// covers, so that a page lost from a mapping shows in mappedInputLost before
// the bytes are used. True while nothing is lost.
inline bool touchInput(const uint8_t* bytes, uint64_t count) {
    constexpr uintptr_t kPage = 4096;  // the smallest page size: no page is skipped
    if (count != 0) {
        static_cast<void>(*static_cast<const volatile uint8_t*>(bytes));
        auto start = reinterpret_cast<uintptr_t>(bytes);
        for (uintptr_t page = (start | (kPage - 1)) + 1; page - start < count; page += kPage)
            static_cast<void>(*reinterpret_cast<const volatile uint8_t*>(page));
    }
    return !mappedInputLost.load(std::memory_order_relaxed);
}

}  // namespace input
