// End caps: the profile at an open path end, triangulated by the GLU tessellator into the current
// renderer.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <string>
#include <vector>

// section, when given, holds the profile already placed by frame (one point per element): the cap
// takes those corners as they are, so that it meets the side faces exactly.
void buildCap(TProfileObj& profile, const Vec3& segStart, const Vec3& segEnd, const ColorF& color,
              const std::string& texture, const Matrix4& frame, bool start,
              const std::vector<Vec3>* section = nullptr);
// Deletes the program's tessellator (it is created again by the next cap).
void releaseCapTessellator();
