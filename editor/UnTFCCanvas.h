// The drawing surface the figures and the polyline edit control paint on: pen, brush and font
// state plus the drawing operations. The widget implements it with QPainter, tests record it.
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Pen style codes: 0 solid, then the broken-line styles.
enum TFCPenStyle : uint8_t { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4 };
enum class TFCBrushStyle : uint8_t { Solid, Clear };

struct TFCPen {
    TColor Color = 0;
    uint8_t Style = psSolid;
    int32_t Width = 1; // 0 is the thinnest line the surface draws
};

struct TFCBrush {
    TColor Color = 0xFFFFFF;
    TFCBrushStyle Style = TFCBrushStyle::Solid;
};

struct TFCFont {
    std::string Name = "Arial";
    int32_t Size = 10; // points
    TColor Color = 0;
};

// A 24-bit picture: rows top to bottom, Width * 3 bytes each (blue, green, red), no padding.
// Version changes whenever the pixels do, so a surface may keep a converted copy.
struct TFCBitmap {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels;
    uint64_t Version = 0;
    bool Empty() const { return Width < 1 || Height < 1; }
};

class TFCCanvas {
  public:
    virtual ~TFCCanvas() = default;

    TFCPen Pen;
    TFCBrush Brush;
    TFCFont Font;

    void MoveTo(int32_t x, int32_t y) { PenPos = {x, y}; }
    // A line from the pen position, which then moves to (x, y).
    void LineTo(int32_t x, int32_t y) {
        Line(PenPos, {x, y});
        PenPos = {x, y};
    }
    virtual void Polyline(std::span<const Point2> points) = 0;
    // Outlined with the pen, filled with the brush.
    virtual void Polygon(std::span<const Point2> points) = 0;
    // (x1, y1) inclusive to (x2, y2) exclusive, outlined with the pen, filled with the brush.
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Filled with the brush, no outline; (x2, y2) exclusive.
    virtual void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Text with its top-left corner at (x, y) in the font's colour.
    virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;
    virtual int32_t TextWidth(const std::string& text) = 0;
    virtual int32_t TextHeight(const std::string& text) = 0;
    // The picture stretched into (x1, y1)-(x2, y2), x2 and y2 exclusive.
    virtual void StretchDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                             const TFCBitmap& picture) = 0;

  protected:
    virtual void Line(Point2 from, Point2 to) = 0;
    Point2 PenPos{};
};
