// The polyline edit control's logic, free of any toolkit: the press/drag/release state machine
// over pixel positions, the rubber band and selection frame, arrow-key nudges, zoom with whole
// grid pixels, undo snapshots, and painting of background, grid, outline and frame onto a
// TFCCanvas. The widget (UnMultiLineEdit) delivers events and paints through it.
#pragma once

#include "editor/UnTFCCanvas.h"
#include "editor/UnTFCLine.h"
#include "editor/UnTFCPolygon.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

enum class TFCMouseButton { Left, Right, Middle };
enum class TFCArrowKey { Left, Up, Right, Down };
enum class TFCCursor { Default, Drag, Cross };

// Mouse modes.
enum TFCMouseMode : uint8_t { mmIdle = 0, mmDragPart = 1, mmRubberBand = 3, mmMoveSelection = 4 };

struct TFCBounds {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// What the toolkit does for the control: it holds position and size, paints, shows cursors and
// passes the selection on to the host.
class TMultiLineEditView {
  public:
    virtual ~TMultiLineEditView() = default;
    // Paint again from the control's state (soon, not necessarily now).
    virtual void RequestPaint() = 0;
    virtual TFCBounds GetBounds() const = 0;
    virtual void SetBounds(const TFCBounds& bounds) = 0;
    virtual void ShowCursor(TFCCursor cursor) = 0;
    // After a gesture that involved a figure, with that figure's class name.
    virtual void FigureSelected(const std::string& className) = 0;
};

class TMultiLineEditCore {
  public:
    explicit TMultiLineEditCore(TMultiLineEditView& view);
    virtual ~TMultiLineEditCore() = default;

    static constexpr int MaxSnapshots = 32;

    // Published properties.
    bool DrawGrid = true;
    bool snapToGrid = true;
    int32_t GridDx() const { return FGridDx; }
    int32_t GridDy() const { return FGridDy; }
    // Values below 1 become 50.
    void SetGridDx(int32_t v);
    void SetGridDy(int32_t v);
    // The picture as loaded (24 bits per pixel); an empty bitmap shows no picture.
    const TFCBitmap& BackgroundPicture() const { return FBackground; }
    void SetBackgroundPicture(TFCBitmap picture);

    TColor Color = clWhite;
    float BackgroundScale = 1.0f;
    Point2 BackgroundOffset{};
    int32_t BackgroundBrightness() const { return FBrightness; }
    void SetBackgroundBrightness(int32_t v);

    // Gesture state.
    Point2 DownPoint{};
    uint8_t Mode = mmIdle, LastMode = mmIdle;
    uint8_t Action = fcNone, LastAction = fcNone;
    Point2 LastPoint{};
    std::vector<TFCMultiLine*> SelectedFigures;
    double Zoom = 1.0;
    // Top, left, width, height at zoom 1; -1 until the first zoom change.
    std::array<double, 4> BaseBounds{-1, -1, -1, -1};
    TFCMultiLine Line;
    TFCMultiLine TemplateLine;
    TFCPolygon SelectionFrame;
    // Point size of the canvas font, stepped by every zoom change.
    int32_t FontSize = 10;

    void MouseDown(TFCMouseButton button, bool shift, int32_t x, int32_t y);
    void MouseMove(bool shift, int32_t x, int32_t y);
    void MouseUp(TFCMouseButton button, bool shift, int32_t x, int32_t y);
    // After a drag or selection, moves the same part one pixel (no snapshot, no snapping).
    void ArrowNudge(TFCArrowKey key);
    // 10..1000; others are ignored.
    void SetZoomPercent(int32_t percent);
    // Background, grid, outline and (during a frame gesture) the frame.
    void Paint(TFCCanvas& canvas);
    void Invalidate() { View.RequestPaint(); }
    // A pixel of the control as a model point at the current zoom.
    Point2 ToModel(Point2 pixel) const;

    // What the host window keeps with the outline: its scale and whether a path is closed. Undo
    // snapshots carry them; after an undo or redo the host reads them back.
    int32_t HostScale = 100;
    bool HostClosed = false;

    // The line's state (zoom, host fields and record) onto the undo ring; the oldest of 32 is
    // dropped. The redo ring empties.
    void Snapshot();
    // One undo step per change: BeginChange notes the line's state, EndChange puts that state on
    // the ring when the outline (positions, groups or heights) differs from it; true then.
    void BeginChange();
    bool EndChange();
    // Back to the newest snapshot, which leaves the ring; false when there is none. The state left
    // goes onto the redo ring.
    bool Undo();
    // Forward again to the state an undo left; false when there is none.
    bool Redo();
    int32_t UndoCount() const { return static_cast<int32_t>(UndoRing.size()); }
    int32_t RedoCount() const { return static_cast<int32_t>(RedoRing.size()); }
    const std::deque<std::vector<uint8_t>>& Snapshots() const { return UndoRing; }
    void ClearUndo() {
        UndoRing.clear();
        RedoRing.clear();
        Pending.clear();
    }

    // White, idle, nothing selected, zoom 1 with the base size, no intermediate vertex.
    void Clear();
    // Line from TemplateLine: style 0, id 1, no intermediate vertex, ends snapped when snapping.
    void NewLine();

    // Commands on Line; each repaints.
    void AddPoint(Point2 pt);
    void DeleteSelected();
    bool SelectionIsRun();
    void AddGroupToSelected(int32_t id);
    void RemoveGroupFromSelected(int32_t id);
    void SelectGroup(int32_t id);
    void InscribeInEllipse();
    void Reverse();
    // The end on the start: n vertices become n + 1, the last on the first, which needs three
    // distinct vertices, an open outline and room for one more vertex; false otherwise.
    bool CloseOutline();
    bool IsClosed() const;
    // A double click at a model point: a closed outline takes points on its segments only.
    enum class TDblClick { Added, Closed, OnVertex, OffClosedOutline };
    TDblClick DoubleClick(Point2 pt);
    // Indices (0 = start) of the selected vertices, in order; the shared vertex of a closed
    // outline counts once, as 0.
    std::vector<int32_t> SelectedVertices() const;
    // The index of the one selected vertex, or -1.
    int32_t SingleSelectedVertex() const;
    // Puts vertex i at a model point (both ends of a closed outline together).
    void MoveVertex(int32_t i, Point2 pt);
    void FlipHorizontal(int32_t axis);
    void FlipVertical(int32_t axis);
    // buffer holds MaxOutlineVertices records.
    int32_t GetVertices(OutlineVertex* buffer) const { return Line.GetVertices(buffer); }
    // The vertices in model coordinates, start to end.
    std::vector<OutlineVertex> Outline() const;
    // The vertices' heights, in Outline's order.
    std::vector<float> Heights() const { return Line.Heights(); }
    void SetVertices(const OutlineVertex* buffer, int32_t n, const float* heights = nullptr);

  private:
    TMultiLineEditView& View;
    int32_t FGridDx = 50, FGridDy = 50;
    int32_t FBrightness = 0;
    TFCBitmap FBackground;
    TFCBitmap FAdjusted; // the picture with the brightness step, made when first painted
    bool AdjustedValid = false;
    uint64_t NextVersion = 1;
    bool FrameShown = false;
    std::deque<std::vector<uint8_t>> UndoRing, RedoRing;
    std::vector<uint8_t> Pending; // the state BeginChange noted
    std::vector<OutlineVertex> PendingOutline;
    std::vector<float> PendingHeights;
    int32_t PendingScale = 0;
    bool PendingClosed = false;

    std::vector<uint8_t> State() const;
    void Restore(std::vector<uint8_t> state);
    static void Push(std::deque<std::vector<uint8_t>>& ring, std::vector<uint8_t> state);
    // The newest state of from comes back; the state left goes onto to.
    bool Step(std::deque<std::vector<uint8_t>>& from, std::deque<std::vector<uint8_t>>& to);
    // Vertex under pt within a few pixels, or -1.
    int32_t VertexAt(Point2 pt) const;

    void Select(TFCMultiLine& figure);
    void DragPart(Point2 p, uint8_t action);
    void FrameDrag(Point2 p);
    void StartFrame(int32_t left, int32_t top, int32_t width, int32_t height);
    void ApplyZoom(double z);
    void PaintBackground(TFCCanvas& canvas, int32_t width, int32_t height);
    void PaintGrid(TFCCanvas& canvas, int32_t width, int32_t height);
    const TFCBitmap& AdjustedBackground();
    template <class F> void Command(F&& f) {
        f();
        Invalidate();
    }
};
