// The type description file (-t): overrides catalogue columns.
#pragma once

#include <cstdint>

namespace catalog {

// 1 when every line was applied; 0 when the file cannot be read, holds no
// line, or a line was in error (correct lines are applied all the same).
int readTypeDescription(const char* path);

// The same over the file's `length` bytes, already read; the bytes are
// changed in place (line ends become zero bytes) and nothing past them is read.
int applyTypeDescription(char* data, uint32_t length);

}  // namespace catalog
