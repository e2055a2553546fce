// Checks of a lathe's pitch shared by the Lathe dialog and the command line.
#include "model/UnLathePitch.h"

#include "model/UnObjectExtension.h"
#include "model/UnOutlineDxf.h"
#include "model/UnTExtrObj.h"

#include <algorithm>
#include <cmath>

std::string lathePitchError(int32_t stepsPerTurn, double rise, double turns) {
    if (!std::isfinite(rise) || std::fabs(rise) > MaxLatheRise)
        return "The rise per turn must be a number of millimetres within " +
               formatNumber(-MaxLatheRise) + ".." + formatNumber(MaxLatheRise) + ".";
    if (!std::isfinite(turns) || !(turns > 0) || turns > MaxLatheTurns)
        return "The number of turns must be more than 0 and at most " +
               formatNumber(MaxLatheTurns) + ".";
    const double steps = std::round(stepsPerTurn * turns);
    if (steps + 1 > MaxOutlineVertices)
        return formatNumber(turns) + " turns in " + std::to_string(stepsPerTurn) +
               " steps a turn would need " + formatNumber(steps + 1) + " vertices; at most " +
               std::to_string(MaxOutlineVertices) + " are possible.";
    return {};
}

std::string lathePitchWarning(const TExtrObj& o) {
    if (o.LatheRise == 0 || o.ProfileCount <= 0) return {};
    int32_t lo = o.Profile[0].Y, hi = lo;
    for (int32_t i = 1; i < o.ProfileCount && i < MaxOutlineVertices; ++i) {
        lo = std::min(lo, o.Profile[size_t(i)].Y);
        hi = std::max(hi, o.Profile[size_t(i)].Y);
    }
    const double height = (double(hi) - lo) * o.ProfileScale() / 100;
    if (std::fabs(o.LatheRise) >= height) return {};
    return "The turns overlap: a rise of " + millimetres(std::fabs(o.LatheRise)) +
           " mm per turn is less than the profile's height of " + millimetres(height) +
           " mm. The solid is built anyway.";
}
