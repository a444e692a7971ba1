// The type description file (-t): overrides catalogue columns.
#pragma once

namespace catalog {

// 1 when every line was applied; 0 when the file cannot be read, holds no
// line, or a line was in error (correct lines are applied all the same).
int readTypeDescription(const char* path);

}  // namespace catalog
