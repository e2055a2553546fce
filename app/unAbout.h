// The about box: the program's picture, name, version and rights notice.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

  private:
    std::unique_ptr<Ui::TAboutBox> ui;
};
