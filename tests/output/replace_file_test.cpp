#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "output/replace_file.hpp"
#include "support/expected.hpp"
#include "support/program.hpp"

using namespace testsupport;

namespace {

namespace fs = std::filesystem;

// The bytes reach the path only complete, and only at the finish; a regular
// file at the path stays until then, and for good when the writing failed.
// The new file keeps the permissions of the one it replaces. The rows, with
// what stands at the path or beside it before the opening, are in
// tests/data/output/replacements.tsv.
TEST(ReplaceFile, AFileTakesThePlaceOfTheEarlierOneOnlyComplete) {
    const std::string runAs = geteuid() == 0 ? "root" : "user";
    for (auto row : dataRows("replacements.tsv")) {
        row.resize(11);
        if (!row[5].empty() && row[5] != runAs) continue;
        SCOPED_TRACE(row[0]);
        TempDir dir;
        const std::string path = dir.file("x.mp"), &earlier = row[1];
        if (earlier == "link") writeFile(dir.file("link.target"), "earlier"), fs::create_symlink("link.target", path);
        else if (earlier != "-") writeFile(path, "earlier");
        if (earlier[0] == '0') chmod(path.c_str(), std::stoul(earlier, nullptr, 8));
        if (row[2] == "1") writeFile(dir.file(".x.mp.tmp"), "left over");
        if (!row[3].empty()) chmod(dir.path.c_str(), std::stoul(row[3], nullptr, 8));
        const bool complete = row[4] == "1", keepsPrevious = row[7] == "1";
        output::Replacement file;
        ASSERT_EQ(output::openReplacement(path.c_str(), file), std::stoi(row[6]));
        EXPECT_EQ(file.keepsPrevious, keepsPrevious);
        if (row[6] == "1") {
            std::fputs("new", file.stream);
            std::fflush(file.stream);
            if (keepsPrevious) { EXPECT_EQ(readFile(path), "earlier"); }  // untouched while written
            EXPECT_EQ(output::finishReplacement(file, complete), complete ? 1 : 0);
            EXPECT_EQ(file.stream, nullptr);
        }
        chmod(dir.path.c_str(), 0755);
        EXPECT_EQ(readFile(path), row[8] == "-" ? "" : row[8]);
        EXPECT_EQ(fs::exists(path), row[8] != "-");
        EXPECT_EQ(readFile(dir.file("link.target")), row[9]);
        EXPECT_FALSE(fs::exists(dir.file(".x.mp.tmp")));
        struct stat status {};
        if (!row[10].empty()) {
            EXPECT_EQ(stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0, std::stoul(row[10], nullptr, 8));
        }
    }
}

}  // namespace
