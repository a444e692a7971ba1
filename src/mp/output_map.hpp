// The output map: the one ".mp" file open at a time, its header, and the
// large buffer through which every object and merged block is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "input/shp.hpp"
#include "mp/coordinates.hpp"
#include "output/replace_file.hpp"

namespace mp {

inline constexpr int kMaxHeaderParams = 10;

struct OutputMap {
    uint32_t MapID = 0;                  // 0 while no map has been started
    char outputPath[32] = {};            // "%08d.mp"
    std::FILE* stream = nullptr;         // none while no file is open
    output::Replacement file;            // the file behind the stream, until it replaces the map
    const char* headerParams[kMaxHeaderParams] = {};  // -h texts, never cleared
    int32_t headerParamCount = 0;
    bool writeFailed = false;            // a write of the buffer came short
    bool failureSeen = false;            // mapWriteStatus has reported -99
    bool routable = false;               // opened under -r: roads are held until the close
};

extern OutputMap outputMap;

// 1 when the file is open and its header written, 0 when it cannot be opened.
// An earlier map at the path stays as it is until the new one is closed
// complete (see output::openReplacement).
int openMap(const char* path, uint32_t mapId, const char* name);

// ";plik %s\n" into the open map: 1, or 0 when no map is open.
int writeFileComment(const char* inputPath);

// 0 when the stream is open and sound, -99 after a failed write, -100 when no
// stream is open. Pending buffered bytes are written first, so a failing disk
// shows here and not only at the close.
int mapWriteStatus();

// 1 when an open map was closed, 0 when none was open. A complete map takes
// the place of the earlier one. A map whose writing failed is dropped, with
// "blad zapisu pliku wyjsciowego %s\n" unless mapWriteStatus already told it,
// and a note that the earlier map, if any, stays unchanged.
int closeMap();

// True while a stream is open.
inline bool mapIsOpen() { return outputMap.stream != nullptr; }

// Buffered writing for the object writers and the merger (map must be open).
// reserveOutput returns room for at least `bytes` (at most kMaxReserve) bytes;
// commitOutput marks the bytes up to `end` as written.
inline constexpr std::size_t kMaxReserve = 64 * 1024;
char* reserveOutput(std::size_t bytes);
void commitOutput(char* end);
// Appends any number of bytes.
void writeOutput(const char* bytes, std::size_t length);
// Appends a zero-terminated text.
void writeOutputText(const char* text);

// The lines every object starts with: "[POI]", "[POLYLINE]" or "[POLYGON]",
// "; comment", "Type=0x%02X", "Label=label", "EndLevel=N" (a level above 0,
// at most 5). comment and label may be null or empty (no line). The texts are
// copied at once; the lines are made on the way to the file.
enum class ObjectKind : uint8_t { poi, polyline, polygon };
void writeObjectHead(ObjectKind kind, uint32_t type, int32_t level, const char* label, const char* comment);

// Point `index` of little-endian X, Y pairs in place in a record.
inline Point pointAt(const uint8_t* points, uint32_t index) {
    const uint8_t* p = points + std::size_t{index} * 16;
    return Point{input::readLittleEndianDouble(p), input::readLittleEndianDouble(p + 8)};
}

// Appends "Data0=(lat,lon)" for the first point and ",(lat,lon)" for each
// further one: points[first] to points[end - 1] of little-endian X, Y pairs
// (none when first >= end), or the one point given. The numbers are taken at
// once; their text is made on the way to the file.
void writePointRun(const uint8_t* points, uint32_t first, uint32_t end);
void writePointRun(Point point);
// The same for `count` places held as whole numbers of 10^-7 degree.
void writePointRun(const PlaceUnits* places, uint32_t count);

// Runs of points from records are formatted on the way to the file by a
// second thread, or some of them at once by the caller's, in a share of
// share/kShareSteps that follows which of the two waits for the other. The
// text is the same either way; tests fix the share (-1: follow again).
inline constexpr int kShareSteps = 16;
void fixInlineShare(int share);

}  // namespace mp
