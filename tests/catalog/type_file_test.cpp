#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog.hpp"
#include "catalog/type_file.hpp"
#include "support/program.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

using catalog::Obj;

// TypG LevelM FlagaEt FlagaOb TypP of an entry.
std::string columns(Obj id) {
    const catalog::ObjectType& e = catalog::object(id);
    char text[64];
    std::snprintf(text, sizeof text, "0x%x %d %u %u 0x%x", e.TypG, e.LevelM, e.FlagaEt, e.FlagaOb, e.TypP);
    return text;
}

std::string unknown(const std::string& id) {
    return "nieznany obiekt " + id + " w opisie typow\n";
}
std::string noValues(const std::string& id) {
    return std::string("brak parametrów obiektu "_cp) + id + " w opisie typow\n";
}

const std::string kNoData = "brak danych w opisie typow\n";

struct Row {
    std::string file;
    int result;
    std::string err;
    std::vector<std::pair<Obj, std::string>> after;  // columns of entries afterwards
};

TEST(TypeFile, AppliesLinesAndReportsBadOnes) {
    const Row rows[] = {
        {"op_lotnisko 0x5901 3 1 1 0x2800\r\n", 1, "", {{Obj::op_lotnisko, "0x5901 3 1 1 0x2800"}}},
        // Negative and missing values keep their columns; flags keep their
        // lowest 8 bits; "010" is octal; words behind the numbers are ignored.
        {"  oa_las 0x15 0\noa_laka -1 -1 -1 0\nop_wieza -1 3 257 010 extra words\n", 1, "",
         {{Obj::oa_las, "0x15 0 0 1 0x0"}, {Obj::oa_laka, "0x52 2 0 0 0x0"},
          {Obj::op_wieza, "0x11517 3 1 8 0x0"}}},
        // Control bytes end parts: an identifier takes its numbers from behind a
        // TAB, a TAB between values makes the next value an identifier.
        {"ol_kolej\t0x1a 5\n", 1, "", {{Obj::ol_kolej, "0x1a 5 0 0 0x0"}}},
        {"oa_las 0x16\t5 6\n", 0, unknown("5"), {{Obj::oa_las, "0x16 2 0 1 0x0"}}},
        {std::string("oa_las 0x17\0oa_laka 0x18\0", 25), 1, "",
         {{Obj::oa_las, "0x17 2 0 1 0x0"}, {Obj::oa_laka, "0x18 2 0 1 0x0"}}},
        // A bare identifier: with CR LF the empty LF part gives no numbers; with
        // LF the next line lends its numbers, or is skipped after the message.
        {"oa_las\r\noa_laka 0x30\r\n", 0, noValues("oa_las"),
         {{Obj::oa_las, "0x14 2 0 1 0x0"}, {Obj::oa_laka, "0x30 2 0 1 0x0"}}},
        {"oa_las\n0x31 1\n", 1, "", {{Obj::oa_las, "0x31 1 0 1 0x0"}}},
        {"oa_las\noa_laka 0x32\nop_basen 0x33\n", 0, noValues("oa_las"),
         {{Obj::oa_laka, "0x52 2 0 1 0x0"}, {Obj::op_basen, "0x33 0 0 0 0x0"}}},
        // Bad lines are reported and the rest is applied; entry 0 cannot be named.
        {"OP_LOTNISKO 1\r\n   \r\no_nieznane 5\r\nop_basen x\r\noa_las 0x20\r\n", 0,
         unknown("OP_LOTNISKO") + unknown("") + unknown("o_nieznane") + noValues("op_basen"),
         {{Obj::oa_las, "0x20 2 0 1 0x0"}, {Obj::o_nieznane, "0x0 0 0 0 0x0"}}},
        // End of the data: numbers without a line end count, a last identifier
        // without one is dropped silently.
        {"oa_las 0x21", 1, "", {{Obj::oa_las, "0x21 2 0 1 0x0"}}},
        {"oa_las 0x22\noa_laka", 1, "", {{Obj::oa_las, "0x22 2 0 1 0x0"}, {Obj::oa_laka, "0x52 2 0 1 0x0"}}},
        {"oa_las ", 0, noValues("oa_las"), {{Obj::oa_las, "0x14 2 0 1 0x0"}}},
        {"", 0, kNoData, {}},
        {"\r\n\t", 0, kNoData, {}},
        {std::string(3, '\0'), 0, kNoData, {}},
    };
    testsupport::TempDir dir;
    const std::string path = dir.file("types.txt");
    for (const Row& row : rows) {
        catalog::resetCatalogue();
        testsupport::writeFile(path, row.file);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(catalog::readTypeDescription(path.c_str()), row.result) << row.file;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), row.err) << row.file;
        for (const auto& [id, expected] : row.after) EXPECT_EQ(columns(id), expected) << row.file;
    }
    catalog::resetCatalogue();

    ::testing::internal::CaptureStderr();
    const std::string absent = dir.file("absent.txt");
    EXPECT_EQ(catalog::readTypeDescription(absent.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "blad otwarcia pliku " + absent + "\n");
}

}  // namespace
