// Formatting of labels per record, without stdio: printf's own subset %s,
// %c, %i, %d, %u, %x, %X and %%, with the flags 0 and - and a width (as in
// %02u). Any other conversion is written as it stands.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace text {

// Writes at most size - 1 bytes and a terminating zero, as snprintf does;
// returns the buffer.
char* formatText(char* buffer, std::size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
char* formatTextV(char* buffer, std::size_t size, const char* format, va_list arguments);

}  // namespace text
