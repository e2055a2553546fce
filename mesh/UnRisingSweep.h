// Sweep along a path whose vertices have heights: frames that keep the profile's up in the
// vertical plane through each segment, mitres on the bisector plane of each corner.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// True when a path element lies off the plane (world Y not 0): such a path takes the rising
// sweep, every other path the builder in the plane.
bool pathRises(const TProfileObj& path);

// What a user should be told about a rising path: a path of vertical segments only, a corner that
// folds back on itself (the first one). Text is null when nothing; %1 in it stands for Vertex,
// the path's vertex counted from 1.
struct TRisingPathProblem {
    const char* Text = nullptr;
    int32_t Vertex = 0;
};
inline constexpr const char* RisingOnlyVerticalText =
    "The path runs only straight up or down: the profile has no direction to face there, so it "
    "faces +X.";
inline constexpr const char* RisingFoldsBackText =
    "The path folds back on itself at vertex %1: its section there stands across the incoming "
    "segment.";
TRisingPathProblem checkRisingPath(const TProfileObj& path, bool closed);
// The same as a sentence; empty when nothing.
std::string risingPathProblem(const TProfileObj& path, bool closed);

// The orientation of the profile along one segment: across (the profile's x), up (its y) and the
// sweep direction, as unit vectors in double precision.
struct TSweepFrame {
    double X[3], Y[3], Z[3];
};

// The frames of the path's segments (one per pair of distinct successive points).
std::vector<TSweepFrame> risingFrames(const TProfileObj& path, bool closed);

// A turning corner of a rising path as the builder places it: the ring in double precision, and
// the frames of the segments that meet there.
struct TRisingCornerInfo {
    bool Folds = false;
    std::vector<std::array<double, 3>> Ring;
    TSweepFrame In, Out;
};
std::vector<TRisingCornerInfo> risingCorners(const TProfileObj& path, const TProfileObj& profile,
                                             bool closed, bool mitre);

int32_t buildRisingExtrusion(const std::string& name, TProfileObj& path, TProfileObj& profile,
                             int32_t precision, bool closed, bool mitre, bool embCorner,
                             bool fixedTexCoords, bool selected, int32_t listId);
