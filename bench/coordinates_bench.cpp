// Rate of coordinate formatting: formatCoordinate against snprintf("%1.7lf")
// on realistic coordinates (uniform in ±180 and in a map sheet's range),
// in values per second of this thread's CPU time.
//
// Usage: coordinates_bench [values [rounds]]

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "mp/coordinates.hpp"

namespace {

// CPU time of this thread: the machine is shared, wall time would count
// the other processes too.
double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Format>
double measure(const std::vector<double>& values, int rounds, Format format, unsigned long& checksum) {
    double start = cpuSeconds();
    for (int round = 0; round < rounds; ++round) {
        for (double value : values) checksum += format(value);
    }
    return static_cast<double>(values.size()) * rounds / (cpuSeconds() - start);
}

void run(const char* name, const std::vector<double>& values, int rounds) {
    char buffer[mp::kMaxCoordinateText + 8];
    unsigned long checksum = 0;
    double independent = measure(values, rounds, [&](double v) {
        char* end = mp::formatCoordinate(v, buffer);
        return static_cast<unsigned long>(end - buffer) + static_cast<unsigned char>(end[-1]);
    }, checksum);
    // As the writers use it: each text starts where the previous one ended.
    static char line[1 << 16];
    char* out = line;
    double chained = measure(values, rounds, [&](double v) {
        if (out > line + sizeof line - 2 * mp::kMaxCoordinateText) out = line;
        out = mp::formatCoordinate(v, out);
        *out++ = ',';
        return static_cast<unsigned long>(out[-2]);
    }, checksum);
    double library = measure(values, 1, [&](double v) {
        int n = std::snprintf(buffer, sizeof buffer, "%1.7lf", v);
        return static_cast<unsigned long>(n) + static_cast<unsigned char>(buffer[n - 1]);
    }, checksum);
    std::printf("%-28s formatCoordinate %6.1f M/s (one after another %6.1f M/s)   snprintf %5.1f M/s   [%lu]\n",
                name, independent / 1e6, chained / 1e6, library / 1e6, checksum);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 10;
    std::mt19937_64 random(20240601);

    std::vector<double> world(count);
    std::uniform_real_distribution<double> anywhere(-180.0, 180.0);
    for (double& v : world) v = anywhere(random);
    run("uniform in +-180", world, rounds);

    // One map sheet: latitudes 49..55, longitudes 14..24.
    std::vector<double> sheet(count);
    std::uniform_real_distribution<double> latitude(49.0, 55.0), longitude(14.0, 24.0);
    for (std::size_t i = 0; i < count; ++i) sheet[i] = i % 2 ? latitude(random) : longitude(random);
    run("map sheet (49..55, 14..24)", sheet, rounds);
    return 0;
}
