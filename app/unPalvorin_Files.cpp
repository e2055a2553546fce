// The main window's file commands: Open, Save and the DXF, VRML, 3DS, glTF, OBJ and STL exports.
#include "app/UnGLCanvas.h"
#include "app/UnfrmMessage.h"
#include "app/unPalvorin.h"
#include "render/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include <optional>
#include <stdexcept>

namespace {

const QString PalvorinFilter = QStringLiteral("Palvorin files (*.PLV *.plv);;All files (*)");

// The name a save dialog proposes: the current file with the command's extension; nothing while
// the document has no file yet.
QString proposedName(const QString& currentFileName, const QString& ext) {
    if (currentFileName.isEmpty()) return QString();
    return TfrmPalvorin::ChangeFileExt(currentFileName, ext);
}

// Busy cursor for as long as a file command runs, also when it ends with an exception.
class TBusyCursor {
  public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Passes progress lines to the message window. Showing a line lets Qt paint, which may leave
// another context current, so the view's context (where the textures go) is made current again.
class TLoadProgress : public TMessageSink {
  public:
    TLoadProgress(TfrmMessage& window, TGLCanvas& canvas) : window_(window), canvas_(canvas) {}
    void SetMessageString(const std::string& text) override {
        window_.SetMessageString(text);
        if (canvas_.context() != nullptr) canvas_.makeCurrent();
    }

  private:
    TfrmMessage& window_;
    TGLCanvas& canvas_;
};

} // namespace

QString TfrmPalvorin::chooseOpenFileName(const QString& proposed, const QString& filter) {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), proposed, filter);
}

QString TfrmPalvorin::chooseSaveFileName(const QString& proposed, const QString& filter,
                                         const QString& defaultSuffix) {
    QFileDialog dialog(this, QStringLiteral("Save as"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The overwrite question is asked for the name that is really written.
    if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
    if (!proposed.isEmpty()) {
        const QFileInfo info(proposed);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TfrmPalvorin::OpenDocument(const QString& fileName) {
    CurrentFileName = fileName;
    NewDocument();
    std::optional<TBusyCursor> busy(std::in_place);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    auto messages = std::make_unique<TfrmMessage>(this);
    try {
        messages->show();
        messages->SetMessageString("Loading " +
                                   QFileInfo(fileName).fileName().toLatin1().toStdString());
        if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
        TLoadProgress progress(*messages, *ui->glcanvas);
        Document->LoadFromFile(fileNameBytes(fileName), &progress);
        if (Document->Count() == 0)
            throw std::runtime_error("The file " + fileNameBytes(fileName) + " holds no objects");
        fillObjectList();
        CurrentObject = &Document->Items(0);
        SelectedIndex = 0;
        setStatusName(CurrentObject->Name);
        messages.reset();
    } catch (const std::exception& e) {
        messages.reset();
        NewDocument();
        busy.reset();
        showMessage(QMessageBox::Critical, messageText(e.what()));
    }
}

void TfrmPalvorin::loadClick() {
    runCommand([&] {
        const QString name = chooseOpenFileName(CurrentFileName, PalvorinFilter);
        if (name.isEmpty()) return;
        OpenDocument(name);
        Redraw();
    });
}

void TfrmPalvorin::mnOpenClick() {
    loadClick();
}

void TfrmPalvorin::SaveDocument(const QString& fileName) {
    QString name = fileName;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".PLV");
    CurrentFileName = name;
    TBusyCursor busy;
    Document->SaveToFile(fileNameBytes(name));
}

void TfrmPalvorin::saveClick() {
    runCommand([&] {
        // Only a complete current object can be saved; the others are not looked at.
        if (!CurrentObject->IsComplete()) return;
        const QString name =
            chooseSaveFileName(proposedName(CurrentFileName, QStringLiteral(".PLV")),
                               PalvorinFilter, QStringLiteral("PLV"));
        if (name.isEmpty()) return;
        SaveDocument(name);
    });
}

void TfrmPalvorin::mnSaveClick() {
    saveClick();
}

void TfrmPalvorin::ExportDocument(const QString& fileName, void (*useExportRenderer)()) {
    const QString previousFileName = CurrentFileName;
    SceneReady = false;
    CurrentFileName = fileName;
    TBusyCursor busy;
    if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
    try {
        useExportRenderer();
        // The file renderer gets the traversal without the screen's list steps, so the view's
        // display lists stay as they are and the view still shows the document afterwards.
        redrawDocument(*Document, SelectedIndex, fileNameBytes(fileName), nullptr);
    } catch (...) {
        // Freeing the exporter closes its file; the solid screen renderer comes back.
        useOGLRenderer();
        SceneReady = true;
        CurrentFileName = previousFileName;
        throw;
    }
    useOGLRenderer();
    SceneReady = true;
}

void TfrmPalvorin::exportCommand(const QString& ext, const QString& description,
                                 void (*useRenderer)()) {
    runCommand([&] {
        const QString otherCase = ext == ext.toLower() ? ext.toUpper() : ext.toLower();
        const QString filter =
            QStringLiteral("%1 (*%2 *%3);;All files (*)").arg(description, ext, otherCase);
        const QString name =
            chooseSaveFileName(proposedName(CurrentFileName, ext), filter, QString());
        if (name.isEmpty()) return;
        ExportDocument(name, useRenderer);
    });
}

void TfrmPalvorin::mnExpDXFClick() {
    exportCommand(QStringLiteral(".DXF"), QStringLiteral("Autocad DXF"), &useDXFRenderer);
}

void TfrmPalvorin::mnfacesetVRMLClick() {
    exportCommand(QStringLiteral(".WRL"), QStringLiteral("Vrml files"), &useVRMLRenderer);
}

void TfrmPalvorin::mnExp3DSClick() {
    exportCommand(QStringLiteral(".3DS"), QStringLiteral("3D Studio files"), &use3DSRenderer);
}

// The three renderers below write their files under temporary names and rename them only at the
// end, so a failed export leaves nothing behind (for OBJ neither the .mtl nor the image copies).
void TfrmPalvorin::mnExpGLTFClick() {
    exportCommand(QStringLiteral(".glb"), QStringLiteral("glTF 2.0 binary files"),
                  &useGLTFRenderer);
}

void TfrmPalvorin::mnExpOBJClick() {
    exportCommand(QStringLiteral(".obj"), QStringLiteral("Wavefront OBJ files"), &useOBJRenderer);
}

void TfrmPalvorin::mnExpSTLClick() {
    exportCommand(QStringLiteral(".stl"), QStringLiteral("STL files"), &useSTLRenderer);
}
