#include "catalog/type_file.hpp"

#include <cstdint>

#include "catalog/catalog.hpp"
#include "input/files.hpp"
#include "text/report.hpp"
#include "text/scan.hpp"

using namespace text::literals;

namespace catalog {

namespace {

// Bytes up to 0x1F end a line part; they are turned into zero bytes.
constexpr uint8_t kLastControlByte = 0x1F;

constexpr int kColumns = 5;  // TypG, LevelM, FlagaEt, FlagaOb, TypP

// Moves p to the next zero byte, at most to the end of the data.
uint32_t nextPartEnd(const char* data, uint32_t p, uint32_t length) {
    while (p < length && data[p] != '\0') ++p;
    return p;
}

// Stores the columns that were given (0 or more) into the entry.
void applyColumns(ObjectType& entry, const int32_t (&values)[kColumns]) {
    if (values[0] >= 0) entry.TypG = static_cast<uint32_t>(values[0]);
    if (values[1] >= 0) entry.LevelM = values[1];
    if (values[2] >= 0) entry.FlagaEt = static_cast<uint8_t>(values[2] & 0xFF);
    if (values[3] >= 0) entry.FlagaOb = static_cast<uint8_t>(values[3] & 0xFF);
    if (values[4] >= 0) entry.TypP = static_cast<uint32_t>(values[4]);
}

}  // namespace

int readTypeDescription(const char* path) {
    input::FileBuffer file;
    if (!input::readWholeFile(path, file)) return 0;
    return applyTypeDescription(reinterpret_cast<char*>(file.bytes.get()), file.length);
}

int applyTypeDescription(char* data, uint32_t length) {
    bool anyText = false;
    for (uint32_t i = 0; i < length; ++i) {
        if (static_cast<uint8_t>(data[i]) <= kLastControlByte)
            data[i] = '\0';
        else
            anyText = true;
    }
    if (!anyText) {
        report::failure("brak danych w opisie typow\n"_cp);
        return 0;
    }

    int errors = 0;
    uint32_t p = 0;
    while (p < length) {
        while (p < length && data[p] == '\0') ++p;
        while (p < length && data[p] == ' ') ++p;
        uint32_t end = p;
        while (end < length && data[end] != ' ' && data[end] != '\0') ++end;
        if (end >= length) break;  // an identifier at the very end of the file
        data[end] = '\0';
        const char* identifier = data + p;
        // When the identifier ended at a part end, its numbers are sought in
        // the following part.
        p = end + 1;

        ObjectType* entry = findObjectType(identifier);
        if (!entry) {
            report::failure("nieznany obiekt %s w opisie typow\n"_cp, identifier);
            ++errors;
            p = nextPartEnd(data, p, length);
            continue;
        }
        int32_t values[kColumns] = {-1, -1, -1, -1, -1};
        const char* q = data + p;
        int read = 0;
        while (read < kColumns) {
            const char* behind = text::scanInt(q, data + length, values[read]);
            if (!behind) break;
            q = behind;
            ++read;
        }
        if (read == 0) {
            report::failure("brak parametrów obiektu %s w opisie typow\n"_cp, identifier);
            ++errors;
        } else {
            applyColumns(*entry, values);
        }
        p = nextPartEnd(data, p, length);
    }
    return errors == 0 ? 1 : 0;
}

}  // namespace catalog
