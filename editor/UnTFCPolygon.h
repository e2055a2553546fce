// Rectangular frame figure: the rubber band and selection frame of the outline editor, with four
// corner markers, twelve edge handles, hit tests and corner-wise resizing.
#pragma once

#include "editor/UnTFCPoint.h"

#include <array>
#include <string>

class TFCPolygon : public TFCObject {
  public:
    TFCPolygon(int32_t left = 0, int32_t top = 0, int32_t width = 5, int32_t height = 5);

    // 1 top-left (yellow), 2 top-right (white), 3 bottom-right (lime), 4 bottom-left (white).
    std::array<TFCPoint, 4> Corners;
    int32_t Left = 0, Top = 0, Width = 5, Height = 5;
    std::string Text;
    bool Resizable = true;
    // Three on each edge, at its quarter points.
    std::array<TFCPoint, 12> Handles;
    bool GridMode = false;

    static constexpr int32_t MinSide = 5;

    const char* ClassName() const override { return "TFCPolygon"; }
    void SetScale(double zoom) override;
    bool Draw(TFCCanvas& canvas) override { return UpdateAndDraw(canvas); }
    // Corner 1..4 (when Resizable), else 7 inside [Left, Left + Width) x [Top, Top + Height).
    uint8_t HitTest(Point2 pt) override;
    // 7 when the frame overlaps the rectangle (a, b).
    uint8_t HitTestRect(Point2 a, Point2 b) override;
    void SaveToStream(TFCStream& s) const override;
    void LoadFromStream(TFCStream& s) override;
    // Left and Top to the grid (AlignToGrid when GridMode is set).
    void SnapToGrid(int32_t dx, int32_t dy) override;
    void AlignToGrid(int32_t dx, int32_t dy) override;

    // The dotted red rectangle, the handles and the corners, when State is not 0.
    virtual bool DrawFrame(TFCCanvas& canvas);
    virtual void PlaceHandles();
    // Corners (and handles) from Left, Top, Width, Height; the text and the frame.
    virtual bool UpdateAndDraw(TFCCanvas& canvas);
    // ResizeTo during a drag.
    virtual void DragFrame(Point2 pt, Point2 previous);

    // By State: 0/7 move the frame by pt - previous, 1..4 put that corner on pt (when Resizable)
    // keeping a rectangle; sides below 5 become 5.
    void ResizeTo(Point2 pt, Point2 previous);
    void PlaceCorners();
};
