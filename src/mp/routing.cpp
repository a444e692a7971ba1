#include "mp/routing.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "mp/coordinates.hpp"
#include "mp/output_map.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace mp {

namespace {

using catalog::Obj;

// Access lists of RouteParam (see RouteRow).
constexpr const char* kEveryone = "0,0,0,0,0,0,0,0";
constexpr const char* kNoWalkers = "0,0,0,0,0,1,1,0";   // motorways and expressways
constexpr const char* kWalkersOnly = "1,1,1,1,1,0,0,1";  // tracks and paths: on foot and by bicycle

// The routable objects: the seven of the road layer, the interchange ramps
// that join them, and cart tracks and paths for walkers and cyclists.
constexpr RouteRow kRouteRows[] = {
    {Obj::ol_autostr, 7, 4, kNoWalkers},
    {Obj::ol_droga_sz, 6, 3, kNoWalkers},
    {Obj::ol_droga_g1, 5, 3, kEveryone},
    {Obj::ol_droga_g2, 5, 2, kEveryone},
    {Obj::ol_droga_dr, 4, 2, kEveryone},
    {Obj::ol_ulica_gl, 3, 1, kEveryone},
    {Obj::ol_droga_utw, 3, 1, kEveryone},
    {Obj::ol_slimak, 4, 3, kEveryone},
    {Obj::ol_dgruntowa, 1, 0, kWalkersOnly},
    {Obj::ol_sciezka, 0, 0, kWalkersOnly},
};

// A vertex as the map writes it.
using Units = PlaceUnits;
constexpr int32_t kNegativeZero = kNegativeZeroUnits;

// The vertices of the held roads, grown with realloc: large blocks move by
// remapping their pages instead of being copied.
class PointStore {
public:
    PointStore() = default;
    PointStore(const PointStore&) = delete;
    PointStore& operator=(PointStore&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ~PointStore() { std::free(data_); }

    // Room for `more` vertices behind the last, or null when none is to be had.
    Units* room(std::size_t more) {
        if (capacity_ - size_ < more) {
            std::size_t capacity = std::max(capacity_ + capacity_ / 2, size_ + more);
            if (capacity > std::numeric_limits<uint32_t>::max()) return nullptr;
            void* grown = std::realloc(data_, capacity * sizeof(Units));
            if (!grown) return nullptr;
            data_ = static_cast<Units*>(grown);
            capacity_ = capacity;
        }
        return data_ + size_;
    }
    // The first `count` vertices of the room are kept.
    void keep(std::size_t count) { size_ += count; }

    const Units& operator[](std::size_t i) const { return data_[i]; }
    const Units* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

private:
    Units* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// One held road: its vertices in `points`, its label (zero-terminated) in
// `labels`. 24 bytes.
struct HeldRoad {
    uint32_t first;
    uint32_t count;
    uint32_t label;
    uint32_t type;
    int32_t level;
    uint32_t row;  // in kRouteRows
};

struct Network {
    PointStore points;
    std::vector<HeldRoad> roads;
    std::vector<char> labels;
    uint32_t lastLabel = 0;  // the label stored last, shared by the parts of a record
    double box[4] = {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};  // X min, Y min, X max, Y max
} network;

bool toUnits(double value, int32_t& out) {
    int64_t units;
    bool negative;
    if (!coordinateUnits(value, units, negative)) return false;
    if (units == 0 && negative) {
        out = kNegativeZero;
        return true;
    }
    if (units <= kNegativeZero || units > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(units);
    return true;
}

// Degrees, for comparing with the box of the map's objects.
double fromUnits(int32_t units) {
    return units == kNegativeZero ? -0.0 : units * 1e-7;
}

// Vertices that are written alike share a key ("-0.0000000" is the place of "0.0000000").
uint64_t keyOf(Units u) {
    auto part = [](int32_t v) { return static_cast<uint32_t>(v == kNegativeZero ? 0 : v); };
    return uint64_t{part(u.lat)} << 32 | part(u.lon);
}

// Node numbers by vertex key: open addressing, node 0 marks a free slot. New
// nodes take their numbers from a counter that tables may share.
class NodeTable {
public:
    NodeTable(std::size_t expected, uint32_t& counter) : counter_(counter) {
        std::size_t size = 16;
        while (size < 2 * expected) size *= 2;
        slots_.assign(size, Slot{});
        filter_.assign(size / 8, 0);  // 16 bits per expected key (size is 2 × that, 64 bits a word)
        filterMask_ = filter_.size() * 64 - 1;
    }

    // The hash that picks a key's two bits of the filter.
    static uint64_t hashOf(uint64_t key) {
        key ^= key >> 29;
        key *= 0xC2B2AE3D27D4EB4Full;
        return key ^ (key >> 31);
    }

    // 0 when the key has no node. Most vertices have none: the filter tells
    // them without a look into the larger table.
    uint32_t find(uint64_t key) const { return find(key, hashOf(key)); }
    uint32_t find(uint64_t key, uint64_t hash) const {
        if (!mayHold(hash)) return 0;
        for (std::size_t i = start(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].node == 0 || slots_[i].key == key) return slots_[i].node;
        }
    }

    // Asks for the memory find will read for a key: the filter's words first,
    // then, when the filter lets the key pass, its first slot.
    void prefetchFilter(uint64_t hash) const {
        __builtin_prefetch(&filter_[(hash & filterMask_) / 64]);
        __builtin_prefetch(&filter_[((hash >> 32) & filterMask_) / 64]);
    }
    void prefetchSlot(uint64_t key, uint64_t hash) const {
        if (mayHold(hash)) __builtin_prefetch(&slots_[start(key)]);
    }
    // The same for a key that add will be given.
    void prefetchInsert(uint64_t key) const {
        uint64_t hash = hashOf(key);
        __builtin_prefetch(&slots_[start(key)], 1);
        __builtin_prefetch(&filter_[(hash & filterMask_) / 64], 1);
        __builtin_prefetch(&filter_[((hash >> 32) & filterMask_) / 64], 1);
    }

    // The node of the key, numbered next when it has none yet.
    uint32_t add(uint64_t key) {
        if (2 * (entries_ + 1) > slots_.size()) grow();
        std::size_t i = start(key);
        while (slots_[i].node != 0 && slots_[i].key != key) i = (i + 1) & (slots_.size() - 1);
        if (slots_[i].node == 0) {
            ++entries_;
            slots_[i] = {key, ++counter_};
            uint64_t hash = hashOf(key);
            for (std::size_t bit : {hash & filterMask_, (hash >> 32) & filterMask_})
                filter_[bit / 64] |= uint64_t{1} << (bit % 64);
        }
        return slots_[i].node;
    }

private:
    struct Slot {
        uint64_t key = 0;
        uint32_t node = 0;
    };
    std::size_t start(uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 17) & (slots_.size() - 1);
    }
    bool mayHold(uint64_t hash) const {
        std::size_t a = hash & filterMask_, b = (hash >> 32) & filterMask_;
        return (filter_[a / 64] >> (a % 64) & 1) && (filter_[b / 64] >> (b % 64) & 1);
    }
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.node == 0) continue;
            std::size_t i = start(slot.key);
            while (slots_[i].node != 0) i = (i + 1) & (slots_.size() - 1);
            slots_[i] = slot;
        }
    }
    std::vector<Slot> slots_;
    std::vector<uint64_t> filter_;  // keeps its size when the slots grow: more keys share bits
    std::size_t filterMask_ = 0;
    uint32_t entries_ = 0;
    uint32_t& counter_;
};

// How many vertices ahead of its look-up a vertex's memory is asked for.
constexpr uint32_t kLookAhead = 8;

// A routing node at a road's vertex (counted from the road's first).
struct Mark {
    uint32_t vertex;
    uint32_t node;
};

// Appends the decimal digits of value.
char* appendNumber(char* out, uint32_t value) {
    return std::to_chars(out, out + 10, value).ptr;
}

char* appendText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// The writing of the held roads at the map's close.
struct RoadWriter {
    const Network& net;
    uint32_t nodeCount = 0;
    NodeTable table;  // the places of road ends, fixed before the first road is written
    NodeTable made;   // nodes made where a road is split
    std::vector<uint32_t> ends;  // per road: the nodes of its first and last vertex
    std::vector<uint8_t> seen;  // per node: vertices at it, counted up to 2
    std::vector<uint32_t> piece;     // per node: the piece that holds it
    std::vector<uint32_t> position;  // per node: its vertex in that piece's road
    std::vector<uint64_t> keys;      // the keys of the road being written
    std::vector<uint64_t> hashes;    // and their hashes
    std::vector<Mark> marks;         // its nodes
    std::vector<Mark> current;       // the nodes of the piece being built
    uint32_t pieceNumber = 0;
    uint32_t roadId = 0;

    explicit RoadWriter(const Network& network)
        : net(network), table(2 * network.roads.size(), nodeCount), made(16, nodeCount) {}

    void grow() {
        std::size_t size = nodeCount + std::size_t{1};
        if (seen.size() < size) {
            seen.resize(size, 2);  // a node made at a split joins the two pieces
            piece.resize(size, 0);
            position.resize(size, 0);
        }
    }

    // Within 10^-7 degree of an edge of the box of the map's objects.
    bool onBox(Units u) const {
        constexpr double kTolerance = 1.0000001e-7;
        double x = fromUnits(u.lon), y = fromUnits(u.lat);
        return std::fabs(x - net.box[0]) <= kTolerance || std::fabs(y - net.box[1]) <= kTolerance ||
               std::fabs(x - net.box[2]) <= kTolerance || std::fabs(y - net.box[3]) <= kTolerance;
    }

    // One road object: vertices from to `to` of the road, with the nodes of `marks`.
    void writePiece(const HeldRoad& road, uint32_t from, uint32_t to, const Mark* marks, std::size_t markCount) {
        const RouteRow& row = kRouteRows[road.row];
        writeObjectHead(ObjectKind::polyline, road.type, road.level, net.labels.data() + road.label, nullptr);
        char line[96];
        char* out = appendText(line, "RoadID="_cp);
        out = appendNumber(out, ++roadId);
        out = appendText(out, "\nRouteParam="_cp);
        out = appendNumber(out, row.speed);
        *out++ = ',';
        out = appendNumber(out, row.roadClass);
        out = appendText(out, ",0,0,"_cp);
        out = appendText(out, row.denied);
        *out++ = '\n';
        writeOutput(line, static_cast<std::size_t>(out - line));
        writePointRun(net.points.data() + road.first + from, to - from + 1);
        for (std::size_t i = 0; i < markCount; ++i) {
            const Mark& mark = marks[i];
            bool boundary = seen[mark.node] == 1 && onBox(net.points[road.first + mark.vertex]);
            out = appendText(line, "\nNod"_cp);
            out = appendNumber(out, static_cast<uint32_t>(i + 1));
            *out++ = '=';
            out = appendNumber(out, mark.vertex - from);
            *out++ = ',';
            out = appendNumber(out, mark.node);
            *out++ = ',';
            *out++ = boundary ? '1' : '0';
            writeOutput(line, static_cast<std::size_t>(out - line));
        }
        constexpr std::string_view kTail = "\n[END]\n\n"_cp;
        writeOutput(kTail.data(), kTail.size());
    }

    // Writes a road as pieces of which none holds a node twice: a piece ends
    // at its last node before the repeated one, or, with no node between the
    // two, at the vertex before the repetition, which becomes a node.
    void writeRoad(std::size_t r) {
        const HeldRoad& road = net.roads[r];
        // Every vertex at a road end's place is a node.
        marks.clear();
        marks.push_back({0, ends[2 * r]});
        const Units* points = net.points.data() + road.first;
        keys.resize(road.count);
        hashes.resize(road.count);
        for (uint32_t v = 0; v < road.count; ++v) {
            keys[v] = keyOf(points[v]);
            hashes[v] = NodeTable::hashOf(keys[v]);
        }
        for (uint32_t v = 1; v + 1 < road.count; ++v) {
            if (v + 2 * kLookAhead < road.count) table.prefetchFilter(hashes[v + 2 * kLookAhead]);
            if (v + kLookAhead < road.count) table.prefetchSlot(keys[v + kLookAhead], hashes[v + kLookAhead]);
            if (uint32_t node = table.find(keys[v], hashes[v])) marks.push_back({v, node});
        }
        marks.push_back({road.count - 1, ends[2 * r + 1]});
        auto enter = [&](const Mark& mark) {
            piece[mark.node] = pieceNumber;
            position[mark.node] = mark.vertex;
            current.push_back(mark);
        };
        ++pieceNumber;
        current.clear();
        for (Mark mark : marks) {
            if (piece[mark.node] == pieceNumber) {
                Mark split = current.back();
                if (split.vertex <= position[mark.node]) {
                    split = {mark.vertex - 1, made.add(keyOf(net.points[road.first + mark.vertex - 1]))};
                    grow();
                    current.push_back(split);
                }
                writePiece(road, current.front().vertex, split.vertex, current.data(), current.size());
                ++pieceNumber;
                current.clear();
                enter(split);
            }
            enter(mark);
        }
        writePiece(road, current.front().vertex, road.count - 1, current.data(), current.size());
    }

    // The nodes are known from the road ends alone, so the roads are written
    // while their nodes are looked up. Only the ends that meet no other end
    // on the edge of the map's objects are first checked against every
    // vertex: met by none, they are boundary nodes.
    void run() {
        std::size_t roads = net.roads.size();
        auto endKey = [&](std::size_t r, bool last) {
            const HeldRoad& road = net.roads[r];
            return keyOf(net.points[road.first + (last ? road.count - 1 : 0)]);
        };
        ends.reserve(2 * roads);
        for (std::size_t r = 0; r < roads; ++r) {
            if (r + kLookAhead < roads)
                for (bool last : {false, true}) table.prefetchInsert(endKey(r + kLookAhead, last));
            ends.push_back(table.add(endKey(r, false)));
            ends.push_back(table.add(endKey(r, true)));
        }
        grow();
        std::fill(seen.begin(), seen.end(), 0);
        for (uint32_t node : ends)
            if (seen[node] < 2) ++seen[node];
        std::vector<uint64_t> lone;
        for (std::size_t r = 0; r < net.roads.size(); ++r) {
            const HeldRoad& road = net.roads[r];
            for (uint32_t v : {0u, road.count - 1})
                if (seen[ends[2 * r + (v != 0)]] == 1 && onBox(net.points[road.first + v]))
                    lone.push_back(keyOf(net.points[road.first + v]));
        }
        if (!lone.empty()) {
            uint32_t count = 0;
            NodeTable loneTable(lone.size(), count);
            for (uint64_t key : lone) loneTable.add(key);
            // Only a vertex on the box's edge can lie at such an end.
            for (const HeldRoad& road : net.roads)
                for (uint32_t v = 1; v + 1 < road.count; ++v) {
                    Units u = net.points[road.first + v];
                    if (!onBox(u)) continue;
                    if (loneTable.find(keyOf(u))) seen[table.find(keyOf(u))] = 2;
                }
        }
        for (std::size_t r = 0; r < net.roads.size(); ++r) writeRoad(r);
    }
};

}  // namespace

const RouteRow* routeRow(const catalog::ObjectType& object) {
    const catalog::ObjectType* base = catalog::catalogue.data();
    if (&object < base || &object >= base + catalog::kCatalogueSize) return nullptr;
    auto id = static_cast<Obj>(&object - base);
    for (const RouteRow& row : kRouteRows)
        if (row.object == id) return &row;
    return nullptr;
}

bool holdRoad(const uint8_t* points, uint32_t first, uint32_t end, uint32_t type, int32_t level,
              const char* label, const RouteRow& row) {
    Network& net = network;
    Units* const room = net.points.room(end - first);
    if (!room || net.roads.size() >= std::numeric_limits<uint32_t>::max() / 2) return false;
    Units* out = room;
    for (uint32_t i = first; i < end; ++i) {
        Point p = pointAt(points, i);
        Units u;
        if (!toUnits(p.y, u.lat) || !toUnits(p.x, u.lon)) return false;
        // A vertex written like the one before adds nothing to the road.
        if (out > room && keyOf(u) == keyOf(out[-1])) continue;
        *out++ = u;
    }
    auto count = static_cast<uint32_t>(out - room);
    if (count < 2) return false;
    auto start = static_cast<uint32_t>(net.points.size());
    net.points.keep(count);
    std::size_t labelLength = std::strlen(label);
    if (net.labels.empty() || std::strcmp(net.labels.data() + net.lastLabel, label) != 0) {
        net.lastLabel = static_cast<uint32_t>(net.labels.size());
        net.labels.insert(net.labels.end(), label, label + labelLength + 1);
    }
    net.roads.push_back({start, count, net.lastLabel, type, level,
                         static_cast<uint32_t>(&row - kRouteRows)});
    return true;
}

void widenMapBox(double xMin, double yMin, double xMax, double yMax) {
    double* box = network.box;
    // Comparisons that fail for a value that is not a number leave it out.
    if (xMin < box[0]) box[0] = xMin;
    if (yMin < box[1]) box[1] = yMin;
    if (xMax > box[2]) box[2] = xMax;
    if (yMax > box[3]) box[3] = yMax;
}

void writeHeldRoads() {
    if (!network.roads.empty()) RoadWriter(network).run();
    dropHeldRoads();
}

void dropHeldRoads() {
    network = Network{};
}

HeldRoadsSize heldRoadsSize() {
    const Network& net = network;
    return {net.roads.size(), net.points.size(),
            net.points.capacity() * sizeof(Units) + net.roads.capacity() * sizeof(HeldRoad) + net.labels.capacity()};
}

}  // namespace mp
