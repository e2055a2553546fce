// Line figures: the straight line TFCLine (two end markers, pen, arrow head, caption) and the
// polyline TFCMultiLine that holds the outline being edited, with its intermediate vertices,
// selection, group marking, shape commands and outline exchange.
#pragma once

#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCPoint.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct OutlineVertex;

// Arrow head: none, at the last vertex, at the first vertex.
enum TFCArrowMode : uint8_t { amNone = 0, amAtEnd = 1, amAtStart = 2 };

class TFCLine : public TFCObject {
  public:
    TFCLine();

    std::string Name; // at most 32 characters are stored
    uint8_t PenStyle = psSolid;
    int32_t PenWidth = 1;
    std::string Caption; // at most 128 characters are stored
    TFCPoint StartPoint; // yellow
    TFCPoint EndPoint;   // lime
    int32_t HitIndex = -1;
    bool EndsMovable = true;
    int32_t ArrowSize = 15;
    uint8_t ArrowMode = amAtEnd;

    // The 472-byte record (a polyline appends its vertices).
    static constexpr int RecordSize = 472;

    const char* ClassName() const override { return "TFCLine"; }
    void SetScale(double zoom) override;
    bool Draw(TFCCanvas& canvas) override { return DrawLine(canvas); }
    virtual bool DrawLine(TFCCanvas& canvas);
    // Moves the part named by State (MoveHandle) from old to new.
    bool DragDraw(Point2 newPt, Point2 oldPt) override;
    // 1 start marker, 2 end marker, 6 on the segment, else 0; hidden or non-editable lines: 0.
    uint8_t HitTest(Point2 pt) override;
    // 6 when both ends lie in [a, b) (left/top inclusive, right/bottom exclusive).
    uint8_t HitTestRect(Point2 a, Point2 b) override;
    void SaveToStream(TFCStream& s) const override;
    void LoadFromStream(TFCStream& s) override;
    void SnapToGrid(int32_t dx, int32_t dy) override;

    // By State: 1/2 put that end on new (when EndsMovable), 0/6 move the whole line by new - old.
    virtual void MoveHandle(Point2 newPt, Point2 oldPt);
    // The line-level fields and the two end positions of source (no intermediate vertices).
    void CopyFrom(const TFCLine& source);

  protected:
    // Arrow head of size s at tip, pointing away from tail; nothing when they coincide.
    void DrawArrow(TFCCanvas& canvas, Point2 tail, Point2 tip, int32_t s) const;
    // Solid pen again, the caption, and the end markers when the line is selected.
    void DrawCaptionAndMarkers(TFCCanvas& canvas);
};

// Where a point hits a polyline's segments: Code 6 or 0, A the vertex that begins the segment
// (-1 the start), B the index a vertex inserted into it takes (-2 after the last).
struct TSegmentHit {
    uint8_t Code = fcNone;
    int32_t A = 0;
    int32_t B = 0;
};

class TFCMultiLine : public TFCLine {
  public:
    TFCMultiLine() = default;
    TFCMultiLine(const TFCMultiLine&) = delete;
    TFCMultiLine& operator=(const TFCMultiLine&) = delete;
    TFCMultiLine(TFCMultiLine&&) = default;
    TFCMultiLine& operator=(TFCMultiLine&&) = default;

    // Intermediate vertices between StartPoint and EndPoint, owned.
    std::vector<std::unique_ptr<TFCPoint>> Points;
    // The selected intermediate vertices (entries of Points).
    std::vector<TFCPoint*> Selected;

    int32_t Count() const { return static_cast<int32_t>(Points.size()); }
    // Start, intermediate vertices, end.
    int32_t VertexCount() const { return Count() + 2; }
    TFCPoint& Vertex(int32_t i);
    const TFCPoint& Vertex(int32_t i) const;

    const char* ClassName() const override { return "TFCMultiLine"; }
    void SetScale(double zoom) override;
    bool DrawLine(TFCCanvas& canvas) override;
    uint8_t HitTest(Point2 pt) override;
    uint8_t HitTestRect(Point2 a, Point2 b) override;
    void SaveToStream(TFCStream& s) const override;
    void LoadFromStream(TFCStream& s) override;
    void SnapToGrid(int32_t dx, int32_t dy) override;
    // 8 moves the selected intermediate vertices (when EndsMovable); 0/6 every vertex; 1/2 an end.
    void MoveHandle(Point2 newPt, Point2 oldPt) override;

    void AddMidPoint(Point2 pt);
    // The end becomes the last intermediate vertex and moves to pt.
    void AppendPoint(Point2 pt);
    // Inserted into the segment under pt (taking the groups of the vertex that begins it and the
    // height part way between its ends' heights), or appended past the end when pt is on no
    // segment (at the end's height).
    void AddPoint(Point2 pt);
    TSegmentHit SegmentHit(Point2 pt);
    // 8 when a selected or other intermediate vertex is under pt, else SegmentHit's code.
    uint8_t HitMid(Point2 pt);
    // At least two selected vertices, consecutive from start to end (no wrap on a closed line).
    bool SelectionIsRun();
    void DeleteSelected();
    void ClearPoints();
    void AddGroupToSelected(int32_t id);
    void RemoveGroupFromSelected(int32_t id);
    void SelectGroup(int32_t id);
    void InscribeInEllipse();
    // Where InscribeInEllipse puts each vertex (start to end), before rounding.
    std::vector<std::array<long double, 2>> EllipsePoints() const;
    void Reverse();
    void CloseShape();
    void FlipHorizontal(int32_t axis);
    void FlipVertical(int32_t axis);
    // At most MaxOutlineVertices records: the first 99 vertices and the end when longer.
    int32_t GetVertices(OutlineVertex* buffer) const;
    // Records 0..n-1, n cut to MaxOutlineVertices, with their heights (none: 0); n < 1 changes
    // nothing.
    void SetVertices(const OutlineVertex* buffer, int32_t n, const float* heights = nullptr);
    // The heights of the vertices GetVertices gives, in its order.
    std::vector<float> Heights() const;
    // Heights of vertices 0..n-1 (as GetVertices numbers them); vertices beyond n keep theirs.
    void SetHeights(const float* heights, int32_t n);
    // The source's line fields, HitIndex and intermediate positions (without their groups).
    void Assign(const TFCMultiLine& source);

  private:
    std::unique_ptr<TFCPoint> NewVertex(Point2 pt) const;
    void SelectFromStates();
};
