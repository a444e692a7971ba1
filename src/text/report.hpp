// Messages and reports. Formats are code page 1250 texts ("..."_cp); messages
// go to standard error, reports and listings to standard output.
#pragma once

#include "text/cp1250.hpp"

namespace report {

// Prints a message on standard error.
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Prints a message on standard error that tells a failure of the run (a file
// not converted, a map not written, an argument refused); the run's exit
// status then says so.
void failure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The number of failures printed so far.
int failureCount();

// Prints report text on standard output, behind the messages given before.
void out(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Messages to a file or pipe are collected and written in blocks instead of
// one write each, which cost more than converting a point's record; a
// terminal still gets each at once. Called before the first message.
void collectErrors();

// Writes out the messages collected so far.
void flushErrors();

}  // namespace report
