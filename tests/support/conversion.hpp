// Conversions by the built program in a temporary directory, and the map text
// the tests expect, object by object.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/expected.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

namespace testsupport {

inline XY pt(int i) { return {19.0 + 0.125 * i, 50.0 + 0.0625 * i}; }

enum class Kind { points, lines, areas };

inline uint32_t shapeType(Kind kind) { return kind == Kind::points ? 1 : kind == Kind::lines ? 3 : 5; }

// The record of feature i of a layer: a point at pt(i), a line from there to
// pt(i + 10), or a square of about 260 m at pt(i), an area whose level its
// size leaves alone.
inline Bytes shape(Kind kind, int i) {
    const XY p = pt(i);
    if (kind == Kind::points) return pointShape(p.x, p.y);
    if (kind == Kind::lines) return polylineShape({{p, pt(i + 10)}});
    return polygonShape({{p, {p.x + 0.002, p.y}, {p.x + 0.002, p.y + 0.002}, {p.x, p.y + 0.002}, p}});
}

// A layer of n features, all at place 0.
inline Bytes shapes(Kind kind, std::size_t n) {
    return buildShp(std::vector<ShpRecord>(n, {shape(kind, 0)}), {.shapeType = shapeType(kind)});
}
inline Bytes points(int n) { return shapes(Kind::points, n); }

inline std::string comment(const std::string& path) { return ";plik " + path + "\n"; }

// The two files of a layer beside each other, their directories made.
inline void writeLayer(const std::string& base, const Bytes& shp, const Bytes& dbf,
                       const std::string& shpExt = ".shp", const std::string& dbfExt = ".dbf") {
    std::filesystem::create_directories(std::filesystem::path(base).parent_path());
    writeFile(base + shpExt, shp);
    writeFile(base + dbfExt, dbf);
}

// A layer of one point at pt(0) named `label`, and its object in a hut layer (HUTP).
inline void writeNamedPoint(const std::string& base, const std::string& label) {
    writeLayer(base, points(1), buildDbf({{"NAM", 'C', 10}}, {{label}}));
}
inline std::string hut(const std::string& label) {
    return "[POI]\nType=0x1161D\nLabel=" + label + "\nData0=(50.0000000,19.0000000)\n[END]\n\n";
}

class Conversion : public ::testing::Test {
protected:
    TempDir dir;

    void layer(const std::string& base, const Bytes& shp, const Bytes& dbf, const std::string& shpExt = ".shp",
               const std::string& dbfExt = ".dbf") {
        writeLayer(dir.file(base), shp, dbf, shpExt, dbfExt);
    }

    // Runs geoconv in the directory; its exit status must be `status`: 0 when
    // everything was converted, 2 when a file, map or argument failed.
    RunResult run(const std::vector<std::string>& args, int status = 0) {
        RunResult result = runGeoconv(dir.path, args);
        EXPECT_EQ(result.exitCode, status) << result.err;
        return result;
    }

    // Converts the files (options among them) into map 1.
    RunResult convert(const std::vector<std::string>& files, int status = 0, bool logUnknown = false) {
        std::vector<std::string> args = {"-i", "1", "Test"};
        if (logUnknown) args.insert(args.begin(), "-g");
        args.insert(args.end(), files.begin(), files.end());
        return run(args, status);
    }

    std::string objects(const std::string& map = "00000001.mp") { return mapObjects(dir.file(map)); }

    // Converts the files into map 1 and compares with tests/data/<room>/: the
    // reports with NAME.err (none when the file is absent), the objects with
    // NAME.mp; with `withG` once more with -g, the reports with NAME-g.err.
    void expectConversion(const std::string& name, const std::vector<std::string>& files, int status = 0,
                          bool withG = false) {
        for (bool flag : {false, true}) {
            if (flag && !withG) break;
            SCOPED_TRACE(flag ? "with -g" : "without -g");
            RunResult result = convert(files, status, flag);
            EXPECT_EQ(result.out, "MapID 00000001 Test\n");
            expectAsFile(name + (flag ? "-g.err" : ".err"), result.err);
            expectAsFile(name + ".mp", objects());
        }
    }
};

}  // namespace testsupport
