// Line figures: the straight line TFCLine (two end markers, pen, arrow head, caption). The
// polyline's own operations are in UnTFCLine_Multi.cpp.
#include "editor/UnTFCLine.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCStream.h"
#include "editor/fmath.h"

#include <algorithm>
#include <cmath>

using namespace LineLibrary;

TFCLine::TFCLine() : StartPoint({}, clYellow, msEnd, 4), EndPoint({}, clLime, msEnd, 4) {}

void TFCLine::SetScale(double zoom) {
    TFCObject::SetScale(zoom);
    StartPoint.SetScale(zoom);
    EndPoint.SetScale(zoom);
}

bool TFCLine::DrawLine(TFCCanvas& canvas) {
    if (Style == fcHidden || PointsEqual(StartPoint.Pos, EndPoint.Pos)) return true;
    const Point2 a = ScalePoint(StartPoint.Pos, Scale), b = ScalePoint(EndPoint.Pos, Scale);
    canvas.Pen.Color = State != fcNone ? clRed : Color;
    canvas.Pen.Style = PenStyle;
    if (PenStyle != psSolid) {
        // A broken pen is one pixel wide: the segment is repeated side by side instead.
        canvas.Pen.Width = 1;
        for (int32_t i = 0; i < std::max(PenWidth, 1); ++i) {
            canvas.MoveTo(a.X + i, a.Y);
            canvas.LineTo(b.X + i, b.Y);
        }
    } else {
        canvas.Pen.Width = PenWidth;
        canvas.MoveTo(a.X, a.Y);
        canvas.LineTo(b.X, b.Y);
    }
    const int32_t s = RoundHalfEven(ArrowSize * Scale);
    if (ArrowMode == amAtEnd) DrawArrow(canvas, a, b, s);
    if (ArrowMode == amAtStart) DrawArrow(canvas, b, a, s);
    DrawCaptionAndMarkers(canvas);
    return true;
}

void TFCLine::DrawArrow(TFCCanvas& canvas, Point2 t, Point2 p, int32_t s) const {
    if (PointsEqual(t, p)) return; // no direction to point in
    const double dy = double(t.Y) - p.Y, dx = double(p.X) - t.X;
    const double len = std::sqrt(dx * dx + dy * dy);
    double alpha = ArcSin(std::fabs(dy) / len);
    if (dx < 0) alpha = M_PI - alpha;
    if (dy < 0) alpha = 2 * M_PI - alpha;
    const double h = 12.0 / 360.0 * 2 * M_PI;
    auto corner = [&](double angle) {
        return Point2{RoundHalfEven(s * -std::cos(angle) + p.X),
                      RoundHalfEven(s * std::sin(angle) + p.Y)};
    };
    const Point2 head[3] = {p, corner(alpha + h), corner(alpha - h)};
    canvas.Pen.Width = 1;
    canvas.Brush = {Color, TFCBrushStyle::Solid};
    canvas.Polygon(head);
}

void TFCLine::DrawCaptionAndMarkers(TFCCanvas& canvas) {
    canvas.Pen.Style = psSolid;
    if (!Caption.empty()) {
        const Point2 at = ScalePoint(StartPoint.Pos, Scale);
        canvas.Brush.Style = TFCBrushStyle::Clear;
        canvas.Pen.Color = clBlack;
        canvas.TextOut(at.X + 10, at.Y + 10, Caption);
    }
    if (State == fcNone) return;
    StartPoint.Style = Style == 1 ? msHighlight : msEnd;
    EndPoint.Style = Style == 2 ? msHighlight : msEnd;
    StartPoint.Draw(canvas);
    EndPoint.Draw(canvas);
}

bool TFCLine::DragDraw(Point2 newPt, Point2 oldPt) {
    MoveHandle(newPt, oldPt);
    return true;
}

uint8_t TFCLine::HitTest(Point2 pt) {
    State = fcNone;
    HitIndex = -1;
    if (Style == fcHidden || !Editable) return State;
    if (StartPoint.HitTest(pt) == fcMarker)
        State = fcFirstVertex;
    else if (EndPoint.HitTest(pt) == fcMarker)
        State = fcLastVertex;
    else if (PointOnSegment(pt, StartPoint.Pos, EndPoint.Pos))
        State = fcWhole;
    return State;
}

uint8_t TFCLine::HitTestRect(Point2 a, Point2 b) {
    State = fcNone;
    HitIndex = -1;
    if (Style != fcHidden && PointInRect(StartPoint.Pos, a, b) && PointInRect(EndPoint.Pos, a, b)) {
        State = fcWhole;
        StartPoint.State = EndPoint.State = fcMarker;
    }
    return State;
}

void TFCLine::MoveHandle(Point2 newPt, Point2 oldPt) {
    switch (State) {
    case fcFirstVertex:
        if (EndsMovable) StartPoint.Pos = newPt;
        break;
    case fcLastVertex:
        if (EndsMovable) EndPoint.Pos = newPt;
        break;
    case fcNone:
    case fcWhole:
        StartPoint.MoveBy(newPt, oldPt);
        EndPoint.MoveBy(newPt, oldPt);
        break;
    default:
        break;
    }
}

void TFCLine::SnapToGrid(int32_t dx, int32_t dy) {
    StartPoint.SnapToGrid(dx, dy);
    EndPoint.SnapToGrid(dx, dy);
}

void TFCLine::CopyFrom(const TFCLine& source) {
    Name = source.Name;
    Id = source.Id;
    Groups = source.Groups;
    Color = source.Color;
    PenStyle = source.PenStyle;
    PenWidth = source.PenWidth;
    Caption = source.Caption;
    State = source.State;
    Style = source.Style;
    Editable = source.Editable;
    EndsMovable = source.EndsMovable;
    ArrowSize = source.ArrowSize;
    ArrowMode = source.ArrowMode;
    StartPoint.Pos = source.StartPoint.Pos;
    EndPoint.Pos = source.EndPoint.Pos;
    SetScale(source.Scale);
}

void TFCLine::SaveToStream(TFCStream& s) const {
    s.WriteShortString(ClassName(), 32);
    s.WriteShortString(Name, 32);
    s.WriteInt32(Id);
    WriteGroups(s);
    s.WriteUInt32(Color);
    StartPoint.SaveToStream(s);
    EndPoint.SaveToStream(s);
    s.WriteByte(PenStyle);
    s.WriteInt32(PenWidth);
    s.WriteShortString(Caption, 128);
    s.WriteByte(State);
    s.WriteBoolean(Editable);
    s.WriteBoolean(EndsMovable);
    s.WriteInt32(Style);
    s.WriteInt32(ArrowSize);
    s.WriteByte(ArrowMode);
    s.WriteDouble(Scale);
}

void TFCLine::LoadFromStream(TFCStream& s) {
    s.ReadShortString(32); // the writer's class name
    Name = s.ReadShortString(32);
    Id = s.ReadInt32();
    ReadGroups(s);
    Color = s.ReadUInt32();
    StartPoint.LoadFromStream(s);
    EndPoint.LoadFromStream(s);
    PenStyle = s.ReadByte();
    PenWidth = s.ReadInt32();
    Caption = s.ReadShortString(128);
    State = s.ReadByte();
    Editable = s.ReadBoolean();
    EndsMovable = s.ReadBoolean();
    Style = s.ReadInt32();
    ArrowSize = s.ReadInt32();
    ArrowMode = s.ReadByte();
    Scale = s.ReadDouble();
}
