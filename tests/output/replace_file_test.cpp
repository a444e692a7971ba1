#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "output/replace_file.hpp"
#include "support/program.hpp"

using namespace testsupport;

namespace {

namespace fs = std::filesystem;

void earlier(const TempDir& dir) { writeFile(dir.file("x.mp"), "earlier"); }

// The bytes reach the path only complete, and only at the finish; a regular
// file at the path stays until then, and for good when the writing failed.
// The new file keeps the permissions of the one it replaces.
TEST(ReplaceFile, AFileTakesThePlaceOfTheEarlierOneOnlyComplete) {
    const bool root = geteuid() == 0;  // root writes read-only files and directories alike
    // What stands at the path, or beside it, before the file is opened.
    const struct Case {
        const char* what;
        std::function<void(const TempDir&)> stage;
        bool complete;                     // the writer's verdict at the finish
        int opened;                        // openReplacement's result
        bool keepsPrevious;
        const char* afterwards;            // the path's bytes after the finish; null: no file
        const char* behindLink = nullptr;  // the bytes of link.target, when the path is a link to it
        unsigned mode = 0;                 // the path's permissions afterwards, unless 0
    } cases[] = {
        {"no earlier file", [](const TempDir&) {}, true, 1, false, "new"},
        {"no earlier file, writing failed", [](const TempDir&) {}, false, 1, false, nullptr},
        {"an earlier file", earlier, true, 1, true, "new"},
        {"an earlier file, writing failed", earlier, false, 1, true, "earlier"},
        {"an earlier file of mode 0640",
         [](const TempDir& dir) { earlier(dir), chmod(dir.file("x.mp").c_str(), 0640); }, true, 1, true, "new", nullptr, 0640},
        {"a leftover of a run stopped hard",
         [](const TempDir& dir) { earlier(dir), writeFile(dir.file(".x.mp.tmp"), "left over"); }, true, 1, true, "new"},
        {"a link: written through in place",
         [](const TempDir& dir) {
             writeFile(dir.file("link.target"), "earlier"), fs::create_symlink("link.target", dir.file("x.mp"));
         },
         true, 1, false, "new", "new"},
        {"a read-only earlier file", [](const TempDir& dir) { earlier(dir), chmod(dir.file("x.mp").c_str(), 0444); },
         true, root ? 1 : 0, root, root ? "new" : "earlier"},
        {"a directory that takes no new files: in place",
         [](const TempDir& dir) { earlier(dir), chmod(dir.path.c_str(), 0555); }, true, 1, root, "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.stage(dir);
        std::string path = dir.file("x.mp");
        output::Replacement file;
        ASSERT_EQ(output::openReplacement(path.c_str(), file), c.opened);
        EXPECT_EQ(file.keepsPrevious, c.keepsPrevious);
        if (c.opened) {
            std::fputs("new", file.stream);
            std::fflush(file.stream);
            if (c.keepsPrevious) { EXPECT_EQ(readFile(path), "earlier"); }  // untouched while written
            EXPECT_EQ(output::finishReplacement(file, c.complete), c.complete ? 1 : 0);
            EXPECT_EQ(file.stream, nullptr);
        }
        chmod(dir.path.c_str(), 0755);
        EXPECT_EQ(readFile(path), c.afterwards ? c.afterwards : "");
        EXPECT_EQ(fs::exists(path), c.afterwards != nullptr);
        EXPECT_EQ(readFile(dir.file("link.target")), c.behindLink ? c.behindLink : "");
        EXPECT_FALSE(fs::exists(dir.file(".x.mp.tmp")));
        struct stat status {};
        if (c.mode) { EXPECT_EQ(stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0, c.mode); }
    }
}

}  // namespace
