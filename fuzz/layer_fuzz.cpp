// One whole layer conversion over arbitrary files. The input is
//   byte 0      the layer (an index into kLayers) and the -g flag (bit 7),
//   bytes 1-2   the length of the ".shp" part, little-endian (cut to what is there),
//   then        the ".shp" part, and the rest is the ".dbf" part.
// Both are written under the layer's name into a scratch directory and handed
// to the dispatcher, which converts them into a map opened once on /dev/null.
#include "fuzz_support.hpp"
#include "input/run_flags.hpp"
#include "layers/dispatch.hpp"
#include "mp/output_map.hpp"

namespace {

// Layers of every handler kind: coded points, named points, lines and areas.
constexpr const char* kLayers[] = {
    "AIRPORTP", "TOWERNCP", "ADMBNDL",  "RIVERL",  "ELEVP",   "PROCPLTA", "ISLANDA", "CEMETRYP",
    "PYLONC",   "ELEVTXT",  "COASTL",   "WATERA",  "COMMBLDA", "CROPA",   "BRIDGEL", "RUNWAYA",
    "BUILDNGP", "BUILDNGA", "ROADL",    "PARKA",   "SUBSTATP", "POWERPLA", "PWRLINEL",
    "CONTOURL", "CTRLPNTP", "MTNPASSP", "HYDROTXT", "LAKEA",   "BUILTUPA", "EMBANKL", "FORESTA",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool mapOpen = mp::openMap("/dev/null", 1, "fuzz") == 1;
    if (!mapOpen) std::abort();
    if (size < 3) return 0;
    const char* layer = kLayers[(data[0] & 0x7F) % std::size(kLayers)];
    // The top bit sets both run-wide flags: -g reports and -z flat reading.
    input::logUnknownValues = input::flatShapes = data[0] >> 7;
    std::size_t shpSize = std::min(std::size_t{data[1]} | (std::size_t{data[2]} << 8), size - 3);
    data += 3;
    size -= 3;
    std::string base = fuzzing::scratchDir() + "/" + layer, shp = base + ".shp", dbf = base + ".dbf";
    if (!fuzzing::writeBytes(shp, data, shpSize) || !fuzzing::writeBytes(dbf, data + shpSize, size - shpSize))
        std::abort();
    layers::dispatchLayerFile(shp.c_str());
    std::remove(shp.c_str());
    std::remove(dbf.c_str());
    // The map on /dev/null must stay writable; a failure here is a writer's fault.
    if (mp::mapWriteStatus() != 0) std::abort();
    return 0;
}
