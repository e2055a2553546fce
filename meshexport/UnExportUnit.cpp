// The export unit and the up axis: the accepted names and the current choices.
#include "meshexport/UnExportUnit.h"

namespace {
const TExportUnit* current = &ExportUnits[0];
TUpChoice currentUp = TUpChoice::Format;
} // namespace

const TExportUnit* findExportUnit(std::string_view name) {
    for (const TExportUnit& unit : ExportUnits)
        if (name == unit.Name) return &unit;
    return nullptr;
}

std::string exportUnitNames() {
    std::string names;
    for (const TExportUnit& unit : ExportUnits) {
        if (!names.empty()) names += ", ";
        names += unit.Name;
    }
    return names;
}

const TExportUnit& exportUnit() {
    return *current;
}

void setExportUnit(const TExportUnit& unit) {
    const TExportUnit* known = findExportUnit(unit.Name);
    current = known != nullptr ? known : &ExportUnits[0];
}

const char* upChoiceName(TUpChoice choice) {
    return choice == TUpChoice::Y ? "y" : choice == TUpChoice::Z ? "z" : "";
}

bool findUpChoice(std::string_view name, TUpChoice& choice) {
    for (TUpChoice c : {TUpChoice::Format, TUpChoice::Y, TUpChoice::Z})
        if (name == upChoiceName(c)) {
            choice = c;
            return true;
        }
    return false;
}

TUpChoice exportUpChoice() {
    return currentUp;
}

void setExportUpChoice(TUpChoice choice) {
    currentUp = choice;
}

TUpAxis exportUpAxis(TUpAxis formatUp) {
    return currentUp == TUpChoice::Format ? formatUp
           : currentUp == TUpChoice::Z    ? TUpAxis::Z
                                          : TUpAxis::Y;
}

Vec3 toExportFrame(const Vec3& world, TUpAxis up) {
    if (up == TUpAxis::Y) return world;
    return Vec3{world.X, 0.0f - world.Z, world.Y};
}

Matrix4 toExportFrame(const Matrix4& placement, TUpAxis up) {
    if (up == TUpAxis::Y) return placement;
    // Rows (element column * 4 + row): row 1 becomes minus row 2, row 2 becomes row 1 (0 - x
    // keeps zeros positive).
    Matrix4 m = placement;
    for (int column = 0; column < 4; ++column) {
        m.m[column * 4 + 1] = 0.0 - placement.m[column * 4 + 2];
        m.m[column * 4 + 2] = placement.m[column * 4 + 1];
    }
    return m;
}
