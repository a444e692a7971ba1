#include "input/dbf.hpp"

#include <algorithm>
#include <cstdint>

#include "input/shp.hpp"
#include "text/ascii.hpp"
#include "text/report.hpp"
#include "text/scan.hpp"

using namespace text::literals;

namespace input {

namespace {

constexpr uint32_t kDescriptorSize = 32;
constexpr uint32_t kNameSize = 11;
constexpr int32_t kTextMax = 254;    // bytes of a text value
constexpr int32_t kNumberMax = 100;  // bytes looked at by the number readers

// Returned for absent values, so a reader never gets a null pointer.
constexpr uint8_t kNoBytes[1] = {0};

uint32_t readLittleEndian16(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8); }

// The records of a streamed table, and whether a read of it failed.
StreamWindow tableWindow;
bool tableLost = false;

// End of the field descriptors that lie in the bytes at contents (before the
// header's end).
uint64_t descriptorsEnd(const DbfTable& table) {
    uint32_t count = table.headerLength >= 33 ? (table.headerLength - 33) / kDescriptorSize : 0;
    return std::min<uint64_t>(kDescriptorSize + uint64_t{count} * kDescriptorSize, table.contentsLength);
}

uint8_t foldAscii(uint8_t c) { return static_cast<uint8_t>(text::foldAscii(static_cast<char>(c))); }

// Names compared case-insensitively over at most 11 bytes, ending at a zero.
bool sameFieldName(const uint8_t* descriptorName, const char* name) {
    for (uint32_t i = 0; i < kNameSize; ++i) {
        uint8_t a = descriptorName[i];
        uint8_t b = static_cast<uint8_t>(name[i]);
        if (foldAscii(a) != foldAscii(b)) return false;
        if (a == 0) return true;
    }
    return true;
}

bool startsWithFolded(const uint8_t* value, const char* word) {
    for (; *word; ++value, ++word)
        if (foldAscii(*value) != static_cast<uint8_t>(*word)) return false;
    return true;
}

// Text in `buffer`: the value up to its first zero byte and at most 254 bytes,
// line breaks turned into blanks, trailing blanks and control bytes removed.
const char* readText(char (&buffer)[kTextMax + 1], const uint8_t* value, int32_t width) {
    int32_t n = 0;
    if (isDbfValuePresent(value, width)) {
        int32_t limit = std::min(width, kTextMax);
        while (n < limit && value[n] != 0) {
            uint8_t c = value[n];
            buffer[n++] = (c == '\r' || c == '\n') ? ' ' : static_cast<char>(c);
        }
        while (n > 0 && static_cast<uint8_t>(buffer[n - 1]) <= 0x20) --n;
    }
    buffer[n] = '\0';
    return buffer;
}

bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// A decimal value read the way the "%i%c%c..." conversions read it: the
// integer part, whether its text carries a minus sign, and the characters
// directly behind it (zero bytes where the text has ended).
struct ScaledNumber {
    int64_t integer = 0;
    bool negative = false;
    uint8_t after[4] = {0, 0, 0, 0};
};

ScaledNumber readScaled(const uint8_t* value, int32_t width, int characters) {
    ScaledNumber number;
    if (width <= 0) return number;
    const char* p = reinterpret_cast<const char*>(value);
    const char* end = p + std::min(width, kNumberMax);
    int32_t integer = 0;
    const char* q = text::scanInt(p, end, integer);
    if (!q) return number;
    number.integer = integer;
    // scanInt skipped the same leading blanks; the first other byte is the sign or a digit.
    const char* s = p;
    while (s < q && (*s == ' ' || (*s >= '\t' && *s <= '\r'))) ++s;
    number.negative = s < q && *s == '-';
    for (int k = 0; k < characters && q < end && *q != '\0'; ++k, ++q) number.after[k] = static_cast<uint8_t>(*q);
    return number;
}

int32_t clampTo32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

int checkDbfHeader(const char* path, const uint8_t* contents, uint32_t length) {
    bool ok = length >= 64 && contents[0] <= 3;
    if (ok) {
        uint64_t recordCount = readLittleEndian32(contents + 4);
        uint64_t headerLength = readLittleEndian16(contents + 8);
        uint64_t recordLength = readLittleEndian16(contents + 10);
        // A table of no records is an empty layer, as any GIS writes one.
        ok = headerLength >= 64 && headerLength + recordLength * recordCount <= length;
    }
    if (!ok) report::failure("zly format danych pliku dbf %s\n"_cp, path);
    return ok ? 1 : 0;
}

DbfTable openDbfTable(const char* path, const uint8_t* contents, uint32_t length) {
    DbfTable table{path, contents, length, 0, 0, 0, length};
    if (length >= 12) {
        table.recordCount = readLittleEndian32(contents + 4);
        table.headerLength = readLittleEndian16(contents + 8);
        table.recordLength = readLittleEndian16(contents + 10);
    }
    table.fieldsEnd = 1;
    for (uint64_t start = kDescriptorSize; start + kDescriptorSize <= descriptorsEnd(table); start += kDescriptorSize)
        table.fieldsEnd += contents[start + 16];
    return table;
}

DbfTable openDbfTable(const char* path, const InputFile& file) {
    if (!file.stream) return openDbfTable(path, file.data, file.length);
    DbfTable table = openDbfTable(path, file.head, file.headLength);
    table.length = file.length;
    table.stream = file.stream;
    tableWindow.reset();
    tableLost = false;
    return table;
}

int findDbfField(const DbfTable& table, const char* name, DbfField& field, int quiet) {
    int32_t offset = 1;  // behind the deletion flag
    uint32_t i = 0;
    for (uint64_t start = kDescriptorSize; start + kDescriptorSize <= descriptorsEnd(table); start += kDescriptorSize, ++i) {
        const uint8_t* descriptor = table.contents + start;
        if (sameFieldName(descriptor, name)) {
            field = DbfField{1, offset, descriptor[16], descriptor[17], descriptor[11], static_cast<int32_t>(i)};
            return static_cast<int>(i);
        }
        offset += descriptor[16];
    }
    field = DbfField{};
    if (!quiet) report::error("brak pola %s w zbiorze %s\n"_cp, name, table.path);
    return -1;
}

const uint8_t* dbfRecord(const DbfTable& table, uint32_t n) {
    if (n == 0 || n > table.recordCount) return nullptr;
    uint64_t start = table.headerLength + uint64_t{n - 1} * table.recordLength;
    if (start > table.length) return nullptr;  // only in a table that failed its check
    if (!table.stream) return table.contents + start;
    if (tableLost) return nullptr;
    // A field list wider than the record reads on into the next one, as in a
    // table held whole.
    uint64_t count = std::min<uint64_t>(table.length - start, std::max(table.recordLength, table.fieldsEnd));
    const uint8_t* record = tableWindow.read(table.stream, table.length, table.path, start, count);
    tableLost = record == nullptr;
    return record;
}

bool dbfReadFailed() {
    return tableLost;
}

DbfValue dbfValue(const DbfTable& table, const uint8_t* record, const DbfField& field) {
    DbfValue value{kNoBytes, 0, field.decimals};
    if (!record || !field.found || field.width <= 0 || field.offset < 0) return value;
    // The bytes from the record on that are there: to the end of the file, or
    // of what the table window holds.
    uint64_t recordStart = table.stream ? tableWindow.offsetOf(record) : static_cast<uint64_t>(record - table.contents);
    uint64_t end = table.stream ? std::min<uint64_t>(table.length, tableWindow.endOffset()) : table.length;
    uint64_t start = recordStart + static_cast<uint64_t>(field.offset);
    if (start >= end) return value;
    value.bytes = record + field.offset;
    value.width = static_cast<int32_t>(std::min<uint64_t>(static_cast<uint64_t>(field.width), end - start));
    return value;
}

bool isDbfValuePresent(const uint8_t* value, int32_t width) {
    if (width <= 0) return false;
    if (value[0] == ' ') return false;
    if (width <= 2) return true;
    if (startsWithFolded(value, "UNK")) return false;
    if (width >= 4 && startsWithFolded(value, "NULL")) return false;
    return true;
}

const char* dbfText(const uint8_t* value, int32_t width) {
    static char bufferA[kTextMax + 1];
    return readText(bufferA, value, width);
}

const char* dbfText2(const uint8_t* value, int32_t width) {
    static char bufferB[kTextMax + 1];
    return readText(bufferB, value, width);
}

int32_t dbfInt(const uint8_t* value, int32_t width) {
    if (width <= 0) return 0;
    const char* p = reinterpret_cast<const char*>(value);
    int32_t result = 0;
    if (!text::scanInt(p, p + std::min(width, kNumberMax), result)) return 0;
    return result;
}

int32_t dbfTenths(const uint8_t* value, int32_t width, int32_t decimals) {
    // Characters behind the integer: the point and up to two decimals.
    int characters = decimals <= 0 ? 1 : decimals == 1 ? 2 : 3;
    ScaledNumber n = readScaled(value, width, characters);
    for (int k = characters; k < 3; ++k) n.after[k] = '0';
    const uint8_t* c = n.after;
    if (c[0] == '.' && isDigit(c[1]) && isDigit(c[2])) {
        int64_t d = (c[1] - '0') + (c[2] >= '5' ? 1 : 0);  // half away from zero, may reach 10
        return clampTo32(10 * n.integer + (n.negative ? -d : d));
    }
    return clampTo32(10 * n.integer);
}

int32_t dbfHundredths(const uint8_t* value, int32_t width, int32_t decimals) {
    // Characters behind the integer: the point and up to three decimals.
    int characters = decimals <= 0 ? 1 : decimals >= 3 ? 4 : decimals + 1;
    ScaledNumber n = readScaled(value, width, characters);
    for (int k = characters; k < 4; ++k) n.after[k] = '0';
    const uint8_t* c = n.after;
    if (c[0] == '.' && isDigit(c[1]) && isDigit(c[2]) && isDigit(c[3])) {
        int64_t e = 10 * (c[1] - '0') + (c[2] - '0') + (c[3] >= '5' ? 1 : 0);
        return clampTo32(100 * n.integer + (n.negative ? -e : e));
    }
    return clampTo32(100 * n.integer);
}

}  // namespace input
