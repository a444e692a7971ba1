// The failures a user meets: unreadable inputs, failing output maps, too
// little memory and very large inputs. Each run ends cleanly with its message,
// and what was written before the failure stays in the map.
#include <sys/stat.h>

#include <functional>
#include <set>

#include "layers/handlers/handlers.hpp"
#include "layers/layer_table.hpp"
#include "support/conversion.hpp"
#include "text/cp1250.hpp"

using namespace testsupport;
using namespace text::literals;

namespace {

constexpr unsigned long long kMiB = 1024 * 1024;

// What a row does to its staged file before the run.
using Stage = std::function<void(const std::string& path)>;
void none(const std::string&) {}
void removeFile(const std::string& path) { std::filesystem::remove(path); }
void makeDirectory(const std::string& path) { std::filesystem::create_directory(path); }
void makeFifo(const std::string& path) { removeFile(path), mkfifo(path.c_str(), 0600); }
Stage holding(const Bytes& bytes) { return [bytes](const std::string& path) { writeFile(path, bytes); }; }
Stage linkTo(const std::string& to) {
    return [to](const std::string& path) { std::filesystem::create_symlink(to, path); };
}

const std::string kGood = comment("good/HUTP.shp") + hut("Dobra");

// The text n times over.
std::string times(const std::string& text, std::size_t n) {
    std::string all;
    while (n--) all += text;
    return all;
}

class Failures : public Conversion {
protected:
    void SetUp() override { writeNamedPoint(dir.file("good/HUTP"), "Dobra"); }
};

// One input or option that fails, given between two good layers: each ends
// cleanly, within seconds, with its message, and the good layers before and
// after it are in the map. The last argument is the file staged; a layer in a
// directory is written whole first, and a staged table is given by its
// layer's .shp. Good layers converted: 1 when the walk stops at the failure.
TEST_F(Failures, InputsThatCannotBeReadAreReportedAndTheRunGoesOn) {
    const struct { std::vector<std::string> args; Stage stage; std::string err; std::size_t goods = 2; int status = 2; }
        cases[] = {
        {{"missing.shp"}, none, "blad otwarcia pliku missing.shp\n"},
        {{"HUTP.shx"}, holding(""), "plik powinien miec rozszerzenie *.shp: HUTP.shx\n"},
        {{"a/HUTP.dbf"}, removeFile, "blad otwarcia pliku a/HUTP.dbf\n"},
        {{"tiny/HUTP.shp"}, holding(Bytes(99, '\0')), "brak naglowka SHP: tiny/HUTP.shp\n"},
        // A table counting more records than its bytes hold.
        {{"d/HUTP.dbf"}, holding(buildDbf({{"NAM"}}, {{"x"}}, {.recordCount = 2})),
         "zly format danych pliku dbf d/HUTP.dbf\n"},
        // A file whose size says more than a read delivers (a kernel attribute
        // file claims a page and holds a few bytes), as one that shrank.
        {{"shrunk.shp"}, linkTo("/sys/devices/system/cpu/online"), "blad odczytu pliku shrunk.shp\n"},
        // List and type files that cannot be read stop the walk.
        {{"-@", "missing"}, none, "blad otwarcia listy plików, plik: missing\n"_cp, 1},
        {{"-@", "dir"}, makeDirectory, "blad odczytu listy plików, plik: dir.\n"_cp, 1},
        {{"-t", "blank"}, holding("\r\n\t"), "brak danych w opisie typow\n", 1},
        // A FIFO nobody writes to is not waited for: as an input or a type
        // file it has no length, as a list it is empty.
        {{"fifo.shp"}, makeFifo, "blad seek pliku fifo.shp\n"},
        {{"-@", "fifo"}, makeFifo, "", 2, 0},
        {{"-t", "fifo"}, makeFifo, "blad seek pliku fifo\n", 1},
    };
    for (const auto& c : cases) {
        const std::string staged = c.args.back(), base = staged.substr(0, staged.size() - 4);
        SCOPED_TRACE(staged);
        if (staged.find('/') != std::string::npos) writeNamedPoint(dir.file(base), "x");
        c.stage(dir.file(staged));
        std::vector<std::string> args = {"-i", "1", "A", "good/HUTP.shp"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (staged.ends_with(".dbf")) args.back() = base + ".shp";
        args.push_back("good/HUTP.shp");
        EXPECT_EQ(runGeoconv(dir.path, args, {.seconds = 5}), (RunResult{c.status, "MapID 00000001 A\n", c.err}));
        EXPECT_EQ(objects(), times(kGood, c.goods));
    }
}

// A map that cannot be written or created stops the walk with its message,
// once, whether the failure shows after an input file, while a merged block
// too large for the map's buffer is copied, or at the map's close; the map
// finished before it is complete.
TEST_F(Failures, OutputMapsThatCannotBeWrittenOrCreated) {
    const std::string twoMaps = "MapID 00000002 B\nMapID 00000001 A\n", oneMap = "MapID 00000002 B\n";
    const std::string cannotWrite = "blad zapisu pliku wyjsciowego 00000001.mp\n";
    const std::string cannotOpen = "blad otwarcia pliku mp 00000001.mp\nblad otwarcia pliku wyjsciowego 00000001.mp\n";
    const std::vector<std::string> onward = {"-i", "1", "A", "good/HUTP.shp", "-i", "3", "C"};
    // The arguments given after map 2 and its layer.
    const struct { const char* what; Stage stage; std::vector<std::string> args; RunResult run; } cases[] = {
        {"full disk, seen at the close", linkTo("/dev/full"), {"-i", "1", "A"}, {2, twoMaps, cannotWrite}},
        {"full disk, seen after an input", linkTo("/dev/full"), onward, {2, twoMaps, cannotWrite}},
        {"full disk, seen while merging", linkTo("/dev/full"), {"-i", "1", "A", "big.mp", "next.mp"},
         {2, twoMaps, "blad zapisu, plik big.mp\nblad przetwarzania pliku big.mp\n" + cannotWrite}},
        {"a directory", makeDirectory, onward, {2, oneMap, cannotOpen}},
    };
    writeFile(dir.file("big.mp"), "[IMG ID]\n[END-IMG ID]\n" + std::string(5 * kMiB, ';') + "\n[POI]\n[END]\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.file("00000001.mp"));
        c.stage(dir.file("00000001.mp"));
        std::vector<std::string> args = {"-i", "2", "B", "good/HUTP.shp"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(runGeoconv(dir.path, args), c.run);
        EXPECT_EQ(objects("00000002.mp"), kGood);
        EXPECT_FALSE(std::filesystem::exists(dir.file("00000003.mp")));
    }
}

// With little memory, layers of a gigabyte are read piece by piece: the
// table's one record and the shapefile's first (its second claims more bytes
// than the gigabyte holds).
TEST_F(Failures, LargeLayersInLittleMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // A gigabyte starting with `start`, taking no room on the disk.
    auto gigabyte = [](const std::string& path, const Bytes& start) {
        writeFile(path, start);
        std::filesystem::resize_file(path, 1024 * kMiB);
    };
    writeNamedPoint(dir.file("big/HUTP"), "x");
    gigabyte(dir.file("big/HUTP.dbf"), readFile(dir.file("big/HUTP.dbf")));
    writeNamedPoint(dir.file("huge/HUTP"), "Dobra");
    gigabyte(dir.file("huge/HUTP.shp"), points(1) + Bytes("\0\0\0\2\x7f\xff\xff\xff", 8));
    RunResult run = runGeoconv(dir.path, {"-i", "1", "A", "good/HUTP.shp", "big/HUTP.shp", "huge/HUTP.shp"},
                               {.addressSpace = 256 * kMiB});
    EXPECT_EQ(run, (RunResult{2, "MapID 00000001 A\n", "za dlugi rekord, plik huge/HUTP.shp\n"}));
    EXPECT_EQ(objects(), kGood + comment("big/HUTP.shp") + hut("x") + comment("huge/HUTP.shp") + hut("Dobra"));
#endif
}

// Very many inputs on the command line and in a list file, and a layer of a
// million records: all converted.
TEST_F(Failures, VeryLargeRunsAreConvertedWhole) {
    std::vector<std::string> args = {"-i", "1", "A"};
    args.insert(args.end(), 10000, "good/HUTP.shp");
    EXPECT_EQ(run(args).err, "");
    EXPECT_TRUE(objects() == times(kGood, 10000));

    // 100,000 lines: every tenth names the layer, the others are blank.
    std::string list = "-i 00000002 Lista\n";
    for (int i = 0; i < 100000; ++i) list += i % 10 ? " \t\r\n" : "good/HUTP.shp\r\n";
    writeFile(dir.file("list"), list);
    EXPECT_EQ(run({"-@", "list"}).err, "");
    EXPECT_TRUE(objects("00000002.mp") == times(kGood, 10000));

    // A million point records, numbered 1 to 1,000,000, and a row for each.
    constexpr uint32_t kRecords = 1000000;
    Bytes record = points(1).substr(100);
    Bytes shp = buildShp({}, {.lengthWords = static_cast<int64_t>(100 + kRecords * record.size()) / 2});
    Bytes dbf = buildDbf({{"NAM", 'C', 1}}, {}, {.recordCount = kRecords, .endMarker = false});
    for (uint32_t n = 1; n <= kRecords; ++n) {
        for (int i = 0; i < 4; ++i) record[i] = static_cast<char>(n >> (24 - 8 * i));
        shp += record;
        dbf += " m";
    }
    layer("many/HUTP", shp, dbf);
    EXPECT_EQ(run({"-i", "3", "C", "many/HUTP.shp"}).err, "");
    // The map is its header, the comment and a million equal objects: its size
    // tells them all written, its tail that the last one is whole.
    const std::string object = hut("m"), map = readFile(dir.file("00000003.mp"));
    EXPECT_EQ(map.size(), readFile(dir.file("00000001.mp")).find(";plik") + comment("many/HUTP.shp").size() +
                              kRecords * object.size());
    EXPECT_EQ(map.substr(map.size() - object.size() - 1), "\n" + object);
}

// Every layer converted with a value of 254 characters, the most a field gives,
// in each of its fields: the labels built from names hold the name whole.
TEST_F(Failures, LongestNamesReachEveryLabelWhole) {
    const std::string value = std::string("1").append(times("Źródłowa"_cp, 32), 0, 253);  // as a code or a height: 1
    // The names, and the fields of the handlers that read more than their rows name.
    std::set<std::string> names = {"NAM", "BFC", "HWT", "TUC", "RTT", "USE", "EP1", "EP2", "EPW", "KVA", "PPC", "HQC"};
    for (const layers::LayerRow& row : layers::layerTable())
        for (const char* field : row.fields)
            if (field) names.insert(field);
    std::vector<DbfColumn> columns;
    for (const std::string& name : names) columns.push_back({name, 'C', 254});
    Bytes table = buildDbf(columns, {std::vector<std::string>(columns.size(), value)});
    std::vector<std::vector<XY>> ring = {{{19, 50}, {19, 50.01}, {19.01, 50.01}, {19, 50}}};
    std::vector<std::string> args = {"-i", "1", "A"};
    for (const layers::LayerRow& row : layers::layerTable()) {
        std::string name = row.name;
        char kind = name.back();
        Bytes shape = kind == 'L' ? polylineShape(ring) : kind == 'A' ? polygonShape(ring) : pointShape(19, 50);
        layer(name, buildShp({{shape}}), table);
        args.push_back(name + ".shp");
    }
    run(args);
    std::string text = objects();
    std::set<layers::LayerHandler> handlers, checked;  // every label-building handler is checked
    // The handlers whose labels are heights, depths and words, never a name.
    const std::set<layers::LayerHandler> numbersOnly = {layers::numberLabelHandler, layers::controlPointHandler,
                                                        layers::contourHandler, layers::embankmentHandler};
    for (const layers::LayerRow& row : layers::layerTable()) {
        if (numbersOnly.count(row.handler)) continue;
        handlers.insert(row.handler);
        SCOPED_TRACE(row.name);
        std::size_t start = text.find(";plik " + std::string(row.name) + ".shp\n");
        ASSERT_NE(start, std::string::npos);
        std::string layer = text.substr(start, text.find(";plik", start + 1) - start);
        // Layers whose object has no type write nothing.
        if (layer.find("[END]") == std::string::npos) continue;
        EXPECT_NE(layer.find(value), std::string::npos) << layer;
        checked.insert(row.handler);
    }
    EXPECT_EQ(checked, handlers);
}

}  // namespace
