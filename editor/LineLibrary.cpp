// Integer plane utilities of the figures: point sums, line coefficients, segment and square hit
// tests, rectangle overlap and the model/screen scaling.
#include "editor/LineLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace LineLibrary {

namespace {

int32_t checked(int64_t v) {
    if (v > INT32_MAX || v < INT32_MIN) throw std::overflow_error("Integer overflow");
    return static_cast<int32_t>(v);
}

bool between(int32_t v, int32_t a, int32_t b) {
    return v > a && v < b;
}

} // namespace

int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}
int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}

Point2 AddPoints(Point2 a, Point2 b) {
    return {checked(int64_t(a.X) + b.X), checked(int64_t(a.Y) + b.Y)};
}

Point2 SubPoints(Point2 a, Point2 b) {
    return {checked(int64_t(a.X) - b.X), checked(int64_t(a.Y) - b.Y)};
}

TLineCoefficients LineCoefficients(Point2 a, Point2 b) {
    const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
    if (dx == 0 && dy == 0) return {};
    if (std::fabs(dx) < std::fabs(dy)) {
        const double slope = dx / dy;
        return {slope, 2, a.X - a.Y * slope};
    }
    const double slope = dy / dx;
    return {slope, 1, a.Y - a.X * slope};
}

bool PointOnSegment(Point2 pt, Point2 a, Point2 b) {
    const TLineCoefficients k = LineCoefficients(a, b);
    if (k.Kind == 0) return false;
    // The major axis carries the range test, the minor one the tolerance.
    const bool steep = k.Kind == 2;
    const int32_t major = steep ? pt.Y : pt.X, minor = steep ? pt.X : pt.Y;
    const int32_t a0 = steep ? a.Y : a.X, b0 = steep ? b.Y : b.X;
    if (major < Min(a0, b0) || major > Max(a0, b0)) return false;
    const int64_t onLine = RoundHalfEven((long double)major * k.Slope + k.Intercept);
    return std::llabs(onLine - minor) <= SegmentTolerance;
}

bool PointInSquare(Point2 c, int32_t r, Point2 pt) {
    return std::llabs(int64_t(pt.X) - c.X) <= r && std::llabs(int64_t(pt.Y) - c.Y) <= r;
}

bool PointInRect(Point2 pt, Point2 a, Point2 b) {
    return pt.X >= a.X && pt.X < b.X && pt.Y >= a.Y && pt.Y < b.Y;
}

bool RectsOverlap(Point2 a, Point2 b, Point2 c, Point2 d) {
    const bool x = between(a.X, c.X, d.X) || between(b.X, c.X, d.X) || (c.X >= a.X && d.X <= b.X);
    const bool y = between(a.Y, c.Y, d.Y) || between(b.Y, c.Y, d.Y) || (c.Y >= a.Y && d.Y <= b.Y);
    return x && y;
}

Point2 ScalePoint(Point2 p, double f) {
    return {RoundHalfEven((long double)p.X * f), RoundHalfEven((long double)p.Y * f)};
}

Point2 UnscalePoint(Point2 p, double f) {
    return {RoundHalfEven((long double)p.X / f), RoundHalfEven((long double)p.Y / f)};
}

bool PointsEqual(Point2 a, Point2 b) {
    return a.X == b.X && a.Y == b.Y;
}

bool VerticesEqual(const OutlineVertex& a, const OutlineVertex& b) {
    return a.X == b.X && a.Y == b.Y &&
           std::equal(std::begin(a.Groups), std::end(a.Groups), std::begin(b.Groups));
}

} // namespace LineLibrary
