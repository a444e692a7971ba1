// Integer reading with the rules of the "%i" conversion of formatted input.
#pragma once

#include <cstdint>

namespace text {

// Reads one integer from [p, end), stopping early at a zero byte: leading
// white space is skipped, a sign is allowed, "0x"/"0X" introduces hexadecimal
// digits and a leading "0" octal ones. "0x" without a hexadecimal digit reads
// as the number 0 ending before the "x". Values beyond the 32-bit range
// saturate to INT32_MIN or INT32_MAX, so no text can wrap into a small number.
// Returns the position just behind the number, or nullptr when no number can
// be read (value is then left unchanged).
const char* scanInt(const char* p, const char* end, int32_t& value);

// The same over a zero-terminated text.
const char* scanInt(const char* p, int32_t& value);

}  // namespace text
