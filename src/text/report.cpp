#include "text/report.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <langinfo.h>
#include <strings.h>
#include <unistd.h>

#include <clocale>
#endif

namespace report {

namespace {

// Texts are code page 1250 bytes. Files and pipes get them unchanged; a
// terminal gets them in its own encoding, so that Polish letters read right.
enum class Sink { undecided, bytes, terminal };

struct Stream {
    std::FILE* file;
    Sink sink;
};

Stream errorStream{stderr, Sink::undecided};
Stream outStream{stdout, Sink::undecided};

// A character for the bytes code page 1250 leaves unassigned.
constexpr char32_t kReplacement = 0xFFFD;

char32_t codePoint(unsigned char byte) {
    if (byte < 0x80) return byte;
    char32_t cp = text::kCp1250High[byte - 0x80];
    return cp != 0 ? cp : kReplacement;
}

#ifdef _WIN32

HANDLE consoleOf(std::FILE* file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

// Anything but a console gets the bytes as they are, line feeds included:
// the stream leaves text mode, which would add a CR before each.
Sink decideSink(std::FILE* file) {
    DWORD mode;
    if (GetConsoleMode(consoleOf(file), &mode)) return Sink::terminal;
    std::fflush(file);
    _setmode(_fileno(file), _O_BINARY);
    return Sink::bytes;
}

// The console takes UTF-16 whatever its code page; every character of code
// page 1250 is one UTF-16 unit.
void writeConverted(std::FILE* file, const char* bytes, std::size_t length) {
    std::fflush(file);
    HANDLE console = consoleOf(file);
    wchar_t units[1024];
    while (length > 0) {
        std::size_t n = 0;
        while (n < 1024 && n < length) {
            units[n] = static_cast<wchar_t>(codePoint(static_cast<unsigned char>(bytes[n])));
            ++n;
        }
        DWORD written;
        WriteConsoleW(console, units, static_cast<DWORD>(n), &written, nullptr);
        bytes += n;
        length -= n;
    }
}

#else

bool localeIsUtf8() {
    // Asks the user's character set without leaving the program in the
    // user's locale: everything else keeps the "C" character classes.
    std::string previous = std::setlocale(LC_CTYPE, nullptr);
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "")) {
        const char* codeset = nl_langinfo(CODESET);
        utf8 = codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    return utf8;
}

Sink decideSink(std::FILE* file) {
    return isatty(fileno(file)) && localeIsUtf8() ? Sink::terminal : Sink::bytes;
}

// Writes the bytes as UTF-8, through the stream's own buffer so that the
// order of standard output and standard error stays that of the bytes.
void writeConverted(std::FILE* file, const char* bytes, std::size_t length) {
    char encoded[3 * 1024];
    while (length > 0) {
        std::size_t n = length < 1024 ? length : 1024;
        char* out = encoded;
        for (std::size_t i = 0; i < n; ++i) {
            char32_t cp = codePoint(static_cast<unsigned char>(bytes[i]));
            if (cp < 0x80) {
                *out++ = static_cast<char>(cp);
            } else if (cp < 0x800) {
                *out++ = static_cast<char>(0xC0 | (cp >> 6));
                *out++ = static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                *out++ = static_cast<char>(0xE0 | (cp >> 12));
                *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                *out++ = static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
        std::fwrite(encoded, 1, static_cast<std::size_t>(out - encoded), file);
        bytes += n;
        length -= n;
    }
}

#endif

void print(Stream& stream, const char* format, std::va_list args) {
    if (stream.sink == Sink::undecided) stream.sink = decideSink(stream.file);
    if (stream.sink == Sink::bytes) {
        std::vfprintf(stream.file, format, args);
        return;
    }
    // A terminal: the text is formatted first, then converted.
    char small[4096];
    std::va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    std::string large;
    const char* text = small;
    if (length >= static_cast<int>(sizeof small)) {
        large.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        text = large.data();
    }
    va_end(again);
    if (length <= 0) return;
    writeConverted(stream.file, text, static_cast<std::size_t>(length));
}

}  // namespace

void error(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    print(errorStream, format, args);
    va_end(args);
}

namespace {
int failures = 0;  // messages printed by failure()
}  // namespace

void failure(const char* format, ...) {
    ++failures;
    std::va_list args;
    va_start(args, format);
    print(errorStream, format, args);
    va_end(args);
}

int failureCount() {
    return failures;
}

void out(const char* format, ...) {
    flushErrors();
    std::va_list args;
    va_start(args, format);
    print(outStream, format, args);
    va_end(args);
}

void collectErrors() {
    static bool done = false;  // once: a stream's buffer is set before its use
    if (done) return;
    done = true;
    if (errorStream.sink == Sink::undecided) errorStream.sink = decideSink(errorStream.file);
    if (errorStream.sink != Sink::bytes) return;
    static char buffer[64 * 1024];
    std::setvbuf(errorStream.file, buffer, _IOFBF, sizeof buffer);
}

void flushErrors() {
    std::fflush(errorStream.file);
}

}  // namespace report
