// Rate of coordinate formatting: formatCoordinate against snprintf("%1.7lf")
// on realistic coordinates (uniform in ±180 and in a map sheet's range).
//
// Usage: coordinates_bench [values [rounds]]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "mp/coordinates.hpp"

namespace {

using Clock = std::chrono::steady_clock;

template <class Format>
double measure(const std::vector<double>& values, int rounds, Format format, unsigned long& checksum) {
    auto start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (double value : values) checksum += format(value);
    }
    std::chrono::duration<double> elapsed = Clock::now() - start;
    return static_cast<double>(values.size()) * rounds / elapsed.count();
}

void run(const char* name, const std::vector<double>& values, int rounds) {
    char buffer[mp::kMaxCoordinateText + 8];
    unsigned long checksum = 0;
    double ours = measure(values, rounds, [&](double v) {
        char* end = mp::formatCoordinate(v, buffer);
        return static_cast<unsigned long>(end - buffer) + static_cast<unsigned char>(end[-1]);
    }, checksum);
    double theirs = measure(values, 1, [&](double v) {
        int n = std::snprintf(buffer, sizeof buffer, "%1.7lf", v);
        return static_cast<unsigned long>(n) + static_cast<unsigned char>(buffer[n - 1]);
    }, checksum);
    std::printf("%-28s formatCoordinate %7.1f M/s   snprintf %6.1f M/s   (checksum %lu)\n", name,
                ours / 1e6, theirs / 1e6, checksum);
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
