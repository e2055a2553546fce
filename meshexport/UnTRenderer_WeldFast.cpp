// The weld's fast path: corners numbered by their bits once, and solids whose corners already
// meet (or surfaces whose open sides lie well apart) settled without the tolerance merge, seam
// joining and splits. The weld is the prepare stage's first step.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_WeldState.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace weld {

// The second triangle of a quad shares two corners with the first, and the next quad of a strip
// two with the last: their numbers are taken over when the bits agree.
uint32_t numberCornersByBits(WeldState& w) {
    using Bits = std::array<float, 3>;
    TUniqueValues<Bits> local;
    TUniqueValues<Bits>& distinct = w.room ? w.room->corners : local;
    distinct.clear();
    // A closed surface has about half as many corners as triangles.
    distinct.reserve(w.triangles.size() / 2 + 16);
    w.ids.resize(w.triangles.size());
    auto number = [&](const float* p) {
        Bits b;
        std::memcpy(b.data(), p, sizeof b);
        return distinct.add(b);
    };
    // The large table is mostly out of the cache: the slots of corners a few triangles on are
    // fetched while these are numbered.
    constexpr size_t Ahead = 16;
    for (size_t t = 0; t < w.triangles.size(); ++t) {
        if (t + Ahead < w.triangles.size()) {
            Bits b;
            std::memcpy(b.data(), w.triangles[t + Ahead].Corners[2].Position, sizeof b);
            distinct.prefetch(b);
        }
        const TMeshTriangle& triangle = w.triangles[t];
        Ids& id = w.ids[t];
        const TMeshTriangle* before = t > 0 ? &w.triangles[t - 1] : nullptr;
        auto sameAs = [&](size_t k, size_t kBefore) {
            return before && std::memcmp(triangle.Corners[k].Position,
                                         before->Corners[kBefore].Position, sizeof(float[3])) == 0;
        };
        if (before && before->Face == triangle.Face && sameAs(0, 0) && sameAs(1, 2)) {
            id[0] = w.ids[t - 1][0];
            id[1] = w.ids[t - 1][2];
            id[2] = number(triangle.Corners[2].Position);
        } else {
            // The next quad of a strip begins with the last one's far corners.
            id[0] = number(triangle.Corners[0].Position);
            id[1] = sameAs(1, 0) ? w.ids[t - 1][0] : number(triangle.Corners[1].Position);
            id[2] = sameAs(2, 2) ? w.ids[t - 1][2] : number(triangle.Corners[2].Position);
        }
    }
    w.positions.resize(distinct.size());
    for (size_t i = 0; i < distinct.size(); ++i)
        w.positions[i] = toPoint(distinct.values()[i].data());
    return uint32_t(distinct.size());
}

namespace {

// Whether the weld keeps a coordinate as it is: a number, and no negative zero.
bool kept(double v) {
    return std::isfinite(v) && !(v == 0 && std::signbit(v));
}

// Whether every triangle has three corners and every edge is one of at most two triangles,
// which run it opposite ways: gives the triangle across each side then (OpenSide where none) and
// whether any side is open.
bool sidesPaired(const std::vector<Ids>& ids, uint32_t count, std::vector<uint32_t>& across,
                 TWeldRoom* room, bool& open) {
    bool eachWayOnce = false;
    return pairSides(ids, count, across, &eachWayOnce, room, &open) && eachWayOnce;
}

double distanceToSide(const Point3& p, const Point3& a, const Point3& b) {
    const double d[3] = {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
    const double v[3] = {p.X - a.X, p.Y - a.Y, p.Z - a.Z};
    const double length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double s = length2 > 0 ? (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length2 : 0;
    s = std::clamp(s, 0.0, 1.0);
    const double e[3] = {v[0] - s * d[0], v[1] - s * d[1], v[2] - s * d[2]};
    return std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
}

// Whether the open sides (those no other triangle shares) lie well apart, so that the weld proper
// would leave them as they are: no side shorter than the margin, and no corner of an open side
// within the margin of an open side it does not end. The margin is twice the farthest any corner
// may go there, the weld's tolerance or a seam's reach along the longest open side. False too
// when the look would take long (open corners crowded together).
bool openSidesApart(const std::vector<Ids>& ids, const std::vector<std::array<float, 3>>& positions,
                    const std::vector<uint32_t>& across) {
    struct Side {
        uint32_t a, b;
    };
    std::vector<Side> sides;
    for (size_t i = 0; i < across.size(); ++i)
        if (across[i] == OpenSide) {
            const Ids& id = ids[i / 3];
            sides.push_back(Side{id[i % 3], id[(i % 3 + 1) % 3]});
        }
    auto point = [&](uint32_t i) { return toPoint(positions[i].data()); };
    double largest = 0, longest = 0;
    for (const auto& p : positions)
        largest = std::max(
            {largest, std::fabs(double(p[0])), std::fabs(double(p[1])), std::fabs(double(p[2]))});
    for (const Side& s : sides)
        longest = std::max(longest, distance(point(s.a), point(s.b)));
    const double margin = 2 * std::max(largest * WeldFraction, longest * SeamFraction);
    for (const Side& s : sides)
        if (!(distance(point(s.a), point(s.b)) > margin)) return false;
    // The corners by cells as wide as the longest side: each side looks into the few cells
    // within the margin of it.
    const double cell = longest;
    if (!(largest / cell < double(int64_t(1) << 40))) return false;
    auto cellOf = [&](double v) { return int64_t(std::floor(v / cell)); };
    auto key = [](int64_t x, int64_t y, int64_t z) {
        return (uint64_t(x) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(y) * 0xC2B2AE3D27D4EB4Full) ^
               (uint64_t(z) * 0x165667B19E3779F9ull);
    };
    std::vector<std::pair<uint64_t, uint32_t>> cells; // cell key, corner
    for (const Side& s : sides)
        for (uint32_t c : {s.a, s.b}) {
            const Point3 p = point(c);
            cells.emplace_back(key(cellOf(p.X), cellOf(p.Y), cellOf(p.Z)), c);
        }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    size_t budget = 64 * sides.size() + 4096;
    for (const Side& s : sides) {
        const Point3 a = point(s.a), b = point(s.b);
        int64_t low[3], high[3];
        const double pa[3] = {a.X, a.Y, a.Z}, pb[3] = {b.X, b.Y, b.Z};
        for (int k = 0; k < 3; ++k) {
            low[k] = cellOf(std::min(pa[k], pb[k]) - margin);
            high[k] = cellOf(std::max(pa[k], pb[k]) + margin);
        }
        for (int64_t x = low[0]; x <= high[0]; ++x)
            for (int64_t y = low[1]; y <= high[1]; ++y)
                for (int64_t z = low[2]; z <= high[2]; ++z) {
                    const uint64_t k = key(x, y, z);
                    auto c = std::lower_bound(cells.begin(), cells.end(), std::make_pair(k, 0u));
                    for (; c != cells.end() && c->first == k; ++c) {
                        if (c->second == s.a || c->second == s.b) continue;
                        if (--budget == 0 || !(distanceToSide(point(c->second), a, b) > margin))
                            return false;
                    }
                }
    }
    return true;
}

} // namespace

// The common case, settled without the tolerance merge, seam joining and splits.
bool closedAsGiven(WeldState& w, std::vector<uint32_t>& across) {
    for (const Point3& p : w.positions)
        if (!kept(p.X) || !kept(p.Y) || !kept(p.Z)) return false;
    bool open = false;
    return sidesPaired(w.ids, uint32_t(w.positions.size()), across, w.room, open) && !open;
}

} // namespace weld

namespace {

// Turns each closed piece outwards; position(i) gives position number i as a Point3. Where open
// is set, pieces with an open side keep their winding.
template <class Triangle, class Position>
void turnPieces(std::vector<Triangle>& triangles, std::vector<weld::Ids>& ids,
                const std::vector<uint32_t>& across, Position position, TWeldRoom* room,
                bool open = false) {
    using namespace weld;
    const uint32_t n = uint32_t(triangles.size());
    // Each triangle leads to the first triangle of its piece.
    std::vector<uint32_t> root;
    std::vector<double> volume; // six times each piece's, measured from its first corner
    if (room) {
        root.swap(room->root);
        volume.swap(room->volume);
    }
    reserveLarge(root, n);
    root.resize(n);
    for (uint32_t t = 0; t < n; ++t)
        root[t] = t;
    auto find = [&](uint32_t t) {
        while (root[t] != t)
            t = root[t] = root[root[t]];
        return t;
    };
    for (uint32_t t = 0; t < n; ++t) {
        uint32_t a = find(t); // t's root, kept up to date through the unions
        for (size_t s = 0; s < 3; ++s)
            if (const uint32_t o = across[3 * t + s]; o < t) {
                const uint32_t b = find(o);
                if (a != b) {
                    root[std::max(a, b)] = std::min(a, b);
                    a = std::min(a, b);
                }
            }
    }
    // The volumes come from the positions by number, which the corners carry bitwise: the
    // triangles themselves, five times the size, are read again only to turn the inward ones.
    // A piece's root is its first triangle: its volume starts there, and only the roots' are
    // written.
    if (volume.size() < n) {
        reserveLarge(volume, n);
        volume.resize(n);
    }
    for (uint32_t t = 0; t < n; ++t) {
        const uint32_t r = root[t] = find(t);
        if (r == t) volume[r] = 0;
        const Point3 o = position(ids[r][0]);
        const Point3 a = position(ids[t][0]), b = position(ids[t][1]), c = position(ids[t][2]);
        const double u[3] = {a.X - o.X, a.Y - o.Y, a.Z - o.Z};
        const double v[3] = {b.X - o.X, b.Y - o.Y, b.Z - o.Z};
        const double q[3] = {c.X - o.X, c.Y - o.Y, c.Z - o.Z};
        volume[r] += u[0] * (v[1] * q[2] - v[2] * q[1]) - u[1] * (v[0] * q[2] - v[2] * q[0]) +
                     u[2] * (v[0] * q[1] - v[1] * q[0]);
    }
    // An open piece encloses nothing: its volume becomes no number, which is never below zero.
    if (open)
        for (uint32_t t = 0; t < 3 * n; ++t)
            if (across[t] == OpenSide)
                volume[root[t / 3]] = std::numeric_limits<double>::quiet_NaN();
    for (uint32_t t = 0; t < n; ++t)
        if (volume[root[t]] < 0) flip(triangles[t], ids[t]);
    if (room) {
        root.swap(room->root);
        volume.swap(room->volume);
    }
}

} // namespace

void weld::turnPiecesOutwards(WeldState& w, const std::vector<uint32_t>& across) {
    const std::vector<Point3>& positions = w.positions;
    turnPieces(
        w.triangles, w.ids, across, [&](uint32_t i) { return positions[i]; }, w.room);
}

uint32_t weldFacets(std::vector<TMeshFacet>& facets, std::vector<TMeshFace>& faces,
                    std::vector<std::array<uint32_t, 3>>& ids,
                    std::vector<std::array<float, 3>>& positions, TWeldRoom* room) {
    using namespace weld;
    if (facets.empty()) {
        faces.clear();
        ids.clear();
        positions.clear();
        return 0;
    }
    {
        // The pairing's table is the room's, and goes back there however this block ends.
        std::vector<uint32_t> across;
        auto exchange = [&] {
            if (room) across.swap(room->across);
        };
        exchange();
        const TGiveBack<decltype(exchange)&> giveBack{exchange};
        bool plain = true;
        for (const auto& p : positions)
            plain = plain && kept(p[0]) && kept(p[1]) && kept(p[2]);
        // A surface whose open sides lie apart (an open profile's, a lathe's away from its
        // axis) is settled the same way: only its closed pieces are turned.
        bool open = false;
        if (plain && sidesPaired(ids, uint32_t(positions.size()), across, room, open)) {
            if (!open || openSidesApart(ids, positions, across)) {
                turnPieces(
                    facets, ids, across, [&](uint32_t i) { return toPoint(positions[i].data()); },
                    room, open);
                return uint32_t(positions.size());
            }
        }
    }
    // The weld proper, on the corners' positions; numbers and positions as it leaves them.
    std::vector<TMeshTriangle> triangles(facets.size());
    for (size_t t = 0; t < facets.size(); ++t) {
        TMeshTriangle& full = triangles[t];
        const TMeshFace& face = faces[facets[t].face()];
        for (int k = 0; k < 3; ++k) {
            std::memcpy(full.Corners[k].Position, positions[ids[t][size_t(k)]].data(),
                        sizeof full.Corners[k].Position);
            std::memcpy(full.Corners[k].TexCoord, face.TexCoords[facets[t].corner(k)],
                        sizeof full.Corners[k].TexCoord);
        }
        facets[t].normal(face, full.Normal);
        full.Run = face.Run;
        full.Face = facets[t].face();
    }
    const uint32_t count = weldTriangles(triangles, &ids, room);
    // Each triangle the weld leaves becomes a face of its own.
    if (triangles.size() >= TMeshFacet::MaxFaces)
        throw std::runtime_error("the object has too many triangles");
    facets.resize(triangles.size());
    faces.assign(triangles.size(), TMeshFace{});
    positions.assign(count, {0, 0, 0});
    for (size_t t = 0; t < triangles.size(); ++t) {
        const TMeshTriangle& full = triangles[t];
        TMeshFace& face = faces[t];
        for (size_t k = 0; k < 3; ++k) {
            std::memcpy(face.TexCoords[k], full.Corners[k].TexCoord, sizeof face.TexCoords[k]);
            std::memcpy(positions[ids[t][k]].data(), full.Corners[k].Position,
                        sizeof full.Corners[k].Position);
        }
        std::memcpy(face.Normal, full.Normal, sizeof face.Normal);
        face.Run = full.Run;
        facets[t] = TMeshFacet::of(uint32_t(t), false);
    }
    return count;
}
