// Rectangular frame figure: the rubber band and selection frame of the outline editor, with four
// corner markers, twelve edge handles, hit tests and corner-wise resizing.
#include "editor/UnTFCPolygon.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCStream.h"

#include <algorithm>

using namespace LineLibrary;

TFCPolygon::TFCPolygon(int32_t left, int32_t top, int32_t width, int32_t height)
    : Corners{TFCPoint({}, clYellow, msEnd, 4), TFCPoint({}, clWhite, msEnd, 4),
              TFCPoint({}, clLime, msEnd, 4), TFCPoint({}, clWhite, msEnd, 4)},
      Left(left), Top(top), Width(width), Height(height) {
    Handles.fill(TFCPoint({}, clWhite, msVertex, 3));
    PlaceCorners();
}

void TFCPolygon::SetScale(double zoom) {
    TFCObject::SetScale(zoom);
    for (auto& c : Corners)
        c.SetScale(zoom);
    for (auto& h : Handles)
        h.SetScale(zoom);
}

void TFCPolygon::PlaceCorners() {
    Corners[0].Pos = {Left, Top};
    Corners[1].Pos = {Left + Width, Top};
    Corners[2].Pos = {Left + Width, Top + Height};
    Corners[3].Pos = {Left, Top + Height};
    PlaceHandles();
}

void TFCPolygon::PlaceHandles() {
    for (int edge = 0; edge < 4; ++edge) {
        const Point2 a = Corners[edge].Pos, b = Corners[(edge + 1) % 4].Pos;
        for (int k = 1; k <= 3; ++k)
            Handles[edge * 3 + k - 1].Pos = {a.X + (b.X - a.X) * k / 4, a.Y + (b.Y - a.Y) * k / 4};
    }
}

uint8_t TFCPolygon::HitTest(Point2 pt) {
    State = fcNone;
    if (Style == fcHidden || !Editable) return State;
    if (Resizable)
        for (int i = 0; i < 4 && State == fcNone; ++i)
            if (Corners[i].HitTest(pt) == fcMarker) State = static_cast<uint8_t>(i + 1);
    if (State == fcNone && PointInRect(pt, {Left, Top}, {Left + Width, Top + Height}))
        State = fcInside;
    return State;
}

uint8_t TFCPolygon::HitTestRect(Point2 a, Point2 b) {
    const bool overlap = RectsOverlap({Left, Top}, {Left + Width, Top + Height}, a, b);
    State = Style != fcHidden && overlap ? fcInside : fcNone;
    return State;
}

void TFCPolygon::ResizeTo(Point2 pt, Point2 previous) {
    PlaceCorners();
    Point2 c[4] = {Corners[0].Pos, Corners[1].Pos, Corners[2].Pos, Corners[3].Pos};
    if (State == fcNone || State == fcInside) {
        const Point2 d = SubPoints(pt, previous);
        for (Point2& p : c)
            p = AddPoints(p, d);
    } else if (State >= 1 && State <= 4 && Resizable) {
        // The dragged corner takes pt; the neighbour sharing its column takes pt.X, the one
        // sharing its row pt.Y.
        const int i = State - 1;
        const int column = i == 0 ? 3 : i == 1 ? 2 : i == 2 ? 1 : 0;
        const int row = i ^ 1;
        c[i] = pt;
        c[column].X = pt.X;
        c[row].Y = pt.Y;
    }
    Left = c[0].X;
    Top = c[0].Y;
    Width = std::max(c[1].X - c[0].X, MinSide);
    Height = std::max(c[3].Y - c[0].Y, MinSide);
    PlaceCorners();
}

void TFCPolygon::DragFrame(Point2 pt, Point2 previous) {
    ResizeTo(pt, previous);
}

bool TFCPolygon::DrawFrame(TFCCanvas& canvas) {
    if (State == fcNone) return true;
    canvas.Pen = {clRed, psDot, 1};
    canvas.Brush.Style = TFCBrushStyle::Clear;
    const int32_t x = RoundHalfEven(Left * Scale), y = RoundHalfEven(Top * Scale);
    canvas.Rectangle(x, y, x + RoundHalfEven(Width * Scale), y + RoundHalfEven(Height * Scale));
    canvas.Pen.Style = psSolid;
    for (auto& h : Handles)
        h.Draw(canvas);
    for (auto& c : Corners)
        c.Draw(canvas);
    return true;
}

bool TFCPolygon::UpdateAndDraw(TFCCanvas& canvas) {
    PlaceCorners();
    if (Style == fcHidden) return true;
    if (!Text.empty()) {
        canvas.Brush.Style = TFCBrushStyle::Clear;
        canvas.TextOut(RoundHalfEven(Left * Scale) + 4, RoundHalfEven(Top * Scale) + 4, Text);
    }
    return DrawFrame(canvas);
}

void TFCPolygon::SnapToGrid(int32_t dx, int32_t dy) {
    if (GridMode) return AlignToGrid(dx, dy);
    Left = SnapCoordinate(Left, dx);
    Top = SnapCoordinate(Top, dy);
    PlaceCorners();
}

void TFCPolygon::AlignToGrid(int32_t dx, int32_t dy) {
    // The whole frame on grid lines: the sides become whole steps too.
    Left = SnapCoordinate(Left, dx);
    Top = SnapCoordinate(Top, dy);
    Width = std::max(SnapCoordinate(Width, dx), MinSide);
    Height = std::max(SnapCoordinate(Height, dy), MinSide);
    PlaceCorners();
}

// Record: class name string[32], Id, Groups, Color, State, Style, Left, Top, Width, Height,
// Resizable, GridMode, Scale, Text string[255].
void TFCPolygon::SaveToStream(TFCStream& s) const {
    s.WriteShortString(ClassName(), 32);
    s.WriteInt32(Id);
    WriteGroups(s);
    s.WriteUInt32(Color);
    s.WriteByte(State);
    for (int32_t v : {Style, Left, Top, Width, Height})
        s.WriteInt32(v);
    s.WriteBoolean(Resizable);
    s.WriteBoolean(GridMode);
    s.WriteDouble(Scale);
    s.WriteShortString(Text, 255);
}

void TFCPolygon::LoadFromStream(TFCStream& s) {
    if (s.ReadShortString(32) != ClassName()) return;
    Id = s.ReadInt32();
    ReadGroups(s);
    Color = s.ReadUInt32();
    State = s.ReadByte();
    for (int32_t* v : {&Style, &Left, &Top, &Width, &Height})
        *v = s.ReadInt32();
    Resizable = s.ReadBoolean();
    GridMode = s.ReadBoolean();
    Scale = s.ReadDouble();
    Text = s.ReadShortString(255);
    PlaceCorners();
}
