// Opening an input file for reading without waiting on it.
#pragma once

#include <cstdio>

namespace input {

// std::fopen for reading, except that a FIFO with no writer does not block
// the open: it is opened at once and then reads as an empty file. Reads of a
// pipe that has a writer wait for its data as usual.
std::FILE* openInputFile(const char* path, const char* mode);

}  // namespace input
