// TFCCanvas on a QPainter: the figures' pens, brushes, fonts and drawing operations in Qt terms,
// with the background picture converted and stretched once and then only blitted.
#pragma once

#include "editor/UnTFCCanvas.h"

#include <QImage>
#include <QSize>

class QPainter;

class TPainterCanvas : public TFCCanvas {
  public:
    // The converted picture, kept by the widget between paints.
    struct TPictureCache {
        uint64_t Version = 0;
        QSize Size;
        QImage Image;
    };

    TPainterCanvas(QPainter& painter, TPictureCache& cache) : Painter(painter), Cache(cache) {}

    void Polyline(std::span<const Point2> points) override;
    void Polygon(std::span<const Point2> points) override;
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void TextOut(int32_t x, int32_t y, const std::string& text) override;
    int32_t TextWidth(const std::string& text) override;
    int32_t TextHeight(const std::string& text) override;
    void StretchDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     const TFCBitmap& picture) override;

  protected:
    void Line(Point2 from, Point2 to) override;

  private:
    QPainter& Painter;
    TPictureCache& Cache;
    void ApplyPen(bool withBrush);
    void ApplyFont();
};
