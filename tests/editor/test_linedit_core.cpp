// The polyline edit control's logic driven headless with pixel events: gestures, selection,
// arrow keys, zoom, painting through a recording canvas, and undo.
#include "FigureUtil.h"
#include "RecordingCanvas.h"

#include "editor/UnMultiLineEditCore.h"
#include "editor/UnTFCStream.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

struct FakeView : TMultiLineEditView {
    TFCBounds Bounds{0, 0, 1275, 1275};
    int Paints = 0;
    std::vector<TFCCursor> Cursors;
    std::vector<std::string> Selections;
    void RequestPaint() override { ++Paints; }
    TFCBounds GetBounds() const override { return Bounds; }
    void SetBounds(const TFCBounds& b) override { Bounds = b; }
    void ShowCursor(TFCCursor c) override { Cursors.push_back(c); }
    void FigureSelected(const std::string& name) override { Selections.push_back(name); }
};

// The control as the editor window sets it up: grid 15 without snapping, a blue 100-unit
// segment from the centre to the right, zoom 100 %.
class LineEdit : public ::testing::Test {
  protected:
    FakeView view;
    TMultiLineEditCore edit{view};

    void SetUp() override {
        edit.snapToGrid = false;
        edit.SetGridDx(15);
        edit.SetGridDy(15);
        edit.TemplateLine.Color = clBlue;
        edit.TemplateLine.StartPoint.Pos = {638, 638};
        edit.TemplateLine.EndPoint.Pos = {738, 638};
        edit.NewLine();
        edit.SetZoomPercent(100);
    }
    void setOutline(std::initializer_list<Point2> points) {
        std::vector<OutlineVertex> records;
        for (Point2 p : points)
            records.push_back({p.X, p.Y, {}});
        edit.SetVertices(records.data(), int32_t(records.size()));
    }
    // Press at the first point, drag through the others, release at the last.
    void gesture(std::initializer_list<Point2> path, bool shift = false) {
        const Point2 first = *path.begin(), last = *(path.end() - 1);
        edit.MouseDown(TFCMouseButton::Left, shift, first.X, first.Y);
        for (auto p = path.begin() + 1; p != path.end(); ++p)
            edit.MouseMove(shift, p->X, p->Y);
        edit.MouseUp(TFCMouseButton::Left, shift, last.X, last.Y);
    }
    RecordingCanvas paint() {
        RecordingCanvas canvas;
        edit.Paint(canvas);
        return canvas;
    }
};

} // namespace

TEST_F(LineEdit, DraggingParts) {
    gesture({{638, 638}, {650, 620}, {700, 600}}); // the start marker
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{700, 600}, {738, 638}}));
    EXPECT_EQ(edit.LastMode, mmDragPart);
    EXPECT_EQ(edit.LastAction, fcFirstVertex);
    EXPECT_EQ(edit.Mode, mmIdle);
    EXPECT_EQ(view.Cursors, (std::vector<TFCCursor>{TFCCursor::Cross, TFCCursor::Default}));
    EXPECT_EQ(view.Selections, std::vector<std::string>{"TFCMultiLine"});
    EXPECT_EQ(edit.TemplateLine.StartPoint.Pos, (Point2{700, 600})); // the template follows

    // At 200 % a pixel is half a unit: the segment under the press moves the whole line.
    setOutline({{638, 638}, {738, 638}});
    edit.SetZoomPercent(200);
    EXPECT_EQ(view.Bounds.Width, 2550);
    gesture({{1376, 1277}, {1386, 1287}, {1396, 1297}});
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{648, 648}, {748, 648}}));
    EXPECT_EQ(edit.LastAction, fcWhole);
    EXPECT_EQ(view.Cursors[2], TFCCursor::Drag);

    // Snapping puts every vertex on the grid at the release.
    edit.SetZoomPercent(100);
    edit.snapToGrid = true;
    setOutline({{600, 600}, {700, 600}, {700, 700}});
    gesture({{700, 600}, {707, 611}});
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 600}, {705, 615}, {705, 705}}));
}

TEST_F(LineEdit, RubberBandSelectsAndArrowsNudge) {
    setOutline({{600, 600}, {700, 600}, {700, 700}});
    gesture({{650, 600}}); // select the line by clicking it
    ASSERT_EQ(edit.Line.State, fcWhole);

    // A click on empty space: a 2 x 2 band that holds nothing; the line is deselected.
    gesture({{100, 100}});
    EXPECT_EQ(edit.Line.State, fcNone);
    EXPECT_EQ(edit.LastMode, mmRubberBand);
    EXPECT_EQ(view.Selections.size(), 1u);

    // A band around the intermediate vertex selects it; the arrow keys move it one pixel per press.
    gesture({{690, 590}, {710, 610}});
    EXPECT_EQ(edit.Line.State, fcMidPoints);
    EXPECT_EQ(edit.LastMode, mmDragPart);
    edit.ArrowNudge(TFCArrowKey::Right);
    edit.ArrowNudge(TFCArrowKey::Right);
    edit.ArrowNudge(TFCArrowKey::Down);
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 600}, {702, 601}, {700, 700}}));

    // Pressing on the selected vertex drags the selection, elsewhere on the line the line.
    gesture({{702, 601}, {712, 601}});
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 600}, {712, 601}, {700, 700}}));
    gesture({{650, 600}, {650, 610}});
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 610}, {712, 611}, {700, 710}}));
}

TEST_F(LineEdit, ShiftMovesTheSelectionWithItsFrame) {
    setOutline({{600, 600}, {700, 600}, {700, 700}});
    edit.MouseDown(TFCMouseButton::Left, true, 650, 600);
    EXPECT_EQ(edit.Mode, mmMoveSelection);
    edit.MouseMove(true, 660, 620);
    // While moving only the frame follows; the outline waits for the release.
    RecordingCanvas during = paint();
    EXPECT_EQ(during.Only("Rectangle 610,620 710,720 pen 0000FF/2/1 brush clear").size(), 1u);
    EXPECT_EQ(edit.Line.StartPoint.Pos, (Point2{600, 600}));
    edit.MouseUp(TFCMouseButton::Left, true, 660, 620);
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{610, 620}, {710, 620}, {710, 720}}));
    EXPECT_EQ(edit.LastMode, mmMoveSelection);
    EXPECT_TRUE(paint().Only("Rectangle 610").empty()); // the frame goes with the gesture

    // Arrows after such a gesture move the frame alone, which shows.
    edit.ArrowNudge(TFCArrowKey::Left);
    EXPECT_EQ(paint().Only("Rectangle 609,620 709,720 pen 0000FF/2/1 brush clear").size(), 1u);
    EXPECT_EQ(edit.Line.StartPoint.Pos, (Point2{610, 620}));
}

TEST_F(LineEdit, PaintsBackgroundGridOutlineAndBand) {
    RecordingCanvas idle = paint();
    EXPECT_EQ(idle.Calls.front(), "FillRect 0,0 1275,1275 brush FFFFFF");
    EXPECT_EQ(idle.Calls[1], "Line 15,0 15,1275 pen C8C8C8/2/1");
    EXPECT_EQ(idle.Only("Line").size(), 170u); // 85 each way, none at 0
    EXPECT_EQ(idle.Only("Polyline"),
              std::vector<std::string>{"Polyline 638,638 738,638 pen FF0000/0/1"});
    EXPECT_TRUE(idle.Only("Rectangle").empty());

    // During a rubber band: the band with its handles over the deselected outline.
    edit.MouseDown(TFCMouseButton::Left, false, 100, 100);
    edit.MouseMove(false, 140, 130);
    RecordingCanvas band = paint();
    EXPECT_EQ(band.Only("Rectangle").size(), 17u);
    EXPECT_EQ(band.Only("Rectangle")[0], "Rectangle 100,100 140,130 pen 0000FF/2/1 brush clear");
    edit.MouseUp(TFCMouseButton::Left, false, 140, 130);
    EXPECT_TRUE(paint().Only("Rectangle").empty());

    // A dragged line is drawn selected at its new place, with its markers.
    edit.MouseDown(TFCMouseButton::Left, false, 688, 638);
    edit.MouseMove(false, 688, 648);
    RecordingCanvas drag = paint();
    EXPECT_EQ(drag.Only("Polyline"),
              std::vector<std::string>{"Polyline 638,648 738,648 pen 0000FF/0/1"});
    EXPECT_EQ(drag.Only("Rectangle").size(), 2u);

    // Grid steps below 10 pixels start at twice the step.
    edit.MouseUp(TFCMouseButton::Left, false, 688, 648);
    edit.SetZoomPercent(50);
    RecordingCanvas half = paint();
    EXPECT_EQ(half.Calls[1], "Line 16,0 16,680 pen C8C8C8/2/1");
    EXPECT_EQ(half.Calls[2], "Line 24,0 24,680 pen C8C8C8/2/1");
    EXPECT_EQ(half.Only("Line").size(), 2 * 84u);
}

TEST_F(LineEdit, ZoomArithmeticAndDegenerateSizesAndSteps) {
    // Grid step, grid drawn, zoom asked for; zoom and control width got.
    const std::tuple<int32_t, bool, int32_t, double, int32_t> cases[] = {
        {15, true, 125, 1.267, 1615}, // 19 / 15, to three decimals
        {50, true, 125, 1.24, 1581},  // 62.5 pixels round to 62
        {15, false, 125, 1.25, 1594},
        {15, true, 9, 1.0, 1275}, // outside 10..1000: ignored
        {15, true, 1001, 1.0, 1275},
        {1, true, 10, 1.0, 1275},  // a grid step never shrinks below one pixel
        {0, true, 250, 2.5, 3188}, // a step below 1 is 50
    };
    for (auto [grid, drawGrid, percent, zoom, width] : cases) {
        SCOPED_TRACE(testing::Message() << grid << " " << percent);
        edit.SetZoomPercent(100);
        edit.SetGridDx(grid);
        edit.SetGridDy(grid);
        edit.DrawGrid = drawGrid;
        edit.SetZoomPercent(percent);
        EXPECT_EQ(edit.Zoom, zoom);
        EXPECT_EQ(edit.Line.Scale, zoom);
        EXPECT_EQ(view.Bounds.Width, width);
    }
    edit.SetZoomPercent(100);
    view.Bounds = {0, 0, 0, 0};
    EXPECT_EQ(paint().Only("Line").size(), 0u);
    // One-pixel grid at 10 %: a line every pixel from 2, and an end.
    view.Bounds = {0, 0, 1275, 1275};
    edit.DrawGrid = false;
    edit.SetZoomPercent(10);
    edit.SetGridDx(1);
    edit.SetGridDy(1);
    edit.DrawGrid = true;
    EXPECT_EQ(paint().Only("Line").size(), 2 * 127u);
}

TEST_F(LineEdit, BackgroundPlacedAndBrightenedOnce) {
    TFCBitmap picture{4, 2, std::vector<uint8_t>(24, 200), 0};
    picture.Pixels[0] = 10;
    edit.SetBackgroundPicture(picture);
    edit.BackgroundScale = 2;
    edit.BackgroundOffset = {10, -5};
    edit.SetBackgroundBrightness(100);
    RecordingCanvas first = paint();
    EXPECT_EQ(first.Calls[0], "FillRect 0,0 1275,1275 brush FFFFFF"); // smaller than the control
    EXPECT_EQ(first.Calls[1], "StretchDraw 644,631 652,635");         // 633.5 and 635.5 to even
    EXPECT_EQ(first.Picture.Pixels[0], 110);
    EXPECT_EQ(first.Picture.Pixels[1], 255);
    EXPECT_EQ(paint().Picture.Version, first.Picture.Version); // kept, not recomputed
    edit.SetBackgroundBrightness(-50);
    RecordingCanvas darker = paint();
    EXPECT_NE(darker.Picture.Version, first.Picture.Version);
    EXPECT_EQ(darker.Picture.Pixels[0], 0);
    EXPECT_EQ(darker.Picture.Pixels[1], 150);
}

TEST_F(LineEdit, UndoIsOnePerGestureWalksBackOverTheRingAndRedoIsDroppedByANewChange) {
    edit.HostScale = 37;
    edit.HostClosed = true;
    edit.Snapshot();
    TFCStream record;
    record.WriteDouble(1.0);
    record.WriteInt32(37);
    record.WriteBoolean(true);
    edit.Line.SaveToStream(record);
    record.WriteInt32(2); // the two vertices' heights
    record.WriteDouble(0);
    record.WriteDouble(0);
    EXPECT_EQ(edit.Snapshots().back(), record.Bytes()); // zoom, host fields, record, heights
    edit.HostScale = 100;
    edit.HostClosed = false;
    ASSERT_TRUE(edit.Undo()); // the host's fields come back with the outline
    EXPECT_EQ(edit.HostScale, 37);
    EXPECT_TRUE(edit.HostClosed);
    edit.ClearUndo();
    edit.BeginChange(); // a change of the host's fields alone is a step too
    edit.HostScale = 50;
    EXPECT_TRUE(edit.EndChange());
    edit.ClearUndo();

    for (int x = 738; x < 778; ++x)
        gesture({{x, 638}, {x + 1, 638}}); // 40 moves of the end
    EXPECT_EQ(edit.UndoCount(), TMultiLineEditCore::MaxSnapshots);
    for (int k = 1; k <= 32; ++k) {
        ASSERT_TRUE(edit.Undo());
        EXPECT_EQ(edit.Line.EndPoint.Pos.X, 778 - k);
    }
    EXPECT_FALSE(edit.Undo()); // exhausted: nothing older, nothing newer comes back
    EXPECT_EQ(edit.Line.EndPoint.Pos.X, 746);

    // An undo comes back at the zoom shown now, with its intermediate vertices.
    setOutline({{600, 600}, {650, 650}, {700, 600}});
    edit.Snapshot();
    edit.DeleteSelected();
    edit.SetZoomPercent(200);
    setOutline({{0, 0}, {1, 1}});
    ASSERT_TRUE(edit.Undo());
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 600}, {650, 650}, {700, 600}}));
    EXPECT_EQ(edit.Zoom, 2.0);
    EXPECT_EQ(edit.Line.Points[0]->Scale, 2.0);

    // A click or an empty band changes nothing and takes no undo point.
    edit.SetZoomPercent(100);
    setOutline({{600, 600}, {700, 600}});
    edit.ClearUndo();
    gesture({{700, 600}});                         // a click: selects, changes nothing
    gesture({{650, 700}, {660, 710}, {900, 900}}); // a band that selects nothing
    EXPECT_EQ(edit.UndoCount(), 0);
    for (int x : {710, 720, 730})
        gesture({{x - 10, 600}, {x, 600}}); // three drags of the end
    EXPECT_EQ(edit.UndoCount(), 3);
    ASSERT_TRUE(edit.Undo());
    ASSERT_TRUE(edit.Undo());
    EXPECT_EQ(edit.Line.EndPoint.Pos.X, 710);
    EXPECT_EQ(std::make_pair(edit.UndoCount(), edit.RedoCount()), std::make_pair(1, 2));
    ASSERT_TRUE(edit.Redo());
    EXPECT_EQ(edit.Line.EndPoint.Pos.X, 720);
    gesture({{720, 600}, {740, 600}}); // a new change: nothing left to redo
    EXPECT_EQ(edit.RedoCount(), 0);
    EXPECT_FALSE(edit.Redo());
    EXPECT_EQ(edit.Line.EndPoint.Pos.X, 740);
}

TEST_F(LineEdit, ClearAndNewLine) {
    setOutline({{600, 600}, {650, 650}, {700, 600}});
    edit.SetZoomPercent(200);
    edit.Clear();
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{600, 600}, {700, 600}}));
    EXPECT_EQ(edit.Zoom, 1.0);
    EXPECT_EQ(edit.Line.Scale, 1.0);
    EXPECT_EQ(view.Bounds.Width, 1275);

    edit.snapToGrid = true;
    edit.TemplateLine.Style = 2;
    edit.NewLine();
    EXPECT_EQ(positions(edit.Line), (std::vector<Point2>{{645, 645}, {735, 645}}));
    EXPECT_EQ(edit.Line.Style, 0);
    EXPECT_EQ(edit.Line.Id, 1);
    EXPECT_EQ(edit.Line.Color, clBlue);
}

TEST_F(LineEdit, DoubleClickingTheStartClosesKeepingGroupsAClosedOutlineTakesPointsOnSegments) {
    using R = TMultiLineEditCore::TDblClick;
    std::vector<OutlineVertex> r(3);
    r[0] = {600, 600, {1}};
    r[1] = {700, 600, {1, 2}};
    r[2] = {700, 500, {2}};
    edit.SetVertices(r.data(), 3);
    EXPECT_FALSE(edit.IsClosed());
    // Press, release, double click, release on the start: one gesture, one undo step.
    const int before = edit.UndoCount();
    gesture({{601, 601}});
    edit.BeginChange();
    EXPECT_EQ(edit.DoubleClick({601, 601}), R::Closed);
    edit.EndChange();
    gesture({{601, 601}});
    EXPECT_EQ(positions(edit.Line),
              (std::vector<Point2>{{600, 600}, {700, 600}, {700, 500}, {600, 600}}));
    EXPECT_TRUE(edit.IsClosed());
    EXPECT_EQ(edit.UndoCount(), before + 1);
    EXPECT_TRUE(edit.Line.Points[1]->HasGroup(2)); // the old end keeps its groups where it stood
    EXPECT_TRUE(edit.Line.EndPoint.HasGroup(1));   // the new end shares the start's groups
    EXPECT_FALSE(edit.Line.EndPoint.HasGroup(2));

    // Off the line nothing is added; on a segment a point is inserted; on a vertex nothing.
    const size_t n = positions(edit.Line).size();
    EXPECT_EQ(edit.DoubleClick({500, 400}), R::OffClosedOutline);
    EXPECT_EQ(edit.DoubleClick({700, 500}), R::OnVertex);
    EXPECT_EQ(edit.DoubleClick({600, 600}), R::OnVertex); // already closed: the start again
    EXPECT_EQ(positions(edit.Line).size(), n);
    EXPECT_EQ(edit.DoubleClick({650, 600}), R::Added);
    EXPECT_EQ(positions(edit.Line)[1], (Point2{650, 600}));

    // Two distinct points cannot close; Close shape on them changes nothing.
    setOutline({{600, 600}, {700, 600}});
    EXPECT_EQ(edit.DoubleClick({600, 600}), R::OnVertex);
    EXPECT_FALSE(edit.CloseOutline());
    // At the vertex limit there is no room for the closing vertex.
    std::vector<OutlineVertex> full(MaxOutlineVertices);
    for (int32_t i = 0; i < MaxOutlineVertices; ++i)
        full[size_t(i)] = {600 + i * 3, 600 + (i % 2) * 40, {}};
    edit.SetVertices(full.data(), MaxOutlineVertices);
    EXPECT_FALSE(edit.CloseOutline());
    EXPECT_EQ(edit.Line.VertexCount(), MaxOutlineVertices);
    setOutline({{600, 600}, {700, 600}});
    // An open outline grows past its end off the line.
    EXPECT_EQ(edit.DoubleClick({800, 500}), R::Added);
    EXPECT_EQ(positions(edit.Line).back(), (Point2{800, 500}));
}

TEST_F(LineEdit, ARubberBandSelectsInEveryDirectionAndOneVertexMovesExactly) {
    setOutline({{600, 600}, {650, 700}, {700, 600}});
    for (auto [from, to] : {std::pair<Point2, Point2>{{630, 680}, {670, 720}},
                            {{670, 720}, {630, 680}},
                            {{670, 680}, {630, 720}},
                            {{630, 720}, {670, 680}}}) {
        gesture({from, to});
        EXPECT_EQ(edit.SelectedVertices(), std::vector<int32_t>{1});
    }
    edit.MoveVertex(edit.SingleSelectedVertex(), {655, 645});
    EXPECT_EQ(positions(edit.Line)[1], (Point2{655, 645}));
    // The shared vertex of a closed outline counts once and moves both ends.
    setOutline({{600, 600}, {700, 600}, {700, 500}, {600, 600}});
    gesture({{590, 590}, {610, 610}});
    EXPECT_EQ(edit.SelectedVertices(), std::vector<int32_t>{0});
    edit.MoveVertex(0, {590, 610});
    EXPECT_TRUE(edit.IsClosed());
    EXPECT_EQ(edit.Line.EndPoint.Pos, (Point2{590, 610}));
}

// Heights stay with their vertices: an inserted vertex rises evenly along its segment, a deleted
// one takes its height along, reversing reverses them, closing gives the end the start's height,
// appending past the end stays at the end's height, and undo and redo bring them back.
TEST_F(LineEdit, HeightsFollowTheirVerticesThroughEveryCommandAndUndo) {
    struct Case {
        const char* name;
        std::function<void(TMultiLineEditCore&)> command;
        std::vector<float> heights;
    };
    auto select = [](TMultiLineEditCore& e, int32_t mid) {
        e.Line.Points[size_t(mid)]->State = fcMarker;
        e.Line.Selected.push_back(e.Line.Points[size_t(mid)].get());
    };
    const Case cases[] = {
        {"insert in the first segment",
         [](auto& e) {
             e.AddPoint({688, 638});
         },
         {0, 5, 10, 30}},
        {"insert three quarters along the second",
         [](auto& e) {
             e.AddPoint({738, 713});
         },
         {0, 10, 25, 30}},
        {"double click on a segment",
         [](auto& e) {
             e.DoubleClick({738, 663});
         },
         {0, 10, 15, 30}},
        {"delete the middle vertex",
         [&](auto& e) {
             select(e, 0);
             e.DeleteSelected();
         },
         {0, 30}},
        {"reverse", [](auto& e) { e.Reverse(); }, {30, 10, 0}},
        {"close", [](auto& e) { e.CloseOutline(); }, {0, 10, 30, 0}},
        {"append past the end",
         [](auto& e) {
             e.AddPoint({838, 738});
         },
         {0, 10, 30, 30}},
        {"flip keeps them", [](auto& e) { e.FlipHorizontal(700); }, {0, 10, 30}},
    };
    const float start[] = {0, 10, 30};
    const std::vector<OutlineVertex> outline = {{638, 638, {}}, {738, 638, {}}, {738, 738, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit.SetVertices(outline.data(), 3, start);
        edit.ClearUndo();
        edit.BeginChange();
        c.command(edit);
        ASSERT_TRUE(edit.EndChange());
        EXPECT_EQ(edit.Heights(), c.heights);
        ASSERT_TRUE(edit.Undo());
        EXPECT_EQ(edit.Heights(), std::vector<float>(start, start + 3));
        ASSERT_TRUE(edit.Redo());
        EXPECT_EQ(edit.Heights(), c.heights);
    }
    // A change of a height alone is an undo step of its own.
    edit.SetVertices(outline.data(), 3, start);
    edit.BeginChange();
    const float raised[] = {0, 12.5f, 30};
    edit.Line.SetHeights(raised, 3);
    EXPECT_TRUE(edit.EndChange());
    ASSERT_TRUE(edit.Undo());
    EXPECT_EQ(edit.Heights(), std::vector<float>(start, start + 3));
}
