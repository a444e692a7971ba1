// Input files: read whole into one buffer, or streamed through a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace input {

// Bytes behind the data of every buffer, zero-filled.
inline constexpr uint32_t kSpareBytes = 256;

struct FileBuffer {
    std::unique_ptr<uint8_t[]> bytes;  // length + kSpareBytes bytes
    uint32_t length = 0;               // file bytes
};

// Opens the file at `path`, code page 1250 text, like std::fopen.
std::FILE* openFile(const char* path, const char* mode);

// True when the file can be opened for reading. Opened without waiting, so a
// FIFO in its place does not block the probe.
bool fileExists(const char* path);

// Where the file system tells letter cases apart and no file has the name
// `path` (which ends in a lower-case extension), the first existing name whose
// extension differs only in case (ROADL.DBF for ROADL.dbf), as it would be
// found where case does not matter. True with path holding the name found;
// false with path as it came.
bool findAnyCase(std::string& path);

// Length of the open file in bytes, or -1; the position is left at the start.
int32_t fileLength(std::FILE* file);

// 1 and the buffer filled, or 0 with a message (out untouched).
int readWholeFile(const char* path, FileBuffer& out);

// Memory for a buffer that lives as long as the process, or null; called from
// one thread. On Linux the buffers share huge pages where the system grants
// them: on virtual machines the first write to each small page costs more
// than filling it.
void* allocateProcessBuffer(std::size_t bytes);

// A layer's shapefile or table while the layer is converted. A regular file
// is streamed: read front to back through a StreamWindow, so that no fresh
// memory is touched for its records (on virtual machines a fresh page costs
// more than reading it) and a file needs no memory of its size. Anything else
// (a pipe, a device) is read whole into `data`. `head` holds the first bytes
// either way, for the header checks. Closed or freed by the destructor.
struct InputFile {
    uint32_t length = 0;            // file bytes
    const uint8_t* data = nullptr;  // the whole file when read whole, else null
    std::FILE* stream = nullptr;    // the file while streamed
    const uint8_t* head = nullptr;  // the first headLength bytes (at most the head asked for)
    uint32_t headLength = 0;
    FileBuffer buffer;              // the whole file, or a streamed file's head

    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();
};

// 1 with the file open or read, or 0 with a message ("blad otwarcia pliku",
// "blad seek pliku", "blad odczytu pliku", "brak pamieci na odczyt pliku").
// While input::streamInputFiles is set a regular file is streamed with its
// first headBytes bytes read at once; otherwise every file is read whole.
int loadInputFile(const char* path, InputFile& out, uint32_t headBytes);

// The bytes of one streamed file at a time through a reused buffer. Reading
// goes front to back, each request taking a buffer's worth; a jump back or
// ahead reads just the bytes asked for, so files read out of order cost a
// read per request and no more. A request larger than the buffer gets a
// block of its own until the next reset.
class StreamWindow {
public:
    // Starts on a new file (or again at the start of the same one).
    void reset();
    // Bytes [offset, offset + count) of the stream, a file of fileLength
    // bytes, valid until the next call. Null, after "blad odczytu pliku %s"
    // or "brak pamieci na odczyt pliku %s", when they cannot be had (the file
    // shrank, a read failed, no memory).
    const uint8_t* read(std::FILE* stream, uint64_t fileLength, const char* path, uint64_t offset,
                        uint64_t count);
    // File offset of a pointer the last read returned.
    uint64_t offsetOf(const uint8_t* at) const { return start_ + static_cast<uint64_t>(at - bytes_); }
    // File offset behind the bytes held.
    uint64_t endOffset() const { return start_ + length_; }

private:
    static constexpr std::size_t kSize = 128 * 1024;
    uint8_t* fixed_ = nullptr;          // taken at the first read, kept for the process
    std::unique_ptr<uint8_t[]> large_;
    uint8_t* bytes_ = nullptr;
    std::size_t capacity_ = 0;
    uint64_t start_ = 0;                // file offset of bytes_[0]
    std::size_t length_ = 0;            // bytes held
    uint64_t position_ = UINT64_MAX;    // the stream's offset, when known
};

}  // namespace input
