// Vertex marker figure: a small filled square at a model point, hit within 2 units.
#pragma once

#include "editor/unTFCObject.h"

// Marker styles: 1 line end or frame corner, 2 highlighted, 3 intermediate vertex or frame handle.
enum TFCMarkerStyle : int32_t { msEnd = 1, msHighlight = 2, msVertex = 3 };

class TFCPoint : public TFCObject {
  public:
    TFCPoint() = default;
    TFCPoint(Point2 pos, TColor color, int32_t style, int32_t size);
    TFCPoint(const TFCPoint&) = default;
    TFCPoint& operator=(const TFCPoint&) = default;

    int32_t Size = 4; // side in pixels
    Point2 Pos{};
    // A path vertex's height (path units, world Y). It goes wherever the vertex goes, but not
    // into the record: the editor's undo states carry it after the figure.
    float Height = 0;

    // The 102-byte record.
    static constexpr int RecordSize = 102;

    const char* ClassName() const override { return "TFCPoint"; }
    bool Draw(TFCCanvas& canvas) override;
    // State 5 when pt is within 2 units on both axes (and the marker is not hidden), else 0.
    uint8_t HitTest(Point2 pt) override;
    void MoveBy(Point2 newPt, Point2 oldPt) override;
    void SaveToStream(TFCStream& s) const override;
    // Reads the class name, and the rest only when it is this marker's own.
    void LoadFromStream(TFCStream& s) override;
    void SnapToGrid(int32_t dx, int32_t dy) override;
};
