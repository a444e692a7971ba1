// The list-file line splitter over arbitrary lines: every pointer it hands
// back must lie inside the line and name a zero-terminated text there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/list_file.hpp"

namespace {

void checkInside(const char* text, const char* line, std::size_t size) {
    if (!text) return;
    if (text < line || text > line + size) std::abort();
    if (std::strlen(text) > static_cast<std::size_t>(line + size - text)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The line in a buffer of exactly its size plus the terminator.
    std::unique_ptr<char[]> line(new char[size + 1]);
    std::memcpy(line.get(), data, size);
    line[size] = '\0';
    app::ListLine entry = app::splitListLine(line.get());
    checkInside(entry.text, line.get(), size);
    checkInside(entry.mapIdText, line.get(), size);
    checkInside(entry.mapName, line.get(), size);
    switch (entry.kind) {
    case app::ListLineKind::empty:
        break;
    case app::ListLineKind::mapLine:
        if (!entry.mapIdText || !entry.mapName || !*entry.mapIdText || !*entry.mapName) std::abort();
        [[fallthrough]];
    default:
        if (!entry.text || !*entry.text) std::abort();
    }
    return 0;
}
