// Buildings, roads, parks and the power network converted by the built
// program: each table row is one feature with its attribute values and the
// object it must become.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;
using namespace testsupport;

namespace {

struct Feature {
    std::vector<std::string> values;  // one per column
    uint32_t type;
    int level;
    std::string label;
};

class BuiltEnvironment : public Conversion {
protected:
    // Writes the layer and returns its objects as the map must hold them.
    std::string layer(const std::string& base, Kind kind, const std::vector<DbfColumn>& columns,
                      const std::vector<Feature>& features) {
        std::vector<std::vector<std::string>> rows;
        std::string objects = comment(base + ".shp");
        for (const Feature& f : features) {
            objects += placed(kind, f.type, f.level, f.label, static_cast<int>(rows.size()));
            rows.push_back(f.values);
        }
        Conversion::layer(base, shapes(kind, features.size()), buildDbf(columns, rows));
        return objects;
    }
};

const std::string kLongName(254, 'N');

TEST_F(BuiltEnvironment, BuildingsTakeWorshipTypeThenFunctionAndNamesOverBoth) {
    // Plain and functional buildings raised to level 2 show the points written a level lower.
    writeFile(dir.file("types.txt"), "op_budynek -1 2\nop_budfunk -1 2\n");
    std::vector<DbfColumn> columns = {{"NAM", 'C', 254}, {"HWT", 'N', 4}, {"BFC", 'N', 6}};
    std::string objects = layer("BUILDNGP", Kind::points, columns, {
        {{"", "4", "6"}, 0x11500, 1, ""},                         // worship type decides, BFC not read
        {{"", "5", "6"}, 0x11507, 0, ""},                         // unknown HWT falls through to BFC
        {{"", "3", "0"}, 0x11500, 1, "kaplica"},
        {{"", "22", "1"}, 0x11618, 2, "budowle produkcyjne"},     // known HWT without a row
        {{"", "0", "999"}, 0x11619, 1, ""},                      // known BFC lowers the point
        {{"", "999", "1000"}, 0x11619, 1, "(bud. 1000)"},        // unknown above the range
        {{"", "0", "-5"}, 0x11619, 1, "(bud. -5)"},
        {{"Dom", "0", "32"}, 0x11618, 1, "Dom"},                 // unknown in the range: functional
        {{"", "0", "901"}, 0x2f17, 1, "przystanek"},              // point 901; default label by FlagaEt
        {{"", "0", "4"}, 0x11515, 1, ""},
        {{"UNK", "0", "16"}, 0x11618, 2, "dom"},
        {{" Ratusz", "", "52"}, 0x11618, 2, "ratusz"},
        {{"", "0", "33"}, 0x11507, 0, "ośrodek zdrowia"_cp},
        {{kLongName, "2", "6"}, 0x11500, 1, kLongName},
    });
    objects += layer("BUILDNGA", Kind::areas, columns, {
        {{"", "20", "6"}, 0x13, 2, "synagoga"},                    // HWT label: BFC not read
        {{"", "4", "0"}, 0x13, 2, "kościół"_cp},
        {{"", "0", "901"}, 0x13, 2, "(bud. 901)"},                 // not listed for areas
        {{"", "0", "999"}, 0x13, 2, ""},                           // areas keep their level
        {{"", "5", "1000"}, 0x13, 2, "(bud. 1000)"},
        {{"", "0", "904"}, 0x13, 2, "(biurowce/dom wypoczynkowy)"},
        {{"Zamek", "0", "4"}, 0x13, 2, "Zamek"},
    });
    convertWithAndWithoutFlag({"-t", "types.txt", "BUILDNGP.shp", "BUILDNGA.shp"}, objects,
          {{false, "brak pola TUC w zbiorze BUILDNGP.dbf\n"},
           {true, "nieznana wartosc: 5, pole HWT, plik BUILDNGP.shp\n"},
           {true, "nieznana wartosc: 1000, pole BFC, nazwa , plik BUILDNGP.shp\n"},
           {true, "nieznana wartosc: -5, pole BFC, nazwa , plik BUILDNGP.shp\n"},
           {false, "nieznana wartosc: 32, pole BFC, nazwa Dom, plik BUILDNGP.shp\n"},
           {true, "nieznana wartosc: 901, pole BFC, nazwa , plik BUILDNGA.shp\n"},
           {true, "nieznana wartosc: 5, pole HWT, plik BUILDNGA.shp\n"},
           {true, "nieznana wartosc: 1000, pole BFC, nazwa , plik BUILDNGA.shp\n"}});
}

TEST_F(BuiltEnvironment, RoadsPutNamesIntoShieldCodesAndUseLabelsOnlyWithFlagaEt) {
    std::vector<DbfColumn> columns = {{"TUC", 'N', 4}, {"RTT", 'N', 4}, {"NAM", 'C', 40}, {"USE", 'N', 4}};
    std::vector<Feature> roads = {
        {{"2", "16", "A1", "0"}, 0x01, 5, "~[0x04]A1"},
        {{"2", "14", "", "4"}, 0x03, 4, ""},
        {{"2", "0", "X", "4"}, 0x02, 5, "~[0x05]X"},
        {{"4", "14", "0123456789", "0"}, 0x03, 5, "~[0x06]0123456789"},
        {{"42", "14", "01234567890", "0"}, 0x03, 5, "01234567890"},
        {{"36", "16", std::string(30, 'S'), "0"}, 0x02, 5, "~[0x05]" + std::string(30, 'S')},
        {{"4", "15", "S7", "114"}, 0x04, 4, "~[0x06]S7"},
        {{"6", "0", "Marszałkowska"_cp, "0"}, 0x05, 3, "Marszałkowska"_cp},
        {{"4", "3", "", "4"}, 0x06, 3, ""},
        {{"4", "0", "", "4"}, 0x06, 3, ""},
        {{"43", "14", "UNK", "4"}, 0x06, 3, ""},
    };
    std::string objects = layer("ROADL", Kind::lines, columns, roads);
    // With FlagaEt of the main and the paved road set, their unnamed roads take the USE label.
    writeFile(dir.file("types.txt"), "ol_droga_g2 -1 -1 1\nol_droga_utw -1 -1 1\n");
    roads[1].label = "~[0x1c]droga krajowa";
    roads[8].label = roads[9].label = roads[10].label = "~[0x1c]droga krajowa";
    roads[9].values[3] = "23";
    roads[9].label = "~[0x1c]droga międzynarodowa"_cp;
    roads[10].values[3] = "7";
    roads[10].label = "";
    objects += layer("x/ROADL", Kind::lines, columns, roads);
    convertWithAndWithoutFlag({"ROADL.shp", "-t", "types.txt", "x/ROADL.shp"}, objects, {});
}

TEST_F(BuiltEnvironment, ParksByUsageThenByWordsOfTheName) {
    std::string objects = layer("PARKA", Kind::areas, {{"NAM", 'C', 60}, {"USE", 'N', 4}}, {
        {{"", "4"}, 0x16, 2, "park narodowy"},
        {{"", "144"}, 0x17, 2, "park"},
        {{"", "501"}, 0x50, 2, "park krajobrazowy"},
        {{"Park NARODOWY", "144"}, 0x16, 2, "Park NARODOWY"},
        {{"Park NÁRODNÝ"_cp, "501"}, 0x16, 2, "Park NÁRODNÝ"_cp},
        {{"Park Národný"_cp, "0"}, 0x17, 2, "Park Národný"_cp},  // accented letters are not folded
        {{"Naturpark Landschaft", "4"}, 0x50, 2, "Naturpark Landschaft"},
        {{"Krajobrazowy i Narodowy", "999"}, 0x16, 2, "Krajobrazowy i Narodowy"},
        {{"Bagno Oratyk", "501"}, 0x50, 2, "Bagno Oratyk"},
        {{"Bagno Oratyk", "0"}, 0x15, 2, "Bagno Oratyk"},
        {{"Krajinný park"_cp, "0"}, 0x50, 2, "Krajinný park"_cp},
        {{"", "7"}, 0x17, 2, ""},
        {{"Ogród"_cp, "8"}, 0x17, 2, "Ogród"_cp},
    });
    objects += layer("x/PARKA", Kind::areas, {{"NAM", 'C', 20}}, {{{"Oratyk"}, 0x15, 2, "Oratyk"}});
    convertWithAndWithoutFlag({"PARKA.shp", "x/PARKA.shp"}, objects,
          {{true, "nieznana wartosc: 7, pole USE, nazwa: , plik PARKA.shp\n"},
           {true, "nieznana wartosc: 8, pole USE, nazwa: Ogród, plik PARKA.shp\n"_cp},
           {false, "brak pola USE w zbiorze x/PARKA.dbf\n"}});
}

TEST_F(BuiltEnvironment, PowerNetworkLabelsJoinNameOrColonWithValuesInRange) {
    std::vector<DbfColumn> station = {{"NAM", 'C', 254}, {"EPW", 'N', 6}, {"EP1", 'N', 6}, {"EP2", 'N', 6}};
    std::vector<Feature> substations = {
        {{"Stacja", "0", "110", "15"}, 0x1150e, 1, "Stacja 110/15kV"},
        {{"", "", "400", "999"}, 0x1150e, 1, ": 400kV"},
        {{"Stacja", "0", "0", "15"}, 0x1150e, 1, ""},
        {{"Stacja", "50", "0", "0"}, 0x1150e, 1, "Stacja 50MW"},
        {{"", "32767", "999", "15"}, 0x1150e, 1, ""},
        {{kLongName, "32766", "998", "998"}, 0x1150e, 1, kLongName + " 998/998kV 32766MW"},
    };
    std::string objects = layer("SUBSTATP", Kind::points, station, substations);
    // The area object has FlagaEt set, yet features with their record never take its label.
    for (Feature& f : substations) f.type = 0x0c, f.level = 2;
    objects += layer("SUBSTATA", Kind::areas, station, substations);
    std::vector<DbfColumn> plant = {{"NAM", 'C', 20}, {"PPC", 'N', 4}, {"EPW", 'N', 6}};
    objects += layer("POWERPLP", Kind::points, plant, {
        {{"", "1", "120"}, 0x11513, 1, "elktr. wodna 120MW"},
        {{"", "8", "120"}, 0x11513, 1, "elektr. 120MW"},
        {{"Bełchatów"_cp, "5", ""}, 0x11513, 1, "Bełchatów"_cp},
        {{"", "3", "0"}, 0x11513, 1, "elktr. słoneczna"_cp},
        {{"Opole", "9", "3000"}, 0x11513, 1, "Opole 3000MW"},
        {{"", "0", "0"}, 0x11513, 1, ""},
    });
    objects += layer("POWERPLA", Kind::areas, plant, {{{"", "999", "-1"}, 0x0c, 2, "elektrownia"}});
    objects += layer("PWRLINEL", Kind::lines, {{"HGT", 'N', 6}, {"NAM", 'C', 20}, {"KVA", 'N', 6}}, {
        {{"45", "", "220"}, 0x29, 3, ": 220kV 45m"},
        {{"0", "Linia", "0"}, 0x29, 3, "Linia"},
        {{"29999", "", "0"}, 0x29, 3, ""},
        {{"29998", "L", "32766"}, 0x29, 3, "L 32766kV 29998m"},
        {{"-4", "", "32767"}, 0x29, 3, ""},
    });
    convertWithAndWithoutFlag({"SUBSTATP.shp", "SUBSTATA.shp", "POWERPLP.shp", "POWERPLA.shp", "PWRLINEL.shp"},
                              objects,
          {{true, "nieznana wartosc: 8, pole PPC, nazwa , plik POWERPLP.shp\n"},
           {false, "nieznana wartosc: 9, pole PPC, nazwa Opole, plik POWERPLP.shp\n"}});
}

// Every layer with a table lacking its fields and a record beyond the table,
// once with the built-in catalogue and once with FlagaEt set everywhere.
TEST_F(BuiltEnvironment, MissingFieldsAndRecordsFallBackAsEachHandlerDefines) {
    Bytes table = buildDbf({{"X", 'C', 4}}, {{"Nic"}});
    struct Layer {
        const char* name;
        Kind kind;
        uint32_t type;
        int level;
        const char* object;
        const char* missing;  // fields reported missing
        // Labels once FlagaEt is set: the record with its row, and the one beyond the table.
        const char* withRow;
        const char* withoutRow;
    } layers[] = {
        {"BUILDNGP", Kind::points, 0x11619, 0, "op_budynek", "NAM BFC HWT TUC", "budynek", "budynek"},
        {"BUILDNGA", Kind::areas, 0x13, 2, "oa_budynek", "NAM BFC HWT", "budynek", "budynek"},
        {"ROADL", Kind::lines, 0x06, 3, "ol_droga_utw", "TUC RTT NAM USE", "", ""},
        {"PARKA", Kind::areas, 0x17, 2, "oa_park", "NAM USE", "", ""},
        {"SUBSTATP", Kind::points, 0x1150e, 1, "op_podstacja", "", "", "podstacja"},
        {"POWERPLP", Kind::points, 0x11513, 1, "op_elektr", "", "elektrownia", "elektrownia"},
        {"PWRLINEL", Kind::lines, 0x29, 3, "ol_energia", "HGT", "linia energ.", "linia energ."},
    };
    std::string types;
    for (const Layer& l : layers) types += std::string(l.object) + " -1 -1 1\n";
    writeFile(dir.file("types.txt"), types);
    for (bool flagged : {false, true}) {
        SCOPED_TRACE(flagged ? "FlagaEt set" : "built-in catalogue");
        std::vector<std::string> files;
        if (flagged) files = {"-t", "types.txt"};
        std::string err, objects;
        for (const Layer& l : layers) {
            std::string name = l.name;
            Bytes shp = buildShp({{shape(l.kind, 0)}, {shape(l.kind, 0), 2}}, {.shapeType = shapeType(l.kind)});
            Conversion::layer(name, shp, table);
            files.push_back(name + ".shp");
            std::istringstream missing(l.missing);
            for (std::string field; missing >> field;) err += "brak pola " + field + " w zbiorze " + name + ".dbf\n";
            err += "brak rekordu DBF 2, plik " + name + ".dbf\n";
            objects += comment(name + ".shp") + placed(l.kind, l.type, l.level, flagged ? l.withRow : "", 0) +
                       placed(l.kind, l.type, l.level, flagged ? l.withoutRow : "", 0);
        }
        RunResult run = convert(files);
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(this->objects(), objects);
    }
}

}  // namespace
