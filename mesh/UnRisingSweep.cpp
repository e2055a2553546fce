// Sweep along a rising path: frames with the profile's up in each segment's vertical plane,
// sections carried onto the bisector plane of every corner, bands or wedges, caps.
#include "mesh/UnRisingSweep.h"

#include "mesh/UnEndCaps.h"
#include "mesh/UnExtrusionBuilder.h"
#include "mesh/UnFaceAppearance.h"
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct D3 {
    double x = 0, y = 0, z = 0;
};
D3 operator+(const D3& a, const D3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
D3 operator-(const D3& a, const D3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
D3 operator*(const D3& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(const D3& a, const D3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 cross(const D3& a, const D3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double norm(const D3& a) {
    return std::sqrt(dot(a, a));
}
D3 unit(const D3& a) {
    const double n = norm(a);
    return n > 0 ? a * (1 / n) : D3{};
}
D3 of(const Vec3& v) {
    return {v.X, v.Y, v.Z};
}
D3 of(const double (&v)[3]) {
    return {v[0], v[1], v[2]};
}
void store(const D3& a, double (&v)[3]) {
    v[0] = a.x, v[1] = a.y, v[2] = a.z;
}
Vec3 toVec(const D3& a) {
    return Vec3{static_cast<float>(a.x) + 0.0f, static_cast<float>(a.y) + 0.0f,
                static_cast<float>(a.z) + 0.0f};
}
// v turned by angle radians about the unit axis k.
D3 rotate(const D3& v, const D3& k, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

// A segment whose horizontal share of its direction is below this is vertical.
constexpr double VerticalShare = 1e-9;
// Corners whose directions differ by less than this (1 - cos of the turn) go straight on.
constexpr double StraightOn = 1e-12;
// A mitre stretches the profile by 1 / cos of half the turn; beyond this the corner folds back
// and its ring is the section of the incoming segment, as the plane's builder does.
constexpr double MinMitreCos = 1e-3;
// Side faces along a segment shorter than this are left out (the sections coincide).
constexpr double MinSideLength = 1e-6;

// The path's distinct points in order and the element each came from; a closed path ends on its
// first point, bit for bit.
struct TRisingPath {
    std::vector<D3> P;
    std::vector<int> Element;
    size_t segments() const { return P.empty() ? 0 : P.size() - 1; }
};

TRisingPath distinctPoints(const TProfileObj& path, bool closed) {
    TRisingPath r;
    for (int i = 0; i < path.Count(); ++i) {
        const D3 p = of(path.Items(i).Point);
        if (!r.P.empty() && norm(p - r.P.back()) <= 1e-9 * (1 + norm(p))) continue;
        r.P.push_back(p);
        r.Element.push_back(i);
    }
    if (closed && r.P.size() >= 2) {
        if (norm(r.P.back() - r.P.front()) <= 1e-6 * (1 + norm(r.P.front())))
            r.P.back() = r.P.front();
        else {
            r.P.push_back(r.P.front());
            r.Element.push_back(0);
        }
    }
    return r;
}

std::vector<TSweepFrame> framesOf(const TRisingPath& r, bool closed) {
    const size_t S = r.segments();
    std::vector<TSweepFrame> frames(S);
    std::vector<D3> d(S), across(S);
    std::vector<bool> vertical(S);
    size_t firstLevel = S;
    for (size_t s = 0; s < S; ++s) {
        d[s] = unit(r.P[s + 1] - r.P[s]);
        vertical[s] = std::hypot(d[s].x, d[s].z) <= VerticalShare;
        // Across the path and level: Y x d, so that up (d x across) is in the vertical plane.
        if (!vertical[s]) across[s] = unit(D3{d[s].z, 0, -d[s].x});
        if (!vertical[s] && firstLevel == S) firstLevel = s;
    }
    // A vertical segment carries on the orientation of the one before it; those before the first
    // level segment of an open path take that one's, and a path with no level segment faces +X.
    if (firstLevel == S) {
        for (size_t s = 0; s < S; ++s)
            across[s] = D3{1, 0, 0};
    } else if (closed) {
        for (size_t i = 1; i < S; ++i) {
            const size_t s = (firstLevel + i) % S;
            if (vertical[s]) across[s] = across[(s + S - 1) % S];
        }
    } else {
        for (size_t s = 0; s < firstLevel; ++s)
            across[s] = across[firstLevel];
        for (size_t s = firstLevel + 1; s < S; ++s)
            if (vertical[s]) across[s] = across[s - 1];
    }
    for (size_t s = 0; s < S; ++s) {
        store(across[s], frames[s].X);
        store(cross(d[s], across[s]), frames[s].Y);
        store(d[s], frames[s].Z);
    }
    return frames;
}

// The corner where segment a runs into segment b at point P.
struct TRisingCorner {
    bool Turns = false;
    double Trim = 0; // how far both segments stop short of P
    std::vector<Vec3> Ring;
    std::vector<D3> Exact; // the ring before rounding to floats
    bool Folds = false;
};

TRisingCorner cornerAt(const TProfileObj& profile, const D3& P, const TSweepFrame& a,
                       const TSweepFrame& b, bool mitre) {
    TRisingCorner c;
    const D3 da = of(a.Z), db = of(b.Z), Xa = of(a.X), Xb = of(b.X);
    const double cosTurn = std::clamp(dot(da, db), -1.0, 1.0);
    if (1 - cosTurn <= StraightOn) return c;
    c.Turns = true;
    const double turn = std::acos(cosTurn), half = turn / 2;
    const int m = profile.Count();
    c.Ring.resize(size_t(m));
    c.Exact.resize(size_t(m));
    if (std::cos(half) < MinMitreCos) {
        // Folds back on itself: the incoming section stands at the vertex, the segments are cut
        // back as far as allowed.
        c.Folds = true;
        c.Trim = INFINITY;
        const D3 Ya = of(a.Y);
        for (int k = 0; k < m; ++k) {
            const Vec3& p = profile.Items(k).Point;
            c.Exact[size_t(k)] = P + Xa * p.X + Ya * p.Y;
            c.Ring[size_t(k)] = toVec(c.Exact[size_t(k)]);
        }
        return c;
    }
    // The turn that carries a's direction onto b's, and the roll left between a's orientation so
    // carried and b's own: the ring takes half of it, so that both segments meet it alike.
    const D3 axis = unit(cross(da, db));
    const D3 carried = rotate(Xa, axis, turn);
    const double roll = std::atan2(dot(cross(carried, Xb), db), dot(carried, Xb));
    const D3 X = rotate(Xa, da, roll / 2), Y = cross(da, X);
    const D3 inward = unit(db - da * cosTurn); // towards the inside of the turn, across a
    const D3 n = unit(da + db);
    const double nd = dot(n, da);
    const D3 Xm = rotate(X, axis, half), Ym = rotate(Y, axis, half);
    double widest = 0;
    for (int k = 0; k < m; ++k) {
        const Vec3& p = profile.Items(k).Point;
        const D3 q = X * p.X + Y * p.Y;
        widest = std::max(widest, dot(q, inward));
        // A mitre carries the point along a onto the bisector plane; a round corner turns the
        // section onto it unstretched.
        const D3 r = mitre ? P + q - da * (dot(n, q) / nd) : P + Xm * p.X + Ym * p.Y;
        c.Exact[size_t(k)] = r;
        c.Ring[size_t(k)] = toVec(r);
    }
    c.Trim = widest * std::tan(half);
    return c;
}

// The profile placed across the path by a frame at point O.
std::vector<Vec3> section(const TProfileObj& profile, const TSweepFrame& f, const D3& O) {
    std::vector<Vec3> out(size_t(profile.Count()));
    for (int k = 0; k < profile.Count(); ++k) {
        const Vec3& p = profile.Items(k).Point;
        out[size_t(k)] = toVec(O + of(f.X) * p.X + of(f.Y) * p.Y);
    }
    return out;
}

Matrix4 frameMatrix(const TSweepFrame& f, const Vec3& at) {
    Matrix4 m = Matrix4::Identity();
    for (int r = 0; r < 3; ++r) {
        m.m[r] = f.X[r];
        m.m[4 + r] = f.Y[r];
        m.m[8 + r] = f.Z[r];
    }
    m.m[12] = at.X, m.m[13] = at.Y, m.m[14] = at.Z;
    return m;
}

// One segment's sections from its start to its end, slice by slice.
struct TRisingSegment {
    D3 A, B;
    std::vector<std::vector<Vec3>> Rows;
};

double profileReach(const TProfileObj& profile) {
    double reach = 0;
    for (int k = 0; k < profile.Count(); ++k)
        reach = std::max(
            reach, std::hypot(double(profile.Items(k).Point.X), double(profile.Items(k).Point.Y)));
    return reach;
}

bool near(const Vec3& a, const Vec3& b, float tolerance) {
    return std::fabs(a.X - b.X) <= tolerance && std::fabs(a.Y - b.Y) <= tolerance &&
           std::fabs(a.Z - b.Z) <= tolerance;
}

} // namespace

bool pathRises(const TProfileObj& path) {
    for (int i = 0; i < path.Count(); ++i)
        if (path.Items(i).Point.Y != 0) return true;
    return false;
}

std::vector<TSweepFrame> risingFrames(const TProfileObj& path, bool closed) {
    return framesOf(distinctPoints(path, closed), closed);
}

std::vector<TRisingCornerInfo> risingCorners(const TProfileObj& path, const TProfileObj& profile,
                                             bool closed, bool mitre) {
    const TRisingPath r = distinctPoints(path, closed);
    const std::vector<TSweepFrame> frames = framesOf(r, closed);
    const size_t S = frames.size();
    std::vector<TRisingCornerInfo> out;
    for (size_t v = closed && S >= 2 ? 0 : 1; v < S; ++v) {
        const TSweepFrame &a = frames[(v + S - 1) % S], &b = frames[v];
        const TRisingCorner c = cornerAt(profile, r.P[v], a, b, mitre);
        if (!c.Turns) continue;
        TRisingCornerInfo& info = out.emplace_back();
        info.Folds = c.Folds;
        info.In = a;
        info.Out = b;
        for (const D3& q : c.Exact)
            info.Ring.push_back({q.x, q.y, q.z});
    }
    return out;
}

TRisingPathProblem checkRisingPath(const TProfileObj& path, bool closed) {
    const TRisingPath r = distinctPoints(path, closed);
    const std::vector<TSweepFrame> frames = framesOf(r, closed);
    if (frames.empty()) return {};
    if (std::all_of(frames.begin(), frames.end(), [](const TSweepFrame& f) {
            return std::hypot(f.Z[0], f.Z[2]) <= VerticalShare;
        }))
        return {RisingOnlyVerticalText, 0};
    const size_t S = frames.size();
    for (size_t v = closed ? 0 : 1; v < S; ++v) {
        const TSweepFrame& a = frames[(v + S - 1) % S];
        const TSweepFrame& b = frames[v];
        const double c = dot(of(a.Z), of(b.Z));
        if (std::cos(std::acos(std::clamp(c, -1.0, 1.0)) / 2) < MinMitreCos)
            return {RisingFoldsBackText, r.Element[v] + 1};
    }
    return {};
}

std::string risingPathProblem(const TProfileObj& path, bool closed) {
    const TRisingPathProblem p = checkRisingPath(path, closed);
    if (!p.Text) return {};
    std::string text = p.Text;
    if (const size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, std::to_string(p.Vertex));
    return text;
}

int32_t buildRisingExtrusion(const std::string& name, TProfileObj& path, TProfileObj& profile,
                             int32_t precision, bool closed, bool mitre, bool embCorner,
                             bool fixedTexCoords, bool selected, int32_t listId) {
    allocListId(listId);
    TRenderer& renderer = *currentRenderer();
    renderer.initObject(name);
    const int n = path.Count();
    const int m = profile.Count();
    if (n > 0) path.ComputeTexCoords(1, false);
    const TRisingPath r = distinctPoints(path, closed);
    const size_t S = r.segments();
    const std::vector<TSweepFrame> frames = framesOf(r, closed);
    closed = closed && S >= 2;

    // Corners: corner v joins segment v - 1 to segment v; a closed path's corner 0 joins its last
    // segment to its first.
    std::vector<TRisingCorner> corners(S + 1);
    for (size_t v = closed ? 0 : 1; v < S && m > 0; ++v)
        corners[v] = cornerAt(profile, r.P[v], frames[(v + S - 1) % S], frames[v], mitre);
    if (closed) corners[S] = corners[0];

    std::vector<TRisingSegment> segments(S);
    for (size_t s = 0; s < S; ++s) {
        TRisingSegment& g = segments[s];
        const D3 d = of(frames[s].Z);
        const double length = norm(r.P[s + 1] - r.P[s]);
        const double trimA = std::min(corners[s].Trim, length / 2);
        const double trimB = std::min(corners[s + 1].Trim, length / 2);
        g.A = r.P[s] + d * trimA;
        g.B = r.P[s + 1] - d * trimB;
        const double L = std::max(0.0, length - trimA - trimB);
        const int32_t slices = L > 1 ? std::max(precision, 1) : 1;
        const int32_t rows = L > MinSideLength ? slices + 1 : 1;
        for (int32_t j = 0; j < rows; ++j)
            g.Rows.push_back(section(profile, frames[s],
                                     j + 1 == rows && j > 0 ? g.B : g.A + d * (L * j / slices)));
    }
    // Where the path goes straight on, the next segment starts on the previous one's end. At a
    // mitre the innermost corners of both sections lie on the ring: they take its point, so that
    // the band between them keeps no sliver.
    for (size_t v = 1; v <= S; ++v) {
        if (v == S && !closed) break;
        std::vector<Vec3>& end = segments[v - 1].Rows.back();
        std::vector<Vec3>& start = segments[v % S].Rows.front();
        const TRisingCorner& c = corners[v];
        if (!c.Turns) {
            start = end;
            continue;
        }
        const float tolerance = 64 * std::numeric_limits<float>::epsilon() *
                                float(norm(r.P[v]) + profileReach(profile));
        for (size_t k = 0; k < c.Ring.size(); ++k) {
            if (near(end[k], c.Ring[k], tolerance)) end[k] = c.Ring[k];
            if (near(start[k], c.Ring[k], tolerance)) start[k] = c.Ring[k];
        }
    }

    for (size_t s = 0; s < S; ++s) {
        const TRisingSegment& g = segments[s];
        const TProfileElementObj& Pa = path.Items(r.Element[s]);
        const TProfileElementObj& Pb = path.Items(r.Element[s + 1]);
        const TRisingCorner& before = corners[s];
        const TRisingCorner& after = corners[s + 1];
        renderer.initList(faceListId(listId, int32_t(s) + 1));
        if (m > 0) profile.ComputeTexCoords(2, true);
        if (!embCorner && s > 0 && before.Turns)
            buildCornerBands(Pa, profile, before.Ring, g.Rows.front(), segments[s - 1].Rows.back());

        TBandEdges edges(renderer, profile);
        const bool& textured = edges.textured;
        const bool wedgeA = embCorner && before.Turns, wedgeB = embCorner && after.Turns;
        const size_t rows = g.Rows.size();
        const float uspan = Pb.TexU - Pa.TexU;
        for (int k = 0; k + 1 < m; ++k) {
            const size_t ka = size_t(k), kb = ka + 1;
            const TBandEdge edge = edges.edge(k);
            auto uv = [&](float u0, float u1) {
                return edge.quadTexCoords((1 - u0) * edge.RepeatU, (1 - u1) * edge.RepeatU,
                                          fixedTexCoords);
            };
            if (wedgeA) {
                const std::vector<Vec3>& from = g.Rows.front();
                renderer.quads(TQuadVerts{from[ka], before.Ring[ka], before.Ring[kb], from[kb]},
                               textured, uv(Pa.TexU, Pa.TexU));
            }
            for (size_t j = 1; j < rows; ++j) {
                const std::vector<Vec3>&p = g.Rows[j - 1], &q = g.Rows[j];
                const float u1 = Pa.TexU + uspan * float(j) / float(rows - 1);
                const float u0 = Pa.TexU + uspan * float(j - 1) / float(rows - 1);
                renderer.quads(TQuadVerts{q[ka], p[ka], p[kb], q[kb]}, textured, uv(u1, u0));
            }
            if (wedgeB) {
                const std::vector<Vec3>& to = g.Rows.back();
                renderer.quads(TQuadVerts{after.Ring[ka], to[ka], to[kb], after.Ring[kb]}, textured,
                               uv(Pb.TexU, Pb.TexU));
            }
        }
        const Vec3 A = toVec(g.A), B = toVec(g.B);
        if (s == 0 && !closed)
            buildCap(profile, A, B, Pa.Color, Pa.Texture, frameMatrix(frames[s], A), true,
                     &g.Rows.front());
        if (s + 1 == S && !closed)
            buildCap(profile, A, B, Pb.Color, Pb.Texture, frameMatrix(frames[s], B), false,
                     &g.Rows.back());
        renderer.endList();
    }
    int32_t lists = n + 1;
    if (closed && !embCorner && corners[0].Turns) {
        const int32_t k = std::max(n, int32_t(S) + 1);
        lists = k + 1;
        renderer.initList(faceListId(listId, k));
        buildCornerBands(path.Items(0), profile, corners[0].Ring, segments[0].Rows.front(),
                         segments[S - 1].Rows.back());
        renderer.endList();
    }
    renderer.endObject(listId, std::max(lists, int32_t(S) + 1), selected);
    return listId;
}
