// Conversion cases written as scenario files: tests/data/<room>/NAME.scenario
// holds the input layers as data, the arguments of the run and its exit
// status; the reports and the map it must give stay in NAME.err, NAME.mp and
// NAME-g.err beside it, compared by Conversion::expectConversion.
//
// A scenario is read by dataRows (fields apart by tabs, # lines skipped,
// \n \t \\ \xHH escapes; values are code page 1250 bytes). Each line starts
// with a keyword:
//   layer   PATH KIND RECORDS [SHP-EXT DBF-EXT]  a layer PATH.shp and PATH.dbf (or the
//                                                extensions given) of points, lines or areas
//   fields  COLUMN ...                           its table's columns, each "NAME [TYPE WIDTH
//                                                [DECIMALS]]" (C 10 when only the name)
//   row     VALUE ...                            one row of its table; values left out are empty
//   file    PATH TEXT                            any other input file
//   args    ARG ...                              the files and options, after -i 1 Test
//   status  CODE                                 the exit status expected (0 when left out)
//   with-g                                       also run with -g, its reports in NAME-g.err
// RECORDS lists the layer's records apart by spaces, each the shape that
// shape() of conversion.hpp lays at a place: P (numbered by its position),
// P#N (numbered N), P*K (K records at place P), A-B (one at each place from A
// to B), or null (a null shape); an empty list writes no record.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"

namespace testsupport {

struct Scenario {
    std::string name;
    std::vector<std::string> args;
    int status = 0;
    bool withG = false;
};

// The records of a RECORDS list.
inline std::vector<ShpRecord> scenarioRecords(Kind kind, const std::string& list) {
    std::vector<ShpRecord> records;
    std::istringstream items(list);
    for (std::string item; items >> item;) {
        if (item == "null") {
            records.push_back({nullShape()});
            continue;
        }
        const int place = std::stoi(item);
        const std::size_t mark = item.find_first_of("#*-", 1);
        if (mark == std::string::npos) {
            records.push_back({shape(kind, place)});
            continue;
        }
        const int value = std::stoi(item.substr(mark + 1));
        if (item[mark] == '#') records.push_back({shape(kind, place), value});
        for (int i = 0; item[mark] == '*' && i < value; ++i) records.push_back({shape(kind, place)});
        for (int i = place; item[mark] == '-' && i <= value; ++i) records.push_back({shape(kind, i)});
    }
    return records;
}

// A table column written "NAME [TYPE WIDTH [DECIMALS]]".
inline DbfColumn scenarioColumn(const std::string& text) {
    std::istringstream parts(text);
    DbfColumn column;
    int width = column.width, decimals = 0;
    parts >> column.name >> column.type >> width >> decimals;
    column.width = static_cast<uint8_t>(width);
    column.decimals = static_cast<uint8_t>(decimals);
    return column;
}

// Writes the layers and files of tests/data/<room>/NAME.scenario into
// `directory` and returns its run.
inline Scenario writeScenario(const std::string& directory, const std::string& name) {
    Scenario scenario;
    scenario.name = name;
    std::vector<std::string> layer;  // the layer line being filled
    std::vector<DbfColumn> columns;
    std::vector<std::vector<std::string>> rows;
    auto writePending = [&] {
        if (layer.empty()) return;
        const Kind kind = layer[1] == "points" ? Kind::points : layer[1] == "lines" ? Kind::lines : Kind::areas;
        for (auto& row : rows) row.resize(columns.size());
        writeLayer(directory + "/" + layer[0],
                   buildShp(scenarioRecords(kind, layer.size() > 2 ? layer[2] : ""), {.shapeType = shapeType(kind)}),
                   buildDbf(columns, rows), layer.size() > 3 ? layer[3] : ".shp", layer.size() > 4 ? layer[4] : ".dbf");
        columns.clear();
        rows.clear();
    };
    for (std::vector<std::string>& line : dataRows(name + ".scenario")) {
        const std::string keyword = line[0];
        line.erase(line.begin());
        if (keyword == "layer") {
            writePending();
            layer = line;
        } else if (keyword == "fields") {
            for (const std::string& text : line) columns.push_back(scenarioColumn(text));
        } else if (keyword == "row") {
            rows.push_back(line);
        } else if (keyword == "file") {
            writeFile(directory + "/" + line.at(0), line.at(1));
        } else if (keyword == "args") {
            scenario.args = line;
        } else if (keyword == "status") {
            scenario.status = std::stoi(line.at(0));
        } else if (keyword == "with-g") {
            scenario.withG = true;
        } else {
            ADD_FAILURE() << name << ": unknown keyword " << keyword;
        }
    }
    writePending();
    return scenario;
}

// Conversions of scenarios compared with their expected files.
class Scenarios : public Conversion {
protected:
    void expectScenario(const std::string& name) {
        const Scenario scenario = writeScenario(dir.path, name);
        expectConversion(name, scenario.args, scenario.status, scenario.withG);
    }
};

}  // namespace testsupport
