#include "layers/dispatch.hpp"

#include <cstring>

#include "text/report.hpp"

using namespace text::literals;

namespace layers {

namespace {

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool endsWithIgnoreCase(const char* text, std::size_t length, const char* suffix) {
    std::size_t n = std::strlen(suffix);
    if (length < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (foldAscii(text[length - n + i]) != foldAscii(suffix[i])) return false;
    return true;
}

}  // namespace

bool containsLayerName(const char* path, const char* name) {
    std::size_t n = std::strlen(path);
    std::size_t m = std::strlen(name);
    if (m > n) return false;
    for (std::size_t start = n - m + 1; start-- > 0;) {
        std::size_t i = 0;
        while (i < m && foldAscii(path[start + i]) == foldAscii(name[i])) ++i;
        if (i == m) return true;
    }
    return false;
}

int dispatchLayerFile(const char* path) {
    std::size_t n = std::strlen(path);
    if (n <= 4 || !endsWithIgnoreCase(path, n, ".shp")) {
        report::error("plik powinien miec rozszerzenie *.shp: %s\n"_cp, path);
        return 0;
    }
    // Layers are converted by the layer table's handlers.
    return 0;
}

}  // namespace layers
