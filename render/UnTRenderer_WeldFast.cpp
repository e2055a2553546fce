// The weld's fast path: corners numbered by their bits once, and solids whose corners already
// meet settled without the tolerance merge, seam joining and splits.
#include "render/UnTRenderer_WeldState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// closedAsGiven past the positions' check.
bool sidesClosed(const std::vector<Ids>& ids, uint32_t count, std::vector<uint32_t>& across,
                 TWeldRoom* room) {
    for (const Ids& id : ids)
        if (id[0] == id[1] || id[1] == id[2] || id[0] == id[2]) return false;
    bool eachWayOnce = false;
    if (!pairSides(ids, count, across, &eachWayOnce, room) || !eachWayOnce) return false;
    return std::find(across.begin(), across.end(), OpenSide) == across.end();
}

} // namespace

// The common case, settled without the tolerance merge, seam joining and splits.
bool closedAsGiven(WeldState& w, std::vector<uint32_t>& across) {
    for (const Point3& p : w.positions)
        if (!kept(p.X) || !kept(p.Y) || !kept(p.Z)) return false;
    return sidesClosed(w.ids, uint32_t(w.positions.size()), across, w.room);
}

} // namespace weld

namespace {

// Turns each closed piece outwards; position(i) gives position number i as a Point3.
template <class Triangle, class Position>
void turnPieces(std::vector<Triangle>& triangles, std::vector<weld::Ids>& ids,
                const std::vector<uint32_t>& across, Position position, TWeldRoom* room) {
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
    reserveLarge(volume, n);
    volume.assign(n, 0);
    for (uint32_t t = 0; t < n; ++t) {
        const uint32_t r = root[t] = find(t);
        const Point3 o = position(ids[r][0]);
        const Point3 a = position(ids[t][0]), b = position(ids[t][1]), c = position(ids[t][2]);
        const double u[3] = {a.X - o.X, a.Y - o.Y, a.Z - o.Z};
        const double v[3] = {b.X - o.X, b.Y - o.Y, b.Z - o.Z};
        const double q[3] = {c.X - o.X, c.Y - o.Y, c.Z - o.Z};
        volume[r] += u[0] * (v[1] * q[2] - v[2] * q[1]) - u[1] * (v[0] * q[2] - v[2] * q[0]) +
                     u[2] * (v[0] * q[1] - v[1] * q[0]);
    }
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

uint32_t weldFacets(std::vector<TMeshFacet>& facets, std::vector<std::array<uint32_t, 3>>& ids,
                    std::vector<std::array<float, 3>>& positions, TWeldRoom* room) {
    using namespace weld;
    if (facets.empty()) {
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
        if (plain && sidesClosed(ids, uint32_t(positions.size()), across, room)) {
            turnPieces(
                facets, ids, across, [&](uint32_t i) { return toPoint(positions[i].data()); },
                room);
            return uint32_t(positions.size());
        }
    }
    // The weld proper, on the corners' positions; numbers and positions as it leaves them.
    std::vector<TMeshTriangle> triangles(facets.size());
    for (size_t t = 0; t < facets.size(); ++t) {
        TMeshTriangle& full = triangles[t];
        for (size_t k = 0; k < 3; ++k) {
            std::memcpy(full.Corners[k].Position, positions[ids[t][k]].data(),
                        sizeof full.Corners[k].Position);
            std::memcpy(full.Corners[k].TexCoord, facets[t].TexCoords[k],
                        sizeof full.Corners[k].TexCoord);
        }
        std::memcpy(full.Normal, facets[t].Normal, sizeof full.Normal);
        full.Run = facets[t].Run;
        full.Face = facets[t].Face;
    }
    const uint32_t count = weldTriangles(triangles, &ids, room);
    facets.resize(triangles.size());
    positions.assign(count, {0, 0, 0});
    for (size_t t = 0; t < triangles.size(); ++t) {
        const TMeshTriangle& full = triangles[t];
        TMeshFacet& facet = facets[t];
        for (size_t k = 0; k < 3; ++k) {
            std::memcpy(facet.TexCoords[k], full.Corners[k].TexCoord, sizeof facet.TexCoords[k]);
            std::memcpy(positions[ids[t][k]].data(), full.Corners[k].Position,
                        sizeof full.Corners[k].Position);
        }
        std::memcpy(facet.Normal, full.Normal, sizeof facet.Normal);
        facet.Run = full.Run;
        facet.Face = full.Face;
    }
    return count;
}
