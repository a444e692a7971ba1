// A whole run of the program driven by a fuzzed list file that names fuzzed
// input files. The input is
//   byte 0   options: bit 0 -g, bit 1 -s, bit 2 -t types.txt, bit 3 -h,
//            bit 4 a map opened before the list, bit 5 one more input file
//            (the first one written) named after the list on the command line,
//            bit 6 -z, bit 7 -r
//   then     the list file text, and behind each "\n#@\n" one more file: its
//            name on the first line (letters, digits, '.', '_' and '-' only),
//            its bytes after it.
// The run happens in a scratch directory that is emptied after every input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/driver.hpp"
#include "catalog/catalog.hpp"
#include "catalog/statistics.hpp"
#include "input/run_flags.hpp"
#include "mp/output_map.hpp"

namespace {

constexpr std::string_view kMarker = "\n#@\n";

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

void writeFile(const std::string& name, std::string_view bytes) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) std::abort();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) std::abort();
}

// Writes one "name\nbytes" part; returns its name, or "" when it has none.
std::string writePart(std::string_view part) {
    std::size_t end = part.find('\n');
    std::string name(part.substr(0, end));
    if (name.empty() || name.size() > 40 || name[0] == '.' || name == "list" || name.find('/') != name.npos)
        return "";
    for (char c : name)
        if (!isNameCharacter(c)) return "";
    writeFile(name, end == part.npos ? std::string_view() : part.substr(end + 1));
    return name;
}

const std::filesystem::path& scratchDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("geoconv-run-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        if (chdir(d.c_str()) != 0) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchDir(), ignored);
        });
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::filesystem::path& dir = scratchDir();
    uint8_t options = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t cut = rest.find(kMarker);
    writeFile("list", rest.substr(0, cut));
    std::string firstFile;
    while (cut != rest.npos) {
        rest.remove_prefix(cut + kMarker.size());
        cut = rest.find(kMarker);
        std::string name = writePart(rest.substr(0, cut));
        if (firstFile.empty()) firstFile = name;
    }

    // Every run starts as a fresh process would.
    catalog::resetCatalogue();
    catalog::treeSpeciesStats = {};
    input::logUnknownValues = 0;
    input::flatShapes = 0;
    input::routableRoads = 0;
    mp::outputMap = mp::OutputMap{};
    std::vector<std::string> args = {"geoconv"};
    if (options & 1) args.push_back("-g");
    if (options & 2) args.push_back("-s");
    if (options & 4) args.insert(args.end(), {"-t", "types.txt"});
    if (options & 8) args.insert(args.end(), {"-h", "Parametr=X"});
    if (options & 64) args.push_back("-z");
    if (options & 128) args.push_back("-r");
    if (options & 16) args.insert(args.end(), {"-i", "7", "Przed lista"});
    args.insert(args.end(), {"-@", "list"});
    if ((options & 32) && !firstFile.empty() && firstFile[0] != '-') args.push_back(firstFile);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    app::runGeoconv(static_cast<int>(args.size()), argv.data());
    if (mp::mapIsOpen()) std::abort();  // the end of the run closes the map

    for (const auto& entry : std::filesystem::directory_iterator(dir)) std::filesystem::remove_all(entry.path());
    return 0;
}
