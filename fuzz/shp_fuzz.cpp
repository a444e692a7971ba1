// Shapefile header check and record walk over arbitrary bytes. The input is
// used in libFuzzer's own exact-size buffer, so any read behind the file's
// bytes is caught; the walk of the same bytes streamed from a file must meet
// the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <vector>

#include "input/files.hpp"
#include "input/shp.hpp"
#include "scratch_file.hpp"

namespace {

struct Met {
    uint32_t number;
    uint32_t length;
    unsigned sum;
};

// The records a walk meets, with a sum of their bytes.
std::vector<Met> walk(const input::ShpFile& shp) {
    std::vector<Met> met;
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
        unsigned sum = 0;
        for (uint32_t i = 0; i < r.length; ++i) sum = sum * 31 + r.content[i];
        met.push_back({r.number, r.length, sum});
    });
    return met;
}

bool operator==(const Met& a, const Met& b) { return a.number == b.number && a.length == b.length && a.sum == b.sum; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    static const uint8_t kEmpty[1] = {0};
    const uint8_t* contents = size ? data : kEmpty;
    uint32_t length = static_cast<uint32_t>(size);
    input::checkShpHeader("fuzz.shp", contents, length);
    // The walk must be safe on any file, checked or not.
    input::ShpFile shp{"fuzz.shp", contents, length};
    input::walkShapeRecords(shp, [&](const input::ShapeRecord& r) {
        if (r.content < contents || r.content + r.length > contents + length) std::abort();
    });
    static const ScratchFile scratch("shp_fuzz");
    input::InputFile streamed;
    if (!scratch.hold(contents, length)) return 0;
    if (!input::loadInputFile(scratch.path.c_str(), streamed, 100) || !streamed.stream) std::abort();
    if (walk(shp) != walk(input::ShpFile{"fuzz.shp", nullptr, streamed.length, streamed.stream})) std::abort();
    return 0;
}
