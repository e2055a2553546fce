// What one world unit (one millimetre of the solid) is called in the mesh exports: the unit the
// user chose, its length in millimetres, and the choice that new exporters take; and which way is
// up in their files.
#pragma once

#include "model/unVectorCalc.h"

#include <string>
#include <string_view>

struct TExportUnit {
    const char* Name;   // as typed and shown: "mm", "cm", "m", "in"
    double Millimetres; // length of the unit
};

// The accepted units, millimetre first (the default).
inline constexpr TExportUnit ExportUnits[] = {
    {"mm", 1.0}, {"cm", 10.0}, {"m", 1000.0}, {"in", 25.4}};

// The unit of that name (exact, lower case); null when there is none.
const TExportUnit* findExportUnit(std::string_view name);
// "mm, cm, m, in".
std::string exportUnitNames();

// The unit one world unit stands for in the exports started from now on (millimetre until set).
const TExportUnit& exportUnit();
void setExportUnit(const TExportUnit& unit);

// The axis that points up in an export's file. The document is Y up; printing formats are Z up.
enum class TUpAxis { Y, Z };
// What the user chose for STL, OBJ and 3MF: each format's own convention (STL and 3MF Z up, OBJ
// Y up), or one axis for all three. glTF is always Y up, as its format says.
enum class TUpChoice { Format, Y, Z };
// "y", "z" as typed (--up) and kept in the settings; "" for each format's own.
const char* upChoiceName(TUpChoice choice);
// The choice of that name; false when there is none.
bool findUpChoice(std::string_view name, TUpChoice& choice);
// The choice that exports started from now on follow (the formats' own until set).
TUpChoice exportUpChoice();
void setExportUpChoice(TUpChoice choice);
// The up axis of a format following the choice, formatUp being its own convention.
TUpAxis exportUpAxis(TUpAxis formatUp);

// A world point or direction in an export's frame. Z up turns the world a quarter turn about X
// (world Y becomes Z, world Z becomes -Y): a proper rotation, so normals and windings stay outward.
Vec3 toExportFrame(const Vec3& world, TUpAxis up);
// A placement followed by the same turn: the placement into the export's frame. Exact, as the turn
// only moves and negates rows; Y up gives the placement unchanged.
Matrix4 toExportFrame(const Matrix4& placement, TUpAxis up);
