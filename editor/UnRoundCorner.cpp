// Rounding corners of an outline into tangent arcs.
#include "editor/UnRoundCorner.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

struct V {
    double x, y;
};
V operator-(V a, V b) {
    return {a.x - b.x, a.y - b.y};
}
V operator+(V a, V b) {
    return {a.x + b.x, a.y + b.y};
}
V operator*(V a, double k) {
    return {a.x * k, a.y * k};
}
double length(V a) {
    return std::hypot(a.x, a.y);
}

V at(const OutlineVertex& v) {
    return {double(v.X), double(v.Y)};
}

// A corner with its neighbours, the half angle between its edges and its tangent length.
struct Corner {
    int32_t index = 0, prev = 0, next = 0;
    double halfAngle = 0, tangent = 0;
};

// Groups of a and b together (a's first), as far as the ten slots go.
void mergeGroups(OutlineVertex& a, const OutlineVertex& b) {
    for (int32_t g : b.Groups) {
        if (g == 0 || std::find(std::begin(a.Groups), std::end(a.Groups), g) != std::end(a.Groups))
            continue;
        const auto free = std::find(std::begin(a.Groups), std::end(a.Groups), 0);
        if (free != std::end(a.Groups)) *free = g;
    }
}

// The arc's points from the tangent point on the edge to prev to the one on the edge to next.
std::vector<OutlineVertex> arc(const std::vector<OutlineVertex>& o, const Corner& c, double r,
                               int32_t segments, const OutlineVertex& groups,
                               std::vector<std::array<double, 2>>& exact) {
    const V p = at(o[c.index]);
    const V u = (at(o[c.prev]) - p) * (1 / length(at(o[c.prev]) - p));
    const V w = (at(o[c.next]) - p) * (1 / length(at(o[c.next]) - p));
    const V t1 = p + u * c.tangent, t2 = p + w * c.tangent;
    const V bisector = (u + w) * (1 / length(u + w));
    const V centre = p + bisector * (r / std::sin(c.halfAngle));
    const double a0 = std::atan2(t1.y - centre.y, t1.x - centre.x);
    double sweep = std::atan2(t2.y - centre.y, t2.x - centre.x) - a0;
    while (sweep > M_PI)
        sweep -= 2 * M_PI;
    while (sweep < -M_PI)
        sweep += 2 * M_PI;
    std::vector<OutlineVertex> points;
    for (int32_t k = 0; k <= segments; ++k) {
        const V q = k == 0          ? t1
                    : k == segments ? t2
                                    : centre + V{std::cos(a0 + sweep * k / segments),
                                                 std::sin(a0 + sweep * k / segments)} *
                                                   r;
        OutlineVertex v = groups;
        exact.push_back({q.x, q.y});
        v.X = RoundHalfEven(q.x);
        v.Y = RoundHalfEven(q.y);
        points.push_back(v);
    }
    return points;
}

} // namespace

TCornerResult RoundCorners(const std::vector<OutlineVertex>& o, const std::vector<int32_t>& chosen,
                           double radius, int32_t segments) {
    TCornerResult result;
    const int32_t n = static_cast<int32_t>(o.size());
    const bool closed = n >= 4 && o.front().X == o.back().X && o.front().Y == o.back().Y;
    // On a closed outline the last vertex is the first one again.
    std::set<int32_t> indices;
    for (int32_t i : chosen)
        if (i >= 0 && i < n) indices.insert(closed && i == n - 1 ? 0 : i);
    if (indices.empty() || n < 3 || !(radius > 0)) {
        result.Error = TCornerError::NoCorner;
        return result;
    }
    std::vector<Corner> corners;
    for (int32_t i : indices) {
        Corner c;
        c.index = i;
        if (!closed && (i == 0 || i == n - 1)) {
            result.Error = TCornerError::OpenEnd;
            result.Vertex = i;
            return result;
        }
        c.prev = i == 0 ? n - 2 : i - 1;
        c.next = i + 1;
        const V p = at(o[i]), a = at(o[c.prev]) - p, b = at(o[c.next]) - p;
        if (length(a) == 0 || length(b) == 0) {
            result.Error = TCornerError::ZeroEdge;
            result.Vertex = i;
            return result;
        }
        const double cosine =
            std::clamp((a.x * b.x + a.y * b.y) / (length(a) * length(b)), -1.0, 1.0);
        c.halfAngle = std::acos(cosine) / 2;
        if (std::fabs(std::cos(c.halfAngle)) < 1e-9) {
            result.Error = TCornerError::Straight;
            result.Vertex = i;
            return result;
        }
        c.tangent = radius / std::tan(c.halfAngle);
        corners.push_back(c);
    }
    // Each edge must hold the tangent lengths of both its ends.
    auto tangentAt = [&](int32_t vertex) {
        if (closed && vertex == n - 1) vertex = 0;
        for (const Corner& c : corners)
            if (c.index == vertex) return c.tangent;
        return 0.0;
    };
    for (const Corner& c : corners) {
        double room = INFINITY;
        for (int32_t other : {c.prev, c.next}) {
            const double edge = length(at(o[other]) - at(o[c.index]));
            room = std::min(room, edge - tangentAt(other));
        }
        if (c.tangent > room + 1e-9) {
            result.Error = TCornerError::DoesNotFit;
            result.Vertex = c.index;
            result.MaxRadius = std::max(room, 0.0) * std::tan(c.halfAngle);
            return result;
        }
    }
    const int32_t count = n + static_cast<int32_t>(corners.size()) * segments;
    if (count > MaxOutlineVertices) {
        result.Error = TCornerError::TooManyPoints;
        result.PointCount = count;
        return result;
    }
    auto cornerAt = [&](int32_t i) -> const Corner* {
        for (const Corner& c : corners)
            if (c.index == i) return &c;
        return nullptr;
    };
    std::vector<OutlineVertex>& out = result.Outline;
    std::vector<std::array<double, 2>>& exact = result.Exact;
    std::vector<OutlineVertex> closing; // the start corner's arc, when the outline is closed
    std::vector<std::array<double, 2>> closingExact;
    for (int32_t i = 0; i < n; ++i) {
        const Corner* c = cornerAt(closed && i == n - 1 ? 0 : i);
        if (!c) {
            out.push_back(o[i]);
            exact.push_back({double(o[i].X), double(o[i].Y)});
            continue;
        }
        OutlineVertex groups = o[i];
        if (closed && (i == 0 || i == n - 1)) mergeGroups(groups, o[i == 0 ? n - 1 : 0]);
        std::vector<std::array<double, 2>> arcExact;
        std::vector<OutlineVertex> points = arc(o, *c, radius, segments, groups, arcExact);
        if (closed && i == 0) {
            // The closed outline now starts at the arc's far end and returns through the arc.
            OutlineVertex start = points.back();
            std::copy(std::begin(o[0].Groups), std::end(o[0].Groups), start.Groups);
            out.push_back(start);
            exact.push_back(arcExact.back());
            closing = points;
            closingExact = arcExact;
        } else if (closed && i == n - 1) {
            OutlineVertex end = closing.back();
            std::copy(std::begin(o[n - 1].Groups), std::end(o[n - 1].Groups), end.Groups);
            closing.back() = end;
            out.insert(out.end(), closing.begin(), closing.end());
            exact.insert(exact.end(), closingExact.begin(), closingExact.end());
        } else {
            out.insert(out.end(), points.begin(), points.end());
            exact.insert(exact.end(), arcExact.begin(), arcExact.end());
        }
    }
    return result;
}

std::vector<float> HeightsAfterRounding(const std::vector<OutlineVertex>& before,
                                        const std::vector<float>& heights,
                                        const std::vector<OutlineVertex>& after) {
    auto same = [](const OutlineVertex& a, const OutlineVertex& b) {
        return a.X == b.X && a.Y == b.Y;
    };
    auto height = [&](size_t i) { return i < heights.size() ? heights[i] : 0.0f; };
    std::vector<float> result;
    // Walking both outlines: a point that is not the next vertex of before belongs to the arc of
    // that vertex, which the arc replaces.
    size_t j = 0;
    for (const OutlineVertex& v : after) {
        if (j < before.size() && same(v, before[j])) {
            result.push_back(height(j++));
        } else if (j + 1 < before.size() && same(v, before[j + 1])) {
            result.push_back(height(j + 1));
            j += 2;
        } else {
            result.push_back(height(std::min(j, before.empty() ? 0 : before.size() - 1)));
        }
    }
    return result;
}
