// The .mp object reader on any bytes: every object handed on is sound, and
// feeding the text in pieces gives the same objects as feeding it whole.
#include <cmath>

#include "fuzz_support.hpp"
#include "preview/mp_reader.hpp"

namespace {

// Appends a sound object's contents to the string; aborts on a broken one.
void collect(const preview::MpObject& object, void* context) {
    auto& out = *static_cast<std::string*>(context);
    if (object.partEnds.empty() || object.coordinates.size() != 2 * object.partEnds.back()) std::abort();
    for (uint32_t from = 0, i = 0; i < object.partEnds.size(); from = object.partEnds[i++])
        if (object.partEnds[i] <= from) std::abort();
    for (std::size_t i = 0; i < object.coordinates.size(); i += 2)
        if (!(std::fabs(object.coordinates[i]) <= 90 && std::fabs(object.coordinates[i + 1]) <= 180)) std::abort();
    out += std::to_string(static_cast<int>(object.kind)) + ' ' + std::to_string(object.type) + ' ' +
           std::to_string(object.endLevel) + ' ';
    out.append(object.label);
    out.append(reinterpret_cast<const char*>(object.coordinates.data()), object.coordinates.size() * sizeof(double));
    out.append(reinterpret_cast<const char*>(object.partEnds.data()), object.partEnds.size() * sizeof(uint32_t));
    out += '\n';
}

// The objects met and the counts of a reading fed in pieces of `piece` bytes.
std::string readInPieces(const char* text, std::size_t size, std::size_t piece) {
    std::string out;
    preview::MpReader reader;
    preview::startMpReader(reader, collect, &out);
    for (std::size_t at = 0; at < size; at += piece)
        preview::feedMpText(reader, text + at, size - at < piece ? size - at : piece);
    preview::finishMpText(reader);
    const preview::ReadCounts& counts = reader.counts;
    return out + std::to_string(counts.objects) + ' ' + std::to_string(counts.brokenObjects) + ' ' +
           std::to_string(counts.skippedSections);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t piece = 1 + data[0] % 13;  // the first byte picks the piece size
    if (readInPieces(text, size, size) != readInPieces(text, size, piece)) std::abort();
    return 0;
}
