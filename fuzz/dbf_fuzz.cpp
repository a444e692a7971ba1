// DBF header check, table opening, field lookup and every reader over every
// field of every record, on arbitrary bytes in an exact-size buffer; an
// accepted table is also streamed from a file, and each value read through
// the table window must be the value read in place.
#include "fuzz_support.hpp"
#include "input/dbf.hpp"
#include "input/files.hpp"

namespace {

// Bounds that keep one input fast; the readers are the same for every field
// and every record, so the first records and those around the declared count
// (where the table's end lies) are the ones worth reading.
constexpr uint32_t kMaxFields = 32, kFirstRecords = 4;

volatile int32_t sink;

void readAll(input::DbfValue v) {
    sink = input::isDbfValuePresent(v);
    const char *a = input::dbfText(v), *b = input::dbfText2(v);
    if (std::strlen(a) > 254 || std::strlen(b) > 254 || std::strchr(a, '\n') || std::strchr(a, '\r')) std::abort();
    sink = input::dbfInt(v) ^ input::dbfTenths(v) ^ input::dbfHundredths(v);
}

// The visited records' values, in order, to compare the streamed table with.
struct Seen {
    uint32_t record, field;
    input::DbfValue value;
} seen[(kFirstRecords + 4) * (kMaxFields + 1)];

void compareStreamed(const uint8_t* contents, uint32_t length, const input::DbfField* fields, uint32_t seenCount) {
    static const std::string path = fuzzing::scratchDir() + "/fuzz.dbf";
    if (!fuzzing::writeBytes(path, contents, length)) return;
    input::InputFile streamed;
    if (!input::loadInputFile(path.c_str(), streamed, 65536) || !streamed.stream) std::abort();
    input::DbfTable table = input::openDbfTable("fuzz.dbf", streamed);
    const uint8_t* record = nullptr;
    for (uint32_t i = 0; i < seenCount; ++i) {
        const Seen& s = seen[i];
        if (i == 0 || s.record != seen[i - 1].record) record = input::dbfRecord(table, s.record);
        if (!record) std::abort();
        input::DbfValue v = input::dbfValue(table, record, fields[s.field]);
        if (v.width != s.value.width || v.decimals != s.value.decimals ||
            std::memcmp(v.bytes, s.value.bytes, static_cast<std::size_t>(v.width)) != 0)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    const uint8_t* contents = fuzzing::contentsOf(data, size);
    uint32_t length = static_cast<uint32_t>(size);
    int accepted = input::checkDbfHeader("fuzz.dbf", contents, length);
    // Lookups and reads must stay inside the table even when it was refused.
    input::DbfTable table = input::openDbfTable("fuzz.dbf", contents, length);
    input::DbfField fields[kMaxFields + 1];
    uint32_t count = 0;
    for (uint32_t i = 0; i < kMaxFields && 32 + 32 * (i + 1) <= length; ++i) {
        char name[12] = {};
        std::memcpy(name, contents + 32 + 32 * i, 11);
        if (input::findDbfField(table, name, fields[count], 1) >= 0) ++count;
    }
    input::findDbfField(table, "NAM", fields[count++], 0);
    // The first records, then from two before the declared count to one past it.
    const uint64_t last = table.recordCount;
    uint32_t seenCount = 0;
    for (uint64_t i = 0; i <= last + 1; ++i) {
        if (i == kFirstRecords && last > kFirstRecords + 1) i = last - 2;
        const uint32_t n = static_cast<uint32_t>(i);
        const uint8_t* record = input::dbfRecord(table, n);
        if (!record) {
            if (n != 0 && accepted && n <= table.recordCount) std::abort();
            continue;
        }
        for (uint32_t f = 0; f < count; ++f) {
            input::DbfValue v = input::dbfValue(table, record, fields[f]);
            if (v.width < 0 || (v.width > 0 && (v.bytes < contents || v.bytes + v.width > contents + length)))
                std::abort();
            readAll(v);
            if (accepted) seen[seenCount++] = {n, f, v};
            // The raw readers with the declared width, clipped by hand.
            readAll(input::DbfValue{v.bytes, v.width, fields[f].decimals});
        }
    }
    if (accepted) compareStreamed(contents, length, fields, seenCount);
    return 0;
}
