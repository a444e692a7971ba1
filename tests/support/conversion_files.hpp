// Conversions whose reports and objects are compared with files under
// tests/data/<room>/ (see support/expected.hpp).
#pragma once

#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "support/expected.hpp"

namespace testsupport {

// Converts `args` (files and options) into map 1 in `dir`: the exit status must
// be `status`, the output the map's line, the reports NAME.err (none when the
// file is absent) and the objects NAME.mp. With `withG` it
// converts once more with -g: the reports NAME-g.err, the objects the same.
inline void expectConversion(const TempDir& dir, const std::string& name, const std::vector<std::string>& args,
                             int status = 0, bool withG = false) {
    for (bool flag : {false, true}) {
        if (flag && !withG) break;
        SCOPED_TRACE(flag ? "with -g" : "without -g");
        std::vector<std::string> all = {"-i", "1", "Test"};
        if (flag) all.insert(all.begin(), "-g");
        all.insert(all.end(), args.begin(), args.end());
        RunResult run = runGeoconv(dir.path, all);
        EXPECT_EQ(run.exitCode, status) << run.err;
        EXPECT_EQ(run.out, "MapID 00000001 Test\n");
        expectAsFile(name + (flag ? "-g.err" : ".err"), run.err);
        expectAsFile(name + ".mp", mapObjects(dir.file("00000001.mp")));
    }
}

}  // namespace testsupport
