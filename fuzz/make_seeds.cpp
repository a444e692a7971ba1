// Writes small well-formed seed files for the fuzz corpora:
//   make_seeds <shp corpus dir> <dbf corpus dir> <scan corpus dir>
#include <fstream>
#include <string>

#include "support/shapefile_writer.hpp"

using namespace testsupport;

static void put(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    put(std::string(argv[1]) + "/seed-shapes", buildShp({{pointShape(19.5, 50.25)},
                                                         {polylineShape({{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}})},
                                                         {polygonShape({{{0, 0}, {0, 1}, {1, 1}, {0, 0}}})},
                                                         {nullShape()}}));
    put(std::string(argv[2]) + "/seed-table",
        buildDbf({{"NAM", 'C', 12}, {"HGT", 'N', 8, 2}, {"ZV2", 'N', 10, 3}, {"BFC", 'N', 4}},
                 {{"Krak\xf3w", "123.45", "-0.505", "0x1F"}, {"UNK", "  -12.50", "1.995", "010"}}));
    put(std::string(argv[3]) + "/seed-number", "  -0x7fffffff.95");
    return 0;
}
