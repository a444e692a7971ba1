// Input files mapped read-only, with a guard against files that shrink while
// they are mapped.
#include <cstdint>

#include "input/files.hpp"
#include "input/run_flags.hpp"
#include "text/report.hpp"

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace text::literals;

namespace input {

#if defined(_WIN32)

int loadInputFile(const char* path, InputFile& out) {
    if (!readWholeFile(path, out.buffer)) return 0;
    out.data = out.buffer.bytes.get();
    out.length = out.buffer.length;
    return 1;
}

InputFile::~InputFile() = default;

#else

namespace {

// The mappings alive at one time: a layer's shapefile and table, and room to
// spare. The signal handler reads them, so they are plain atomic words.
struct GuardedMapping {
    std::atomic<uintptr_t> start{0};  // 0: a free slot
    std::atomic<uintptr_t> end{0};    // end of the file's pages
    std::atomic<bool> lost{false};
    const char* path = nullptr;
};

constexpr int kGuardSlots = 8;
GuardedMapping guarded[kGuardSlots];
struct sigaction previousBusAction;
bool busHandlerInstalled = false;

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// A read of a mapped page beyond the file's end raises SIGBUS. When the
// address lies in one of our mappings, zero pages replace the rest of it and
// the read is retried; any other SIGBUS is handed to the previous handling.
void onBusError(int signal, siginfo_t* info, void* context) {
    auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (GuardedMapping& mapping : guarded) {
        uintptr_t start = mapping.start.load(std::memory_order_relaxed);
        uintptr_t end = mapping.end.load(std::memory_order_relaxed);
        if (start == 0 || address < start || address >= end) continue;
        uintptr_t page = address & ~(uintptr_t{pageSize()} - 1);
        void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        mapping.lost.store(true, std::memory_order_relaxed);
        mappedInputLost.store(true, std::memory_order_relaxed);
        return;
    }
    if (previousBusAction.sa_flags & SA_SIGINFO) {
        previousBusAction.sa_sigaction(signal, info, context);
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
    } else {
        // The default action: restored, it ends the program when the read repeats.
        sigaction(SIGBUS, &previousBusAction, nullptr);
    }
}

void installBusHandler() {
    if (busHandlerInstalled) return;
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGBUS, &action, &previousBusAction) == 0) busHandlerInstalled = true;
}

int claimGuardSlot(uintptr_t start, uintptr_t end, const char* path) {
    for (int i = 0; i < kGuardSlots; ++i) {
        if (guarded[i].start.load(std::memory_order_relaxed) != 0) continue;
        guarded[i].path = path;
        guarded[i].lost.store(false, std::memory_order_relaxed);
        guarded[i].end.store(end, std::memory_order_relaxed);
        guarded[i].start.store(start, std::memory_order_release);
        return i;
    }
    return -1;
}

// Maps the open file of `size` bytes (1 to 2^31 - 1) followed by one
// inaccessible page, so that a read past the data faults at once instead of
// reading whatever lies behind it. nullptr when the system refuses.
void* mapWithGuardPage(int descriptor, std::size_t size, std::size_t& mappingSize) {
    std::size_t filePages = (size + pageSize() - 1) & ~(pageSize() - 1);
    mappingSize = filePages + pageSize();
    void* region = mmap(nullptr, mappingSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) return nullptr;
    void* file = mmap(region, size, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_POPULATE, descriptor, 0);
    if (file == MAP_FAILED) {
        munmap(region, mappingSize);
        return nullptr;
    }
    return region;
}

}  // namespace

int loadInputFile(const char* path, InputFile& out) {
    auto readInstead = [&] {
        if (!readWholeFile(path, out.buffer)) return 0;
        out.data = out.buffer.bytes.get();
        out.length = out.buffer.length;
        return 1;
    };
    if (!mapInputFiles) return readInstead();
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a FIFO must not block the open
    if (descriptor < 0) {
        report::error("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
    struct stat status {};
    // Not a regular file (a pipe, a device, a directory), or empty: the plain
    // read handles it and reports what it cannot read.
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0) {
        close(descriptor);
        return readInstead();
    }
    if (status.st_size > INT32_MAX) {  // too large to hold, as for the plain read
        report::error("blad seek pliku %s\n"_cp, path);
        close(descriptor);
        return 0;
    }
    auto size = static_cast<std::size_t>(status.st_size);
    std::size_t mappingSize = 0;
    void* region = mapWithGuardPage(descriptor, size, mappingSize);
    close(descriptor);  // the mapping keeps the file
    if (!region) return readInstead();
    installBusHandler();
    auto start = reinterpret_cast<uintptr_t>(region);
    out.guardSlot = claimGuardSlot(start, start + mappingSize - pageSize(), path);
    if (!busHandlerInstalled || out.guardSlot < 0) {  // unguarded, a shrinking file could end the run
        munmap(region, mappingSize);
        return readInstead();
    }
    out.mapping = region;
    out.mappingSize = mappingSize;
    out.data = static_cast<const uint8_t*>(region);
    out.length = static_cast<uint32_t>(size);
    return 1;
}

InputFile::~InputFile() {
    if (!mapping) return;
    GuardedMapping& slot = guarded[guardSlot];
    if (slot.lost.load(std::memory_order_relaxed)) report::error("blad odczytu pliku %s\n"_cp, slot.path);
    slot.start.store(0, std::memory_order_release);
    munmap(mapping, mappingSize);
    bool anyLost = false;
    for (const GuardedMapping& other : guarded)
        anyLost |= other.start.load(std::memory_order_relaxed) != 0 && other.lost.load(std::memory_order_relaxed);
    mappedInputLost.store(anyLost, std::memory_order_relaxed);
}

#endif

}  // namespace input
