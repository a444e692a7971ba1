// The output map: opening, closing, the output buffer, and finding sections
// of maps being merged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mp/merge.hpp"
#include "mp/output_map.hpp"
#include "support/program.hpp"

namespace {

// Each test starts and ends without an open map or header parameters.
class OutputMapTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        ::testing::internal::CaptureStderr();
        if (mp::mapIsOpen()) mp::closeMap();
        ::testing::internal::GetCapturedStderr();
        mp::outputMap = mp::OutputMap{};
    }
    std::string path(const char* name) const { return dir.file(name); }
    testsupport::TempDir dir;
};

TEST_F(OutputMapTest, CommentsOpeningAndClosingFollowTheStreamState) {
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::writeFileComment("a.shp"), 0);
    ASSERT_EQ(mp::openMap(path("1.mp").c_str(), 1, "A"), 1);
    EXPECT_EQ(mp::writeFileComment("dir/AIRPORTP.shp"), 1);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(mp::openMap(path("2.mp").c_str(), 2, "B"), 1);  // closes the first map
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "wymuszenie zamkniecia pliku mp\n");
    EXPECT_EQ(mp::closeMap(), 1);
    std::string bytes = testsupport::readFile(path("1.mp"));
    const std::string tail = "[END-IMG ID]\n\n;plik dir/AIRPORTP.shp\n";
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(testsupport::readFile(path("2.mp")).find("AIRPORTP"), std::string::npos);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::closeMap(), 0);
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::openMap(path("no/such/dir.mp").c_str(), 3, "C"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "proba zamkniecia nieotwartego pliku mp\nblad otwarcia pliku mp " + path("no/such/dir.mp") + "\n");
    EXPECT_FALSE(mp::mapIsOpen());
}

// Writes of every size in turn, in a map and, dropped, without one.
TEST_F(OutputMapTest, LargeAndSmallWritesKeepTheirOrder) {
    const std::string big(3 * 1024 * 1024, 'x');
    std::string expected;
    auto reserve = [] {
        char* out = mp::reserveOutput(mp::kMaxReserve);  // must fit even without a map
        std::memset(out, 'r', mp::kMaxReserve);
        mp::commitOutput(out + mp::kMaxReserve);
    };
    ASSERT_EQ(mp::openMap(path("big.mp").c_str(), 1, "B"), 1);
    for (int round = 0; round < 3; ++round) {
        mp::writeOutputText("small\n");
        mp::writeOutput(big.data(), big.size());
        reserve();
        expected += "small\n" + big + std::string(mp::kMaxReserve, 'r');
    }
    EXPECT_EQ(mp::mapWriteStatus(), 0);
    mp::closeMap();
    std::string bytes = testsupport::readFile(path("big.mp"));
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_TRUE(bytes.substr(bytes.size() - expected.size()) == expected);
    for (int i = 0; i < 5; ++i) mp::writeOutput(big.data(), 1024 * 1024 - 7);
    reserve();
    EXPECT_EQ(mp::mapWriteStatus(), -100);
}

TEST(FindSection, FindsTheFirstMarkWhoseNameBeginsWithTheNameInAnyCase) {
    const struct Row {
        const char* text;
        std::size_t length;  // bytes searched; 0: the whole text
        const char* name;
        long found;  // offset of the "[", or -1
    } rows[] = {
        {"[IMG ID]", 0, "IMG ID", 0}, {";x\n[img Id]", 0, "IMG ID", 3}, {"[END-IMG ID]", 0, "END", 0},
        {"[[END]", 0, "END", 1},      {"a]b[POI]c[end]", 0, "END", 9},  {"[IMG]", 0, "IMG ID", -1},
        {"[EN", 0, "END", -1},        {"[END]", 4, "END", 0},           {"", 0, "END", -1},
        {"[END]", 0, "", -1},
        {"[END]", 3, "END", -1},  // the mark runs past the end of the text
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + row.name);
        // A copy of just the searched bytes, so a read past them shows under the sanitizer.
        const std::string bytes(row.text, row.length ? row.length : std::strlen(row.text));
        const char* found = mp::findSection(bytes.data(), bytes.data() + bytes.size(), row.name);
        EXPECT_EQ(found ? found - bytes.data() : -1, row.found);
    }
}

}  // namespace
