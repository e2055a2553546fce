// Cut lists of swept objects from their outlines: members, mitres, corner pieces and stock.
#include "making/UnCutList.h"

#include "making/UnMakingText.h"
#include "model/UnTExtrObj.h"

#include <algorithm>
#include <cmath>
#include <numbers>

const char* endKindName(TEndKind kind) {
    switch (kind) {
    case TEndKind::Mitre:
        return "mitre";
    case TEndKind::Cap:
        return "cap";
    case TEndKind::Round:
        return "round";
    case TEndKind::Band:
        return "band";
    case TEndKind::Embedded:
        return "embedded";
    }
    return "";
}

namespace {

constexpr double Degrees = 180 / std::numbers::pi;
// Below this a member has no length, and a turn is none.
constexpr double NoLength = 1e-6;
constexpr double NoTurn = 1e-9;
// A turn this close to going back leaves no mitre to cut.
constexpr double MostTurn = 179;

struct Planar {
    double X = 0, Y = 0;
};

// The turn at a path vertex: signed (left, as stored, positive), in radians; corner: it joins two
// members (else the path ends there).
struct Turn {
    bool Corner = false;
    double Angle = 0;
};

struct Segment {
    Planar From, Dir;
    double Length = 0;
};

// A corner piece's length along the path at the profile offset x (right of the path, outward of a
// left turn): from each member's trimmed end (t1, t2 before the vertex) to the section at the
// vertex, which is the mitre plane or, for round corners, the profile turned onto the bisector.
double cornerLength(double x, double h, double t1, double t2, bool roundSection) {
    if (!roundSection) return t1 + t2 + 2 * x * std::tan(h);
    const double across = x * (1 - std::cos(h));
    return std::hypot(across, x * std::sin(h) + t1) + std::hypot(across, x * std::sin(h) + t2);
}

} // namespace

TCutList cutList(const TExtrObj& object) {
    TCutList list;
    list.Object = object.Name;
    if (object.Lathe()) {
        list.Problem = "a lathe object: see the turning table";
        return list;
    }
    if (object.ProfileCount < 2) {
        list.Problem = object.ProfileCount <= 0 ? "no profile" : "the profile has a single point";
        return list;
    }
    if (object.PathCount < 2) {
        list.Problem = object.PathCount <= 0 ? "no path" : "the path has a single point";
        return list;
    }
    const double ps = object.ProfileScale() / 100.0, ts = object.PathScale() / 100.0;
    double xMin = object.Profile[0].X * ps, xMax = xMin, yMin = object.Profile[0].Y * ps;
    double yMax = yMin, halfWidth = 0;
    const int profileCount = std::min(object.ProfileCount, MaxOutlineVertices);
    for (int i = 0; i < profileCount; ++i) {
        const double x = object.Profile[size_t(i)].X * ps, y = object.Profile[size_t(i)].Y * ps;
        xMin = std::min(xMin, x), xMax = std::max(xMax, x);
        yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        halfWidth = std::max(halfWidth, std::abs(x));
    }
    list.Width = xMax - xMin;
    list.Height = yMax - yMin;

    const int n = std::min(object.PathCount, MaxOutlineVertices);
    const int members = n - 1;
    const bool closed = object.PathClosed;
    std::vector<Segment> segments(static_cast<size_t>(members));
    for (int i = 0; i < members; ++i) {
        const Planar a{object.Path[size_t(i)].X * ts, object.Path[size_t(i)].Y * ts};
        const Planar b{object.Path[size_t(i + 1)].X * ts, object.Path[size_t(i + 1)].Y * ts};
        Segment& s = segments[size_t(i)];
        s.From = a;
        s.Length = std::hypot(b.X - a.X, b.Y - a.Y);
        if (s.Length > NoLength) s.Dir = {(b.X - a.X) / s.Length, (b.Y - a.Y) / s.Length};
    }
    // The member that has a length, from i on in the direction step (closed paths wrap round);
    // -1 when none.
    auto nonZero = [&](int i, int step) {
        for (int k = 0; k < members; ++k, i += step) {
            if (closed) i = (i + members) % members;
            if (i < 0 || i >= members) return -1;
            if (segments[size_t(i)].Length > NoLength) return i;
        }
        return -1;
    };
    // The turn at vertex v (0 .. n - 1).
    auto turnAt = [&](int v) {
        Turn turn;
        if (!closed && (v == 0 || v == n - 1)) return turn;
        const int in = nonZero(v == 0 ? members - 1 : v - 1, -1), out = nonZero(v % members, 1);
        if (in < 0 || out < 0) return turn;
        const Planar& a = segments[size_t(in)].Dir;
        const Planar& b = segments[size_t(out)].Dir;
        turn.Corner = true;
        turn.Angle = std::atan2(a.X * b.Y - a.Y * b.X, a.X * b.X + a.Y * b.Y);
        return turn;
    };

    const TEndKind style = object.EmbCorner()     ? TEndKind::Embedded
                           : object.RoundCorner() ? TEndKind::Round
                                                  : TEndKind::Mitre;
    // The straight part's trim at each end of each member (as the solid's sides end) and whether
    // it reaches half the member, where a mitre corner becomes a band.
    auto trim = [&](int member, const Turn& turn) {
        if (!turn.Corner || std::abs(turn.Angle) < NoTurn) return 0.0;
        return std::min(halfWidth * std::tan(std::abs(turn.Angle) / 2),
                        segments[size_t(member)].Length / 2);
    };
    auto clamped = [&](int member, const Turn& turn) {
        return turn.Corner && std::abs(turn.Angle) >= NoTurn &&
               segments[size_t(member)].Length > NoLength &&
               halfWidth * std::tan(std::abs(turn.Angle) / 2) > segments[size_t(member)].Length / 2;
    };
    // The kind of the corner at vertex v (Mitre: no piece of its own).
    auto cornerKind = [&](int v) {
        const Turn turn = turnAt(v);
        if (!turn.Corner || std::abs(turn.Angle) < NoTurn) return TEndKind::Mitre;
        if (style != TEndKind::Mitre) return style;
        const int before = v == 0 ? members - 1 : v - 1, after = v % members;
        const bool tight =
            (before >= 0 && clamped(before, turn)) || (after < members && clamped(after, turn));
        return tight ? TEndKind::Band : TEndKind::Mitre;
    };

    for (int i = 0; i < members; ++i) {
        const Segment& s = segments[size_t(i)];
        TCutRow row;
        row.Member = i + 1;
        const Turn start = turnAt(i), end = turnAt(i + 1);
        row.StartKind = start.Corner ? cornerKind(i) : TEndKind::Cap;
        row.EndKind = end.Corner ? cornerKind(i + 1) : TEndKind::Cap;
        if (s.Length <= NoLength) {
            row.Problem = "no length: path points " + std::to_string(i + 1) + " and " +
                          std::to_string(i + 2) + " are the same";
        } else if (std::abs(start.Angle) * Degrees > MostTurn ||
                   std::abs(end.Angle) * Degrees > MostTurn) {
            row.Problem = "the path turns back on itself";
        } else {
            // Along the member at offset x (right of the path), from end to end: a mitred end
            // reaches the plane that halves its turn, any other end stops square at the trim.
            auto along = [&](double x) {
                double length = s.Length;
                if (row.StartKind == TEndKind::Mitre)
                    length += x * std::tan(start.Angle / 2);
                else
                    length -= trim(i, start);
                if (row.EndKind == TEndKind::Mitre)
                    length += x * std::tan(end.Angle / 2);
                else
                    length -= trim(i, end);
                return length;
            };
            row.Long = std::max(along(xMin), along(xMax));
            row.Short = std::min(along(xMin), along(xMax));
            if (row.StartKind == TEndKind::Mitre)
                row.MitreStart = std::abs(start.Angle) / 2 * Degrees;
            if (row.EndKind == TEndKind::Mitre) row.MitreEnd = std::abs(end.Angle) / 2 * Degrees;
            if (row.Short <= NoLength) row.Problem = "too short for its mitres";
        }
        list.Rows.push_back(row);

        // The corner piece after this member, if its end has one.
        const int v = i + 1;
        if (row.EndKind == TEndKind::Mitre || row.EndKind == TEndKind::Cap) continue;
        const int next = v % members;
        if (!closed && v >= members) continue;
        TCutRow corner;
        corner.Corner = true;
        corner.Member = i + 1;
        corner.Kind = row.EndKind;
        corner.StartKind = corner.EndKind = row.EndKind;
        const double h = std::abs(end.Angle) / 2;
        const double t1 = trim(i, end), t2 = trim(next, end);
        corner.Angle = std::abs(end.Angle) * Degrees;
        corner.Radius = h > NoTurn ? (t1 + t2) / 2 / std::tan(h) : 0;
        corner.MitreStart = corner.MitreEnd = corner.Angle / 2;
        // The outer side of the turn is to the right of a left turn.
        const double side = end.Angle >= 0 ? 1 : -1;
        const bool roundSection = object.RoundCorner();
        const double a = cornerLength(side * xMin, h, t1, t2, roundSection);
        const double b = cornerLength(side * xMax, h, t1, t2, roundSection);
        corner.Long = std::max(a, b);
        corner.Short = std::min(a, b);
        if (corner.Angle > MostTurn) corner.Problem = "the path turns back on itself";
        list.Rows.push_back(corner);
    }
    return list;
}

std::vector<double> stockPieces(const TCutList& list) {
    std::vector<double> pieces;
    for (const TCutRow& row : list.Rows)
        if (!row.Corner && row.Problem.empty()) pieces.push_back(row.Long);
    return pieces;
}

std::string checkStockSettings(const TStockSettings& settings, const std::vector<double>& pieces) {
    constexpr double MostKerf = 20, MostWaste = 100, MostStock = 100000;
    if (!(settings.Kerf >= 0 && settings.Kerf <= MostKerf))
        return "Kerf must be from 0 to " + fixedNumber(MostKerf, 0) + " mm";
    if (!(settings.Waste >= 0 && settings.Waste <= MostWaste))
        return "Waste must be from 0 to " + fixedNumber(MostWaste, 0) + " %";
    double longest = 0;
    for (double piece : pieces)
        longest = std::max(longest, piece);
    const double least = std::max(longest, 1.0);
    if (!(settings.Stock >= least && settings.Stock <= MostStock))
        return "Stock length must be from " + fixedNumber(std::ceil(least * 10) / 10, 1) +
               " (the longest member) to " + fixedNumber(MostStock, 0) + " mm";
    return std::string();
}

TStockSummary stockSummary(const std::vector<double>& pieces, const TStockSettings& settings) {
    TStockSummary summary;
    summary.Pieces = int(pieces.size());
    double sum = 0;
    for (double piece : pieces)
        sum += piece + settings.Kerf;
    summary.Total = sum * (1 + settings.Waste / 100);
    std::vector<double> sorted = pieces;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    std::vector<double> used; // per stock length, what its pieces and kerfs take
    for (double piece : sorted) {
        // A piece as long as the stock needs no kerf of its own.
        const double need = std::min(piece + settings.Kerf, settings.Stock);
        size_t bar = 0;
        while (bar < used.size() && used[bar] + need > settings.Stock + 1e-9)
            ++bar;
        if (bar == used.size()) {
            used.push_back(0);
            summary.Bars.emplace_back();
        }
        used[bar] += need;
        summary.Bars[bar].push_back(piece);
    }
    summary.StockLengths = int(used.size());
    return summary;
}
