// The run driver: one left-to-right walk over the command line.
#pragma once

namespace app {

// Runs the program; returns the exit code (1 only without arguments).
int runGeoconv(int argc, char** argv);

void printUsage();

// Appends a -h text to the header parameter list: 1, or 0 when it is full.
int addHeaderParam(const char* text);

}  // namespace app
