#include "input/shp.hpp"

#include <algorithm>
#include <memory>
#include <new>

using namespace text::literals;

namespace input {

namespace {

// The window of a streamed walk: file bytes from windowStart on. A record
// larger than the static window gets a block of its own for the rest of the walk.
constexpr std::size_t kWindowSize = 256 * 1024;
uint8_t windowBytes[kWindowSize];
std::unique_ptr<uint8_t[]> largeWindow;
uint8_t* window = windowBytes;
std::size_t capacity = kWindowSize;
uint64_t windowStart = 0;
std::size_t windowLength = 0;

const uint8_t* readFailed(const ShpFile& shp) {
    report::error("blad odczytu pliku %s\n"_cp, shp.path);
    return nullptr;
}

}  // namespace

void startShpWindow(const ShpFile& shp) {
    largeWindow.reset();
    window = windowBytes;
    capacity = kWindowSize;
    windowStart = 0;
    windowLength = 0;
    std::fseek(shp.stream, 0, SEEK_SET);
}

const uint8_t* shpWindowBytes(const ShpFile& shp, uint64_t offset, uint64_t count) {
    if (offset >= windowStart && offset + count <= windowStart + windowLength) return window + (offset - windowStart);
    // The bytes from offset on that the window holds move to its front, and
    // the file behind them fills it.
    std::size_t kept = 0;
    if (offset < windowStart + windowLength) {
        kept = static_cast<std::size_t>(windowStart + windowLength - offset);
        std::memmove(window, window + (offset - windowStart), kept);
    } else if (offset != windowStart + windowLength) {
        if (std::fseek(shp.stream, static_cast<long>(offset), SEEK_SET) != 0) return readFailed(shp);
    }
    if (count > capacity) {
        std::unique_ptr<uint8_t[]> larger(new (std::nothrow) uint8_t[count]);
        if (!larger) {
            report::error("brak pamieci na odczyt pliku %s\n"_cp, shp.path);
            return nullptr;
        }
        std::memcpy(larger.get(), window, kept);
        largeWindow = std::move(larger);
        window = largeWindow.get();
        capacity = static_cast<std::size_t>(count);
    }
    windowStart = offset;
    windowLength = kept;
    uint64_t fileRest = shp.length > offset ? shp.length - offset : 0;
    std::size_t wanted = static_cast<std::size_t>(std::min<uint64_t>(capacity, fileRest)) - kept;
    windowLength += std::fread(window + kept, 1, wanted, shp.stream);
    if (windowLength < count) return readFailed(shp);
    return window;
}

int checkShpHeader(const char* path, const uint8_t* contents, uint32_t length) {
    if (length < 100) {
        report::error("brak naglowka SHP: %s\n"_cp, path);
        return 0;
    }
    if (readBigEndian32(contents) != 9994 || readLittleEndian32(contents + 28) != 1000) {
        report::error("zle dane w naglowku SHP: %s\n"_cp, path);
        return 0;
    }
    // The length field counts 16-bit words; doubled in 64 bits it cannot wrap.
    if (2 * uint64_t{readBigEndian32(contents + 24)} > length) {
        report::error("zla dlugosc pliku w naglowku SHP: %s\n"_cp, path);
        return 0;
    }
    // A file longer than its header says is accepted: the walk uses the real length.
    return 1;
}

void reportTooLongRecord(const char* path) {
    report::error("za dlugi rekord, plik %s\n"_cp, path);
}

}  // namespace input
