// Chains of a DXF drawing's outline pieces: joined end to end, measured, the profile or path
// chosen among them; numbers for messages; the LWPOLYLINE writer.
#include "model/UnOutlineDxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

namespace {

// In space when the points lie at different heights: a helix's turns end above their starts.
double dist(const TChainPoint& a, const TChainPoint& b) {
    if (a.Z != b.Z) return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

// "(8, 28) and (8, 27.95) mm": where a gap lies.
std::string between(const TChainPoint& a, const TChainPoint& b) {
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    return "(" + millimetres(a.X) + ", " + millimetres(a.Y) + ") and (" + millimetres(b.X) + ", " +
           millimetres(b.Y) + ") mm";
#pragma GCC diagnostic pop
}

std::string gapNote(const TChainPoint& a, const TChainPoint& b) {
    return "closed a gap of " + millimetres(dist(a, b)) + " mm between " + between(a, b);
}

// Joins the pieces whose ends meet within tol; a join wider than quiet is named in its chain's
// Gaps.
std::vector<TOutlineChain> joinWithin(std::vector<TOutlineChain> pieces, double tol, double quiet) {
    std::vector<TOutlineChain> chains;
    const size_t n = pieces.size();
    std::vector<bool> used(n, false);
    // Ends in a grid of cells of size tol; a match lies in the same or a neighbouring cell.
    auto cellOf = [tol](const TChainPoint& p) {
        return std::pair<int64_t, int64_t>(int64_t(std::floor(p.X / tol)),
                                           int64_t(std::floor(p.Y / tol)));
    };
    struct Hash {
        size_t operator()(const std::pair<int64_t, int64_t>& c) const {
            return std::hash<int64_t>()(c.first * 0x9E3779B97F4A7C15ULL ^ c.second);
        }
    };
    std::unordered_map<std::pair<int64_t, int64_t>, std::vector<size_t>, Hash> grid;
    for (size_t i = 0; i < n; ++i)
        if (!pieces[i].Closed) {
            grid[cellOf(pieces[i].Points.front())].push_back(2 * i);
            grid[cellOf(pieces[i].Points.back())].push_back(2 * i + 1);
        }
    auto findEnd = [&](const TChainPoint& p) -> int64_t {
        const auto [cx, cy] = cellOf(p);
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const auto it = grid.find({cx + dx, cy + dy});
                if (it == grid.end()) continue;
                // Ends of pieces already joined leave the cell as they are met, so many pieces
                // meeting at one point are no slower than a few.
                std::vector<size_t>& ends = it->second;
                for (size_t i = 0; i < ends.size();) {
                    const size_t e = ends[i];
                    if (used[e / 2]) {
                        ends[i] = ends.back();
                        ends.pop_back();
                        continue;
                    }
                    const TOutlineChain& q = pieces[e / 2];
                    if (dist(e % 2 ? q.Points.back() : q.Points.front(), p) <= tol)
                        return int64_t(e);
                    ++i;
                }
            }
        return -1;
    };
    for (size_t i = 0; i < n; ++i) {
        if (used[i]) continue;
        used[i] = true;
        TOutlineChain chain = std::move(pieces[i]);
        if (!chain.Closed) {
            size_t joined = 1;
            for (int side = 0; side < 2; ++side) {
                for (int64_t e; (e = findEnd(chain.Points.back())) >= 0;) {
                    used[size_t(e) / 2] = true;
                    std::vector<TChainPoint>& q = pieces[size_t(e) / 2].Points;
                    if (e % 2) std::reverse(q.begin(), q.end());
                    if (dist(chain.Points.back(), q.front()) > quiet)
                        chain.Gaps.push_back(gapNote(chain.Points.back(), q.front()));
                    chain.Points.back().Corner |= q.front().Corner;
                    chain.Points.insert(chain.Points.end(), q.begin() + 1, q.end());
                    ++joined;
                    if (dist(chain.Points.back(), chain.Points.front()) <= tol) break;
                }
                if (dist(chain.Points.back(), chain.Points.front()) <= tol &&
                    (joined > 1 || chain.Points.size() > 2)) {
                    if (dist(chain.Points.back(), chain.Points.front()) > quiet)
                        chain.Gaps.push_back(gapNote(chain.Points.back(), chain.Points.front()));
                    chain.Points.front().Corner |= chain.Points.back().Corner;
                    chain.Points.back() = chain.Points.front();
                    chain.Closed = true;
                    break;
                }
                std::reverse(chain.Points.begin(), chain.Points.end());
            }
        }
        chains.push_back(std::move(chain));
    }
    return chains;
}

} // namespace

std::vector<TOutlineChain> joinPieces(std::vector<TOutlineChain> pieces, double tol,
                                      double widestGap) {
    std::vector<TOutlineChain> chains = joinWithin(std::move(pieces), tol, HUGE_VAL);
    if (widestGap <= tol ||
        std::all_of(chains.begin(), chains.end(), [](const TOutlineChain& c) { return c.Closed; }))
        return chains;
    return joinWithin(std::move(chains), widestGap, tol);
}

std::string entityCounts(const std::map<std::string, int>& counts) {
    std::string text;
    for (const auto& [type, n] : counts)
        text += (text.empty() ? "" : ", ") + type + " (" + std::to_string(n) + ")";
    return text;
}

double TOutlineChain::Length() const {
    double length = 0;
    for (size_t i = 1; i < Points.size(); ++i)
        length += dist(Points[i - 1], Points[i]);
    return length;
}

double TOutlineChain::Area() const {
    double twice = 0;
    for (size_t i = 1; i < Points.size(); ++i)
        twice += Points[i - 1].X * Points[i].Y - Points[i].X * Points[i - 1].Y;
    return twice / 2;
}

TOutlineChain chooseOutline(TDxfOutlines& drawing, TOutlineKind kind, const std::string& name,
                            const std::string& layer) {
    const std::string where = layer.empty() ? name : name + " (layer \"" + layer + "\")";
    if (drawing.Chains.empty()) {
        std::string text =
            where + " holds no outline: found " +
            (drawing.Found.empty() ? std::string("no entities") : entityCounts(drawing.Found));
        if (!drawing.OnOtherLayers.empty())
            text += "; other layers hold " + entityCounts(drawing.OnOtherLayers);
        throw EOutlineError(text + "; outlines are made of LINE, ARC, CIRCLE, ELLIPSE, LWPOLYLINE, "
                                   "POLYLINE and SPLINE entities");
    }
    std::vector<TOutlineChain>& chains = drawing.Chains;
    const TOutlineChain* best = nullptr;
    size_t candidates = 0;
    if (kind == TOutlineKind::Profile) {
        for (const TOutlineChain& c : chains)
            if (c.Closed) {
                ++candidates;
                if (!best || std::abs(c.Area()) > std::abs(best->Area())) best = &c;
            }
        if (!best) {
            const TOutlineChain* open = &chains[0];
            for (const TOutlineChain& c : chains)
                if (c.Length() > open->Length()) open = &c;
            const TChainPoint &a = open->Points.front(), &b = open->Points.back();
            throw EOutlineError("the profile in " + where + " does not close: its ends " +
                                between(a, b) + " are " + millimetres(dist(a, b)) + " mm apart");
        }
        if (std::abs(best->Area()) <= drawing.Tolerance * drawing.Tolerance)
            throw EOutlineError("the closed outline in " + where + " encloses no area");
        if (candidates > 1)
            drawing.Notes.push_back(std::to_string(candidates) +
                                    " closed outlines in the drawing: the largest is used, " +
                                    std::to_string(candidates - 1) + " left out");
        if (chains.size() > candidates)
            drawing.Notes.push_back(
                std::to_string(chains.size() - candidates) +
                (chains.size() - candidates == 1 ? " open chain" : " open chains") +
                " left out (a profile is closed)");
    } else {
        for (const TOutlineChain& c : chains)
            if (!best || c.Length() > best->Length()) best = &c;
        candidates = chains.size();
        if (candidates > 1)
            drawing.Notes.push_back(std::to_string(candidates) +
                                    " chains in the drawing: the longest is used, " +
                                    std::to_string(candidates - 1) + " left out");
    }
    drawing.Notes.insert(drawing.Notes.end(), best->Gaps.begin(), best->Gaps.end());
    return *best;
}

std::string formatNumber(double value) {
    if (value == 0) value = 0; // no "-0"
    char buffer[400];          // fixed notation of the largest double
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string millimetres(double value) {
    return formatNumber(std::round(value * 1e4) / 1e4);
}

std::string outlineDxfText(const std::vector<TChainPoint>& points, bool closed) {
    std::string text;
    auto pair = [&text](int code, const std::string& value) {
        text += std::to_string(code) + "\r\n" + value + "\r\n";
    };
    pair(0, "SECTION");
    pair(2, "HEADER");
    pair(9, "$ACADVER");
    pair(1, "AC1015");
    pair(9, "$INSUNITS");
    pair(70, "4");
    pair(0, "ENDSEC");
    pair(0, "SECTION");
    pair(2, "ENTITIES");
    pair(0, "LWPOLYLINE");
    pair(5, "100");
    pair(100, "AcDbEntity");
    pair(8, "0");
    pair(100, "AcDbPolyline");
    pair(90, std::to_string(points.size()));
    pair(70, closed ? "1" : "0");
    for (const TChainPoint& p : points) {
        pair(10, formatNumber(p.X));
        pair(20, formatNumber(p.Y));
    }
    pair(0, "ENDSEC");
    pair(0, "EOF");
    return text;
}
