// The list-file line splitter over arbitrary lines: every pointer it hands
// back must lie inside the line and name a zero-terminated text there.
#include <memory>

#include "app/list_file.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The line in a buffer of exactly its size plus the terminator.
    std::unique_ptr<char[]> line(new char[size + 1]);
    std::memcpy(line.get(), data, size);
    line[size] = '\0';
    app::ListLine entry = app::splitListLine(line.get());
    for (const char* text : {entry.text, entry.mapIdText, entry.mapName})
        if (text && (text < line.get() || text > line.get() + size ||
                     std::strlen(text) > static_cast<std::size_t>(line.get() + size - text)))
            std::abort();
    bool mapLine = entry.kind == app::ListLineKind::mapLine;
    if (mapLine && (!entry.mapIdText || !entry.mapName || !*entry.mapIdText || !*entry.mapName)) std::abort();
    if (entry.kind != app::ListLineKind::empty && (!entry.text || !*entry.text)) std::abort();
    return 0;
}
