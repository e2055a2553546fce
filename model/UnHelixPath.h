// A helical path: the vertices and heights of a helix about the vertical axis, for the path
// editor's Helix command and the examples.
#pragma once

#include "model/unVectorCalc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct THelixShape {
    double Radius = 50;      // millimetres
    double RisePerTurn = 30; // millimetres
    double Turns = 2;
    int32_t StepsPerTurn = 24;
    double StartAngle = 0; // degrees, 0 on the +Z side (the editor's +Y), growing towards +X
    bool LeftHand = false;
};

struct THelixPath {
    std::array<OutlineVertex, MaxOutlineVertices> Vertices{};
    std::array<float, MaxOutlineVertices> Heights{};
    int32_t Count = 0;
};

// The number of vertices the helix needs: turns x steps per turn, rounded, plus one.
int64_t helixVertices(const THelixShape& shape);

// Why the helix cannot be made (a value that is not a number or out of range, more vertices than
// an outline holds, with how many it would need); empty when it can.
std::string helixProblem(const THelixShape& shape);

// The helix's points in millimetres, exactly: {x, plan y (the world's z), height}.
std::vector<std::array<double, 3>> helixPointsMm(const THelixShape& shape);

// The helix in path units at scale percent (stored = millimetres x 100 / scale), the plan
// coordinates rounded to whole units and the heights kept exact. Throws std::invalid_argument
// with helixProblem's text.
THelixPath makeHelixPath(const THelixShape& shape, int32_t scale);
