#include "input/files.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "input/run_flags.hpp"
#include "text/cp1250.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace input {

namespace {

// Positions as 64-bit numbers on every platform: a long holds only 32 bits
// on Windows, where a file of 4 GiB and more would otherwise seem short.
#ifdef _WIN32
int seekTo(std::FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin); }
int64_t position(std::FILE* file) { return _ftelli64(file); }
#else
int seekTo(std::FILE* file, int64_t offset, int origin) { return fseeko(file, static_cast<off_t>(offset), origin); }
int64_t position(std::FILE* file) { return static_cast<int64_t>(ftello(file)); }
#endif

}  // namespace

std::FILE* openFile(const char* path, const char* mode) {
#ifdef _WIN32
    // Paths are code page 1250 text like everything the program reads; the
    // wide call opens them whatever the system's own code page is.
    return _wfopen(text::cp1250ToWide(path).c_str(), text::cp1250ToWide(mode).c_str());
#else
    if (mode[0] != 'r' || std::strchr(mode, '+')) return std::fopen(path, mode);
    // A FIFO without a writer would block the open: it is opened at once and
    // then reads as an empty file. Reads block again, so a pipe with a writer
    // is waited for as usual.
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    int flags = fcntl(descriptor, F_GETFL);
    std::FILE* file = flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0
                          ? fdopen(descriptor, mode) : nullptr;
    if (!file) close(descriptor);
    return file;
#endif
}

bool fileExists(const char* path) {
    std::FILE* file = openFile(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

bool findAnyCase(std::string& path) {
    if (path.size() < 3) return fileExists(path.c_str());
    char* extension = path.data() + path.size() - 3;
    char lower[3];
    for (int i = 0; i < 3; ++i) lower[i] = extension[i];
    // The name as given, then all capitals first (ROADL.DBF is the common
    // variant): bit 2 raises the first letter, bit 1 the second, bit 0 the third.
    for (int k = 0; k < 8; ++k) {
        int upper = k == 0 ? 0 : 8 - k;
        for (int i = 0; i < 3; ++i) {
            bool raise = (upper & (4 >> i)) && lower[i] >= 'a' && lower[i] <= 'z';
            extension[i] = raise ? static_cast<char>(lower[i] - 'a' + 'A') : lower[i];
        }
        if (fileExists(path.c_str())) return true;
    }
    for (int i = 0; i < 3; ++i) extension[i] = lower[i];
    return false;
}

int32_t fileLength(std::FILE* file) {
    if (seekTo(file, 0, SEEK_END) != 0) return -1;
    int64_t end = position(file);
    if (end < 0 || end > INT32_MAX) return -1;  // too large to hold
    if (seekTo(file, 0, SEEK_SET) != 0) return -1;
    return static_cast<int32_t>(end);
}

namespace {

// Reads the open file whole into out; the file is closed either way.
int readWholeStream(std::FILE* file, const char* path, FileBuffer& out) {
    int32_t length = fileLength(file);
    if (length < 0) {
        report::failure("blad seek pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    std::size_t size = static_cast<std::size_t>(length);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size + kSpareBytes]);
    if (!bytes) {
        report::failure("brak pamieci na odczyt pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    if (std::fread(bytes.get(), 1, size, file) != size) {
        report::failure("blad odczytu pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    std::fclose(file);
    // The spare bytes are cleared, so a reader running into them finds zeros.
    std::memset(bytes.get() + size, 0, kSpareBytes);
    out.bytes = std::move(bytes);
    out.length = static_cast<uint32_t>(length);
    return 1;
}

const uint8_t* cannotRead(const char* path) {
    report::failure("blad odczytu pliku %s\n"_cp, path);
    return nullptr;
}

}  // namespace

int readWholeFile(const char* path, FileBuffer& out) {
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        report::failure("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
    return readWholeStream(file, path, out);
}

InputFile::~InputFile() {
    if (stream) std::fclose(stream);
}

int loadInputFile(const char* path, InputFile& out, uint32_t headBytes) {
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        report::failure("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
    bool streamed = streamInputFiles;
#ifndef _WIN32
    struct stat status {};
    streamed = streamed && fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
    if (!streamed) {
        if (!readWholeStream(file, path, out.buffer)) return 0;
        out.length = out.buffer.length;
        out.data = out.head = out.buffer.bytes.get();
        out.headLength = std::min(out.length, headBytes);
        return 1;
    }
    // The window is the only buffer: the stream keeps none of its own.
    std::setvbuf(file, nullptr, _IONBF, 0);
    FileBuffer head;
    int32_t length = fileLength(file);
    if (length >= 0) head.length = std::min(static_cast<uint32_t>(length), headBytes);
    if (length >= 0) head.bytes.reset(new (std::nothrow) uint8_t[head.length + kSpareBytes]);
    const char* failure = length < 0 ? "blad seek pliku %s\n"_cp
                          : !head.bytes ? "brak pamieci na odczyt pliku %s\n"_cp
                          : std::fread(head.bytes.get(), 1, head.length, file) != head.length
                              ? "blad odczytu pliku %s\n"_cp : nullptr;
    if (failure) {
        report::failure(failure, path);
        std::fclose(file);
        return 0;
    }
    std::memset(head.bytes.get() + head.length, 0, kSpareBytes);
    out.buffer = std::move(head);
    out.stream = file;
    out.length = static_cast<uint32_t>(length);
    out.head = out.buffer.bytes.get();
    out.headLength = out.buffer.length;
    return 1;
}

void* allocateProcessBuffer(std::size_t bytes) {
    bytes = (bytes + 63) & ~std::size_t{63};
#if defined(_WIN32)
    return new (std::nothrow) uint8_t[bytes];
#else
    // Slices of one region, so that the process's few buffers share as few
    // pages as possible: each page, huge or small, costs its clearing.
    constexpr std::size_t kHugePage = 2 * 1024 * 1024;
    static uint8_t* next = nullptr;
    static std::size_t left = 0;
    if (bytes > left) {
        std::size_t size = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        void* region = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) return nullptr;
        auto aligned = (reinterpret_cast<uintptr_t>(region) + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);  // a hint: small pages serve as well
        next = reinterpret_cast<uint8_t*>(aligned);
        left = size;
    }
    void* slice = next;
    next += bytes;
    left -= bytes;
    return slice;
#endif
}

void StreamWindow::reset() {
    large_.reset();
    bytes_ = fixed_;
    capacity_ = fixed_ ? kSize : 0;
    start_ = 0;
    length_ = 0;
    position_ = UINT64_MAX;
}

const uint8_t* StreamWindow::read(std::FILE* stream, uint64_t fileLength, const char* path, uint64_t offset,
                                  uint64_t count) {
    if (offset >= start_ && offset + count <= start_ + length_) return bytes_ + (offset - start_);
    if (!fixed_) {
        fixed_ = static_cast<uint8_t*>(allocateProcessBuffer(kSize));
        if (!fixed_) {
            report::failure("brak pamieci na odczyt pliku %s\n"_cp, path);
            return nullptr;
        }
        bytes_ = fixed_;
        capacity_ = kSize;
    }
    // Reading on from what is held keeps the part of it asked for and fills
    // the buffer behind it; anything else starts afresh where asked.
    uint64_t end = start_ + length_;
    bool onward = position_ == end && offset >= start_ && offset <= end;
    std::size_t kept = onward ? static_cast<std::size_t>(end - offset) : 0;
    if (kept != 0) std::memmove(bytes_, bytes_ + (offset - start_), kept);
    if (count > capacity_) {
        std::unique_ptr<uint8_t[]> larger(new (std::nothrow) uint8_t[count]);
        if (!larger) {
            report::failure("brak pamieci na odczyt pliku %s\n"_cp, path);
            return nullptr;
        }
        std::memcpy(larger.get(), bytes_, kept);
        large_ = std::move(larger);
        bytes_ = large_.get();
        capacity_ = static_cast<std::size_t>(count);
    }
    start_ = offset;
    length_ = kept;
    position_ = UINT64_MAX;
    if (!onward && seekTo(stream, static_cast<int64_t>(offset), SEEK_SET) != 0) return cannotRead(path);
    uint64_t rest = fileLength > offset ? fileLength - offset : 0;
    std::size_t wanted = onward ? static_cast<std::size_t>(std::min<uint64_t>(capacity_, rest)) : count;
    wanted = std::max(wanted, kept);
    length_ += std::fread(bytes_ + kept, 1, wanted - kept, stream);
    if (length_ < count) {
        length_ = 0;
        return cannotRead(path);
    }
    position_ = start_ + length_;
    return bytes_;
}

}  // namespace input
