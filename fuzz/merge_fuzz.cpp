// The ".mp" merger over arbitrary files, and the section search over an
// exact-size buffer. The input is
//   byte 0   the length n of a section name (taken modulo 16)
//   then     n bytes of the name, and the rest, the text searched.
// The whole input is also written to a file and merged into a map opened
// once on /dev/null.
#include <vector>

#include "fuzz_support.hpp"
#include "mp/merge.hpp"
#include "mp/output_map.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool mapOpen = mp::openMap("/dev/null", 1, "fuzz") == 1;
    static const std::string path = fuzzing::scratchDir() + "/fuzz.mp";
    if (!mapOpen) std::abort();
    if (size < 1) return 0;

    std::size_t nameLength = std::min<std::size_t>(data[0] % 16, size - 1);
    std::string name(reinterpret_cast<const char*>(data) + 1, nameLength);
    std::vector<char> text(data + 1 + nameLength, data + size);
    const char* end = text.data() + text.size();
    const char* found = mp::findSection(text.data(), end, name.c_str());
    if (found && (found < text.data() || found >= end || *found != '[')) std::abort();

    if (!fuzzing::writeBytes(path, data, size)) std::abort();
    mp::mergeMpFile(path.c_str());
    std::remove(path.c_str());
    // The map on /dev/null must stay writable; a failure here is the merger's fault.
    if (mp::mapWriteStatus() != 0) std::abort();
    return 0;
}
