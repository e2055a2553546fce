// Outlines in and out of DXF files: a drawing's profile or path as an object's stored outline, an
// outline back out as one LWPOLYLINE in millimetres, and the objects the command line builds.
#pragma once

#include "model/UnOutlineFit.h"

#include <string>

class TExtrObj;

// Reads the profile or path of the DXF file (entities of layer, or of every layer when it is
// empty); currentScale is kept when it stores the outline well enough. Throws EOutlineError.
TStoredOutline importOutline(const std::string& fileName, TOutlineKind kind,
                             const std::string& layer, int32_t currentScale);

// The layers of the DXF file that hold entities an outline is made of, in drawing order. Throws
// EOutlineError for what is not a DXF drawing.
std::vector<std::string> outlineLayers(const std::string& fileName);

// Writes count stored vertices at scale as one LWPOLYLINE in millimetres ($INSUNITS 4), through a
// temporary file renamed over fileName on success. A closed outline (closed, or its last vertex on
// its first) becomes a closed LWPOLYLINE without the repeated vertex. Throws EOutlineError.
void exportOutline(const std::string& fileName, const OutlineVertex* vertices, int32_t count,
                   int32_t scale, TOutlineKind kind, bool closed);

// The object's profile (its vertices without groups; the group list stays) or its path, with the
// outline's scale and, for a path, its closure.
void setObjectOutline(TExtrObj& object, TOutlineKind kind, const TStoredOutline& outline);

// One line for the user: vertices, deviation in millimetres and scale.
std::string outlineSummary(const TStoredOutline& outline, TOutlineKind kind);
