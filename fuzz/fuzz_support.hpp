// What the fuzz targets share: the entry point, an input as an exact-size
// buffer, and a scratch directory of the fuzzing process for targets that
// also read their input from files.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzzing {

// The input itself (libFuzzer's own exact-size buffer), or one zero byte for
// an empty input, so that no reader is handed a null pointer.
inline const uint8_t* contentsOf(const uint8_t* data, size_t size) {
    static const uint8_t empty[1] = {0};
    return size ? data : empty;
}

// A directory of this process under $TMPDIR (or /tmp), removed with what it
// holds when the process ends.
inline const std::string& scratchDir() {
    static const struct ScratchDir {
        const char* tmp = std::getenv("TMPDIR");
        std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/geoconv-fuzz-" + std::to_string(getpid());
        ScratchDir() { mkdir(path.c_str(), 0700); }
        ~ScratchDir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } dir;
    return dir.path;
}

// Writes the bytes as the file's whole contents: false when that fails.
inline bool writeBytes(const std::string& path, const void* bytes, std::size_t length) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(bytes, 1, length, file) == length;
    return std::fclose(file) == 0 && written;
}

}  // namespace fuzzing
