// Fitting a drawn outline into at most 100 stored vertices, choosing its scale and its integer
// coordinates.
#include "model/UnOutlineFit.h"

#include <algorithm>
#include <cmath>

namespace {

double segmentDistance(const TChainPoint& p, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.X - ax) * dx + (p.Y - ay) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.X - (ax + t * dx), p.Y - (ay + t * dy));
}

// Largest distance of the points strictly between i and j to the chord from i to j.
double chordDeviation(const std::vector<TChainPoint>& p, size_t i, size_t j) {
    double worst = 0;
    for (size_t k = i + 1; k < j; ++k)
        worst = std::max(worst, segmentDistance(p[k], p[i].X, p[i].Y, p[j].X, p[j].Y));
    return worst;
}

// The farthest point up to b that the chord from i reaches within eps (gallop, then halve).
size_t reach(const std::vector<TChainPoint>& p, size_t i, size_t b, double eps) {
    size_t j = i + 1, step = 1;
    while (j + step <= b && chordDeviation(p, i, j + step) <= eps)
        j += step, step *= 2;
    while (step > 1) {
        step /= 2;
        if (j + step <= b && chordDeviation(p, i, j + step) <= eps) j += step;
    }
    return j;
}

// Greedy vertices for eps over the spans between fixed points; stops once past limit.
std::vector<size_t> greedy(const std::vector<TChainPoint>& p, const std::vector<size_t>& fixed,
                           double eps, size_t limit) {
    std::vector<size_t> kept{fixed.front()};
    for (size_t s = 0; s + 1 < fixed.size() && kept.size() <= limit; ++s)
        for (size_t i = fixed[s]; i < fixed[s + 1] && kept.size() <= limit;)
            kept.push_back(i = reach(p, i, fixed[s + 1], eps));
    return kept;
}

} // namespace

std::vector<size_t> fitPoints(const std::vector<TChainPoint>& points, size_t budget,
                              double& deviation, bool& simplified) {
    const size_t n = points.size();
    std::vector<size_t> fixed;
    for (size_t i = 0; i < n; ++i)
        if (i == 0 || i + 1 == n || points[i].Corner) fixed.push_back(i);
    simplified = fixed.size() > budget;
    if (simplified) fixed = {0, n - 1}; // more corners than vertices: the same measure for all
    double hi = 0;
    for (size_t s = 0; s + 1 < fixed.size(); ++s)
        hi = std::max(hi, chordDeviation(points, fixed[s], fixed[s + 1]));
    std::vector<size_t> best = fixed;
    deviation = hi;
    if (std::vector<size_t> exact = greedy(points, fixed, 0, budget); exact.size() <= budget) {
        deviation = 0;
        return exact;
    }
    // Bisect the largest distance: the greedy walk needs the fewest vertices for a given one.
    double lo = 0;
    for (int round = 0; round < 48 && hi - lo > 1e-12 * (1 + hi); ++round) {
        const double mid = (lo + hi) / 2;
        std::vector<size_t> kept = greedy(points, fixed, mid, budget);
        if (kept.size() <= budget)
            hi = mid, best = std::move(kept);
        else
            lo = mid;
    }
    // The budget left over goes where the distance is largest, split at its farthest point, as
    // long as neither half gets worse than the largest distance found.
    std::vector<double> span;
    for (size_t s = 0; s + 1 < best.size(); ++s)
        span.push_back(chordDeviation(points, best[s], best[s + 1]));
    const double limit = span.empty() ? 0 : *std::max_element(span.begin(), span.end());
    std::vector<bool> tried(span.size(), false);
    while (best.size() < budget) {
        size_t worst = span.size();
        for (size_t s = 0; s < span.size(); ++s)
            if (!tried[s] && span[s] > 0 && (worst == span.size() || span[s] > span[worst]))
                worst = s;
        if (worst == span.size()) break;
        const TChainPoint &a = points[best[worst]], &b = points[best[worst + 1]];
        size_t far = best[worst] + 1;
        for (size_t k = far; k < best[worst + 1]; ++k)
            if (segmentDistance(points[k], a.X, a.Y, b.X, b.Y) >
                segmentDistance(points[far], a.X, a.Y, b.X, b.Y))
                far = k;
        const double left = chordDeviation(points, best[worst], far);
        const double right = chordDeviation(points, far, best[worst + 1]);
        if (std::max(left, right) > limit) {
            tried[worst] = true;
            continue;
        }
        best.insert(best.begin() + long(worst) + 1, far);
        span[worst] = left;
        span.insert(span.begin() + long(worst) + 1, right);
        tried.insert(tried.begin() + long(worst) + 1, false);
    }
    deviation = 0;
    for (size_t s = 0; s + 1 < best.size(); ++s)
        deviation = std::max(deviation, chordDeviation(points, best[s], best[s + 1]));
    return best;
}

int32_t chooseOutlineScale(double size, double maxAbs, int32_t current, bool exactAtCurrent) {
    const double fit = std::ceil(maxAbs * 100 / MaxStoredCoordinate - 1e-9);
    if (!(fit <= MaxOutlineScale)) return 0;
    const int32_t lo = std::max<int32_t>(MinOutlineScale, int32_t(fit));
    if (current >= lo && current <= MaxOutlineScale &&
        (exactAtCurrent || size * 100 / current >= 2000))
        return current;
    // The largest scale with 2000 steps across: the outline stays as near the editor's sheet as
    // that precision allows.
    const double ideal = std::floor(size / 20);
    return int32_t(std::clamp<double>(ideal, lo, MaxOutlineScale));
}

namespace {

int orientation(Point2 a, Point2 b, Point2 c) {
    const int64_t cross =
        (int64_t(b.X) - a.X) * (int64_t(c.Y) - a.Y) - (int64_t(b.Y) - a.Y) * (int64_t(c.X) - a.X);
    return (cross > 0) - (cross < 0);
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

bool outlineCrossesItself(const std::vector<Point2>& points) {
    // Repeated neighbours add nothing to the shape.
    std::vector<Point2> v;
    for (Point2 q : points)
        if (v.empty() || v.back().X != q.X || v.back().Y != q.Y) v.push_back(q);
    if (v.size() < 3) return false;
    const bool closed = v.front().X == v.back().X && v.front().Y == v.back().Y;
    const size_t segments = v.size() - 1;
    for (size_t i = 0; i < segments; ++i)
        for (size_t j = i + 1; j < segments; ++j) {
            // Neighbours share their common vertex, and so do the last and first of a ring: only
            // folding back onto each other counts.
            if (j == i + 1 || (closed && i == 0 && j == segments - 1)) {
                const Point2 shared = j == i + 1 ? v[j] : v[0];
                const Point2 a = j == i + 1 ? v[i] : v[1];
                const Point2 b = j == i + 1 ? v[j + 1] : v[segments - 1];
                if (orientation(a, shared, b) == 0 &&
                    (within(shared, a, b) || within(shared, b, a)))
                    return true;
                continue;
            }
            if (meet(v[i], v[i + 1], v[j], v[j + 1])) return true;
        }
    return false;
}

TStoredOutline storeOutline(const TOutlineChain& chain, TOutlineKind kind, int32_t currentScale,
                            const std::string& name) {
    std::vector<TChainPoint> p = chain.Points;
    // A closed chain starts at a corner when it has one, so no vertex is spent on its start.
    if (chain.Closed && p.size() > 2) {
        const auto corner =
            std::find_if(p.begin(), p.end() - 1, [](const TChainPoint& q) { return q.Corner; });
        if (corner != p.end() - 1) {
            p.pop_back();
            std::rotate(p.begin(), corner, p.end());
            p.push_back(p.front());
        }
    }
    // A very long chain is thinned first (its corners kept while they are few enough), so the
    // fit stays quick.
    constexpr size_t MaxFitPoints = 200000;
    if (p.size() > MaxFitPoints) {
        const size_t step = (p.size() + MaxFitPoints - 1) / MaxFitPoints;
        const size_t corners = size_t(
            std::count_if(p.begin(), p.end(), [](const TChainPoint& q) { return q.Corner; }));
        std::vector<TChainPoint> thin;
        for (size_t i = 0; i < p.size(); ++i)
            if (i % step == 0 || i + 1 == p.size() || (p[i].Corner && corners <= MaxFitPoints / 2))
                thin.push_back(p[i]);
        p = std::move(thin);
    }
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL, maxAbs = 0;
    for (const TChainPoint& q : p) {
        minX = std::min(minX, q.X), maxX = std::max(maxX, q.X);
        minY = std::min(minY, q.Y), maxY = std::max(maxY, q.Y);
        maxAbs = std::max({maxAbs, std::abs(q.X), std::abs(q.Y)});
    }
    const double size = std::max(maxX - minX, maxY - minY);

    TStoredOutline out;
    out.Closed = chain.Closed;
    double fitDeviation = 0;
    bool simplified = false;
    const std::vector<size_t> kept = fitPoints(p, MaxOutlineVertices, fitDeviation, simplified);

    bool exact = true;
    for (size_t i : kept)
        for (double c : {p[i].X, p[i].Y}) {
            const double units = c * 100 / currentScale;
            exact = exact && std::abs(units - std::nearbyint(units)) < 1e-6;
        }
    out.Scale = chooseOutlineScale(size, maxAbs, currentScale, exact);
    if (out.Scale == 0)
        throw EOutlineError("the outline in " + name + " measures " + millimetres(maxX - minX) +
                            " x " + millimetres(maxY - minY) + " mm and reaches " +
                            millimetres(maxAbs) + " mm from the origin: an outline can reach " +
                            "at most " +
                            std::to_string(MaxStoredCoordinate / 100 * MaxOutlineScale) + " mm");
    const double ySign = kind == TOutlineKind::Path ? -1 : 1;
    std::vector<size_t> at; // the point each stored vertex came from
    for (size_t i : kept) {
        OutlineVertex v;
        v.X = RoundHalfEven(p[i].X * 100 / out.Scale);
        v.Y = RoundHalfEven(ySign * p[i].Y * 100 / out.Scale);
        const float height =
            kind == TOutlineKind::Path ? static_cast<float>(p[i].Z * 100 / out.Scale) + 0.0f : 0;
        if (out.Count > 0 && v.X == out.Vertices[out.Count - 1].X &&
            v.Y == out.Vertices[out.Count - 1].Y && height == out.Heights[size_t(out.Count - 1)])
            continue; // two vertices on one storage step
        out.Heights[size_t(out.Count)] = height;
        out.Vertices[out.Count++] = v;
        at.push_back(i);
    }
    if (chain.Closed && (out.Count < 4 || (out.Vertices[0].X != out.Vertices[out.Count - 1].X ||
                                           out.Vertices[0].Y != out.Vertices[out.Count - 1].Y)))
        throw EOutlineError("the outline in " + name + " (" + millimetres(maxX - minX) + " x " +
                            millimetres(maxY - minY) + " mm) is too small to store");
    if (out.Count < 2) throw EOutlineError("the outline in " + name + " is too short to store");

    // The deviation of what is stored: every drawn point against the stored edge it lies on.
    const double k = out.Scale / 100.0;
    for (int32_t s = 0; s + 1 < out.Count; ++s) {
        const double ax = out.Vertices[s].X * k, ay = ySign * out.Vertices[s].Y * k;
        const double bx = out.Vertices[s + 1].X * k, by = ySign * out.Vertices[s + 1].Y * k;
        for (size_t i = at[size_t(s)]; i <= at[size_t(s) + 1]; ++i)
            out.Deviation = std::max(out.Deviation, segmentDistance(p[i], ax, ay, bx, by));
    }
    out.FitDeviation = fitDeviation;
    if (simplified) {
        size_t corners = 0;
        for (size_t i = 0; i + (chain.Closed ? 1 : 0) < p.size(); ++i)
            corners += p[i].Corner;
        out.Notes.push_back("the drawing has " + std::to_string(corners) +
                            " corners, more than an outline holds: simplified to " +
                            std::to_string(out.Count) + " vertices");
    }
    // A path at one height all along (a 2D polyline's elevation) lies in the plane.
    if (std::all_of(out.Heights.begin(), out.Heights.begin() + out.Count,
                    [&](float h) { return h == out.Heights[0]; }))
        out.Heights.fill(0.0f);
    std::vector<Point2> points;
    for (int32_t i = 0; i < out.Count; ++i)
        points.push_back(Point2{out.Vertices[size_t(i)].X, out.Vertices[size_t(i)].Y});
    const bool rises =
        std::any_of(out.Heights.begin(), out.Heights.end(), [](float h) { return h != 0; });
    if (!rises && outlineCrossesItself(points))
        out.Notes.push_back("warning: the outline crosses itself");
    return out;
}
