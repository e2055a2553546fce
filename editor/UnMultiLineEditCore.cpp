// The polyline edit control's logic, free of any toolkit: the press/drag/release state machine
// over pixel positions, the rubber band and selection frame, arrow-key nudges, zoom with whole
// grid pixels, undo snapshots, and painting of background, grid, outline and frame.
#include "editor/UnMultiLineEditCore.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCStream.h"

#include <algorithm>
#include <climits>

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
    // The undo point comes before anything moves.
    if (!SelectedFigures.empty()) Snapshot();
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
        // Press point top-left, last drag point bottom-right: only a drag down-right selects.
        const uint8_t before = Line.State;
        Action = Line.HitTestRect(ToModel(DownPoint), ToModel(LastPoint));
        if (Action != fcNone) {
            Mode = shift ? mmMoveSelection : mmDragPart;
            Select(Line);
        } else if (shift) {
            Line.State = before;
        }
    }
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

void TMultiLineEditCore::Snapshot() {
    TFCStream s;
    s.WriteDouble(Zoom);
    Line.SaveToStream(s);
    UndoRing.push_back(s.Bytes());
    if (UndoRing.size() > MaxSnapshots) UndoRing.pop_front();
}

bool TMultiLineEditCore::Undo() {
    if (UndoRing.empty()) return false;
    TFCStream s(std::move(UndoRing.back()));
    UndoRing.pop_back();
    // The outline comes back at the zoom the control shows now, so size, grid and outline agree.
    s.ReadDouble();
    TFCMultiLine restored;
    restored.LoadFromStream(s);
    Line = std::move(restored);
    Line.SetScale(Zoom);
    SelectedFigures.clear();
    if (Line.State != fcNone) SelectedFigures.push_back(&Line);
    Invalidate();
    return true;
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
void TMultiLineEditCore::CloseShape() {
    Command([&] { Line.CloseShape(); });
}
void TMultiLineEditCore::FlipHorizontal(int32_t axis) {
    Command([&] { Line.FlipHorizontal(axis); });
}
void TMultiLineEditCore::FlipVertical(int32_t axis) {
    Command([&] { Line.FlipVertical(axis); });
}
void TMultiLineEditCore::SetVertices(const OutlineVertex* buffer, int32_t n) {
    Command([&] { Line.SetVertices(buffer, n); });
}
