// What one world unit (one millimetre of the solid) is called in the mesh exports: the unit the
// user chose, its length in millimetres, and the choice that new exporters take.
#pragma once

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
