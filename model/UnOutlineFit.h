// Fitting a drawn outline into the stored one: at most 100 vertices placed where the curvature
// needs them (the largest distance to the drawing as small as it can be, straight edges keeping
// their exact corners), the outline's scale and its integer coordinates.
#pragma once

#include "model/UnOutlineDxf.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// Stored coordinates stay within this (editor units): at the largest scale, 5 km from the origin.
constexpr int32_t MaxStoredCoordinate = 1'000'000;
constexpr int32_t MinOutlineScale = 10, MaxOutlineScale = 500;

struct TStoredOutline {
    std::array<OutlineVertex, MaxOutlineVertices> Vertices{};
    std::array<float, MaxOutlineVertices> Heights{}; // a path's, in stored units; 0 in the plane
    int32_t Count = 0;
    int32_t Scale = 100;     // percent: millimetres = stored x Scale / 100
    bool Closed = false;     // a closed outline ends on its first vertex
    double Deviation = 0;    // millimetres between the drawing and the stored outline, at most
    double FitDeviation = 0; // the same before the vertices were rounded to the storage step
    std::vector<std::string> Notes;
};

// Indices of the points kept, at most budget of them: the first and the last always, every corner
// when there are no more than budget of them, and in between the fewest points for the smallest
// largest distance from the points left out to the kept polyline. deviation receives that
// distance.
std::vector<size_t> fitPoints(const std::vector<TChainPoint>& points, size_t budget,
                              double& deviation, bool& simplified);

// The scale (percent) for an outline of this size (its larger side) reaching maxAbs from the
// origin, in millimetres: the current one when it already stores the outline exactly or with a
// step of at most 1/2000 of the size, otherwise the largest that gives that step, within 10..500.
// Returns 0 when no scale can store the coordinates.
int32_t chooseOutlineScale(double size, double maxAbs, int32_t current, bool exactAtCurrent);

// The chain as a stored outline of kind (a path's second coordinate runs the other way); name is
// the drawing's name for messages. Throws EOutlineError for what cannot be stored.
TStoredOutline storeOutline(const TOutlineChain& chain, TOutlineKind kind, int32_t currentScale,
                            const std::string& name);

// True when two edges of the outline cross or touch, or two neighbouring edges fold back onto each
// other; repeated neighbours are one point, and the last and first edges of a closed outline (its
// end on its start) are neighbours.
bool outlineCrossesItself(const std::vector<Point2>& points);
