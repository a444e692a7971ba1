// Reads a .prj text without PROJ, to recognise a layer whose coordinates are
// WGS 84 longitude and latitude in degrees: such a layer needs no
// transformation and no database.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "input/crs.hpp"

namespace input {

namespace {

constexpr int kMaxDepth = 16;

// Upper-case letters and digits of a name, the rest left out: "D_WGS_1984"
// reads as "DWGS1984".
bool normalisedNameIs(std::string_view name, std::string_view wanted) {
    std::size_t at = 0;
    for (char c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) continue;
        if (at == wanted.size() || wanted[at] != c) return false;
        ++at;
    }
    return at == wanted.size();
}

bool isWgs84DatumName(std::string_view name) {
    for (std::string_view wanted : {"DWGS1984", "WGS1984", "WGS84", "WORLDGEODETICSYSTEM1984",
                                    "WORLDGEODETICSYSTEM1984ENSEMBLE"})
        if (normalisedNameIs(name, wanted)) return true;
    return false;
}

bool keywordIs(std::string_view keyword, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        if (keyword.size() != name.size()) continue;
        std::size_t i = 0;
        while (i < name.size() && (keyword[i] & ~0x20) == name[i]) ++i;
        if (i == name.size()) return true;
    }
    return false;
}

// What the nodes of the text say about it.
struct Findings {
    bool malformed = false;
    bool wgs84Datum = false;
    bool otherDatum = false;
    bool degrees = false;        // an angle unit of one degree
    bool otherUnit = false;      // any other angle unit
    bool shiftedMeridian = false;
    bool notGeographic = false;  // a projection, a derivation, a Cartesian system
};

// One node: KEYWORD[argument, ...] (or round brackets), its arguments quoted
// texts (with "" for a quote), numbers, bare words or nodes.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    // Reads one node and what it holds; returns its keyword.
    std::string_view node(int depth, std::string_view parent, Findings& found) {
        std::string_view keyword = word();
        skipBlanks();
        if (keyword.empty() || depth > kMaxDepth || !take('[', '(')) {
            found.malformed = true;
            return keyword;
        }
        std::string_view name;  // the first quoted text
        double value = NAN;     // the first number
        bool firstValue = true;
        for (bool more = true; more && !found.malformed;) {
            skipBlanks();
            if (at_ < text_.size() && text_[at_] == '"') {
                std::string_view quoted = quotedText();
                if (name.empty()) name = quoted;
            } else if (at_ < text_.size() && (isNumberStart(text_[at_]))) {
                double number = numberValue();
                if (firstValue) value = number;
                firstValue = false;
            } else {
                std::size_t start = at_;
                std::string_view bare = word();
                skipBlanks();
                if (at_ < text_.size() && (text_[at_] == '[' || text_[at_] == '(')) {
                    at_ = start;
                    node(depth + 1, keyword, found);
                } else if (bare.empty()) {
                    found.malformed = true;
                } else if (keywordIs(keyword, {"CS"}) && !keywordIs(bare, {"ELLIPSOIDAL"})) {
                    found.notGeographic = true;
                }
            }
            skipBlanks();
            if (take(',', ',')) continue;
            if (!take(']', ')')) found.malformed = true;
            more = false;
        }
        judge(keyword, parent, name, value, found);
        return keyword;
    }

    bool atEnd() {
        skipBlanks();
        return at_ == text_.size();
    }

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || (text_[at_] >= '\t' && text_[at_] <= '\r'))) ++at_;
    }

private:
    static bool isNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

    static void judge(std::string_view keyword, std::string_view parent, std::string_view name, double value,
                      Findings& found) {
        if (keywordIs(keyword, {"DATUM", "GEODETICDATUM", "TRF", "ENSEMBLE"})) {
            (isWgs84DatumName(name) ? found.wgs84Datum : found.otherDatum) = true;
        } else if (keywordIs(keyword, {"PRIMEM", "PRIMEMERIDIAN"})) {
            if (value != 0) found.shiftedMeridian = true;
        } else if (keywordIs(keyword, {"UNIT", "ANGLEUNIT"})) {
            // Length units belong to the ellipsoid (LENGTHUNIT) and are not
            // looked at; a UNIT right under the ellipsoid is such a one.
            if (keywordIs(parent, {"SPHEROID", "ELLIPSOID"})) return;
            constexpr double kDegree = 0.017453292519943295;
            (std::fabs(value - kDegree) <= 1e-12 * kDegree ? found.degrees : found.otherUnit) = true;
        } else if (keywordIs(keyword, {"PROJCS", "PROJCRS", "PROJECTEDCRS", "CONVERSION", "DERIVINGCONVERSION",
                                       "BASEGEOGCRS", "BASEGEODCRS", "GEOCCS", "VERTCS", "VERTCRS",
                                       "COMPD_CS", "COMPOUNDCRS", "LENGTHUNIT"})) {
            if (!keywordIs(keyword, {"LENGTHUNIT"}) || !keywordIs(parent, {"ELLIPSOID", "SPHEROID"}))
                found.notGeographic = true;
        }
    }

    bool take(char one, char other) {
        if (at_ < text_.size() && (text_[at_] == one || text_[at_] == other)) {
            ++at_;
            return true;
        }
        return false;
    }

    std::string_view word() {
        std::size_t start = at_;
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) break;
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    std::string_view quotedText() {
        std::size_t start = ++at_;
        while (at_ < text_.size()) {
            if (text_[at_] == '"') {
                if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                    at_ += 2;
                    continue;
                }
                return text_.substr(start, at_++ - start);
            }
            ++at_;
        }
        return text_.substr(start);  // unterminated: the closing bracket is then missing too
    }

    // A decimal number, optionally with an exponent; digits beyond what a
    // double holds change nothing that is compared.
    double numberValue() {
        char digits[64];
        std::size_t n = 0;
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (!(isNumberStart(c) || c == 'e' || c == 'E')) break;
            if (n + 1 < sizeof digits) digits[n++] = c;
            ++at_;
        }
        digits[n] = '\0';
        char* end = nullptr;
        double value = std::strtod(digits, &end);
        return end == digits + n ? value : NAN;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

WktKind wktKind(std::string_view wkt) {
    if (wkt.substr(0, 3) == "\xEF\xBB\xBF") wkt.remove_prefix(3);  // a byte order mark
    Parser parser(wkt);
    parser.skipBlanks();
    Findings found;
    std::string_view root = parser.node(0, "", found);
    if (found.malformed || !parser.atEnd()) return WktKind::unreadable;
    bool geographic = keywordIs(root, {"GEOGCS", "GEOGCRS", "GEOGRAPHICCRS", "GEODCRS", "GEODETICCRS"});
    bool wgs84 = geographic && found.wgs84Datum && !found.otherDatum && found.degrees && !found.otherUnit &&
                 !found.shiftedMeridian && !found.notGeographic;
    return wgs84 ? WktKind::wgs84Degrees : WktKind::other;
}

}  // namespace input
