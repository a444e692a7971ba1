#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mp/output_map.hpp"
#include "support/program.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

const std::string kHeaderTop = ";  Skonwertowane przez geoconv v0.2.0.397\n\n[IMG ID]\n";
const std::string kHeaderSettings =
    "LBLcoding=9\nCodePage=1250\nPreprocess=F\nTreSize=1024\nTreMargin=0.0\n"
    "RgnLimit=5000\nElevation=M\nPolygonEvaluate=Y\n";
const std::string kHeaderLevels =
    "Levels=7\nLevel0=24\nLevel1=23\nLevel2=22\nLevel3=21\nLevel4=20\nLevel5=19\nLevel6=18\n"
    "Zoom0=0\nZoom1=1\nZoom2=2\nZoom3=3\nZoom4=4\nZoom5=5\nZoom6=6\n[END-IMG ID]\n\n";

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

TEST_F(OutputMapTest, HeaderIsWrittenByteForByte) {
    std::string file = path("12345678.mp");
    std::strcpy(mp::outputMap.outputPath, "12345678.mp");
    ASSERT_EQ(mp::openMap(file.c_str(), 12345678, "Mapa łąk"_cp), 1);
    EXPECT_EQ(mp::mapWriteStatus(), 0);
    EXPECT_EQ(mp::closeMap(), 1);
    EXPECT_EQ(testsupport::readFile(file),
              kHeaderTop + ";ID=I0BC614E\nID=12345678\nName=Mapa \xB3\xB9k\n" + kHeaderSettings +
                  kHeaderLevels);
}

TEST_F(OutputMapTest, HeaderCarriesParametersAndPadsSmallAndLargeIds) {
    mp::outputMap.headerParams[0] = "A=1";
    mp::outputMap.headerParams[1] = "B=2";
    mp::outputMap.headerParamCount = 2;
    std::string file = path("m.mp");
    ASSERT_EQ(mp::openMap(file.c_str(), 7, "X"), 1);
    mp::closeMap();
    EXPECT_EQ(testsupport::readFile(file), kHeaderTop + ";ID=I0000007\nID=00000007\nName=X\n" +
                                               kHeaderSettings + "A=1\nB=2\n" + kHeaderLevels);

    ASSERT_EQ(mp::openMap(file.c_str(), 99999999, "Y"), 1);
    mp::closeMap();
    EXPECT_NE(testsupport::readFile(file).find(";ID=I5F5E0FF\nID=99999999\n"), std::string::npos);
}

TEST_F(OutputMapTest, CommentsAndClosingFollowTheStreamState) {
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(mp::writeFileComment("a.shp"), 0);

    std::string file = path("c.mp");
    ASSERT_EQ(mp::openMap(file.c_str(), 1, "C"), 1);
    EXPECT_EQ(mp::writeFileComment("dir/AIRPORTP.shp"), 1);
    EXPECT_EQ(mp::closeMap(), 1);
    std::string bytes = testsupport::readFile(file);
    const std::string tail = "[END-IMG ID]\n\n;plik dir/AIRPORTP.shp\n";
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::closeMap(), 0);
    EXPECT_EQ(mp::mapWriteStatus(), -100);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "proba zamkniecia nieotwartego pliku mp\n");
}

TEST_F(OutputMapTest, OpeningOverAnOpenMapClosesItFirst) {
    std::string first = path("1.mp");
    std::string second = path("2.mp");
    ASSERT_EQ(mp::openMap(first.c_str(), 1, "A"), 1);
    mp::writeFileComment("kept.shp");
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(mp::openMap(second.c_str(), 2, "B"), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "wymuszenie zamkniecia pliku mp\n");
    mp::closeMap();
    EXPECT_NE(testsupport::readFile(first).find(";plik kept.shp\n"), std::string::npos);
    EXPECT_EQ(testsupport::readFile(second).find("kept"), std::string::npos);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::openMap(path("no/such/dir.mp").c_str(), 3, "C"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "blad otwarcia pliku mp " + path("no/such/dir.mp") + "\n");
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
}

TEST_F(OutputMapTest, WritesWithoutAMapStayInsideTheBuffer) {
    // Nothing is open: the bytes are dropped, and a reservation must still fit.
    std::string chunk(1024 * 1024, 'z');
    for (int i = 0; i < 5; ++i) mp::writeOutput(chunk.data(), chunk.size() - 7);
    char* out = mp::reserveOutput(mp::kMaxReserve);
    std::memset(out, 'r', mp::kMaxReserve);
    mp::commitOutput(out + mp::kMaxReserve);
    EXPECT_EQ(mp::mapWriteStatus(), -100);
}

TEST_F(OutputMapTest, FailedWritesShowInTheStatusAndAreReportedOnce) {
    std::strcpy(mp::outputMap.outputPath, "00000001.mp");
    ASSERT_EQ(mp::openMap("/dev/full", 1, "F"), 1);
    EXPECT_EQ(mp::mapWriteStatus(), -99);
    EXPECT_EQ(mp::mapWriteStatus(), -99);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::closeMap(), 1);  // its caller has reported the status already
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    // Never asked for: the failing final flush is reported at the close.
    ASSERT_EQ(mp::openMap("/dev/full", 1, "F"), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(mp::closeMap(), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "blad zapisu pliku wyjsciowego 00000001.mp\n");
}

}  // namespace
