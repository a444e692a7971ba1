// Merging existing ".mp" files: a file's objects are appended, as text, to
// the open map without the file's own header and coverage area.
#pragma once

#include <cstddef>

namespace mp {

// Position of the '[' of the first section mark in the text from `text` on
// whose name begins with `name` (letter case ignored), or nullptr. The text
// ends at `end` or at its first zero byte, whichever comes first; an empty
// name finds nothing.
const char* findSection(const char* text, const char* end, const char* name);

// Appends the objects of the ".mp" file at `path` to the open map: 1 when
// they were appended or the file holds none, 0 on any failure (reported).
int mergeMpFile(const char* path);

// Writes ";plik <path>", the block unchanged and one line feed into the open
// map: 1, or 0 when no map is open or the write failed.
int appendMpText(const char* path, const char* text, std::size_t length);

}  // namespace mp
