#include "input/files.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

int32_t fileLength(std::FILE* file) {
    if (seekTo(file, 0, SEEK_END) != 0) return -1;
    int64_t end = position(file);
    if (end < 0 || end > INT32_MAX) return -1;  // too large to hold
    if (seekTo(file, 0, SEEK_SET) != 0) return -1;
    return static_cast<int32_t>(end);
}

int readWholeFile(const char* path, FileBuffer& out) {
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        report::error("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
    int32_t length = fileLength(file);
    if (length < 0) {
        report::error("blad seek pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    std::size_t size = static_cast<std::size_t>(length);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size + kSpareBytes]);
    if (!bytes) {
        report::error("brak pamieci na odczyt pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    if (std::fread(bytes.get(), 1, size, file) != size) {
        report::error("blad odczytu pliku %s\n"_cp, path);
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

StreamedFile::~StreamedFile() {
    if (stream) std::fclose(stream);
}

int openStreamedFile(const char* path, StreamedFile& out) {
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        report::error("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
#ifndef _WIN32
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return -1;
    }
#endif
    int32_t length = fileLength(file);
    if (length < 0) {
        report::error("blad seek pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    // The window is the only buffer: the stream keeps none of its own.
    std::setvbuf(file, nullptr, _IONBF, 0);
    auto headLength = static_cast<uint32_t>(std::min<int32_t>(length, sizeof out.head));
    if (std::fread(out.head, 1, headLength, file) != headLength) {
        report::error("blad odczytu pliku %s\n"_cp, path);
        std::fclose(file);
        return 0;
    }
    out.stream = file;
    out.length = static_cast<uint32_t>(length);
    out.headLength = headLength;
    return 1;
}

}  // namespace input
