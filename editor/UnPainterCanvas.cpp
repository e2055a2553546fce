// TFCCanvas on a QPainter: the figures' pens, brushes, fonts and drawing operations in Qt terms,
// with the background picture converted and stretched once and then only blitted.
#include "editor/UnPainterCanvas.h"

#include "editor/GraphicListBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <vector>

namespace {

Qt::PenStyle toQPenStyle(uint8_t style) {
    switch (style) {
    case psSolid:
        return Qt::SolidLine;
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::NoPen;
    }
}

QPolygon toQPolygon(std::span<const Point2> points) {
    QPolygon polygon(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        polygon.setPoint(int(i), points[i].X, points[i].Y);
    return polygon;
}

} // namespace

void TPainterCanvas::ApplyPen(bool withBrush) {
    QPen pen(colorOf(Pen.Color), Pen.Width, toQPenStyle(Pen.Style), Qt::SquareCap, Qt::MiterJoin);
    Painter.setPen(pen);
    if (withBrush && Brush.Style == TFCBrushStyle::Solid)
        Painter.setBrush(colorOf(Brush.Color));
    else
        Painter.setBrush(Qt::NoBrush);
}

void TPainterCanvas::ApplyFont() {
    Painter.setFont(QFont(QString::fromLatin1(Font.Name), Font.Size));
    Painter.setPen(colorOf(Font.Color));
}

void TPainterCanvas::Line(Point2 from, Point2 to) {
    ApplyPen(false);
    Painter.drawLine(from.X, from.Y, to.X, to.Y);
}

void TPainterCanvas::Polyline(std::span<const Point2> points) {
    ApplyPen(false);
    Painter.drawPolyline(toQPolygon(points));
}

void TPainterCanvas::Polygon(std::span<const Point2> points) {
    ApplyPen(true);
    Painter.drawPolygon(toQPolygon(points));
}

void TPainterCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    ApplyPen(true);
    // A stroked QRect covers one pixel more than its size; the far edges are exclusive here.
    Painter.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TPainterCanvas::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (Brush.Style == TFCBrushStyle::Clear) return;
    Painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colorOf(Brush.Color));
}

void TPainterCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
    ApplyFont();
    const QString s = QString::fromLatin1(text);
    const QRect box = Painter.fontMetrics().boundingRect(s);
    if (Brush.Style == TFCBrushStyle::Solid)
        Painter.fillRect(QRect(x, y, box.width(), box.height()), colorOf(Brush.Color));
    Painter.drawText(QRect(x, y, box.width() + 1, box.height()), Qt::AlignLeft | Qt::AlignTop, s);
}

int32_t TPainterCanvas::TextWidth(const std::string& text) {
    ApplyFont();
    return Painter.fontMetrics().horizontalAdvance(QString::fromLatin1(text));
}

int32_t TPainterCanvas::TextHeight(const std::string&) {
    ApplyFont();
    return Painter.fontMetrics().height();
}

void TPainterCanvas::StretchDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                 const TFCBitmap& picture) {
    const QSize size(x2 - x1, y2 - y1);
    if (picture.Empty() || size.isEmpty()) return;
    if (Cache.Version != picture.Version || Cache.Size != size || Cache.Image.isNull()) {
        const QImage source(picture.Pixels.data(), picture.Width, picture.Height, picture.Width * 3,
                            QImage::Format_BGR888);
        QImage scaled = size == source.size()
                            ? source.copy()
                            : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Cache.Image = scaled.convertToFormat(QImage::Format_RGB32);
        Cache.Version = picture.Version;
        Cache.Size = size;
    }
    Painter.drawImage(QPoint(x1, y1), Cache.Image);
}
