// Integer plane utilities of the figures: point sums, line coefficients, segment and square hit
// tests, rectangle overlap and the model/screen scaling.
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>

namespace LineLibrary {

int32_t Min(int32_t a, int32_t b);
int32_t Max(int32_t a, int32_t b);
// a + b and a - b; a coordinate that leaves 32 bits raises std::overflow_error.
Point2 AddPoints(Point2 a, Point2 b);
Point2 SubPoints(Point2 a, Point2 b);

// Kind 0: a and b coincide. Kind 1: y = Slope * x + Intercept (|dx| >= |dy|). Kind 2 (steep):
// x = Slope * y + Intercept.
struct TLineCoefficients {
    double Slope = 0;
    uint8_t Kind = 0;
    double Intercept = 0;
};
TLineCoefficients LineCoefficients(Point2 a, Point2 b);

// Within 4 units of the segment along its minor axis and inside its range along the major axis.
constexpr int32_t SegmentTolerance = 4;
bool PointOnSegment(Point2 pt, Point2 a, Point2 b);
// |pt - c| <= r on both axes.
bool PointInSquare(Point2 c, int32_t r, Point2 pt);
// a <= pt < b on both axes (left/top inclusive, right/bottom exclusive, no normalisation).
bool PointInRect(Point2 pt, Point2 a, Point2 b);
// Rectangles (a, b) and (c, d), each given by its top-left and bottom-right corners.
bool RectsOverlap(Point2 a, Point2 b, Point2 c, Point2 d);
// Model to screen and back, rounded half to even.
Point2 ScalePoint(Point2 p, double f);
Point2 UnscalePoint(Point2 p, double f);
bool PointsEqual(Point2 a, Point2 b);
// The same position and the same groups.
bool VerticesEqual(const OutlineVertex& a, const OutlineVertex& b);

} // namespace LineLibrary
