// The main window's document history: steps recorded after commands, Undo and Redo.
#include "app/Internationalization.h"
#include "app/UnAccelerators.h"
#include "app/UnGLCanvas.h"
#include "app/UnMessages.h"
#include "app/unPalvorin.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <vector>

void TfrmPalvorin::RecordStep(const QString& label) {
    try {
        History.Record(label.toStdString(), Document->SaveToBytes(), SelectedIndex);
    } catch (const std::exception& e) {
        // A document the file cannot hold has no snapshot: its history starts again from the
        // last state that could be taken, marked unsaved.
        History.Reset(History.Current(), false);
        historyChanged();
        throw;
    }
    historyChanged();
}

QString TfrmPalvorin::stepName(const char* command) const {
    return QStringLiteral("%1 %2").arg(translatedText(command), modelText(CurrentObject->Name));
}

void TfrmPalvorin::resetHistory(bool saved) {
    History.Reset(Document->SaveToBytes(), saved);
    historyChanged();
}

void TfrmPalvorin::historyChanged() {
    setWindowModified(History.Modified());
    updateUndoCommands();
    if (History.Modified()) {
        if (!recoveryTimer->isActive()) recoveryTimer->start();
    } else {
        recoveryTimer->stop();
        removeRecovery();
    }
}

void TfrmPalvorin::updateUndoCommands() {
    const auto name = [](const char* plain, const char* step, const std::string& label) {
        return label.empty() ? translatedText(plain)
                             : translatedText(step).arg(QString::fromStdString(label));
    };
    ui->mnUndo->setEnabled(History.CanUndo());
    ui->mnUndo->setText(name("Undo", msg::UndoStep, History.UndoLabel()));
    ui->mnRedo->setEnabled(History.CanRedo());
    ui->mnRedo->setText(name("Redo", msg::RedoStep, History.RedoLabel()));
    // The new texts take their accelerators again.
    for (QObject* holder : ui->mnUndo->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder)) addMenuAccelerators(menu);
}

void TfrmPalvorin::restoreDocument(const std::string& bytes, int selected) {
    std::vector<int32_t> oldLists;
    for (int i = 0; i < Document->Count(); ++i)
        if (const uint32_t id = Document->Items(i).DisplayList; id != 0)
            oldLists.push_back(static_cast<int32_t>(id));
    const bool hasView = ui->glcanvas->context() != nullptr;
    if (hasView) ui->glcanvas->makeCurrent();
    // Textures go to the view's context; the objects are replaced only when all reads back.
    const std::vector<std::string> problems = Document->RestoreFromBytes(bytes);
    if (Document->Count() == 0) addFirstObject();
    if (hasView && scene.ready)
        for (int32_t id : oldLists)
            deleteObjectLists(id);
    objectBounds.clear();
    SelectedIndex = std::clamp(selected, 0, Document->Count() - 1);
    CurrentObject = &Document->Items(SelectedIndex);
    fillObjectList();
    Redraw();
    if (!problems.empty())
        showMessage(QMessageBox::Warning, modelText(textureProblemsMessage(problems)));
}

// A state that does not read back (an image that cannot be loaded any more is only reported)
// leaves the document and the history where they were.
void TfrmPalvorin::stepHistory(bool back) {
    runCommand([&] {
        if (back ? !History.CanUndo() : !History.CanRedo()) return;
        back ? History.Undo() : History.Redo();
        try {
            restoreDocument(History.Current(), History.CurrentSelection());
        } catch (...) {
            back ? History.Redo() : History.Undo();
            throw;
        }
        historyChanged();
    });
}

void TfrmPalvorin::mnUndoClick() {
    stepHistory(true);
}

void TfrmPalvorin::mnRedoClick() {
    stepHistory(false);
}
