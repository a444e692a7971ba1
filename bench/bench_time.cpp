// Runs a command several times and prints its median wall, user and system
// time in seconds and its peak resident memory in KiB:
//
//   bench_time <runs> [--fresh FILE] <command> [arguments...]
//
// One untimed run comes first, so every timed run finds its input in the page
// cache. With --fresh, FILE (the command's output) is removed before each run
// and the disk is synchronised, outside its time: every run writes a new file
// from the same quiet start, as a first conversion does, instead of paying for
// dropping or writing back the previous run's pages. The command's standard output and error go to /dev/null; a run that
// fails ends the measurement with exit code 1.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Run {
    double wall, user, system;
    long peakKib;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

bool runOnce(char** command, Run& run) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    auto end = std::chrono::steady_clock::now();
    run = {std::chrono::duration<double>(end - start).count(), seconds(usage.ru_utime), seconds(usage.ru_stime),
           usage.ru_maxrss};
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_time <runs> <command> [arguments...]\n");
        return 2;
    }
    int runs = std::max(1, std::atoi(argv[1]));
    char** command = argv + 2;
    const char* fresh = nullptr;
    if (argc >= 5 && std::strcmp(command[0], "--fresh") == 0) {
        fresh = command[1];
        command += 2;
    }
    Run run{};
    if (fresh) std::remove(fresh), sync();
    if (!runOnce(command, run)) {
        std::fprintf(stderr, "bench_time: %s failed\n", command[0]);
        return 1;
    }
    std::vector<double> wall, user, system;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        if (fresh) std::remove(fresh), sync();
        if (!runOnce(command, run)) {
            std::fprintf(stderr, "bench_time: %s failed\n", command[0]);
            return 1;
        }
        wall.push_back(run.wall);
        user.push_back(run.user);
        system.push_back(run.system);
        peak = std::max(peak, run.peakKib);
    }
    std::printf("%.4f %.4f %.4f %ld\n", median(wall), median(user), median(system), peak);
    return 0;
}
