// Segmented-turning tables of lathe objects, from the profile spun about the axis.
#include "making/UnTurning.h"

#include "making/UnMakingText.h"
#include "model/UnTExtrObj.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::string checkTurningSettings(const TTurningSettings& s) {
    if (!(s.Board >= 1 && s.Board <= 200)) return "Board thickness must be from 1 to 200 mm";
    if (s.Segments != 0 && (s.Segments < 3 || s.Segments > 100))
        return "Segments per ring must be from 3 to 100";
    if (!(s.Allowance >= 0 && s.Allowance <= 50)) return "Allowance must be from 0 to 50 mm";
    return std::string();
}

TTurningTable turningTable(const TExtrObj& object, const TTurningSettings& settings) {
    TTurningTable table;
    table.Object = object.Name;
    if (!object.Lathe()) {
        table.Problem = "not a lathe object: see the cut list";
        return table;
    }
    const int count = std::min(object.ProfileCount, MaxOutlineVertices);
    if (count < 3) {
        table.Problem = count <= 0 ? "no profile" : "the profile has too few points";
        return table;
    }
    const int segments = settings.Segments > 0 ? settings.Segments
                                               : std::min(object.PathCount, MaxOutlineVertices) - 1;
    if (segments < 3) {
        table.Problem = "fewer than 3 segments per ring";
        return table;
    }
    // The profile as the lathe spins it: moved so that its leftmost point is on the axis, and
    // closed by the axis (or by its own last edge).
    const double s = object.ProfileScale() / 100.0;
    struct Point {
        double X, Y;
    };
    std::vector<Point> p;
    double axis = object.Profile[0].X, bottom = object.Profile[0].Y, top = bottom;
    for (int i = 0; i < count; ++i) {
        axis = std::min<double>(axis, object.Profile[size_t(i)].X);
        bottom = std::min<double>(bottom, object.Profile[size_t(i)].Y);
        top = std::max<double>(top, object.Profile[size_t(i)].Y);
    }
    for (int i = 0; i < count; ++i)
        p.push_back(
            {(object.Profile[size_t(i)].X - axis) * s, (object.Profile[size_t(i)].Y - bottom) * s});
    const double height = (top - bottom) * s;
    if (height <= 0) {
        table.Problem = "the profile has no height";
        return table;
    }
    const double mitre = 180.0 / segments;
    const double tangent = std::tan(std::numbers::pi / segments);
    const int rings = int(std::ceil(height / settings.Board - 1e-9));
    for (int r = 0; r < rings; ++r) {
        TRing ring;
        ring.Ring = r + 1;
        ring.From = r * settings.Board;
        ring.To = std::min(height, (r + 1) * settings.Board);
        // The outline's extent across the band: every edge (the closing one included) cut to it.
        double outer = 0, inner = -1;
        for (size_t i = 0; i < p.size(); ++i) {
            const Point a = p[i], b = p[(i + 1) % p.size()];
            const double lo = std::max(ring.From, std::min(a.Y, b.Y));
            const double hi = std::min(ring.To, std::max(a.Y, b.Y));
            if (lo > hi) continue;
            // A level edge on the band's lower bound belongs to the band below.
            if (a.Y == b.Y && a.Y == ring.From && r > 0) continue;
            double xs[2] = {a.X, b.X}; // a level edge: both its ends
            if (a.Y != b.Y)
                for (int k = 0; k < 2; ++k)
                    xs[k] = a.X + (b.X - a.X) * ((k == 0 ? lo : hi) - a.Y) / (b.Y - a.Y);
            for (double x : xs) {
                outer = std::max(outer, x);
                inner = inner < 0 ? x : std::min(inner, x);
            }
        }
        ring.Outer = outer + settings.Allowance;
        ring.Inner = std::max(0.0, inner - settings.Allowance);
        ring.SolidRing = ring.Inner <= 0;
        ring.Segments = segments;
        ring.SegmentLength = 2 * ring.Outer * tangent;
        ring.SegmentWidth = ring.Outer - ring.Inner;
        ring.Mitre = mitre;
        ring.BoardLength = segments * ring.SegmentLength;
        table.Rings.push_back(ring);
    }
    return table;
}
