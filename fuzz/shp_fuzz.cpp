// Shapefile header check and record walk over arbitrary bytes. The input is
// used in libFuzzer's own exact-size buffer, so any read behind the file's
// bytes is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "input/shp.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    static const uint8_t kEmpty[1] = {0};
    const uint8_t* contents = size ? data : kEmpty;
    uint32_t length = static_cast<uint32_t>(size);
    input::checkShpHeader("fuzz.shp", contents, length);
    // The walk must be safe on any file, checked or not.
    input::ShpFile shp{"fuzz.shp", contents, length};
    unsigned sum = 0;
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
        if (r.content < contents || r.content + r.length > contents + length) std::abort();
        for (uint32_t i = 0; i < r.length; ++i) sum += r.content[i];
    });
    return static_cast<int>(sum & 0);
}
