// The windows that objects open, as the application provides them.
#include "app/UnObjectWindows.h"

#include "app/UnfrmExtrOptions.h"

#include <stdexcept>

std::unique_ptr<TOutlineEditorWindow> TPalvorinWindows::CreateOutlineEditor() {
    throw std::runtime_error("The profile and path editor is not available in this version");
}

std::unique_ptr<TOptionsDialogWindow> TPalvorinWindows::CreateOptionsDialog() {
    return std::make_unique<TfrmExtrOptionDialog>(parent);
}
