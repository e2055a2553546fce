// The points table dialog: rows of millimetres of the solid, clipboard copy and paste, the Closed
// repeat of the first row, rounding notes, and the checks before the outline is replaced.
#include "editor/UnPointsTable.h"

#include "app/Internationalization.h"
#include "app/UnMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString mm(double value) {
    return QString::fromStdString(FormatMm(value));
}

QVariant groupsOf(const OutlineVertex& v) {
    QList<int> groups;
    for (int32_t g : v.Groups)
        groups << g;
    return QVariant::fromValue(groups);
}

} // namespace

TPointsTable::TPointsTable(const std::vector<OutlineVertex>& outline, int32_t scalePercent,
                           const QString& yName, QWidget* parent, const std::vector<float>& heights)
    : QDialog(parent), Scale(scalePercent), Columns(heights.empty() ? 2 : 3) {
    setObjectName(QStringLiteral("PointsTable"));
    setWindowTitle(QString::fromLatin1(msg::PointsTableTitle));
    Table = new QTableWidget(0, Columns, this);
    Table->setObjectName(QStringLiteral("points"));
    QStringList headings{QStringLiteral("X (mm)"), yName + QStringLiteral(" (mm)")};
    if (Columns == 3) headings << translatedText(msg::HeightColumn);
    Table->setHorizontalHeaderLabels(headings);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->installEventFilter(this);
    for (const OutlineVertex& v : outline) {
        const size_t i = size_t(Table->rowCount());
        const double h = i < heights.size() ? StoredToMm(heights[i], Scale) : 0;
        setRow(int(i), {StoredToMm(v.X, Scale), StoredToMm(v.Y, Scale), h, true}, groupsOf(v));
    }

    Closed = new QCheckBox(QStringLiteral("Closed"), this);
    Closed->setObjectName(QStringLiteral("closed"));
    auto* insert = new QPushButton(QStringLiteral("Insert row"), this);
    insert->setObjectName(QStringLiteral("insertRow"));
    auto* remove = new QPushButton(QStringLiteral("Delete rows"), this);
    remove->setObjectName(QStringLiteral("deleteRows"));
    for (QPushButton* b : {insert, remove})
        b->setAutoDefault(false);
    Note = new QLabel(this);
    Note->setWordWrap(true);
    // The hint names the columns as their headings do (X and Y, or X and Z on a path).
    auto* hint = new QLabel(
        translatedText(Columns == 3 ? msg::PasteRowsHeightsHint : msg::PasteRowsHint).arg(yName),
        this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));

    auto* row = new QHBoxLayout;
    row->addWidget(Closed);
    row->addStretch();
    row->addWidget(insert);
    row->addWidget(remove);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(Table);
    layout->addLayout(row);
    layout->addWidget(Note);
    layout->addWidget(buttons);
    resize(Columns == 3 ? 520 : 420, 560);

    connect(buttons, &QDialogButtonBox::accepted, this, &TPointsTable::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPointsTable::reject);
    connect(insert, &QPushButton::clicked, this, &TPointsTable::insertRow);
    connect(remove, &QPushButton::clicked, this, &TPointsTable::deleteRows);
    connect(Closed, &QCheckBox::toggled, this, &TPointsTable::closedToggled);
    connect(Table, &QTableWidget::itemChanged, this, [this] { refresh(); });
    translateForm(this);
    refresh();

    // Every row selected and the keyboard in the table, not in a cell: a paste replaces all.
    Table->selectAll();
    Table->setFocus();
}

void TPointsTable::setRow(int row, const TPointRow& point, const QVariant& groups) {
    const QSignalBlocker quiet(Table);
    Table->insertRow(row);
    auto* x = new QTableWidgetItem(mm(point.X));
    x->setData(Qt::UserRole, groups);
    Table->setItem(row, 0, x);
    Table->setItem(row, 1, new QTableWidgetItem(mm(point.Y)));
    if (Columns == 3) Table->setItem(row, 2, new QTableWidgetItem(mm(point.H)));
}

bool TPointsTable::readRows(std::vector<TPointRow>& rows, TRowsProblem& problem) const {
    rows.clear();
    problem = CheckRowCount(Table->rowCount());
    if (problem.Error != TRowsError::None) return false;
    for (int r = 0; r < Table->rowCount(); ++r) {
        TPointRow p;
        if (!readRow(r, p, problem)) return false;
        rows.push_back(p);
    }
    return true;
}

bool TPointsTable::readRow(int r, TPointRow& p, TRowsProblem& problem) const {
    p.HasH = Columns == 3;
    for (int c = 0; c < Columns; ++c) {
        const QTableWidgetItem* item = Table->item(r, c);
        const std::string text = item ? item->text().toStdString() : std::string();
        if (!ParseMm(text, c == 0 ? p.X : c == 1 ? p.Y : p.H)) {
            const bool empty = QString::fromStdString(text).trimmed().isEmpty();
            problem = {empty ? TRowsError::EmptyCell : TRowsError::NotANumber, r + 1, text};
            return false;
        }
    }
    return true;
}

bool TPointsTable::lastRepeatsFirst() const {
    const int n = Table->rowCount();
    if (n < 2) return false;
    // A rising path that ends above its start is not closed.
    for (int c = 0; c < Columns; ++c) {
        double a = 0, b = 0;
        const QTableWidgetItem *first = Table->item(0, c), *last = Table->item(n - 1, c);
        if (!first || !last || !ParseMm(first->text().toStdString(), a) ||
            !ParseMm(last->text().toStdString(), b) || std::fabs(a - b) > 1e-6)
            return false;
    }
    return true;
}

void TPointsTable::refresh() {
    if (Refreshing) return;
    Refreshing = true;
    {
        const QSignalBlocker quiet(Closed);
        Closed->setChecked(lastRepeatsFirst());
    }
    std::vector<TPointRow> rows;
    TRowsProblem problem;
    readRows(rows, problem);
    TStoredRows rounded = StoreExactly(rows, Scale, Reach);
    if (Columns == 3) StoreHeights(rows, rounded);
    RoundingText = rounded.MaxShift > RoundingNoteLimit ? translatedText(msg::RoundingNote)
                                                              .arg(mm(StoredToMm(1, rounded.Scale)))
                                                              .arg(rounded.WorstRow)
                                                              .arg(mm(rounded.MaxShift))
                                                        : QString();
    Note->setText(problem.Error == TRowsError::None || problem.Error == TRowsError::TooFew
                      ? RoundingText
                      : problemText(problem));
    Refreshing = false;
}

void TPointsTable::closedToggled(bool closed) {
    const int n = Table->rowCount();
    if (closed && n >= 2 && !lastRepeatsFirst()) {
        setRow(n, {}, QVariant());
        const QSignalBlocker quiet(Table);
        for (int c = 0; c < Columns; ++c)
            Table->item(n, c)->setText(Table->item(0, c) ? Table->item(0, c)->text() : QString());
    } else if (!closed && lastRepeatsFirst()) {
        Table->removeRow(n - 1);
    }
    refresh();
}

QString TPointsTable::problemText(const TRowsProblem& p) const {
    const QString text = EchoText(QString::fromStdString(p.Text));
    switch (p.Error) {
    case TRowsError::NotANumber:
        return translatedText(msg::RowNotANumber).arg(p.Row).arg(text);
    case TRowsError::EmptyCell:
        return translatedText(msg::RowEmptyCell).arg(p.Row);
    case TRowsError::FieldCount:
        return translatedText(msg::RowNotAPoint).arg(p.Row).arg(text);
    case TRowsError::TooMany:
        return translatedText(msg::TooManyRows).arg(p.Row).arg(MaxOutlineVertices);
    case TRowsError::TooFew:
        return translatedText(msg::TooFewRows);
    case TRowsError::None:
        break;
    }
    return {};
}

QList<int> TPointsTable::chosenRows(bool orCurrent) const {
    QList<int> rows;
    for (const QModelIndex& index : Table->selectionModel()->selectedRows())
        rows << index.row();
    if (orCurrent && rows.isEmpty() && Table->currentRow() >= 0) rows << Table->currentRow();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TPointsTable::copyRows() {
    const QList<int> chosen = chosenRows(true);
    std::vector<TPointRow> rows(size_t(chosen.size()));
    // A cell that is no number is named, as on OK, instead of being copied.
    TRowsProblem problem;
    for (qsizetype i = 0; i < chosen.size(); ++i)
        if (!readRow(chosen[i], rows[size_t(i)], problem)) return showMessage(problemText(problem));
    QApplication::clipboard()->setText(QString::fromStdString(PointRowsToText(rows, Columns == 3)));
}

void TPointsTable::pasteRows(const QString& text) {
    TRowsProblem problem;
    std::vector<TPointRow> rows = ParsePointRows(text.toStdString(), problem, Columns == 3);
    if (problem.Error != TRowsError::None) return showMessage(problemText(problem));
    if (rows.empty()) return;
    const QList<int> selected = chosenRows(false);
    int at = Table->rowCount();
    if (!selected.isEmpty()) {
        // The pasted rows take the place of the selected ones; a row without a height keeps the
        // height of the row it replaces.
        at = selected.front();
        for (size_t i = 0; i < rows.size() && i < size_t(selected.size()) && Columns == 3; ++i) {
            const QTableWidgetItem* h = Table->item(selected[qsizetype(i)], 2);
            if (!rows[i].HasH && h) ParseMm(h->text().toStdString(), rows[i].H);
        }
        for (auto r = selected.rbegin(); r != selected.rend(); ++r)
            Table->removeRow(*r);
    } else if (Table->currentRow() >= 0) {
        at = Table->currentRow() + 1;
    }
    for (size_t i = 0; i < rows.size(); ++i)
        setRow(at + int(i), rows[i], QVariant());
    Table->clearSelection();
    Table->setCurrentCell(at + int(rows.size()) - 1, 0, QItemSelectionModel::NoUpdate);
    refresh();
}

void TPointsTable::insertRow() {
    const int at = Table->currentRow() >= 0 ? Table->currentRow() + 1 : Table->rowCount();
    setRow(at, {}, QVariant());
    Table->clearSelection();
    Table->setCurrentCell(at, 0);
    refresh();
}

void TPointsTable::deleteRows() {
    const QList<int> rows = chosenRows(true);
    for (auto r = rows.rbegin(); r != rows.rend(); ++r)
        Table->removeRow(*r);
    refresh();
}

void TPointsTable::accept() {
    std::vector<TPointRow> rows;
    TRowsProblem problem;
    if (!readRows(rows, problem)) return showMessage(problemText(problem));
    Stored = StoreExactly(rows, Scale, Reach);
    Heights = Columns == 3 ? StoreHeights(rows, Stored) : std::vector<float>();
    Outline.assign(rows.size(), OutlineVertex{});
    for (size_t r = 0; r < rows.size(); ++r) {
        Outline[r].X = Stored.Stored[r].X;
        Outline[r].Y = Stored.Stored[r].Y;
        const QList<int> groups = Table->item(int(r), 0)->data(Qt::UserRole).value<QList<int>>();
        for (int k = 0; k < groups.size() && k < 10; ++k)
            Outline[r].Groups[k] = groups[k];
    }
    refresh();
    QDialog::accept();
}

void TPointsTable::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

bool TPointsTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            copyRows();
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            pasteRows(QApplication::clipboard()->text());
            return true;
        }
        if (key->matches(QKeySequence::Delete) && Table->selectionModel()->hasSelection() &&
            !Table->selectionModel()->selectedRows().isEmpty()) {
            deleteRows();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
