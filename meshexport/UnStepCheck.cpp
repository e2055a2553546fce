// The exact checks of a polyhedron's faces: closed and oriented edges, simple loops, volume.
#include "meshexport/UnStepCheck.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

using P3 = std::array<double, 3>;

struct Segment {
    double U0, V0, U1, V1;
    uint32_t A, B; // the corners' numbers
    double Left() const { return std::min(U0, U1); }
    double Right() const { return std::max(U0, U1); }
};

int side(double au, double av, double bu, double bv, double cu, double cv) {
    const double d = (bu - au) * (cv - av) - (bv - av) * (cu - au);
    return (d > 0) - (d < 0);
}

// c lies within the box of a and b (on their line, so on the segment).
bool within(double au, double av, double bu, double bv, double cu, double cv) {
    return std::min(au, bu) <= cu && cu <= std::max(au, bu) && std::min(av, bv) <= cv &&
           cv <= std::max(av, bv);
}

bool meet(const Segment& s, const Segment& t) {
    const int o1 = side(s.U0, s.V0, s.U1, s.V1, t.U0, t.V0);
    const int o2 = side(s.U0, s.V0, s.U1, s.V1, t.U1, t.V1);
    const int o3 = side(t.U0, t.V0, t.U1, t.V1, s.U0, s.V0);
    const int o4 = side(t.U0, t.V0, t.U1, t.V1, s.U1, s.V1);
    if (o1 != o2 && o3 != o4 && o1 != 0 && o2 != 0 && o3 != 0 && o4 != 0) return true;
    return (o1 == 0 && within(s.U0, s.V0, s.U1, s.V1, t.U0, t.V0)) ||
           (o2 == 0 && within(s.U0, s.V0, s.U1, s.V1, t.U1, t.V1)) ||
           (o3 == 0 && within(t.U0, t.V0, t.U1, t.V1, s.U0, s.V0)) ||
           (o4 == 0 && within(t.U0, t.V0, t.U1, t.V1, s.U1, s.V1));
}

// Two sides that share the corner c: true when they fold back onto each other.
bool foldBack(const Segment& s, const Segment& t, uint32_t c) {
    const double cu = s.A == c ? s.U0 : s.U1, cv = s.A == c ? s.V0 : s.V1;
    const double su = s.A == c ? s.U1 : s.U0, sv = s.A == c ? s.V1 : s.V0;
    const double tu = t.A == c ? t.U1 : t.U0, tv = t.A == c ? t.V1 : t.V0;
    if (side(cu, cv, su, sv, tu, tv) != 0) return false;
    return (su - cu) * (tu - cu) + (sv - cv) * (tv - cv) > 0;
}

} // namespace

bool faceLoopsCross(const std::vector<P3>& points, const TPlanarFace& face) {
    // Seen along the axis the normal leans on most, anticlockwise stays anticlockwise or turns
    // clockwise throughout, and crossings stay crossings.
    size_t axis = 0;
    for (size_t a = 1; a < 3; ++a)
        if (std::fabs(face.Normal[a]) > std::fabs(face.Normal[axis])) axis = a;
    const size_t u = (axis + 1) % 3, v = (axis + 2) % 3;
    std::vector<Segment> segments;
    std::vector<uint32_t> corners;
    for (const std::vector<uint32_t>& loop : face.Loops)
        for (size_t k = 0; k < loop.size(); ++k) {
            const P3 &a = points[loop[k]], &b = points[loop[(k + 1) % loop.size()]];
            segments.push_back({a[u], a[v], b[u], b[v], loop[k], loop[(k + 1) % loop.size()]});
            corners.push_back(loop[k]);
        }
    // A corner met twice is a touch.
    std::sort(corners.begin(), corners.end());
    if (std::adjacent_find(corners.begin(), corners.end()) != corners.end()) return true;
    std::sort(segments.begin(), segments.end(),
              [](const Segment& s, const Segment& t) { return s.Left() < t.Left(); });
    for (size_t i = 0; i < segments.size(); ++i)
        for (size_t j = i + 1; j < segments.size() && segments[j].Left() <= segments[i].Right();
             ++j) {
            const Segment &s = segments[i], &t = segments[j];
            const bool sharesA = s.A == t.A || s.A == t.B, sharesB = s.B == t.A || s.B == t.B;
            if (sharesA && sharesB) return true;
            if (sharesA || sharesB) {
                if (foldBack(s, t, sharesA ? s.A : s.B)) return true;
            } else if (meet(s, t)) {
                return true;
            }
        }
    return false;
}

std::string solidFault(const std::vector<P3>& points, const std::vector<TPlanarFace>& faces,
                       std::vector<uint32_t>& invalid) {
    // Each edge once from its lower-numbered corner and once back.
    std::unordered_map<uint64_t, std::array<uint32_t, 2>> uses;
    uses.reserve(points.size() * 3);
    double volume = 0;
    for (const TPlanarFace& face : faces)
        for (const std::vector<uint32_t>& loop : face.Loops) {
            const P3& o = points[loop[0]];
            for (size_t k = 0; k < loop.size(); ++k) {
                const uint32_t a = loop[k], b = loop[(k + 1) % loop.size()];
                ++uses[uint64_t(std::min(a, b)) << 32 | std::max(a, b)][a < b ? 0 : 1];
                // The loop's fan of triangles from its first corner, as tetrahedra on the origin.
                if (k == 0 || k + 1 == loop.size()) continue;
                const P3 &p = points[a], &q = points[b];
                volume += o[0] * (p[1] * q[2] - p[2] * q[1]) - o[1] * (p[0] * q[2] - p[2] * q[0]) +
                          o[2] * (p[0] * q[1] - p[1] * q[0]);
            }
        }
    for (const auto& [key, count] : uses)
        if (count[0] + count[1] != 2) return "its faces leave gaps";
    for (const auto& [key, count] : uses)
        if (count[0] != 1) return "its faces do not make a valid solid";
    for (uint32_t f = 0; f < faces.size(); ++f)
        if (faceLoopsCross(points, faces[f])) invalid.push_back(f);
    if (!invalid.empty()) return "the outline of a face crosses itself";
    if (!(volume > 0)) return "its faces do not make a valid solid";
    return {};
}
