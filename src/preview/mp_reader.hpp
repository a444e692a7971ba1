// Reader of .mp map objects: streams map text (code page 1250, LF or CR LF
// line ends) and hands every complete point, line and area object to a sink.
// Only the object being read is held; the text itself is not kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "style/styles.hpp"

namespace preview {

using style::Kind;

// One object as the sink sees it; the views stay valid during the call only.
struct MpObject {
    Kind kind;
    uint32_t type;
    // The highest level that shows the object: its EndLevel, or without one
    // the level its coordinates are given for (0 for Data0).
    int32_t endLevel;
    std::string_view label;              // code page 1250 bytes, possibly empty
    std::span<const double> coordinates; // latitude, longitude pairs in degrees
    std::span<const uint32_t> partEnds;  // end of each part or ring, in pairs
};

using ObjectSink = void (*)(const MpObject& object, void* context);

struct ReadCounts {
    uint64_t objects = 0;          // handed to the sink
    uint64_t brokenObjects = 0;    // skipped: no type, no or bad coordinates, no end
    uint64_t skippedSections = 0;  // sections other than objects and the header
};

// The state of one reading pass; feed it text in pieces of any size.
struct MpReader {
    ObjectSink sink = nullptr;
    void* context = nullptr;
    ReadCounts counts;

    // Text of the line being read that arrived in an earlier piece.
    std::string carry;
    bool carryIsData = false;  // carry holds the unread rest of a coordinate line
    bool discardLine = false;  // the rest of the current line is ignored

    enum class Section : uint8_t { none, object, other } section = Section::none;
    Kind kind = Kind::point;
    bool hasType = false;
    bool broken = false;
    uint32_t type = 0;
    int32_t endLevel = -1;  // -1: none given
    int32_t dataLevel = -1; // level of the coordinates kept; -1: none yet
    bool takingData = false;  // the current coordinate line is kept
    std::string label;
    std::vector<double> coordinates;
    std::vector<uint32_t> partEnds;
};

void startMpReader(MpReader& reader, ObjectSink sink, void* context);

// Reads the next piece of map text.
void feedMpText(MpReader& reader, const char* text, std::size_t length);

// Ends the text: a last line without a line end is read, and an object left
// without its end mark is counted as broken.
void finishMpText(MpReader& reader);

// Reads a whole map file in pieces. 1 when it was read, 0 when it could not be
// opened or read (with a message).
int readMpFile(const char* path, MpReader& reader);

}  // namespace preview
