// The windows that objects open, made by the application: each object's profile and path editors.
#pragma once

#include "model/UnTExtrObj.h"

class TPalvorinWindowFactory : public TObjectWindowFactory {
  public:
    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override;
    // The properties dialog is not part of the program yet; its command stays disabled.
    std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() override;
};
