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
    // An accepted table streamed from its file, read record by record alongside.
    static const std::string path = fuzzing::scratchDir() + "/fuzz.dbf";
    input::InputFile file;
    input::DbfTable streamed{};
    bool compare = accepted && fuzzing::writeBytes(path, contents, length);
    if (compare && (!input::loadInputFile(path.c_str(), file, 65536) || !file.stream)) std::abort();
    if (compare) streamed = input::openDbfTable("fuzz.dbf", file);
    // The first records, then from two before the declared count to one past it.
    const uint64_t last = table.recordCount;
    for (uint64_t i = 0; i <= last + 1; ++i) {
        if (i == kFirstRecords && last > kFirstRecords + 1) i = last - 2;
        const uint32_t n = static_cast<uint32_t>(i);
        const uint8_t* record = input::dbfRecord(table, n);
        if (!record) {
            if (n != 0 && accepted && n <= table.recordCount) std::abort();
            continue;
        }
        const uint8_t* window = compare ? input::dbfRecord(streamed, n) : nullptr;
        if (compare && !window) std::abort();
        for (uint32_t f = 0; f < count; ++f) {
            input::DbfValue v = input::dbfValue(table, record, fields[f]);
            if (v.width < 0 || (v.width > 0 && (v.bytes < contents || v.bytes + v.width > contents + length)))
                std::abort();
            readAll(v);
            // The raw readers with the declared width, clipped by hand.
            readAll(input::DbfValue{v.bytes, v.width, fields[f].decimals});
            if (!compare) continue;
            input::DbfValue w = input::dbfValue(streamed, window, fields[f]);
            if (w.width != v.width || w.decimals != v.decimals ||
                std::memcmp(w.bytes, v.bytes, static_cast<std::size_t>(v.width)) != 0)
                std::abort();
        }
    }
    return 0;
}
