// The editor window's commands for exact drawing: millimetres of the solid, redo, close shape,
// the points table, round corner, the selected point's fields, wheel and middle-button
// navigation, the outline's overlay, the checks on Save and the question before changes are lost.
#include "editor/UnPolEditor.h"

#include "editor/UnHelixDialog.h"

#include "app/Internationalization.h"
#include "app/UnMessages.h"
#include "editor/GraphicListBox.h"
#include "editor/LineLibrary.h"
#include "editor/UnMultiLineEdit.h"
#include "editor/UnOutlineChecks.h"
#include "editor/UnPointFields.h"
#include "editor/UnPointsTable.h"
#include "editor/UnRoundCorner.h"
#include "editor/UnRoundCornerDialog.h"
#include "ui_UnPolEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Zoom steps beyond the form's list, so that the wheel reaches 10 % and 1000 %.
constexpr int ExtraZooms[] = {1000, 750, 500, 400, 300, 10};
// Pixels the view scrolls per wheel notch.
constexpr int WheelScroll = 40;

QString mmText(double mm) {
    return QString::fromStdString(FormatMm(mm));
}

} // namespace

void TPolEdit::createEditCommands() {
    auto command = [this](const char* name, const char* text, void (TPolEdit::*slot)(),
                          QList<QKeySequence> keys) {
        auto* a = new QAction(QString::fromLatin1(text), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* menu = ui->mnEdit;
    QAction* redo = command(
        "mnRedo", "Redo", &TPolEdit::redoClick,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    const QList<QAction*> existing = menu->actions();
    const int undoAt = int(existing.indexOf(ui->mnUndo));
    menu->insertAction(undoAt + 1 < existing.size() ? existing[undoAt + 1] : nullptr, redo);
    menu->addSeparator();
    menu->addAction(command("mnCloseShape", "Close shape", &TPolEdit::closeshapeClick, {}));
    menu->addAction(command("mnPointsTable", "Points table...", &TPolEdit::pointsTableClick,
                            {QKeySequence(Qt::CTRL | Qt::Key_T)}));
    menu->addAction(command("mnRoundCorner", "Round corner...", &TPolEdit::roundCornerClick, {}));
    menu->addAction(command("mnHelix", "&Helix...", &TPolEdit::helixClick, {}));

    PointFields = new TPointFields(this);
    ui->pnlToolbar->addWidget(PointFields);
    connect(PointFields, &TPointFields::Typed, this, &TPolEdit::pointTyped);
    connect(ui->MultiLineEdit1, &TMultiLineEdit::OnChange, this, &TPolEdit::showPointFields);
    connect(ui->ckClosed, &QCheckBox::toggled, this,
            [this](bool closed) { ui->MultiLineEdit1->HostClosed = closed; });
    connect(ui->ckClosed, &QCheckBox::clicked, this, &TPolEdit::closedClicked);
    connect(ui->MultiLineEdit1, &TMultiLineEdit::OnChange, this, &TPolEdit::closeEndingPath);

    QComboBox* zoom = ui->lZoom;
    for (int percent : ExtraZooms) {
        // The list runs from the largest zoom down.
        int at = 0;
        while (at < zoom->count() && zoom->itemText(at).toInt() > percent)
            ++at;
        zoom->insertItem(at, QString::number(percent));
    }
    ui->ScrollBox1->viewport()->installEventFilter(this);
}

void TPolEdit::SetScale(int32_t percent) {
    UnitScale = std::max(percent, 1);
    ui->MultiLineEdit1->HostScale = UnitScale;
    placeRulers();
}

void TPolEdit::takeUndoneState() {
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    if (e.HostScale != UnitScale) {
        // The note on the status bar speaks of the scale left behind.
        SetScale(e.HostScale);
        panels[1]->clear();
    }
    ui->ckClosed->setChecked(e.HostClosed);
}

double TPolEdit::toMm(double stored) const {
    return StoredToMm(stored, UnitScale);
}

int32_t TPolEdit::toStored(double mm) const {
    return MmToStored(mm, UnitScale);
}

std::vector<OutlineVertex> TPolEdit::storedOutline() const {
    std::vector<OutlineVertex> v = ui->MultiLineEdit1->Outline();
    for (OutlineVertex& p : v) {
        const Point2 s = ToStored({p.X, p.Y});
        p.X = s.X, p.Y = s.Y;
    }
    return v;
}

void TPolEdit::replaceOutline(const std::vector<OutlineVertex>& stored,
                              const std::function<void()>& alongside,
                              const std::vector<float>& heights) {
    std::vector<OutlineVertex> model = stored;
    for (OutlineVertex& p : model) {
        const Point2 m = ToModel(p);
        p.X = m.X, p.Y = m.Y;
    }
    edit([&](TMultiLineEdit& e) {
        e.SetVertices(model.data(), int32_t(model.size()),
                      heights.size() == model.size() ? heights.data() : nullptr);
        if (alongside) alongside();
    });
}

std::vector<TPointRow> TPolEdit::outlineMm() const {
    std::vector<TPointRow> rows;
    const std::vector<float> heights = ui->MultiLineEdit1->Heights();
    for (const OutlineVertex& v : storedOutline())
        rows.push_back({toMm(v.X), toMm(v.Y), toMm(heights[rows.size()]), true});
    return rows;
}

TStoredRows TPolEdit::storeExactly(const std::vector<TPointRow>& rows) const {
    // As far as the drawing sheet reaches from the origin, so that every point can be dragged.
    return StoreExactly(rows, UnitScale, std::min(Origin.X, Origin.Y));
}

void TPolEdit::placeRows(const std::vector<TPointRow>& rows, std::vector<OutlineVertex> outline,
                         bool inPlace, const std::function<void()>& alongside) {
    TStoredRows stored = storeExactly(rows);
    const std::vector<float> heights = StoreHeights(rows, stored);
    placeStored(stored, std::move(outline), heights, inPlace, alongside);
}

void TPolEdit::placeStored(const TStoredRows& stored, std::vector<OutlineVertex> outline,
                           const std::vector<float>& heights, bool inPlace,
                           const std::function<void()>& alongside) {
    for (size_t i = 0; i < outline.size() && i < stored.Stored.size(); ++i)
        outline[i].X = stored.Stored[i].X, outline[i].Y = stored.Stored[i].Y;
    const int32_t before = UnitScale;
    // The point of the drawing in the middle of the view stays there when the scale changes.
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    const QWidget* view = ui->ScrollBox1->viewport();
    const double cx = (view->width() / 2.0 - e.x()) / e.Zoom - Origin.X;
    const double cy = (view->height() / 2.0 - e.y()) / e.Zoom - Origin.Y;
    auto withScale = [&] {
        SetScale(stored.Scale);
        if (alongside) alongside();
    };
    if (inPlace && int32_t(outline.size()) == e.Line.VertexCount()) {
        edit([&](TMultiLineEdit& c) {
            for (int32_t i = 0; i < c.Line.VertexCount(); ++i)
                c.Line.Vertex(i).Pos = ToModel(outline[size_t(i)]);
            c.Line.SetHeights(heights.data(), int32_t(heights.size()));
            withScale();
        });
    } else {
        replaceOutline(outline, withScale, heights);
    }
    QStringList notes;
    if (UnitScale != before) {
        const double k = double(before) / UnitScale;
        ui->ScrollBox1->horizontalScrollBar()->setValue(
            RoundHalfEven((cx * k + Origin.X) * e.Zoom - view->width() / 2.0));
        ui->ScrollBox1->verticalScrollBar()->setValue(
            RoundHalfEven((cy * k + Origin.Y) * e.Zoom - view->height() / 2.0));
        notes << translatedText(msg::ScaleRefined).arg(UnitScale).arg(mmText(toMm(1)));
    }
    if (stored.MaxShift > RoundingNoteLimit)
        notes << translatedText(msg::PointRounded)
                     .arg(mmText(toMm(1)))
                     .arg(stored.WorstRow)
                     .arg(mmText(stored.MaxShift));
    panels[1]->setText(notes.join(QLatin1Char(' ')));
}

// ---- closed paths -------------------------------------------------------------------------------

void TPolEdit::closedClicked(bool closed) {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    KeepOpen = !closed;
    // The box and the closing point are one undo step: the step starts from the box as it was.
    e.HostClosed = !closed;
    edit([&](TMultiLineEdit& c) {
        if (closed && !c.IsClosed()) c.CloseOutline();
        c.HostClosed = closed;
    });
}

void TPolEdit::closeEndingPath() {
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    if (!PathMode || KeepOpen || ui->ckClosed->isChecked() || e.Mode != mmIdle || !e.IsClosed())
        return;
    // A rising path (a helix of whole turns) ends above its start, not on it.
    if (const std::vector<float> h = e.Heights(); !h.empty() && h.front() != h.back()) return;
    ui->ckClosed->setChecked(true);
    panels[1]->setText(translatedText(msg::PathEndsOnStart));
}

// ---- unsaved changes ----------------------------------------------------------------------------

QString TPolEdit::groupIds() const {
    QString ids;
    for (int i = 0; i < Groups->Count(); ++i)
        ids += QString::number(Groups->Items(i).Id) + QLatin1Char(' ');
    return ids;
}

void TPolEdit::noteLoadedState() {
    LoadedOutline = storedOutline();
    LoadedHeights = ui->MultiLineEdit1->Heights();
    LoadedClosed = ui->ckClosed->isChecked();
    LoadedGroups = groupIds();
    ui->MultiLineEdit1->ClearUndo();
}

bool TPolEdit::HasChanges() const {
    const std::vector<OutlineVertex> now = storedOutline();
    const bool same = std::equal(now.begin(), now.end(), LoadedOutline.begin(), LoadedOutline.end(),
                                 LineLibrary::VerticesEqual);
    return !same || ui->MultiLineEdit1->Heights() != LoadedHeights ||
           ui->ckClosed->isChecked() != LoadedClosed || groupIds() != LoadedGroups;
}

bool TPolEdit::askDiscard(const QString& question) {
    QMessageBox box(QMessageBox::Question, windowTitle(), question, QMessageBox::NoButton, this);
    QPushButton* discard =
        box.addButton(translatedText(msg::DiscardButton), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(translatedText(msg::KeepEditing), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    return box.clickedButton() == discard;
}

QString TPolEdit::SaveWarning() const {
    std::vector<Point2> points;
    for (const OutlineVertex& v : storedOutline())
        points.push_back({v.X, v.Y});
    const TOutlineProblems p = PathMode ? CheckPath(points) : CheckProfile(points);
    QStringList lines;
    if (p.TooFewPoints) lines << translatedText(msg::ProfileTooFewPoints);
    if (p.NotClosed && !p.TooFewPoints) lines << translatedText(msg::ProfileNotClosed);
    if (p.Crossing) lines << translatedText(msg::ProfileCrossing);
    if (p.Repeated) lines << translatedText(msg::PathRepeatedPoints);
    return lines.join(QLatin1Char('\n'));
}

bool TPolEdit::askSaveAnyway(const QString& warning) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), warning, QMessageBox::NoButton, this);
    QPushButton* save = box.addButton(translatedText(msg::SaveAnyway), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(translatedText(msg::KeepEditing), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    return box.clickedButton() == save;
}

// ---- redo, points table, round corner, point fields ---------------------------------------------

void TPolEdit::redoClick() {
    if (ui->MultiLineEdit1->Redo()) takeUndoneState();
}

void TPolEdit::pointsTableClick() {
    TPointsTable table(storedOutline(), UnitScale,
                       PathMode ? QStringLiteral("Z") : QStringLiteral("Y"), this,
                       PathMode ? ui->MultiLineEdit1->Heights() : std::vector<float>());
    table.Reach = std::min(Origin.X, Origin.Y);
    const bool shownClosed = table.closedBox()->isChecked();
    const bool accepted = table.exec() == QDialog::Accepted;
    // The keyboard comes back to the window; the zoom stays as the user chose it.
    activateWindow();
    if (!accepted) return;
    // Closing or opening the outline in the table (its box, or a last row repeating the first)
    // ticks or unticks a path's Closed polygon with it.
    const bool closed = table.closedBox()->isChecked();
    const bool closing = PathMode && closed != shownClosed;
    placeStored(table.Stored, table.Outline, table.Heights, false, [&] {
        if (closing) ui->ckClosed->setChecked(closed);
    });
    if (closing) KeepOpen = !closed;
}

bool TPolEdit::askRoundCorner(double& radiusMm, int32_t& segments) {
    if (!CornerDialog) CornerDialog = new TRoundCornerDialog(this);
    const bool accepted = CornerDialog->exec() == QDialog::Accepted;
    radiusMm = CornerDialog->radius()->value();
    segments = CornerDialog->segments()->value();
    return accepted;
}

void TPolEdit::roundCornerClick() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    const std::vector<int32_t> corners = e.SelectedVertices();
    if (corners.empty())
        return showMessage(QMessageBox::Information, translatedText(msg::CornerNoneChosen));
    double radius = 0;
    int32_t segments = 0;
    const bool accepted = askRoundCorner(radius, segments);
    activateWindow();
    if (!accepted) return;
    const TCornerResult r = RoundCorners(storedOutline(), corners, radius / toMm(1), segments);
    // Points are numbered from 1, as the rows of the points table.
    const int point = r.Vertex + 1;
    std::vector<TPointRow> exact;
    const std::vector<float> heights =
        HeightsAfterRounding(storedOutline(), e.Heights(), r.Outline);
    for (const auto& p : r.Exact)
        exact.push_back({toMm(p[0]), toMm(p[1]), toMm(heights[exact.size()]), true});
    switch (r.Error) {
    case TCornerError::None:
        return placeRows(exact, r.Outline, false);
    case TCornerError::NoCorner:
        return showMessage(QMessageBox::Warning, translatedText(msg::CornerNoneChosen));
    case TCornerError::OpenEnd:
        return showMessage(QMessageBox::Warning, translatedText(msg::CornerOpenEnd).arg(point));
    case TCornerError::ZeroEdge:
        return showMessage(QMessageBox::Warning, translatedText(msg::CornerZeroEdge).arg(point));
    case TCornerError::Straight:
        return showMessage(QMessageBox::Warning, translatedText(msg::CornerStraight).arg(point));
    case TCornerError::DoesNotFit:
        return showMessage(QMessageBox::Warning, translatedText(msg::CornerDoesNotFit)
                                                     .arg(mmText(radius))
                                                     .arg(point)
                                                     .arg(mmText(toMm(r.MaxRadius))));
    case TCornerError::TooManyPoints:
        return showMessage(
            QMessageBox::Warning,
            translatedText(msg::CornerTooMany).arg(r.PointCount).arg(MaxOutlineVertices));
    }
}

void TPolEdit::showPointFields() {
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    PointFields->SetPathMode(PathMode);
    const int32_t i = e.SingleSelectedVertex();
    if (i < 0) return PointFields->ShowPoint(false, 0, 0, 0);
    const TFCPoint& v = e.Line.Vertex(i);
    const Point2 s = ToStored(v.Pos);
    PointFields->ShowPoint(true, toMm(s.X), toMm(s.Y), toMm(v.Height));
}

void TPolEdit::pointTyped(const QString& x, const QString& y, const QString& height) {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    const int32_t i = e.SingleSelectedVertex();
    if (i < 0) return;
    std::vector<TPointRow> rows = outlineMm();
    double mm[3] = {0, 0, rows[size_t(i)].H};
    const QString texts[3] = {x, y, height};
    for (int k = 0; k < (PathMode ? 3 : 2); ++k)
        if (!ParseMm(texts[k].toStdString(), mm[k])) {
            panels[1]->setText(translatedText(msg::NotAMillimetreValue).arg(EchoText(texts[k])));
            return;
        }
    // Both ends of a closed outline go together; their heights too when they were one point.
    const int32_t last = int32_t(rows.size()) - 1;
    const int32_t other = e.IsClosed() && i == 0 ? last : e.IsClosed() && i == last ? 0 : i;
    const bool sameHeight = rows[size_t(other)].H == rows[size_t(i)].H;
    for (int32_t k : {i, other})
        rows[size_t(k)] = {mm[0], mm[1], k == i || sameHeight ? mm[2] : rows[size_t(k)].H, true};
    placeRows(rows, storedOutline(), true);
    for (QLineEdit* f : {PointFields->xField(), PointFields->yField(), PointFields->heightField()})
        f->setModified(false);
    showPointFields();
    // The drawing has the keyboard again: Ctrl+Z and the arrow keys work at once.
    e.setFocus();
}

// ---- navigation and overlay ---------------------------------------------------------------------

void TPolEdit::zoomStep(int direction, QPoint anchor) {
    QComboBox* zoom = ui->lZoom;
    const int now = zoom->currentText().toInt();
    // The list runs from the largest zoom down: up is towards index 0.
    int next = -1;
    for (int i = 0; i < zoom->count(); ++i) {
        const int z = zoom->itemText(i).toInt();
        if (direction > 0 && z > now) next = i;
        if (direction < 0 && z < now && next < 0) next = i;
    }
    if (next < 0) return;
    {
        const QSignalBlocker quiet(zoom);
        zoom->setCurrentIndex(next);
    }
    applyZoom(zoom->itemText(next).toInt(), anchor);
}

bool TPolEdit::navigationEvent(QObject* watched, QEvent* event) {
    TMultiLineEdit* e = ui->MultiLineEdit1;
    QWidget* view = ui->ScrollBox1->viewport();
    if (watched != e && watched != view) return false;
    QScrollBar* h = ui->ScrollBox1->horizontalScrollBar();
    QScrollBar* v = ui->ScrollBox1->verticalScrollBar();
    switch (event->type()) {
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        const int notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
        if (notches == 0) return true;
        const QPoint at = static_cast<QWidget*>(watched)->mapTo(view, wheel->position().toPoint());
        if (wheel->modifiers() & Qt::ControlModifier)
            zoomStep(notches > 0 ? 1 : -1, at);
        else if (wheel->modifiers() & Qt::ShiftModifier)
            h->setValue(h->value() - notches * WheelScroll);
        else
            v->setValue(v->value() - notches * WheelScroll);
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton) return false;
        Panning = true;
        PanFrom = mouse->globalPosition().toPoint();
        PanScroll = {h->value(), v->value()};
        return true;
    }
    case QEvent::MouseMove: {
        if (!Panning) return false;
        const QPoint moved = static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - PanFrom;
        h->setValue(PanScroll.x() - moved.x());
        v->setValue(PanScroll.y() - moved.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!Panning || static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton)
            return false;
        Panning = false;
        return true;
    default:
        return false;
    }
}

void TPolEdit::paintOverlay(QPainter* painter) {
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    const TFCMultiLine& line = e.Line;
    auto pixel = [&](int32_t i) {
        const Point2 p = line.Vertex(i).Pos;
        return QPointF(p.X * e.Zoom, p.Y * e.Zoom);
    };
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // An edge belongs to a group when both its vertices do: a band in the group's colour.
    if (!PathMode)
        for (int i = 0; i < Groups->Count(); ++i) {
            const TGroupPropertyObj& g = Groups->Items(i);
            for (int32_t k = 0; k + 1 < line.VertexCount(); ++k) {
                if (!line.Vertex(k).HasGroup(g.Id) || !line.Vertex(k + 1).HasGroup(g.Id)) continue;
                painter->setPen(QPen(QColor(90, 90, 90), 7, Qt::SolidLine, Qt::FlatCap));
                painter->drawLine(pixel(k), pixel(k + 1));
                painter->setPen(QPen(colorOf(g.Color), 5, Qt::SolidLine, Qt::FlatCap));
                painter->drawLine(pixel(k), pixel(k + 1));
                painter->setPen(QPen(colorOf(line.State != fcNone ? clRed : line.Color), 1));
                painter->drawLine(pixel(k), pixel(k + 1));
            }
        }
    // The side of the path the profile lies on: the band it covers, beside each edge.
    if (PathMode && (ProfileXMin != 0 || ProfileXMax != 0)) {
        const double perUnit = 100.0 / std::max(UnitScale, 1);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 170, 60, 70));
        for (int32_t k = 0; k + 1 < line.VertexCount(); ++k) {
            const QPointF a = pixel(k), b = pixel(k + 1);
            const QPointF d = b - a;
            const double length = std::hypot(d.x(), d.y());
            if (length <= 0) continue;
            // Right of the direction as stored (y grows with YSign on the model's y).
            const QPointF right(YSign * d.y() / length, -YSign * d.x() / length);
            const QPointF lo = right * (ProfileXMin * perUnit * e.Zoom);
            const QPointF hi = right * (ProfileXMax * perUnit * e.Zoom);
            painter->drawPolygon(QPolygonF({a + lo, b + lo, b + hi, a + hi}));
        }
    }
    // Handles on every vertex while the outline is not selected (a selected one shows its own).
    if (line.State == fcNone)
        for (int32_t k = 0; k < line.VertexCount(); ++k) {
            const TColor fill = k == 0 ? clYellow : k == line.VertexCount() - 1 ? clLime : clWhite;
            painter->setPen(QPen(Qt::black, 1));
            painter->setBrush(colorOf(fill));
            const QPointF p = pixel(k);
            painter->drawRect(QRectF(p.x() - 2.5, p.y() - 2.5, 5, 5));
        }
    painter->restore();
}
