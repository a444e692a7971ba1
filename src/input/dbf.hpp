// DBF attribute tables: header check, field lookup, record location and the
// value readers. Values are read in place, never past the table's bytes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "input/files.hpp"

namespace input {

struct DbfTable {
    const char* path;          // quoted in messages
    const uint8_t* contents;   // the whole file, or a streamed file's first bytes
    uint32_t length;           // file bytes
    uint32_t recordCount;      // from the header (set by openDbfTable)
    uint32_t headerLength;
    uint32_t recordLength;
    uint32_t contentsLength = 0;  // bytes at contents
    uint32_t fieldsEnd = 0;       // 1 + the widths of all fields: where the last one ends in a record
    std::FILE* stream = nullptr;  // records are read through the table window when set
};

struct DbfField {
    int32_t found;     // 1 when the field exists
    int32_t offset;    // byte offset inside a record (1 + widths before it)
    int32_t width;
    int32_t decimals;
    int32_t type;      // field type letter
    int32_t index;     // descriptor position from 0
};

// A field's bytes in one record, clipped to the table: width 0 when the field
// is missing or lies wholly outside the table.
struct DbfValue {
    const uint8_t* bytes;
    int32_t width;
    int32_t decimals;
};

// 1 when the table is acceptable, else 0 with "zly format danych pliku dbf".
int checkDbfHeader(const char* path, const uint8_t* contents, uint32_t length);

// The table with its header values read; call after checkDbfHeader passed.
DbfTable openDbfTable(const char* path, const uint8_t* contents, uint32_t length);
// The same for a file streamed or read whole; a streamed table's records come
// through the one table window, so one streamed table is read at a time.
DbfTable openDbfTable(const char* path, const InputFile& file);

// Descriptor index or -1 (field all zeros). quiet 0 reports a missing field.
int findDbfField(const DbfTable& table, const char* name, DbfField& field, int quiet);

// Start of record n (from 1), or nullptr when n is 0 or above the count. A
// streamed table's record is valid until the next call; nullptr also when it
// cannot be read, and then for the rest of the table (dbfReadFailed).
const uint8_t* dbfRecord(const DbfTable& table, uint32_t n);

// True when a read of the streamed table failed (reported once).
bool dbfReadFailed();

// The one field-reading helper: the field's bytes in the record, clipped.
DbfValue dbfValue(const DbfTable& table, const uint8_t* record, const DbfField& field);

bool isDbfValuePresent(const uint8_t* value, int32_t width);

// Text in reader A's / B's static buffer (valid until that reader's next call).
const char* dbfText(const uint8_t* value, int32_t width);
const char* dbfText2(const uint8_t* value, int32_t width);

int32_t dbfInt(const uint8_t* value, int32_t width);
int32_t dbfTenths(const uint8_t* value, int32_t width, int32_t decimals);
int32_t dbfHundredths(const uint8_t* value, int32_t width, int32_t decimals);

// Convenience overloads taking a DbfValue.
inline bool isDbfValuePresent(DbfValue v) { return isDbfValuePresent(v.bytes, v.width); }
inline const char* dbfText(DbfValue v) { return dbfText(v.bytes, v.width); }
inline const char* dbfText2(DbfValue v) { return dbfText2(v.bytes, v.width); }
inline int32_t dbfInt(DbfValue v) { return dbfInt(v.bytes, v.width); }
inline int32_t dbfTenths(DbfValue v) { return dbfTenths(v.bytes, v.width, v.decimals); }
inline int32_t dbfHundredths(DbfValue v) { return dbfHundredths(v.bytes, v.width, v.decimals); }

}  // namespace input
