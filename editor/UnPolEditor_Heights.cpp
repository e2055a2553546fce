// The editor window's side of a path's heights: handing them in and out, the Helix command, and
// the plan view's labels on vertices that have a height.
#include "editor/UnPolEditor.h"

#include "editor/UnHelixDialog.h"
#include "editor/UnMultiLineEdit.h"
#include "editor/UnPointsText.h"
#include "ui_UnPolEditor.h"

#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <vector>

void TPolEdit::SetHeights(const float* heights, int32_t count) {
    // Not an edit: the heights belong to the outline SetData gave.
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.Line.SetHeights(heights, std::max(count, 0));
    // SetData took the path for one in the plane: a rising path that ends above its start is not
    // closed by ending on it after all.
    const std::vector<float> h = e.Heights();
    if (PathMode && !GivenClosed && ui->ckClosed->isChecked() && !h.empty() &&
        h.front() != h.back()) {
        ui->ckClosed->setChecked(false);
        panels[1]->clear();
    }
    noteLoadedState();
    e.update();
}

bool TPolEdit::GetHeights(float* heights, int32_t count) {
    if (int32_t(SavedHeights.size()) != count) return false;
    std::copy(SavedHeights.begin(), SavedHeights.end(), heights);
    return true;
}

void TPolEdit::helixClick() {
    if (!PathMode) return;
    static THelixShape shape;
    const bool accepted = askHelix(this, shape);
    activateWindow();
    if (!accepted) return;
    // The helix's exact points go in as typed ones do: the scale is refined to hold them, and
    // the status bar tells of any point that still had to move.
    std::vector<TPointRow> rows;
    for (const auto& p : helixPointsMm(shape))
        rows.push_back({p[0], p[1], p[2], true});
    placeRows(rows, std::vector<OutlineVertex>(rows.size()), false,
              [&] { ui->ckClosed->setChecked(false); });
    if (!outlineInView()) fitOutlineClick();
}

void TPolEdit::paintHeights(QPainter* painter) {
    if (!PathMode) return;
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    const std::vector<float> heights = e.Heights();
    QFont font = painter->font();
    font.setPixelSize(10);
    painter->save();
    painter->setFont(font);
    painter->setPen(QColor(120, 40, 0));
    // A label that would cover one already drawn is left out (a tight helix at a small zoom).
    std::vector<QRectF> drawn;
    for (int32_t i = 0; i < int32_t(heights.size()); ++i) {
        if (heights[size_t(i)] == 0) continue;
        // A closed ring's end lies on its start: one label when their heights agree.
        if (i == int32_t(heights.size()) - 1 && i > 0 && e.IsClosed() &&
            heights.back() == heights.front())
            continue;
        const Point2 p = e.Line.Vertex(i).Pos;
        const QString text =
            QStringLiteral("h %1").arg(QString::fromStdString(FormatMm(toMm(heights[size_t(i)]))));
        const QRectF box = QRectF(painter->fontMetrics().boundingRect(text))
                               .translated(p.X * e.Zoom + 5, p.Y * e.Zoom - 5);
        if (std::any_of(drawn.begin(), drawn.end(),
                        [&](const QRectF& r) { return r.intersects(box); }))
            continue;
        drawn.push_back(box);
        painter->drawText(QPointF(p.X * e.Zoom + 5, p.Y * e.Zoom - 5), text);
    }
    painter->restore();
}
