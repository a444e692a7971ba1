#include "input/shp.hpp"

using namespace text::literals;

namespace input {

namespace {

StreamWindow shpWindow;

}  // namespace

void startShpWindow() {
    shpWindow.reset();
}

const uint8_t* shpWindowBytes(const ShpFile& shp, uint64_t offset, uint64_t count) {
    return shpWindow.read(shp.stream, shp.length, shp.path, offset, count);
}

int checkShpHeader(const char* path, const uint8_t* contents, uint32_t length) {
    if (length < 100) {
        report::failure("brak naglowka SHP: %s\n"_cp, path);
        return 0;
    }
    if (readBigEndian32(contents) != 9994 || readLittleEndian32(contents + 28) != 1000) {
        report::failure("zle dane w naglowku SHP: %s\n"_cp, path);
        return 0;
    }
    // The length field counts 16-bit words; doubled in 64 bits it cannot wrap.
    if (2 * uint64_t{readBigEndian32(contents + 24)} > length) {
        report::failure("zla dlugosc pliku w naglowku SHP: %s\n"_cp, path);
        return 0;
    }
    // A file longer than its header says is accepted: the walk uses the real length.
    return 1;
}

void reportTooLongRecord(const char* path) {
    report::failure("za dlugi rekord, plik %s\n"_cp, path);
}

}  // namespace input
