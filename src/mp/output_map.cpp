#include "mp/output_map.hpp"

#include <cstring>

#include "text/report.hpp"

using namespace text::literals;

namespace mp {

OutputMap outputMap;

namespace {

// Objects collect here and leave in large writes.
constexpr std::size_t kBufferSize = 4 * 1024 * 1024;
char buffer[kBufferSize];
std::size_t used = 0;

// Without an open stream the bytes have nowhere to go and are dropped, so the
// buffer is always empty afterwards and a reservation always fits.
void flushBuffer() {
    if (used != 0 && outputMap.stream &&
        std::fwrite(buffer, 1, used, outputMap.stream) != used)
        outputMap.writeFailed = true;
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
    flushBuffer();
    if (length < kBufferSize / 2) {
        std::memcpy(buffer, bytes, length);
        used = length;
    } else if (outputMap.stream && std::fwrite(bytes, 1, length, outputMap.stream) != length) {
        outputMap.writeFailed = true;
    }
}

void writeOutputText(const char* text) {
    writeOutput(text, std::strlen(text));
}

int openMap(const char* path, uint32_t mapId, const char* name) {
    if (outputMap.stream) {
        flushBuffer();
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
    flushBuffer();
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
    flushBuffer();
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
