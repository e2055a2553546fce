// The export unit: the accepted names and the current choice.
#include "meshexport/UnExportUnit.h"

namespace {
const TExportUnit* current = &ExportUnits[0];
}

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
