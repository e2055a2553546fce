// Base of the plane figures of the outline editor: tag, group set, colour, state code, style,
// scale, and the virtual operations every figure answers.
#pragma once

#include "model/unVectorCalc.h"

#include <array>
#include <cstdint>

class TFCCanvas;
class TFCStream;

// State codes: what the last hit test found, and so what is selected.
enum TFCState : uint8_t {
    fcNone = 0,
    fcFirstVertex = 1, // also corner 1 of a frame
    fcLastVertex = 2,  // also corner 2 of a frame
    fcCorner3 = 3,
    fcCorner4 = 4,
    fcMarker = 5,   // a vertex marker is hit / selected
    fcWhole = 6,    // the whole line
    fcInside = 7,   // inside a frame
    fcMidPoints = 8 // one or more intermediate vertices of a polyline
};

// Style -1 hides a figure: it is neither drawn nor hit.
constexpr int32_t fcHidden = -1;

constexpr TColor clBlack = 0x000000, clRed = 0x0000FF, clGreen = 0x008000, clBlue = 0xFF0000,
                 clYellow = 0x00FFFF, clLime = 0x00FF00, clWhite = 0xFFFFFF;

// Group slots 1..10 at indices 0..9; 0 marks an empty slot.
using TFCGroups = std::array<int32_t, 10>;

class TFCObject {
  public:
    TFCObject() = default;
    virtual ~TFCObject() = default;

    int32_t Id = 0;
    TFCGroups Groups{};
    TColor Color = clBlack;
    uint8_t State = fcNone;
    int32_t Style = 0;
    bool Editable = true;
    double Scale = 1.0;

    virtual const char* ClassName() const { return "TFCObject"; }
    virtual void SetState(uint8_t code) { State = code; }
    virtual void SetScale(double zoom) { Scale = zoom; }
    virtual bool Draw(TFCCanvas&) { return true; }
    // Moves the dragged part from old to new; the surface repaints from the figures' state.
    virtual bool DragDraw(Point2 newPt, Point2 oldPt);
    virtual uint8_t HitTest(Point2) { return fcNone; }
    // a is the rectangle's top-left, b its bottom-right corner.
    virtual uint8_t HitTestRect(Point2, Point2) { return fcNone; }
    virtual void MoveBy(Point2, Point2) {}
    virtual void SaveToStream(TFCStream&) const {}
    virtual void LoadFromStream(TFCStream&) {}
    virtual void SnapToGrid(int32_t, int32_t) {}
    virtual void AlignToGrid(int32_t, int32_t) {}
    virtual void CopyGroupsTo(TFCObject& other) const;

    // Into the first empty slot (slot 1 when all are taken); 0 or a present id changes nothing.
    void AddGroup(int32_t id);
    // Clears every slot holding id and packs the others to the front in their order.
    void RemoveGroup(int32_t id);
    bool HasGroup(int32_t id) const;
    void ClearGroups() { Groups.fill(0); }

  protected:
    TFCObject(const TFCObject&) = default;
    TFCObject& operator=(const TFCObject&) = default;
    void WriteGroups(TFCStream& s) const;
    void ReadGroups(TFCStream& s);
};

// x rounded to the nearest multiple of step; a step below 1 leaves x as it is.
int32_t SnapCoordinate(int32_t x, int32_t step);
