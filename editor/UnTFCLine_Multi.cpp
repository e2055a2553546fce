// The polyline figure TFCMultiLine: intermediate vertices, their selection and group marking,
// segment insertion, the shape commands and the outline exchange.
#include "editor/LineLibrary.h"
#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCLine.h"
#include "editor/UnTFCStream.h"

#include <algorithm>
#include <cmath>

using namespace LineLibrary;

TFCPoint& TFCMultiLine::Vertex(int32_t i) {
    return i == 0 ? StartPoint : i > Count() ? EndPoint : *Points[i - 1];
}

const TFCPoint& TFCMultiLine::Vertex(int32_t i) const {
    return const_cast<TFCMultiLine*>(this)->Vertex(i);
}

std::unique_ptr<TFCPoint> TFCMultiLine::NewVertex(Point2 pt) const {
    auto p = std::make_unique<TFCPoint>(pt, clWhite, msVertex, 4);
    p->SetScale(Scale);
    return p;
}

void TFCMultiLine::SetScale(double zoom) {
    TFCLine::SetScale(zoom);
    for (auto& p : Points)
        p->SetScale(zoom);
}

bool TFCMultiLine::DrawLine(TFCCanvas& canvas) {
    if (Style == fcHidden) return true;
    canvas.Pen = {State != fcNone ? clRed : Color, PenStyle, PenWidth};
    std::vector<Point2> screen(VertexCount());
    for (int32_t i = 0; i < VertexCount(); ++i)
        screen[i] = ScalePoint(Vertex(i).Pos, Scale);
    canvas.Polyline(screen);
    const int32_t last = static_cast<int32_t>(screen.size()) - 1;
    if (ArrowMode == amAtEnd) DrawArrow(canvas, screen[last - 1], screen[last], ArrowSize);
    if (ArrowMode == amAtStart) DrawArrow(canvas, screen[1], screen[0], ArrowSize);
    DrawCaptionAndMarkers(canvas);
    if (State != fcNone)
        for (auto& p : Points)
            p->Draw(canvas);
    return true;
}

TSegmentHit TFCMultiLine::SegmentHit(Point2 pt) {
    TSegmentHit hit;
    const int32_t n = Count();
    // Segment k runs from vertex k to vertex k + 1; later matches overwrite earlier ones.
    for (int32_t k = 0; k <= n; ++k) {
        if (!PointOnSegment(pt, Vertex(k).Pos, Vertex(k + 1).Pos)) continue;
        hit = {fcWhole, k - 1, k == n ? -2 : k};
        HitIndex = k == 0 && n > 0 ? 1 : k;
    }
    return hit;
}

uint8_t TFCMultiLine::HitMid(Point2 pt) {
    for (TFCPoint* p : Selected)
        if (p->HitTest(pt) == fcMarker) return fcMidPoints;
    for (TFCPoint* p : Selected)
        p->State = fcNone;
    Selected.clear();
    uint8_t result = fcNone;
    for (int32_t i = 0; i < Count(); ++i)
        if (Points[i]->HitTest(pt) == fcMarker) {
            Selected.push_back(Points[i].get());
            result = fcMidPoints;
            HitIndex = i;
        }
    return result != fcNone ? result : SegmentHit(pt).Code;
}

uint8_t TFCMultiLine::HitTest(Point2 pt) {
    TFCLine::HitTest(pt);
    if (Style != fcHidden && Editable && State != fcFirstVertex && State != fcLastVertex) {
        if (Count() >= 1)
            State = HitMid(pt);
        else
            State = PointOnSegment(pt, StartPoint.Pos, EndPoint.Pos) ? fcWhole : fcNone;
    }
    return State;
}

uint8_t TFCMultiLine::HitTestRect(Point2 a, Point2 b) {
    State = fcNone;
    HitIndex = -1;
    // Only what this rectangle holds is marked.
    StartPoint.State = EndPoint.State = fcNone;
    if (PointInRect(StartPoint.Pos, a, b)) {
        State = fcFirstVertex;
        StartPoint.State = fcMarker;
    }
    if (PointInRect(EndPoint.Pos, a, b)) {
        State = fcLastVertex;
        EndPoint.State = fcMarker;
    }
    if (StartPoint.State == fcMarker && EndPoint.State == fcMarker) State = fcWhole;
    Selected.clear();
    if (Style == fcHidden || !Editable) return State;
    for (auto& p : Points) {
        p->State = PointInRect(p->Pos, a, b) ? fcMarker : fcNone;
        if (p->State == fcNone) continue;
        Selected.push_back(p.get());
        State = fcMidPoints;
    }
    return State;
}

void TFCMultiLine::MoveHandle(Point2 newPt, Point2 oldPt) {
    switch (State) {
    case fcNone:
    case fcWhole:
        for (int32_t i = 0; i < VertexCount(); ++i)
            Vertex(i).MoveBy(newPt, oldPt);
        break;
    case fcMidPoints:
        if (EndsMovable)
            for (TFCPoint* p : Selected)
                p->MoveBy(newPt, oldPt);
        break;
    default:
        TFCLine::MoveHandle(newPt, oldPt);
    }
}

void TFCMultiLine::SnapToGrid(int32_t dx, int32_t dy) {
    for (int32_t i = 0; i < VertexCount(); ++i)
        Vertex(i).SnapToGrid(dx, dy);
}

void TFCMultiLine::AddMidPoint(Point2 pt) {
    Points.emplace_back(NewVertex(pt));
}

void TFCMultiLine::AppendPoint(Point2 pt) {
    AddMidPoint(EndPoint.Pos);
    Points.back()->Height = EndPoint.Height;
    EndPoint.Pos = pt;
}

void TFCMultiLine::AddPoint(Point2 pt) {
    const TSegmentHit hit = SegmentHit(pt);
    if (hit.Code != fcWhole) return AppendPoint(pt);
    std::unique_ptr<TFCPoint> p = NewVertex(pt);
    (hit.A == -1 ? StartPoint : *Points[hit.A]).CopyGroupsTo(*p);
    const int32_t at = hit.A == -1 ? 0 : hit.B == -2 ? Count() : hit.B;
    // The segment runs from vertex at to vertex at + 1: the height rises or falls evenly along it.
    const TFCPoint &a = Vertex(at), &b = Vertex(at + 1);
    const double length = std::hypot(double(b.Pos.X) - a.Pos.X, double(b.Pos.Y) - a.Pos.Y);
    const double t =
        length > 0 ? std::hypot(double(pt.X) - a.Pos.X, double(pt.Y) - a.Pos.Y) / length : 0;
    p->Height = float(a.Height + (double(b.Height) - a.Height) * std::clamp(t, 0.0, 1.0));
    Points.insert(Points.begin() + at, std::move(p));
}

bool TFCMultiLine::SelectionIsRun() {
    if (Count() > 0 && PointsEqual(StartPoint.Pos, EndPoint.Pos)) {
        // A closed outline: its shared vertex counts once, on the side its selected neighbour is.
        if (Points.front()->State != fcMarker) StartPoint.State = fcNone;
        if (Points.back()->State != fcMarker) EndPoint.State = fcNone;
    }
    int32_t first = -1, last = -1, selected = 0;
    for (int32_t i = 0; i < VertexCount(); ++i) {
        if (Vertex(i).State != fcMarker) continue;
        if (first < 0) first = i;
        last = i;
        ++selected;
    }
    return selected >= 2 && last - first + 1 == selected;
}

void TFCMultiLine::DeleteSelected() {
    std::erase_if(Selected, [](TFCPoint* p) { return p->State == fcMarker; });
    std::erase_if(Points, [](const auto& p) { return p->State == fcMarker; });
}

void TFCMultiLine::ClearPoints() {
    Selected.clear();
    Points.clear();
}

void TFCMultiLine::AddGroupToSelected(int32_t id) {
    if (StartPoint.State == fcMarker) StartPoint.AddGroup(id);
    if (EndPoint.State == fcMarker) EndPoint.AddGroup(id);
    for (TFCPoint* p : Selected)
        p->AddGroup(id);
}

void TFCMultiLine::RemoveGroupFromSelected(int32_t id) {
    if (StartPoint.State == fcMarker) StartPoint.RemoveGroup(id);
    if (EndPoint.State == fcMarker) EndPoint.RemoveGroup(id);
    for (TFCPoint* p : Selected)
        p->RemoveGroup(id);
}

void TFCMultiLine::SelectGroup(int32_t id) {
    Selected.clear();
    bool any = false;
    for (auto& p : Points) {
        p->State = p->HasGroup(id) ? fcMarker : fcNone;
        if (p->State == fcNone) continue;
        Selected.push_back(p.get());
        any = true;
    }
    for (TFCPoint* end : {&StartPoint, &EndPoint}) {
        end->State = end->HasGroup(id) ? fcMarker : fcNone;
        any = any || end->State == fcMarker;
    }
    if (any) State = fcWhole;
}

std::vector<std::array<long double, 2>> TFCMultiLine::EllipsePoints() const {
    int32_t minX = StartPoint.Pos.X, maxX = minX, minY = StartPoint.Pos.Y, maxY = minY;
    for (int32_t i = 1; i < VertexCount(); ++i) {
        const Point2 p = Vertex(i).Pos;
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    const long double w = (long double)maxX - minX, h = (long double)maxY - minY;
    const long double cx = RoundHalfEven(minX + w / 2), cy = RoundHalfEven(minY + h / 2);
    const long double twoPi = 2 * 3.14159265358979323846264338327950288L;
    const float step = static_cast<float>(twoPi / (Count() + 1));
    auto onEllipse = [&](long double theta) {
        return std::array<long double, 2>{std::cos(theta) * w / 2 + cx,
                                          std::sin(theta) * h / 2 + cy};
    };
    std::vector<std::array<long double, 2>> points{onEllipse(twoPi)};
    for (int32_t i = 0; i < Count(); ++i)
        points.push_back(onEllipse(twoPi - (i + 1) * step));
    points.push_back(points.front());
    return points;
}

void TFCMultiLine::InscribeInEllipse() {
    const std::vector<std::array<long double, 2>> points = EllipsePoints();
    for (int32_t i = 0; i < VertexCount(); ++i)
        Vertex(i).Pos = {RoundHalfEven(points[size_t(i)][0]), RoundHalfEven(points[size_t(i)][1])};
}

void TFCMultiLine::Reverse() {
    std::swap(StartPoint.Pos, EndPoint.Pos);
    std::swap(StartPoint.Height, EndPoint.Height);
    std::vector<std::unique_ptr<TFCPoint>> reversed;
    for (auto it = Points.rbegin(); it != Points.rend(); ++it) {
        reversed.emplace_back(NewVertex((*it)->Pos));
        reversed.back()->Groups = (*it)->Groups;
        reversed.back()->Height = (*it)->Height;
    }
    ClearPoints();
    Points = std::move(reversed);
}

void TFCMultiLine::CloseShape() {
    if (Count() > 1) EndPoint.Pos = StartPoint.Pos;
}

void TFCMultiLine::FlipHorizontal(int32_t axis) {
    for (int32_t i = 0; i < VertexCount(); ++i)
        Vertex(i).Pos.X = 2 * axis - Vertex(i).Pos.X;
}

void TFCMultiLine::FlipVertical(int32_t axis) {
    for (int32_t i = 0; i < VertexCount(); ++i)
        Vertex(i).Pos.Y = 2 * axis - Vertex(i).Pos.Y;
}

int32_t TFCMultiLine::GetVertices(OutlineVertex* buffer) const {
    const int32_t n = std::min(VertexCount(), MaxOutlineVertices);
    for (int32_t i = 0; i < n; ++i) {
        // An outline too long for the buffer keeps its end (a closed outline stays closed).
        const TFCPoint& v = i == n - 1 ? EndPoint : Vertex(i);
        buffer[i].X = v.Pos.X;
        buffer[i].Y = v.Pos.Y;
        std::copy(v.Groups.begin(), v.Groups.end(), buffer[i].Groups);
    }
    return n;
}

void TFCMultiLine::SetVertices(const OutlineVertex* buffer, int32_t n, const float* heights) {
    n = std::min(n, MaxOutlineVertices);
    if (n < 1) return;
    auto set = [](TFCPoint& p, const OutlineVertex& v) {
        p.Pos = {v.X, v.Y};
        std::copy(v.Groups, v.Groups + 10, p.Groups.begin());
    };
    set(StartPoint, buffer[0]);
    ClearPoints();
    for (int32_t i = 1; i < n - 1; ++i) {
        AddMidPoint({buffer[i].X, buffer[i].Y});
        for (int32_t g : buffer[i].Groups)
            Points.back()->AddGroup(g);
    }
    set(EndPoint, buffer[n - 1]);
    const std::vector<float> zeros(size_t(n), 0.0f);
    SetHeights(heights ? heights : zeros.data(), n);
}

std::vector<float> TFCMultiLine::Heights() const {
    const int32_t n = std::min(VertexCount(), MaxOutlineVertices);
    std::vector<float> heights(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        heights[size_t(i)] = (i == n - 1 ? EndPoint : Vertex(i)).Height;
    return heights;
}

void TFCMultiLine::SetHeights(const float* heights, int32_t n) {
    const int32_t count = std::min(VertexCount(), MaxOutlineVertices);
    for (int32_t i = 0; i < std::min(n, count); ++i)
        (i == count - 1 ? EndPoint : Vertex(i)).Height = heights[i];
}

void TFCMultiLine::Assign(const TFCMultiLine& source) {
    CopyFrom(source);
    HitIndex = source.HitIndex;
    ClearPoints();
    for (auto& p : source.Points)
        AddMidPoint(p->Pos);
}

void TFCMultiLine::SaveToStream(TFCStream& s) const {
    TFCLine::SaveToStream(s);
    s.WriteInt32(Count());
    for (auto& p : Points)
        p->SaveToStream(s);
    s.WriteInt32(HitIndex);
}

void TFCMultiLine::LoadFromStream(TFCStream& s) {
    TFCLine::LoadFromStream(s);
    const int32_t n = s.ReadInt32();
    if (n < 0 || static_cast<size_t>(n) > s.Remaining() / TFCPoint::RecordSize)
        throw EFCStreamError("Stream read error: bad vertex count");
    ClearPoints();
    for (int32_t i = 0; i < n; ++i) {
        Points.emplace_back(std::make_unique<TFCPoint>());
        Points.back()->LoadFromStream(s);
    }
    HitIndex = s.ReadInt32();
    SelectFromStates();
}

void TFCMultiLine::SelectFromStates() {
    Selected.clear();
    for (auto& p : Points)
        if (p->State == fcMarker) Selected.push_back(p.get());
}
