// Vertex marker figure: a small filled square at a model point, hit within 2 units.
#include "editor/UnTFCPoint.h"

#include "editor/LineLibrary.h"
#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCStream.h"

using namespace LineLibrary;

TFCPoint::TFCPoint(Point2 pos, TColor color, int32_t style, int32_t size) : Size(size), Pos(pos) {
    Color = color;
    Style = style;
}

bool TFCPoint::Draw(TFCCanvas& canvas) {
    if (Style == fcHidden) return true;
    const int32_t r = RoundHalfEven(Size / 2.0L);
    const Point2 s = ScalePoint(Pos, Scale);
    if (Style == msHighlight)
        canvas.Pen = {clRed, psSolid, 4};
    else if (State != fcNone)
        canvas.Pen = {clGreen, psSolid, 4};
    else
        canvas.Pen = {clBlack, psSolid, 1};
    canvas.Brush = {Color, TFCBrushStyle::Solid};
    canvas.Rectangle(s.X - r, s.Y - r, s.X + r, s.Y + r);
    return true;
}

uint8_t TFCPoint::HitTest(Point2 pt) {
    State = fcNone;
    if (Style != fcHidden && PointInSquare(Pos, 2, pt)) State = fcMarker;
    return State;
}

void TFCPoint::MoveBy(Point2 newPt, Point2 oldPt) {
    Pos = AddPoints(Pos, SubPoints(newPt, oldPt));
}

void TFCPoint::SaveToStream(TFCStream& s) const {
    s.WriteShortString(ClassName(), 32);
    s.WriteUInt32(Color);
    s.WriteInt32(Pos.X);
    s.WriteInt32(Pos.Y);
    s.WriteInt32(Size);
    s.WriteByte(State);
    s.WriteInt32(Style);
    s.WriteDouble(Scale);
    WriteGroups(s);
}

void TFCPoint::LoadFromStream(TFCStream& s) {
    if (s.ReadShortString(32) != ClassName()) return;
    Color = s.ReadUInt32();
    Pos.X = s.ReadInt32();
    Pos.Y = s.ReadInt32();
    Size = s.ReadInt32();
    State = s.ReadByte();
    Style = s.ReadInt32();
    Scale = s.ReadDouble();
    ReadGroups(s);
}

void TFCPoint::SnapToGrid(int32_t dx, int32_t dy) {
    Pos = {SnapCoordinate(Pos.X, dx), SnapCoordinate(Pos.Y, dy)};
}
