// View > Measurements: a dock with the size, volume, surface and mass of the current object and
// of the whole document, measured again whenever the document changes.
#pragma once

#include "making/UnMeasure.h"

#include <QDockWidget>
#include <QString>

#include <string>

class QComboBox;
class QDoubleSpinBox;
class QTreeWidget;
class TfrmPalvorin;

class TMeasurementsDock : public QDockWidget {
    Q_OBJECT
  public:
    explicit TMeasurementsDock(TfrmPalvorin& window);

    // Measures again when the document or the current object changed since the last time.
    void refresh();
    // The figures as lines of "name<TAB>value", what Ctrl+C copies.
    QString figuresText() const;
    // The chosen material's density in kg/m³.
    double density() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void materialChosen();
    void fill();
    void scheduleRefresh();

    TfrmPalvorin& window_;
    QTreeWidget* figures_;
    QComboBox* material_;
    QDoubleSpinBox* density_;
    TDocumentMeasures measures_;
    std::string measuredBytes_; // the document as last measured
    int measuredIndex_ = -1;    // and its current object
    bool refreshQueued_ = false;
};

// Adds the dock to window (shown when the window is wide) and its toggle to the View menu.
TMeasurementsDock* installMeasurementsDock(TfrmPalvorin& window);
