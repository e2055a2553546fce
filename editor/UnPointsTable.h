// The points table: the outline's vertices as rows of X and Y (on a path also the height) in
// millimetres of the solid, to edit, insert, delete, copy out and paste in; OK hands back the
// outline in stored coordinates.
#pragma once

#include "editor/UnPointsText.h"
#include "model/unVectorCalc.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QTableWidget;

class TPointsTable : public QDialog {
    Q_OBJECT
  public:
    // outline in stored coordinates (with its groups); yName heads the second column. A path's
    // heights (stored units, one per vertex) make a third column; none: no such column.
    TPointsTable(const std::vector<OutlineVertex>& outline, int32_t scalePercent,
                 const QString& yName, QWidget* parent = nullptr,
                 const std::vector<float>& heights = {});

    // After OK: the rows in stored coordinates; a row keeps the groups of the vertex it came from.
    std::vector<OutlineVertex> Outline;
    // After OK: the rows stored at the scale that keeps them exact (StoreExactly), which may be
    // finer than the outline's, within Reach stored units from the origin.
    TStoredRows Stored;
    // After OK, with the height column: the rows' heights at Stored.Scale (StoreHeights).
    std::vector<float> Heights;
    int32_t Reach = 1'000'000;
    // After OK: the rounding note (empty when rounding moved no point by more than 0.001 mm).
    QString RoundingText;

    QTableWidget* table() const { return Table; }
    QCheckBox* closedBox() const { return Closed; }
    QLabel* noteLabel() const { return Note; }

    // Ctrl+C and Ctrl+V of the table.
    void copyRows();
    void pasteRows(const QString& text);
    void insertRow();
    void deleteRows();

    void accept() override;

  protected:
    // Refusals come through here; tests read them.
    virtual void showMessage(const QString& text);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Cell values of every row that reads as numbers; false at the first row that does not.
    bool readRows(std::vector<TPointRow>& rows, TRowsProblem& problem) const;
    // Row r's numbers; false with the problem when a cell is empty or no number.
    bool readRow(int r, TPointRow& p, TRowsProblem& problem) const;
    void setRow(int row, const TPointRow& point, const QVariant& groups);
    void closedToggled(bool closed);
    // The check box follows the rows, and the note their rounding.
    void refresh();
    QString problemText(const TRowsProblem& problem) const;
    bool lastRepeatsFirst() const;
    // The selected rows in order (or the current row when none is selected and orCurrent).
    QList<int> chosenRows(bool orCurrent) const;

    int32_t Scale;
    int Columns = 2; // 3 with heights
    QTableWidget* Table;
    QCheckBox* Closed;
    QLabel* Note;
    bool Refreshing = false;
};
