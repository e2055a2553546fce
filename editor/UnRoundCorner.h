// Rounding corners of an outline: each chosen corner becomes an arc tangent to both of its edges,
// in stored coordinates; the arc's points carry the corner's groups.
#pragma once

#include "model/unVectorCalc.h"

#include <array>
#include <cstdint>
#include <vector>

constexpr int32_t MinCornerSegments = 1;
constexpr int32_t MaxCornerSegments = 20;

enum class TCornerError {
    None,
    NoCorner,     // nothing chosen
    OpenEnd,      // an end point of an open outline has only one edge
    ZeroEdge,     // an edge of the corner has no length
    Straight,     // the edges are in line: nothing to round
    DoesNotFit,   // the tangent points would pass a neighbouring vertex or tangent point
    TooManyPoints // the result would exceed the outline's capacity
};

struct TCornerResult {
    TCornerError Error = TCornerError::None;
    int32_t Vertex = -1;    // the corner concerned (index into the outline)
    double MaxRadius = 0;   // DoesNotFit: the largest radius that fits there (stored units)
    int32_t PointCount = 0; // TooManyPoints: how many the result would have
    std::vector<OutlineVertex> Outline;
    // Each point of Outline before it was rounded to stored units.
    std::vector<std::array<double, 2>> Exact;
};

// corners: indices into outline (closed when its last vertex lies on its first; there both ends
// name the same corner). radius in stored units (> 0), segments 1..20.
TCornerResult RoundCorners(const std::vector<OutlineVertex>& outline,
                           const std::vector<int32_t>& corners, double radius, int32_t segments);

// The heights of a rounded outline: a vertex kept from before keeps its height, the points of an
// arc take the height of the corner they replace. after is RoundCorners' outline of before.
std::vector<float> HeightsAfterRounding(const std::vector<OutlineVertex>& before,
                                        const std::vector<float>& heights,
                                        const std::vector<OutlineVertex>& after);
