// Plane figures: line maths, group sets, stream records byte for byte, hit tests, the polyline's
// editing operations and the drawing calls.
#include "FigureUtil.h"
#include "RecordingCanvas.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCPolygon.h"
#include "editor/UnTFCStream.h"
#include "editor/fmath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>

using namespace LineLibrary;

namespace {

std::vector<uint8_t> recordOf(const TFCObject& f) {
    TFCStream s;
    f.SaveToStream(s);
    return s.Bytes();
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& b, size_t at, size_t n) {
    return std::vector<uint8_t>(b.begin() + at, b.begin() + at + n);
}

} // namespace

TEST(LineLibrary, SegmentToleranceRectanglesScalingOverflowAndArcSin) {
    const std::tuple<Point2, Point2, Point2, bool> onSegment[] = {
        {{50, 9}, {0, 0}, {100, 10}, true},    // 4 below a shallow segment
        {{50, 10}, {0, 0}, {100, 10}, false},  // 5 below
        {{101, 10}, {0, 0}, {100, 10}, false}, // beyond the end along the major axis
        {{-1, 0}, {0, 0}, {100, 10}, false},
        {{9, 50}, {0, 0}, {10, 100}, true}, // steep: the tolerance is along x
        {{10, 50}, {0, 0}, {10, 100}, false},
        {{5, 9}, {0, 0}, {10, 10}, true}, // |dx| = |dy| counts as shallow
        {{5, 5}, {5, 5}, {5, 5}, false},  // zero length
    };
    for (auto [pt, a, b, on] : onSegment)
        EXPECT_EQ(PointOnSegment(pt, a, b), on) << pt << " on " << a << "-" << b;

    EXPECT_EQ(LineCoefficients({0, 0}, {3, 4}).Kind, 2);
    EXPECT_DOUBLE_EQ(LineCoefficients({0, 0}, {3, 4}).Slope, 0.75);
    EXPECT_DOUBLE_EQ(LineCoefficients({1, 2}, {11, 7}).Intercept, 1.5);
    EXPECT_EQ(LineCoefficients({2, 3}, {2, 3}).Kind, 0);

    EXPECT_TRUE(RectsOverlap({0, 0}, {10, 10}, {5, 5}, {15, 15}));
    EXPECT_FALSE(RectsOverlap({0, 0}, {10, 10}, {10, 0}, {20, 10})); // touching edges
    EXPECT_TRUE(RectsOverlap({0, 0}, {10, 10}, {2, 2}, {3, 3}));     // contained
    EXPECT_TRUE(PointInSquare({10, 10}, 2, {12, 8}));
    EXPECT_FALSE(PointInSquare({10, 10}, 2, {13, 10}));
    // Halves go to even.
    EXPECT_EQ(ScalePoint({5, 255}, 0.5), (Point2{2, 128}));
    EXPECT_EQ(UnscalePoint({1275, 3}, 2.0), (Point2{638, 2}));
    EXPECT_THROW(AddPoints({INT32_MAX, 0}, {1, 0}), std::overflow_error);
    EXPECT_THROW(SubPoints({0, INT32_MIN}, {0, 1}), std::overflow_error);

    EXPECT_DOUBLE_EQ(ArcSin(1), M_PI / 2);
    EXPECT_DOUBLE_EQ(ArcSin(-1), -M_PI / 2);
    EXPECT_NEAR(ArcSin(0.5), M_PI / 6, 1e-15);
    EXPECT_TRUE(std::isnan(ArcSin(1.5)));
    EXPECT_TRUE(std::isnan(ArcSin(NAN)));
}

TEST(Figures, GroupSets) {
    TFCPoint p;
    p.Groups = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    p.AddGroup(5);
    p.AddGroup(0);
    EXPECT_EQ(p.Groups, (TFCGroups{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    p.AddGroup(11); // full: slot 1 is overwritten
    EXPECT_EQ(p.Groups, (TFCGroups{11, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    p.Groups = {3, 5, 0, 7};
    p.RemoveGroup(3);
    EXPECT_EQ(p.Groups, (TFCGroups{5, 7}));

    TFCPoint source, target;
    source.Groups = {0, 4, 0, 9};
    target.Groups = {1, 2, 3};
    source.CopyGroupsTo(target);
    EXPECT_EQ(target.Groups, (TFCGroups{4, 9}));
}

TEST(Records, MarkerBytes) {
    TFCPoint p({-2, 300}, clYellow, msEnd, 4);
    p.State = fcMarker;
    p.Scale = 2.5;
    p.Groups = {7};
    std::vector<uint8_t> expected = {8, 'T', 'F', 'C', 'P', 'o', 'i', 'n', 't'};
    expected.resize(33, 0);
    for (uint8_t b : {0xFF, 0xFF, 0x00, 0x00,                         // colour
                      0xFE, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0,    0,    // x -2, y 300
                      4,    0,    0,    0,                            // size
                      5,                                              // state
                      1,    0,    0,    0,                            // style
                      0,    0,    0,    0,    0,    0,    0x04, 0x40, // 2.5
                      7,    0,    0,    0})
        expected.push_back(b);
    expected.resize(102, 0);
    EXPECT_EQ(recordOf(p), expected);

    TFCPoint back;
    TFCStream s(expected);
    back.LoadFromStream(s);
    EXPECT_EQ(recordOf(back), expected);

    // Another class name: only the name is read.
    TFCStream other(recordOf(TFCPolygon()));
    back.LoadFromStream(other);
    EXPECT_EQ(other.Remaining(), recordOf(TFCPolygon()).size() - 33);
    EXPECT_EQ(back.Pos, (Point2{-2, 300}));
}

TEST(Records, LineAndPolylineLayoutAndDamagedRecords) {
    TFCMultiLine line = makePolyline({{1, 2}, {3, 4}, {5, 6}});
    line.Name = "outline";
    line.Id = 1;
    line.Caption = std::string(200, 'c'); // cut to 128
    line.State = fcWhole;
    line.Style = -1;
    line.PenWidth = 3;
    line.HitIndex = 0x01020304;
    line.Scale = 1.0;
    const std::vector<uint8_t> b = recordOf(line);
    ASSERT_EQ(b.size(), size_t(TFCLine::RecordSize + 4 + TFCPoint::RecordSize + 4));
    const std::pair<size_t, std::vector<uint8_t>> fields[] = {
        {0, {12, 'T', 'F', 'C', 'M', 'u', 'l', 't', 'i', 'L', 'i', 'n', 'e', 0}},
        {33, {7, 'o', 'u', 't', 'l', 'i', 'n', 'e', 0}},
        {66, {1, 0, 0, 0}},                                       // Id
        {110, {0, 0, 0, 0}},                                      // Color
        {114, {8, 'T', 'F', 'C', 'P'}},                           // start marker
        {114 + 33 + 4, {1, 0, 0, 0, 2, 0}},                       // its position
        {216 + 33 + 4, {5, 0, 0, 0, 6, 0}},                       // end marker position
        {318, {0, 3, 0, 0, 0, 128, 'c'}},                         // PenStyle, PenWidth, Caption
        {452, {6, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF, 15, 0, 0, 0, 1}}, // State .. ArrowMode
        {464, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},                    // Scale 1.0
        {472, {1, 0, 0, 0, 8, 'T', 'F', 'C'}},                    // Count, first marker
        {472 + 4 + 102, {4, 3, 2, 1}},                            // HitIndex
    };
    for (const auto& [at, bytes] : fields)
        EXPECT_EQ(slice(b, at, bytes.size()), bytes) << at;

    TFCMultiLine back;
    TFCStream s(b);
    back.LoadFromStream(s);
    EXPECT_EQ(recordOf(back), b);
    EXPECT_EQ(s.Remaining(), 0u);

    // A damaged record is refused.
    TFCStream truncated(std::vector<uint8_t>(b.begin(), b.end() - 10));
    EXPECT_THROW(back.LoadFromStream(truncated), EFCStreamError);
    std::vector<uint8_t> damaged = b;
    damaged[472] = 0xFF; // a vertex count far beyond the record
    TFCStream huge(damaged);
    EXPECT_THROW(back.LoadFromStream(huge), EFCStreamError);
    damaged[33] = 40; // a name longer than its field
    TFCStream badName(damaged);
    EXPECT_THROW(back.LoadFromStream(badName), EFCStreamError);
}

TEST(HitTests, LineAndPolyline) {
    TFCMultiLine square = makePolyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const std::pair<Point2, uint8_t> hits[] = {
        {{1, 1}, fcFirstVertex}, {{0, 99}, fcLastVertex}, {{100, 2}, fcMidPoints},
        {{50, 3}, fcWhole},      {{50, 50}, fcNone},      {{0, 50}, fcNone}, // start-end chord
    };
    for (auto [pt, code] : hits)
        EXPECT_EQ(square.HitTest(pt), code) << pt;
    square.Editable = false;
    EXPECT_EQ(square.HitTest({1, 1}), fcNone);
    square.Editable = true;
    square.Style = fcHidden;
    EXPECT_EQ(square.HitTest({50, 3}), fcNone);
    square.Style = 0;

    // A rectangle is half-open and selects the intermediate vertices inside it.
    EXPECT_EQ(square.HitTestRect({-5, -5}, {0, 0}), fcNone);
    EXPECT_EQ(square.HitTestRect({-5, -5}, {1, 1}), fcFirstVertex);
    EXPECT_EQ(square.HitTestRect({90, -10}, {110, 110}), fcMidPoints);
    EXPECT_EQ(square.Selected.size(), 2u);
    EXPECT_EQ(square.StartPoint.State, fcNone); // the earlier rectangle's mark is gone
    // Pressing on one selected vertex keeps the whole selection, which then moves together.
    EXPECT_EQ(square.HitTest({100, 100}), fcMidPoints);
    EXPECT_EQ(square.Selected.size(), 2u);
    square.MoveHandle({105, 100}, {100, 100});
    EXPECT_EQ(positions(square), (std::vector<Point2>{{0, 0}, {105, 0}, {105, 100}, {0, 100}}));

    TFCLine line;
    line.EndPoint.Pos = {10, 10};
    EXPECT_EQ(line.HitTestRect({0, 0}, {11, 11}), fcWhole);
    EXPECT_EQ(line.StartPoint.State, fcMarker);
    EXPECT_EQ(line.HitTestRect({0, 0}, {10, 10}), fcNone);
}

TEST(Polyline, AddPoint) {
    // On the second segment: index 1, with the groups of the vertex that begins it.
    TFCMultiLine line = makePolyline({{0, 0}, {100, 0}, {100, 100}, {200, 100}, {200, 200}});
    line.Points[0]->Groups = {4};
    line.AddPoint({100, 50});
    ASSERT_EQ(line.Count(), 4);
    EXPECT_EQ(line.Points[1]->Pos, (Point2{100, 50}));
    EXPECT_EQ(line.Points[1]->Groups, (TFCGroups{4}));
    EXPECT_EQ(line.Points[1]->Style, msVertex);

    // On the first and the last segment of a closed outline: the last wins, appended at the end.
    TFCMultiLine closed = makePolyline({{0, 0}, {100, 0}, {100, 100}, {0, 0}});
    closed.AddPoint({2, 1});
    EXPECT_EQ(positions(closed),
              (std::vector<Point2>{{0, 0}, {100, 0}, {100, 100}, {2, 1}, {0, 0}}));

    // Off the line: the outline goes on past its end.
    closed.AddPoint({300, 300});
    EXPECT_EQ(closed.Count(), 4);
    EXPECT_EQ(closed.Points[3]->Pos, (Point2{0, 0}));
    EXPECT_EQ(closed.EndPoint.Pos, (Point2{300, 300}));
}

TEST(Polyline, SelectionIsRun) {
    // Closed, selected (start, three intermediate vertices, end), a run.
    const std::tuple<bool, std::vector<int>, bool> cases[] = {
        {true, {0, 0, 0, 1, 1}, true},  // end and last intermediate
        {true, {1, 0, 1, 0, 0}, false}, // start and second intermediate: a gap
        {true, {0, 1, 0, 0, 0}, false}, // one vertex
        {true, {1, 1, 1, 0, 0}, true},
        {true, {1, 1, 0, 0, 1}, true}, // the end counts as the start here
        {true, {1, 1, 1, 1, 1}, true},
        {false, {0, 1, 1, 1, 0}, true},
        {false, {0, 1, 0, 1, 0}, false},
        {false, {1, 0, 0, 0, 1}, false}, // an open line does not wrap
    };
    for (const auto& [closed, selected, run] : cases) {
        TFCMultiLine line = makePolyline(
            {{0, 0}, {10, 0}, {10, 10}, {0, 10}, closed ? Point2{0, 0} : Point2{0, 5}});
        for (int i = 0; i < 5; ++i)
            line.Vertex(i).State = selected[i] ? fcMarker : fcNone;
        EXPECT_EQ(line.SelectionIsRun(), run) << ::testing::PrintToString(selected);
    }
}

TEST(Polyline, SelectionAndGroupCommands) {
    TFCMultiLine line = makePolyline({{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}});
    line.HitTestRect({5, -5}, {35, 5});
    line.Points[1]->State = fcNone; // deselected without leaving Selected
    line.AddGroupToSelected(3);
    EXPECT_EQ(line.Points[0]->Groups[0], 3);
    line.DeleteSelected();
    EXPECT_EQ(positions(line), (std::vector<Point2>{{0, 0}, {20, 0}, {40, 0}}));
    ASSERT_EQ(line.Selected.size(), 1u);
    EXPECT_EQ(line.Selected[0], line.Points[0].get());

    // Selecting a group shows exactly its vertices.
    line.Points[0]->Groups = {};
    line.EndPoint.Groups = {3};
    line.StartPoint.State = fcMarker;
    line.State = fcNone;
    line.SelectGroup(3);
    EXPECT_EQ(line.StartPoint.State, fcNone);
    EXPECT_EQ(line.EndPoint.State, fcMarker);
    EXPECT_TRUE(line.Selected.empty());
    EXPECT_EQ(line.State, fcWhole);
    line.RemoveGroupFromSelected(3);
    EXPECT_EQ(line.EndPoint.Groups, TFCGroups{});
}

TEST(Polyline, ShapeCommands) {
    TFCMultiLine line = makePolyline({{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}});
    line.InscribeInEllipse(); // counter-clockwise on screen from the rightmost point
    EXPECT_EQ(positions(line),
              (std::vector<Point2>{{200, 50}, {100, 0}, {0, 50}, {100, 100}, {200, 50}}));

    line = makePolyline({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    for (int i = 0; i < 4; ++i)
        line.Vertex(i).Groups = {i + 1};
    line.Reverse();
    EXPECT_EQ(positions(line), (std::vector<Point2>{{3, 0}, {2, 0}, {1, 0}, {0, 0}}));
    EXPECT_EQ(line.StartPoint.Groups[0], 1); // the ends keep their groups
    EXPECT_EQ(line.Points[0]->Groups[0], 3);
    EXPECT_EQ(line.Points[1]->Groups[0], 2);

    TFCMultiLine one = makePolyline({{0, 0}, {5, 5}, {9, 0}});
    one.CloseShape();
    EXPECT_EQ(one.EndPoint.Pos, (Point2{9, 0}));
    line.CloseShape();
    EXPECT_EQ(line.EndPoint.Pos, (Point2{3, 0}));
}

TEST(Polyline, VertexExchangeKeepsToOneHundred) {
    std::vector<OutlineVertex> records(120);
    for (int i = 0; i < 120; ++i)
        records[i] = {i, 2 * i, {0, i, i}};
    TFCMultiLine line;
    line.SetVertices(records.data(), 120);
    EXPECT_EQ(line.VertexCount(), 100);
    EXPECT_EQ(line.StartPoint.Groups, (TFCGroups{0, 0, 0})); // exactly record 0's slots
    EXPECT_EQ(line.Points[0]->Groups, (TFCGroups{1}));       // entered with AddGroup
    EXPECT_EQ(line.EndPoint.Groups, (TFCGroups{0, 99, 99}));

    for (int i = 0; i < 20; ++i)
        line.AppendPoint({1000 + i, 0});
    std::vector<OutlineVertex> out(MaxOutlineVertices);
    EXPECT_EQ(line.GetVertices(out.data()), MaxOutlineVertices);
    EXPECT_EQ(out[98].X, 98);
    EXPECT_EQ(out[99].X, 1019); // the end stays last

    line.SetVertices(records.data(), 0);
    EXPECT_EQ(line.VertexCount(), 120);

    TFCMultiLine copy;
    copy.Scale = 3;
    copy.Assign(line);
    EXPECT_EQ(positions(copy), positions(line));
    EXPECT_EQ(copy.Points[0]->Groups, TFCGroups{});
    EXPECT_EQ(copy.Points[0]->Scale, line.Scale);
}

TEST(Drawing, MarkersLinesAndArrowHeads) {
    const std::tuple<int32_t, uint8_t, const char*> markers[] = {
        {msHighlight, fcNone, "Rectangle 18,18 22,22 pen 0000FF/0/4 brush 00FFFF"},
        {msEnd, fcMarker, "Rectangle 18,18 22,22 pen 008000/0/4 brush 00FFFF"},
        {msVertex, fcNone, "Rectangle 18,18 22,22 pen 000000/0/1 brush 00FFFF"},
    };
    for (auto [style, state, call] : markers) {
        TFCPoint p({10, 10}, clYellow, style, 3);
        p.State = state;
        p.SetScale(2);
        RecordingCanvas canvas;
        p.Draw(canvas);
        EXPECT_EQ(canvas.Calls, std::vector<std::string>{call});
    }
    TFCPoint hidden({10, 10}, clYellow, fcHidden, 4);
    RecordingCanvas canvas;
    hidden.Draw(canvas);
    EXPECT_TRUE(canvas.Calls.empty());

    TFCLine line;
    line.EndPoint.Pos = {100, 0};
    line.Color = clBlue;
    line.SetScale(2);
    line.DrawLine(canvas);
    // The straight line's arrow grows with the zoom.
    EXPECT_EQ(canvas.Calls,
              (std::vector<std::string>{"Line 0,0 200,0 pen FF0000/0/1",
                                        "Polygon 200,0 171,6 171,-6 pen FF0000/0/1 brush FF0000"}));

    line.PenStyle = psDash;
    line.PenWidth = 3;
    line.ArrowMode = amNone;
    line.State = fcWhole;
    line.StartPoint.State = fcMarker;
    canvas.Calls.clear();
    line.DrawLine(canvas);
    EXPECT_EQ(canvas.Calls, (std::vector<std::string>{
                                "Line 0,0 200,0 pen 0000FF/1/1", "Line 1,0 201,0 pen 0000FF/1/1",
                                "Line 2,0 202,0 pen 0000FF/1/1",
                                "Rectangle -2,-2 2,2 pen 008000/0/4 brush 00FFFF",
                                "Rectangle 198,-2 202,2 pen 000000/0/1 brush 00FF00"}));

    line.EndPoint.Pos = line.StartPoint.Pos; // coinciding ends: nothing
    canvas.Calls.clear();
    line.DrawLine(canvas);
    EXPECT_TRUE(canvas.Calls.empty());

    // The polyline's arrow keeps its size; it points from the last intermediate vertex.
    TFCMultiLine poly = makePolyline({{0, 50}, {0, 0}, {100, 0}});
    poly.SetScale(2);
    canvas.Calls.clear();
    poly.DrawLine(canvas);
    EXPECT_EQ(canvas.Calls,
              (std::vector<std::string>{"Polyline 0,100 0,0 200,0 pen 000000/0/1",
                                        "Polygon 200,0 185,3 185,-3 pen 000000/0/1 brush 000000"}));
    poly.ArrowMode = amAtStart;
    canvas.Calls.clear();
    poly.DrawLine(canvas);
    EXPECT_EQ(canvas.Calls[1], "Polygon 0,100 -3,85 3,85 pen 000000/0/1 brush 000000");
}

TEST(Frame, ResizeHitAndDraw) {
    // The part dragged, resizable, to where; the frame's left, top, width and height then.
    const std::tuple<uint8_t, bool, Point2, std::vector<int32_t>> cases[] = {
        {fcCorner3, true, {50, 60}, {10, 10, 40, 50}},
        {fcCorner3, true, {0, 0}, {10, 10, 5, 5}}, // never turns over
        {fcFirstVertex, true, {5, 0}, {5, 0, 25, 30}},
        {fcLastVertex, true, {40, 5}, {10, 5, 30, 25}},
        {fcCorner4, true, {0, 40}, {0, 10, 30, 30}},
        {fcInside, true, {15, 16}, {15, 16, 20, 20}}, // moved by pt - (10, 10)
        {fcCorner3, false, {50, 60}, {10, 10, 20, 20}},
    };
    for (const auto& [state, resizable, pt, want] : cases) {
        TFCPolygon frame(10, 10, 20, 20);
        frame.State = state;
        frame.Resizable = resizable;
        frame.ResizeTo(pt, {10, 10});
        EXPECT_EQ((std::vector<int32_t>{frame.Left, frame.Top, frame.Width, frame.Height}), want)
            << int(state) << " " << pt;
    }

    TFCPolygon frame(10, 10, 20, 20);
    EXPECT_EQ(frame.HitTest({11, 9}), fcFirstVertex);
    EXPECT_EQ(frame.HitTest({20, 20}), fcInside);
    EXPECT_EQ(frame.HitTest({33, 20}), fcNone);
    EXPECT_EQ(frame.HitTestRect({0, 0}, {15, 15}), fcInside);

    RecordingCanvas canvas;
    frame.State = fcNone;
    frame.UpdateAndDraw(canvas);
    EXPECT_TRUE(canvas.Calls.empty());
    frame.State = fcCorner3;
    frame.UpdateAndDraw(canvas);
    ASSERT_EQ(canvas.Calls.size(), 17u);
    EXPECT_EQ(canvas.Calls[0], "Rectangle 10,10 30,30 pen 0000FF/2/1 brush clear");
    EXPECT_EQ(canvas.Calls[1], "Rectangle 13,8 17,12 pen 000000/0/1 brush FFFFFF");  // a handle
    EXPECT_EQ(canvas.Calls[16], "Rectangle 8,28 12,32 pen 000000/0/1 brush FFFFFF"); // corner 4
}
