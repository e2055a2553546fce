// The editor window's View menu: Fit outline zooms and scrolls so that the whole outline shows
// with a margin, by the menu, by the key F and when an outline opens larger than the window.
#include "editor/UnPolEditor.h"

#include "editor/UnMultiLineEdit.h"
#include "ui_UnPolEditor.h"

#include <QComboBox>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Pixels left free between the outline and each side of the view.
constexpr int FitMargin = 30;

} // namespace

void TPolEdit::createViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("mnView"));
    auto* fit = view->addAction(QStringLiteral("Fit outline"));
    fit->setObjectName(QStringLiteral("mnFitOutline"));
    fit->setShortcut(QKeySequence(Qt::Key_F));
    connect(fit, &QAction::triggered, this, &TPolEdit::fitOutlineClick);
}

QRectF TPolEdit::outlineBox() const {
    const std::vector<OutlineVertex> v = ui->MultiLineEdit1->Outline();
    if (v.empty()) return {};
    double x0 = v[0].X, x1 = x0, y0 = v[0].Y, y1 = y0;
    for (const OutlineVertex& p : v) {
        x0 = std::min<double>(x0, p.X), x1 = std::max<double>(x1, p.X);
        y0 = std::min<double>(y0, p.Y), y1 = std::max<double>(y1, p.Y);
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

bool TPolEdit::outlineInView() const {
    if (ui->MultiLineEdit1->Outline().empty()) return true;
    const QRectF box = outlineBox();
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    const QRectF view(ui->ScrollBox1->viewport()->rect());
    for (const QPointF& corner : {box.topLeft(), box.bottomRight()})
        if (!view.contains(corner * e.Zoom + QPointF(e.pos()))) return false;
    return true;
}

void TPolEdit::fitOutlineClick() {
    const QRectF box = outlineBox();
    const QWidget* view = ui->ScrollBox1->viewport();
    const double roomX = std::max(view->width() - 2 * FitMargin, 1);
    const double roomY = std::max(view->height() - 2 * FitMargin, 1);
    // The largest zoom of the list at which the box fits; the smallest when none does.
    QComboBox* zoom = ui->lZoom;
    int chosen = zoom->count() - 1;
    for (int i = 0; i < zoom->count(); ++i) {
        const double z = zoom->itemText(i).toInt() / 100.0;
        if (box.width() * z <= roomX && box.height() * z <= roomY) {
            chosen = i;
            break;
        }
    }
    {
        const QSignalBlocker quiet(zoom);
        zoom->setCurrentIndex(chosen);
    }
    applyZoom(zoom->itemText(chosen).toInt());
    // The box's middle in the middle of the view.
    const double z = ui->MultiLineEdit1->Zoom;
    ui->ScrollBox1->horizontalScrollBar()->setValue(
        int(std::lround(box.center().x() * z - view->width() / 2.0)));
    ui->ScrollBox1->verticalScrollBar()->setValue(
        int(std::lround(box.center().y() * z - view->height() / 2.0)));
    placeRulers();
}
