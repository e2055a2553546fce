// The planar faces of a STEP solid: an object's welded triangles joined into the largest faces
// that are flat and of one colour, each as its outer boundary and its holes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One planar face: its loops of corners by position number, the outer one first and running
// anticlockwise seen from outside (from where the normal points), the holes clockwise; the
// colour run of its triangles; its plane as a unit normal and a point on it.
struct TPlanarFace {
    std::vector<std::vector<uint32_t>> Loops;
    uint32_t Run = 0;
    std::array<double, 3> Normal{}, Origin{};
    std::vector<uint32_t> Triangles; // the triangles it joins, by number
};

// Joins triangles (corners by position number into points, wound outwards, each side shared with
// at most one other triangle running it the other way) into planar faces: neighbours of the same
// run whose corners lie within tolerance of one plane become one face. A patch that would not
// make a single face with holes (two boundaries touching at a corner) stays one face per triangle,
// and so does each triangle marked in apart (when given, one flag per triangle).
std::vector<TPlanarFace> joinPlanarFaces(const std::vector<std::array<double, 3>>& points,
                                         const std::vector<std::array<uint32_t, 3>>& triangles,
                                         const std::vector<uint32_t>& runs, double tolerance,
                                         const std::vector<uint8_t>* apart = nullptr);
