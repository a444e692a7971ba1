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
#include <vector>

#include "app/driver.hpp"
#include "catalog/catalog.hpp"
#include "catalog/statistics.hpp"
#include "fuzz_support.hpp"
#include "input/run_flags.hpp"
#include "mp/output_map.hpp"

namespace {

constexpr std::string_view kMarker = "\n#@\n";

void writeFile(const std::string& name, std::string_view bytes) {
    if (!fuzzing::writeBytes(name, bytes.data(), bytes.size())) std::abort();
}

// Writes one "name\nbytes" part; returns its name, or "" when it has none.
std::string writePart(std::string_view part) {
    std::size_t end = part.find('\n');
    std::string name(part.substr(0, end));
    if (name.empty() || name.size() > 40 || name[0] == '.' || name == "list" ||
        name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-") != name.npos)
        return "";
    writeFile(name, end == part.npos ? std::string_view() : part.substr(end + 1));
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool inScratch = chdir(fuzzing::scratchDir().c_str()) == 0;
    if (!inScratch) std::abort();
    if (size < 1) return 0;
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
    input::logUnknownValues = input::flatShapes = input::routableRoads = 0;
    mp::outputMap = mp::OutputMap{};
    // The options in this order, each when its bit is set.
    static const std::pair<int, std::vector<std::string>> kOptions[] = {
        {1, {"-g"}}, {2, {"-s"}}, {4, {"-t", "types.txt"}}, {8, {"-h", "Parametr=X"}},
        {64, {"-z"}}, {128, {"-r"}}, {16, {"-i", "7", "Przed lista"}}};
    std::vector<std::string> args = {"geoconv"};
    for (const auto& [bits, words] : kOptions)
        if (options & bits) args.insert(args.end(), words.begin(), words.end());
    args.insert(args.end(), {"-@", "list"});
    if ((options & 32) && !firstFile.empty() && firstFile[0] != '-') args.push_back(firstFile);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    app::runGeoconv(static_cast<int>(args.size()), argv.data());
    if (mp::mapIsOpen()) std::abort();  // the end of the run closes the map

    for (const auto& entry : std::filesystem::directory_iterator(fuzzing::scratchDir()))
        std::filesystem::remove_all(entry.path());
    return 0;
}
