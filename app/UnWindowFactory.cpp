// The windows that objects open, made by the application: each object's profile and path editors.
#include "app/UnWindowFactory.h"

#include "editor/UnPolEditor.h"

#include <stdexcept>

std::unique_ptr<TOutlineEditorWindow> TPalvorinWindowFactory::CreateOutlineEditor() {
    return std::make_unique<TPolEdit>();
}

std::unique_ptr<TOptionsDialogWindow> TPalvorinWindowFactory::CreateOptionsDialog() {
    throw std::runtime_error("The object properties dialog is not available");
}
