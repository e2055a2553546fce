// The lathe dialog: asks how many steps the circular path of a lathe object gets, and its pitch
// (rise per turn and turns).
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmLathe;
}
class QLineEdit;
class QPushButton;
class QSpinBox;

class TfrmLathe : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmLathe(QWidget* parent = nullptr);
    ~TfrmLathe() override;

    // Set only by the OK button; the caller reads subdiv when it is true.
    bool Confirmed = false;

    QSpinBox* subdiv() const;
    QLineEdit* rise() const;
    QLineEdit* turns() const;
    // The pitch read by OK (0 and 1 until then).
    double Rise = 0, Turns = 1;
    QPushButton* ok() const;
    QPushButton* cancella() const;

  public slots:
    void okClick();

  private:
    std::unique_ptr<Ui::TfrmLathe> ui;
};
