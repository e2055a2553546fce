// The message window: a one-line progress note shown while a document and its textures load.
#pragma once

#include "model/UnMessageSink.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TfrmMessage;
}
class QLabel;

class TfrmMessage : public QDialog, public TMessageSink {
    Q_OBJECT
  public:
    explicit TfrmMessage(QWidget* parent = nullptr);
    ~TfrmMessage() override;

    // Shows text at once: the window repaints before this returns, even inside a long loop.
    void SetMessageString(const std::string& text) override;
    std::string GetMessageString() const;
    QLabel* lblMessage() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TfrmMessage> ui;
};
