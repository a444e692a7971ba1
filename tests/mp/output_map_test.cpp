#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mp/output_map.hpp"
#include "support/program.hpp"

namespace {

// Each test starts and ends without an open map or header parameters.
class OutputMapTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        if (mp::mapIsOpen()) {
            ::testing::internal::CaptureStderr();
            mp::closeMap();
            ::testing::internal::GetCapturedStderr();
        }
        mp::outputMap = mp::OutputMap{};
    }

    std::string path(const char* name) const { return dir.file(name); }

    testsupport::TempDir dir;
};

TEST_F(OutputMapTest, CommentsOpeningAndClosingFollowTheStreamState) {
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::writeFileComment("a.shp"), 0);

    std::string first = path("1.mp");
    ASSERT_EQ(mp::openMap(first.c_str(), 1, "A"), 1);
    EXPECT_EQ(mp::writeFileComment("dir/AIRPORTP.shp"), 1);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(mp::openMap(path("2.mp").c_str(), 2, "B"), 1);  // closes the first map
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "wymuszenie zamkniecia pliku mp\n");
    EXPECT_EQ(mp::closeMap(), 1);
    std::string bytes = testsupport::readFile(first);
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

TEST_F(OutputMapTest, LargeAndSmallWritesKeepTheirOrder) {
    std::string file = path("big.mp");
    ASSERT_EQ(mp::openMap(file.c_str(), 1, "B"), 1);
    std::string big(3 * 1024 * 1024, 'x');
    std::string expected;
    for (int round = 0; round < 3; ++round) {
        mp::writeOutputText("small\n");
        mp::writeOutput(big.data(), big.size());
        char* out = mp::reserveOutput(mp::kMaxReserve);
        std::memset(out, 'r', mp::kMaxReserve);
        mp::commitOutput(out + mp::kMaxReserve);
        expected += "small\n" + big + std::string(mp::kMaxReserve, 'r');
    }
    EXPECT_EQ(mp::mapWriteStatus(), 0);
    mp::closeMap();
    std::string bytes = testsupport::readFile(file);
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_TRUE(bytes.substr(bytes.size() - expected.size()) == expected);

    // Without a map the bytes are dropped, and a reservation must still fit.
    std::string chunk(1024 * 1024, 'z');
    for (int i = 0; i < 5; ++i) mp::writeOutput(chunk.data(), chunk.size() - 7);
    char* out = mp::reserveOutput(mp::kMaxReserve);
    std::memset(out, 'r', mp::kMaxReserve);
    mp::commitOutput(out + mp::kMaxReserve);
    EXPECT_EQ(mp::mapWriteStatus(), -100);
}

}  // namespace
