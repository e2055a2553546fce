// Whether an object's planar faces bound a solid: checked exactly on the corners, before the
// faces are written as one.
#pragma once

#include "meshexport/UnStepFaces.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What keeps faces (loops by the numbers of points, outer loops anticlockwise seen from outside)
// from bounding a solid, in words; empty when they bound one. A solid's faces meet at every edge
// in pairs, each running it the other way; each face's loops are simple and apart from each other
// in its plane; they enclose a positive volume. invalid receives the numbers of the faces whose
// loops cross or touch.
std::string solidFault(const std::vector<std::array<double, 3>>& points,
                       const std::vector<TPlanarFace>& faces, std::vector<uint32_t>& invalid);

// True when the loops of face cross or touch each other or themselves, seen along its normal.
bool faceLoopsCross(const std::vector<std::array<double, 3>>& points, const TPlanarFace& face);
