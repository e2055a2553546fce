// Welding of an object's triangles for the indexed-mesh exporters: one position for every corner
// the builders computed twice, no triangle without area, no edge ending inside another, closed
// pieces wound outwards.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_WeldState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// How many times edges are split at corners that end on them, each pass looking afresh.
constexpr int MaxSplitPasses = 8;

using namespace weld;

// std::floor of a finite value as an integer, without a library call.
int64_t floorOf(double v) {
    const int64_t i = int64_t(v);
    return double(i) > v ? i - 1 : i;
}

// Chains of corners by grid cell: an open-addressing table from a cell's key to the last entry
// + 1 put in it (0: none), key and head side by side. Cells whose keys collide share a chain,
// which costs a few more comparisons and nothing else.
class CellTable {
  public:
    static uint64_t key(int64_t x, int64_t y, int64_t z) {
        uint64_t h = uint64_t(x) * 0x9E3779B97F4A7C15ull ^ uint64_t(y) * 0xC2B2AE3D27D4EB4Full ^
                     uint64_t(z) * 0x165667B19E3779F9ull;
        h ^= h >> 29;
        return h | 1; // 0 marks a free slot
    }
    // The chain head of key, or 0 when the cell is empty.
    uint32_t head(uint64_t key) const {
        if (slots_.empty()) return 0;
        for (size_t at = slot(key);; at = (at + 1) & mask_) {
            if (slots_[at].key == key) return slots_[at].head;
            if (slots_[at].key == 0) return 0;
        }
    }
    // The chain head of key, to be set; valid until the next call.
    uint32_t& place(uint64_t key) {
        if (2 * (used_ + 1) > slots_.size()) grow();
        size_t at = slot(key);
        while (slots_[at].key != key && slots_[at].key != 0)
            at = (at + 1) & mask_;
        if (slots_[at].key == 0) {
            slots_[at].key = key;
            ++used_;
        }
        return slots_[at].head;
    }

    // Makes room for count cells without growing.
    void reserve(size_t count) {
        while (2 * (count + 1) > slots_.size())
            grow();
    }

    void prefetch(uint64_t key) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[slot(key)]);
    }

  private:
    struct Slot {
        uint64_t key = 0;
        uint32_t head = 0;
    };
    size_t slot(uint64_t key) const { return size_t(key >> 20) & mask_; }
    void grow() {
        std::vector<Slot> old(slots_.empty() ? 1024 : 2 * slots_.size());
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& s : old) {
            if (s.key == 0) continue;
            size_t at = slot(s.key);
            while (slots_[at].key != 0)
                at = (at + 1) & mask_;
            slots_[at] = s;
        }
    }
    std::vector<Slot> slots_;
    size_t mask_ = 0, used_ = 0;
};

// Sets the tolerance and gives every corner the id of a position, corners within tolerance
// sharing the first one met; moved receives per triangle whether a corner may be off its
// position's bits (empty when none is). Starts from the corners numbered by their bits (w.ids,
// w.positions); each distinct corner, in the order first met, goes into a grid of cells 64
// tolerances wide: it looks for the nearest position within tolerance, and only one within
// tolerance of a cell's face looks into the neighbouring cell too.
void mergePositions(WeldState& w, std::vector<uint8_t>& moved) {
    // The corners as numbered by their bits become the distinct corners here.
    std::vector<Point3> distinct;
    distinct.swap(w.positions);
    double largest = 0;
    for (const Point3& p : distinct)
        largest = std::max({largest, std::fabs(p.X), std::fabs(p.Y), std::fabs(p.Z)});
    w.tolerance = largest * WeldFraction;
    const double cell = w.tolerance > 0 ? 64 * w.tolerance : 1;
    std::vector<uint32_t> positionOf(distinct.size());
    // Per distinct corner, whether it may not keep its bits: it went to another's position, or
    // its bits change on the way (a negative zero, a value that is not a number).
    std::vector<uint8_t> leaves(distinct.size(), 0);
    std::vector<uint32_t> next; // per position: the one before it in its cell's chain + 1
    CellTable cells;
    cells.reserve(distinct.size());
    // Cells are computed, and their table slots fetched, a few corners ahead.
    constexpr size_t Ahead = 8;
    struct Cell {
        int64_t base[3];
        uint64_t key;
    } ahead[Ahead];
    auto cellOf = [&](size_t i) {
        Cell c;
        const double pc[3] = {distinct[i].X, distinct[i].Y, distinct[i].Z};
        for (int a = 0; a < 3; ++a)
            c.base[a] = floorOf(pc[a] / cell);
        c.key = CellTable::key(c.base[0], c.base[1], c.base[2]);
        cells.prefetch(c.key);
        return c;
    };
    for (size_t i = 0; i < std::min(Ahead, distinct.size()); ++i)
        ahead[i] = cellOf(i);
    for (size_t i = 0; i < distinct.size(); ++i) {
        const Point3 p = distinct[i];
        const double pc[3] = {p.X, p.Y, p.Z};
        const Cell c = ahead[i % Ahead];
        if (i + Ahead < distinct.size()) ahead[i % Ahead] = cellOf(i + Ahead);
        const int64_t* base = c.base;
        int64_t low[3], high[3];
        for (int a = 0; a < 3; ++a) {
            low[a] = pc[a] - double(base[a]) * cell < w.tolerance ? base[a] - 1 : base[a];
            high[a] = double(base[a] + 1) * cell - pc[a] <= w.tolerance ? base[a] + 1 : base[a];
        }
        uint32_t found = UINT32_MAX;
        double best = w.tolerance;
        for (int64_t x = low[0]; x <= high[0]; ++x)
            for (int64_t y = low[1]; y <= high[1]; ++y)
                for (int64_t z = low[2]; z <= high[2]; ++z)
                    for (uint32_t e = cells.head(CellTable::key(x, y, z)); e != 0;
                         e = next[e - 1]) {
                        const Point3& o = w.positions[e - 1];
                        const double d = std::max(
                            {std::fabs(o.X - p.X), std::fabs(o.Y - p.Y), std::fabs(o.Z - p.Z)});
                        if (d <= best) {
                            best = d;
                            found = e - 1;
                        }
                    }
        if (found == UINT32_MAX) {
            found = uint32_t(w.positions.size());
            w.positions.push_back(p);
            uint32_t& head = cells.place(c.key);
            next.push_back(head);
            head = found + 1;
            for (double v : {p.X, p.Y, p.Z})
                leaves[i] |= !std::isfinite(v) || (v == 0 && std::signbit(v));
        } else {
            leaves[i] = 1;
        }
        positionOf[i] = found;
    }
    moved.clear();
    if (std::find(leaves.begin(), leaves.end(), uint8_t(1)) == leaves.end()) return;
    moved.resize(w.ids.size());
    for (size_t t = 0; t < w.ids.size(); ++t)
        for (uint32_t& i : w.ids[t]) {
            moved[t] |= leaves[i];
            i = positionOf[i];
        }
}

void setPosition(TMeshCorner& v, const Point3& p) {
    v.Position[0] = float(p.X) + 0.0f;
    v.Position[1] = float(p.Y) + 0.0f;
    v.Position[2] = float(p.Z) + 0.0f;
}

Vec3 toVec3(const Point3& p) {
    return Vec3{float(p.X), float(p.Y), float(p.Z)};
}

// Whether the triangle of corner ids id is left without area on the welded positions.
bool flatAt(const WeldState& w, const Ids& id) {
    double n[3];
    return id[0] == id[1] || id[1] == id[2] || id[0] == id[2] ||
           !faceNormal(toVec3(w.positions[id[0]]), toVec3(w.positions[id[1]]),
                       toVec3(w.positions[id[2]]), n);
}

// Moves every corner onto its position and drops the triangles that are left without area (those
// whose corners all stayed had area when they arrived). Given moved (per triangle, empty for
// none), only the triangles it marks may have a corner off its position.
void dropFlatTriangles(WeldState& w, const std::vector<uint8_t>* moved = nullptr) {
    size_t kept = 0;
    for (size_t t = 0; t < w.triangles.size(); ++t) {
        const Ids& id = w.ids[t];
        if (id[0] == id[1] || id[1] == id[2] || id[0] == id[2]) continue;
        TMeshTriangle& triangle = w.triangles[t];
        bool changed = false;
        const bool mayMove = !moved || (!moved->empty() && (*moved)[t]);
        for (size_t k = 0; k < 3 && mayMove; ++k) {
            TMeshCorner moving = triangle.Corners[k];
            setPosition(moving, w.positions[id[k]]);
            // Written only when it changes, so that most of the triangles stay clean in memory.
            if (std::memcmp(moving.Position, triangle.Corners[k].Position,
                            sizeof moving.Position) != 0) {
                std::memcpy(triangle.Corners[k].Position, moving.Position, sizeof moving.Position);
                changed = true;
            }
        }
        if (changed && flatAt(w, id)) continue;
        if (kept != t) {
            w.triangles[kept] = triangle;
            w.ids[kept] = id;
        }
        ++kept;
    }
    w.triangles.resize(kept);
    w.ids.resize(kept);
}

constexpr uint32_t CrowdedSide = UINT32_MAX - 1; // others, but none to pair with

// Per triangle side, the triangle across it (or OpenSide, CrowdedSide), and whether more than two
// triangles share its edge. Where they do (two folds of a surface touching along the edge), each
// triangle running the edge one way is paired with one running it the other way, in the order of
// the triangles.
struct Sides {
    std::vector<uint32_t> across;
    std::vector<uint8_t> crowded;
    bool anyOpen = false, anyCrowded = false;
};

bool runsFrom(const Ids& id, uint32_t a, uint32_t b) {
    return (id[0] == a && id[1] == b) || (id[1] == a && id[2] == b) || (id[2] == a && id[0] == b);
}

// One side of a triangle: the edge from its corner side to corner side + 1.
struct EdgeUse {
    uint32_t triangle;
    uint8_t side;
};

// Around a position, one of its triangles with the corners that follow and precede it there.
struct Around {
    uint32_t triangle, next, previous;
};

// Sets the triangle across side s of triangle t from the triangles around its corner `at` (in the
// order of the triangles), to is its other end. ways is room for crowded edges.
void findSide(const WeldState& w, Sides& sides, uint32_t t, size_t s, const Around* around,
              size_t count, uint32_t at, uint32_t to, std::vector<uint32_t> (&ways)[2]) {
    uint32_t& across = sides.across[3 * t + s];
    uint32_t shared = 0, other = OpenSide; // without branches: they mispredict here
    for (size_t i = 0; i < count; ++i) {
        const Around& u = around[i];
        const bool shares = u.triangle != t && (u.next == to || u.previous == to);
        shared += shares;
        other = shares ? u.triangle : other;
    }
    across = shared <= 1 ? other : CrowdedSide;
    sides.crowded[3 * t + s] = across == CrowdedSide;
    if (across != CrowdedSide) return;
    // Paired in the order of the triangles, the same from either end of the edge.
    const uint32_t a = w.ids[t][s], b = w.ids[t][(s + 1) % 3];
    const uint32_t low = std::min(a, b);
    ways[0].clear();
    ways[1].clear();
    for (size_t i = 0; i < count; ++i) {
        const Around& u = around[i];
        if (u.next == to || u.previous == to) // from low to high: way 0
            ways[(at == low ? u.next == to : u.previous == to) ? 0 : 1].push_back(u.triangle);
    }
    if (ways[0].size() != ways[1].size()) return;
    const int mine = a == low ? 0 : 1;
    const size_t place =
        size_t(std::find(ways[mine].begin(), ways[mine].end(), t) - ways[mine].begin());
    across = ways[1 - mine][place];
}

void summarise(Sides& sides) {
    sides.anyOpen =
        std::find(sides.across.begin(), sides.across.end(), OpenSide) != sides.across.end();
    sides.anyCrowded =
        std::find(sides.crowded.begin(), sides.crowded.end(), uint8_t(1)) != sides.crowded.end();
}

// The triangles around each position of positions (all when empty), in the order of the
// triangles: around[first[p]] to around[first[p + 1]] for the position p.
void aroundPositions(const WeldState& w, const std::vector<uint8_t>& positions,
                     std::vector<uint32_t>& first, std::vector<Around>& around) {
    const bool all = positions.empty();
    first.assign(w.positions.size() + 1, 0);
    for (const Ids& id : w.ids)
        for (uint32_t c : id)
            first[c + 1] += all || positions[c];
    for (size_t i = 1; i < first.size(); ++i)
        first[i] += first[i - 1];
    around.resize(first.back());
    std::vector<uint32_t> fill(first.begin(), first.end() - 1);
    for (uint32_t t = 0; t < w.ids.size(); ++t)
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t c = w.ids[t][k];
            if (all || positions[c])
                around[fill[c]++] = Around{t, w.ids[t][(k + 1) % 3], w.ids[t][(k + 2) % 3]};
        }
}

// Finds the neighbours of every side through the triangles around each position.
Sides findSides(const WeldState& w) {
    const size_t n = w.ids.size();
    Sides sides;
    // Most surfaces have no edge of more than two triangles: their sides pair up without the
    // general search.
    static_assert(OpenSide == UINT32_MAX);
    if (pairSides(w.ids, uint32_t(w.positions.size()), sides.across)) {
        sides.crowded.assign(3 * n, 0);
        summarise(sides);
        return sides;
    }
    std::vector<uint32_t> first;
    std::vector<Around> around;
    aroundPositions(w, {}, first, around);
    sides.across.assign(3 * n, OpenSide);
    sides.crowded.assign(3 * n, 0);
    std::vector<uint32_t> ways[2]; // triangles along a crowded edge: from low to high, back
    for (uint32_t t = 0; t < n; ++t)
        for (size_t s = 0; s < 3; ++s) {
            const uint32_t a = w.ids[t][s], b = w.ids[t][(s + 1) % 3];
            findSide(w, sides, t, s, &around[first[a]], first[a + 1] - first[a], a, b, ways);
        }
    summarise(sides);
    return sides;
}

// After seams were joined: drops the triangles left without area and finds the sides afresh, as
// dropFlatTriangles and findSides would, but looks only at the triangles at the joined positions
// when none of them is dropped (a side whose ends both stayed keeps its neighbours).
void afterJoin(WeldState& w, Sides& sides, const std::vector<uint8_t>& joined) {
    std::vector<uint32_t> touched;
    for (uint32_t t = 0; t < w.ids.size(); ++t) {
        const Ids& id = w.ids[t];
        if (joined[id[0]] || joined[id[1]] || joined[id[2]]) touched.push_back(t);
    }
    for (uint32_t t : touched) {
        if (flatAt(w, w.ids[t])) {
            dropFlatTriangles(w);
            sides = findSides(w);
            return;
        }
    }
    for (uint32_t t : touched)
        for (size_t k = 0; k < 3; ++k)
            setPosition(w.triangles[t].Corners[k], w.positions[w.ids[t][k]]);
    std::vector<uint32_t> first;
    std::vector<Around> around;
    aroundPositions(w, joined, first, around);
    std::vector<uint32_t> ways[2];
    for (uint32_t t : touched)
        for (size_t s = 0; s < 3; ++s) {
            const uint32_t a = w.ids[t][s], b = w.ids[t][(s + 1) % 3];
            if (!joined[a] && !joined[b]) continue;
            const uint32_t at = joined[a] ? a : b;
            findSide(w, sides, t, s, &around[first[at]], first[at + 1] - first[at], at,
                     at == a ? b : a, ways);
        }
    summarise(sides);
}

// The sides with no triangle across them.
std::vector<EdgeUse> openEdges(const Sides& sides) {
    std::vector<EdgeUse> open;
    for (uint32_t i = 0; i < sides.across.size(); ++i)
        if (sides.across[i] == OpenSide) open.push_back(EdgeUse{i / 3, uint8_t(i % 3)});
    return open;
}

// Removes faces that another face covers exactly, back to back: the same corners in reverse order.
// Where a round corner's ring lies outside the trimmed sides, its two corner bands (or wedges) on
// the inner side fold onto each other; together they enclose nothing.
bool dropFacesBackToBack(WeldState& w, const Sides& sides) {
    // Such faces have edges that more than two triangles share. Each face's corners in order
    // round it, starting at its smallest id: a quad's two triangles are (a b c) (a c d); a face
    // that lost a triangle is the one left.
    struct Face {
        std::array<uint32_t, 4> ids{};
        uint8_t size = 0;
        size_t first = 0, end = 0; // its triangles
        bool gone = false;
        bool operator<(const Face& o) const { return size != o.size ? size < o.size : ids < o.ids; }
    };
    auto canonical = [](Face f, bool reversed) {
        if (reversed) std::reverse(f.ids.begin(), f.ids.begin() + f.size);
        std::rotate(f.ids.begin(), std::min_element(f.ids.begin(), f.ids.begin() + f.size),
                    f.ids.begin() + f.size);
        return f;
    };
    std::vector<Face> faces;
    for (size_t t = 0; t < w.triangles.size();) {
        size_t end = t + 1;
        while (end < w.triangles.size() && w.triangles[end].Face == w.triangles[t].Face)
            ++end;
        bool crowded = false;
        for (size_t i = 3 * t; i < 3 * end; ++i)
            crowded = crowded || sides.crowded[i];
        Face f;
        const Ids& a = w.ids[t];
        if (end - t == 1) {
            f.ids = {a[0], a[1], a[2], 0};
            f.size = 3;
        } else if (end - t == 2 && w.ids[t + 1][0] == a[0] && w.ids[t + 1][1] == a[2]) {
            f.ids = {a[0], a[1], a[2], w.ids[t + 1][2]};
            f.size = 4;
        }
        if (crowded && f.size) {
            f = canonical(f, false);
            f.first = t;
            f.end = end;
            faces.push_back(f);
        }
        t = end;
    }
    std::sort(faces.begin(), faces.end());
    std::vector<bool> gone(w.triangles.size(), false);
    bool any = false;
    for (Face& f : faces) {
        if (f.gone) continue;
        const Face back = canonical(f, true);
        auto it = std::lower_bound(faces.begin(), faces.end(), back);
        while (it != faces.end() && !(back < *it) && (it->gone || &*it == &f))
            ++it;
        if (it == faces.end() || back < *it) continue;
        for (Face* g : {&f, &*it}) {
            g->gone = true;
            for (size_t t = g->first; t < g->end; ++t)
                gone[t] = true;
        }
        any = true;
    }
    if (!any) return false;
    size_t kept = 0;
    for (size_t t = 0; t < w.triangles.size(); ++t) {
        if (gone[t]) continue;
        w.triangles[kept] = w.triangles[t];
        w.ids[kept] = w.ids[t];
        ++kept;
    }
    w.triangles.resize(kept);
    w.ids.resize(kept);
    return true;
}

// Joins open edges (edges of one triangle only) that run back along each other with ends much
// closer than their length: the two sides of a seam that the builders computed apart. Returns
// whether any corner moved; joined marks the positions that went and those they went to.
bool joinSeams(WeldState& w, const Sides& sides, std::vector<uint8_t>& joined) {
    const std::vector<EdgeUse> open = openEdges(sides);
    if (open.empty()) return false;
    struct Edge {
        uint32_t from, to;
        double reach, middleX;
    };
    std::vector<Edge> edges;
    double widest = 0;
    for (const EdgeUse& e : open) {
        const uint32_t from = w.ids[e.triangle][e.side], to = w.ids[e.triangle][(e.side + 1) % 3];
        const Point3 &a = w.positions[from], &b = w.positions[to];
        edges.push_back(Edge{from, to, distance(a, b) * SeamFraction, (a.X + b.X) / 2});
        widest = std::max(widest, edges.back().reach);
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.middleX < b.middleX; });

    struct Pair {
        double d;
        uint32_t e, f;
        bool back; // f runs from e's end to its start
        bool operator<(const Pair& o) const {
            return d != o.d ? d < o.d : e != o.e ? e < o.e : f < o.f;
        }
    };
    std::vector<Pair> pairs;
    for (uint32_t i = 0; i < edges.size(); ++i)
        for (uint32_t j = i + 1; j < edges.size() && edges[j].middleX - edges[i].middleX <= widest;
             ++j) {
            const Edge &e = edges[i], &f = edges[j];
            const double reach = std::min(e.reach, f.reach);
            // Back along each other, or the same way where one side is wound the wrong way
            // round (its winding is mended later).
            for (bool back : {true, false}) {
                const double d1 = distance(w.positions[e.from], w.positions[back ? f.to : f.from]);
                const double d2 = distance(w.positions[e.to], w.positions[back ? f.from : f.to]);
                if (d1 <= reach && d2 <= reach && (d1 > 0 || d2 > 0))
                    pairs.push_back({d1 + d2, i, j, back});
            }
        }
    if (pairs.empty()) return false;

    // Closest first, each edge in one seam, each group of corners keeping the one met first.
    std::sort(pairs.begin(), pairs.end());
    std::vector<bool> paired(edges.size(), false);
    std::vector<uint32_t> to(w.positions.size());
    for (uint32_t i = 0; i < to.size(); ++i)
        to[i] = i;
    auto root = [&](uint32_t i) {
        while (to[i] != i)
            i = to[i] = to[to[i]];
        return i;
    };
    auto join = [&](uint32_t a, uint32_t b) {
        a = root(a), b = root(b);
        if (a != b) to[std::max(a, b)] = std::min(a, b);
    };
    for (const Pair& p : pairs) {
        if (paired[p.e] || paired[p.f]) continue;
        paired[p.e] = paired[p.f] = true;
        join(edges[p.e].from, p.back ? edges[p.f].to : edges[p.f].from);
        join(edges[p.e].to, p.back ? edges[p.f].from : edges[p.f].to);
    }
    joined.assign(w.positions.size(), 0);
    for (uint32_t i = 0; i < to.size(); ++i)
        if (const uint32_t r = root(i); r != i) joined[i] = joined[r] = 1;
    for (Ids& id : w.ids)
        for (uint32_t& i : id)
            i = root(i);
    return true;
}

// Splits every edge used by one triangle only at the corners of such edges that lie on it: where
// one side of a seam has a corner the other side lacks. Returns whether anything was split.
bool splitAtCornersOnEdges(WeldState& w, const Sides& sides) {
    const std::vector<EdgeUse> open = openEdges(sides);
    if (open.empty()) return false;

    // Corners of open edges, by X, each with the other ends of its open edges.
    std::vector<std::pair<uint32_t, uint32_t>> ends; // (corner, other end), both ways
    for (const EdgeUse& e : open) {
        const uint32_t a = w.ids[e.triangle][e.side], b = w.ids[e.triangle][(e.side + 1) % 3];
        ends.emplace_back(a, b);
        ends.emplace_back(b, a);
    }
    std::sort(ends.begin(), ends.end());
    std::vector<uint32_t> corners;
    for (const auto& end : ends)
        if (corners.empty() || corners.back() != end.first) corners.push_back(end.first);
    std::sort(corners.begin(), corners.end(),
              [&](uint32_t a, uint32_t b) { return w.positions[a].X < w.positions[b].X; });

    // Per triangle side, the corners lying inside it with their place along it (0..1).
    std::vector<std::vector<std::pair<double, uint32_t>>> splits(3 * w.triangles.size());
    bool any = false;
    const double tol = w.tolerance;
    for (const EdgeUse& e : open) {
        const uint32_t ia = w.ids[e.triangle][e.side], ib = w.ids[e.triangle][(e.side + 1) % 3];
        const Point3 &a = w.positions[ia], &b = w.positions[ib];
        const double d[3] = {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (!(length > 2 * tol)) continue;
        // Whether p lies on the line of the edge, and how far along it from a.
        auto onLine = [&](const Point3& p, double& along) {
            const double v[3] = {p.X - a.X, p.Y - a.Y, p.Z - a.Z};
            along = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length;
            const double s = along / length;
            return std::max({std::fabs(v[0] - s * d[0]), std::fabs(v[1] - s * d[1]),
                             std::fabs(v[2] - s * d[2])}) <= tol;
        };
        const double x0 = std::min(a.X, b.X) - tol, x1 = std::max(a.X, b.X) + tol;
        auto from = std::lower_bound(corners.begin(), corners.end(), x0,
                                     [&](uint32_t c, double x) { return w.positions[c].X < x; });
        for (auto it = from; it != corners.end() && w.positions[*it].X <= x1; ++it) {
            double along = 0;
            if (*it == ia || *it == ib || !onLine(w.positions[*it], along) || along <= tol ||
                along >= length - tol)
                continue;
            // A seam: the corner's own open edges run along this one.
            bool seam = false;
            auto end = std::lower_bound(ends.begin(), ends.end(), std::make_pair(*it, 0u));
            for (; !seam && end != ends.end() && end->first == *it; ++end) {
                double at = 0;
                seam = end->second == ia || end->second == ib ||
                       (onLine(w.positions[end->second], at) && at >= -tol && at <= length + tol);
            }
            if (!seam) continue;
            const double s = along / length;
            splits[3 * size_t(e.triangle) + e.side].emplace_back(s, *it);
            any = true;
        }
    }
    if (!any) return false;

    // Each triangle with corners on a side becomes a fan from the opposite corner; its other
    // sides are looked at again in the next pass.
    std::vector<TMeshTriangle> triangles;
    std::vector<Ids> ids;
    triangles.reserve(w.triangles.size());
    ids.reserve(w.triangles.size());
    for (size_t t = 0; t < w.triangles.size(); ++t) {
        int side = -1;
        for (int s = 0; s < 3 && side < 0; ++s)
            if (!splits[3 * t + size_t(s)].empty()) side = s;
        if (side < 0) {
            triangles.push_back(w.triangles[t]);
            ids.push_back(w.ids[t]);
            continue;
        }
        auto& on = splits[3 * t + size_t(side)];
        std::sort(on.begin(), on.end());
        const TMeshTriangle& original = w.triangles[t];
        const TMeshCorner& a = original.Corners[side];
        const TMeshCorner& b = original.Corners[(side + 1) % 3];
        const TMeshCorner& opposite = original.Corners[(side + 2) % 3];
        const uint32_t oppositeId = w.ids[t][size_t((side + 2) % 3)];
        TMeshCorner previous = a;
        uint32_t previousId = w.ids[t][size_t(side)];
        for (size_t i = 0; i <= on.size(); ++i) {
            TMeshCorner next = b;
            uint32_t nextId = w.ids[t][size_t((side + 1) % 3)];
            if (i < on.size()) {
                const double s = on[i].first;
                nextId = on[i].second;
                setPosition(next, w.positions[nextId]);
                for (int c = 0; c < 2; ++c)
                    next.TexCoord[c] =
                        float(a.TexCoord[c] + s * (double(b.TexCoord[c]) - a.TexCoord[c])) + 0.0f;
            }
            if (nextId != previousId) {
                TMeshTriangle piece = original;
                piece.Corners[0] = previous;
                piece.Corners[1] = next;
                piece.Corners[2] = opposite;
                triangles.push_back(piece);
                ids.push_back(Ids{previousId, nextId, oppositeId});
            }
            previous = next;
            previousId = nextId;
        }
    }
    w.triangles.swap(triangles);
    w.ids.swap(ids);
    return true;
}

// Winds every closed piece of the surface one way round, outwards (positive enclosed volume).
// Pieces with an edge that is not shared by exactly two triangles are left as they are.
void orientClosedPieces(WeldState& w, const Sides& sides) {
    const size_t n = w.triangles.size();
    const std::vector<uint32_t>& across = sides.across;

    std::vector<int8_t> flipped(n, -1); // -1: not reached yet
    std::vector<uint32_t> piece;
    for (size_t start = 0; start < n; ++start) {
        if (flipped[start] >= 0) continue;
        piece.clear();
        piece.push_back(uint32_t(start));
        flipped[start] = 0;
        bool closed = true;
        for (size_t i = 0; i < piece.size(); ++i) {
            const uint32_t t = piece[i];
            const Ids& id = w.ids[t];
            for (size_t s = 0; s < 3; ++s) {
                const uint32_t o = across[3 * t + s];
                if (o == OpenSide || o == CrowdedSide) {
                    closed = false;
                    continue;
                }
                // Whether the triangle across runs the shared edge the same way.
                const int8_t sameWay = int8_t(runsFrom(w.ids[o], id[s], id[(s + 1) % 3]));
                if (flipped[o] < 0) {
                    flipped[o] = int8_t(flipped[t] ^ sameWay);
                    piece.push_back(o);
                } else if ((flipped[o] ^ flipped[t]) != sameWay) {
                    closed = false; // one-sided, like a Moebius strip
                }
            }
        }
        if (!closed) continue;
        // Six times the enclosed volume, measured from the piece's first corner.
        const Point3& r = w.positions[w.ids[piece[0]][0]];
        double volume = 0;
        for (uint32_t t : piece) {
            const Point3 &a = w.positions[w.ids[t][0]], &b = w.positions[w.ids[t][1]],
                         &c = w.positions[w.ids[t][2]];
            const double u[3] = {a.X - r.X, a.Y - r.Y, a.Z - r.Z};
            const double v[3] = {b.X - r.X, b.Y - r.Y, b.Z - r.Z};
            const double q[3] = {c.X - r.X, c.Y - r.Y, c.Z - r.Z};
            const double det = u[0] * (v[1] * q[2] - v[2] * q[1]) -
                               u[1] * (v[0] * q[2] - v[2] * q[0]) +
                               u[2] * (v[0] * q[1] - v[1] * q[0]);
            volume += flipped[t] ? -det : det;
        }
        const int8_t inward = volume < 0 ? 1 : 0;
        for (uint32_t t : piece)
            if (flipped[t] ^ inward) flip(w.triangles[t], w.ids[t]);
    }
}

} // namespace

uint32_t weldTriangles(std::vector<TMeshTriangle>& triangles,
                       std::vector<std::array<uint32_t, 3>>* positionIds, TWeldRoom* room) {
    if (positionIds) positionIds->clear();
    if (triangles.empty()) return 0;
    WeldState w{triangles, {}, {}, 0, room};
    if (positionIds) w.ids.swap(*positionIds); // their room
    std::vector<uint32_t> across;
    // The kept tables serve this object and go back for the next, whichever way this returns.
    auto exchange = [&] {
        if (!room) return;
        w.positions.swap(room->positions);
        across.swap(room->across);
    };
    exchange();
    const TGiveBack<decltype(exchange)&> giveBack{exchange};
    numberCornersByBits(w);
    if (closedAsGiven(w, across)) {
        turnPiecesOutwards(w, across);
        if (positionIds) positionIds->swap(w.ids);
        return uint32_t(w.positions.size());
    }
    std::vector<uint8_t> moved;
    mergePositions(w, moved);
    dropFlatTriangles(w, &moved);
    Sides sides = findSides(w);
    std::vector<uint8_t> joined;
    if (sides.anyOpen && joinSeams(w, sides, joined)) afterJoin(w, sides, joined);
    if (sides.anyCrowded && dropFacesBackToBack(w, sides)) sides = findSides(w);
    for (int pass = 0; pass < MaxSplitPasses && sides.anyOpen; ++pass) {
        if (!splitAtCornersOnEdges(w, sides)) break;
        sides = findSides(w);
    }
    orientClosedPieces(w, sides);
    if (positionIds) positionIds->swap(w.ids);
    return uint32_t(w.positions.size());
}
