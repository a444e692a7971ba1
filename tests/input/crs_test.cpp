// The .prj texts read without PROJ: which are WGS 84 degrees as they stand;
// and the record walk's transformation against PROJ's own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "input/crs.hpp"
#include "support/program.hpp"
#include "support/shapefile_writer.hpp"

namespace {

using input::WktKind;
using namespace testsupport;

constexpr const char* kEsriWgs84 =
    R"w(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)w"
    R"w(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])w";

std::string replaced(std::string text, const std::string& part, const std::string& by) {
    return text.replace(text.find(part), part.size(), by);
}

TEST(Wkt, OnlyGeographicWgs84InDegreesFromGreenwichStandsAsItIs) {
    const std::string esri = kEsriWgs84;
    const std::pair<std::string, WktKind> cases[] = {
        {esri, WktKind::wgs84Degrees}, {replaced(esri, "D_WGS_1984", "WGS 84"), WktKind::wgs84Degrees},
        {"  \r\n" + replaced(esri, "GEOGCS[", "geogcs (").substr(0, esri.size()) + ")\n", WktKind::wgs84Degrees},
        {replaced(esri, "0.0174532925199433", "1.745329251994330e-2"), WktKind::wgs84Degrees},
        {replaced(esri, "0.0174532925199433", "0.0174532925199433" + std::string(200, '9')), WktKind::wgs84Degrees},
        // Other datums, units, meridians, and projected or derived systems.
        {replaced(esri, "D_WGS_1984", "D_ETRS_1989"), WktKind::other},
        {replaced(esri, "D_WGS_1984", "D_WGS_1972"), WktKind::other},
        {replaced(esri, "0.0174532925199433", "0.0157079632679489"), WktKind::other},  // grads
        {replaced(esri, "PRIMEM[\"Greenwich\",0.0]", "PRIMEM[\"Paris\",2.33722917]"), WktKind::other},
        {"PROJCS[\"x\"," + esri + ",PROJECTION[\"Mercator\"],UNIT[\"Meter\",1.0]]", WktKind::other},
        {replaced(esri, "UNIT[", "CS[Cartesian,3],UNIT["), WktKind::other},
        // Texts that are not well-known text at all.
        {"", WktKind::unreadable}, {"EPSG:4326", WktKind::unreadable},
        {esri.substr(0, esri.size() - 1), WktKind::unreadable}, {esri + "]", WktKind::unreadable},
        {replaced(esri, "\"GCS_WGS_1984\"", "\"GCS_WGS_1984"), WktKind::unreadable},
        {std::string(100, 'A') + std::string(100000, '[') + std::string(100000, ']'), WktKind::unreadable},
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(input::wktKind(text), kind) << text.substr(0, 200);
}

// Records transformed by the walk against each point through PROJ alone,
// over extents reaching where the projections bend fastest (30 degrees off a
// transverse Mercator's meridian, pole to pole, Mercator to 89 degrees and
// across the antimeridian): every point within 1e-9 degree and written with
// the same seventh decimal, or its record dropped by both. Random walks as
// roads are, over more tiles than are kept at once.
TEST(Crs, RecordsInterpolatedStayWithinTheBoundOfProj) {
    const struct {
        const char* prj;
        double x0, y0, x1, y1;  // extent
        double step;            // of the walks
    } cases[] = {
        {"poland_cs92", 0, 0, 1.2e6, 1.2e6, 1000}, {"utm33", -3e6, -1e7, 4e6, 1e7, 2000},
        {"web_mercator", -2.2e7, -3e7, 2.2e7, 3e7, 4000},
    };
    constexpr int kRecords = 6000, kPoints = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prj);
        TempDir dir;
        writeFile(dir.file("layer.prj"), readFile(GEOCONV_TEST_DATA "/" + std::string(c.prj) + ".prj"));
        std::string path = dir.file("layer.shp");
        input::ShpFile shp{path.c_str(), nullptr, 0};
        uint8_t header[100] = {};
        if (!input::openLayerCoordinates(shp, header)) GTEST_SKIP() << "built without PROJ";
        ASSERT_NE(shp.transform, nullptr);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> unit(0, 1);
        int far = 0, roundedOtherwise = 0, dropped = 0, interpolated = 0;
        for (int r = 0; r < kRecords; ++r) {
            std::vector<XY> walk(kPoints);
            std::vector<double> exact;
            XY p{c.x0 + (c.x1 - c.x0) * unit(random), c.y0 + (c.y1 - c.y0) * unit(random)};
            for (auto& point : walk) {
                point = p, exact.push_back(p.x), exact.push_back(p.y);
                p.x += (unit(random) - 0.5) * c.step, p.y += (unit(random) - 0.5) * c.step;
            }
            std::string content = polylineShape({walk});
            input::ShapeRecord record{static_cast<uint32_t>(r + 1), reinterpret_cast<const uint8_t*>(content.data()),
                                      static_cast<uint32_t>(content.size())};
            bool exactDone = input::pointsToDegreesExactly(*shp.transform, exact.data(), kPoints);
            bool done = input::recordToDegrees(*shp.transform, path.c_str(), record);
            ASSERT_EQ(done, exactDone) << "record " << r;
            dropped += !done;
            for (int i = 0; done && i < 2 * kPoints; ++i) {  // the points follow the type, box, counts and part
                double value;
                std::memcpy(&value, record.content + 48 + 8 * i, sizeof value);
                far += !(std::fabs(value - exact[i]) <= 1e-9);
                interpolated += value != exact[i];
                roundedOtherwise += std::nearbyint(value * 1e7) != std::nearbyint(exact[i] * 1e7);
            }
        }
        EXPECT_EQ(far, 0);
        EXPECT_EQ(roundedOtherwise, 0);
        EXPECT_LT(dropped, kRecords / 100);
        EXPECT_GT(interpolated, kRecords * kPoints) << "the points went through PROJ: nothing was checked";
    }
}

}  // namespace
