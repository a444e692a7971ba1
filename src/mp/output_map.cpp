#include "mp/output_map.hpp"

#include <cstring>
#if !defined(_WIN32)
#include <system_error>
#include <thread>
#endif

#include "text/report.hpp"

using namespace text::literals;

namespace mp {

OutputMap outputMap;

namespace {

// Objects collect in one buffer while the other is being written, so that
// formatting and writing overlap. Writes happen one at a time and in order.
constexpr std::size_t kBufferSize = 1024 * 1024;
char buffers[2][kBufferSize];
char* buffer = buffers[0];
std::size_t used = 0;

void writeBlock(std::FILE* stream, const char* bytes, std::size_t length) {
    if (std::fwrite(bytes, 1, length, stream) != length) outputMap.writeFailed = true;
}

#if defined(_WIN32)
void waitForWrite() {}
void writeInBackground(std::FILE* stream, const char* bytes, std::size_t length) {
    writeBlock(stream, bytes, length);
}
#else
std::thread pendingWrite;

// Until the pending write has ended; then writeFailed holds its outcome.
void waitForWrite() {
    if (pendingWrite.joinable()) pendingWrite.join();
}

// A write still pending when the program ends (a map never closed) is
// waited for rather than cut off.
struct WaitAtExit {
    ~WaitAtExit() { waitForWrite(); }
} waitAtExit;

void writeInBackground(std::FILE* stream, const char* bytes, std::size_t length) {
    try {
        pendingWrite = std::thread(writeBlock, stream, bytes, length);
    } catch (const std::system_error&) {  // no thread to be had: written here
        writeBlock(stream, bytes, length);
    }
}
#endif

// Hands the filled buffer to the writer and continues in the other one.
// Without an open stream the bytes have nowhere to go and are dropped, so the
// buffer is always empty afterwards and a reservation always fits.
void flushBuffer() {
    waitForWrite();
    if (used != 0 && outputMap.stream) {
        writeInBackground(outputMap.stream, buffer, used);
        buffer = buffer == buffers[0] ? buffers[1] : buffers[0];
    }
    used = 0;
}

// Every byte given so far is in the stream (or failed to get there). The
// rest of the buffer is written here: no thread is started just to be waited for.
void flushAndWait() {
    waitForWrite();
    if (used != 0 && outputMap.stream) writeBlock(outputMap.stream, buffer, used);
    used = 0;
}

// Writes the texts of a header line; the header is small and written once.
void headerLine(const char* format, unsigned long value) {
    char line[64];
    int n = std::snprintf(line, sizeof line, format, value);
    writeOutput(line, static_cast<std::size_t>(n));
}

}  // namespace

char* reserveOutput(std::size_t bytes) {
    if (kBufferSize - used < bytes) flushBuffer();
    return buffer + used;
}

void commitOutput(char* end) {
    used = static_cast<std::size_t>(end - buffer);
}

void writeOutput(const char* bytes, std::size_t length) {
    if (length <= kBufferSize - used) {
        std::memcpy(buffer + used, bytes, length);
        used += length;
        return;
    }
    if (length < kBufferSize / 2) {
        flushBuffer();
        std::memcpy(buffer, bytes, length);
        used = length;
    } else {
        flushAndWait();  // the caller's bytes are written at once, behind all before them
        if (outputMap.stream) writeBlock(outputMap.stream, bytes, length);
    }
}

void writeOutputText(const char* text) {
    writeOutput(text, std::strlen(text));
}

int openMap(const char* path, uint32_t mapId, const char* name) {
    if (outputMap.stream) {
        flushAndWait();
        std::fclose(outputMap.stream);
        report::error("wymuszenie zamkniecia pliku mp\n"_cp);
        outputMap.stream = nullptr;
    }
    used = 0;
    outputMap.writeFailed = false;
    outputMap.failureSeen = false;
    outputMap.stream = std::fopen(path, "wb");
    if (!outputMap.stream) {
        report::error("blad otwarcia pliku mp %s\n"_cp, path);
        return 0;
    }
    // The map has its own large buffer; without a second one in the stream a
    // failing disk shows at the next flush instead of only at the close.
    std::setvbuf(outputMap.stream, nullptr, _IONBF, 0);
    writeOutputText(";  Skonwertowane przez geoconv v0.2.0.397\n\n[IMG ID]\n"_cp);
    headerLine(";ID=I%07lX\n", mapId);
    headerLine("ID=%08lu\n", mapId);
    writeOutputText("Name="_cp);
    writeOutputText(name);
    writeOutputText("\nLBLcoding=9\nCodePage=1250\nPreprocess=F\nTreSize=1024\nTreMargin=0.0\n"
                    "RgnLimit=5000\nElevation=M\nPolygonEvaluate=Y\n"_cp);
    for (int i = 0; i < outputMap.headerParamCount; ++i) {
        writeOutputText(outputMap.headerParams[i]);
        writeOutput("\n", 1);
    }
    writeOutputText("Levels=7\nLevel0=24\nLevel1=23\nLevel2=22\nLevel3=21\nLevel4=20\nLevel5=19\n"
                    "Level6=18\nZoom0=0\nZoom1=1\nZoom2=2\nZoom3=3\nZoom4=4\nZoom5=5\nZoom6=6\n"
                    "[END-IMG ID]\n\n"_cp);
    return 1;
}

int writeFileComment(const char* inputPath) {
    if (!outputMap.stream) return 0;
    writeOutputText(";plik "_cp);
    writeOutputText(inputPath);
    writeOutput("\n", 1);
    return 1;
}

int mapWriteStatus() {
    if (!outputMap.stream) return -100;
    flushAndWait();
    if (outputMap.writeFailed || std::ferror(outputMap.stream)) {
        outputMap.failureSeen = true;  // its caller reports it
        return -99;
    }
    return 0;
}

int closeMap() {
    if (!outputMap.stream) {
        report::error("proba zamkniecia nieotwartego pliku mp\n"_cp);
        return 0;
    }
    flushAndWait();
    bool failed = outputMap.writeFailed || std::ferror(outputMap.stream);
    if (std::fclose(outputMap.stream) != 0) failed = true;
    outputMap.stream = nullptr;
    outputMap.writeFailed = false;
    // The map's tail would otherwise be lost without a word; a failure that
    // mapWriteStatus already handed to its caller is not reported twice.
    if (failed && !outputMap.failureSeen)
        report::error("blad zapisu pliku wyjsciowego %s\n"_cp, outputMap.outputPath);
    outputMap.failureSeen = false;
    return 1;
}

}  // namespace mp
