// Outlines from DXF drawings: every entity kind, joined pieces, units, layers and the bad cases,
// read from ezdxf's files into stored outlines whose size, area and deviation are checked; the
// export's bytes and its round trip; the fit and the scale choice.
#include "model/DxfDrawings.h"
#include "model/UnOutlineImport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double None = std::numeric_limits<double>::quiet_NaN();

struct Point {
    double x, y;
};

// The stored outline in millimetres (a path's second coordinate back as drawn).
std::vector<Point> millimetres(const TStoredOutline& o, TOutlineKind kind) {
    std::vector<Point> points;
    const double ySign = kind == TOutlineKind::Path ? -1 : 1;
    for (int32_t i = 0; i < o.Count; ++i)
        points.push_back({o.Vertices[size_t(i)].X * o.Scale / 100.0,
                          ySign * o.Vertices[size_t(i)].Y * o.Scale / 100.0});
    return points;
}

double area(const std::vector<Point>& p) {
    double twice = 0;
    for (size_t i = 0; i + 1 < p.size(); ++i)
        twice += p[i].x * p[i + 1].y - p[i + 1].x * p[i].y;
    return std::abs(twice) / 2;
}

bool holds(const std::vector<Point>& p, Point q) {
    for (const Point& v : p)
        if (std::abs(v.x - q.x) < 1e-9 && std::abs(v.y - q.y) < 1e-9) return true;
    return false;
}

std::string notes(const TStoredOutline& o) {
    std::string text;
    for (const std::string& n : o.Notes)
        text += n + "\n";
    return text;
}

// The area cut off a chord by a bulge arc.
double bulgeSegment(double bulge, double chord) {
    const double turn = 4 * std::atan(std::abs(bulge));
    const double r = chord / (2 * std::sin(turn / 2));
    return r * r / 2 * (turn - std::sin(turn));
}

// The area between a chord and the shorter arc of radius r over it.
double circleSegment(double r, double chord) {
    const double turn = 2 * std::asin(chord / (2 * r));
    return r * r / 2 * (turn - std::sin(turn));
}

struct Drawing {
    const char* name;
    TOutlineKind kind;
    const char* layer;
    int count; // -1: not fixed
    bool closed;
    double width, height, area, maxDeviation;
    std::vector<Point> exact; // drawn points on the storage steps that must be stored as they are
    const char* note;         // a note the import must give, or ""
};

using Outlines = DxfDrawingsTest;

TEST_F(Outlines, EachEntityKindJoinedAndMeasured) {
    const auto P = TOutlineKind::Profile, Q = TOutlineKind::Path;
    const double bulgesArea = 60 * 40 + Pi * 900 / 2 - bulgeSegment(0.25, 60);
    const std::vector<Point> roundedEnds = {{10, 0},  {90, 0},  {100, 10}, {100, 40},
                                            {90, 50}, {10, 50}, {0, 40},   {0, 10}};
    const std::vector<Point> ogeeCorners = {{0, 0}, {40, 0}, {40, 10}, {30, 20}, {20, 30}, {0, 30}};
    const double mouldingArea = 598 - circleSegment(18.0093, 10 * std::sqrt(2.0)) +
                                circleSegment(10.1207, 12 * std::sqrt(2.0));
    const double hexagonArea =
        600 * std::sqrt(3.0) + bulgeSegment(0.219067, 20) + circleSegment(25, 20);
    // clang-format off
    const Drawing drawings[] = {
        {"bulges", P, "", 100, true, 60, 70, bulgesArea, 0.1, {{0, 0}, {60, 40}}, ""},
        {"shuffled", P, "", 100, true, 100, 50, 5000 - (4 - Pi) * 100, 0.1, roundedEnds,
         "ignored TEXT (1)"},
        {"ogee", P, "", 100, true, 40, 30, 1000, 0.1, ogeeCorners, ""},
        {"r12path", Q, "", 5, true, 80, 30, None, 0, {{0, 0}, {80, 30}}, ""},
        {"circle", P, "", 100, true, 50, 50, Pi * 625, 0.1, {}, ""},
        {"ellipse", P, "", 100, true, 60, 20, Pi * 300, 0.1, {}, ""},
        {"spline_control", Q, "", 100, false, 500, None, None, 0.2, {{0, 0}, {500, 0}}, ""},
        {"spline_fit", Q, "", 100, false, 300, None, None, 0.15, {{0, 0}}, ""},
        {"inches", P, "", 5, true, 50.8, 25.4, 50.8 * 25.4, 0, {{50.8, 25.4}}, "inches"},
        {"metres", Q, "", 2, false, 2000, 0, None, 0, {{2000, 0}}, "metres"},
        {"several", P, "", 5, true, 30, 30, 900, 0, {}, "3 closed outlines"},
        {"several", P, "0", 5, true, 20, 20, 400, 0, {}, "1 left out"},
        {"several", Q, "", 5, true, 30, 30, None, 0, {}, "4 chains"},
        {"star", P, "", -1, true, 100, 100, None, 5, {}, "150 corners"},
        {"bowtie", P, "", 5, true, 30, 20, None, 0, {}, "crosses itself"},
        {"six_digits_moulding", P, "", -1, true, 30, 28.2202, mouldingArea, 0.1, {{0, 0}, {0, 28}}, ""},
        {"six_digits_hexagon", P, "", -1, true, 40, 34.641, hexagonArea, 0.1, {}, ""},
        {"gap", P, "", -1, true, 40, 20, None, 0, {},
         "closed a gap of 0.05 mm between (0, 0.05) and (0, 0) mm"},
    };
    // clang-format on
    for (const Drawing& d : drawings) {
        SCOPED_TRACE(std::string(d.name) + " layer '" + d.layer + "'");
        const TStoredOutline o = importOutline(drawing(d.name), d.kind, d.layer, 100);
        const std::vector<Point> mm = millimetres(o, d.kind);
        EXPECT_TRUE(d.count < 0 || o.Count == d.count) << o.Count;
        EXPECT_LE(o.Count, MaxOutlineVertices);
        EXPECT_EQ(o.Closed, d.closed);
        EXPECT_TRUE(!d.closed || (mm.front().x == mm.back().x && mm.front().y == mm.back().y));
        EXPECT_LE(o.Deviation, d.maxDeviation + 1e-9);
        // The stored outline lies within the deviation of the drawing, so its extent does too.
        double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL, perimeter = 0;
        for (size_t i = 0; i < mm.size(); ++i) {
            x0 = std::min(x0, mm[i].x), x1 = std::max(x1, mm[i].x);
            y0 = std::min(y0, mm[i].y), y1 = std::max(y1, mm[i].y);
            if (i) perimeter += std::hypot(mm[i].x - mm[i - 1].x, mm[i].y - mm[i - 1].y);
        }
        const double tol = o.Deviation + 1e-6;
        EXPECT_NEAR(x1 - x0, d.width, 2 * tol);
        EXPECT_TRUE(std::isnan(d.height) || std::abs(y1 - y0 - d.height) <= 2 * tol) << y1 - y0;
        EXPECT_TRUE(std::isnan(d.area) || std::abs(area(mm) - d.area) <= perimeter * tol)
            << area(mm);
        // A step of at most 1/2000 of the size where the scale allows, unless the drawing falls on
        // the object's own steps exactly.
        const double size = std::max(d.width, std::isnan(d.height) ? 0 : d.height);
        EXPECT_TRUE(o.Scale == MinOutlineScale || o.Scale / 100.0 <= size / 2000 ||
                    (o.Scale == 100 && o.Deviation < 1e-9))
            << o.Scale;
        for (const Point& q : d.exact)
            EXPECT_TRUE(holds(mm, q)) << "(" << q.x << ", " << q.y << ") not kept";
        EXPECT_NE(notes(o).find(d.note), std::string::npos) << notes(o);
        // Ends a CAD program wrote to six digits join without a word.
        if (std::string(d.note).find("gap") == std::string::npos) {
            EXPECT_EQ(notes(o).find("closed a gap"), std::string::npos) << notes(o);
        }
        if (std::string(d.name) == "ogee")
            std::printf("arc-heavy profile: %d vertices, deviation %.4f mm (%.4f mm before "
                        "rounding to the %.1f mm step)\n",
                        o.Count, o.Deviation, o.FitDeviation, o.Scale / 100.0);
    }
}

// Distance from q to the nearest edge of the outline.
double distanceTo(const std::vector<Point>& outline, Point q) {
    double nearest = HUGE_VAL;
    for (size_t i = 0; i + 1 < outline.size(); ++i) {
        const Point a = outline[i], b = outline[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double t =
            std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(q.x - a.x - t * dx, q.y - a.y - t * dy));
    }
    return nearest;
}

TEST_F(Outlines, ReportedDeviationHoldsForTheTrueCurve) {
    // Every point of the true circle, and every fit point of the spline drawn through them, lies
    // within the reported deviation of the stored outline.
    const TStoredOutline circle = importOutline(drawing("circle"), TOutlineKind::Profile, "", 100);
    const std::vector<Point> c = millimetres(circle, TOutlineKind::Profile);
    double worst = 0;
    for (int k = 0; k < 20000; ++k)
        worst = std::max(
            worst, distanceTo(c, {25 * std::cos(k * Pi / 10000), 25 * std::sin(k * Pi / 10000)}));
    EXPECT_LE(worst, circle.Deviation + 1e-4);
    EXPECT_GE(worst, circle.Deviation / 2); // measured edge by edge, so a little above

    const TStoredOutline spline = importOutline(drawing("spline_fit"), TOutlineKind::Path, "", 100);
    for (Point fit : {Point{0, 0}, Point{100, 50}, Point{200, 0}, Point{300, 50}})
        EXPECT_LE(distanceTo(millimetres(spline, TOutlineKind::Path), fit), spline.Deviation + 1e-9)
            << fit.x;
}

TEST_F(Outlines, BadDrawingsAreRefusedWithTheirReason) {
    write("words.dxf", {'h', 'e', 'l', 'l', 'o', '\n'});
    const struct {
        std::string file;
        TOutlineKind kind;
        const char* layer;
        std::vector<std::string> says;
    } cases[] = {
        {file("missing.dxf"), TOutlineKind::Profile, "", {"cannot read", "No such file"}},
        {dir.string(), TOutlineKind::Profile, "", {"is a folder"}},
        {file("words.dxf"), TOutlineKind::Profile, "", {"words.dxf is not a DXF drawing"}},
        {drawing("nothing"),
         TOutlineKind::Path,
         "",
         {"holds no outline: found INSERT (2), TEXT (1)", "LINE, ARC, CIRCLE"}},
        {drawing("several"),
         TOutlineKind::Profile,
         "NONE",
         {"(layer \"NONE\") holds no outline", "other layers hold LINE (1), LWPOLYLINE (3)"}},
        {drawing("open"),
         TOutlineKind::Profile,
         "",
         {"does not close: its ends (0, 0.5) and (0, 0) mm are 0.5 mm apart"}},
        {drawing("far"), TOutlineKind::Path, "", {"40000000 x 0 mm", "at most 5000000 mm"}},
    };
    for (const auto& c : cases) {
        const std::string message =
            thrownMessage<EOutlineError>([&] { importOutline(c.file, c.kind, c.layer, 100); });
        for (const std::string& part : c.says)
            EXPECT_NE(message.find(part), std::string::npos) << message;
    }
}

TEST_F(Outlines, ExportWritesOneLwpolylineThatImportsBackToTheSameVertices) {
    // Exact bytes of a small closed profile in millimetres ($INSUNITS 4): the repeated last vertex
    // becomes the closed flag.
    const OutlineVertex square[] = {{0, 0}, {30, 0}, {30, -15}, {0, 0}};
    exportOutline(file("small.dxf"), square, 4, 50, TOutlineKind::Profile, false);
    EXPECT_EQ(readText(file("small.dxf")),
              "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1015\r\n9\r\n$INSUNITS\r\n"
              "70\r\n4\r\n0\r\nENDSEC\r\n0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLWPOLYLINE\r\n5\r\n"
              "100\r\n100\r\nAcDbEntity\r\n8\r\n0\r\n100\r\nAcDbPolyline\r\n90\r\n3\r\n70\r\n1\r\n"
              "10\r\n0\r\n20\r\n0\r\n10\r\n15\r\n20\r\n0\r\n10\r\n15\r\n20\r\n-7.5\r\n0\r\nENDSEC"
              "\r\n0\r\nEOF\r\n");

    // Profiles and paths, open and closed, at an odd scale, come back vertex for vertex.
    for (TOutlineKind kind : {TOutlineKind::Profile, TOutlineKind::Path})
        for (bool closed : {false, true}) {
            std::vector<OutlineVertex> v = {{-120, 7}, {33, 250}, {301, -44}, {90, -300}};
            if (closed) v.push_back(v.front());
            if (kind == TOutlineKind::Profile && !closed) continue; // a profile is closed
            exportOutline(file("trip.dxf"), v.data(), int32_t(v.size()), 37, kind, closed);
            const TStoredOutline back = importOutline(file("trip.dxf"), kind, "", 37);
            ASSERT_EQ(back.Count, int32_t(v.size()));
            EXPECT_EQ(back.Scale, 37);
            EXPECT_EQ(back.Closed, closed);
            for (size_t i = 0; i < v.size(); ++i)
                EXPECT_TRUE(back.Vertices[i].X == v[i].X && back.Vertices[i].Y == v[i].Y) << i;
        }
}

TEST(OutlineFit, CircleGetsTheBestInscribedPolygon) {
    // 100 vertices on a closed circle of radius 100: the regular 99-gon's sagitta is the least
    // largest distance any inscribed outline reaches.
    std::vector<TChainPoint> circle;
    for (int k = 0; k <= 7200; ++k)
        circle.push_back({100 * std::cos(k * Pi / 3600), 100 * std::sin(k * Pi / 3600), false});
    circle.back() = circle.front();
    double deviation = 0;
    bool simplified = false;
    const std::vector<size_t> kept = fitPoints(circle, 100, deviation, simplified);
    EXPECT_EQ(kept.size(), 100u);
    EXPECT_FALSE(simplified);
    EXPECT_LE(deviation, 1.03 * 100 * (1 - std::cos(Pi / 99)));
}

TEST(OutlineFit, ScaleKeepsTheSizeWithinTheRange) {
    const struct {
        double size, maxAbs;
        int32_t current;
        bool exact;
        int32_t scale;
    } cases[] = {
        {40, 40, 50, false, 10},       // small: the finest step there is
        {40, 40, 50, true, 50},        // already stored exactly: kept
        {2000, 2000, 100, false, 100}, // 2000 steps across: kept
        {3000, 3000, 300, false, 150}, // 1000 steps: the largest scale with 2000 instead
        {4e6, 4e6, 100, false, 500},   // 4 km: only the largest scales hold it
        {4e7, 4e7, 100, false, 0},     // 40 km: none does
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseOutlineScale(c.size, c.maxAbs, c.current, c.exact), c.scale) << c.size;
}

} // namespace
