#include "preview/mp_reader.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "text/report.hpp"

using namespace text::literals;

namespace preview {

namespace {

// A line other than coordinates is cut to this length; the rest is ignored.
constexpr std::size_t kMaxLine = 64 * 1024;
// No "(latitude,longitude)" pair is longer: a longer one is broken text.
constexpr std::size_t kMaxPair = 256;
constexpr std::size_t kReadPiece = 1 << 20;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(s[i]) != lower(prefix[i])) return false;
    return true;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

// Section names of objects, the current notation and the older one.
struct SectionKind {
    const char* name;
    Kind kind;
};
constexpr SectionKind kObjectSections[] = {
    {"POI", Kind::point},     {"RGN10", Kind::point}, {"RGN20", Kind::point},
    {"POLYLINE", Kind::line}, {"RGN40", Kind::line},
    {"POLYGON", Kind::area},  {"RGN80", Kind::area},
};

// A whole unsigned number: decimal, or hexadecimal after "0x".
bool parseUnsigned(std::string_view s, uint32_t& value) {
    s = trim(s);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    if (s.empty()) return false;
    auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return error == std::errc() && end == s.data() + s.size();
}

// One coordinate: a finite decimal number with blanks around it.
bool parseCoordinate(std::string_view s, double limit, double& value) {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() && std::isfinite(value) &&
           std::fabs(value) <= limit;
}

void resetObject(MpReader& r) {
    r.hasType = false;
    r.broken = false;
    r.type = 0;
    r.endLevel = -1;
    r.dataLevel = -1;
    r.takingData = false;
    r.label.clear();
    r.coordinates.clear();
    r.partEnds.clear();
}

void markBroken(MpReader& r) {
    r.broken = true;
    r.takingData = false;
}

// Drops parts too short for the object's kind; the rest keep their order.
void dropShortParts(MpReader& r) {
    uint32_t least = r.kind == Kind::point ? 1 : r.kind == Kind::line ? 2 : 3;
    uint32_t from = 0, to = 0;
    std::size_t kept = 0;
    for (uint32_t end : r.partEnds) {
        uint32_t count = end - from;
        if (count >= least) {
            if (to != from)
                std::memmove(&r.coordinates[2 * to], &r.coordinates[2 * from], 2 * count * sizeof(double));
            to += count;
            r.partEnds[kept++] = to;
        }
        from = end;
    }
    r.partEnds.resize(kept);
    r.coordinates.resize(2 * static_cast<std::size_t>(to));
}

void finishObject(MpReader& r) {
    r.section = MpReader::Section::none;
    if (!r.broken && r.hasType) dropShortParts(r);
    if (r.broken || !r.hasType || r.partEnds.empty()) {
        ++r.counts.brokenObjects;
    } else {
        if (r.kind == Kind::point) {  // a point is its first pair
            r.coordinates.resize(2);
            r.partEnds.assign(1, 1);
        }
        MpObject object{r.kind, r.type, r.endLevel >= 0 ? r.endLevel : r.dataLevel, r.label,
                         r.coordinates, r.partEnds};
        ++r.counts.objects;
        r.sink(object, r.context);
    }
    resetObject(r);
}

void readSection(MpReader& r, std::string_view line) {
    std::string_view name = line.substr(1);
    name = name.substr(0, name.find(']'));
    bool objectOpen = r.section == MpReader::Section::object;
    if (startsWithNoCase(name, "END")) {
        if (objectOpen) finishObject(r);
        r.section = MpReader::Section::none;
        return;
    }
    if (objectOpen) {  // the object had no end mark
        ++r.counts.brokenObjects;
        resetObject(r);
    }
    for (const SectionKind& section : kObjectSections) {
        if (equalsNoCase(name, section.name)) {
            r.section = MpReader::Section::object;
            r.kind = section.kind;
            return;
        }
    }
    if (!equalsNoCase(name, "IMG ID")) ++r.counts.skippedSections;
    r.section = MpReader::Section::other;
}

// Reads "(lat,lon)" pairs, separated by commas, from the start of s and keeps
// them when the line is taken. Unless `last`, an unfinished pair at the end
// is left for the next piece. Returns the bytes used.
std::size_t readPairs(MpReader& r, std::string_view s, bool last) {
    std::size_t i = 0;
    for (;;) {
        while (i < s.size() && (isBlank(s[i]) || s[i] == ',')) ++i;
        if (i == s.size()) return i;
        std::size_t close = s.find(')', i);
        if (s[i] != '(' || (close == std::string_view::npos && (last || s.size() - i > kMaxPair))) {
            markBroken(r);
            return s.size();
        }
        if (close == std::string_view::npos) return i;
        std::string_view pair = s.substr(i + 1, close - i - 1);
        std::size_t comma = pair.find(',');
        double lat = 0, lon = 0;
        if (comma == std::string_view::npos || !parseCoordinate(pair.substr(0, comma), 90, lat) ||
            !parseCoordinate(pair.substr(comma + 1), 180, lon)) {
            markBroken(r);
            return s.size();
        }
        if (r.takingData) {
            r.coordinates.push_back(lat);
            r.coordinates.push_back(lon);
        }
        i = close + 1;
    }
}

// The level of a coordinate key ("Data0", "Origin1"), or -1 for another key.
int32_t dataKeyLevel(std::string_view key) {
    for (std::string_view prefix : {std::string_view("Data"), std::string_view("Origin")}) {
        if (!startsWithNoCase(key, prefix) || key.size() == prefix.size()) continue;
        uint32_t level = 0;
        if (key.size() - prefix.size() <= 2 && parseUnsigned(key.substr(prefix.size()), level) &&
            key[prefix.size()] >= '0' && key[prefix.size()] <= '9')
            return static_cast<int32_t>(level);
    }
    return -1;
}

// Coordinates of the lowest level given are drawn: they are the most
// detailed; lines of a higher level are ignored, and each line of the kept
// level is one part or ring.
void startDataLine(MpReader& r, int32_t level) {
    r.takingData = false;
    if (r.section != MpReader::Section::object || r.broken) return;
    if (r.dataLevel < 0 || level < r.dataLevel) {
        r.coordinates.clear();
        r.partEnds.clear();
        r.dataLevel = level;
    }
    r.takingData = level == r.dataLevel;
}

void endDataLine(MpReader& r) {
    if (r.takingData && (r.partEnds.empty() || r.partEnds.back() * 2 != r.coordinates.size()))
        r.partEnds.push_back(static_cast<uint32_t>(r.coordinates.size() / 2));
    r.takingData = false;
}

void readLine(MpReader& r, std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() == ';') return;
    if (line.front() == '[') {
        readSection(r, line);
        return;
    }
    if (r.section != MpReader::Section::object) return;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = line.substr(equals + 1);
    if (int32_t level = dataKeyLevel(key); level >= 0) {
        startDataLine(r, level);
        if (r.takingData) readPairs(r, value, true);
        endDataLine(r);
    } else if (equalsNoCase(key, "Type")) {
        if (!parseUnsigned(value, r.type)) markBroken(r);
        r.hasType = true;
    } else if (equalsNoCase(key, "Label")) {
        r.label.assign(value);
    } else if (equalsNoCase(key, "EndLevel")) {
        uint32_t level = 0;
        if (parseUnsigned(value, level) && level <= 9) r.endLevel = static_cast<int32_t>(level);
    }
}

// A line end: the line, or what is left of it, is read.
void completeLine(MpReader& r, std::string_view tail) {
    if (r.discardLine) {
    } else if (r.carryIsData) {
        r.carry.append(tail);
        readPairs(r, r.carry, true);
        endDataLine(r);
    } else if (r.carry.empty()) {
        readLine(r, tail);
    } else {
        r.carry.append(tail);
        readLine(r, r.carry);
    }
    r.carry.clear();
    r.carryIsData = false;
    r.discardLine = false;
}

// A piece of a line whose end has not come yet. Coordinate lines are read as
// they arrive, so only an unfinished pair waits; other lines are cut.
void partialLine(MpReader& r, std::string_view piece) {
    if (r.discardLine) return;
    r.carry.append(piece);
    if (!r.carryIsData) {
        std::size_t equals = r.carry.find('=');
        std::string_view head = trim(r.carry);
        if (equals != std::string::npos && !head.empty() && head.front() != '[' && head.front() != ';') {
            int32_t level = dataKeyLevel(trim(std::string_view(r.carry).substr(0, equals)));
            if (level >= 0) {
                startDataLine(r, level);
                r.carry.erase(0, equals + 1);
                r.carryIsData = true;
            }
        }
    }
    if (r.carryIsData) {
        if (!r.takingData) {
            r.discardLine = true;
            r.carry.clear();
            return;
        }
        r.carry.erase(0, readPairs(r, r.carry, false));
        if (!r.takingData) {  // broken on the way
            r.discardLine = true;
            r.carry.clear();
        }
    } else if (r.carry.size() > kMaxLine) {
        r.carry.resize(kMaxLine);
        readLine(r, r.carry);
        r.discardLine = true;
        r.carry.clear();
    }
}

}  // namespace

void startMpReader(MpReader& r, ObjectSink sink, void* context) {
    r = MpReader{};
    r.sink = sink;
    r.context = context;
}

void feedMpText(MpReader& r, const char* text, std::size_t length) {
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lineEnd) {
            partialLine(r, std::string_view(p, static_cast<std::size_t>(end - p)));
            return;
        }
        completeLine(r, std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
        p = lineEnd + 1;
    }
}

void finishMpText(MpReader& r) {
    completeLine(r, {});
    if (r.section == MpReader::Section::object) {  // no end mark before the end of the text
        ++r.counts.brokenObjects;
        resetObject(r);
    }
    r.section = MpReader::Section::none;
}

int readMpFile(const char* path, MpReader& r) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        report::error("blad otwarcia pliku %s\n"_cp, path);
        return 0;
    }
    std::unique_ptr<char[]> piece(new char[kReadPiece]);
    std::size_t got;
    while ((got = std::fread(piece.get(), 1, kReadPiece, file)) > 0) feedMpText(r, piece.get(), got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        report::error("blad odczytu pliku %s\n"_cp, path);
        return 0;
    }
    finishMpText(r);
    return 1;
}

}  // namespace preview
