// The sweep along rising paths and the pitched lathe: closed surfaces with bit-identical corners,
// the full section at every mitre, the profile's up in each segment's vertical plane.
#include "MeshClosure.h"
#include "MeshFixtures.h"
#include "mesh/UnExtrusionBuilder.h"
#include "mesh/UnLatheBuilder.h"
#include "mesh/UnRisingSweep.h"

#include <array>
#include <cmath>
#include <functional>

namespace {

using P3 = std::array<double, 3>;

double dot3(const P3& a, const P3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
P3 cross3(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
P3 asP3(const double (&v)[3]) {
    return {v[0], v[1], v[2]};
}

// Area of a closed polygon (last point repeating the first) seen along the unit direction d.
double areaAlong(const std::vector<P3>& ring, const P3& d) {
    P3 sum{0, 0, 0};
    for (size_t i = 0; i + 1 < ring.size(); ++i) {
        const P3 c = cross3(ring[i], ring[i + 1]);
        for (int k = 0; k < 3; ++k)
            sum[size_t(k)] += c[size_t(k)];
    }
    return std::fabs(dot3(sum, d)) / 2;
}

// A profile that is neither symmetric across nor up and down, counter-clockwise.
TProfileObj wedgeProfile() {
    return makeProfile({{-3, -2}, {5, -2}, {5, 4}, {-3, 1}, {-3, -2}});
}
double profileArea() {
    return 8 * 6 - 8 * 3.0 / 2 - 8 * 0; // the trapezoid (-3..5) x (-2..4 / 1)
}

TProfileObj helix(double radius, double rise, double turns, int steps) {
    std::vector<Vec3> p;
    for (int i = 0; i <= int(turns * steps); ++i) {
        const double a = 2 * M_PI * i / steps;
        p.push_back(Vec3{float(radius * std::cos(a)), float(rise * i / steps),
                         float(radius * std::sin(a))});
    }
    return makePath(p);
}

TProfileObj tiltedRing() {
    std::vector<Vec3> p;
    for (int i = 0; i < 16; ++i) {
        const double a = 2 * M_PI * i / 16, x = 80 * std::cos(a);
        p.push_back(Vec3{float(x), float(0.3 * x + 10), float(80 * std::sin(a))});
    }
    p.push_back(p.front());
    return makePath(p);
}

struct RisingCase {
    const char* name;
    std::function<TProfileObj()> path;
    bool closed = false;
};

const RisingCase Cases[] = {
    {"helix of 2 turns", [] { return helix(50, 30, 2, 12); }},
    {"climbing square spiral",
     [] {
         return makePath({{0, 0, 0},
                          {100, 10, 0},
                          {100, 20, 100},
                          {0, 30, 100},
                          {0, 40, 0},
                          {100, 50, 0},
                          {100, 60, 100},
                          {0, 70, 100}});
     }},
    {"vertical segment",
     [] {
         return makePath(
             {{0, 0, 0}, {100, 0, 0}, {100, 80, 0}, {100, 80, 100}, {0, 80, 100}, {0, 120, 100}});
     }},
    {"closed tilted ring", tiltedRing, true},
};

struct Corners {
    bool mitre, embedded;
    const char* name;
};
const Corners Styles[] = {
    {true, false, "mitred"}, {false, false, "round"}, {true, true, "embedded"}};

std::vector<Triangle> trianglesOf(const RecordingRenderer& rec) {
    std::vector<Triangle> out;
    auto corner = [](const Vec3& v) { return Corner{v.X, v.Y, v.Z}; };
    auto add = [&](const Vec3& a, const Vec3& b, const Vec3& c) {
        const double u[3] = {double(b.X) - a.X, double(b.Y) - a.Y, double(b.Z) - a.Z};
        const double v[3] = {double(c.X) - a.X, double(c.Y) - a.Y, double(c.Z) - a.Z};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        if (n[0] == 0 && n[1] == 0 && n[2] == 0) return; // no area: left out as the exports do
        out.push_back({corner(a), corner(b), corner(c)});
    };
    for (const RecordedCall& c : rec.calls) {
        if (c.name == "quads") {
            add(c.verts[0], c.verts[1], c.verts[2]);
            add(c.verts[0], c.verts[2], c.verts[3]);
        } else if (c.name == "triangle") {
            add(c.verts[0], c.verts[1], c.verts[2]);
        }
    }
    return out;
}

} // namespace

class RisingSweep : public MeshTest {};

TEST_F(RisingSweep, ClosedSurfacesFullMitresAndUpright) {
    for (const RisingCase& c : Cases)
        for (const Corners& style : Styles) {
            SCOPED_TRACE(std::string(c.name) + ", " + style.name);
            rec->calls.clear();
            TProfileObj path = c.path(), profile = wedgeProfile();
            ASSERT_TRUE(pathRises(path));
            buildExtrusion("r", path, profile, 2, c.closed, false, style.mitre, style.embedded,
                           false, false, nullptr, 1);
            EXPECT_TRUE(rec->allFinite());
            // Round corners fold their bands round the inner corners, as in the plane: the
            // exports' weld closes those (see the watertight exports).
            if (style.mitre) {
                EXPECT_EQ(watertightFaults(trianglesOf(*rec)), "");
            }

            const std::vector<TRisingCornerInfo> corners =
                risingCorners(path, profile, c.closed, style.mitre);
            EXPECT_FALSE(corners.empty());
            for (const TRisingCornerInfo& k : corners) {
                ASSERT_FALSE(k.Folds);
                if (!style.mitre) continue;
                // Seen along either segment, the mitre ring is the whole profile.
                EXPECT_NEAR(areaAlong(k.Ring, asP3(k.In.Z)) / profileArea(), 1, 1e-9);
                EXPECT_NEAR(areaAlong(k.Ring, asP3(k.Out.Z)) / profileArea(), 1, 1e-9);
            }
            for (const TSweepFrame& f : risingFrames(path, c.closed)) {
                const P3 z = asP3(f.Z);
                if (std::hypot(z[0], z[2]) < 1e-9) continue; // vertical: carries the one before
                // Up lies in the vertical plane through the segment, on the upper side.
                EXPECT_NEAR(dot3(cross3(z, P3{0, 1, 0}), asP3(f.Y)), 0, 1e-9);
                EXPECT_GT(f.Y[1], 0);
                EXPECT_NEAR(f.X[1], 0, 1e-15);
            }
        }
}

// A vertical segment keeps the orientation of the one before it; a path of vertical segments only
// faces +X and says so; a fold back is reported, built without a number that is not one.
TEST_F(RisingSweep, VerticalRunsAndFoldsBack) {
    const TProfileObj climb = makePath({{0, 0, 0}, {0, 0, 100}, {0, 50, 100}, {0, 90, 100}});
    const std::vector<TSweepFrame> frames = risingFrames(climb, false);
    ASSERT_EQ(frames.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(frames[2].X[k], frames[0].X[k]);
    EXPECT_EQ(risingPathProblem(climb, false), "");

    const TProfileObj shaft = makePath({{0, 0, 0}, {0, 100, 0}});
    EXPECT_EQ(risingFrames(shaft, false)[0].X[0], 1);
    EXPECT_NE(risingPathProblem(shaft, false).find("straight up or down"), std::string::npos);

    TProfileObj fold = makePath({{0, 0, 0}, {100, 50, 0}, {0, 0, 0}});
    TProfileObj profile = wedgeProfile();
    EXPECT_NE(risingPathProblem(fold, false).find("folds back on itself at vertex 2"),
              std::string::npos);
    buildExtrusion("f", fold, profile, 2, false, false, true, false, false, false, nullptr, 1);
    EXPECT_TRUE(rec->allFinite());
    EXPECT_GT(rec->count("quads"), 0u);
}

// The ring is one piece with the list numbers of a closed path: segments 1..16, the corner at
// the first vertex in list 17, and endObject replays 18.
TEST_F(RisingSweep, ClosedRingLists) {
    TProfileObj ring = tiltedRing(), profile = wedgeProfile();
    buildExtrusion("t", ring, profile, 1, true, false, true, false, false, false, nullptr, 3);
    expectEndObject(*rec, 3, 18, false);
    EXPECT_FALSE(rec->listCalls(faceListId(3, 17)).empty());
}

// A lathe without pitch gives the same calls as before; a thread of 2.5 turns rising 10 a turn
// is a closed solid with both ends capped, 25 above where it starts.
TEST_F(RisingSweep, PitchedLathe) {
    const TProfileObj circle = makePath(std::vector<Vec3>(13));
    const TProfileObj section = makeProfile({{20, 0}, {25, 0}, {25, 4}, {20, 4}, {20, 0}});
    TProfileObj path = circle, profile = section;
    buildLathe("l", path, profile, 2, false, false, nullptr, 4);
    const std::string plain = rec->log();
    rec->calls.clear();
    path = circle, profile = section;
    buildLathe("l", path, profile, 2, false, false, nullptr, 4, TLathePitch{});
    EXPECT_EQ(rec->log(), plain);

    for (const float turns : {2.5f, 0.5f}) {
        SCOPED_TRACE(turns);
        rec->calls.clear();
        path = circle, profile = section;
        TLathePitch pitch;
        pitch.Rise = 10;
        pitch.Turns = turns;
        buildLathe("l", path, profile, 2, false, false, nullptr, 4, pitch);
        EXPECT_EQ(watertightFaults(trianglesOf(*rec)), "");
        float top = 0;
        for (const auto& t : trianglesOf(*rec))
            for (const Corner& c : t)
                top = std::max(top, c[1]);
        EXPECT_FLOAT_EQ(top, 4 + 10 * turns);
        expectEndObject(*rec, 4, 6, false);
    }
    EXPECT_EQ(pitchedLatheSteps(12, 2.5f), 30);
    EXPECT_EQ(pitchedLatheSteps(12, std::nanf("")), 1);
}
