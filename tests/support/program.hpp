// Runs the built geoconv program in a directory and captures its streams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
    int exitCode = -1;
    std::string out;  // standard output, bytes as written
    std::string err;  // standard error
    bool operator==(const RunResult&) const = default;
};

// How a failed comparison of two runs shows them.
void PrintTo(const RunResult& run, std::ostream* os);

// A fresh empty directory under the system temporary directory, removed by
// the destructor.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// Bounds of one run: the program is killed after `seconds` (exit code -1,
// "<killed>" appended to err); addressSpace > 0 limits its memory in bytes;
// fileSize > 0 limits each file it writes, as a full disk would (a write
// beyond fails, SIGXFSZ ignored).
struct RunLimits {
    int seconds = 300;
    unsigned long long addressSpace = 0;
    unsigned long long fileSize = 0;
};

const char* geoconvProgram();  // the built geoconv program

// Runs `program` (or geoconv) with args in `directory`, its current directory,
// its standard output and error on a pipe each.
RunResult runProgram(const std::string& directory, const std::string& program,
                     const std::vector<std::string>& args, const RunLimits& limits = {});
inline RunResult runGeoconv(const std::string& directory, const std::vector<std::string>& args,
                            const RunLimits& limits = {}) {
    return runProgram(directory, geoconvProgram(), args, limits);
}

// Starts geoconv with args in `directory`, its streams going nowhere, and
// returns its process id at once.
int startGeoconv(const std::string& directory, const std::vector<std::string>& args);

// Where the program's standard output and standard error go: a pipe each, or
// a terminal each (a pseudo-terminal that passes bytes unchanged).
enum class Channel { pipe, terminal };

// Runs `program` (or geoconv) like runProgram without limits, with LC_ALL set
// to `locale` and both streams on channels of the given kind.
RunResult runProgramThrough(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& args, Channel channel, const std::string& locale);
inline RunResult runGeoconvThrough(const std::string& directory, const std::vector<std::string>& args,
                                   Channel channel, const std::string& locale) {
    return runProgramThrough(directory, geoconvProgram(), args, channel, locale);
}

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
std::string mapObjects(const std::string& path);  // the text of a map file after its header

}  // namespace testsupport
