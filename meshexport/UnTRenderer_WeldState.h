// The weld's shared state between its files: the object being welded, and the fast path for
// solids whose corners already meet by their bits.
// See docs/architecture.md (The mesh export pipeline).
#pragma once

#include "meshexport/UnTRenderer_Mesh.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace weld {

using Point3 = TWeldRoom::Point;

// Corners closer than this fraction of the object's largest coordinate, in every axis, are one
// corner: a few units in the last place of a float, where one point computed along two ways (a
// lathe's last step back at its first angle) lands; no two corners a user can draw come this
// close.
constexpr double WeldFraction = 1.0 / (1 << 20);
// Two corners of open edges (edges of one triangle only) closer than this fraction of the shortest
// open edge at either are one corner computed twice: a ring reached through two segments' frames,
// whose angles the builders take from a table, or a cap's outline and the sides' end.
constexpr double SeamFraction = 1.0 / 1024;

inline Point3 toPoint(const float p[3]) {
    return Point3{p[0], p[1], p[2]};
}

inline double distance(const Point3& a, const Point3& b) {
    return std::sqrt((a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y) +
                     (a.Z - b.Z) * (a.Z - b.Z));
}

using Ids = std::array<uint32_t, 3>;

// The welded object: positions and, per triangle, its corners' position ids.
struct WeldState {
    std::vector<TMeshTriangle>& triangles;
    std::vector<Ids> ids;
    std::vector<Point3> positions;
    double tolerance = 0;
    TWeldRoom* room = nullptr; // tables kept between objects, when given
};

constexpr uint32_t OpenSide = UINT32_MAX; // no other triangle has the edge
// Turns a triangle round: its corners the other way, its normal to the other side.
inline void flip(TMeshTriangle& t, Ids& id) {
    std::swap(t.Corners[1], t.Corners[2]);
    std::swap(id[1], id[2]);
    for (float& n : t.Normal)
        n = 0.0f - n;
}
inline void flip(TMeshFacet& t, Ids& id) {
    t.flip();
    std::swap(id[1], id[2]);
}

// Numbers the corners by their bits alone (w.ids) and gives their positions; returns how many
// distinct ones there are.
uint32_t numberCornersByBits(WeldState& w);
// Whether the corners as numbered already make a closed surface: every edge one of exactly two
// triangles, which run it opposite ways. Gives the triangle across each side then; false when an
// edge is open, crowded or run the same way twice, or a corner is a negative zero or not a
// number, whose bits the weld would change.
bool closedAsGiven(WeldState& w, std::vector<uint32_t>& across);
// turnPiecesOutwards for the welded object, by its positions.
void turnPiecesOutwards(WeldState& w, const std::vector<uint32_t>& across);

} // namespace weld
