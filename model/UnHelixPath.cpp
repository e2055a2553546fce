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

std::vector<std::array<double, 3>> helixPointsMm(const THelixShape& s) {
    if (const std::string problem = helixProblem(s); !problem.empty())
        throw std::invalid_argument(problem);
    std::vector<std::array<double, 3>> points(size_t(helixVertices(s)));
    const double hand = s.LeftHand ? -1 : 1;
    const double start = s.StartAngle * M_PI / 180;
    for (size_t i = 0; i < points.size(); ++i) {
        const double t = 2 * M_PI * double(i) / s.StepsPerTurn;
        const double a = start + hand * t;
        points[i] = {s.Radius * std::sin(a), s.Radius * std::cos(a),
                     s.RisePerTurn * double(i) / s.StepsPerTurn};
    }
    return points;
}

THelixPath makeHelixPath(const THelixShape& s, int32_t scale) {
    const std::vector<std::array<double, 3>> points = helixPointsMm(s);
    THelixPath out;
    out.Count = int32_t(points.size());
    const double units = 100.0 / scale; // stored units per millimetre
    for (size_t i = 0; i < points.size(); ++i) {
        out.Vertices[i].X = RoundHalfEven(points[i][0] * units);
        out.Vertices[i].Y = RoundHalfEven(points[i][1] * units);
        out.Heights[i] = static_cast<float>(points[i][2] * units);
    }
    return out;
}
