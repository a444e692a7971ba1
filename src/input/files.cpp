#include "input/files.hpp"

#include <cstdint>
#include <cstring>
#include <new>

#include "text/report.hpp"

using namespace text::literals;

namespace input {

int32_t fileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long position = std::ftell(file);
    if (position < 0 || position > INT32_MAX) return -1;  // too large to hold
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return static_cast<int32_t>(position);
}

int readWholeFile(const char* path, FileBuffer& out) {
    std::FILE* file = std::fopen(path, "rb");
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

}  // namespace input
