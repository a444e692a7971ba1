#include "input/crs.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "text/report.hpp"

#ifdef GEOCONV_PROJ_LIBRARY
#include <dlfcn.h>
#include <proj.h>
#endif

using namespace text::literals;

namespace input {

namespace {

// The header's bounding box: Xmin, Ymin, Xmax, Ymax from byte 36.
constexpr uint32_t kHeaderBox = 36;

#ifdef GEOCONV_PROJ_LIBRARY

// PROJ is loaded when the first layer needs it: the program starts without
// it (and its many libraries), and runs over layers in degrees never open
// its database. Without the library those layers are refused as in a build
// without PROJ.
#define GEOCONV_PROJ_ROUTINES(X)                                                                            \
    X(proj_context_create) X(proj_log_level) X(proj_context_set_enable_network) X(proj_create_from_wkt)      \
    X(proj_create) X(proj_is_crs) X(proj_get_type) X(proj_create_crs_to_crs_from_pj)                        \
    X(proj_normalize_for_visualization) X(proj_coordoperation_is_instantiable) X(proj_destroy)               \
    X(proj_errno_reset) X(proj_trans_generic) X(proj_coordoperation_get_grid_used_count)

struct ProjLibrary {
#define GEOCONV_DECLARE(name) decltype(&::name) name = nullptr;
    GEOCONV_PROJ_ROUTINES(GEOCONV_DECLARE)
#undef GEOCONV_DECLARE
    PJ_CONTEXT* context = nullptr;
    PJ* degrees = nullptr;  // WGS 84 longitude and latitude
};

// The library with its context, or null when it cannot be loaded.
ProjLibrary* projLibrary() {
    static ProjLibrary library;
    static int state = 0;  // 0: not tried, 1: loaded, -1: not available
    if (state == 0) {
        state = -1;
        void* handle = dlopen(GEOCONV_PROJ_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
#define GEOCONV_LOAD(name)                                                          \
    library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));       \
    if (!library.name) return nullptr;
        GEOCONV_PROJ_ROUTINES(GEOCONV_LOAD)
#undef GEOCONV_LOAD
        library.context = library.proj_context_create();
        if (!library.context) return nullptr;
        // Its own messages would stand beside the program's; grids come from
        // the disk only.
        library.proj_log_level(library.context, PJ_LOG_NONE);
        library.proj_context_set_enable_network(library.context, 0);
        state = 1;
    }
    return state == 1 ? &library : nullptr;
}

#endif

}  // namespace

// PROJ's transformation from a layer's system to degrees, longitude first,
// with the source axes in easting, northing order as shapefiles hold them.
struct LayerTransform {
#ifdef GEOCONV_PROJ_LIBRARY
    PJ* operation = nullptr;
#endif
    bool smooth = false;  // one operation without grids: interpolated by tiles
};

namespace {

enum class Opening { ready, unknown, unsupported };

void forgetTiles();

#ifdef GEOCONV_PROJ_LIBRARY
// The transformation of the last .prj text: the layers of a sheet tree
// mostly share one, and making it costs database queries.
std::string cachedText;
LayerTransform cachedTransform;
#endif

Opening transformFor(const std::string& wkt, const LayerTransform*& out) {
#ifdef GEOCONV_PROJ_LIBRARY
    if (cachedTransform.operation && wkt == cachedText) {
        out = &cachedTransform;
        return Opening::ready;
    }
    ProjLibrary* proj = projLibrary();
    if (!proj) return Opening::unsupported;
    PJ_CONTEXT* context = proj->context;
    if (!proj->degrees) proj->degrees = proj->proj_create(context, "EPSG:4326");
    if (!proj->degrees) return Opening::unsupported;  // no database
    const char* const options[] = {"STRICT=NO", nullptr};
    PJ* source = proj->proj_create_from_wkt(context, wkt.c_str(), options, nullptr, nullptr);
    PJ* operation = nullptr;
    if (source && proj->proj_is_crs(source) && proj->proj_get_type(source) != PJ_TYPE_GEOCENTRIC_CRS)
        operation = proj->proj_create_crs_to_crs_from_pj(context, source, proj->degrees, nullptr, nullptr);
    PJ* normalised = operation ? proj->proj_normalize_for_visualization(context, operation) : nullptr;
    for (PJ* used : {source, operation})
        if (used) proj->proj_destroy(used);
    // A single operation must be one PROJ can carry out (a method it knows,
    // its grids at hand); several candidates are chosen among point by point
    // by PROJ itself.
    if (normalised && proj->proj_get_type(normalised) != PJ_TYPE_UNKNOWN &&
        !proj->proj_coordoperation_is_instantiable(context, normalised)) {
        proj->proj_destroy(normalised);
        normalised = nullptr;
    }
    if (!normalised) return Opening::unknown;
    if (cachedTransform.operation) proj->proj_destroy(cachedTransform.operation);
    cachedTransform.operation = normalised;
    // Several candidates switch where their areas of use meet, and a grid is
    // bilinear between its nodes: neither is smooth enough to interpolate.
    cachedTransform.smooth = proj->proj_get_type(normalised) != PJ_TYPE_UNKNOWN &&
                             proj->proj_coordoperation_get_grid_used_count(context, normalised) == 0;
    forgetTiles();
    cachedText = wkt;
    out = &cachedTransform;
    return Opening::ready;
#else
    (void)wkt;
    (void)out;
    return Opening::unsupported;
#endif
}

// Without a .prj the coordinates are taken as degrees, which the header's box
// must then be; a box that is not a number tells nothing and passes.
bool headerBoxInDegrees(const uint8_t* header) {
    double xMin = readLittleEndianDouble(header + kHeaderBox), yMin = readLittleEndianDouble(header + kHeaderBox + 8);
    double xMax = readLittleEndianDouble(header + kHeaderBox + 16);
    double yMax = readLittleEndianDouble(header + kHeaderBox + 24);
    auto outside = [](double v, double limit) { return v < -limit || v > limit; };
    return !(outside(xMin, 180) || outside(xMax, 180) || outside(yMin, 90) || outside(yMax, 90));
}

}  // namespace

bool pointsToDegreesExactly(const LayerTransform& transform, double* xy, std::size_t count) {
#ifdef GEOCONV_PROJ_LIBRARY
    ProjLibrary* proj = projLibrary();
    proj->proj_errno_reset(transform.operation);
    proj->proj_trans_generic(transform.operation, PJ_FWD, xy, 2 * sizeof(double), count, xy + 1,
                             2 * sizeof(double), count, nullptr, 0, 0, nullptr, 0, 0);
    for (std::size_t i = 0; i < 2 * count; ++i)
        if (!std::isfinite(xy[i])) return false;
    return true;
#else
    (void)transform;
    (void)xy;
    return count == 0;
#endif
}

namespace {

// PROJ costs hundreds of nanoseconds a point. A smooth transformation is
// interpolated from its own exact values instead: the source plane is cut into
// square tiles whose side is a power of two units (so tile edges are exact), and
// on each tile longitude and latitude are bicubic polynomials through PROJ's
// values at 4 by 4 nodes, the outer ones on the tile's edges (neighbours agree
// along them). A tile is used only where the polynomials match PROJ within
// kTolerance at the 3 by 3 points midway between the nodes; the points of any
// other tile go through PROJ. Which way a point goes depends on the point
// alone, never on its record, so shared vertices stay equal.
constexpr double kTolerance = 5e-11;   // degrees: a twentieth of the 1e-9 kept
constexpr double kTileSpan = 0.25;     // degrees a tile spans at most, about
constexpr uint32_t kTileSlots = 8192;  // open addressing, at most half full
constexpr int kMaxTiles = kTileSlots / 2;
constexpr double kNodes[4] = {-1, -1.0 / 3, 1.0 / 3, 1};

// basis[i][k]: the coefficient of u^k in the cubic that is 1 at node i and 0
// at the other nodes.
constexpr std::array<std::array<double, 4>, 4> lagrangeBasis() {
    std::array<std::array<double, 4>, 4> basis{};
    for (int i = 0; i < 4; ++i) {
        double poly[4] = {1, 0, 0, 0}, denominator = 1;
        int degree = 0;
        for (int q = 0; q < 4; ++q) {
            if (q == i) continue;
            ++degree;
            for (int k = degree; k > 0; --k) poly[k] = poly[k - 1] - kNodes[q] * poly[k];
            poly[0] = -kNodes[q] * poly[0];
            denominator *= kNodes[i] - kNodes[q];
        }
        for (int k = 0; k < 4; ++k) basis[i][k] = poly[k] / denominator;
    }
    return basis;
}
constexpr auto kBasis = lagrangeBasis();

enum class TileState : uint8_t { empty, interpolated, exact };

// Two doubles in one register: longitude and latitude computed at once.
typedef double Pair __attribute__((vector_size(16)));

struct Tile {
    int32_t column, row;
    TileState state;
    // Longitude and latitude side by side, evaluated together: the
    // coefficients of u^k v^l at 4 l + k, with u and v in [-1, 1].
    Pair coefficients[16];
};

// The tiles of the cached transformation, bounded: when full, all are dropped.
struct TileCache {
    double side = 0;     // source units; 0 not decided yet, below 0 no interpolation
    double inverse = 0;  // 1 / side
    std::unique_ptr<Tile[]> slots;
    int count = 0;
    uint64_t served = 0;  // points interpolated since the tiles were last dropped
    bool worthwhile = true;  // false: the next records go through PROJ
};
TileCache tiles;

void forgetTiles() {
    tiles.side = 0;
    tiles.count = 0;
    tiles.served = 0;
    tiles.worthwhile = true;
    if (tiles.slots)
        for (uint32_t i = 0; i < kTileSlots; ++i) tiles.slots[i].state = TileState::empty;
}

// Longitude and latitude at u, v of a tile.
inline Pair evaluate(const Pair* c, double u, double v) {
    // In pairs of terms rather than nested, for a shorter chain of operations.
    Pair pu = {u, u}, pv = {v, v}, uu = pu * pu, vv = pv * pv, rows[4];
    for (int l = 0; l < 4; ++l) rows[l] = (c[4 * l] + pu * c[4 * l + 1]) + uu * (c[4 * l + 2] + pu * c[4 * l + 3]);
    return (rows[0] + pv * rows[1]) + vv * (rows[2] + pv * rows[3]);
}

// The tile side from the scale of the transformation at a first point: the
// largest power of two spanning at most kTileSpan degrees. False while the
// point cannot be transformed.
bool decideTileSide(const LayerTransform& transform, double x, double y) {
    constexpr double step = 1.0 / 1024;
    double p[6] = {x, y, x + step, y, x, y + step};
    if (!pointsToDegreesExactly(transform, p, 3)) return false;
    double scale = std::max({std::fabs(p[2] - p[0]), std::fabs(p[3] - p[1]), std::fabs(p[4] - p[0]),
                             std::fabs(p[5] - p[1])}) / step;
    tiles.side = -1;
    if (!(scale > 0 && scale < 1e300)) return true;
    int exponent = std::clamp(static_cast<int>(std::floor(std::log2(kTileSpan / scale))), -40, 40);
    if (!tiles.slots) {
        tiles.slots.reset(new (std::nothrow) Tile[kTileSlots]);
        if (!tiles.slots) return true;
        forgetTiles();
    }
    tiles.side = std::ldexp(1.0, exponent);
    tiles.inverse = std::ldexp(1.0, -exponent);
    return true;
}

// The tile in that column and row: PROJ at the nodes and between them; it is
// interpolated only when every point transforms and the polynomials hit the
// points between within kTolerance.
Tile& makeTile(const LayerTransform& transform, Tile& tile, int32_t column, int32_t row) {
    tile.column = column;
    tile.row = row;
    tile.state = TileState::exact;
    double points[2 * 25];
    auto at = [&](int n, double u, double v) {
        points[2 * n] = (tile.column + (u + 1) / 2) * tiles.side;
        points[2 * n + 1] = (tile.row + (v + 1) / 2) * tiles.side;
    };
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 4; ++k) at(4 * l + k, kNodes[k], kNodes[l]);
    auto middle = [](int k) { return (kNodes[k] + kNodes[k + 1]) / 2; };
    for (int l = 0; l < 3; ++l)
        for (int k = 0; k < 3; ++k) at(16 + 3 * l + k, middle(k), middle(l));
    if (!pointsToDegreesExactly(transform, points, 25)) return tile;
    for (int out = 0; out < 2; ++out)
        for (int l = 0; l < 4; ++l)
            for (int k = 0; k < 4; ++k) {
                double sum = 0;
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i) sum += points[2 * (4 * j + i) + out] * kBasis[i][k] * kBasis[j][l];
                tile.coefficients[4 * l + k][out] = sum;
            }
    for (int l = 0; l < 3; ++l)
        for (int k = 0; k < 3; ++k) {
            const double* exact = points + 2 * (16 + 3 * l + k);
            Pair degrees = evaluate(tile.coefficients, middle(k), middle(l));
            if (!(std::fabs(degrees[0] - exact[0]) <= kTolerance && std::fabs(degrees[1] - exact[1]) <= kTolerance))
                return tile;
        }
    tile.state = TileState::interpolated;
    return tile;
}

// The tile in that column and row of the plane, made when first needed.
const Tile& tileAt(const LayerTransform& transform, int32_t column, int32_t row) {
    auto slotOf = [&] {
        return (static_cast<uint32_t>(column) * 0x9E3779B1u ^ static_cast<uint32_t>(row) * 0x85EBCA77u) %
               kTileSlots;
    };
    uint32_t slot = slotOf();
    for (; tiles.slots[slot].state != TileState::empty; slot = (slot + 1) % kTileSlots)
        if (tiles.slots[slot].column == column && tiles.slots[slot].row == row) return tiles.slots[slot];
    if (tiles.count == kMaxTiles) {
        // Tiles that served fewer points than PROJ made for them (points
        // scattered wide, a plane cut too fine) cost more than they save: the
        // records after this one go through PROJ, whose digits the map holds
        // anyway.
        bool worthwhile = tiles.served >= 25u * kMaxTiles;
        double side = tiles.side, inverse = tiles.inverse;
        forgetTiles();
        tiles.side = side;
        tiles.inverse = inverse;
        tiles.worthwhile = worthwhile;
        slot = slotOf();
    }
    ++tiles.count;
    return makeTile(transform, tiles.slots[slot], column, row);
}

// Whether a longitude or latitude within kTolerance of these may be written
// with another seventh decimal: such a point is taken from PROJ, so that the
// map holds what the exact transformation gives.
inline bool nearRoundingEdge(Pair degrees) {
    // Adding and taking away 1.5 * 2^52 rounds a number below 2^51 to an integer.
    constexpr double kDecimals = 1e7, kRound = 0x1.8p52;
    constexpr double kNear = 0.5 - 2 * kTolerance * kDecimals;  // from the integer
    Pair scaled = degrees * kDecimals;
    Pair offset = scaled - ((scaled + kRound) - kRound);
    auto near = offset * offset > kNear * kNear;
    return near[0] | near[1];
}

// Points in place, interleaved X, Y, interpolated where their tile allows and
// through PROJ, in batches, elsewhere; false when any cannot be transformed.
bool pointsToDegrees(const LayerTransform& transform, double* xy, std::size_t count) {
    if (!transform.smooth || count == 0) return pointsToDegreesExactly(transform, xy, count);
    if (tiles.side == 0 && !decideTileSide(transform, xy[0], xy[1]))
        return pointsToDegreesExactly(transform, xy, count);
    if (tiles.side < 0 || !tiles.worthwhile) return pointsToDegreesExactly(transform, xy, count);
    constexpr std::size_t kBatch = 64;
    double batch[2 * kBatch];
    std::size_t batchAt[kBatch], batched = 0;
    auto flush = [&] {
        if (!pointsToDegreesExactly(transform, batch, batched)) return false;
        for (std::size_t i = 0; i < batched; ++i) {
            xy[2 * batchAt[i]] = batch[2 * i];
            xy[2 * batchAt[i] + 1] = batch[2 * i + 1];
        }
        batched = 0;
        return true;
    };
    // The tile in hand, its coefficients copied where stores to xy cannot
    // reach them: most records lie in one tile.
    const double inverse = tiles.inverse;
    int32_t column = 0, row = 0;
    bool inHand = false, interpolated = false;
    Pair coefficients[16];
    uint64_t served = 0;
    for (std::size_t i = 0; i < count; ++i) {
        double tx = xy[2 * i] * inverse, ty = xy[2 * i + 1] * inverse;
        if (std::fabs(tx) < 1e9 && std::fabs(ty) < 1e9) {
            // Rounded down without a call to floor: this runs for every point.
            auto x = static_cast<int32_t>(tx), y = static_cast<int32_t>(ty);
            x -= x > tx;
            y -= y > ty;
            if (!inHand || x != column || y != row) {
                const Tile& tile = tileAt(transform, x, y);
                column = x;
                row = y;
                inHand = true;
                interpolated = tile.state == TileState::interpolated;
                if (interpolated) std::memcpy(coefficients, tile.coefficients, sizeof coefficients);
            }
            if (interpolated) {
                Pair degrees = evaluate(coefficients, 2 * (tx - column) - 1, 2 * (ty - row) - 1);
                if (!nearRoundingEdge(degrees)) {
                    xy[2 * i] = degrees[0];
                    xy[2 * i + 1] = degrees[1];
                    ++served;
                    continue;
                }
            }
        }
        batch[2 * batched] = xy[2 * i];
        batch[2 * batched + 1] = xy[2 * i + 1];
        batchAt[batched++] = i;
        if (batched == kBatch && !flush()) return false;
    }
    tiles.served += served;
    return batched == 0 || flush();
}

// The copy of the record being transformed, kept and grown for the process:
// records allocate nothing once the largest has been seen.
std::unique_ptr<uint64_t[]> copyWords;
std::size_t copyCapacity = 0;  // words

// A copy of the content whose points (from pointsOffset) lie on 8-byte
// boundaries, as PROJ reads them; null when no memory is left.
uint8_t* alignedCopy(const ShapeRecord& record, uint32_t pointsOffset) {
    std::size_t lead = (8 - pointsOffset % 8) % 8;
    std::size_t words = (lead + record.length + 7) / 8;
    if (words > copyCapacity) {
        std::unique_ptr<uint64_t[]> larger(new (std::nothrow) uint64_t[words]);
        if (!larger) return nullptr;
        copyWords = std::move(larger);
        copyCapacity = words;
    }
    uint8_t* copy = reinterpret_cast<uint8_t*>(copyWords.get()) + lead;
    std::memcpy(copy, record.content, record.length);
    return copy;
}

void writeDouble(uint8_t* at, double value) {
    std::memcpy(at, &value, sizeof value);
}

}  // namespace

int openLayerCoordinates(ShpFile& shp, const uint8_t* header) {
    shp.transform = nullptr;
    std::string prjPath(shp.path);
    prjPath.replace(prjPath.size() - 3, 3, "prj");
    if (!findAnyCase(prjPath)) {
        if (headerBoxInDegrees(header)) return 1;
        report::failure("wspolrzedne poza zakresem stopni, plik %s\n"_cp, shp.path);
        return 0;
    }
    FileBuffer prj;
    if (!readWholeFile(prjPath.c_str(), prj)) return 0;
    std::string wkt(reinterpret_cast<const char*>(prj.bytes.get()), prj.length);
    WktKind kind = wktKind(wkt);
    if (kind == WktKind::wgs84Degrees) return 1;
    Opening opening = transformFor(wkt, shp.transform);
    if (opening == Opening::ready) return 1;
    // Without PROJ a text that cannot be read at all is unknown too; one that
    // can is a system this program cannot transform.
    if (opening == Opening::unknown || kind == WktKind::unreadable)
        report::failure("nieznany uklad wspolrzednych w pliku %s\n"_cp, prjPath.c_str());
    else
        report::failure("brak obslugi ukladu wspolrzednych, plik %s\n"_cp, prjPath.c_str());
    return 0;
}

bool recordToDegrees(const LayerTransform& transform, const char* path, ShapeRecord& record) {
    if (record.length < 4) return true;
    uint32_t shape = writtenShapeType(readLittleEndian32(record.content));
    uint32_t pointsOffset = kPointXOffset;
    uint64_t numPoints = 1;
    if (shape == kPolylineShape || shape == kPolygonShape) {
        if (record.length < kPartsOffset) return true;
        uint32_t numParts = readLittleEndian32(record.content + kNumPartsOffset);
        numPoints = readLittleEndian32(record.content + kNumPointsOffset);
        if (kPartsOffset + 4 * uint64_t{numParts} + uint64_t{kPointBytes} * numPoints > record.length) return true;
        pointsOffset = kPartsOffset + 4 * numParts;
    } else if (shape != kPointShape || record.length < kPointContentLength) {
        return true;
    }
    uint8_t* copy = alignedCopy(record, pointsOffset);
    if (!copy) {
        report::failure("brak pamieci operacyjnej, plik %s\n"_cp, path);
        return false;
    }
    double* xy = reinterpret_cast<double*>(copy + pointsOffset);
    bool transformed = pointsToDegrees(transform, xy, numPoints);
    if (transformed && shape != kPointShape) {
        // The box that sizes areas and places extra points is that of the
        // transformed points; without points, its own corners transformed.
        double box[4];
        if (numPoints == 0) {
            std::memcpy(box, copy + kBoxOffset, sizeof box);
            transformed = pointsToDegreesExactly(transform, box, 2);
            if (box[0] > box[2]) std::swap(box[0], box[2]);
            if (box[1] > box[3]) std::swap(box[1], box[3]);
        } else {
            box[0] = box[2] = xy[0];
            box[1] = box[3] = xy[1];
            for (uint64_t i = 1; i < numPoints; ++i) {
                box[0] = std::min(box[0], xy[2 * i]);
                box[2] = std::max(box[2], xy[2 * i]);
                box[1] = std::min(box[1], xy[2 * i + 1]);
                box[3] = std::max(box[3], xy[2 * i + 1]);
            }
        }
        for (int i = 0; i < 4; ++i) writeDouble(copy + kBoxOffset + 8 * i, box[i]);
    }
    if (!transformed) {
        report::error("blad przeliczenia wspolrzednych, rekord %u, plik %s\n"_cp, record.number, path);
        return false;
    }
    record.content = copy;
    return true;
}

}  // namespace input
