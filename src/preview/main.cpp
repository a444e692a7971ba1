// geoconv-preview: draws one or more .mp maps into one PNG picture.
#include <string>
#include <string_view>
#include <vector>

#include "preview/mp_reader.hpp"
#include "preview/render.hpp"
#include "preview/scene.hpp"
#include "text/report.hpp"
#include "text/scan.hpp"

using namespace text::literals;

namespace {

void printUsage() {
    report::out(
        "uzycie: geoconv-preview [--width N] [--level N] [-o PLIK.png] MAPA.mp...\n"
        "  --width N   szerokosc obrazu w pikselach, %d do %d (domyslnie %d); takze --width=N\n"
        "  --level N   tylko obiekty widoczne na poziomie N (EndLevel >= N); takze --level=N\n"
        "  -o PLIK     plik PNG (domyslnie nazwa pierwszej mapy z .png)\n"
        "  --help      ten opis\n"_cp,
        preview::kMinWidth, preview::kMaxWidth, preview::kDefaultWidth);
}

// A whole number within [low, high], or false.
bool readNumber(const char* text, int low, int high, int& value) {
    int32_t number = 0;
    const char* end = text::scanInt(text, number);
    if (!end || *end != '\0' || number < low || number > high) return false;
    value = number;
    return true;
}

// The first map's name with ".png" in place of its ".mp" ending.
std::string defaultOutput(const std::string& map) {
    std::size_t dot = map.rfind('.');
    std::size_t slash = map.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) && map.size() - dot == 3 &&
        (map[dot + 1] == 'm' || map[dot + 1] == 'M') && (map[dot + 2] == 'p' || map[dot + 2] == 'P'))
        return map.substr(0, dot) + ".png";
    return map + ".png";
}

}  // namespace

int main(int argc, char** argv) {
    int width = preview::kDefaultWidth;
    int level = 0;
    std::string output;
    std::vector<std::string> maps;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        // A value stands in the next argument, or after '=' for a long option.
        std::string_view option = arg;
        const char* value = nullptr;
        std::size_t equals = option.find('=');
        if (option.starts_with("--") && equals != std::string_view::npos) {
            value = arg + equals + 1;
            option = option.substr(0, equals);
        }
        bool takesValue = option == "--width" || option == "--level" || option == "-o";
        if (takesValue && !value) {
            if (i + 1 == argc) {
                report::error("brak wartosci opcji %s\n"_cp, arg);
                return 1;
            }
            value = argv[++i];
        }
        if (option == "--width") {
            if (!readNumber(value, preview::kMinWidth, preview::kMaxWidth, width)) {
                report::error("zla szerokosc %s: dozwolone %d do %d\n"_cp, value, preview::kMinWidth,
                              preview::kMaxWidth);
                return 1;
            }
        } else if (option == "--level") {
            if (!readNumber(value, 0, 9, level)) {
                report::error("zly poziom %s: dozwolone 0 do 9\n"_cp, value);
                return 1;
            }
        } else if (option == "-o") {
            output = value;
        } else if (option == "-h" || option == "--help" || option == "-?") {
            printUsage();
            return 0;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            report::error("nieznana opcja %s\n"_cp, arg);
            printUsage();
            return 1;
        } else {
            maps.push_back(arg);
        }
    }
    if (maps.empty()) {
        printUsage();
        return 1;
    }
    if (output.empty()) output = defaultOutput(maps.front());
    for (const std::string& map : maps) {
        if (map == output) {  // the picture would overwrite the map
            report::error("plik obrazu %s jest mapa wejsciowa\n"_cp, output.c_str());
            return 1;
        }
    }

    preview::Scene scene;
    scene.minLevel = level;
    std::size_t read = 0;
    for (const std::string& map : maps) {
        preview::MpReader reader;
        preview::startMpReader(reader, preview::addToScene, &scene);
        if (!preview::readMpFile(map.c_str(), reader)) continue;
        ++read;
        const preview::ReadCounts& counts = reader.counts;
        if (counts.brokenObjects)
            report::error("pominiete bledne obiekty: %llu, plik %s\n"_cp,
                          static_cast<unsigned long long>(counts.brokenObjects), map.c_str());
        if (counts.skippedSections)
            report::error("pominiete nieobslugiwane sekcje: %llu, plik %s\n"_cp,
                          static_cast<unsigned long long>(counts.skippedSections), map.c_str());
    }
    if (read == 0) return 1;  // nothing to draw from
    if (scene.features.empty()) report::error("brak obiektow do narysowania\n"_cp);
    preview::Layout layout = preview::layoutPicture(scene, width);
    if (!preview::writePicture(scene, layout, output.c_str())) return 1;
    report::out("zapisano %s: %d x %d px, obiektow %zu\n"_cp, output.c_str(), layout.width, layout.height,
                scene.features.size());
    return read == maps.size() ? 0 : 1;
}
