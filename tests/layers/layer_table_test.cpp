#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "layers/dispatch.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"

using catalog::Obj;
using layers::LayerRow;

namespace {

TEST(LayerTable, NoNameContainsALaterName) {
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(layers::containsLayerName(table[j].name, table[i].name))
                << table[i].name << " stands before " << table[j].name << ", which contains it";
}

TEST(LayerTable, NamesAreUniqueUpperCaseAndRowsComplete) {
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const LayerRow& row = table[i];
        SCOPED_TRACE(row.name);
        std::size_t n = std::strlen(row.name);
        EXPECT_GE(n, 4u);
        EXPECT_LE(n, 8u);
        for (std::size_t k = 0; k < n; ++k) EXPECT_TRUE(row.name[k] >= 'A' && row.name[k] <= 'Z');
        for (std::size_t j = 0; j < i; ++j) EXPECT_STRNE(table[j].name, row.name);
        ASSERT_NE(row.handler, nullptr);
        EXPECT_NE(row.object, Obj::o_nieznane);
        // Handlers reading fields or decoders get them from the row.
        if (row.handler != layers::namedFeatureHandler) {
            EXPECT_NE(row.fields[0], nullptr);
        }
        bool coded = row.handler == layers::codedFeatureHandler || row.handler == layers::codedHeightHandler ||
                     row.handler == layers::twoCodeHandler || row.handler == layers::boundaryHandler;
        EXPECT_EQ(row.decoders[0] != nullptr, coded);
        EXPECT_EQ(row.decoders[1] != nullptr, row.handler == layers::twoCodeHandler);
    }
}

// A few rows, in their order, with all their arguments.
TEST(LayerTable, RowsStandInTestingOrderWithTheirArguments) {
    auto table = layers::layerTable();
    auto indexOf = [&](const char* name) {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (std::strcmp(table[i].name, name) == 0) return static_cast<long>(i);
        return -1L;
    };
    ASSERT_GE(table.size(), 4u);
    EXPECT_STREQ(table[0].name, "AIRPORTP");
    EXPECT_EQ(table[0].handler, layers::codedFeatureHandler);
    EXPECT_EQ(table[0].object, Obj::op_lotnisko);
    EXPECT_STREQ(table[0].fields[0], "USE");
    EXPECT_EQ(table[0].decoders[0], layers::airportUseDecoder);
    EXPECT_STREQ(table[1].name, "HELIPADP");
    EXPECT_STREQ(table.back().name, "STORBUNA");
    EXPECT_EQ(table.back().object, Obj::oa_schron);

    const char* order[] = {"AIRPORTP", "CEMETRYP", "PYLONC", "MINPILEP", "PILEP", "ELEVP", "VEGTXT",
                           "RUNWAYL", "ADMBNDL", "SEAWALLL", "WALLL", "CANALL", "RIVERL", "DITCHL",
                           "TAXIWAYA", "ISLANDA", "PROCPLTA", "CROPA", "QUARRYA", "STORBUNA"};
    long previous = -1;
    for (const char* name : order) {
        long i = indexOf(name);
        EXPECT_GT(i, previous) << name;
        previous = i;
    }

    const LayerRow& pylon = table[indexOf("PYLONC")];
    EXPECT_EQ(pylon.handler, layers::codedHeightHandler);
    EXPECT_STREQ(pylon.fields[0], "MCC");
    EXPECT_STREQ(pylon.fields[1], "HGT");
    EXPECT_EQ(pylon.decoders[0], layers::pylonMccDecoder);
    const LayerRow& boundary = table[indexOf("ADMBNDL")];
    EXPECT_EQ(boundary.handler, layers::boundaryHandler);
    EXPECT_STREQ(boundary.fields[1], "NM3");
    EXPECT_STREQ(boundary.fields[2], "NM4");
    const LayerRow& ditch = table[indexOf("DITCHL")];
    EXPECT_EQ(ditch.decoders[0], layers::ditchHycDecoder);
    EXPECT_EQ(ditch.decoders[1], layers::ditchWwrDecoder);
    const LayerRow& island = table[indexOf("ISLANDA")];
    EXPECT_EQ(island.handler, layers::namedOnlyHandler);
    EXPECT_STREQ(island.fields[0], "NAM");
    const LayerRow& depth = table[indexOf("DEPTHCL")];
    EXPECT_EQ(depth.handler, layers::numberLabelHandler);
    EXPECT_STREQ(depth.fields[0], "CRV");
}

TEST(LayerTable, PathsFindTheFirstContainedName) {
    auto nameFor = [](const char* path) {
        const LayerRow* row = layers::findLayerRow(path);
        return std::string(row ? row->name : "-");
    };
    EXPECT_EQ(nameFor("MINPILEP.shp"), "MINPILEP");
    EXPECT_EQ(nameFor("PILEP.shp"), "PILEP");
    EXPECT_EQ(nameFor("d/seawalll.SHP"), "SEAWALLL");
    EXPECT_EQ(nameFor("d/WALLL.shp"), "WALLL");
    EXPECT_EQ(nameFor("HUTPX.shp"), "HUTP");
    EXPECT_EQ(nameFor("hutp/other.shp"), "HUTP");
    EXPECT_EQ(nameFor("nothing.shp"), "-");
}

TEST(LayerNameTest, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(layers::containsLayerName("x/roadl.shp", "ROADL"));
    EXPECT_TRUE(layers::containsLayerName("ROADL", "ROADL"));
    EXPECT_TRUE(layers::containsLayerName("abc", ""));
    EXPECT_TRUE(layers::containsLayerName("", ""));
    EXPECT_FALSE(layers::containsLayerName("ROAD", "ROADL"));
    EXPECT_FALSE(layers::containsLayerName("\xb3" "A", "\xa3" "A"));  // ł and Ł stay apart
    EXPECT_FALSE(layers::containsLayerName("R0ADL", "ROADL"));
}

}  // namespace
