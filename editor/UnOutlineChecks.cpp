// Checks of an outline before it is saved.
#include "editor/UnOutlineChecks.h"

#include "editor/LineLibrary.h"

#include <algorithm>
#include <cstdint>

namespace {

int sign(int64_t v) {
    return (v > 0) - (v < 0);
}

int orientation(Point2 a, Point2 b, Point2 c) {
    return sign(int64_t(b.X - a.X) * (c.Y - a.Y) - int64_t(b.Y - a.Y) * (c.X - a.X));
}

bool within(Point2 a, Point2 b, Point2 p) {
    return std::min(a.X, b.X) <= p.X && p.X <= std::max(a.X, b.X) && std::min(a.Y, b.Y) <= p.Y &&
           p.Y <= std::max(a.Y, b.Y);
}

// Segments ab and cd share a point (touching counts).
bool meet(Point2 a, Point2 b, Point2 c, Point2 d) {
    const int o1 = orientation(a, b, c), o2 = orientation(a, b, d);
    const int o3 = orientation(c, d, a), o4 = orientation(c, d, b);
    if (o1 != o2 && o3 != o4) return true;
    return (o1 == 0 && within(a, b, c)) || (o2 == 0 && within(a, b, d)) ||
           (o3 == 0 && within(c, d, a)) || (o4 == 0 && within(c, d, b));
}

} // namespace

using LineLibrary::PointsEqual;

TOutlineProblems CheckProfile(const std::vector<Point2>& points) {
    TOutlineProblems p;
    // Repeated neighbours add nothing to the shape.
    std::vector<Point2> v;
    for (Point2 q : points)
        if (v.empty() || !PointsEqual(v.back(), q)) v.push_back(q);
    std::vector<Point2> distinct;
    for (Point2 q : v)
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](Point2 d) { return PointsEqual(d, q); }))
            distinct.push_back(q);
    p.TooFewPoints = distinct.size() < 3;
    p.NotClosed = v.size() < 2 || !PointsEqual(v.front(), v.back());
    if (p.TooFewPoints) return p;
    const size_t segments = v.size() - 1;
    for (size_t i = 0; i < segments && !p.Crossing; ++i)
        for (size_t j = i + 1; j < segments && !p.Crossing; ++j) {
            // Neighbours share their common vertex, and so do the last and first of a ring.
            const bool adjacent = j == i + 1 || (!p.NotClosed && i == 0 && j == segments - 1);
            if (adjacent) {
                // Only folding back onto each other counts.
                const Point2 shared = j == i + 1 ? v[j] : v[0];
                const Point2 a = j == i + 1 ? v[i] : v[1];
                const Point2 b = j == i + 1 ? v[j + 1] : v[segments - 1];
                p.Crossing = orientation(a, shared, b) == 0 &&
                             (within(shared, a, b) || within(shared, b, a));
                continue;
            }
            p.Crossing = meet(v[i], v[i + 1], v[j], v[j + 1]);
        }
    return p;
}

TOutlineProblems CheckPath(const std::vector<Point2>& points) {
    TOutlineProblems p;
    for (size_t i = 1; i < points.size(); ++i)
        p.Repeated = p.Repeated || PointsEqual(points[i - 1], points[i]);
    return p;
}
