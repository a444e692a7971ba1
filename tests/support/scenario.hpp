// Conversion cases as data: tests/data/<room>/NAME.scenario holds the input
// layers and the run; NAME.err, NAME.mp and NAME-g.err beside it what
// expectConversion compares. It is read by dataRows (fields apart by tabs, #
// lines skipped, escapes, code page 1250); each line starts with a keyword:
//   layer   PATH KIND RECORDS [SHP-EXT DBF-EXT [unended]]  points, lines or areas in PATH.shp
//           and PATH.dbf (or the extensions given); unended: the table lacks its end byte
//   fields  NAME [TYPE WIDTH [DECIMALS]] ...  the table's columns (C 10 when only named)
//   row     VALUE ...   a row of the table; values left out are empty
//   file    PATH TEXT   any other input file
//   args    ARG ...     the files and options, after -i 1 Test
//   status  CODE        the exit status expected (0 when left out)
//   with-g              the run repeated with -g, its reports in NAME-g.err
//   report              the arguments run as they stand, the output compared with NAME.txt
// RECORDS: shapes as shape() of conversion.hpp lays them, apart by spaces: P (at place P),
// P#N (numbered N, else by position), P*K (K at P), A-B (one at each of A to B), or null.
#pragma once

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/conversion.hpp"

namespace testsupport {

// The records of a RECORDS list.
inline std::vector<ShpRecord> scenarioRecords(Kind kind, const std::string& list) {
    std::vector<ShpRecord> records;
    std::istringstream items(list);
    for (std::string item; items >> item;) {
        const std::size_t mark = std::min(item.find_first_of("#*-", 1), item.size());
        const int place = item == "null" ? 0 : std::stoi(item);
        const int value = mark < item.size() ? std::stoi(item.substr(mark + 1)) : place;
        if (item == "null") records.push_back({nullShape()});
        else if (item[mark] == '#') records.push_back({shape(kind, place), value});
        else if (item[mark] == '*') records.insert(records.end(), value, {shape(kind, place)});
        else for (int i = place; i <= value; ++i) records.push_back({shape(kind, i)});
    }
    return records;
}

// Scenarios converted and compared with their expected files.
class Scenarios : public Conversion {
protected:
    // Writes the layers and files of tests/data/<room>/NAME.scenario, runs it
    // and compares its reports, output and map.
    void expectScenario(const std::string& name) {
        struct Layer {
            std::vector<std::string> line;  // PATH KIND RECORDS ...
            std::vector<DbfColumn> columns;
            std::vector<std::vector<std::string>> rows;
        };
        std::vector<Layer> layers;
        std::vector<std::string> args;
        int status = 0;
        bool withG = false, report = false;
        for (std::vector<std::string>& line : dataRows(name + ".scenario")) {
            const std::string keyword = line[0];
            line.erase(line.begin());
            if (keyword == "layer") layers.push_back({line, {}, {}});
            else if (keyword == "fields")
                for (const std::string& text : line) {
                    char column[12] = "";
                    DbfColumn& added = layers.back().columns.emplace_back();
                    std::sscanf(text.c_str(), "%11s %c %hhu %hhu", column, &added.type, &added.width, &added.decimals);
                    added.name = column;
                }
            else if (keyword == "row") layers.back().rows.push_back(line);
            else if (keyword == "file") writeFile(dir.file(line.at(0)), line.at(1));
            else if (keyword == "args") args = line;
            else if (keyword == "status") status = std::stoi(line.at(0));
            else if (keyword == "with-g") withG = true;
            else if (keyword == "report") report = true;
            else ADD_FAILURE() << name << ": unknown keyword " << keyword;
        }
        for (Layer& file : layers) {
            std::vector<std::string>& line = file.line;
            line.resize(6);
            const Kind kind = line[1] == "points" ? Kind::points : line[1] == "lines" ? Kind::lines : Kind::areas;
            EXPECT_TRUE(kind != Kind::areas || line[1] == "areas") << name << ": unknown kind " << line[1];
            layer(line[0], buildShp(scenarioRecords(kind, line[2]), {.shapeType = shapeType(kind)}),
                  buildDbf(file.columns, file.rows, {.endMarker = line[5] != "unended"}),
                  line[3].empty() ? ".shp" : line[3], line[4].empty() ? ".dbf" : line[4]);
        }
        if (!report) return expectConversion(name, args, status, withG);
        const RunResult result = run(args, status);
        expectAsFile(name + ".err", result.err);
        expectAsFile(name + ".txt", result.out);
    }
};

}  // namespace testsupport
