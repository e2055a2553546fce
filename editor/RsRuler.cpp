// Rulers and ruler corners painted with QPainter; the inverting hair line is redrawn from state.
#include "editor/RsRuler.h"

#include "model/unVectorCalc.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace {

// Tick lengths, label and half-label mark depths, in pixels out from the band's inner edge.
constexpr int ShortTick = 6;
constexpr int LongTick = 8;
constexpr int LabelDepth = 8;
static_assert(HairLineDepth <= LabelDepth, "the hair line stops short of the labels");
constexpr int MarkFrom = 12;
constexpr int MarkTo = 16;
// Steps below one pixel cannot be shown; the ruler then draws no ticks (and cannot loop forever).
constexpr double SmallestStep = 1.0;

QFont labelFont(const QWidget& widget) {
    QFont font = widget.font();
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

int pixel(double position) {
    return RoundHalfEven(position);
}

// Stores value in field; true when that changed it.
template <class T> bool changed(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}

// Text and hint of a corner by unit.
struct UnitNames {
    const char* text;
    const char* hint;
};
UnitNames unitNames(TRulerUnit units) {
    switch (units) {
    case ruCenti:
        return {"cm", "centimeter"};
    case ruMilli:
        return {"mm", "millimeter"};
    case ruInch:
        return {"in", "inch"};
    default:
        return {"", ""};
    }
}

void drawFrame(QPainter& painter, const QWidget& widget, bool flat) {
    painter.fillRect(widget.rect(), widget.palette().color(QPalette::Button));
    if (!flat) qDrawWinPanel(&painter, widget.rect(), widget.palette(), false);
}

} // namespace

TRsRuler::TRsRuler(QWidget* parent) : QWidget(parent) {
    applySizePolicy();
    resize(sizeHint());
}

void TRsRuler::SetDirection(TRulerDir value) {
    if (value == FDirection) return;
    const bool wasHorizontal = horizontal();
    FDirection = value;
    if (wasHorizontal != horizontal()) {
        applySizePolicy();
        resize(height(), width());
        updateGeometry();
    }
    update();
}

void TRsRuler::SetUnits(TRulerUnit value) {
    if (changed(FUnits, value)) update();
}

void TRsRuler::SetScale(int32_t value) {
    if (value >= 1 && changed(FScale, value)) update();
}

void TRsRuler::SetAdvance(double value) {
    if (value > 0 && changed(FAdvance, value)) update();
}

void TRsRuler::SetFlat(bool value) {
    if (changed(FFlat, value)) update();
}

void TRsRuler::SetHairLine(bool value) {
    if (changed(FHairLine, value)) updateHairLine(FHairLinePos, FHairLineStyle);
}

void TRsRuler::SetHairLinePos(int32_t value) {
    const int32_t before = FHairLinePos;
    if (changed(FHairLinePos, value)) moveHairLine(before, FHairLineStyle);
}

void TRsRuler::SetHairLineStyle(THairLineStyle value) {
    const THairLineStyle before = FHairLineStyle;
    if (changed(FHairLineStyle, value)) moveHairLine(FHairLinePos, before);
}

void TRsRuler::moveHairLine(int32_t oldPos, THairLineStyle oldStyle) {
    updateHairLine(oldPos, oldStyle);
    updateHairLine(FHairLinePos, FHairLineStyle);
}

double TRsRuler::LabelFactorOfScale(int32_t scale) {
    struct Row {
        int32_t upTo;
        double factor;
    };
    static constexpr Row rows[] = {{1, 100},    {2, 50},    {5, 25},    {8, 20},  {12, 10},
                                   {25, 5},     {35, 4},    {50, 2},    {125, 1}, {300, 0.5},
                                   {400, 0.25}, {500, 0.2}, {1000, 0.1}};
    for (const Row& row : rows)
        if (scale <= row.upTo) return row.factor;
    return 0.1; // beyond 1000 % the finest factor still applies
}

double TRsRuler::LabelFactor() const {
    return FUnits == ruCustom ? 1.0 : LabelFactorOfScale(FScale);
}

double TRsRuler::Step() const {
    if (FUnits == ruCustom) return FAdvance;
    const int dpi = horizontal() ? logicalDpiX() : logicalDpiY();
    double step = FScale * (dpi / 10.0) / 100.0;
    if (FUnits != ruInch) step /= 2.54;
    return step * LabelFactor();
}

void TRsRuler::SetDrawingUnits(double pixelsPerUnit, double origin, int sign) {
    const double ppu = std::max(pixelsPerUnit, 0.0);
    if (ppu == FPixelsPerUnit && origin == FOrigin && sign == FSign) return;
    FPixelsPerUnit = ppu;
    FOrigin = origin;
    FSign = sign < 0 ? -1 : 1;
    update();
}

double TRsRuler::DrawingLabelStep(double pixelsPerUnit, double minPixels) {
    if (!(pixelsPerUnit > 0)) return 1;
    double power = std::pow(10.0, std::floor(std::log10(minPixels / pixelsPerUnit)));
    for (;; power *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if (m * power * pixelsPerUnit >= minPixels) return m * power;
}

void TRsRuler::paintDrawingUnits(QPainter& painter) {
    const double step = DrawingLabelStep(FPixelsPerUnit);
    // Ticks at a fifth of the labelled step (a half when the step is twice a power of ten).
    const double first = std::round(step / std::pow(10.0, std::floor(std::log10(step))));
    const int ticks = first == 2 ? 4 : 5;
    const double tick = step / ticks;
    const int L = length();
    // Values at both ends of the ruler, as tick numbers.
    const double v0 = (0 - FOrigin) / FPixelsPerUnit * FSign;
    const double v1 = (L - FOrigin) / FPixelsPerUnit * FSign;
    const long long k0 = (long long)std::floor(std::min(v0, v1) / tick) - 1;
    const long long k1 = (long long)std::ceil(std::max(v0, v1) / tick) + 1;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(labelFont(*this));
    for (long long k = k0; k <= k1; ++k) {
        const int pos = pixel(FOrigin + FSign * k * tick * FPixelsPerUnit);
        if (pos < 0 || pos >= L) continue;
        const bool labelled = k % ticks == 0;
        painter.drawLine(at(pos, 0), at(pos, (labelled ? LongTick + 2 : ShortTick) - 1));
        if (labelled) drawLabel(painter, pos, QString::number(double(k / ticks) * step, 'g', 10));
    }
}

QSize TRsRuler::sizeHint() const {
    return horizontal() ? QSize(200, RulerThickness) : QSize(RulerThickness, 200);
}

void TRsRuler::applySizePolicy() {
    if (horizontal())
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

QPoint TRsRuler::at(int pos, int depth) const {
    const int inset = TRulerBand::border(FFlat) + depth;
    switch (FDirection) {
    case rdTop:
        return QPoint(pos, height() - 1 - inset);
    case rdBottom:
        return QPoint(pos, inset);
    case rdLeft:
        return QPoint(width() - 1 - inset, pos);
    case rdRight:
        break;
    }
    return QPoint(inset, pos);
}

QRect TRsRuler::span(int pos0, int pos1, int depth0, int depth1) const {
    const QPoint a = at(pos0, depth0), b = at(pos1 - 1, depth1 - 1);
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

void TRsRuler::drawLabel(QPainter& painter, int pos, const QString& text) const {
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    // The whole text stays within the ruler's inside: an end label moves in instead of being cut.
    const int w = metrics.horizontalAdvance(text) + 2;
    // Only the part of the ruler its parent shows counts: a ruler as long as a scrolled drawing
    // reaches beyond the strip that holds it.
    int from = TRulerBand::border(FFlat), to = length() - TRulerBand::border(FFlat);
    if (const QWidget* strip = parentWidget()) {
        const QRect shown = strip->rect().translated(-geometry().topLeft()) & rect();
        from = std::max(from, horizontal() ? shown.left() : shown.top());
        to = std::min(to, (horizontal() ? shown.right() : shown.bottom()) + 1);
    }
    if (pos < from || pos >= to) return; // labels of the hidden part stay there
    const int first = from + w / 2, last = to - (w - w / 2);
    const int centre = first > last ? (from + to) / 2 : std::clamp(pos, first, last);
    if (horizontal()) {
        painter.drawText(span(centre - w / 2, centre - w / 2 + w, LabelDepth, LabelDepth + h),
                         Qt::AlignCenter, text);
        return;
    }
    // Vertical rulers turn their labels so that the text's top faces away from the drawing.
    const QRect cell = span(centre, centre + 1, LabelDepth, LabelDepth + h);
    painter.save();
    painter.translate(QRectF(cell).center());
    painter.rotate(FDirection == rdLeft ? -90 : 90);
    painter.drawText(QRectF(-w / 2.0, -h / 2.0, w, h), Qt::AlignCenter, text);
    painter.restore();
}

void TRsRuler::drawHairLine(QPainter& painter) const {
    if (!FHairLine || FHairLinePos == -1) return;
    const int depth = HairLineDepth;
    const QRect r = FHairLineStyle == hlsLine
                        ? span(FHairLinePos, FHairLinePos + 1, 0, depth)
                        : span(TRulerBand::border(FFlat), FHairLinePos + 1, 0, depth);
    if (r.isEmpty()) return;
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(r, Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TRsRuler::updateHairLine(int32_t pos, THairLineStyle style) {
    if (pos == -1) return;
    const int from = style == hlsLine ? pos : 0;
    update(span(from, pos + 1, 0, HairLineDepth));
}

void TRsRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(painter, *this, FFlat);
    const int border = TRulerBand::border(FFlat);
    const int L = length();
    painter.fillRect(span(border, L - border, 0, TRulerBand::depth(FFlat)),
                     palette().color(QPalette::Base));

    const double step = Step();
    if (DrawingUnits()) {
        paintDrawingUnits(painter);
    } else if (step >= SmallestStep) {
        painter.setPen(palette().color(QPalette::WindowText));
        // Minor ticks every two steps, every fifth one longer.
        for (int k = 0;; ++k) {
            const int pos = pixel(2.0 * k * step);
            if (pos >= L) break;
            painter.drawLine(at(pos, 0), at(pos, (k % 5 == 0 ? LongTick : ShortTick) - 1));
        }
        // Numbers every ten steps, a short mark half-way between them.
        painter.setFont(labelFont(*this));
        const double factor = LabelFactor() * (FUnits == ruMilli ? 10 : 1);
        for (int j = 5;; j += 5) {
            const int pos = pixel(j * step);
            if (pos >= L) break;
            if (j % 10 == 0)
                drawLabel(painter, pos, QString::number(j * factor / 10.0, 'g', 10));
            else
                painter.drawLine(at(pos, MarkFrom), at(pos, MarkTo - 1));
        }
    }
    drawHairLine(painter);
}

TRsRulerCorner::TRsRulerCorner(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(RulerThickness, RulerThickness);
    setToolTip(QString::fromLatin1(unitNames(FUnits).hint));
}

void TRsRulerCorner::SetPosition(TCornerPos value) {
    if (changed(FPosition, value)) update();
}

void TRsRulerCorner::SetFlat(bool value) {
    if (changed(FFlat, value)) update();
}

void TRsRulerCorner::SetUnits(TRulerUnit value) {
    if (!changed(FUnits, value)) return;
    setToolTip(QString::fromLatin1(unitNames(FUnits).hint));
    update();
}

QString TRsRulerCorner::UnitText() const {
    return QString::fromLatin1(unitNames(FUnits).text);
}

QSize TRsRulerCorner::sizeHint() const {
    return QSize(RulerThickness, RulerThickness);
}

void TRsRulerCorner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(painter, *this, FFlat);
    // The bands of the two rulers run along the corner's sides that face the drawing.
    const int border = TRulerBand::border(FFlat), depth = TRulerBand::depth(FFlat);
    const QRect inner = rect().adjusted(border, border, -border, -border);
    const bool drawingRight = FPosition == cpLeftTop || FPosition == cpLeftBottom;
    const bool drawingBelow = FPosition == cpLeftTop || FPosition == cpRightTop;
    QRect across = inner, down = inner;
    if (drawingBelow)
        across.setTop(inner.bottom() - depth + 1);
    else
        across.setBottom(inner.top() + depth - 1);
    if (drawingRight)
        down.setLeft(inner.right() - depth + 1);
    else
        down.setRight(inner.left() + depth - 1);
    painter.fillRect(across, palette().color(QPalette::Base));
    painter.fillRect(down, palette().color(QPalette::Base));
    painter.setFont(labelFont(*this));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(rect(), Qt::AlignCenter, UnitText());
}
