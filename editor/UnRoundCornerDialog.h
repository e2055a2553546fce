// The Round corner dialog: a radius in millimetres of the solid and a number of arc segments.
#pragma once

#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

class TRoundCornerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TRoundCornerDialog(QWidget* parent = nullptr);
    QDoubleSpinBox* radius() const { return FRadius; }
    QSpinBox* segments() const { return FSegments; }

  private:
    QDoubleSpinBox* FRadius;
    QSpinBox* FSegments;
};
