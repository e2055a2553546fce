// The lathe dialog: asks how many steps the circular path of a lathe object gets.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmLathe;
}
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
    QPushButton* ok() const;
    QPushButton* cancella() const;

  public slots:
    void okClick();

  private:
    std::unique_ptr<Ui::TfrmLathe> ui;
};
