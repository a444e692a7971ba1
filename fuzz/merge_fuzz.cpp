// The ".mp" merger over arbitrary files, and the section search over an
// exact-size buffer. The input is
//   byte 0   the length n of a section name (taken modulo 16)
//   then     n bytes of the name, and the rest, the text searched.
// The whole input is also written to a file and merged into a map opened
// once on /dev/null.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "mp/merge.hpp"
#include "mp/output_map.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool mapOpen = mp::openMap("/dev/null", 1, "fuzz") == 1;
    static const std::string path = "/dev/shm/geoconv-merge-fuzz-" + std::to_string(getpid()) + ".mp";
    if (!mapOpen) std::abort();
    if (size < 1) return 0;

    std::size_t nameLength = data[0] % 16;
    if (nameLength > size - 1) nameLength = size - 1;
    std::string name(reinterpret_cast<const char*>(data) + 1, nameLength);
    std::vector<char> text(data + 1 + nameLength, data + size);
    const char* end = text.data() + text.size();
    const char* found = mp::findSection(text.data(), end, name.c_str());
    if (found && (found < text.data() || found >= end || *found != '[')) std::abort();

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    mp::mergeMpFile(path.c_str());
    std::remove(path.c_str());
    // The map on /dev/null must stay writable; a failure here is the merger's fault.
    if (mp::mapWriteStatus() != 0) std::abort();
    return 0;
}
