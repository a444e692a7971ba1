// A scratch file of the fuzzing process for targets that also read their
// input from a file; removed when the process ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

struct ScratchFile {
    std::string path;
    explicit ScratchFile(const char* name)
        : path(std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/" + name + "_" +
               std::to_string(getpid())) {}
    ~ScratchFile() { std::remove(path.c_str()); }

    // Writes the bytes as the file's whole contents: false when that fails.
    bool hold(const uint8_t* bytes, std::size_t length) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return false;
        bool written = std::fwrite(bytes, 1, length, file) == length;
        return std::fclose(file) == 0 && written;
    }
};
