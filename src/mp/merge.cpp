#include "mp/merge.hpp"

#include <cstring>

#include "input/files.hpp"
#include "mp/output_map.hpp"
#include "text/ascii.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace mp {

namespace {

// The coverage area of the whole map in the old notation. Only this exact
// form (CR LF after the bracket, lower-case type) is dropped, together with
// everything before it, since the output map has a header of its own.
constexpr char kCoverageArea[] = "[RGN80]\r\nType=0x4a";
constexpr std::size_t kCoverageAreaLength = sizeof kCoverageArea - 1;

// Control characters and the space.
bool isBlank(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 1 && b <= 32;
}

// The position behind the "]" of the first "[END" mark from `from` on, moved
// over blanks; nullptr when there is no such mark or no "]" after it.
const char* behindEndMark(const char* from, const char* end) {
    const char* mark = findSection(from, end, "END");
    if (!mark) return nullptr;
    const char* close = static_cast<const char*>(std::memchr(mark, ']', end - mark));
    if (!close) return nullptr;
    const char* p = close + 1;
    while (p < end && isBlank(*p)) ++p;
    return p;
}

}  // namespace

const char* findSection(const char* text, const char* end, const char* name) {
    std::size_t n = std::strlen(name);
    if (n == 0) return nullptr;
    for (const char* p = text; p < end;) {
        const char* open = static_cast<const char*>(std::memchr(p, '[', end - p));
        if (!open) return nullptr;
        if (static_cast<std::size_t>(end - open - 1) >= n && text::equalIgnoringCase(open + 1, name, n))
            return open;
        p = open + 1;
    }
    return nullptr;
}

int mergeMpFile(const char* path) {
    input::FileBuffer file;
    if (!input::readWholeFile(path, file)) return 0;
    const char* data = reinterpret_cast<const char*>(file.bytes.get());
    const char* fileEnd = data + file.length;
    // The searches treat the first zero byte as the end of the text; the
    // block copied still runs to the end of the file.
    const char* zero = static_cast<const char*>(std::memchr(data, 0, file.length));
    const char* end = zero ? zero : fileEnd;

    const char* header = findSection(data, end, "IMG ID");
    if (!header) {
        report::failure("brak naglowka pliku mp %s\n"_cp, path);
        return 0;
    }
    const char* start = behindEndMark(header, end);
    if (!start) {
        report::failure("zly naglowek pliku mp %s\n"_cp, path);
        return 0;
    }
    const char* area = findSection(start, end, "RGN80");
    if (area && static_cast<std::size_t>(end - area) >= kCoverageAreaLength &&
        std::memcmp(area, kCoverageArea, kCoverageAreaLength) == 0) {
        start = behindEndMark(area + kCoverageAreaLength, end);
        if (!start) {
            report::failure("blad usuniecia obszaru 0x4a w pliku mp %s\n"_cp, path);
            return 0;
        }
    }
    if (start >= end || !std::memchr(start, '[', end - start)) {
        report::error("pusty plik %s\n"_cp, path);
        return 1;
    }
    int result = appendMpText(path, start, static_cast<std::size_t>(fileEnd - start));
    if (!result) report::failure("blad przetwarzania pliku %s\n"_cp, path);
    return result;
}

int appendMpText(const char* path, const char* text, std::size_t length) {
    if (!mapIsOpen()) return 0;
    writeFileComment(path);
    // A block larger than the buffer goes straight to the file; a failure of
    // that write, or of the flush before it, shows here.
    writeOutput(text, length);
    if (outputMap.writeFailed) {
        report::failure("blad zapisu, plik %s\n"_cp, path);
        return 0;
    }
    writeOutput("\n", 1);
    return 1;
}

}  // namespace mp
