// Checks of an outline before it is saved: what the solid would lack with it.
#pragma once

#include "model/unVectorCalc.h"

#include <vector>

struct TOutlineProblems {
    bool TooFewPoints = false; // a profile with fewer than three distinct points: nothing drawn
    bool NotClosed = false;    // a profile whose end is not on its start: no end caps
    bool Crossing = false;     // a profile crossing itself: wrong end caps
    bool Repeated = false;     // a path with a point repeated next to itself: zero-length segments
    bool Any() const { return TooFewPoints || NotClosed || Crossing || Repeated; }
};

TOutlineProblems CheckProfile(const std::vector<Point2>& points);
TOutlineProblems CheckPath(const std::vector<Point2>& points);
