// Extrusion builder: sweeps the profile along the path into faces for the current renderer.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>
#include <vector>

enum TSegmentOption : uint32_t {
    soStartCap = 1u << 0,
    soEndCap = 1u << 1,
    soCorner = 1u << 2,
    soSides = 1u << 3,
    soMitreRing = 1u << 4,
    soEmbedded = 1u << 5,
    soFixedTexCoords = 1u << 6,
};
using TSegmentOptions = uint32_t;

int32_t buildExtrusion(const std::string& name, TProfileObj& path, TProfileObj& profile,
                       int32_t precision, bool closed, bool lathe, bool mitre, bool embCorner,
                       bool fixedTexCoords, bool selected, const ColorF* highlight, int32_t listId);

// The corners a segment shares with its neighbour at one end, one per profile element: the profile
// placed across the path where the sides begin or end, and the vertex ring of an embedded corner
// there. Empty where there is none.
struct TSegmentJoint {
    std::vector<Vec3> Section;
    std::vector<Vec3> Ring;
    int Side = 0;         // the inner side of a mitred Ring (see vertexRing), 0 for none
    float Reach = 0;      // how far the Section lies from where its frame was placed
    bool OnMitre = false; // the trim put the widest corners of its inner side on the mitre plane
};

// What a segment takes over from its neighbours and hands on. Where a corner of the segment is
// meant to be one of theirs (a path going straight on, the coincident corners of a mitre, a
// closed path's first vertex), the segment takes their point, bits and all, instead of its own.
struct TSegmentJoints {
    TSegmentJoint Before;                 // the previous segment's end, as emitted
    const TSegmentJoint* After = nullptr; // the next segment's start when it was built first
    bool StartDrawn = false;  // the start section was drawn before (the corner closing a path)
    TSegmentJoint Start, End; // this segment's own; their OnMitre are set by the
                              // caller (the trim did not stop at half the segment)
};

void buildSegment(const TProfileElementObj& S, const TProfileElementObj& E, TProfileObj& profile,
                  TSegmentOptions options, const Vec3& Pi, const Vec3& Pj, float prevHeading,
                  TSegmentJoints& joints, float& heading, int32_t precision, int32_t segListId);

// Bands from the previous end section prev through the vertex ring to this segment's start.
void buildCornerBands(const TProfileElementObj& S, TProfileObj& profile,
                      const std::vector<Vec3>& ring, const std::vector<Vec3>& start,
                      const std::vector<Vec3>& prev);

// The profile carried onto the plane that bisects the turn at vertex (mitre), or turned onto it.
// innerSide, when given, receives the sign of the profile x where a mitre plane meets the
// sections beyond the vertex (the trim puts the widest corners on that side on the plane); 0 when
// the ring is no mitre.
std::vector<Vec3> vertexRing(const TProfileObj& profile, const Vec3& vertex, const Matrix4& frame,
                             float heading, float otherHeading, bool mitre,
                             int* innerSide = nullptr);

// angle 0..180 from +Z, axis of that turn, heading 0..360 about +Y (0 = +Z, 90 = +X).
void segmentHeading(const Vec3& a, const Vec3& b, float& angle, Vec3& axis, float& heading);

// translate(point) x rotate(angle, axis), computed directly in the OpenGL convention.
Matrix4 frameMatrix(const Vec3& point, const Vec3& axis, float angle);

float trimFraction(const Vec3& a, const Vec3& b, float halfWidth, float turn);
