#include "input/open_file.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace input {

std::FILE* openInputFile(const char* path, const char* mode) {
#ifdef _WIN32
    return std::fopen(path, mode);
#else
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // Blocking again for the reads, so a writer that is slow to write is waited for.
    int flags = fcntl(fd, F_GETFL);
    std::FILE* file = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? fdopen(fd, mode) : nullptr;
    if (!file) close(fd);
    return file;
#endif
}

}  // namespace input
