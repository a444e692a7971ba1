#include "output/replace_file.hpp"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "text/cp1250.hpp"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace output {

namespace {

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// The temporary files open at a moment (a map, and make_all.bat written
// while a map is open), each with its name prepared for a signal handler,
// which may use nothing but what is ready beforehand.
constexpr int kSlots = 4;
constexpr std::size_t kNameRoom = 4096;

struct Slot {
    volatile std::sig_atomic_t armed;
    NativeChar name[kNameRoom];
};

Slot slots[kSlots];
bool slotTaken[kSlots];

#ifdef _WIN32

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

void removeNamed(const NativeChar* name) { _wunlink(name); }

// The handler runs on a thread of its own and ends the program.
void removeTemporaries(int signal) {
    for (Slot& slot : slots)
        if (slot.armed) removeNamed(slot.name);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void catchStopSignals() {
    for (int signal : kStopSignals) std::signal(signal, removeTemporaries);
}

#else

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void removeNamed(const NativeChar* name) { unlink(name); }

// Removes the temporary files, then lets the signal take its default action
// (its disposition was reset on entry), so the exit status still tells it:
// raised while blocked here, it arrives as the handler returns.
void removeTemporaries(int signal) {
    int saved = errno;
    for (Slot& slot : slots)
        if (slot.armed) removeNamed(slot.name);
    std::raise(signal);
    errno = saved;
}

// A signal the program was started to ignore (a run under nohup, a parent
// that ignores SIGPIPE) stays ignored.
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = removeTemporaries;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : kStopSignals) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

#endif

// The temporary name beside `path`: ".NAME.tmp" in the same directory, in
// the platform's form. False when it does not fit a slot.
bool temporaryName(const char* path, NativeChar (&out)[kNameRoom]) {
    std::string_view whole = path;
#ifdef _WIN32
    std::size_t base = whole.find_last_of("/\\:");
#else
    std::size_t base = whole.find_last_of('/');
#endif
    base = base == std::string_view::npos ? 0 : base + 1;
    std::string name;
    name.append(whole.substr(0, base)).append(".").append(whole.substr(base)).append(".tmp");
#ifdef _WIN32
    std::wstring native = text::cp1250ToWide(name.c_str());
#else
    const std::string& native = name;
#endif
    if (native.size() >= kNameRoom) return false;
    std::copy(native.begin(), native.end(), out);
    out[native.size()] = 0;
    return true;
}

// A free slot holding the temporary name for `path`, armed for the signal
// handler before the file exists; -1 when none is free or the name is too long.
int armSlot(const char* path) {
    static bool catching = false;
    if (!catching) {
        catching = true;
        catchStopSignals();
    }
    for (int i = 0; i < kSlots; ++i) {
        if (slotTaken[i]) continue;
        if (!temporaryName(path, slots[i].name)) return -1;
        std::atomic_signal_fence(std::memory_order_seq_cst);  // the name is whole before the handler may read it
        slots[i].armed = 1;
        slotTaken[i] = true;
        return i;
    }
    return -1;
}

void releaseSlot(int slot) {
    slots[slot].armed = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slotTaken[slot] = false;
}

// What stands at the path now.
enum class Previous { none, regularFile, other, readOnly };

#ifdef _WIN32

Previous previousAt(const char* path) {
    DWORD attributes = GetFileAttributesW(text::cp1250ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Previous::none;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return Previous::other;
    return attributes & FILE_ATTRIBUTE_READONLY ? Previous::readOnly : Previous::regularFile;
}

std::FILE* openInPlace(const char* path) { return _wfopen(text::cp1250ToWide(path).c_str(), L"wb"); }

// The new file, created only when no file of its name exists.
int createNamed(const NativeChar* name, const char*) {
    return _wopen(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

std::FILE* streamOf(int descriptor) { return _fdopen(descriptor, "wb"); }

// Flushed through the system's caches to the disk.
bool onDisk(std::FILE* stream) { return _commit(_fileno(stream)) == 0; }

bool moveOver(const NativeChar* name, const char* path) {
    return MoveFileExW(name, text::cp1250ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

#else

Previous previousAt(const char* path) {
    struct stat status {};
    if (lstat(path, &status) != 0) return Previous::none;
    if (!S_ISREG(status.st_mode)) return Previous::other;
    return access(path, W_OK) == 0 ? Previous::regularFile : Previous::readOnly;
}

std::FILE* openInPlace(const char* path) { return std::fopen(path, "wb"); }

// The new file, created only when no file of its name exists, with the
// permissions of the file it is to replace, if any.
int createNamed(const NativeChar* name, const char* path) {
    int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    struct stat status {};
    if (descriptor >= 0 && stat(path, &status) == 0) fchmod(descriptor, status.st_mode & 07777);
    return descriptor;
}

std::FILE* streamOf(int descriptor) { return fdopen(descriptor, "wb"); }

bool onDisk(std::FILE* stream) { return fsync(fileno(stream)) == 0; }

bool moveOver(const NativeChar* name, const char* path) { return std::rename(name, path) == 0; }

#endif

}  // namespace

int openReplacement(const char* path, Replacement& file) {
    file = Replacement{};
    file.path = path;
    Previous previous = previousAt(path);
    if (previous == Previous::readOnly) {  // refused, as writing in place would be
        errno = EACCES;
        return 0;
    }
    int slot = previous == Previous::other ? -1 : armSlot(path);
    if (slot >= 0) {
        removeNamed(slots[slot].name);  // a leftover of a run stopped hard
        int descriptor = createNamed(slots[slot].name, path);
        int refusal = errno;
        if (descriptor >= 0) {
            file.stream = streamOf(descriptor);
            if (file.stream) {
                file.slot = slot;
                file.keepsPrevious = previous == Previous::regularFile;
                return 1;
            }
            close(descriptor);
            removeNamed(slots[slot].name);
        }
        releaseSlot(slot);
        // A directory that takes no new files may still let its map be
        // rewritten in place, as before; any other failure is the open's.
        if (descriptor >= 0 || (refusal != EACCES && refusal != EPERM)) return 0;
    }
    file.stream = openInPlace(path);
    return file.stream ? 1 : 0;
}

int finishReplacement(Replacement& file, bool complete) {
    if (!file.stream) return 0;
    bool sound = complete && std::fflush(file.stream) == 0 && !std::ferror(file.stream);
    if (sound && file.slot >= 0 && !onDisk(file.stream)) sound = false;
    if (std::fclose(file.stream) != 0) sound = false;
    file.stream = nullptr;
    if (file.slot < 0) return sound ? 1 : 0;
    const NativeChar* name = slots[file.slot].name;
    if (!sound || !moveOver(name, file.path.c_str())) {
        removeNamed(name);
        sound = false;
    }
    releaseSlot(file.slot);
    file.slot = -1;
    return sound ? 1 : 0;
}

}  // namespace output
