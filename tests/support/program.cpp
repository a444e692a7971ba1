#include "support/program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef GEOCONV_EXE
#error "GEOCONV_EXE must name the built program"
#endif

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "geoconv-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string readFile(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    if (!(std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes))
        throw std::runtime_error("cannot write " + path);
}

std::string mapObjects(const std::string& path) {
    std::string text = readFile(path), end = "[END-IMG ID]\n\n";
    std::size_t at = text.find(end);
    return at == std::string::npos ? "no header: " + text : text.substr(at + end.size());
}

void PrintTo(const RunResult& run, std::ostream* os) {
    *os << "{exit " << run.exitCode << ", out " << ::testing::PrintToString(run.out) << ", err "
        << ::testing::PrintToString(run.err) << "}";
}

const char* geoconvProgram() { return GEOCONV_EXE; }

namespace {

// Forks; in the child, `prepare` sets the process up and gives the descriptors
// of standard output and error, then the program starts in `directory` with
// standard input on /dev/null.
template <typename Prepare>
pid_t startChild(const std::string& directory, const std::string& program, const std::vector<std::string>& args,
                 Prepare prepare) {
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid > 0) return pid;
    auto [out, err] = prepare();
    int in = open("/dev/null", O_RDONLY);
    if (chdir(directory.c_str()) != 0 || out < 0 || err < 0 || in < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};  // execv changes none of them
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Runs the program with standard output and error on channels of their own,
// set up in the child by `prepare`, and drains both while it runs, so that it
// never waits on a full one (a terminal whose writer is gone reports EIO).
// After `seconds` (never when 0) it is killed: exit code -1, "<killed>"
// appended to err.
template <typename Prepare>
RunResult runOn(const std::string& directory, const std::string& program, const std::vector<std::string>& args,
                Channel channel, int seconds, Prepare prepare) {
    int ends[2][2];  // [0] read by the test, [1] written by the program; out, then err
    for (auto& pair : ends) {
        int made = channel == Channel::pipe ? pipe(pair) : openpty(&pair[0], &pair[1], nullptr, nullptr, nullptr);
        if (made != 0) throw std::runtime_error("cannot open a channel");
        termios mode;
        if (channel == Channel::terminal && tcgetattr(pair[1], &mode) == 0) {
            cfmakeraw(&mode);  // no line-feed translation
            tcsetattr(pair[1], TCSANOW, &mode);
        }
    }
    pid_t pid = startChild(directory, program, args, [&] {
        prepare();
        return std::pair{ends[0][1], ends[1][1]};
    });
    close(ends[0][1]);
    close(ends[1][1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool killed = false;
    RunResult result;
    std::string* texts[2] = {&result.out, &result.err};
    pollfd reading[2] = {{ends[0][0], POLLIN, 0}, {ends[1][0], POLLIN, 0}};
    for (int live = 2; live > 0;) {
        poll(reading, 2, seconds ? 50 : -1);
        if (seconds && !killed && std::chrono::steady_clock::now() > deadline) killed = kill(pid, SIGKILL) == 0;
        for (int i = 0; i < 2; ++i) {
            if (reading[i].fd < 0 || reading[i].revents == 0) continue;
            char chunk[4096];
            ssize_t n = read(reading[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                texts[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                close(reading[i].fd);
                reading[i].fd = -1;
                --live;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err += killed ? "<killed>" : "";
    return result;
}

}  // namespace

RunResult runProgram(const std::string& directory, const std::string& program,
                     const std::vector<std::string>& args, const RunLimits& limits) {
    return runOn(directory, program, args, Channel::pipe, limits.seconds, [&] {
        rlimit memory{limits.addressSpace, limits.addressSpace}, files{limits.fileSize, limits.fileSize};
        if (limits.addressSpace && setrlimit(RLIMIT_AS, &memory) != 0) _exit(127);
        if (limits.fileSize && (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &files) != 0))
            _exit(127);
        // Under the file size limit a coverage build's counter files would be
        // cut short too and spoil every later merge: they go elsewhere.
        if (limits.fileSize) setenv("GCOV_PREFIX", "/tmp/geoconv-gcov-limited", 1);
    });
}

int startGeoconv(const std::string& directory, const std::vector<std::string>& args) {
    // The signals a test sends act as they would at a shell prompt, even when
    // the tests run where they are ignored or blocked.
    auto prepare = [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        int nowhere = open("/dev/null", O_WRONLY);
        return std::pair{nowhere, nowhere};
    };
    return startChild(directory, GEOCONV_EXE, args, prepare);
}

RunResult runProgramThrough(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& args, Channel channel, const std::string& locale) {
    return runOn(directory, program, args, channel, 0, [&] { setenv("LC_ALL", locale.c_str(), 1); });
}

}  // namespace testsupport
