// The type description reader over arbitrary file contents, each input read
// with a fresh catalogue, so one input cannot change what the next one sees.
// The contents are handed over in an exact-size copy, so a read past them
// shows.
#include <memory>

#include "catalog/catalog.hpp"
#include "catalog/type_file.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    std::memcpy(copy.get(), data, size);
    catalog::resetCatalogue();
    catalog::applyTypeDescription(copy.get(), static_cast<uint32_t>(size));
    return 0;
}
