// The printed sheets of the cut list window: per swept object its members drawn to scale with
// their lengths and end angles, the profile with its width and height, and the stock to buy; per
// lathe object its rings.
#include "app/UnCutListWindow.h"

#include "app/Internationalization.h"
#include "app/UnQtText.h"
#include "app/unPalvorin.h"

#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QString tr(const char* text) {
    return translatedText(text);
}

QString number(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

// A page's drawing area in points (1/72 inch), its painter scaled to them.
struct Page {
    QPainter& painter;
    QRectF area;
    double y = 0;     // where the next line goes
    double scale = 1; // device pixels per point

    // A font of size points on the page (the painter is scaled to points already).
    void setFont(double size, bool bold = false) {
        QFont font(QStringLiteral("Sans"));
        font.setPointSizeF(size / scale);
        font.setBold(bold);
        painter.setFont(font);
    }
};

void beginPage(QPrinter& printer, QPainter& painter, bool first, Page& page) {
    if (!first) printer.newPage();
    const QRectF paper = printer.pageRect(QPrinter::Point);
    painter.resetTransform();
    const double k = printer.resolution() / 72.0;
    painter.scale(k, k);
    page.scale = k;
    page.area = QRectF(0, 0, paper.width(), paper.height());
    page.y = 0;
}

void text(Page& page, const QString& line, double size = 10, bool bold = false) {
    page.setFont(size, bold);
    page.y += size * 1.5;
    page.painter.drawText(QPointF(page.area.left(), page.y), line);
}

// One member to scale: the long edge above, the short one below, its ends at their mitres.
void drawMember(Page& page, const TCutRow& row, double width, double k, double x0) {
    const double h = std::max(width * k, 8.0);
    const double a = row.MitreStart * std::numbers::pi / 180;
    const double b = row.MitreEnd * std::numbers::pi / 180;
    const double top = page.y + 6, bottom = top + h;
    const double l = row.Long * k;
    const double inStart = row.StartKind == TEndKind::Mitre ? width * std::tan(a) * k : 0;
    const double inEnd = row.EndKind == TEndKind::Mitre ? width * std::tan(b) * k : 0;
    QPainterPath outline;
    outline.moveTo(x0, top);
    outline.lineTo(x0 + l, top);
    outline.lineTo(x0 + l - inEnd, bottom);
    outline.lineTo(x0 + inStart, bottom);
    outline.closeSubpath();
    page.painter.setPen(QPen(Qt::black, 0.8));
    page.painter.setBrush(QColor(0xE8, 0xD8, 0xB8));
    page.painter.drawPath(outline);
    page.setFont(7.5);
    page.painter.drawText(QPointF(x0 + l / 2 - 20, top - 2),
                          number(row.Long) + QStringLiteral(" mm"));
    page.painter.drawText(QPointF(x0 + l / 2 - 20, bottom + 9),
                          number(row.Short) + QStringLiteral(" mm"));
    page.painter.drawText(QPointF(x0 - 30, top + h / 2 + 3), number(row.MitreStart) + u'°');
    page.painter.drawText(QPointF(x0 + l + 4, top + h / 2 + 3), number(row.MitreEnd) + u'°');
    page.painter.drawText(QPointF(x0 - 52, top + h / 2 + 3), QString::number(row.Member));
    page.y = bottom + 16;
}

// The profile in a box at the page's right, its width and height dimensioned.
void drawProfile(Page& page, const TExtrObj& object, double top) {
    const int count = std::min(object.ProfileCount, MaxOutlineVertices);
    if (count < 2) return;
    const double s = object.ProfileScale() / 100.0;
    QPolygonF polygon;
    for (int i = 0; i < count; ++i)
        polygon << QPointF(object.Profile[size_t(i)].X * s, -object.Profile[size_t(i)].Y * s);
    const QRectF bounds = polygon.boundingRect();
    const QRectF box(page.area.right() - 170, top, 140, 110);
    const double k = std::min(box.width() / std::max(bounds.width(), 1e-6),
                              box.height() / std::max(bounds.height(), 1e-6));
    QTransform t;
    t.translate(box.left(), box.top());
    t.scale(k, k);
    t.translate(-bounds.left(), -bounds.top());
    page.painter.setPen(QPen(Qt::black, 0.8));
    page.painter.setBrush(QColor(0xE8, 0xD8, 0xB8));
    page.painter.drawPolygon(t.map(polygon));
    const QRectF r = t.mapRect(bounds);
    page.painter.setPen(QPen(Qt::darkBlue, 0.5));
    page.painter.drawLine(QPointF(r.left(), r.bottom() + 8), QPointF(r.right(), r.bottom() + 8));
    page.painter.drawLine(QPointF(r.right() + 8, r.top()), QPointF(r.right() + 8, r.bottom()));
    page.setFont(7.5);
    page.painter.drawText(QPointF(r.center().x() - 15, r.bottom() + 18),
                          number(bounds.width()) + QStringLiteral(" mm"));
    page.painter.save();
    page.painter.translate(r.right() + 18, r.center().y() + 15);
    page.painter.rotate(-90);
    page.painter.drawText(QPointF(0, 0), number(bounds.height()) + QStringLiteral(" mm"));
    page.painter.restore();
}

} // namespace

void paintCutSheets(QPrinter& printer, const TfrmPalvorin& window,
                    const std::vector<TCutList>& lists, const std::vector<int>& objects,
                    const TStockSettings& settings) {
    QPainter painter(&printer);
    Page page{painter, {}};
    bool first = true;
    for (size_t n = 0; n < lists.size(); ++n) {
        const TCutList& list = lists[n];
        beginPage(printer, painter, first, page);
        first = false;
        text(page, tr("Cut list: %1").arg(modelText(list.Object)), 14, true);
        text(page, tr("Profile %1 × %2 mm").arg(number(list.Width), number(list.Height)));
        const double profileTop = page.y + 10;
        drawProfile(page, window.Document->Items(objects[n]), profileTop);
        if (!list.Problem.empty()) text(page, tr(list.Problem.c_str()));
        double longest = 1;
        for (const TCutRow& row : list.Rows)
            longest = std::max(longest, row.Long);
        const double x0 = page.area.left() + 60;
        const double k = (page.area.width() - 260) / longest;
        page.y = std::max(page.y, profileTop) + 20;
        for (const TCutRow& row : list.Rows) {
            if (page.y > page.area.bottom() - 120) {
                beginPage(printer, painter, false, page);
                text(page, tr("Cut list: %1").arg(modelText(list.Object)), 14, true);
                page.y += 20;
            }
            if (!row.Problem.empty()) {
                text(page,
                     QString::number(row.Member) + QStringLiteral(": ") + tr(row.Problem.c_str()));
                continue;
            }
            if (row.Corner) {
                text(page,
                     tr("Corner piece C%1 (%2): radius %3 mm, %4°, %5 / %6 mm")
                         .arg(row.Member)
                         .arg(tr(row.KindName()), number(row.Radius), number(row.Angle),
                              number(row.Long), number(row.Short)),
                     8.5);
                page.y += 6;
                continue;
            }
            drawMember(page, row, list.Width, k, x0);
        }
        const std::vector<double> pieces = stockPieces(list);
        if (!pieces.empty() && checkStockSettings(settings, pieces).empty()) {
            const TStockSummary s = stockSummary(pieces, settings);
            page.y += 10;
            text(page, tr("Stock"), 12, true);
            text(page, tr("%1 pieces; kerf %2 mm, waste %3 %: buy %4 mm, %5 stock lengths of %6 mm")
                           .arg(s.Pieces)
                           .arg(number(settings.Kerf), number(settings.Waste), number(s.Total, 0))
                           .arg(s.StockLengths)
                           .arg(number(settings.Stock, 0)));
            for (size_t b = 0; b < s.Bars.size(); ++b) {
                QStringList cuts;
                for (double piece : s.Bars[b])
                    cuts << number(piece);
                text(page, tr("Length %1: %2").arg(b + 1).arg(cuts.join(QStringLiteral(" + "))), 9);
            }
        }
    }
    if (first) {
        beginPage(printer, painter, true, page);
        text(page, tr("The document has no swept object."));
    }
}

void paintTurningSheets(QPrinter& printer, const std::vector<TTurningTable>& tables) {
    QPainter painter(&printer);
    Page page{painter, {}};
    bool first = true;
    for (const TTurningTable& t : tables) {
        beginPage(printer, painter, first, page);
        first = false;
        text(page, tr("Segmented turning: %1").arg(modelText(t.Object)), 14, true);
        if (!t.Problem.empty()) text(page, tr(t.Problem.c_str()));
        for (const TRing& r : t.Rings) {
            text(page,
                 tr("Ring %1, %2 to %3 mm: radii %4 / %5 mm")
                     .arg(r.Ring)
                     .arg(number(r.From), number(r.To), number(r.Outer), number(r.Inner)),
                 9);
            text(page,
                 tr("%1 segments of %2 × %3 mm at %4°, board %5 mm")
                     .arg(r.Segments)
                     .arg(number(r.SegmentLength), number(r.SegmentWidth), number(r.Mitre, 2),
                          number(r.BoardLength)),
                 9);
        }
        // The rings in section beside the axis, to scale, below the figures.
        double outer = 1, height = 1;
        for (const TRing& r : t.Rings)
            outer = std::max(outer, r.Outer), height = std::max(height, r.To);
        const double room = std::max(60.0, page.area.bottom() - page.y - 40);
        const double k = std::min((page.area.width() - 80) / outer, room / height);
        const double axisX = page.area.left() + 40, base = page.y + 20 + height * k;
        painter.setPen(QPen(Qt::black, 0.6));
        for (const TRing& r : t.Rings) {
            painter.setBrush(r.Ring % 2 ? QColor(0xE8, 0xD8, 0xB8) : QColor(0xC8, 0xA8, 0x80));
            painter.drawRect(QRectF(axisX + r.Inner * k, base - r.To * k, (r.Outer - r.Inner) * k,
                                    (r.To - r.From) * k));
        }
        painter.setPen(QPen(Qt::gray, 0.5, Qt::DashLine));
        painter.drawLine(QPointF(axisX, base + 10), QPointF(axisX, base - height * k - 10));
    }
    if (first) {
        beginPage(printer, painter, true, page);
        text(page, tr("The document has no lathe object."));
    }
}
