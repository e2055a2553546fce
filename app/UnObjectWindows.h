// The windows that objects open, as the application provides them.
#pragma once

#include "model/UnTExtrObj.h"

#include <QString>

#include <functional>
#include <utility>

class QWidget;

class TPalvorinWindows : public TObjectWindowFactory {
  public:
    // parent: the window the dialogs belong to (the main window); documentFolder: the folder of
    // its document, empty for a new one.
    TPalvorinWindows(QWidget* parent, std::function<QString()> documentFolder)
        : parent(parent), documentFolder(std::move(documentFolder)) {}

    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override;
    std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() override;

  private:
    QWidget* parent;
    std::function<QString()> documentFolder;
};
