// The layer table for users: the README and the manual page list every layer
// of the program's table, as the program's table has it.
#include <gtest/gtest.h>

#include <string>

#include "layers/layer_table.hpp"
#include "support/program.hpp"

using namespace testsupport;

namespace {

TEST(LayerList, ReadmeAndManualPageListEveryLayerOfTheTable) {
    TempDir dir;
    RunResult table = runProgram(dir.path, LAYER_LIST_EXE, {"--markdown"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    const std::string readme = readFile(GEOCONV_TOOLS "/../README.md");
    const std::string begin = "-->\n", end = "<!-- end of the layer table -->";
    std::size_t from = readme.find("<!-- layer table:");
    ASSERT_NE(from, std::string::npos);
    from = readme.find(begin, from) + begin.size();
    EXPECT_EQ(readme.substr(from, readme.find(end, from) - from), table.out)
        << "the README's layer table differs from the program's: write it anew with build/layer_list --markdown";

    const std::string manual = readFile(GEOCONV_MAN_DIR "/geoconv.1");
    std::size_t rows = 0;
    for (const layers::LayerRow& row : layers::layerTable()) {
        ++rows;
        EXPECT_NE(table.out.find("| `" + std::string(row.name) + "` | "), std::string::npos) << row.name;
        EXPECT_NE(manual.find(".TP\n.B " + std::string(row.name) + "\n"), std::string::npos) << row.name;
    }
    EXPECT_EQ(rows, 221u);
}

}  // namespace
