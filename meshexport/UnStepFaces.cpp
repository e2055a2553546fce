// Joins an object's welded triangles into planar faces with holes for the STEP solids.
#include "meshexport/UnStepFaces.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace {

using P3 = std::array<double, 3>;
constexpr uint32_t None = UINT32_MAX;

P3 minus(const P3& a, const P3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
P3 cross(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const P3& a, const P3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
P3 unit(const P3& v) {
    const double length = std::sqrt(dot(v, v));
    if (!(length > 0)) return {0, 0, 0};
    return {v[0] / length, v[1] / length, v[2] / length};
}

// Per triangle side (triangle * 3 + k, the side from corner k to corner k + 1): the triangle on
// its other side, None where there is none or more than one.
std::vector<uint32_t> acrossSides(const std::vector<std::array<uint32_t, 3>>& triangles) {
    std::vector<std::pair<uint64_t, uint32_t>> sides;
    sides.reserve(triangles.size() * 3);
    for (size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const uint64_t a = triangles[t][size_t(k)], b = triangles[t][size_t((k + 1) % 3)];
            sides.emplace_back(std::min(a, b) << 32 | std::max(a, b), uint32_t(t * 3 + size_t(k)));
        }
    std::sort(sides.begin(), sides.end());
    std::vector<uint32_t> across(sides.size(), None);
    for (size_t i = 0; i < sides.size();) {
        size_t j = i + 1;
        while (j < sides.size() && sides[j].first == sides[i].first)
            ++j;
        if (j - i == 2) {
            across[sides[i].second] = sides[i + 1].second / 3;
            across[sides[i + 1].second] = sides[i].second / 3;
        }
        i = j;
    }
    return across;
}

// Orders the sides (from, to) into closed loops; false when a corner starts more than one side or
// a loop does not close.
bool chainLoops(const std::vector<std::pair<uint32_t, uint32_t>>& sides,
                std::vector<std::vector<uint32_t>>& loops) {
    std::unordered_map<uint32_t, uint32_t> from; // corner -> the side that starts there
    from.reserve(sides.size() * 2);
    for (uint32_t i = 0; i < sides.size(); ++i)
        if (!from.emplace(sides[i].first, i).second) return false;
    std::vector<uint8_t> used(sides.size(), 0);
    for (uint32_t start = 0; start < sides.size(); ++start) {
        if (used[start]) continue;
        std::vector<uint32_t> loop;
        uint32_t s = start;
        while (!used[s]) {
            used[s] = 1;
            loop.push_back(sides[s].first);
            const auto next = from.find(sides[s].second);
            if (next == from.end()) return false;
            s = next->second;
        }
        if (s != start || loop.size() < 3) return false;
        loops.push_back(std::move(loop));
    }
    return true;
}

// The area vector of a closed loop (twice its area along its normal).
P3 loopArea(const std::vector<P3>& points, const std::vector<uint32_t>& loop) {
    P3 sum{0, 0, 0};
    const P3& o = points[loop[0]];
    for (size_t i = 1; i + 1 < loop.size(); ++i) {
        const P3 c = cross(minus(points[loop[i]], o), minus(points[loop[i + 1]], o));
        for (int a = 0; a < 3; ++a)
            sum[size_t(a)] += c[size_t(a)];
    }
    return sum;
}

} // namespace

std::vector<TPlanarFace> joinPlanarFaces(const std::vector<P3>& points,
                                         const std::vector<std::array<uint32_t, 3>>& triangles,
                                         const std::vector<uint32_t>& runs, double tolerance,
                                         const std::vector<uint8_t>* apart) {
    const size_t count = triangles.size();
    const std::vector<uint32_t> across = acrossSides(triangles);
    std::vector<P3> normals(count);
    std::vector<double> areas(count);
    for (size_t t = 0; t < count; ++t) {
        const auto& c = triangles[t];
        normals[t] = cross(minus(points[c[1]], points[c[0]]), minus(points[c[2]], points[c[0]]));
        areas[t] = std::sqrt(dot(normals[t], normals[t]));
    }
    // Patches grow from the largest triangles, whose planes are the most exact.
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return areas[a] > areas[b]; });

    std::vector<TPlanarFace> faces;
    std::vector<uint32_t> patchOf(count, None);
    std::vector<uint32_t> members, pending;
    std::vector<std::pair<uint32_t, uint32_t>> boundary;
    for (const uint32_t seed : order) {
        if (patchOf[seed] != None) continue;
        const uint32_t patch = uint32_t(faces.size());
        const P3 seedNormal = unit(normals[seed]);
        const P3& seedPoint = points[triangles[seed][0]];
        const bool alone = apart && (*apart)[seed];
        auto onPlane = [&](uint32_t t) {
            if (alone || (apart && (*apart)[t])) return false;
            if (dot(normals[t], seedNormal) <= 0) return false;
            for (const uint32_t c : triangles[t])
                if (std::fabs(dot(minus(points[c], seedPoint), seedNormal)) > tolerance)
                    return false;
            return true;
        };
        members.clear();
        pending.assign(1, seed);
        patchOf[seed] = patch;
        while (!pending.empty()) {
            const uint32_t t = pending.back();
            pending.pop_back();
            members.push_back(t);
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t o = across[t * 3 + k];
                if (o == None || patchOf[o] != None || runs[o] != runs[seed] || !onPlane(o))
                    continue;
                patchOf[o] = patch;
                pending.push_back(o);
            }
        }
        // The patch's plane: its area-weighted normal through its area-weighted centre.
        P3 normal{0, 0, 0}, centre{0, 0, 0};
        double area = 0;
        for (const uint32_t t : members) {
            for (size_t a = 0; a < 3; ++a) {
                normal[a] += normals[t][a];
                double mean = 0;
                for (const uint32_t c : triangles[t])
                    mean += points[c][a];
                centre[a] += areas[t] * mean / 3;
            }
            area += areas[t];
        }
        TPlanarFace face;
        face.Run = runs[seed];
        face.Normal = unit(normal);
        for (size_t a = 0; a < 3; ++a)
            face.Origin[a] = area > 0 ? centre[a] / area : seedPoint[a];
        // Its boundary: the sides whose other triangle is not in the patch, in loops.
        boundary.clear();
        for (const uint32_t t : members)
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t o = across[t * 3 + k];
                if (o == None || patchOf[o] != patch)
                    boundary.emplace_back(triangles[t][k], triangles[t][(k + 1) % 3]);
            }
        bool single = chainLoops(boundary, face.Loops);
        if (single) {
            // One loop runs anticlockwise round the patch, the holes the other way.
            size_t outer = 0, outers = 0;
            for (size_t i = 0; i < face.Loops.size(); ++i)
                if (dot(loopArea(points, face.Loops[i]), face.Normal) > 0) {
                    outer = i;
                    ++outers;
                }
            single = outers == 1;
            if (single) std::swap(face.Loops[0], face.Loops[outer]);
        }
        if (single && members.size() > 1) {
            face.Triangles = members;
            faces.push_back(std::move(face));
            continue;
        }
        // A single triangle, or a patch that is no face with holes: a face per triangle.
        for (const uint32_t t : members) {
            TPlanarFace own;
            own.Run = runs[t];
            own.Normal = unit(normals[t]);
            own.Origin = points[triangles[t][0]];
            own.Loops.push_back({triangles[t][0], triangles[t][1], triangles[t][2]});
            own.Triangles.assign(1, t);
            patchOf[t] = uint32_t(faces.size());
            faces.push_back(std::move(own));
        }
    }
    return faces;
}
