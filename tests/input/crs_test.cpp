// The .prj texts read without PROJ: which are WGS 84 degrees as they stand.
#include <gtest/gtest.h>

#include <string>

#include "input/crs.hpp"

namespace {

using input::WktKind;

constexpr const char* kEsriWgs84 =
    R"w(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)w"
    R"w(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])w";

std::string replaced(std::string text, const std::string& part, const std::string& by) {
    return text.replace(text.find(part), part.size(), by);
}

TEST(Wkt, OnlyGeographicWgs84InDegreesFromGreenwichStandsAsItIs) {
    const std::string esri = kEsriWgs84;
    const struct {
        std::string text;
        WktKind kind;
    } cases[] = {
        {esri, WktKind::wgs84Degrees},
        {"  \r\n" + replaced(esri, "GEOGCS[", "geogcs (").substr(0, esri.size()) + ")\n", WktKind::wgs84Degrees},
        {replaced(esri, "D_WGS_1984", "WGS 84"), WktKind::wgs84Degrees},
        {replaced(esri, "0.0174532925199433", "1.745329251994330e-2"), WktKind::wgs84Degrees},
        // Other datums, units, meridians, and projected or derived systems.
        {replaced(esri, "D_WGS_1984", "D_ETRS_1989"), WktKind::other},
        {replaced(esri, "D_WGS_1984", "D_WGS_1972"), WktKind::other},
        {replaced(esri, "0.0174532925199433", "0.0157079632679489"), WktKind::other},  // grads
        {replaced(esri, "PRIMEM[\"Greenwich\",0.0]", "PRIMEM[\"Paris\",2.33722917]"), WktKind::other},
        {"PROJCS[\"x\"," + esri + ",PROJECTION[\"Mercator\"],UNIT[\"Meter\",1.0]]", WktKind::other},
        {replaced(esri, "UNIT[", "CS[Cartesian,3],UNIT["), WktKind::other},
        // Texts that are not well-known text at all.
        {"", WktKind::unreadable},
        {"EPSG:4326", WktKind::unreadable},
        {esri.substr(0, esri.size() - 1), WktKind::unreadable},
        {esri + "]", WktKind::unreadable},
        {replaced(esri, "\"GCS_WGS_1984\"", "\"GCS_WGS_1984"), WktKind::unreadable},
        {std::string(100, 'A') + std::string(100000, '[') + std::string(100000, ']'), WktKind::unreadable},
        {replaced(esri, "0.0174532925199433", "0.0174532925199433" + std::string(200, '9')), WktKind::wgs84Degrees},
    };
    for (const auto& c : cases) EXPECT_EQ(input::wktKind(c.text), c.kind) << c.text.substr(0, 200);
}

}  // namespace
