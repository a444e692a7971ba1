#include "input/crs.hpp"

#include <algorithm>
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
    X(proj_errno_reset) X(proj_trans_generic)

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
};

namespace {

enum class Opening { ready, unknown, unsupported };

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

// Points in place, interleaved X, Y; false when any cannot be transformed.
bool transformPoints(const LayerTransform& transform, double* xy, std::size_t count) {
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
    bool transformed = transformPoints(transform, xy, numPoints);
    if (transformed && shape != kPointShape) {
        // The box that sizes areas and places extra points is that of the
        // transformed points; without points, its own corners transformed.
        double box[4];
        if (numPoints == 0) {
            std::memcpy(box, copy + kBoxOffset, sizeof box);
            transformed = transformPoints(transform, box, 2);
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
