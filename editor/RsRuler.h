// Rulers along the edges of a drawing area (ticks, labels, a hair line following the cursor) and
// the corner square where two of them meet.
#pragma once

#include <QWidget>

#include <cstdint>

enum TRulerDir { rdTop, rdLeft, rdRight, rdBottom };
enum TRulerUnit { ruCenti, ruMilli, ruInch, ruCustom, ruNone };
enum TCornerPos { cpLeftTop, cpRightTop, cpLeftBottom, cpRightBottom };
enum THairLineStyle { hlsLine, hlsRect };

// Thickness of a ruler (and side of a corner) in pixels.
constexpr int RulerThickness = 24;
// Depth of the hair line from the inner edge: it runs beside the ticks and stops short of the
// labels, so it never covers a number.
constexpr int HairLineDepth = 8;

// Geometry shared by rulers and corners, in pixels across the ruler.
struct TRulerBand {
    // Inset of the raised edge (0 when flat).
    static int border(bool flat) { return flat ? 0 : 2; }
    // Depth of the white band, measured from the inner edge of the interior.
    static int depth(bool flat) { return RulerThickness - 2 * border(flat) - 1; }
};

class TRsRuler : public QWidget {
    Q_OBJECT
  public:
    explicit TRsRuler(QWidget* parent = nullptr);

    TRulerDir Direction() const { return FDirection; }
    // A change between horizontal and vertical kinds exchanges width and height.
    void SetDirection(TRulerDir value);
    TRulerUnit Units() const { return FUnits; }
    void SetUnits(TRulerUnit value);
    // Percent; values below 1 are ignored.
    int32_t Scale() const { return FScale; }
    void SetScale(int32_t value);
    // Pixels per step in custom units; values of 0 or less are ignored.
    double Advance() const { return FAdvance; }
    void SetAdvance(double value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool HairLine() const { return FHairLine; }
    void SetHairLine(bool value);
    // Pixels along the ruler; -1: no hair line.
    int32_t HairLinePos() const { return FHairLinePos; }
    void SetHairLinePos(int32_t value);
    THairLineStyle HairLineStyle() const { return FHairLineStyle; }
    void SetHairLineStyle(THairLineStyle value);

    // Pixels between labelled positions, and the label factor chosen by the scale.
    double Step() const;
    double LabelFactor() const;
    // Factor for a scale (percent) in millimetres, centimetres and inches.
    static double LabelFactorOfScale(int32_t scale);

    // Labels in units of a drawing (the solid's millimetres): pixelsPerUnit pixels make one unit,
    // the value 0 stands at pixel origin and values grow along the ruler (sign 1) or against it
    // (sign -1). A pixelsPerUnit of 0 or less goes back to the ruler's own units.
    void SetDrawingUnits(double pixelsPerUnit, double origin, int sign);
    bool DrawingUnits() const { return FPixelsPerUnit > 0; }
    // The labelled step (1, 2 or 5 times a power of ten units) that leaves at least minPixels
    // between labels.
    static double DrawingLabelStep(double pixelsPerUnit, double minPixels = 50);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool horizontal() const { return FDirection == rdTop || FDirection == rdBottom; }
    int length() const { return horizontal() ? width() : height(); }
    // Widget point at pos pixels along the ruler and depth pixels out from the band's inner edge.
    QPoint at(int pos, int depth) const;
    // Rectangle spanning [pos0, pos1) along and [depth0, depth1) across.
    QRect span(int pos0, int pos1, int depth0, int depth1) const;
    // Draws text centred on pos, moved inwards where it would stand over an end of the ruler.
    void drawLabel(class QPainter& painter, int pos, const QString& text) const;
    void drawHairLine(class QPainter& painter) const;
    // Repaints the strip that a hair line at pos in that style covers.
    void updateHairLine(int32_t pos, THairLineStyle style);
    // Repaints where the hair line was and where it is now.
    void moveHairLine(int32_t oldPos, THairLineStyle oldStyle);
    void applySizePolicy();
    void paintDrawingUnits(class QPainter& painter);

    TRulerDir FDirection = rdTop;
    TRulerUnit FUnits = ruCenti;
    int32_t FScale = 100;
    double FAdvance = 1.0;
    bool FFlat = false;
    bool FHairLine = false;
    int32_t FHairLinePos = -1;
    THairLineStyle FHairLineStyle = hlsLine;
    double FPixelsPerUnit = 0, FOrigin = 0;
    int FSign = 1;
};

class TRsRulerCorner : public QWidget {
    Q_OBJECT
  public:
    explicit TRsRulerCorner(QWidget* parent = nullptr);

    TCornerPos Position() const { return FPosition; }
    void SetPosition(TCornerPos value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    TRulerUnit Units() const { return FUnits; }
    // Also sets the unit text and the hint.
    void SetUnits(TRulerUnit value);
    // "cm", "mm", "in" or empty.
    QString UnitText() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TCornerPos FPosition = cpLeftTop;
    bool FFlat = false;
    TRulerUnit FUnits = ruCenti;
};
