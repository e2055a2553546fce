// The editor's exact-drawing tools without a display: millimetre text, the points table's
// parsing and rounding, round-corner geometry and the checks made before saving.
#include "editor/UnOutlineChecks.h"
#include "editor/UnPointsText.h"
#include "editor/UnRoundCorner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<OutlineVertex> outline(std::initializer_list<std::pair<int, int>> points) {
    std::vector<OutlineVertex> o;
    for (auto [x, y] : points)
        o.push_back({x, y, {}});
    return o;
}

double distance(double x, double y, const OutlineVertex& v) {
    return std::hypot(v.X - x, v.Y - y);
}

} // namespace

TEST(PointsText, EverySeparatorAndDecimalCommaWhereItIsUnambiguous) {
    const std::pair<const char*, std::vector<std::pair<double, double>>> cases[] = {
        {"0\t0\n60\t0\n60\t40\n", {{0, 0}, {60, 0}, {60, 40}}},
        {"1.5,2.25\r\n-3,4e1\r\n", {{1.5, 2.25}, {-3, 40}}},
        {"1;2\n3 ; 4", {{1, 2}, {3, 4}}},
        {"  1   2 \n\n\n+3 -4\n", {{1, 2}, {3, -4}}},
        {"1,5\t2,5\n", {{1.5, 2.5}}}, // a spreadsheet with decimal commas
        {"1,5;2,5\n", {{1.5, 2.5}}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        TRowsProblem problem;
        const std::vector<TPointRow> rows = ParsePointRows(text, problem);
        EXPECT_EQ(problem.Error, TRowsError::None);
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].X, expected[i].first);
            EXPECT_EQ(rows[i].Y, expected[i].second);
        }
    }
    TRowsProblem problem;
    EXPECT_EQ(PointRowsToText(ParsePointRows("0 0\n12.5 -0.001\n1e3 7", problem)),
              "0\t0\n12.5\t-0.001\n1000\t7\n");
}

TEST(PointsText, BadRowsAreNamedAndTheLimitIsAHundredRows) {
    const std::tuple<std::string, TRowsError, int32_t, std::string> cases[] = {
        {"1 2\n3 x\n", TRowsError::NotANumber, 2, "x"},
        {"1\t2\n\t4\n", TRowsError::EmptyCell, 2, ""},
        {"1;2\n3;\n", TRowsError::EmptyCell, 2, ""},
        {"1 2 3\n", TRowsError::FieldCount, 1, "1 2 3"},
        {"7\n", TRowsError::FieldCount, 1, "7"},
        {"1 nan\n", TRowsError::NotANumber, 1, "nan"},
        {"1 1e300\n", TRowsError::NotANumber, 1, "1e300"},
        {"0x10 1\n", TRowsError::NotANumber, 1, "0x10"},
    };
    for (const auto& [text, error, row, cell] : cases) {
        SCOPED_TRACE(text);
        TRowsProblem problem;
        ParsePointRows(text, problem);
        EXPECT_EQ(problem.Error, error);
        EXPECT_EQ(problem.Row, row);
        EXPECT_EQ(problem.Text, cell);
    }
    std::string hundred, more;
    for (int i = 0; i < 100; ++i)
        hundred += std::to_string(i) + " 0\n";
    more = hundred + "100 0\n";
    TRowsProblem problem;
    EXPECT_EQ(ParsePointRows(hundred, problem).size(), 100u);
    EXPECT_EQ(problem.Error, TRowsError::None);
    ParsePointRows(more, problem);
    EXPECT_EQ(std::make_pair(problem.Error, problem.Row), std::make_pair(TRowsError::TooMany, 101));
    EXPECT_EQ(CheckRowCount(101).Error, TRowsError::TooMany);
    EXPECT_EQ(CheckRowCount(1).Error, TRowsError::TooFew);
    EXPECT_EQ(CheckRowCount(100).Error, TRowsError::None);
}

TEST(PointsText, RoundingToTheStorageGridIsNotedBeyondAThousandthOfAMillimetre) {
    // Scale 50 %: a stored unit is 0.5 mm.
    EXPECT_EQ(StoredToMm(120, 50), 60);
    EXPECT_EQ(MmToStored(60, 50), 120);
    EXPECT_EQ(MmToStored(0.25, 50), 0); // half a unit goes to the even neighbour
    EXPECT_EQ(MmToStored(0.75, 50), 2);
    TRoundedRows r = RoundToStorage({{60, 40}, {10.2, 0}, {0, -3.5}}, 50);
    EXPECT_EQ(r.Stored[0].X, 120);
    EXPECT_EQ(r.Stored[1].X, 20);
    EXPECT_EQ(r.Stored[2].Y, -7);
    EXPECT_EQ(r.WorstRow, 2);
    EXPECT_NEAR(r.MaxShift, 0.2, 1e-9);
    r = RoundToStorage({{60, 40}, {0.0005, 0}}, 100); // moved, but within the note's limit
    EXPECT_LE(r.MaxShift, RoundingNoteLimit);
    EXPECT_EQ(FormatMm(-0.0001), "0");
    EXPECT_EQ(FormatMm(2.5), "2.5");
    EXPECT_EQ(FormatMm(-1234.56789), "-1234.568");
    EXPECT_EQ(FormatMm(100, 0), "100"); // whole numbers keep their zeros
    // The cursor readout shows what one pixel is worth: 0.5 mm, 0.2 mm, 0.01 mm, 2 mm.
    EXPECT_EQ(DecimalsForStep(0.5), 1);
    EXPECT_EQ(DecimalsForStep(0.2), 1);
    EXPECT_EQ(DecimalsForStep(0.01), 2);
    EXPECT_EQ(DecimalsForStep(2), 0);
    EXPECT_EQ(FormatMm(74.2137, DecimalsForStep(0.2)), "74.2");
}

TEST(PointsText, StoringExactlyRefinesTheScaleOnlyAsFarAsTheValuesNeed) {
    struct Case {
        std::vector<TPointRow> rows;
        int32_t current, reach, scale;
        double shift;
    };
    const Case cases[] = {
        {{{10, 20}, {2.5, 0}}, 50, 2400, 50, 0},         // on the step: the scale stays
        {{{10, 20}, {2.3, 0}}, 50, 2400, 10, 0},         // 2.3 needs 0.1 mm
        {{{10, 20}, {2.4, 0}}, 50, 2400, 40, 0},         // 0.4 mm: the coarsest that holds all
        {{{10, 20}, {2.2, 0}}, 40, 2400, 20, 0},         // 0.2 mm
        {{{10, 20}, {0.3, 0}}, 100, 2400, 10, 0},        // 30 and the 1000s: 10
        {{{300, 20}, {2.3, 0}}, 50, 2400, 25, 0.05},     // 10 % would put 300 mm past the sheet
        {{{10, 20}, {0.05, 0}}, 50, 2400, 50, 0.05},     // no step holds it: it moves, say so
        {{{10, 20}, {0.0004, 0}}, 50, 2400, 50, 0.0004}, // within the note's limit: kept
        {{{1, 0}, {0, 1}, {0.7071068, 0.7071068}}, 100, 2400, 10, 0.0101}, // the least move
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.back().X);
        const TStoredRows r = StoreExactly(c.rows, c.current, c.reach);
        EXPECT_EQ(r.Scale, c.scale);
        EXPECT_NEAR(r.MaxShift, c.shift, 1e-4);
        // Points that were on the old step are exactly where they were.
        EXPECT_DOUBLE_EQ(StoredToMm(r.Stored[0].X, r.Scale), c.rows[0].X);
    }
}

TEST(RoundCorner, EachCornerBecomesATangentArcOfTheRadiusWithTheCornersGroups) {
    // A 200 x 100 rectangle, closed; the corner at (200, 0) carries groups 3 and 4.
    std::vector<OutlineVertex> o = outline({{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}});
    o[1].Groups[0] = 3, o[1].Groups[1] = 4;
    const TCornerResult r = RoundCorners(o, {1}, 40, 4);
    ASSERT_EQ(r.Error, TCornerError::None);
    ASSERT_EQ(r.Outline.size(), 9u);
    // Tangent points 40 from the corner on each edge; every arc point 40 from the centre.
    EXPECT_EQ(std::make_pair(r.Outline[1].X, r.Outline[1].Y), std::make_pair(160, 0));
    EXPECT_EQ(std::make_pair(r.Outline[5].X, r.Outline[5].Y), std::make_pair(200, 40));
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(distance(160, 40, r.Outline[i]), 40, 0.71);
        EXPECT_EQ(r.Outline[i].Groups[0], 3);
        EXPECT_EQ(r.Outline[i].Groups[1], 4);
    }
    EXPECT_EQ(r.Outline[6].Groups[0], 0); // the next corner keeps its own

    // The closing corner of a ring: the outline starts and ends on the arc's far tangent point.
    const TCornerResult ring = RoundCorners(o, {4}, 20, 2);
    ASSERT_EQ(ring.Error, TCornerError::None);
    ASSERT_EQ(ring.Outline.size(), 7u);
    EXPECT_EQ(std::make_pair(ring.Outline.front().X, ring.Outline.front().Y),
              std::make_pair(20, 0));
    EXPECT_EQ(std::make_pair(ring.Outline.back().X, ring.Outline.back().Y), std::make_pair(20, 0));
    EXPECT_EQ(std::make_pair(ring.Outline[4].X, ring.Outline[4].Y), std::make_pair(0, 20));
    EXPECT_NEAR(distance(20, 20, ring.Outline[5]), 20, 0.71);

    // A 90-degree corner with one segment is a chamfer; a sharper corner needs longer tangents.
    const TCornerResult v = RoundCorners(outline({{0, 0}, {100, 0}, {0, 100}}), {1}, 10, 1);
    ASSERT_EQ(v.Error, TCornerError::None);
    const double t = 10 / std::tan(M_PI / 8); // 45 degrees between the edges
    EXPECT_NEAR(distance(100 - t, 0, v.Outline[1]), 0, 0.71);
}

TEST(RoundCorner, RefusalsNameTheCornerAndWhy) {
    const std::vector<OutlineVertex> open = outline({{0, 0}, {100, 0}, {100, 100}, {200, 100}});
    const std::vector<OutlineVertex> ring =
        outline({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}});
    struct Case {
        std::vector<OutlineVertex> o;
        std::vector<int32_t> corners;
        double radius;
        int32_t segments;
        TCornerError error;
        int32_t vertex;
    };
    const Case cases[] = {
        {open, {0}, 10, 4, TCornerError::OpenEnd, 0},
        {open, {3}, 10, 4, TCornerError::OpenEnd, 3},
        {open, {}, 10, 4, TCornerError::NoCorner, -1},
        {outline({{0, 0}, {50, 0}, {100, 0}}), {1}, 10, 4, TCornerError::Straight, 1},
        {outline({{0, 0}, {50, 0}, {50, 0}, {50, 50}}), {1}, 10, 4, TCornerError::ZeroEdge, 1},
        {ring, {1}, 101, 4, TCornerError::DoesNotFit, 1},
        {ring, {1, 2}, 60, 4, TCornerError::DoesNotFit, 1},   // 60 + 60 on the 100 edge between
        {ring, {0, 1, 2, 3}, 10, 20, TCornerError::None, -1}, // 5 + 80 = 85 points
        {ring, {0, 1, 2, 3}, 10, 24, TCornerError::TooManyPoints, -1},
    };
    for (const Case& c : cases) {
        const TCornerResult r = RoundCorners(c.o, c.corners, c.radius, c.segments);
        EXPECT_EQ(r.Error, c.error);
        if (c.vertex >= 0) {
            EXPECT_EQ(r.Vertex, c.vertex);
        }
    }
    const TCornerResult tooBig = RoundCorners(ring, {1}, 101, 4);
    EXPECT_NEAR(tooBig.MaxRadius, 100, 1e-9);
    EXPECT_EQ(RoundCorners(ring, {0, 1, 2, 3}, 10, 24).PointCount, 101);
    EXPECT_EQ(RoundCorners(ring, {1, 2}, 50, 4).Error, TCornerError::None); // exactly fits
}

TEST(OutlineChecks, WhatTheSolidWouldLack) {
    auto points = [](std::initializer_list<std::pair<int, int>> list) {
        std::vector<Point2> v;
        for (auto [x, y] : list)
            v.push_back({x, y});
        return v;
    };
    struct Case {
        std::vector<Point2> p;
        bool tooFew, notClosed, crossing;
    };
    const Case profiles[] = {
        {points({{0, 0}, {10, 0}, {10, 10}, {0, 0}}), false, false, false},
        {points({{0, 0}, {10, 0}, {10, 10}}), false, true, false},
        {points({{0, 0}, {10, 0}, {0, 0}}), true, false, false},
        {points({{0, 0}, {10, 0}, {10, 0}, {0, 0}}), true, false, false},
        {points({{0, 0}, {10, 10}, {10, 0}, {0, 10}, {0, 0}}), false, false, true},  // a bow tie
        {points({{0, 0}, {10, 0}, {10, 10}, {10, -5}, {0, 0}}), false, false, true}, // folds back
        {points({{0, 0}, {10, 0}, {10, 10}, {5, 0}, {0, 0}}), false, false, true},   // touches
        {points({{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), false, false, false},
    };
    for (const Case& c : profiles) {
        const TOutlineProblems p = CheckProfile(c.p);
        EXPECT_EQ(p.TooFewPoints, c.tooFew);
        EXPECT_EQ(p.NotClosed, c.notClosed);
        EXPECT_EQ(p.Crossing, c.crossing);
        EXPECT_FALSE(p.Repeated);
    }
    EXPECT_TRUE(CheckPath(points({{0, 0}, {0, 500}, {0, 500}})).Repeated);
    EXPECT_FALSE(CheckPath(points({{0, 0}, {0, 500}, {0, 0}})).Any());
}

// A path's rows carry a third column, the height, which a pasted line may leave out; a profile's
// rows take two columns only. Heights are stored as floats of path units at the rows' scale, and
// one that a float cannot hold within a thousandth of a millimetre is the note's worst row.
TEST(PointsText, PathRowsTakeAnOptionalHeightColumn) {
    TRowsProblem problem;
    const std::vector<TPointRow> rows =
        ParsePointRows("0\t0\t25\n60;0\n60,5;40;-2,5\n", problem, true);
    ASSERT_EQ(problem.Error, TRowsError::None);
    ASSERT_EQ(rows.size(), 3u);
    const std::pair<double, bool> heights[] = {{25, true}, {0, false}, {-2.5, true}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].H, heights[i].first);
        EXPECT_EQ(rows[i].HasH, heights[i].second);
    }
    EXPECT_EQ(PointRowsToText(rows, true), "0\t0\t25\n60\t0\t0\n60.5\t40\t-2.5\n");
    for (const auto& [text, path] : {std::pair{"1 2 3\n", false}, {"1 2 3 4\n", true}}) {
        ParsePointRows(text, problem, path);
        EXPECT_EQ(problem.Error, TRowsError::FieldCount) << text;
    }
    ParsePointRows("1 2 x\n", problem, true);
    EXPECT_EQ(problem.Error, TRowsError::NotANumber);

    // At scale 50 a stored unit is half a millimetre: 25.3 mm is 50.6 units.
    TStoredRows stored = StoreExactly({{0, 0, 25.3}, {10, 0, 1e6 + 0.3}}, 50, 1'000'000);
    ASSERT_EQ(stored.Scale, 50);
    const std::vector<float> h = StoreHeights({{0, 0, 25.3}, {10, 0, 1e6 + 0.3}}, stored);
    EXPECT_EQ(h[0], 50.6f);
    EXPECT_EQ(FormatMm(StoredToMm(h[0], 50)), "25.3");
    EXPECT_EQ(stored.WorstRow, 2); // a float holds a million and a bit only to 1/32 mm
    EXPECT_GT(stored.MaxShift, RoundingNoteLimit);
}

// Rounding a corner of a rising path: kept vertices keep their heights, the arc takes its
// corner's, and at the closing corner of a ring the start and the end keep theirs.
TEST(RoundCorner, HeightsStayWithTheVerticesAndTheArcTakesItsCorners) {
    const std::vector<OutlineVertex> o = outline({{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}});
    const std::vector<float> heights = {1, 2, 3, 4, 5};
    const TCornerResult r = RoundCorners(o, {1}, 40, 4);
    EXPECT_EQ(HeightsAfterRounding(o, heights, r.Outline),
              (std::vector<float>{1, 2, 2, 2, 2, 2, 3, 4, 5}));
    const TCornerResult ring = RoundCorners(o, {4}, 20, 2);
    EXPECT_EQ(HeightsAfterRounding(o, heights, ring.Outline),
              (std::vector<float>{1, 2, 3, 4, 5, 5, 5}));
}
