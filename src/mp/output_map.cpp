#include "mp/output_map.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#if !defined(_WIN32)
#include <atomic>
#include <system_error>
#include <thread>

#include <pthread.h>
#include <signal.h>
#endif
#if defined(__linux__)
#include <sched.h>
#endif

#include "input/files.hpp"
#include "input/shp.hpp"
#include "input/run_flags.hpp"
#include "mp/coordinates.hpp"
#include "mp/routing.hpp"
#include "text/report.hpp"

using namespace text::literals;

namespace mp {

OutputMap outputMap;

namespace {

// Objects collect in a batch: their text, and the points of their coordinate
// lines as numbers, with the place in the text where each run of points goes.
// A full batch goes to the formatter thread, which turns it into the map's
// bytes and writes them, while the objects that follow collect in the other
// batch. Batches are formatted and written one at a time and in order.
constexpr std::size_t kBufferSize = 512 * 1024;
constexpr uint32_t kBatchPoints = 16 * 1024;
constexpr uint32_t kBatchItems = 8 * 1024;

// What the formatter makes at a place in the batch text. A run of points:
// "Data0=(" or, continuing a line begun in an earlier batch, ",(" before the
// first pair; ",(" before each further one. An object head: its lines, around
// the comment and label bytes that stand in the text at that place.
enum class ItemKind : uint8_t { run, continuedRun, head };

struct Item {
    uint32_t at;  // offset in the batch text
    uint32_t a;   // run: first point; head: type
    uint32_t b;   // run: point count; head: comment bytes
    uint32_t c;   // head: label bytes
    ItemKind kind;
    ObjectKind object;  // head only
    uint8_t level;      // head: EndLevel, 0 for none; run: 1 for points of PlaceUnits
};

struct Batch {
    char text[kBufferSize];
    std::size_t used;
    Point points[kBatchPoints];
    uint32_t pointCount;
    Item items[kBatchItems];
    uint32_t itemCount;
};

// The formatter's output, written whenever it cannot take another pair.
constexpr std::size_t kFormattedSize = 2 * kBufferSize;

struct Buffers {
    Batch batches[2];
    char formatted[kFormattedSize];
};

// In memory of their own from the first map on (see takeLargeBuffers); the
// static ones serve until then, and when that memory cannot be had.
Buffers staticBuffers;
Buffers* buffers = &staticBuffers;
Batch* batch = &staticBuffers.batches[0];

// Set while the batches hold no more points than items (points and heads,
// no long lines): flushBuffer formats those here, so heads and single points
// go into the text formatted at once instead of as items. A batch of long
// lines goes to the formatter again and ends it.
bool formatHere = false;

// The share of coordinate runs formatted by the converting thread itself, in
// steps of 1/kShareSteps, so that both threads stay busy.
int inlineShare = 0;
int shareCounter = 0;
bool shareFixed = false;

constexpr std::size_t kPairRoom = 2 * kMaxCoordinateText + 16;

bool isEmpty(const Batch& b) { return b.used == 0 && b.itemCount == 0; }

void clear(Batch& b) {
    b.used = 0;
    b.pointCount = 0;
    b.itemCount = 0;
}

void writeBlock(std::FILE* stream, const char* bytes, std::size_t length) {
    if (std::fwrite(bytes, 1, length, stream) != length) outputMap.writeFailed = true;
}

// "(lat,lon)" behind the lead. kUnits: the point holds whole numbers of
// 10^-7 degree (PlaceUnits), which take the shorter way to their text.
template <bool kUnits = false>
inline char* appendPair(char* out, const char* lead, std::size_t leadLength, Point point) {
    std::memcpy(out, lead, leadLength);
    out += leadLength;
    if constexpr (kUnits) {
        out = formatUnits(static_cast<int32_t>(point.y), out);
        *out++ = ',';
        out = formatUnits(static_cast<int32_t>(point.x), out);
    } else {
        out = formatCoordinate(point.y, out);
        *out++ = ',';
        out = formatCoordinate(point.x, out);
    }
    *out++ = ')';
    return out;
}

inline char* append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Room for the fixed lines of an object's head.
constexpr std::size_t kHeadRoom = 64;
// Comments and labels up to this length go into the batch with their head.
constexpr std::size_t kQueuedHeadText = 4096;

constexpr std::string_view kObjectLines[] = {"[POI]\n"_cp, "[POLYLINE]\n"_cp, "[POLYGON]\n"_cp};

// "Type=0x%02X": upper-case hexadecimal, at least two digits.
char* appendType(char* out, uint32_t type) {
    out = append(out, "Type=0x"_cp);
    int digits = 2;
    while (digits < 8 && (type >> (4 * digits)) != 0) ++digits;
    for (int i = digits - 1; i >= 0; --i) out[digits - 1 - i] = "0123456789ABCDEF"[(type >> (4 * i)) & 0xF];
    return out + digits;
}

// Hands the lines of an object head to emit(std::string_view) in order.
template <class Emit>
void emitHead(Emit&& emit, ObjectKind object, uint32_t type, uint8_t level, std::string_view comment,
              std::string_view label) {
    emit(kObjectLines[static_cast<int>(object)]);
    if (!comment.empty()) {
        emit("; "_cp);
        emit(comment);
        emit("\n"_cp);
    }
    char line[32];
    char* end = appendType(line, type);
    *end++ = '\n';
    emit(std::string_view(line, static_cast<std::size_t>(end - line)));
    if (!label.empty()) {
        emit("Label="_cp);
        emit(label);
        emit("\n"_cp);
    }
    if (level > 0) {
        char endLevel[16];
        char* end = append(endLevel, "EndLevel="_cp);
        *end++ = static_cast<char>('0' + level);
        *end++ = '\n';
        emit(std::string_view(endLevel, static_cast<std::size_t>(end - endLevel)));
    }
}

// The pairs of a run of `count` points: "Data0=(" (",(" when the run goes on
// from an earlier batch) before the first, ",(" before each further one.
// Whenever out passes limit, more(out) writes or reserves and returns where
// to go on, with limit set anew.
template <bool kUnits, class PointOf, class More>
char* appendRun(char* out, const char*& limit, bool continued, uint32_t count, PointOf&& pointOf, More&& more) {
    if (out > limit) out = more(out);
    out = continued ? appendPair<kUnits>(out, ",("_cp, 2, pointOf(0))
                    : appendPair<kUnits>(out, "Data0=("_cp, 7, pointOf(0));
    for (uint32_t i = 1; i < count; ++i) {
        if (out > limit) out = more(out);
        out = appendPair<kUnits>(out, ",("_cp, 2, pointOf(i));
    }
    return out;
}

// The batch's text with its points and heads formatted in place, into the stream.
void formatBatch(const Batch& b, std::FILE* stream) {
    char* const formatted = buffers->formatted;
    char* out = formatted;
    const char* limit = formatted + kFormattedSize - kPairRoom;
    auto drain = [&](char* end) {
        writeBlock(stream, formatted, static_cast<std::size_t>(end - formatted));
        return formatted;
    };
    auto room = [&](std::size_t bytes) {
        if (static_cast<std::size_t>(formatted + kFormattedSize - out) < bytes) out = drain(out);
    };
    std::size_t from = 0;
    for (uint32_t r = 0; r < b.itemCount; ++r) {
        const Item& item = b.items[r];
        room(item.at - from);
        out = append(out, std::string_view(b.text + from, item.at - from));
        from = item.at;
        if (item.kind == ItemKind::head) {
            room(kHeadRoom + item.b + item.c);
            const char* texts = b.text + item.at;
            emitHead([&](std::string_view text) { out = append(out, text); }, item.object, item.a, item.level,
                     std::string_view(texts, item.b), std::string_view(texts + item.b, item.c));
            from += item.b + item.c;
        } else {
            const Point* points = b.points + item.a;
            auto pointOf = [&](uint32_t i) { return points[i]; };
            bool continued = item.kind == ItemKind::continuedRun;
            out = item.level ? appendRun<true>(out, limit, continued, item.b, pointOf, drain)
                             : appendRun<false>(out, limit, continued, item.b, pointOf, drain);
        }
    }
    room(b.used - from);
    drain(append(out, std::string_view(b.text + from, b.used - from)));
}

#if defined(_WIN32)
bool formatterBusy() { return false; }
void waitForFormatter() {}
void formatInBackground(Batch& b, std::FILE* stream) { formatBatch(b, stream); }
#else
// The formatter thread, started at the first full batch and kept to the end.
// One batch at a time is handed over; each side waits on the state word
// (which spins briefly before it sleeps), so a handover costs little.
struct Formatter {
    enum State : int { kIdle, kHanded, kEnding };
    std::atomic<int> state{kIdle};
    Batch* handed = nullptr;  // written before the state says kHanded
    std::FILE* stream = nullptr;
    bool started = false;
    std::thread thread;

    void run() {
        for (;;) {
            int now;
            while ((now = state.load(std::memory_order_acquire)) == kIdle) state.wait(kIdle, std::memory_order_acquire);
            if (now == kEnding) return;
            formatBatch(*handed, stream);
            state.store(kIdle, std::memory_order_release);
            state.notify_all();
        }
    }

    // Until the handed batch is written; then writeFailed holds its outcome.
    void wait() {
        if (!started) return;
        while (state.load(std::memory_order_acquire) == kHanded) state.wait(kHanded, std::memory_order_acquire);
    }

    bool busy() const { return started && state.load(std::memory_order_acquire) == kHanded; }

    // The formatter must be idle.
    void hand(Batch& b, std::FILE* to) {
        handed = &b;
        stream = to;
        state.store(kHanded, std::memory_order_release);
        state.notify_all();
    }

    // A batch still pending when the program ends (a map never closed) is
    // written rather than cut off.
    ~Formatter() {
        if (!started) return;
        wait();
        state.store(kEnding, std::memory_order_release);
        state.notify_all();
        thread.join();
    }
} formatter;

void waitForFormatter() { formatter.wait(); }

bool formatterBusy() { return formatter.busy(); }

// Keeps the formatter off the processor this thread runs on, checked at each
// handover. Left to itself the scheduler may wake each thread on the
// processor of the one that woke it; on the benchmark machine half the short
// runs had both on one processor, taking turns instead of working at once.
// This thread stays free to move: when it has moved to the formatter's
// processor, the formatter is sent away from it.
void keepApart(std::thread& thread) {
#if defined(__linux__)
    static int apartFrom = -1;
    static cpu_set_t allowed;
    static bool known = sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) >= 2;
    int here = sched_getcpu();
    if (!known || here == apartFrom || here < 0 || !CPU_ISSET(here, &allowed)) return;
    cpu_set_t others = allowed;
    CPU_CLR(here, &others);
    pthread_setaffinity_np(thread.native_handle(), sizeof others, &others);
    apartFrom = here;
#else
    (void)thread;
#endif
}

// The formatter must be idle.
void formatInBackground(Batch& b, std::FILE* stream) {
    if (!formatter.started) {
        // Signals are taken by the converting thread alone: the formatter
        // starts with all of them blocked.
        sigset_t all, before;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &before);
        try {
            formatter.thread = std::thread(&Formatter::run, &formatter);
            formatter.started = true;
        } catch (const std::system_error&) {  // no thread to be had: formatted here
        }
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        if (!formatter.started) return formatBatch(b, stream);
    }
    keepApart(formatter.thread);
    formatter.hand(b, stream);
}
#endif

// Every object given so far is in the stream (or failed to get there). The
// rest is formatted here: the formatter is not woken just to be waited for.
void flushAndWait() {
    waitForFormatter();
    if (!isEmpty(*batch) && outputMap.stream) formatBatch(*batch, outputMap.stream);
    clear(*batch);
}

// Hands the full batch to the formatter and continues in the other one.
// Without an open stream the objects have nowhere to go and are dropped, so
// the batch is always empty afterwards and a reservation always fits.
void flushBuffer() {
    // A formatter still busy with the last batch makes this thread wait: it
    // formats a larger share of the points itself; an idle one takes more.
    if (!shareFixed) inlineShare = formatterBusy() ? std::min(inlineShare + 1, kShareSteps) : std::max(inlineShare - 1, 0);
    // Without coordinate lines (no more points than items: points and heads)
    // the formatting is mostly copying, which costs less here than moving the
    // batch to the formatter's processor.
    formatHere = batch->pointCount <= batch->itemCount;
    if (formatHere || isEmpty(*batch) || !outputMap.stream) return flushAndWait();
    waitForFormatter();
    formatInBackground(*batch, outputMap.stream);
    batch = batch == &buffers->batches[0] ? &buffers->batches[1] : &buffers->batches[0];
    clear(*batch);
}

// A coordinate run of `count` points formatted into the batch text.
template <bool kUnits, class PointOf>
void formatPointsHere(uint32_t count, PointOf&& pointOf) {
    char* out = reserveOutput(kMaxReserve);
    const char* limit = out + kMaxReserve - kPairRoom;
    out = appendRun<kUnits>(out, limit, false, count, pointOf,
                    [&](char* at) {
                        commitOutput(at);
                        char* room = reserveOutput(kMaxReserve);
                        limit = room + kMaxReserve - kPairRoom;
                        return room;
                    });
    commitOutput(out);
}

// The buffers in memory of their own, once, while nothing is pending.
void takeLargeBuffers() {
    static bool taken = false;
    if (taken) return;
    taken = true;
    if (void* memory = input::allocateProcessBuffer(sizeof(Buffers))) {
        buffers = new (memory) Buffers;
        batch = &buffers->batches[0];
    }
}

// Writes the texts of a header line; the header is small and written once.
void headerLine(const char* format, unsigned long value) {
    char line[64];
    int n = std::snprintf(line, sizeof line, format, value);
    writeOutput(line, static_cast<std::size_t>(n));
}

// Writes what is pending and closes the map: a complete one takes the place
// of the earlier map, one whose writing failed is dropped.
void finishMap() {
    if (outputMap.routable) writeHeldRoads();  // roads are held until their map closes
    flushAndWait();
    bool complete = !outputMap.writeFailed && !std::ferror(outputMap.stream);
    int replaced = output::finishReplacement(outputMap.file, complete);
    outputMap.stream = nullptr;
    outputMap.writeFailed = false;
    if (!replaced) {
        // The map's tail would otherwise be lost without a word; a failure that
        // mapWriteStatus already handed to its caller is not reported twice.
        const char* path = outputMap.file.path.c_str();
        if (!outputMap.failureSeen) report::failure("blad zapisu pliku wyjsciowego %s\n"_cp, path);
        if (outputMap.file.keepsPrevious) report::error("poprzednia wersja pliku %s pozostaje bez zmian\n"_cp, path);
    }
    outputMap.failureSeen = false;
}

}  // namespace

char* reserveOutput(std::size_t bytes) {
    if (kBufferSize - batch->used < bytes) flushBuffer();
    return batch->text + batch->used;
}

void commitOutput(char* end) {
    batch->used = static_cast<std::size_t>(end - batch->text);
}

void writeOutput(const char* bytes, std::size_t length) {
    if (length <= kBufferSize - batch->used) {
        std::memcpy(batch->text + batch->used, bytes, length);
        batch->used += length;
        return;
    }
    if (length < kBufferSize / 2) {
        flushBuffer();
        std::memcpy(batch->text, bytes, length);
        batch->used = length;
    } else {
        flushAndWait();  // the caller's bytes are written at once, behind all before them
        if (outputMap.stream) writeBlock(outputMap.stream, bytes, length);
    }
}

void writeOutputText(const char* text) {
    writeOutput(text, std::strlen(text));
}

void writeObjectHead(ObjectKind object, uint32_t type, int32_t level, const char* label, const char* comment) {
    std::string_view note = comment ? comment : "", name = label ? label : "";
    auto endLevel = static_cast<uint8_t>(std::clamp(level, 0, 5));
    if (note.size() + name.size() > kQueuedHeadText) {  // rare: the lines are made here, in pieces
        emitHead([](std::string_view text) { writeOutput(text.data(), text.size()); }, object, type, endLevel, note,
                 name);
        return;
    }
    if (formatHere) {
        char* out = reserveOutput(kHeadRoom + note.size() + name.size());
        emitHead([&](std::string_view text) { out = append(out, text); }, object, type, endLevel, note, name);
        commitOutput(out);
        return;
    }
    if (batch->itemCount == kBatchItems) flushBuffer();
    char* out = reserveOutput(note.size() + name.size());
    batch->items[batch->itemCount++] = {static_cast<uint32_t>(batch->used), type, static_cast<uint32_t>(note.size()),
                                        static_cast<uint32_t>(name.size()), ItemKind::head, object, endLevel};
    commitOutput(append(append(out, note), name));
}

void fixInlineShare(int share) {
    shareFixed = share >= 0;
    inlineShare = std::clamp(share, 0, kShareSteps);
    shareCounter = 0;
}

namespace {

// A run of `count` points, point i given by pointOf(i).
template <bool kUnits, class PointOf>
void writeRun(uint32_t count, PointOf&& pointOf) {
    if (count == 0) return;
    shareCounter += inlineShare;
    if (shareCounter >= kShareSteps) {  // this one is formatted here, straight into the text
        shareCounter -= kShareSteps;
        formatPointsHere<kUnits>(count, pointOf);
        return;
    }
    bool continued = false;
    for (uint32_t first = 0; first < count;) {
        if (batch->pointCount == kBatchPoints || batch->itemCount == kBatchItems) flushBuffer();
        uint32_t taken = std::min(count - first, kBatchPoints - batch->pointCount);
        batch->items[batch->itemCount++] = {static_cast<uint32_t>(batch->used), batch->pointCount, taken, 0,
                                            continued ? ItemKind::continuedRun : ItemKind::run, ObjectKind::poi,
                                            kUnits};
        Point* to = batch->points + batch->pointCount;
        for (uint32_t i = 0; i < taken; ++i) to[i] = pointOf(first + i);
        batch->pointCount += taken;
        first += taken;
        continued = true;
    }
}

}  // namespace

void writePointRun(const uint8_t* points, uint32_t first, uint32_t end) {
    if (first < end) writeRun<false>(end - first, [&](uint32_t i) { return pointAt(points, first + i); });
}

void writePointRun(const PlaceUnits* places, uint32_t count) {
    // Whole numbers below 2^31 in size are doubles exactly, and back.
    writeRun<true>(count, [&](uint32_t i) { return Point{double(places[i].lon), double(places[i].lat)}; });
}

void writePointRun(Point point) {
    if (formatHere) {
        commitOutput(appendPair(reserveOutput(kPairRoom), "Data0=("_cp, 7, point));
        return;
    }
    if (batch->pointCount == kBatchPoints || batch->itemCount == kBatchItems) flushBuffer();
    batch->items[batch->itemCount++] = {static_cast<uint32_t>(batch->used), batch->pointCount, 1, 0, ItemKind::run,
                                        ObjectKind::poi, 0};
    batch->points[batch->pointCount++] = point;
}

int openMap(const char* path, uint32_t mapId, const char* name) {
    if (outputMap.stream) {
        finishMap();
        report::error("wymuszenie zamkniecia pliku mp\n"_cp);
    }
    takeLargeBuffers();
    clear(*batch);
    formatHere = false;
    outputMap.writeFailed = false;
    outputMap.failureSeen = false;
    outputMap.routable = input::routableRoads != 0;
    dropHeldRoads();
    if (!output::openReplacement(path, outputMap.file)) {
        report::failure("blad otwarcia pliku mp %s\n"_cp, path);
        return 0;
    }
    outputMap.stream = outputMap.file.stream;
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
    if (outputMap.routable) writeOutputText("Routing=Y\n"_cp);
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
    finishMap();
    return 1;
}

}  // namespace mp
