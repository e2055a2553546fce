// Object > Cut list: the document's swept objects as members, corner pieces and stock to buy, and
// its lathe objects as rings for segmented turning; saved as CSV or printed (or saved as PDF).
#pragma once

#include "making/UnCutList.h"
#include "making/UnTurning.h"

#include <QDialog>

#include <vector>

class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class TfrmPalvorin;

class TCutListWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TCutListWindow(TfrmPalvorin& window);

    // Works the lists out again from the document and the settings.
    void recompute();
    // The CSV text of the tab shown.
    std::string csvText() const;
    // Prints the tab shown, a sheet per object, to printer (a PDF file when it is set so).
    void print(QPrinter& printer) const;
    // Saves the tab shown as a PDF file; throws std::runtime_error when it cannot be written.
    void writePdf(const QString& fileName) const;
    QTabWidget* tabs() const { return tabs_; }
    QTableWidget* cutTable() const { return cutTable_; }
    QTableWidget* turningTable() const { return ringTable_; }

  protected:
    // The file dialogs and the print dialog; tests answer them. Empty or false: cancelled.
    virtual QString chooseCsvFile(const QString& proposed);
    virtual bool choosePrinter(QPrinter& printer);

  private:
    void saveCsv();
    void printSheets();
    void fillCutTable();
    void fillRingTable();
    TStockSettings stockSettings() const;
    TTurningSettings turningSettings() const;

    TfrmPalvorin& window_;
    QTabWidget* tabs_;
    QDoubleSpinBox *kerf_, *waste_, *stock_, *board_, *allowance_;
    QSpinBox* segments_;
    QTableWidget *cutTable_, *ringTable_;
    QLabel *stockSummary_, *ringNote_;
    std::vector<TCutList> lists_;
    std::vector<TTurningTable> tables_;
    std::vector<int> listObjects_, tableObjects_; // the document's index of each
    QString stockProblem_; // a setting out of range for the lists, else empty
};

// Paints a sheet per list or table (see TCutListWindow::print).
void paintCutSheets(QPrinter& printer, const TfrmPalvorin& window,
                    const std::vector<TCutList>& lists, const std::vector<int>& objects,
                    const TStockSettings& settings);
void paintTurningSheets(QPrinter& printer, const std::vector<TTurningTable>& tables);
