// Writes small well-formed seed files for the fuzz corpora:
//   make_seeds <corpus root>     (one directory per target below it)
#include <filesystem>
#include <fstream>
#include <string>

#include "support/shapefile_writer.hpp"

using namespace testsupport;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = std::string(argv[1]) + "/";
    auto put = [&](const std::string& path, const Bytes& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    };
    put(dir + "shp_fuzz/seed-shapes", buildShp({{pointShape(19.5, 50.25)},
                                                {polylineShape({{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}})},
                                                {polygonShape({{{0, 0}, {0, 1}, {1, 1}, {0, 0}}})},
                                                {nullShape()}}));
    put(dir + "dbf_fuzz/seed-table",
        buildDbf({{"NAM", 'C', 12}, {"HGT", 'N', 8, 2}, {"ZV2", 'N', 10, 3}, {"BFC", 'N', 4}},
                 {{"Krak\xf3w", "123.45", "-0.505", "0x1F"}, {"UNK", "  -12.50", "1.995", "010"}}));
    put(dir + "scan_fuzz/seed-number", "  -0x7fffffff.95");
    put(dir + "wkt_fuzz/seed-esri",
        "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
        "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]");
    put(dir + "wkt_fuzz/seed-ogc",
        "GEOGCRS[\"WGS 84\",ENSEMBLE[\"World Geodetic System 1984 ensemble\",MEMBER[\"G2139\"],"
        "ELLIPSOID[\"WGS 84\",6378137,298.257223563,LENGTHUNIT[\"metre\",1]]],PRIMEM[\"Greenwich\",0,"
        "ANGLEUNIT[\"degree\",0.0174532925199433]],CS[ellipsoidal,2],AXIS[\"lat\",north,ORDER[1]],"
        "AXIS[\"lon\",east,ORDER[2]],ANGLEUNIT[\"degree\",0.0174532925199433],ID[\"EPSG\",4326]]");
    put(dir + "mp_reader_fuzz/seed-map",
        "\x07[IMG ID]\r\nID=1\r\n[END-IMG ID]\r\n[POI]\r\nType=0x2f06\r\nLabel=Dw\xf3r\r\nEndLevel=2\r\n"
        "Data0=(50.25,19.5)\r\n[END]\r\n[RGN80]\nType=0x14\nData1=(1,2),(1,3),(2,3)\nData0=(1,2),(1,3),(2,3)\n"
        "Data0=(1.1,2.1),(1.2,2.1),(1.2,2.2)\n[END-RGN80]\n[Countries]\nCountry1=X\n[POLYLINE]\nType=1\n");
    put(dir + "type_file_fuzz/seed-types",
        "op_lotnisko 0x5900 2 0 0 0\r\n  oa_las\t0x50 1 1 1 0x2800\nop_wieza -1 3\nxx 1\nol_rzekas\n");
    put(dir + "list_line_fuzz/seed-map", "  -i 12345678  Mapa testowa \r");
    put(dir + "list_line_fuzz/seed-file", "dir/AIRPORTP.shp");

    // Points, lines and areas under the attribute fields their layers read.
    Bytes points = buildShp({{pointShape(19.5, 50.25)}, {pointShape(19.6, 50.3)}, {nullShape(), 9}});
    Bytes lines = buildShp({{polylineShape({{{1, 2}, {3, 4}, {5, 6}}})}, {polylineShape({{{1, 2}}, {{3, 4}}})}});
    Bytes areas = buildShp({{polygonShape({{{0, 0}, {0, 1}, {1, 1}, {0, 0}}, {{0.2, 0.2}, {0.2, 0.4}, {0.4, 0.4}, {0.2, 0.2}}})},
                            {polygonShape({{{0, 0}, {0, 0.001}, {0.001, 0.001}, {0, 0}}})}});
    std::vector<DbfColumn> columns{{"NAM", 'C', 20}, {"USE", 'N', 4},  {"TTC", 'N', 4}, {"HGT", 'N', 8, 2},
                                   {"ZV2", 'N', 10, 3}, {"NM3", 'C', 10}, {"NM4", 'C', 10}, {"HYC", 'N', 4},
                                   {"WWR", 'N', 4},   {"BFC", 'N', 4},  {"NST", 'N', 4}, {"VEG", 'N', 4},
                                   {"HWT", 'N', 4},   {"TUC", 'N', 4},  {"RTT", 'N', 4}, {"EP1", 'N', 4},
                                   {"EPW", 'N', 6},   {"PPC", 'N', 4},  {"KVA", 'N', 6}};
    Bytes attributes = buildDbf(columns, {{"Balice", "8", "2", "123.45", "250.5", "Krak\xf3w", "", "1", "3", "2", "1", "2",
                                           "5", "2", "16", "110", "120", "1", "220"},
                                          {"UNK", "0x1F", "010", "-1", "0", "NULL", "x", "8", "0", "999", "7", "0",
                                           "22", "4", "14", "999", "32767", "8", "-1"}});
    // layer_fuzz: the layer's index, the ".shp" length, the ".shp" (points, lines or areas), the ".dbf".
    const std::string kinds = "ppllpaappplaaalapalapal";
    for (unsigned layer = 0; layer < kinds.size(); ++layer) {
        const Bytes& shp = kinds[layer] == 'p' ? points : kinds[layer] == 'l' ? lines : areas;
        Bytes head{static_cast<char>(layer), static_cast<char>(shp.size()), static_cast<char>(shp.size() >> 8)};
        put(dir + "layer_fuzz/seed-" + std::to_string(layer), head + shp + attributes);
    }

    // merge_fuzz: a section name's length and the name, then the file.
    const Bytes mpText = "; c\r\n[IMG ID]\r\nID=1\r\n[END-IMG ID]\r\n\r\n[RGN80]\r\nType=0x4a\r\nData0=(1,2)\r\n"
                         "[END-RGN80]\r\n[POI]\r\nType=0x2800\r\nLabel=A\r\nData0=(50.1,19.2)\r\n[END]\r\n";
    put(dir + "merge_fuzz/seed-coverage", "\x06IMG ID" + mpText);
    put(dir + "merge_fuzz/seed-lower", "\x03" "end[img id]\n[end-img id]\n[RGN80]\nType=0x4a\n[END]\n[POLYLINE]\n");
    for (const char* name : {"m34131ab", "n33001cd", "m36001ab", "m34145cd", "M34131AB"})
        put(dir + "sheet_fuzz/seed-" + name, name);

    // run_fuzz: an options byte, the list, then "\n#@\n" and a named file each.
    auto part = [](const std::string& name, const Bytes& bytes) { return "\n#@\n" + name + "\n" + bytes; };
    Bytes files = part("AIRPORTP.shp", points) + part("AIRPORTP.dbf", attributes) + part("RIVERL.shp", lines) +
                  part("RIVERL.dbf", attributes) + part("types.txt", "op_lotnisko 0x5901 3\r\n") +
                  part("old.mp", mpText);
    put(dir + "run_fuzz/seed-maps",
        "\x7f-i 00000042 Mapa testowa\r\nAIRPORTP.shp\n\n-i 0x2b Druga\nRIVERL.shp\nold.mp\n" + files);
    put(dir + "run_fuzz/seed-refused", Bytes("\x10RIVERL.shp\n-i 12a X\nAIRPORTP.shp\n-x\n") + files);
    // Roads under -r: the lines again as a road layer and a cart-track layer.
    put(dir + "run_fuzz/seed-roads", "\x90-i 7 Drogi\nROADL.shp\nCARTRACL.shp\n" + files + part("ROADL.shp", lines) +
                                         part("ROADL.dbf", attributes) + part("CARTRACL.shp", lines) +
                                         part("CARTRACL.dbf", attributes));
    return 0;
}
