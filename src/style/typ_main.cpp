// geoconv-typ: writes the drawing rules of the style table as a TYP text file
// for the map compiler.
#include <cstdio>
#include <string>

#include "style/typ.hpp"
#include "text/report.hpp"
#include "text/scan.hpp"

using namespace text::literals;

int main(int argc, char** argv) {
    int32_t familyId = style::kDefaultFamilyId;
    const char* end = argc == 3 ? text::scanInt(argv[2], familyId) : "";
    if (argc < 2 || argc > 3 || !end || *end != '\0' || familyId < 1 || familyId > 65535) {
        report::out("uzycie: geoconv-typ PLIK.txt [FID]\n"
                    "  FID   numer rodziny map, 1 do 65535 (domyslnie %d)\n"_cp,
                    static_cast<int>(style::kDefaultFamilyId));
        return 2;
    }
    std::string text = style::typText(static_cast<uint32_t>(familyId));
    std::FILE* file = std::fopen(argv[1], "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) {
        report::failure("blad zapisu pliku %s\n"_cp, argv[1]);
        return 2;
    }
    return 0;
}
