// Shapefile header check and record walk over arbitrary bytes. The input is
// used in libFuzzer's own exact-size buffer, so any read behind the file's
// bytes is caught; the walk of the same bytes streamed from a file must meet
// the same records.
#include <vector>

#include "fuzz_support.hpp"
#include "input/files.hpp"
#include "input/shp.hpp"

namespace {

// The records a walk meets: number, length and a sum of their bytes each. The
// records of a file in memory must lie inside its bytes.
std::vector<uint32_t> walk(const input::ShpFile& shp) {
    std::vector<uint32_t> met;
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
        if (shp.contents && (r.content < shp.contents || r.content + r.length > shp.contents + shp.length))
            std::abort();
        unsigned sum = 0;
        for (uint32_t i = 0; i < r.length; ++i) sum = sum * 31 + r.content[i];
        met.insert(met.end(), {r.number, r.length, sum});
    });
    return met;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    const uint8_t* contents = fuzzing::contentsOf(data, size);
    uint32_t length = static_cast<uint32_t>(size);
    input::checkShpHeader("fuzz.shp", contents, length);
    // The walk must be safe on any file, checked or not.
    std::vector<uint32_t> inMemory = walk(input::ShpFile{"fuzz.shp", contents, length});
    static const std::string path = fuzzing::scratchDir() + "/fuzz.shp";
    input::InputFile streamed;
    if (!fuzzing::writeBytes(path, contents, length)) return 0;
    if (!input::loadInputFile(path.c_str(), streamed, 100) || !streamed.stream) std::abort();
    if (inMemory != walk(input::ShpFile{"fuzz.shp", nullptr, streamed.length, streamed.stream})) std::abort();
    return 0;
}
