// Writes the layer table for users: every layer name the program knows, with
// its geometry, the attribute fields it reads and what its features become,
// taken from the program's own table so that the text cannot drift from it.
//
//   layer_list --markdown              the table for the README, on standard output
//   layer_list --man TEMPLATE OUTPUT   the manual page TEMPLATE with the table in
//                                      place of its line ".\" LAYER TABLE"
//
// The status is 1 when a layer's handler has no description here.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "catalog/catalog.hpp"
#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"
#include "text/report.hpp"

namespace {

using layers::LayerHandler;

// What a handler reads and makes. In both texts {0}, {1} and {2} stand for the
// layer's own field names, and {object} for its catalogue entry.
struct HandlerNote {
    LayerHandler handler;
    const char* fields;
    const char* becomes;
};

constexpr HandlerNote kHandlerNotes[] = {
    {layers::namedFeatureHandler, "NAM", "{object}, labelled with NAM"},
    {layers::namedOnlyHandler, "{0}", "a name point of {object} where {0} holds a name"},
    {layers::textLabelHandler, "{0}", "{object} where {0} holds a text, labelled with it"},
    {layers::numberLabelHandler, "{0}", "{object}, labelled with the number in {0}"},
    {layers::codedFeatureHandler, "{0}, NAM", "{object} or another entry by {0}, labelled with NAM"},
    {layers::heightLabelHandler, "{0}, NAM", "{object}, labelled with NAM and the height in {0}"},
    {layers::codedHeightHandler, "{0}, {1}, NAM",
     "{object} or another entry by {0}, labelled with NAM and the figure in {1}"},
    {layers::twoCodeHandler, "{0}, {1}, NAM", "{object} or another entry by {0} and {1}, labelled with NAM"},
    {layers::boundaryHandler, "{0}, {1}, {2}", "{object} or another boundary kind by {0}, labelled with {1} and {2}"},
    {layers::buildingPointHandler, "NAM, BFC, HWT",
     "{object} or another building by BFC and HWT, labelled with NAM"},
    {layers::buildingAreaHandler, "NAM, BFC, HWT",
     "{object} or another building by BFC and HWT, labelled with NAM"},
    {layers::roadHandler, "NAM, TUC, RTT, USE",
     "{object} or another road class by TUC, RTT and USE, labelled with NAM and its number shield"},
    {layers::parkAreaHandler, "NAM, USE",
     "{object} or a national or landscape park by USE and the name, labelled with NAM"},
    {layers::substationPointHandler, "NAM, EPW, EP1, EP2", "{object}, labelled with NAM, power and voltages"},
    {layers::substationAreaHandler, "NAM, EPW, EP1, EP2", "{object}, labelled with NAM, power and voltages"},
    {layers::powerPlantPointHandler, "NAM, PPC, EPW", "{object}, labelled with NAM or the kind (PPC) and power"},
    {layers::powerPlantAreaHandler, "NAM, PPC, EPW", "{object}, labelled with NAM or the kind (PPC) and power"},
    {layers::powerLineHandler, "NAM, KVA, HGT", "{object}, labelled with NAM, voltage and height"},
    {layers::contourHandler, "HQC, ZV2", "{object} or another contour kind by HQC, labelled with the height"},
    {layers::controlPointHandler, "NAM, CSC, ZV2",
     "{object} or another point by CSC, labelled with the height (and a summit's name)"},
    {layers::mountainPassHandler, "NAM, ZV2", "{object}, labelled with NAM and the height"},
    {layers::hydroTextHandler, "VG_TEXT, F_CODE, SYMBOL_ID",
     "{object} with the text; depth figures (F_CODE, SYMBOL_ID) moved and typed"},
    {layers::lakeHandler, "NAM, ARH", "{object} or another lake size by ARH, with a name point"},
    {layers::builtUpAreaHandler, "NAM, NA2, PIT",
     "{object} or another built-up class by PIT, labelled with NAM and NA2"},
    {layers::embankmentHandler, "CET, TUC, PFH", "{object} or another embankment kind by CET and TUC, "
                                                 "labelled with the height"},
    {layers::forestHandler, "NAM, TRE, VEG, PHT, TSC, SDS",
     "{object} or another forest kind by TRE, labelled with the species and stand figures"},
};

const HandlerNote* noteOf(LayerHandler handler) {
    for (const HandlerNote& note : kHandlerNotes)
        if (note.handler == handler) return &note;
    return nullptr;
}

const char* geometryOf(const catalog::ObjectType& object) {
    switch (object.Obiekt[1]) {
    case 'p': return "point";
    case 'l': return "line";
    default: return "area";
    }
}

// `text` with the row's fields and `object` in place of the placeholders.
std::string expand(const char* text, const layers::LayerRow& row, const std::string& object) {
    std::string out;
    for (const char* p = text; *p;) {
        if (std::strncmp(p, "{object}", 8) == 0) {
            out += object;
            p += 8;
        } else if (p[0] == '{' && p[1] >= '0' && p[1] <= '2' && p[2] == '}') {
            const char* field = row.fields[p[1] - '0'];
            out += field ? field : "?";
            p += 3;
        } else {
            out += *p++;
        }
    }
    return out;
}

struct Style {
    const char* head;
    // Layer name, geometry, fields, object identifier, Garmin type, what it becomes.
    const char* row;
    const char* object;  // identifier, Garmin type
};

constexpr Style kMarkdown{
    "| Layer | Geometry | Fields read | Becomes |\n|---|---|---|---|\n",
    "| `%s` | %s | %s | %s |\n",
    "`%s` (0x%x)",
};

constexpr Style kMan{
    "",
    ".TP\n.B %s\n%s; reads %s: %s.\n",
    "\\fB%s\\fR (0x%x)",
};

// The table in one style, or false when a handler has no note.
bool writeTable(const Style& style, std::string& out) {
    out += style.head;
    bool complete = true;
    char line[1024];
    for (const layers::LayerRow& row : layers::layerTable()) {
        const HandlerNote* note = noteOf(row.handler);
        if (!note) {
            report::error("layer_list: the handler of layer %s has no description\n", row.name);
            complete = false;
            continue;
        }
        const catalog::ObjectType& object = catalog::object(row.object);
        std::snprintf(line, sizeof line, style.object, object.Obiekt, object.TypG);
        std::string fields = expand(note->fields, row, "");
        std::string becomes = expand(note->becomes, row, line);
        std::snprintf(line, sizeof line, style.row, row.name, geometryOf(object), fields.c_str(), becomes.c_str());
        out += line;
    }
    return complete;
}

bool writeManPage(const char* templatePath, const char* outputPath) {
    std::ifstream in(templatePath, std::ios::binary);
    if (!in) {
        report::error("layer_list: cannot read %s\n", templatePath);
        return false;
    }
    std::ostringstream page;
    std::string line;
    bool placed = false, complete = true;
    while (std::getline(in, line)) {
        if (line == ".\\\" LAYER TABLE") {
            std::string table;
            complete = writeTable(kMan, table);
            page << table;
            placed = true;
        } else {
            page << line << '\n';
        }
    }
    if (!placed) report::error("layer_list: %s has no line .\\\" LAYER TABLE\n", templatePath);
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << page.str();
    out.close();
    if (!out) report::error("layer_list: cannot write %s\n", outputPath);
    return placed && complete && out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--markdown") == 0) {
        std::string table;
        bool complete = writeTable(kMarkdown, table);
        std::fwrite(table.data(), 1, table.size(), stdout);
        return complete ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "--man") == 0) return writeManPage(argv[2], argv[3]) ? 0 : 1;
    report::error("usage: layer_list --markdown | --man TEMPLATE OUTPUT\n");
    return 2;
}
