// The type description reader over arbitrary file contents. Each input is
// written to a file of its own in a scratch directory and read with a fresh
// catalogue, so one input cannot change what the next one sees.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "catalog/catalog.hpp"
#include "catalog/type_file.hpp"

namespace {

const std::string& scratchPath() {
    static const std::string path = "/dev/shm/geoconv-type-fuzz-" + std::to_string(getpid()) + ".txt";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = scratchPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    catalog::resetCatalogue();
    catalog::readTypeDescription(path.c_str());
    std::remove(path.c_str());
    return 0;
}
