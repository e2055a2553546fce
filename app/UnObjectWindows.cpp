// The windows that objects open, as the application provides them.
#include "app/UnObjectWindows.h"

#include "app/UnfrmExtrOptions.h"
#include "editor/UnPolEditor.h"

// The editor is a window of its own, owned by the object that opens it.
std::unique_ptr<TOutlineEditorWindow> TPalvorinWindows::CreateOutlineEditor() {
    return std::make_unique<TPolEdit>();
}

std::unique_ptr<TOptionsDialogWindow> TPalvorinWindows::CreateOptionsDialog() {
    auto dialog = std::make_unique<TfrmExtrOptionDialog>(parent);
    dialog->DocumentFolder = documentFolder;
    return dialog;
}
