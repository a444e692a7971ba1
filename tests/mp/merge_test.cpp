#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mp/merge.hpp"

namespace {

TEST(FindSection, FindsTheFirstMarkWhoseNameBeginsWithTheNameInAnyCase) {
    struct Row {
        const char* text;
        std::size_t length;  // bytes searched; 0: the whole text
        const char* name;
        long found;  // offset of the "[", or -1
    };
    const Row rows[] = {
        {"[IMG ID]", 0, "IMG ID", 0},
        {";x\n[img Id]", 0, "IMG ID", 3},
        {"[END-IMG ID]", 0, "END", 0},
        {"[[END]", 0, "END", 1},
        {"a]b[POI]c[end]", 0, "END", 9},
        {"[IMG]", 0, "IMG ID", -1},
        {"[EN", 0, "END", -1},
        {"[END]", 3, "END", -1},  // the mark runs past the end of the text
        {"[END]", 4, "END", 0},
        {"", 0, "END", -1},
        {"[END]", 0, "", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + row.name);
        // A copy of just the searched bytes, so a read past them shows under the sanitizer.
        std::size_t length = row.length ? row.length : std::strlen(row.text);
        std::string bytes(row.text, length);
        const char* text = bytes.data();
        const char* found = mp::findSection(text, text + length, row.name);
        EXPECT_EQ(found ? found - text : -1, row.found);
    }
}

}  // namespace
