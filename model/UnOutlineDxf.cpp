// Reading outlines from DXF drawings through dxflib: a guard pass over the group pairs, then the
// entities as point pieces in millimetres, joined into chains (UnOutlineDxf_Chains.cpp).
#include "model/UnOutlineDxf.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace {

constexpr double Pi = 3.14159265358979323846;
// Curves are sampled every quarter degree of their turn (chords within 2.4e-6 of the radius), or
// 64 points per spline span; the fit takes its vertices among these points.
constexpr double ArcStep = Pi / 720;
constexpr int SplineSamplesPerSpan = 64;
// Beyond this many points the drawing is refused rather than filling the memory.
constexpr size_t MaxPoints = 4'000'000;
// Coordinates beyond this (drawing units) cannot be anything a swept solid is made of.
constexpr double MaxCoordinate = 1e12;

const char* const UsableTypes[] = {"LINE",       "ARC",      "CIRCLE", "ELLIPSE",
                                   "LWPOLYLINE", "POLYLINE", "SPLINE"};

bool isUsable(const std::string& type) {
    return std::find(std::begin(UsableTypes), std::end(UsableTypes), type) != std::end(UsableTypes);
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r'))
        --b;
    return s.substr(a, b - a);
}

struct Pair {
    int Code;
    std::string Value;
};

// Whether the value of a number's group code is a whole number (dxflib reads an empty or broken
// one as whatever its variable held before).
bool numberIntact(const Pair& p) {
    const int c = p.Code;
    const bool real = (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
                      (c >= 1010 && c <= 1059);
    const bool whole = (c >= 60 && c <= 99) || (c >= 160 && c <= 179) || (c >= 270 && c <= 289) ||
                       (c >= 370 && c <= 389) || (c >= 1060 && c <= 1071);
    if (!real && !whole) return true;
    std::string v = p.Value;
    if (!v.empty() && v[0] == '+') v.erase(0, 1);
    std::replace(v.begin(), v.end(), ',', '.');
    const char* end = v.data() + v.size();
    if (real) {
        double d = 0;
        return !v.empty() && std::from_chars(v.data(), end, d).ptr == end;
    }
    long long n = 0;
    return !v.empty() && std::from_chars(v.data(), end, n).ptr == end;
}

// The guard pass. dxflib trusts the counts a file announces (vertices of an LWPOLYLINE, knots and
// points of a SPLINE) and allocates them, so it gets only what the outline needs, with every count
// taken from the pairs actually present: the header, and the usable entities of the model space
// on the chosen layer. Everything else is counted here for the notes and messages.
struct GuardPass {
    std::string Filtered;
    std::map<std::string, int> Found;
    std::map<std::string, int> OnOtherLayers;
    std::vector<std::string> Layers;
    int Damaged = 0; // entities left out for a broken number
    bool SawSection = false;

    void emit(int code, const std::string& value) {
        Filtered += std::to_string(code);
        Filtered += '\n';
        Filtered += value;
        Filtered += '\n';
    }

    void emitEntity(const std::vector<Pair>& e) {
        const std::string type = upper(e[0].Value);
        emit(0, type);
        int tens = 0, elevens = 0, forties = 0;
        for (const Pair& p : e) {
            tens += p.Code == 10;
            elevens += p.Code == 11;
            forties += p.Code == 40;
        }
        if (type == "LWPOLYLINE") emit(90, std::to_string(tens));
        if (type == "SPLINE") {
            emit(72, std::to_string(forties));
            emit(73, std::to_string(tens));
            emit(74, std::to_string(elevens));
        }
        for (size_t i = 1; i < e.size(); ++i) {
            const int c = e[i].Code;
            if ((type == "LWPOLYLINE" && c == 90) ||
                (type == "SPLINE" && (c == 72 || c == 73 || c == 74)))
                continue;
            emit(c, e[i].Value);
        }
    }

    void run(const std::string& bytes, const std::string& name, const std::string& layer) {
        std::vector<Pair> pairs;
        size_t pos = 0;
        auto nextLine = [&](std::string& line) {
            if (pos >= bytes.size()) return false;
            size_t end = bytes.find('\n', pos);
            if (end == std::string::npos) end = bytes.size();
            line = bytes.substr(pos, end - pos);
            pos = end + 1;
            return true;
        };
        std::string codeLine, value;
        while (nextLine(codeLine)) {
            const std::string c = trim(codeLine);
            if (c.empty() && pos >= bytes.size()) break;
            int code = 0;
            const auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), code);
            if (ec != std::errc() || end != c.data() + c.size() || !nextLine(value)) {
                if (!SawSection) throw EOutlineError(name + " is not a DXF drawing");
                break; // a damaged tail: what came before is read
            }
            pairs.push_back({code, trim(value)});
            if (code == 0 && upper(pairs.back().Value) == "SECTION") SawSection = true;
            if (code == 0 && upper(pairs.back().Value) == "EOF") break;
        }
        if (!SawSection) throw EOutlineError(name + " is not a DXF drawing");

        std::string section;
        bool skippingPolyline = false;
        for (size_t i = 0; i < pairs.size();) {
            const Pair& p = pairs[i];
            if (p.Code == 0 && upper(p.Value) == "SECTION") {
                section = i + 1 < pairs.size() && pairs[i + 1].Code == 2 ? upper(pairs[i + 1].Value)
                                                                         : std::string();
                if (section == "HEADER") emit(0, "SECTION"), emit(2, "HEADER");
                if (section == "ENTITIES") emit(0, "SECTION"), emit(2, "ENTITIES");
                i += section.empty() ? 1 : 2;
                continue;
            }
            if (p.Code == 0 && upper(p.Value) == "ENDSEC") {
                if (section == "HEADER" || section == "ENTITIES") emit(0, "ENDSEC");
                section.clear();
                ++i;
                continue;
            }
            if (section == "HEADER") {
                // Of the header, only the units are read.
                if (p.Code == 9 && upper(p.Value) == "$INSUNITS" && i + 1 < pairs.size() &&
                    pairs[i + 1].Code == 70 && numberIntact(pairs[i + 1]))
                    emit(9, "$INSUNITS"), emit(70, pairs[i + 1].Value);
                ++i;
                continue;
            }
            if (section != "ENTITIES" || p.Code != 0) {
                ++i;
                continue;
            }
            // One entity: its 0 pair and everything up to the next 0 pair.
            size_t j = i + 1;
            while (j < pairs.size() && pairs[j].Code != 0)
                ++j;
            const std::vector<Pair> entity(pairs.begin() + long(i), pairs.begin() + long(j));
            i = j;
            const std::string type = upper(entity[0].Value);
            bool paperSpace = false;
            std::string entityLayer = "0";
            int flags = 0;
            for (const Pair& q : entity) {
                if (q.Code == 67) paperSpace = std::atoi(q.Value.c_str()) == 1;
                if (q.Code == 8) entityLayer = q.Value;
                if (q.Code == 70) flags = std::atoi(q.Value.c_str());
            }
            const bool intact = std::all_of(entity.begin(), entity.end(), numberIntact);
            if (type == "VERTEX" || type == "SEQEND") {
                if (!intact) ++Damaged;
                if (!skippingPolyline && intact) emitEntity(entity);
                if (type == "SEQEND") skippingPolyline = false;
                continue;
            }
            if (type == "ATTRIB") continue;
            // A paper-space polyline's vertices go with it.
            skippingPolyline = paperSpace && type == "POLYLINE";
            if (paperSpace) continue;
            ++Found[type];
            if (!isUsable(type)) continue;
            if (std::none_of(Layers.begin(), Layers.end(),
                             [&](const std::string& l) { return upper(l) == upper(entityLayer); }))
                Layers.push_back(entityLayer);
            if (!layer.empty() && upper(entityLayer) != upper(layer)) {
                ++OnOtherLayers[type];
                skippingPolyline = type == "POLYLINE";
                continue;
            }
            // Polygon meshes and polyface meshes are surfaces, not outlines.
            if (!intact || (type == "POLYLINE" && (flags & (16 | 64)))) {
                Damaged += !intact;
                skippingPolyline = true;
                continue;
            }
            emitEntity(entity);
        }
        emit(0, "EOF");
    }
};

struct Vertex {
    double X, Y, Bulge, Z;
};

// dxflib's entities as pieces in drawing units.
class PieceCollector : public DL_CreationAdapter {
  public:
    std::vector<TOutlineChain> Pieces; // Closed marks a closed entity
    int InsUnits = 0;
    std::vector<std::string> Notes;
    size_t Points = 0;
    int OutOfRange = 0; // entities left out for coordinates no drawing means

    void setVariableInt(const std::string& key, int value, int) override {
        if (key == "$INSUNITS") InsUnits = value;
    }
    void addLine(const DL_LineData& d) override {
        flush();
        TOutlineChain c;
        c.Points = {{d.x1, d.y1, true, d.z1}, {d.x2, d.y2, true, d.z2}};
        add(std::move(c));
    }
    void addArc(const DL_ArcData& d) override {
        flush();
        double a1 = 0, sweep = 0;
        if (!turn(d.angle1 * Pi / 180, d.angle2 * Pi / 180, a1, sweep)) return;
        TOutlineChain c;
        arc(c.Points, d.cx, d.cy, d.radius, a1, sweep, true);
        mirrorForOcs(c.Points);
        add(std::move(c));
    }
    void addCircle(const DL_CircleData& d) override {
        flush();
        TOutlineChain c;
        arc(c.Points, d.cx, d.cy, d.radius, 0, 2 * Pi, true);
        c.Points.back() = c.Points.front();
        mirrorForOcs(c.Points);
        c.Closed = true;
        add(std::move(c));
    }
    void addEllipse(const DL_EllipseData& d) override {
        flush();
        const double nz = getExtrusion()->getDirection()[2] < 0 ? -1 : 1;
        const double minX = -nz * d.my * d.ratio, minY = nz * d.mx * d.ratio;
        double a1 = 0, sweep = 0;
        if (!turn(d.angle1, d.angle2, a1, sweep)) return;
        const bool full = std::abs(sweep - 2 * Pi) < 1e-9;
        const int n = std::max(8, int(std::ceil(sweep / ArcStep)));
        TOutlineChain c;
        for (int k = 0; k <= n; ++k) {
            const double t = a1 + sweep * k / n;
            c.Points.push_back({d.cx + d.mx * std::cos(t) + minX * std::sin(t),
                                d.cy + d.my * std::cos(t) + minY * std::sin(t), k == 0 || k == n});
        }
        if (full) c.Points.back() = c.Points.front(), c.Closed = true;
        add(std::move(c));
    }
    void addPolyline(const DL_PolylineData& d) override {
        flush();
        InPolyline = true;
        PolylineClosed = d.flags & 1;
        PolylineMirrored = getExtrusion()->getDirection()[2] < 0;
        PolylineVertices.clear();
    }
    void addVertex(const DL_VertexData& d) override {
        if (InPolyline) PolylineVertices.push_back({d.x, d.y, d.bulge, d.z});
    }
    void endSequence() override { flush(); }
    void addSpline(const DL_SplineData& d) override {
        flush();
        InSpline = true;
        SplineDegree = d.degree;
        SplineClosed = d.flags & 1;
        Control.clear(), Weights.clear(), Knots.clear(), Fit.clear();
    }
    void addControlPoint(const DL_ControlPointData& d) override {
        if (!InSpline) return;
        Control.push_back({d.x, d.y, false, d.z});
        Weights.push_back(d.w > 0 && std::isfinite(d.w) ? d.w : 1.0);
    }
    void addKnot(const DL_KnotData& d) override {
        if (InSpline) Knots.push_back(d.k);
    }
    void addFitPoint(const DL_FitPointData& d) override {
        if (InSpline) Fit.push_back({d.x, d.y, false, d.z});
    }
    // Every other entity reaches the adapter's empty handlers: the guard pass let none through.

    void flush() {
        if (InPolyline) finishPolyline();
        if (InSpline) finishSpline();
        InPolyline = InSpline = false;
    }

  private:
    bool InPolyline = false, PolylineClosed = false, PolylineMirrored = false;
    std::vector<Vertex> PolylineVertices;
    bool InSpline = false, SplineClosed = false;
    unsigned SplineDegree = 3;
    std::vector<TChainPoint> Control, Fit;
    std::vector<double> Weights, Knots;

    void add(TOutlineChain c) {
        Points += c.Points.size();
        if (Points > MaxPoints)
            throw EOutlineError("the drawing holds too many curves to read (more than " +
                                std::to_string(MaxPoints) + " points)");
        for (const TChainPoint& p : c.Points)
            if (!std::isfinite(p.X) || !std::isfinite(p.Y) || std::abs(p.X) > MaxCoordinate ||
                std::abs(p.Y) > MaxCoordinate || !std::isfinite(p.Z) ||
                std::abs(p.Z) > MaxCoordinate) {
                ++OutOfRange; // a number no drawing means
                return;
            }
        if (c.Points.size() < 2) return;
        Pieces.push_back(std::move(c));
    }

    // The counter-clockwise turn from angle a to angle b (radians): start in 0..2 pi, sweep in
    // (0, 2 pi], equal angles making a full turn. False for angles that are not numbers.
    static bool turn(double a, double b, double& start, double& sweep) {
        if (!std::isfinite(a) || !std::isfinite(b)) return false;
        start = std::fmod(a, 2 * Pi);
        if (start < 0) start += 2 * Pi;
        sweep = std::fmod(b - start, 2 * Pi);
        if (!std::isfinite(sweep)) return false;
        if (sweep <= 0) sweep += 2 * Pi;
        return true;
    }

    void mirrorForOcs(std::vector<TChainPoint>& points) {
        // An extrusion direction of (0, 0, -1) mirrors the entity's own x axis.
        if (getExtrusion()->getDirection()[2] < 0)
            for (TChainPoint& p : points)
                p.X = -p.X;
    }

    // Points of a circular arc from angle a turning by sweep (negative: clockwise).
    static void arc(std::vector<TChainPoint>& out, double cx, double cy, double r, double a,
                    double sweep, bool withStart) {
        const int n = std::max(4, int(std::ceil(std::abs(sweep) / ArcStep)));
        for (int k = withStart ? 0 : 1; k <= n; ++k) {
            const double t = a + sweep * k / n;
            out.push_back({cx + r * std::cos(t), cy + r * std::sin(t), k == 0 || k == n});
        }
    }

    void finishPolyline() {
        std::vector<Vertex> v;
        for (const Vertex& p : PolylineVertices)
            if (v.empty() || p.X != v.back().X || p.Y != v.back().Y || p.Z != v.back().Z)
                v.push_back(p);
        if (PolylineClosed && v.size() > 1 && v.back().X == v.front().X &&
            v.back().Y == v.front().Y && v.back().Z == v.front().Z)
            v.pop_back();
        if (v.size() < 2) return;
        TOutlineChain c;
        c.Closed = PolylineClosed;
        const size_t segments = PolylineClosed ? v.size() : v.size() - 1;
        c.Points.push_back({v[0].X, v[0].Y, true, v[0].Z});
        for (size_t i = 0; i < segments; ++i) {
            const Vertex& a = v[i];
            const Vertex& b = v[(i + 1) % v.size()];
            const double bulge = std::isfinite(a.Bulge) ? a.Bulge : 0;
            bool arcAdded = false;
            if (bulge != 0 && std::abs(bulge) < 1e6) {
                // The arc turns by 4 atan(bulge), counter-clockwise for a positive bulge; its
                // centre lies left of the chord (seen from a to b) by chord (1 - bulge^2) / (4
                // bulge).
                const double dx = b.X - a.X, dy = b.Y - a.Y, chord = std::hypot(dx, dy);
                const double off = (1 - bulge * bulge) / (4 * bulge);
                const double cx = (a.X + b.X) / 2 - dy * off, cy = (a.Y + b.Y) / 2 + dx * off;
                const double r = std::hypot(a.X - cx, a.Y - cy);
                if (chord > 0 && std::isfinite(r)) {
                    arc(c.Points, cx, cy, r, std::atan2(a.Y - cy, a.X - cx), 4 * std::atan(bulge),
                        false);
                    arcAdded = true;
                }
            }
            if (arcAdded)
                c.Points.back() = {b.X, b.Y, true, b.Z}; // the arc ends exactly on the vertex
            else
                c.Points.push_back({b.X, b.Y, true, b.Z});
        }
        if (PolylineClosed) c.Points.back() = c.Points.front();
        if (PolylineMirrored)
            for (TChainPoint& p : c.Points)
                p.X = -p.X;
        add(std::move(c));
    }

    // A point of the NURBS curve at parameter t (de Boor in homogeneous coordinates); k is the
    // knot span, found from where the previous, smaller t left it.
    TChainPoint nurbs(size_t p, double t, size_t& k) const {
        const size_t n = Control.size();
        while (k + 1 < n && Knots[k + 1] <= t)
            ++k;
        std::vector<double> x(p + 1), y(p + 1), w(p + 1);
        for (size_t j = 0; j <= p; ++j) {
            const size_t i = k - p + j;
            w[j] = Weights[i];
            x[j] = Control[i].X * w[j];
            y[j] = Control[i].Y * w[j];
        }
        for (size_t r = 1; r <= p; ++r)
            for (size_t j = p; j >= r; --j) {
                const size_t i = k - p + j;
                const double den = Knots[i + p - r + 1] - Knots[i];
                const double a = den > 0 ? (t - Knots[i]) / den : 0;
                x[j] = (1 - a) * x[j - 1] + a * x[j];
                y[j] = (1 - a) * y[j - 1] + a * y[j];
                w[j] = (1 - a) * w[j - 1] + a * w[j];
            }
        return {x[p] / w[p], y[p] / w[p], false};
    }

    void finishSpline() {
        TOutlineChain c;
        const size_t p = SplineDegree;
        if (p >= 1 && p <= 11 && Control.size() > p) {
            const size_t n = Control.size();
            if (Knots.size() != n + p + 1) {
                // Missing or inconsistent knots: a clamped uniform knot vector.
                if (!Knots.empty()) Notes.push_back("a SPLINE's knots did not match its points");
                Knots.clear();
                for (size_t i = 0; i < n + p + 1; ++i)
                    Knots.push_back(i <= p ? 0.0 : i >= n ? double(n - p) : double(i - p));
            }
            for (size_t i = 1; i < Knots.size(); ++i)
                if (!(Knots[i] >= Knots[i - 1])) return; // knots must not decrease
            const double t0 = Knots[p], t1 = Knots[n];
            if (!(t1 > t0)) return;
            const size_t samples = std::min<size_t>(20000, SplineSamplesPerSpan * (n - p));
            size_t span = p;
            for (size_t k = 0; k <= samples; ++k)
                c.Points.push_back(nurbs(
                    p, k == samples ? t1 : t0 + (t1 - t0) * double(k) / double(samples), span));
        } else if (Fit.size() >= 2) {
            interpolateFitPoints(c.Points);
        } else {
            Notes.push_back("a SPLINE without control points or fit points was left out");
            return;
        }
        if (c.Points.size() < 2) return;
        // Heights run evenly from the first defining point's to the last one's.
        const std::vector<TChainPoint>& given = Control.size() > p ? Control : Fit;
        for (size_t i = 0; i < c.Points.size() && !given.empty(); ++i)
            c.Points[i].Z = given.front().Z + (given.back().Z - given.front().Z) * double(i) /
                                                  double(c.Points.size() - 1);
        c.Points.front().Corner = c.Points.back().Corner = true;
        const TChainPoint &a = c.Points.front(), &b = c.Points.back();
        if (SplineClosed && std::hypot(a.X - b.X, a.Y - b.Y) < 1e-9 * (1 + std::abs(a.X)))
            c.Points.back() = c.Points.front(), c.Closed = true;
        add(std::move(c));
    }

    // A cubic through the fit points, parametrised by chord length, with natural ends (a closed
    // spline repeats its first point at the end).
    void interpolateFitPoints(std::vector<TChainPoint>& out) {
        std::vector<TChainPoint> f;
        for (const TChainPoint& q : Fit)
            if (f.empty() || q.X != f.back().X || q.Y != f.back().Y) f.push_back(q);
        if (SplineClosed && f.size() > 2) f.push_back(f.front());
        const size_t n = f.size();
        if (n < 2) return;
        std::vector<double> t(n, 0);
        for (size_t i = 1; i < n; ++i)
            t[i] = t[i - 1] + std::hypot(f[i].X - f[i - 1].X, f[i].Y - f[i - 1].Y);
        auto second = [&](auto coord) {
            // Natural cubic spline: solve the tridiagonal system for the second derivatives.
            std::vector<double> m(n, 0), c(n, 0), d(n, 0);
            for (size_t i = 1; i + 1 < n; ++i) {
                const double h0 = t[i] - t[i - 1], h1 = t[i + 1] - t[i];
                const double rhs = 6 * ((coord(f[i + 1]) - coord(f[i])) / h1 -
                                        (coord(f[i]) - coord(f[i - 1])) / h0);
                const double diag = 2 * (h0 + h1) - h0 * c[i - 1];
                c[i] = h1 / diag;
                d[i] = (rhs - h0 * d[i - 1]) / diag;
            }
            for (size_t i = n - 2; i >= 1; --i)
                m[i] = d[i] - c[i] * m[i + 1];
            return m;
        };
        // At most about 20000 points for the whole spline.
        const int perSpan = int(std::clamp<size_t>(20000 / (n - 1), 1, SplineSamplesPerSpan));
        const auto mx = second([](const TChainPoint& q) { return q.X; });
        const auto my = second([](const TChainPoint& q) { return q.Y; });
        for (size_t i = 0; i + 1 < n; ++i) {
            const double h = t[i + 1] - t[i];
            for (int k = (i == 0 ? 0 : 1); k <= perSpan; ++k) {
                const double b = double(k) / perSpan, a = 1 - b;
                auto at = [&](double p0, double p1, double m0, double m1) {
                    return a * p0 + b * p1 +
                           ((a * a * a - a) * m0 + (b * b * b - b) * m1) * h * h / 6;
                };
                out.push_back({at(f[i].X, f[i + 1].X, mx[i], mx[i + 1]),
                               at(f[i].Y, f[i + 1].Y, my[i], my[i + 1]), false});
            }
        }
    }
};

struct Unit {
    int Code;
    double Millimetres;
    const char* Name;
};
const Unit Units[] = {{0, 1, "unitless, read as millimetres"},
                      {1, 25.4, "inches"},
                      {2, 304.8, "feet"},
                      {3, 1609344, "miles"},
                      {4, 1, "millimetres"},
                      {5, 10, "centimetres"},
                      {6, 1000, "metres"},
                      {7, 1e6, "kilometres"},
                      {8, 25.4e-6, "microinches"},
                      {9, 0.0254, "mils"},
                      {10, 914.4, "yards"},
                      {11, 1e-7, "angstroms"},
                      {12, 1e-6, "nanometres"},
                      {13, 1e-3, "micrometres"},
                      {14, 100, "decimetres"},
                      {15, 1e4, "decametres"},
                      {16, 1e5, "hectometres"}};

} // namespace

TDxfOutlines readDxfOutlines(const std::string& bytes, const std::string& name,
                             const std::string& layer) {
    if (bytes.rfind("AutoCAD Binary DXF", 0) == 0)
        throw EOutlineError(name + " is a binary DXF drawing: save it as ASCII DXF");
    GuardPass guard;
    guard.run(bytes, name, layer);

    PieceCollector pieces;
    try {
        std::istringstream in(guard.Filtered);
        DL_Dxf dxf;
        dxf.in(in, &pieces);
        pieces.flush();
    } catch (const EOutlineError&) {
        throw;
    } catch (const std::exception& e) {
        throw EOutlineError(name + " is not a readable DXF drawing: " + e.what());
    } catch (...) {
        throw EOutlineError(name + " is not a readable DXF drawing");
    }

    TDxfOutlines out;
    out.Found = std::move(guard.Found);
    out.OnOtherLayers = std::move(guard.OnOtherLayers);
    out.Layers = std::move(guard.Layers);
    out.Notes = std::move(pieces.Notes);
    if (guard.Damaged > 0)
        out.Notes.push_back("left out " + std::to_string(guard.Damaged) +
                            " entities with a broken number");
    if (pieces.OutOfRange > 0)
        out.Notes.push_back("left out " + std::to_string(pieces.OutOfRange) +
                            " entities with coordinates beyond " +
                            std::to_string(int64_t(MaxCoordinate)) + " drawing units");
    const Unit* unit = nullptr;
    for (const Unit& u : Units)
        if (u.Code == pieces.InsUnits) unit = &u;
    if (!unit) {
        out.Notes.push_back("unknown $INSUNITS " + std::to_string(pieces.InsUnits) +
                            ": read as millimetres");
        unit = &Units[0];
    }
    out.MillimetresPerUnit = unit->Millimetres;
    out.UnitName = unit->Name;

    std::map<std::string, int> ignored;
    for (const auto& [type, count] : out.Found)
        if (!isUsable(type)) ignored[type] = count;
    if (!ignored.empty())
        out.Notes.push_back("ignored " + entityCounts(ignored) +
                            " (blocks, text, dimensions and hatches are not outlines)");

    // Joining tolerance: 1e-5 of the drawing's size, at least 0.001 mm (CAD programs write six
    // significant digits); gaps up to WidestGap are closed with a note.
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const TOutlineChain& c : pieces.Pieces)
        for (const TChainPoint& p : c.Points) {
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    const double size = pieces.Pieces.empty() ? 0 : std::hypot(maxX - minX, maxY - minY);
    const double k = unit->Millimetres;
    for (TOutlineChain& c : pieces.Pieces)
        for (TChainPoint& p : c.Points)
            p.X *= k, p.Y *= k, p.Z *= k;
    out.Tolerance = std::max(1e-5 * size * k, 1e-3);
    out.Chains = joinPieces(std::move(pieces.Pieces), out.Tolerance, TDxfOutlines::WidestGap);
    return out;
}
