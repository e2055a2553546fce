// Checks of an outline before it is saved.
#include "editor/UnOutlineChecks.h"

#include "editor/LineLibrary.h"
#include "model/UnOutlineFit.h"

#include <algorithm>

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
    p.Crossing = outlineCrossesItself(v);
    return p;
}

TOutlineProblems CheckPath(const std::vector<Point2>& points) {
    TOutlineProblems p;
    for (size_t i = 1; i < points.size(); ++i)
        p.Repeated = p.Repeated || PointsEqual(points[i - 1], points[i]);
    return p;
}
