// Messages and reports. Formats are code page 1250 texts ("..."_cp); messages
// go to standard error, reports and listings to standard output.
#pragma once

#include "text/cp1250.hpp"

namespace report {

// Prints a message on standard error.
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Prints report text on standard output.
void out(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace report
