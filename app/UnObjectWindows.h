// The windows that objects open, as the application provides them.
#pragma once

#include "model/UnTExtrObj.h"

class QWidget;

class TPalvorinWindows : public TObjectWindowFactory {
  public:
    // parent: the window the dialogs belong to (the main window).
    explicit TPalvorinWindows(QWidget* parent) : parent(parent) {}

    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override;
    std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() override;

  private:
    QWidget* parent;
};
