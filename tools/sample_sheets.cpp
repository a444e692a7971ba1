// Writes two sample map sheets, m34131ab and m34131cd, into the directory
// given on the command line: one shapefile with its index and DBF table per
// layer, one layer of a name no table knows, and one finished map file to
// merge.
//
//   sample_sheets DIR
//
// The sheets lie west of Krakow (latitude 50.0 to 50.1, longitude 19.5 to
// 19.75; ab is the northern half, cd the southern one). Every layer draws its
// geometry from a generator seeded with its file name, so the output is the
// same bytes on every run and a layer keeps its shapes when others change.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/shapefile_writer.hpp"
#include "text/cp1250.hpp"
#include "text/report.hpp"

using namespace text::literals;
using testsupport::XY;

namespace {

// ---------------------------------------------------------------------------
// The layers
// ---------------------------------------------------------------------------

enum class Shape {
    Point,
    LongLine,   // crosses the sheet from west to east
    ShortLine,  // a kilometre or two
    SmallArea,  // a building's outline
    Area,       // a few hundred metres across
    HoledArea,  // a few kilometres across, with a hole in the middle
};

struct SampleColumn {
    const char* name;
    char type;
    uint8_t width;
    uint8_t decimals;
};

constexpr SampleColumn NAM{"NAM", 'C', 40, 0};
constexpr SampleColumn NA2{"NA2", 'C', 30, 0};
constexpr SampleColumn VG_TEXT{"VG_TEXT", 'C', 40, 0};
constexpr SampleColumn F_CODE{"F_CODE", 'C', 5, 0};
constexpr SampleColumn ZV2{"ZV2", 'N', 8, 2};
constexpr SampleColumn ARH{"ARH", 'N', 8, 1};
constexpr SampleColumn PIT{"PIT", 'N', 7, 2};
constexpr SampleColumn SDS{"SDS", 'N', 6, 2};
// An integer code or measure of the given name.
constexpr SampleColumn code(const char* name) { return {name, 'N', 6, 0}; }

constexpr int kMaxColumns = 6;
constexpr int kMaxRows = 9;

// One layer file. Feature i takes the values of row i, and the features past
// the last row those of the first; a row lists its values in column order,
// numbers as text.
struct SampleLayer {
    int sheet;         // index into kSheets
    const char* file;  // path in the sheet directory; the table's extension takes the same case
    Shape shape;
    int features;      // 0: one per row
    SampleColumn columns[kMaxColumns];
    const char* rows[kMaxRows][kMaxColumns];
};

constexpr int AB = 0;
constexpr int CD = 1;

struct Sheet {
    const char* name;
    double west, south, east, north;
};

constexpr Sheet kSheets[] = {
    {"m34131ab", 19.50, 50.05, 19.75, 50.10},
    {"m34131cd", 19.50, 50.00, 19.75, 50.05},
};

constexpr SampleLayer kLayers[] = {
    // Layers present on both sheets.
    {AB, "ROADL.SHP", Shape::LongLine, 0, {NAM, code("TUC"), code("RTT"), code("USE")},
     {{"A4", "2", "16", "23"}, {"79", "4", "14", "4"}, {"780", "4", "15", "33"}, {"", "4", "0", "114"},
      {"Krakowska", "6", "0", "16"}, {"", "2", "14", "0"}, {"Aleja Lipowa w Tenczynku"_cp, "4", "14", "0"},
      {"", "99", "0", "0"}}},
    {CD, "roadl.shp", Shape::LongLine, 0, {NAM, code("TUC"), code("RTT"), code("USE")},
     {{"A4", "2", "16", "23"}, {"1", "2", "14", "0"}, {"", "36", "15", "113"}, {"Zielona", "6", "0", "0"},
      {"", "42", "16", "5"}, {"", "4", "21", "6"}}},
    {AB, "RIVERL.shp", Shape::LongLine, 0, {NAM, code("HYC"), code("WWR")},
     {{"Rudawa", "8", "2"}, {"Dulówka"_cp, "0", "1"}, {"", "6", "0"}, {"Krzeszówka"_cp, "0", "3"},
      {"", "7", "0"}, {"Potok Gaudynowski", "4", "1"}}},
    {CD, "RIVERL.shp", Shape::LongLine, 0, {NAM, code("HYC"), code("WWR")},
     {{"Sanka", "0", "2"}, {"Wisła"_cp, "0", "3"}, {"", "8", "1"}}},
    {AB, "FORESTA.shp", Shape::HoledArea, 7, {NAM, code("TRE"), code("VEG"), code("PHT"), code("TSC"), SDS},
     {{"", "2", "31", "18", "6", "0.25"}, {"Las Zwierzyniecki", "1", "28", "24", "5", "0.40"},
      {"", "3", "25", "0", "0", "0"}, {"", "501", "0", "0", "0", "0"}, {"", "2", "37", "21", "4", "0.31"},
      {"", "1", "99", "15", "3", "0.18"}, {"Puszcza Dulowska", "0", "30", "22", "7", "0.52"}}},
    {CD, "FORESTA.shp", Shape::HoledArea, 5, {NAM, code("TRE"), code("VEG"), code("PHT"), code("TSC"), SDS},
     {{"", "2", "31", "19", "6", "0.28"}, {"Las Bukowy", "1", "28", "0", "0", "0"},
      {"", "504", "46", "0", "0", "0"}, {"", "2", "27", "17", "5", "0.22"}, {"", "3", "12", "20", "6", "0.35"}}},
    {AB, "BUILDNGP.shp", Shape::Point, 64, {NAM, code("BFC"), code("HWT"), code("TUC")},
     {{"", "0", "0", "0"}, {"", "16", "0", "0"}, {"", "0", "4", "0"}, {"Szpital Powiatowy", "6", "0", "0"},
      {"", "15", "0", "0"}, {"", "999", "0", "0"}, {"Kaplica św. Anny"_cp, "0", "3", "0"}, {"", "1000", "0", "0"},
      {"Dom Kultury", "32", "0", "0"}}},
    {CD, "BUILDNGP.shp", Shape::Point, 40, {NAM, code("BFC"), code("HWT"), code("TUC")},
     {{"", "0", "0", "0"}, {"", "19", "0", "0"}, {"", "35", "0", "0"}, {"", "609", "0", "0"},
      {"Młyn Bielany"_cp, "22", "0", "0"}, {"", "5", "0", "0"}}},
    {AB, "BUILDNGA.SHP", Shape::SmallArea, 30, {NAM, code("BFC"), code("HWT")},
     {{"", "0", "0"}, {"Klasztor Karmelitów Bosych"_cp, "0", "7"}, {"", "27", "0"}, {"", "6", "0"},
      {"", "901", "0"}, {"Ratusz", "52", "0"}, {"", "0", "20"}}},
    {CD, "BUILDNGA.shp", Shape::SmallArea, 20, {NAM, code("BFC"), code("HWT")},
     {{"", "0", "0"}, {"", "609", "0"}, {"", "15", "0"}, {"Kościół św. Wojciecha"_cp, "0", "4"}}},
    {AB, "BUILTUPA.shp", Shape::HoledArea, 0, {NAM, NA2, PIT},
     {{"Krzeszowice", "", "25.00"}, {"Nowa", "Wieś"_cp, "3.10"}, {"", "Dubie", "0.30"}}},
    {CD, "BUILTUPA.shp", Shape::HoledArea, 0, {NAM, NA2, PIT},
     {{"Tenczynek", "", "8.40"}, {"", "", "0.45"}}},
    {AB, "CONTOURL.shp", Shape::LongLine, 0, {code("HQC"), ZV2},
     {{"1", "300.00"}, {"2", "320.00"}, {"2", "340.00"}, {"1", "350.00"}, {"3", "360.00"}, {"1", "400.00"}}},
    {CD, "CONTOURL.shp", Shape::LongLine, 0, {code("HQC"), ZV2},
     {{"1", "250.00"}, {"2", "262.50"}, {"1", "275.00"}, {"14", "287.45"}}},
    {AB, "ELEVP.shp", Shape::Point, 0, {ZV2, NAM}, {{"312.70", ""}, {"401.00", ""}, {"", ""}, {"287.49", ""}}},
    {CD, "ELEVP.shp", Shape::Point, 0, {ZV2, NAM}, {{"244.30", ""}, {"268.50", ""}}},

    // Northern sheet.
    {AB, "AIRPORTP.shp", Shape::Point, 0, {NAM, code("USE")},
     {{"Lądowisko Krzeszowice"_cp, "49"}, {"", "8"}, {"", "77"}, {"Aeroklub Jura", "77"}}},
    {AB, "Jeziora/LAKEA.shp", Shape::HoledArea, 0, {NAM, ARH},
     {{"Zalew na Zalasie", "25.4"}, {"Staw Dworski", "0.5"}, {"", "1200.0"}, {"Stawy w Rudnie", "305.0"}}},
    {AB, "PARKA.shp", Shape::Area, 0, {NAM, code("USE")},
     {{"Park Krajobrazowy Dolinki Krakowskie", "501"}, {"Ojcowski Park Narodowy", "0"}, {"", "144"},
      {"Park Zdrojowy", "7"}, {"", "4"}}},
    {AB, "PWRLINEL.shp", Shape::LongLine, 0, {code("HGT"), NAM, code("KVA")},
     {{"45", "", "220"}, {"30", "Linia Byczyna-Tucznawa", "400"}, {"0", "", "110"}, {"29999", "", "15"}}},
    {AB, "SUBSTATP.shp", Shape::Point, 0, {NAM, code("EPW"), code("EP1"), code("EP2")},
     {{"GPZ Krzeszowice", "0", "110", "15"}, {"", "0", "400", "999"}, {"Rozdzielnia", "50", "0", "0"}}},
    {AB, "SUBSTATA.shp", Shape::Area, 0, {NAM, code("EPW"), code("EP1"), code("EP2")},
     {{"Stacja Wielkie Drogi", "0", "220", "110"}, {"", "120", "0", "0"}}},
    {AB, "POWERPLP.shp", Shape::Point, 0, {NAM, code("PPC"), code("EPW")},
     {{"", "1", "120"}, {"Elektrownia Siersza", "4", "0"}, {"", "8", "120"}, {"", "5", "0"}}},
    {AB, "POWERPLA.shp", Shape::Area, 0, {NAM, code("PPC"), code("EPW")},
     {{"Elektrociepłownia"_cp, "4", "786"}, {"", "3", "0"}}},
    {AB, "CTRLPNTP.shp", Shape::Point, 0, {NAM, code("CSC"), ZV2},
     {{"tr:GÓRA ZBÓJECKA"_cp, "0", "402.30"}, {"tr:Rudno", "3", "385.50"}, {"", "7", "366.00"},
      {"tr:Kamieniec", "7", "350.00"}, {"tr:WIERCH ŁYSY"_cp, "7", "420.40"}}},
    {AB, "MTNPASSP.shp", Shape::Point, 0, {NAM, ZV2}, {{"Przełęcz Tenczyńska"_cp, "402.00"}, {"", "398.60"}}},
    {AB, "HYDROTXT.shp", Shape::Point, 0, {VG_TEXT, F_CODE, code("SYMBOL_ID")},
     {{"Rudawa", "", ""}, {"12", "ZD045", "8"}, {"29999", "ZD045", "8"}, {"UNK", "", ""}, {"3", "ZD045", "2"}}},
    {AB, "ADMBNDL.shp", Shape::LongLine, 0, {code("USE"), {"NM3", 'C', 30, 0}, {"NM4", 'C', 30, 0}},
     {{"30", "Krzeszowice", "Zabierzów"_cp}, {"26", "małopolskie"_cp, "śląskie"_cp}, {"984", "", ""}}},
    {AB, "CEMETRYP.shp", Shape::Point, 0, {NAM, code("REL")},
     {{"Cmentarz parafialny", "3"}, {"", "5"}, {"", "9"}}},
    {AB, "TOWERNCP.shp", Shape::Point, 0, {NAM, code("TTC"), code("HGT")},
     {{"", "2", "25"}, {"Wieża widokowa na Gaiku"_cp, "2", "0"}, {"", "12", "30000"}, {"", "0", "0"}}},
    {AB, "COMMTWRP.shp", Shape::Point, 0, {NAM, code("NST"), code("HGT")},
     {{"", "501", "60"}, {"RTCN Chorągwica"_cp, "15", "120"}, {"", "0", "0"}}},
    {AB, "CHIMNEYP.shp", Shape::Point, 0, {NAM, code("HGT")}, {{"", "80"}, {"Komin ciepłowni"_cp, "120"}}},
    {AB, "CROSSP.shp", Shape::Point, 6, {NAM}, {{""}, {"Krzyż przydrożny"_cp}}},
    {AB, "RAILRDL.shp", Shape::LongLine, 0, {NAM, code("RGC")}, {{"", "2"}, {"Linia Kraków-Trzebinia"_cp, "1"}}},
    {AB, "GENERTXT.shp", Shape::Point, 0, {VG_TEXT}, {{"Dolina Eliaszówki"_cp}, {"Zamek Tenczyn"}, {""}}},
    {AB, "QUARRYA.shp", Shape::Area, 0, {NAM, code("PRO"), code("PFH")},
     {{"Kamieniołom Zalas"_cp, "108", "45"}, {"", "43", "0"}, {"", "999", "12"}}},
    {AB, "SANCTRYA.shp", Shape::Area, 0, {NAM, code("RE2")}, {{"Dolina Racławki"_cp, "9"}, {"", "1"}}},
    {AB, "EMBANKL.shp", Shape::ShortLine, 0, {code("CET"), code("TUC"), code("PFH")},
     {{"1", "3", "4"}, {"1", "2", "4"}, {"999", "1", "0"}}},
    {AB, "BRIDGEC.shp", Shape::Point, 0, {NAM}, {{"Most na Rudawie"}, {""}}},
    {AB, "ISLANDA.shp", Shape::Area, 0, {NAM}, {{"Wyspa Łabędzia"_cp}, {""}}},
    {AB, "PYLONC.shp", Shape::Point, 0, {NAM, code("MCC"), code("HGT")}, {{"", "107", "38"}, {"", "83", "0"}}},
    {AB, "GRASSA.shp", Shape::Area, 4, {NAM}, {{""}, {"Błonia"_cp}}},
    // A layer whose name no table knows: reported, counted, not written.
    {AB, "LAWKIP.shp", Shape::Point, 0, {NAM}, {{"Ławka"_cp}, {""}}},

    // Southern sheet.
    {CD, "DITCHL.shp", Shape::ShortLine, 0, {NAM, code("HYC"), code("WWR")},
     {{"", "3", "0"}, {"", "8", "0"}, {"", "0", "2"}, {"", "0", "3"}}},
    {CD, "CANALL.shp", Shape::LongLine, 0, {NAM, code("HYC"), code("WWR")},
     {{"Kanał Młynówka"_cp, "0", "2"}, {"", "3", "0"}}},
    {CD, "CEMETRYA.shp", Shape::Area, 0, {NAM, code("REL")}, {{"", "3"}, {"Cmentarz żydowski"_cp, "5"}}},
    {CD, "CROPA.shp", Shape::Area, 0, {NAM, code("VEG")}, {{"", "703"}, {"", "999"}, {"", "55"}}},
    {CD, "ORCHARA.shp", Shape::Area, 0, {NAM, code("VEG")}, {{"", "601"}, {"", "604"}, {"", "102"}}},
    {CD, "PROCPLTP.shp", Shape::Point, 0, {NAM, code("BFC")}, {{"", "24"}, {"", "777"}, {"Cegielnia", "1"}}},
    {CD, "PROCPLTA.shp", Shape::Area, 0, {NAM, code("BFC")}, {{"", "24"}, {"", "777"}}},
    {CD, "GRDELEMA.shp", Shape::Area, 0, {NAM, code("MCC")}, {{"", "8"}, {"", "55"}}},
    {CD, "WELLSPRP.shp", Shape::Point, 0, {NAM, code("SWT"), code("DEP")},
     {{"Źródło św. Jana"_cp, "6", "0"}, {"", "4", "12"}}},
    {CD, "MONUMNTP.shp", Shape::Point, 0, {NAM, code("HGT")}, {{"Kopiec Grunwaldzki", "12"}, {"", "3"}}},
    {CD, "BLUFFL.shp", Shape::ShortLine, 0, {NAM, code("PFH")}, {{"", "12"}, {"Skałki Bielańskie"_cp, "0"}}},
    {CD, "SWAMPA.shp", Shape::Area, 0, {NAM}, {{""}, {"Błota"_cp}}},
    {CD, "VEHICLEA.shp", Shape::Area, 0, {NAM}, {{""}, {"Parking przy stacji"}}},
    {CD, "ATHLFLDA.shp", Shape::Area, 0, {NAM}, {{"Boisko LKS Tenczynek"}}},
    {CD, "RESERVRA.shp", Shape::Area, 0, {NAM}, {{"Zbiornik Bielany"}}},
    {CD, "FISHFRMA.shp", Shape::Area, 0, {NAM}, {{"Stawy Rybne"}, {""}}},
    {CD, "FENCEL.shp", Shape::ShortLine, 4, {NAM}, {{""}}},
    {CD, "HEDGEL.shp", Shape::ShortLine, 3, {NAM}, {{""}}},
    {CD, "TRAILL.shp", Shape::ShortLine, 0, {NAM}, {{"Ścieżka dydaktyczna"_cp}, {""}}},
    {CD, "CARTRACL.shp", Shape::ShortLine, 4, {NAM}, {{""}}},
    {CD, "RUINSP.shp", Shape::Point, 0, {NAM}, {{"Ruiny zamku Tenczyn"}}},
    {CD, "CAVEP.shp", Shape::Point, 0, {NAM}, {{"Jaskinia Nietoperzowa"}}},
    {CD, "TREESP.shp", Shape::Point, 0, {NAM}, {{"Dąb Józef"_cp}}},
    {CD, "WINDMILP.shp", Shape::Point, 0, {NAM}, {{""}}},
    {CD, "PHYSTXT.shp", Shape::Point, 0, {VG_TEXT}, {{"Garb Tenczyński"_cp}}},
};

// A finished map of tourist trails, as another tool writes it: Windows line
// ends, its own header and a coverage area in the old notation.
constexpr const char* kTrailMapFile = "szlaki.mp";
constexpr int kTrailMapSheet = CD;
constexpr const char* kTrailMap =
    "; Szlaki turystyczne - dane uzupełniające\r\n"
    "[IMG ID]\r\n"
    "ID=75831572\r\n"
    "Name=Szlaki\r\n"
    "CodePage=1250\r\n"
    "[END-IMG ID]\r\n"
    "\r\n"
    "[RGN80]\r\n"
    "Type=0x4a\r\n"
    "Label=m34-131\r\n"
    "Data0=(50.1000000,19.5000000),(50.1000000,19.7500000),(50.0000000,19.7500000),(50.0000000,19.5000000)\r\n"
    "[END-RGN80]\r\n"
    "\r\n"
    "[POLYLINE]\r\n"
    "Type=0x16\r\n"
    "Label=Szlak czerwony Tenczynek-Rudno\r\n"
    "EndLevel=2\r\n"
    "Data0=(50.0120000,19.5210000),(50.0180000,19.5420000),(50.0230000,19.5700000),(50.0310000,19.5930000)\r\n"
    "[END]\r\n"
    "\r\n"
    "[POI]\r\n"
    "Type=0x2b02\r\n"
    "Label=Schronisko pod Gaikiem\r\n"
    "EndLevel=1\r\n"
    "Data0=(50.0240000,19.5710000)\r\n"
    "[END]\r\n"
    "\r\n"
    "[POLYGON]\r\n"
    "Type=0x17\r\n"
    "Label=Polana widokowa\r\n"
    "Data0=(50.0260000,19.5800000),(50.0280000,19.5850000),(50.0250000,19.5880000),(50.0230000,19.5820000)\r\n"
    "[END]\r\n"
    "\r\n"_cp;

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

// xorshift64*, seeded from the layer's sheet and file name.
struct Generator {
    uint64_t state;

    explicit Generator(const std::string& seed) : state(1469598103934665603ull) {
        for (unsigned char c : seed) state = (state ^ c) * 1099511628211ull;  // FNV-1a
        if (state == 0) state = 1;
    }
    uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 2685821657736338717ull;
    }
    double uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(next() >> 11) * 0x1p-53;
    }
};

// Twelve directions, 30 degrees apart, counter-clockwise from east.
constexpr XY kDirections[12] = {
    {1, 0},         {0.8660254, 0.5},  {0.5, 0.8660254},   {0, 1},
    {-0.5, 0.8660254}, {-0.8660254, 0.5}, {-1, 0},          {-0.8660254, -0.5},
    {-0.5, -0.8660254}, {0, -1},       {0.5, -0.8660254},  {0.8660254, -0.5},
};

// A degree of longitude is this much shorter than one of latitude here.
constexpr double kLongitudeStretch = 1.55;
constexpr double kMargin = 0.002;

using Ring = std::vector<XY>;

// A closed ring around a centre, star-shaped so that it never crosses
// itself: clockwise for an outer ring, counter-clockwise for a hole.
Ring starRing(Generator& random, XY centre, double radius, bool clockwise) {
    Ring ring;
    for (int k = 0; k < 12; ++k) {
        const XY& d = kDirections[clockwise ? (12 - k) % 12 : k];
        double r = radius * random.uniform(0.75, 1.0);
        ring.push_back({centre.x + d.x * r * kLongitudeStretch, centre.y + d.y * r});
    }
    ring.push_back(ring.front());
    return ring;
}

XY pointInside(Generator& random, const Sheet& sheet, double reach) {
    double dx = reach * kLongitudeStretch + kMargin;
    double dy = reach + kMargin;
    return {random.uniform(sheet.west + dx, sheet.east - dx), random.uniform(sheet.south + dy, sheet.north - dy)};
}

// A line wandering eastwards from `start` in `steps` steps.
Ring wanderingLine(Generator& random, const Sheet& sheet, XY start, int steps, double stepX, double sway) {
    Ring line{start};
    XY p = start;
    for (int k = 0; k < steps; ++k) {
        p.x += stepX;
        p.y += random.uniform(-sway, sway);
        if (p.y < sheet.south + kMargin) p.y = sheet.south + kMargin;
        if (p.y > sheet.north - kMargin) p.y = sheet.north - kMargin;
        line.push_back(p);
    }
    return line;
}

testsupport::Bytes shapeOf(Shape shape, Generator& random, const Sheet& sheet) {
    switch (shape) {
    case Shape::Point: {
        XY p = pointInside(random, sheet, 0);
        return testsupport::pointShape(p.x, p.y);
    }
    case Shape::LongLine: {
        constexpr int kSteps = 48;
        double west = sheet.west + kMargin;
        XY start{west, random.uniform(sheet.south + kMargin, sheet.north - kMargin)};
        return testsupport::polylineShape(
            {wanderingLine(random, sheet, start, kSteps, (sheet.east - kMargin - west) / kSteps, 0.0012)});
    }
    case Shape::ShortLine: {
        XY start = pointInside(random, sheet, 0.01);
        return testsupport::polylineShape({wanderingLine(random, sheet, start, 8, 0.0025, 0.0008)});
    }
    case Shape::SmallArea: {
        double h = random.uniform(0.00012, 0.00030);
        double w = h * random.uniform(1.2, 2.4);
        XY c = pointInside(random, sheet, 0.001);
        return testsupport::polygonShape(
            {{{c.x, c.y}, {c.x, c.y + h}, {c.x + w, c.y + h}, {c.x + w, c.y}, {c.x, c.y}}});
    }
    case Shape::Area: {
        double radius = random.uniform(0.002, 0.005);
        return testsupport::polygonShape({starRing(random, pointInside(random, sheet, radius), radius, true)});
    }
    case Shape::HoledArea: {
        double radius = random.uniform(0.007, 0.012);
        XY centre = pointInside(random, sheet, radius);
        Ring outer = starRing(random, centre, radius, true);
        Ring hole = starRing(random, centre, radius * 0.3, false);
        return testsupport::polygonShape({outer, hole});
    }
    }
    return testsupport::nullShape();
}

uint32_t shapeType(Shape shape) {
    switch (shape) {
    case Shape::Point: return 1;
    case Shape::LongLine:
    case Shape::ShortLine: return 3;
    default: return 5;
    }
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

// Numbers stand right-aligned in their field, as DBF writers put them.
std::string fieldValue(const SampleColumn& column, const char* value) {
    std::string text = value ? value : "";
    if (column.type == 'N' && text.size() < column.width) text.insert(0, column.width - text.size(), ' ');
    return text;
}

int columnCount(const SampleLayer& layer) {
    int n = 0;
    while (n < kMaxColumns && layer.columns[n].name) ++n;
    return n;
}

int rowCount(const SampleLayer& layer) {
    int n = 0;
    while (n < kMaxRows && layer.rows[n][0]) ++n;
    return n;
}

// The name of a file beside the shapefile (the index, the attribute table):
// the shapefile's, with `extension` in the case of its own.
std::string siblingName(const std::string& file, std::string extension) {
    if (file.compare(file.size() - 4, 4, ".SHP") == 0)
        for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return file.substr(0, file.size() - 4) + extension;
}

bool writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    report::error("sample_sheets: cannot write %s\n", path.string().c_str());
    return false;
}

bool writeLayer(const std::filesystem::path& directory, const SampleLayer& layer) {
    const Sheet& sheet = kSheets[layer.sheet];
    Generator random(std::string(sheet.name) + "/" + layer.file);
    int columns = columnCount(layer);
    int rows = rowCount(layer);
    int features = layer.features > 0 ? layer.features : rows;

    std::vector<testsupport::DbfColumn> dbfColumns;
    for (int c = 0; c < columns; ++c) {
        const SampleColumn& column = layer.columns[c];
        dbfColumns.push_back({column.name, column.type, column.width, column.decimals});
    }
    std::vector<testsupport::ShpRecord> records;
    std::vector<std::vector<std::string>> values;
    for (int i = 0; i < features; ++i) {
        records.push_back({shapeOf(layer.shape, random, sheet)});
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) row.push_back(fieldValue(layer.columns[c], layer.rows[i < rows ? i : 0][c]));
        values.push_back(row);
    }
    testsupport::ShpOptions header{.shapeType = shapeType(layer.shape)};
    return writeBytes(directory / layer.file, testsupport::buildShp(records, header)) &&
           writeBytes(directory / siblingName(layer.file, ".shx"), testsupport::buildShx(records, header)) &&
           writeBytes(directory / siblingName(layer.file, ".dbf"), testsupport::buildDbf(dbfColumns, values));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        report::error("usage: sample_sheets DIR\n");
        return 2;
    }
    std::filesystem::path root = argv[1];
    std::error_code error;
    for (const Sheet& sheet : kSheets) {
        std::filesystem::create_directories(root / sheet.name, error);
        if (error) {
            report::error("sample_sheets: cannot create %s: %s\n", (root / sheet.name).string().c_str(),
                          error.message().c_str());
            return 1;
        }
    }
    int files[std::size(kSheets)] = {};
    for (const SampleLayer& layer : kLayers) {
        std::filesystem::path directory = root / kSheets[layer.sheet].name;
        std::filesystem::create_directories((directory / layer.file).parent_path(), error);
        if (!writeLayer(directory, layer)) return 1;
        ++files[layer.sheet];
    }
    if (!writeBytes(root / kSheets[kTrailMapSheet].name / kTrailMapFile, kTrailMap)) return 1;
    for (std::size_t s = 0; s < std::size(kSheets); ++s)
        report::out("%s: %d layers%s\n", kSheets[s].name, files[s],
                    static_cast<int>(s) == kTrailMapSheet ? " and a map to merge" : "");
    return 0;
}
