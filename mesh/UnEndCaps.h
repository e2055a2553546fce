// End caps: the profile at an open path end, triangulated by the GLU tessellator into the current
// renderer.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <string>

void buildCap(TProfileObj& profile, const Vec3& segStart, const Vec3& segEnd, const ColorF& color,
              const std::string& texture, const Matrix4& frame, bool start);
// Deletes the program's tessellator (it is created again by the next cap).
void releaseCapTessellator();
