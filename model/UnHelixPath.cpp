// A helical path about the vertical axis in path units: right or left hand, any start angle.
#include "model/UnHelixPath.h"

#include "model/UnObjectExtension.h"
#include "model/UnOutlineDxf.h"

#include <cmath>
#include <stdexcept>

int64_t helixVertices(const THelixShape& s) {
    const double steps = std::round(s.Turns * s.StepsPerTurn);
    return std::isfinite(steps) && steps < 1e9 ? int64_t(steps) + 1 : INT64_MAX;
}

std::string helixProblem(const THelixShape& s) {
    if (!std::isfinite(s.Radius) || !(s.Radius > 0) || s.Radius > 1e6)
        return "The radius must be a number of millimetres above 0.";
    if (!std::isfinite(s.RisePerTurn) || std::fabs(s.RisePerTurn) > MaxLatheRise)
        return "The rise per turn must be a number of millimetres.";
    if (!std::isfinite(s.Turns) || !(s.Turns > 0))
        return "The number of turns must be more than 0.";
    if (s.StepsPerTurn < 3) return "A turn needs at least 3 steps.";
    if (!std::isfinite(s.StartAngle)) return "The start angle must be a number of degrees.";
    const int64_t n = helixVertices(s);
    if (n > MaxOutlineVertices)
        return "This helix would need " +
               (n == INT64_MAX ? std::string("too many") : std::to_string(n)) +
               " vertices; a path holds at most " + std::to_string(MaxOutlineVertices) +
               ". Use fewer turns or fewer steps per turn.";
    return {};
}

THelixPath makeHelixPath(const THelixShape& s, int32_t scale) {
    if (const std::string problem = helixProblem(s); !problem.empty())
        throw std::invalid_argument(problem);
    THelixPath out;
    out.Count = int32_t(helixVertices(s));
    const double units = 100.0 / scale; // stored units per millimetre
    const double hand = s.LeftHand ? -1 : 1;
    const double start = s.StartAngle * M_PI / 180;
    for (int32_t i = 0; i < out.Count; ++i) {
        const double t = 2 * M_PI * i / s.StepsPerTurn;
        const double a = start + hand * t;
        OutlineVertex& v = out.Vertices[size_t(i)];
        v.X = RoundHalfEven(s.Radius * std::sin(a) * units);
        v.Y = RoundHalfEven(s.Radius * std::cos(a) * units);
        out.Heights[size_t(i)] = static_cast<float>(s.RisePerTurn * i / s.StepsPerTurn * units);
    }
    return out;
}
