// Runs a fuzz target's entry point without libFuzzer over files: each argument
// is a file or a directory of files (a missing directory is skipped). Fails
// when no input was found; a fault aborts the program as it would the fuzzer.
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "fuzz_support.hpp"

int main(int argc, char** argv) {
    std::set<std::filesystem::path> inputs;  // in order of their names
    for (int i = 1; i < argc; ++i) {
        std::error_code notThere;  // nothing to read: no directory, or no file
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], notThere))
            if (entry.is_regular_file()) inputs.insert(entry.path());
        if (std::filesystem::is_regular_file(argv[i], notThere)) inputs.insert(argv[i]);
    }
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        // A copy of exactly the input's size, so a read behind it is caught.
        std::vector<uint8_t> exact{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::printf("%zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
