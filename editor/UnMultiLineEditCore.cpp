// The polyline edit control's logic, free of any toolkit: the press/drag/release state machine
// over pixel positions, the rubber band and selection frame, arrow-key nudges, zoom with whole
// grid pixels, undo snapshots, and painting of background, grid, outline and frame.
#include "editor/UnMultiLineEditCore.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCStream.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

using namespace LineLibrary;

namespace {

constexpr TColor GridColor = 0xC8C8C8; // RGB 200, 200, 200

bool isDragAction(uint8_t a) {
    return (a >= 1 && a <= 4) || a == fcWhole || a == fcMidPoints;
}

} // namespace

TMultiLineEditCore::TMultiLineEditCore(TMultiLineEditView& view) : View(view) {}

void TMultiLineEditCore::SetGridDx(int32_t v) {
    FGridDx = v < 1 ? 50 : v;
}
void TMultiLineEditCore::SetGridDy(int32_t v) {
    FGridDy = v < 1 ? 50 : v;
}

void TMultiLineEditCore::SetBackgroundPicture(TFCBitmap picture) {
    FBackground = std::move(picture);
    FBackground.Version = NextVersion++;
    AdjustedValid = false;
    Invalidate();
}

void TMultiLineEditCore::SetBackgroundBrightness(int32_t v) {
    if (v == FBrightness) return;
    FBrightness = v;
    AdjustedValid = false;
    Invalidate();
}

Point2 TMultiLineEditCore::ToModel(Point2 pixel) const {
    return UnscalePoint(pixel, Zoom);
}

void TMultiLineEditCore::Select(TFCMultiLine& figure) {
    if (std::find(SelectedFigures.begin(), SelectedFigures.end(), &figure) == SelectedFigures.end())
        SelectedFigures.push_back(&figure);
}

// ---- gestures -----------------------------------------------------------------------------------

void TMultiLineEditCore::MouseDown(TFCMouseButton button, bool shift, int32_t x, int32_t y) {
    if (button != TFCMouseButton::Left) return;
    Mode = mmIdle;
    Action = fcNone;
    FrameShown = false;
    DownPoint = LastPoint = {x, y};
    if (!shift) {
        for (TFCMultiLine* f : SelectedFigures)
            f->SetState(fcNone);
        SelectedFigures.clear();
    }
    const uint8_t before = Line.State;
    Action = Line.HitTest(ToModel(LastPoint));
    if (Action != fcNone) {
        Mode = shift ? mmMoveSelection : mmDragPart;
        Select(Line);
    } else if (shift) {
        Line.State = before;
    }
    if (Mode != mmDragPart && Mode != mmMoveSelection) Mode = mmRubberBand;
    // The undo point comes before anything moves; it is kept if the gesture changes the outline.
    BeginChange();
    if (shift || Mode == mmMoveSelection) {
        Action = fcInside;
        int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
        for (TFCMultiLine* f : SelectedFigures)
            for (int32_t i = 0; i < f->VertexCount(); ++i) {
                const Point2 p = ScalePoint(f->Vertex(i).Pos, Zoom);
                minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
                minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
            }
        if (!SelectedFigures.empty()) StartFrame(minX, minY, maxX - minX, maxY - minY);
    }
    if (Mode == mmRubberBand) {
        Action = fcCorner3;
        StartFrame(x, y, 2, 2);
    }
    if (Action == fcWhole || Action == fcInside)
        View.ShowCursor(TFCCursor::Drag);
    else if (isDragAction(Action))
        View.ShowCursor(TFCCursor::Cross);
    Invalidate();
}

void TMultiLineEditCore::StartFrame(int32_t left, int32_t top, int32_t width, int32_t height) {
    SelectionFrame.Left = left;
    SelectionFrame.Top = top;
    SelectionFrame.Width = width;
    SelectionFrame.Height = height;
    SelectionFrame.State = Action;
    SelectionFrame.Resizable = true;
    SelectionFrame.SetScale(1.0);
    SelectionFrame.PlaceCorners();
    FrameShown = true;
}

void TMultiLineEditCore::MouseMove(bool, int32_t x, int32_t y) {
    if (Mode == mmDragPart)
        DragPart({x, y}, Action);
    else if (Mode == mmRubberBand || Mode == mmMoveSelection)
        FrameDrag({x, y});
}

void TMultiLineEditCore::DragPart(Point2 p, uint8_t action) {
    if (!isDragAction(action) || SelectedFigures.empty()) return;
    SelectedFigures.front()->DragDraw(ToModel(p), ToModel(LastPoint));
    LastPoint = p;
    Invalidate();
}

void TMultiLineEditCore::FrameDrag(Point2 p) {
    SelectionFrame.DragFrame(p, LastPoint);
    LastPoint = p;
    FrameShown = true;
    Invalidate();
}

void TMultiLineEditCore::MouseUp(TFCMouseButton button, bool shift, int32_t x, int32_t y) {
    if (button != TFCMouseButton::Left) return;
    const Point2 up = ToModel({x, y});
    if (!SelectedFigures.empty()) {
        if (Mode == mmMoveSelection) {
            const Point2 down = ToModel(DownPoint);
            for (TFCMultiLine* f : SelectedFigures) {
                f->MoveHandle(up, down);
                if (snapToGrid) f->SnapToGrid(FGridDx, FGridDy);
                TemplateLine.CopyFrom(*f);
            }
        } else {
            TFCMultiLine* f = SelectedFigures.front();
            if (snapToGrid) f->SnapToGrid(FGridDx, FGridDy);
            TemplateLine.CopyFrom(*f);
        }
        View.FigureSelected(SelectedFigures.front()->ClassName());
    }
    if (Mode == mmRubberBand) {
        // The band selects whichever way it was dragged.
        const uint8_t before = Line.State;
        const Point2 a = ToModel(DownPoint), b = ToModel(LastPoint);
        Action = Line.HitTestRect({std::min(a.X, b.X), std::min(a.Y, b.Y)},
                                  {std::max(a.X, b.X), std::max(a.Y, b.Y)});
        if (Action != fcNone) {
            Mode = shift ? mmMoveSelection : mmDragPart;
            Select(Line);
        } else if (shift) {
            Line.State = before;
        }
    }
    EndChange();
    LastMode = Mode;
    Mode = mmIdle;
    LastAction = Action;
    Action = fcNone;
    FrameShown = false;
    View.ShowCursor(TFCCursor::Default);
    Invalidate();
}

void TMultiLineEditCore::ArrowNudge(TFCArrowKey key) {
    if (LastMode == mmIdle) return;
    Point2 p = LastPoint;
    switch (key) {
    case TFCArrowKey::Left:
        --p.X;
        break;
    case TFCArrowKey::Up:
        --p.Y;
        break;
    case TFCArrowKey::Right:
        ++p.X;
        break;
    case TFCArrowKey::Down:
        ++p.Y;
        break;
    }
    if (LastMode == mmDragPart) DragPart(p, LastAction);
    if (LastMode == mmMoveSelection) FrameDrag(p);
}

// ---- zoom ---------------------------------------------------------------------------------------

void TMultiLineEditCore::SetZoomPercent(int32_t percent) {
    if (percent < 10 || percent > 1000) return;
    double z = percent / 100.0;
    if (DrawGrid) {
        // Both grid steps whole pixels (at least one).
        const double zx = std::max(RoundHalfEven((long double)FGridDx * z), 1) / double(FGridDx);
        const double zy = std::max(RoundHalfEven((long double)FGridDy * z), 1) / double(FGridDy);
        z = (zx + zy) / 2;
    }
    z = RoundHalfEven((long double)z * 1000) / 1000.0;
    if (BaseBounds[2] < 0) {
        const TFCBounds b = View.GetBounds();
        BaseBounds = {double(b.Top), double(b.Left), double(b.Width), double(b.Height)};
    }
    ApplyZoom(z);
    FontSize = std::max(FontSize + (z > 1.0 ? 1 : -1), 5);
    Invalidate();
}

void TMultiLineEditCore::ApplyZoom(double z) {
    Zoom = z;
    Line.SetScale(z);
    TemplateLine.SetScale(z);
    if (BaseBounds[2] < 0) return;
    TFCBounds b = View.GetBounds();
    b.Width = RoundHalfEven((long double)BaseBounds[2] * z);
    b.Height = RoundHalfEven((long double)BaseBounds[3] * z);
    View.SetBounds(b);
}

// ---- painting -----------------------------------------------------------------------------------

void TMultiLineEditCore::Paint(TFCCanvas& canvas) {
    const TFCBounds b = View.GetBounds();
    canvas.Font = {"Arial", FontSize, clBlack};
    PaintBackground(canvas, b.Width, b.Height);
    if (DrawGrid) PaintGrid(canvas, b.Width, b.Height);
    Line.DrawLine(canvas);
    if (FrameShown) SelectionFrame.UpdateAndDraw(canvas);
}

void TMultiLineEditCore::PaintBackground(TFCCanvas& canvas, int32_t width, int32_t height) {
    canvas.Brush = {Color, TFCBrushStyle::Solid};
    if (FBackground.Empty()) return canvas.FillRect(0, 0, width, height);
    const int32_t sw = RoundHalfEven((long double)FBackground.Width * BackgroundScale);
    const int32_t sh = RoundHalfEven((long double)FBackground.Height * BackgroundScale);
    if (sw < width || sh < height) canvas.FillRect(0, 0, width, height);
    if (sw < 1 || sh < 1) return;
    const int32_t x0 = RoundHalfEven((width - sw) / 2.0L) + BackgroundOffset.X;
    const int32_t y0 = RoundHalfEven((height - sh) / 2.0L) + BackgroundOffset.Y;
    canvas.StretchDraw(x0, y0, x0 + sw, y0 + sh, AdjustedBackground());
}

const TFCBitmap& TMultiLineEditCore::AdjustedBackground() {
    if (FBrightness == 0) return FBackground;
    if (!AdjustedValid) {
        FAdjusted = FBackground;
        AdjustBrightness(FAdjusted.Pixels, FAdjusted.Width, FAdjusted.Height, FBrightness);
        FAdjusted.Version = NextVersion++;
        AdjustedValid = true;
    }
    return FAdjusted;
}

void TMultiLineEditCore::PaintGrid(TFCCanvas& canvas, int32_t width, int32_t height) {
    canvas.Pen = {GridColor, psDot, 1};
    // No line at 0; a step below 10 pixels starts at twice the step.
    auto first = [](int32_t s) { return s < 10 ? 2 * s : s; };
    const int32_t sx = std::max(RoundHalfEven((long double)FGridDx * Zoom), 1);
    for (int64_t x = first(sx); x <= width; x += sx) {
        canvas.MoveTo(int32_t(x), 0);
        canvas.LineTo(int32_t(x), height);
    }
    const int32_t sy = std::max(RoundHalfEven((long double)FGridDy * Zoom), 1);
    for (int64_t y = first(sy); y <= height; y += sy) {
        canvas.MoveTo(0, int32_t(y));
        canvas.LineTo(width, int32_t(y));
    }
}

// ---- undo ---------------------------------------------------------------------------------------

std::vector<uint8_t> TMultiLineEditCore::State() const {
    TFCStream s;
    s.WriteDouble(Zoom);
    s.WriteInt32(HostScale);
    s.WriteBoolean(HostClosed);
    Line.SaveToStream(s);
    // The heights follow the figure's record, which has no room for them.
    const std::vector<float> heights = Line.Heights();
    s.WriteInt32(int32_t(heights.size()));
    for (float h : heights)
        s.WriteDouble(h);
    return s.Bytes();
}

std::vector<OutlineVertex> TMultiLineEditCore::Outline() const {
    std::vector<OutlineVertex> v(MaxOutlineVertices);
    v.resize(size_t(Line.GetVertices(v.data())));
    return v;
}

void TMultiLineEditCore::Push(std::deque<std::vector<uint8_t>>& ring, std::vector<uint8_t> state) {
    ring.push_back(std::move(state));
    if (ring.size() > MaxSnapshots) ring.pop_front();
}

void TMultiLineEditCore::Snapshot() {
    Push(UndoRing, State());
    RedoRing.clear();
}

void TMultiLineEditCore::BeginChange() {
    Pending = State();
    PendingOutline = Outline();
    PendingHeights = Heights();
    PendingScale = HostScale;
    PendingClosed = HostClosed;
}

bool TMultiLineEditCore::EndChange() {
    if (Pending.empty()) return false;
    const std::vector<OutlineVertex> now = Outline();
    const bool changed = !std::equal(now.begin(), now.end(), PendingOutline.begin(),
                                     PendingOutline.end(), VerticesEqual) ||
                         Heights() != PendingHeights || HostScale != PendingScale ||
                         HostClosed != PendingClosed;
    if (changed) {
        Push(UndoRing, std::move(Pending));
        RedoRing.clear();
    }
    Pending.clear();
    PendingOutline.clear();
    PendingHeights.clear();
    return changed;
}

void TMultiLineEditCore::Restore(std::vector<uint8_t> state) {
    TFCStream s(std::move(state));
    // The outline comes back at the zoom the control shows now, so size, grid and outline agree.
    s.ReadDouble();
    HostScale = s.ReadInt32();
    HostClosed = s.ReadBoolean();
    TFCMultiLine restored;
    restored.LoadFromStream(s);
    std::vector<float> heights(size_t(std::clamp(s.ReadInt32(), 0, MaxOutlineVertices)));
    for (float& h : heights)
        h = float(s.ReadDouble());
    restored.SetHeights(heights.data(), int32_t(heights.size()));
    Line = std::move(restored);
    Line.SetScale(Zoom);
    SelectedFigures.clear();
    if (Line.State != fcNone) SelectedFigures.push_back(&Line);
    Invalidate();
}

bool TMultiLineEditCore::Step(std::deque<std::vector<uint8_t>>& from,
                              std::deque<std::vector<uint8_t>>& to) {
    if (from.empty()) return false;
    Push(to, State());
    std::vector<uint8_t> state = std::move(from.back());
    from.pop_back();
    Restore(std::move(state));
    return true;
}

bool TMultiLineEditCore::Undo() {
    return Step(UndoRing, RedoRing);
}

bool TMultiLineEditCore::Redo() {
    return Step(RedoRing, UndoRing);
}

// ---- commands -----------------------------------------------------------------------------------

void TMultiLineEditCore::Clear() {
    Color = clWhite;
    Mode = mmIdle;
    SelectedFigures.clear();
    FrameShown = false;
    FontSize = 10;
    Line.ClearPoints();
    // The position belongs to the scroll area that holds the control.
    ApplyZoom(1.0);
    Invalidate();
}

void TMultiLineEditCore::NewLine() {
    Line.Assign(TemplateLine);
    Line.Style = 0;
    Line.Id = 1;
    Line.SetScale(Zoom);
    Line.ClearPoints();
    if (snapToGrid) Line.SnapToGrid(FGridDx, FGridDy);
    Invalidate();
}

void TMultiLineEditCore::AddPoint(Point2 pt) {
    Command([&] { Line.AddPoint(pt); });
}
void TMultiLineEditCore::DeleteSelected() {
    Command([&] { Line.DeleteSelected(); });
}
bool TMultiLineEditCore::SelectionIsRun() {
    const bool run = Line.SelectionIsRun();
    Invalidate();
    return run;
}
void TMultiLineEditCore::AddGroupToSelected(int32_t id) {
    Command([&] { Line.AddGroupToSelected(id); });
}
void TMultiLineEditCore::RemoveGroupFromSelected(int32_t id) {
    Command([&] { Line.RemoveGroupFromSelected(id); });
}
void TMultiLineEditCore::SelectGroup(int32_t id) {
    Command([&] { Line.SelectGroup(id); });
}
void TMultiLineEditCore::InscribeInEllipse() {
    Command([&] { Line.InscribeInEllipse(); });
}
void TMultiLineEditCore::Reverse() {
    Command([&] { Line.Reverse(); });
}
bool TMultiLineEditCore::IsClosed() const {
    return Line.Count() > 0 && PointsEqual(Line.StartPoint.Pos, Line.EndPoint.Pos);
}

bool TMultiLineEditCore::CloseOutline() {
    if (IsClosed() || Line.VertexCount() >= MaxOutlineVertices) return false;
    std::vector<Point2> distinct;
    for (int32_t i = 0; i < Line.VertexCount(); ++i)
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](Point2 p) { return PointsEqual(p, Line.Vertex(i).Pos); }))
            distinct.push_back(Line.Vertex(i).Pos);
    if (distinct.size() < 3) return false;
    Command([&] {
        // The old end keeps its groups where it stands; the new end shares the start's.
        const TFCGroups endGroups = Line.EndPoint.Groups;
        Line.AppendPoint(Line.StartPoint.Pos);
        Line.Points.back()->Groups = endGroups;
        Line.EndPoint.Groups = Line.StartPoint.Groups;
        Line.EndPoint.Height = Line.StartPoint.Height;
    });
    return true;
}

int32_t TMultiLineEditCore::VertexAt(Point2 pt) const {
    // A marker is a few pixels wide whatever the zoom.
    const double reach = 4.0 / Zoom;
    for (int32_t i = 0; i < Line.VertexCount(); ++i) {
        const Point2 p = Line.Vertex(i).Pos;
        if (std::abs(p.X - pt.X) <= reach && std::abs(p.Y - pt.Y) <= reach) return i;
    }
    return -1;
}

TMultiLineEditCore::TDblClick TMultiLineEditCore::DoubleClick(Point2 pt) {
    const int32_t hit = VertexAt(pt);
    if (hit == 0 && CloseOutline()) return TDblClick::Closed;
    if (hit >= 0) return TDblClick::OnVertex;
    if (IsClosed() && Line.SegmentHit(pt).Code != fcWhole) return TDblClick::OffClosedOutline;
    AddPoint(pt);
    return TDblClick::Added;
}

std::vector<int32_t> TMultiLineEditCore::SelectedVertices() const {
    std::vector<int32_t> result;
    const int32_t last = Line.VertexCount() - 1;
    auto add = [&](int32_t i) {
        if (i == last && IsClosed()) i = 0;
        if (std::find(result.begin(), result.end(), i) == result.end()) result.push_back(i);
    };
    switch (Line.State) {
    case fcFirstVertex:
        add(0);
        break;
    case fcLastVertex:
        add(last);
        break;
    case fcWhole:
    case fcMidPoints:
        // A press on a segment leaves both end markers unselected; a band marks those it holds.
        if (Line.StartPoint.State == fcMarker) add(0);
        for (int32_t i = 0; i < Line.Count(); ++i)
            if (Line.Points[i]->State == fcMarker &&
                std::find(Line.Selected.begin(), Line.Selected.end(), Line.Points[i].get()) !=
                    Line.Selected.end())
                add(i + 1);
        if (Line.EndPoint.State == fcMarker) add(last);
        break;
    default:
        break;
    }
    std::sort(result.begin(), result.end());
    return result;
}

int32_t TMultiLineEditCore::SingleSelectedVertex() const {
    const std::vector<int32_t> selected = SelectedVertices();
    return selected.size() == 1 ? selected.front() : -1;
}

void TMultiLineEditCore::MoveVertex(int32_t i, Point2 pt) {
    if (i < 0 || i >= Line.VertexCount()) return;
    const bool closed = IsClosed();
    Command([&] {
        Line.Vertex(i).Pos = pt;
        if (closed && i == 0) Line.EndPoint.Pos = pt;
        if (closed && i == Line.VertexCount() - 1) Line.StartPoint.Pos = pt;
    });
}

void TMultiLineEditCore::FlipHorizontal(int32_t axis) {
    Command([&] { Line.FlipHorizontal(axis); });
}
void TMultiLineEditCore::FlipVertical(int32_t axis) {
    Command([&] { Line.FlipVertical(axis); });
}
void TMultiLineEditCore::SetVertices(const OutlineVertex* buffer, int32_t n, const float* heights) {
    Command([&] { Line.SetVertices(buffer, n, heights); });
}
