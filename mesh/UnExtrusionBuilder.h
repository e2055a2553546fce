// Extrusion builder: sweeps the profile along the path into faces for the current renderer.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>

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

void buildSegment(const TProfileElementObj& S, const TProfileElementObj& E, TProfileObj& profile,
                  TSegmentOptions options, const Vec3& Pi, const Vec3& Pj, float prevHeading,
                  const std::vector<Vec3>& prevEndRing, std::vector<Vec3>& endRing, float& heading,
                  int32_t precision, int32_t segListId);

void buildCornerBands(const TProfileElementObj& S, TProfileObj& profile, const TProfileObj& ring,
                      const Matrix4& startFrame, const std::vector<Vec3>& prev);

TProfileObj vertexRing(const TProfileObj& profile, const Vec3& vertex, const Matrix4& frame,
                       float heading, float otherHeading, bool mitre);

// angle 0..180 from +Z, axis of that turn, heading 0..360 about +Y (0 = +Z, 90 = +X).
void segmentHeading(const Vec3& a, const Vec3& b, float& angle, Vec3& axis, float& heading);

// translate(point) x rotate(angle, axis), computed directly in the OpenGL convention.
Matrix4 frameMatrix(const Vec3& point, const Vec3& axis, float angle);

float trimFraction(const Vec3& a, const Vec3& b, float halfWidth, float turn);
