#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "layers/dispatch.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"

using catalog::Obj;
using layers::LayerRow;

namespace {

long indexOf(const char* name) {
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::strcmp(table[i].name, name) == 0) return static_cast<long>(i);
    return -1;
}

TEST(LayerTable, NamesAreUniqueUpperCaseAndNoneContainsALaterOne) {
    auto table = layers::layerTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const LayerRow& row = table[i];
        SCOPED_TRACE(row.name);
        std::size_t n = std::strlen(row.name);
        EXPECT_TRUE(n >= 4 && n <= 8);
        for (std::size_t k = 0; k < n; ++k) EXPECT_TRUE(row.name[k] >= 'A' && row.name[k] <= 'Z');
        for (std::size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(layers::containsLayerName(table[j].name, row.name)) << "contained in " << table[j].name;
        // Every row names its object; rows of the generic handlers also the fields they read and the
        // decoders of coded fields (the other handlers know their own).
        ASSERT_NE(row.handler, nullptr);
        EXPECT_NE(row.object, Obj::o_nieznane);
        bool coded = row.handler == layers::codedFeatureHandler || row.handler == layers::codedHeightHandler ||
                     row.handler == layers::twoCodeHandler || row.handler == layers::boundaryHandler;
        bool withField = coded || row.handler == layers::namedOnlyHandler || row.handler == layers::textLabelHandler ||
                         row.handler == layers::numberLabelHandler || row.handler == layers::heightLabelHandler;
        EXPECT_EQ(row.fields[0] != nullptr, withField);
        EXPECT_EQ(row.decoders[0] != nullptr, coded);
        EXPECT_EQ(row.decoders[1] != nullptr, row.handler == layers::twoCodeHandler);
    }
}

// Rows in testing order, each with all its arguments.
TEST(LayerTable, RowsStandInTestingOrderWithTheirArguments) {
    const LayerRow expected[] = {
        {"AIRPORTP", layers::codedFeatureHandler, Obj::op_lotnisko, {"USE"}, {layers::airportUseDecoder}},
        {"HELIPADP", layers::namedFeatureHandler, Obj::op_helikop},
        {"PYLONC", layers::codedHeightHandler, Obj::op_slup, {"MCC", "HGT"}, {layers::pylonMccDecoder}},
        {"MINPILEP", layers::namedFeatureHandler, Obj::op_halda},
        {"PILEP", layers::namedFeatureHandler, Obj::op_slup},
        {"ELEVP", layers::numberLabelHandler, Obj::op_wysokosc, {"ZV2"}},
        {"CAIRNP", layers::heightLabelHandler, Obj::op_kopiec, {"PFH"}},
        {"VEGTXT", layers::textLabelHandler, Obj::op_txt_veg, {"VG_TEXT"}},
        {"ADMBNDL", layers::boundaryHandler, Obj::ol_gradmin, {"USE", "NM3", "NM4"}, {layers::boundaryUseDecoder}},
        {"SEAWALLL", layers::namedFeatureHandler, Obj::ol_umocwod},
        {"WALLL", layers::namedFeatureHandler, Obj::ol_mur},
        {"DEPTHCL", layers::numberLabelHandler, Obj::ol_glebc, {"CRV"}},
        {"DITCHL", layers::twoCodeHandler, Obj::ol_rowwod, {"HYC", "WWR"},
         {layers::ditchHycDecoder, layers::ditchWwrDecoder}},
        {"ISLANDA", layers::namedOnlyHandler, Obj::oa_wyspa, {"NAM"}},
        {"PITA", layers::codedHeightHandler, Obj::oa_odkrywka, {"PRO", "PFD"}, {layers::pitAreaProDecoder}},
        {"STORBUNA", layers::namedFeatureHandler, Obj::oa_schron},
    };
    auto table = layers::layerTable();
    ASSERT_FALSE(table.empty());
    EXPECT_STREQ(table.front().name, "AIRPORTP");
    EXPECT_STREQ(table.back().name, "STORBUNA");
    long previous = -1;
    for (const LayerRow& want : expected) {
        SCOPED_TRACE(want.name);
        long i = indexOf(want.name);
        ASSERT_GT(i, previous);
        previous = i;
        const LayerRow& row = table[i];
        EXPECT_EQ(row.handler, want.handler);
        EXPECT_EQ(row.object, want.object);
        for (std::size_t k = 0; k < want.fields.size(); ++k)
            EXPECT_EQ(std::string(row.fields[k] ? row.fields[k] : "-"), want.fields[k] ? want.fields[k] : "-");
        EXPECT_EQ(row.decoders, want.decoders);
    }
}

// Only the base name counts: the part after the last "/" or "\\".
TEST(LayerTable, FileNamesFindTheFirstContainedNameFoldingOnlyAsciiLetters) {
    const struct {
        const char* path;
        const char* layer;  // "-": none
    } paths[] = {
        {"MINPILEP.shp", "MINPILEP"},         {"PILEP.shp", "PILEP"},         {"d/seawalll.SHP", "SEAWALLL"},
        {"d/WALLL.shp", "WALLL"},             {"HUTPX.shp", "HUTP"},          {"hutp/other.shp", "-"},
        {"nothing.shp", "-"},                 {"H0TP.shp", "-"},              {"m34131ab\\ROADL.SHP", "ROADL"},
        {"x_ROADL_2.shp", "ROADL"},           {"ROADL/foo.shp", "-"},         {"C:\\ROADL\\foo.shp", "-"},
        {"/Bogatynia/FORESTA.shp", "FORESTA"}, {"Bogatynia/", "-"},           {"ROADL", "ROADL"},
        {"ROADL_HUTP.shp", "HUTP"},  // two codes: the table's order decides
    };
    for (const auto& p : paths) {
        const LayerRow* row = layers::findLayerRow(p.path);
        EXPECT_EQ(std::string(row ? row->name : "-"), p.layer) << p.path;
    }
    EXPECT_TRUE(layers::containsLayerName("abc", ""));
    EXPECT_TRUE(layers::containsLayerName("", ""));
    EXPECT_TRUE(layers::containsLayerName("ROADL", "ROADL"));
    EXPECT_FALSE(layers::containsLayerName("ROAD", "ROADL"));
    EXPECT_FALSE(layers::containsLayerName("\xb3" "A", "\xa3" "A"));  // ł and Ł stay apart
    EXPECT_FALSE(layers::containsLayerName("@[", "`{"));               // as do the signs beside a-z
}

}  // namespace
