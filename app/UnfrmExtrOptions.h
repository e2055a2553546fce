// The object properties dialog: shows and edits one object's options copy on three pages.
#pragma once

#include "model/UnTExtrObj.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfrmExtrOptionDialog;
}
class QPushButton;

class TfrmExtrOptionDialog : public QDialog, public TOptionsDialogWindow {
    Q_OBJECT
  public:
    explicit TfrmExtrOptionDialog(QWidget* parent = nullptr);
    ~TfrmExtrOptionDialog() override;

    // Shows the dialog modally on options: OK stores the controls into it, the three colour and
    // texture buttons store their pair at once, Cancel stores nothing more.
    void ShowModal(TfrmExtrOption& options) override;

    // The controls from the fields (each time the dialog is shown).
    void FormActivate();

    // The folder shown for an object without a textures folder of its own: its document's
    // folder, or empty for a document not saved yet.
    std::function<QString()> DocumentFolder;

  public slots:
    void okClick();
    void cancelClick();
    void cornersClick();
    void topClick();
    void bottomClick();
    void viewdirlistClick();

  protected:
    void showEvent(QShowEvent* event) override;
    // The directory chooser; an empty result means it was cancelled.
    virtual QString chooseDirectory(const QString& start);

  private:
    // Runs the colour/texture chooser on one pair of the fields and keeps what it returns.
    void chooseColorAndTexture(const char* caption, TColor& color, std::string& texture);
    void showTexDir(const QString& dir);
    void showPairs();

    std::unique_ptr<Ui::TfrmExtrOptionDialog> ui;
    TfrmExtrOption* fields = nullptr; // the copy being shown, while the dialog is up
    QString texDir;                   // the directory the label shows
};
