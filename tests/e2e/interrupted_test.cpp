// Runs that stop before their map is finished: killed, interrupted, cut off
// from their standard error, or out of disk. The map file is always either
// the earlier complete map or the new complete one, and a temporary file
// survives only a kill that cannot be caught.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <thread>

#include "support/conversion.hpp"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kMap = "00000001.mp", kTemporary = ".00000001.mp.tmp";

class Interrupted : public Conversion {
protected:
    std::string previous;  // the map of a small layer, standing before each run

    void SetUp() override {
        writeNamedPoint(dir.file("small/HUTP"), "Dobra");
        ASSERT_EQ(runGeoconv(dir.path, {"-i", "1", "A", "small/HUTP.shp"}).err, "");
        previous = readFile(dir.file(kMap));
    }

    // A layer of walls, `records` lines of 100 points each: about 2.5 kB of
    // map each.
    void writeWalls(int records) {
        std::vector<XY> points;
        for (int i = 0; i < 100; ++i) points.push_back({19 + 0.001 * i, 50 + 0.0005 * i});
        std::vector<ShpRecord> shapes(static_cast<std::size_t>(records), ShpRecord{polylineShape({points})});
        writeLayer(dir.file("large/WALLL"), buildShp(shapes, {.shapeType = 3}),
                   buildDbf({{"NAM", 'C', 10}}, std::vector<std::vector<std::string>>(records, {"Mur"})));
    }

    bool temporaryLeft() { return fs::exists(dir.file(kTemporary)); }

    void expectTheEarlierMap() {
        EXPECT_TRUE(readFile(dir.file(kMap)) == previous) << "the earlier map changed";
        EXPECT_FALSE(temporaryLeft());
    }
};

// Sends `signal` to a conversion of a large layer at 100 moments: when the
// temporary map (or the map, while there is none) has grown to a random share
// of the new map (none: at once), or after the run ended. Afterwards the map
// is the earlier one or the new one, byte for byte.
TEST_F(Interrupted, KilledAtAnyMomentTheMapIsTheEarlierOrTheNewOne) {
    writeWalls(2000);
    const std::vector<std::string> args = {"-i", "1", "A", "large/WALLL.shp"};
    ASSERT_EQ(runGeoconv(dir.path, args).err, "");
    const std::string fresh = readFile(dir.file(kMap));
    ASSERT_GT(fresh.size(), 4'000'000u);
    auto written = [&] {
        struct stat file {};
        bool any = stat(dir.file(kTemporary).c_str(), &file) == 0 || stat(dir.file(kMap).c_str(), &file) == 0;
        return any ? static_cast<std::size_t>(file.st_size) : 0;
    };
    std::mt19937 random(26);  // fixed moments; any moment must pass
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        int earlier = 0, stopped = 0;
        for (int round = 0; round < 100; ++round) {
            writeFile(dir.file(kMap), previous);
            fs::remove(dir.file(kTemporary));  // what the last kill left would mark a moment too early
            // A tenth of the moments lie beyond the last byte: the run may end first.
            std::size_t grown = random() % (fresh.size() + fresh.size() / 10);
            int pid = startGeoconv(dir.path, args), status = 0;
            bool ended = false;
            while (grown > 0 && !(ended = waitpid(pid, &status, WNOHANG) == pid) && written() < grown)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (!ended) kill(pid, signal), waitpid(pid, &status, 0);
            std::string map = readFile(dir.file(kMap));
            ASSERT_TRUE(map == previous || map == fresh) << "round " << round << ": " << map.size() << " bytes";
            earlier += map == previous;
            if (WIFSIGNALED(status)) {
                ++stopped;
                EXPECT_EQ(WTERMSIG(status), signal);
            }
            ASSERT_FALSE(signal != SIGKILL && temporaryLeft()) << "round " << round;
        }
        // Both outcomes were reached: runs stopped before and after the map was in place.
        EXPECT_GT(stopped, 0);
        EXPECT_GT(earlier, 0);
        EXPECT_LT(earlier, 100);
    }
}

// A run whose standard error is cut off ("2>&1 | head -1") dies of SIGPIPE
// in the middle of a layer with a message for each of its records.
TEST_F(Interrupted, AClosedPipeOnStandardErrorLeavesTheEarlierMap) {
    writeLayer(dir.file("many/HUTP"), shapes(Kind::points, 100000), buildDbf({{"NAM", 'C', 10}}, {{"x"}}));
    std::string command = std::string(geoconvProgram()) +
                          " -i 1 A many/HUTP.shp 2>&1 | head -1; echo \"status ${PIPESTATUS[0]}\"";
    RunResult run = runProgram(dir.path, "/bin/bash", {"-c", command});
    EXPECT_EQ(run.out, "brak rekordu DBF 2, plik many/HUTP.dbf\nstatus " + std::to_string(128 + SIGPIPE) + "\n");
    expectTheEarlierMap();
}

// A full disk, as a limit on the size of the files the run writes: the map
// fails in the middle of a layer and the earlier map (or make_all.bat) stays
// as it was. The same failure through /dev/full, where the map is a link to
// it and so written in place, is in the failures tests.
TEST_F(Interrupted, AFullDiskLeavesTheEarlierFiles) {
    writeWalls(1000);
    EXPECT_EQ(runGeoconv(dir.path, {"-i", "1", "A", "large/WALLL.shp", "small/HUTP.shp"}, {.fileSize = 1'000'000}),
              (RunResult{2, "MapID 00000001 A\n", "blad zapisu pliku wyjsciowego 00000001.mp\n"
                                                  "poprzednia wersja pliku 00000001.mp pozostaje bez zmian\n"}));
    expectTheEarlierMap();

    // A script of 40 sheets is about 3 kB.
    writeFile(dir.file("make_all.bat"), "earlier");
    for (int sheet = 0; sheet < 40; ++sheet) fs::create_directory(dir.file("m34" + std::to_string(100 + sheet) + "ab"));
    EXPECT_EQ(runGeoconv(dir.path, {"-b"}, {.fileSize = 1000}), (RunResult{2, "", "blad zapisu pliku make_all.bat\n"}));
    EXPECT_EQ(readFile(dir.file("make_all.bat")), "earlier");
    EXPECT_FALSE(fs::exists(dir.file(".make_all.bat.tmp")));
}

}  // namespace
