// Files that take the place of an earlier file of their name only once they
// are written completely. The bytes go to a temporary file in the same
// directory (".NAME.tmp"), which is flushed to the disk and renamed over NAME
// when it is finished; a failed write, a stop by a signal or a crash leaves
// the earlier file as it was.
#pragma once

#include <cstdio>
#include <string>

namespace output {

struct Replacement {
    std::FILE* stream = nullptr;  // where the bytes go; null while nothing is open
    std::string path;             // the file's own name
    int slot = -1;                // the temporary file's entry among those a signal removes; -1 in place
    bool keepsPrevious = false;   // an earlier file at the path stays until this one is complete
};

// Opens `path` for writing in binary mode: a temporary file beside it, which
// replaces a leftover of the same name (from a run stopped hard), or the path
// itself when it names something other than a regular file (a link, a
// device, a pipe: the bytes go where the user pointed them) or when the
// directory takes no new files. An earlier file that may not be written
// refuses the open as it would in place. 1, or 0 when nothing could be opened.
int openReplacement(const char* path, Replacement& file);

// Closes the file. When `complete` and every byte reached the disk, the
// temporary file takes the path's place; otherwise it is removed and the
// earlier file stays. 1 when the path holds the complete new file.
int finishReplacement(Replacement& file, bool complete);

}  // namespace output
