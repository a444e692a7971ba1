// Attribute value vocabularies: each decoder turns one coded DBF value into a
// catalogue object, a label, both or nothing, by a lookup in its table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "catalog/catalog.hpp"

namespace layers {

// Decodes `code`; object, label and level adjustment come in preset by the
// handler and only what the code's row names is changed. 0 (or more) for a
// known code, -1 for an unknown one.
using ValueDecoder = int (*)(int32_t code, catalog::ObjectType*& object, const char*& label,
                             int32_t& levelAdjust);

// No vocabulary assigns the unknown object, so it marks "object unchanged".
inline constexpr catalog::Obj kKeepObject = catalog::Obj::o_nieznane;

// One to three codes sharing a result.
struct CodeList {
    int32_t codes[3] = {};
    int32_t count = 0;
    constexpr CodeList() = default;
    constexpr CodeList(std::initializer_list<int32_t> list) {
        for (int32_t code : list) {
            // The tables are constant: a fourth code stops the build instead of being dropped.
            if (count == 3) throw "a vocabulary row holds at most three codes";
            codes[count++] = code;
        }
    }
    constexpr bool holds(int32_t code) const {
        for (int32_t i = 0; i < count; ++i)
            if (codes[i] == code) return true;
        return false;
    }
};

// What a code sets: an object, a label, or both ("with").
struct Assignment {
    catalog::Obj object = kKeepObject;
    const char* label = nullptr;  // nullptr: label unchanged
    bool listed = true;           // false: the vocabulary has no row for the code
    constexpr Assignment() = default;
    constexpr Assignment(const char* text) : label(text) {}
    constexpr Assignment(catalog::Obj id) : object(id) {}
    constexpr Assignment(catalog::Obj id, const char* text) : object(id), label(text) {}
};

struct VocabularyRow {
    CodeList codes;
    Assignment set;
};

inline constexpr int kFallbackLabelSize = 24;

// The outcome of a code: its row's index, or one of these.
inline constexpr int16_t kKnownCode = -1;  // known, no change
inline constexpr int16_t kUnlisted = -2;   // not in the vocabulary
// Codes 0 to kIndexedCodes - 1 (every code the tables list but a few) have
// their outcome worked out at compile time; others are sought in the lists.
inline constexpr int32_t kIndexedCodes = 1024;

struct Vocabulary {
    std::span<const int32_t> known;       // known, no change
    std::span<const VocabularyRow> rows;  // known codes and what they set
    // Unlisted codes: label formatted with the code into the buffer, and this result.
    const char* fallbackFormat = nullptr;
    int32_t fallbackResult = -1;
    char* fallbackBuffer = nullptr;       // kFallbackLabelSize bytes
    // Codes 1 to 998 take this object before the lookup, which may replace it.
    catalog::Obj rangeObject = kKeepObject;
    // Added to the level adjustment by codes that set nothing: the known ones
    // without a row and the unlisted ones.
    int32_t unsetLevel = 0;
    std::array<int16_t, kIndexedCodes> index{};

    constexpr Vocabulary(std::span<const int32_t> knownCodes, std::span<const VocabularyRow> codeRows,
                         const char* format = nullptr, int32_t result = -1, char* buffer = nullptr,
                         catalog::Obj range = kKeepObject, int32_t level = 0)
        : known(knownCodes), rows(codeRows), fallbackFormat(format), fallbackResult(result),
          fallbackBuffer(buffer), rangeObject(range), unsetLevel(level) {
        if (rows.size() > 0x7FFF) throw "a vocabulary holds at most 32767 rows";
        // The same outcomes as outcomeOf, in one pass over the lists: rows from
        // the last to the first, so that the first row holding a code wins, and
        // the known codes last, since they come before every row.
        index.fill(kUnlisted);
        for (std::size_t i = rows.size(); i-- > 0;)
            for (int32_t c = 0; c < rows[i].codes.count; ++c)
                if (rows[i].set.listed && isIndexed(rows[i].codes.codes[c]))
                    index[rows[i].codes.codes[c]] = static_cast<int16_t>(i);
        for (int32_t k : known)
            if (isIndexed(k)) index[k] = kKnownCode;
    }

    static constexpr bool isIndexed(int32_t code) { return code >= 0 && code < kIndexedCodes; }

    // The known list first, then the first listed row holding the code.
    constexpr int16_t outcomeOf(int32_t code) const {
        for (int32_t k : known)
            if (k == code) return kKnownCode;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].set.listed && rows[i].codes.holds(code)) return static_cast<int16_t>(i);
        return kUnlisted;
    }
    int16_t outcome(int32_t code) const { return isIndexed(code) ? index[code] : outcomeOf(code); }
};

// The one lookup behind every decoder.
int decodeValue(const Vocabulary& vocabulary, int32_t code, catalog::ObjectType*& object,
                const char*& label, int32_t& levelAdjust);
inline int decodeValue(const Vocabulary& vocabulary, int32_t code, catalog::ObjectType*& object,
                       const char*& label) {
    int32_t unused = 0;
    return decodeValue(vocabulary, code, object, label, unused);
}

// A table of one field shared by the point and the area layer, a column per
// decoder; a code without a row in one column is marked kNotListed there.
struct PointAreaRow {
    CodeList codes;
    Assignment point;
    Assignment area;
};

inline constexpr Assignment kNotListed = [] {
    Assignment none;
    none.listed = false;
    return none;
}();

// One decoder's column of a point and area table.
template <std::size_t N>
consteval std::array<VocabularyRow, N> vocabularyColumn(const PointAreaRow (&table)[N],
                                                        Assignment PointAreaRow::*column) {
    std::array<VocabularyRow, N> rows{};
    for (std::size_t i = 0; i < N; ++i) rows[i] = {table[i].codes, table[i].*column};
    return rows;
}

#define LAYERS_DECODER(name) \
    int name(int32_t code, catalog::ObjectType*& object, const char*& label, int32_t& levelAdjust)
LAYERS_DECODER(airportUseDecoder);
LAYERS_DECODER(cemeteryPointRelDecoder);
LAYERS_DECODER(cemeteryAreaRelDecoder);
LAYERS_DECODER(fortificationBfcDecoder);
LAYERS_DECODER(sanctuaryRe2Decoder);
LAYERS_DECODER(entranceTucDecoder);
LAYERS_DECODER(commBuildingNstDecoder);
LAYERS_DECODER(towerTtcDecoder);
LAYERS_DECODER(commTowerNstDecoder);
LAYERS_DECODER(lighthouseMarDecoder);
LAYERS_DECODER(buoyMarDecoder);
LAYERS_DECODER(lightMarDecoder);
LAYERS_DECODER(cisternUseDecoder);
LAYERS_DECODER(productDecoder);
LAYERS_DECODER(pylonMccDecoder);
LAYERS_DECODER(springSwtDecoder);
LAYERS_DECODER(pitPointProDecoder);
LAYERS_DECODER(pitAreaProDecoder);
LAYERS_DECODER(quarryProDecoder);
LAYERS_DECODER(beachSltDecoder);
LAYERS_DECODER(canalHycDecoder);
LAYERS_DECODER(canalWwrDecoder);
LAYERS_DECODER(riverHycDecoder);
LAYERS_DECODER(riverWwrDecoder);
LAYERS_DECODER(ditchHycDecoder);
LAYERS_DECODER(ditchWwrDecoder);
LAYERS_DECODER(railSidingRgcDecoder);
LAYERS_DECODER(railroadRgcDecoder);
LAYERS_DECODER(boundaryUseDecoder);
LAYERS_DECODER(interchangeTucDecoder);
LAYERS_DECODER(groundElementMccDecoder);
LAYERS_DECODER(orchardVegDecoder);
LAYERS_DECODER(cropVegDecoder);
LAYERS_DECODER(plantPointBfcDecoder);
LAYERS_DECODER(plantAreaBfcDecoder);
#undef LAYERS_DECODER

}  // namespace layers
