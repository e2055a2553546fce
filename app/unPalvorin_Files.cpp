// The main window's file commands: Open, Save and the DXF, VRML, 3DS, glTF, OBJ, STL and 3MF
// exports.
#include "app/Internationalization.h"
#include "app/UnBusyCursor.h"
#include "app/UnGLCanvas.h"
#include "app/UnMessages.h"
#include "app/UnSaveFolder.h"
#include "app/UnfrmMessage.h"
#include "app/unPalvorin.h"
#include "meshexport/UnTRenderer_STEP.h"
#include "model/UnTExtrStream.h"
#include "model/UnWriteFailure.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>

#include <algorithm>
#include <memory>
#include <iterator>
#include <optional>
#include <string_view>
#include <stdexcept>

namespace {

// A STEP export of at least this many faces shows its progress.
constexpr size_t StepProgressFaces = 3000;

// "Description (*.EXT *.ext);;All files (*)", the description translated.
QString fileFilter(const QString& description, const QString& ext) {
    const QString otherCase = ext == ext.toLower() ? ext.toUpper() : ext.toLower();
    return QStringLiteral("%1 (*%2 *%3);;%4 (*)")
        .arg(translatedText(description), ext, otherCase, translatedText(msg::AllFiles));
}

QString palvorinFilter() {
    return fileFilter(QString::fromUtf8(msg::PalvorinFiles), QStringLiteral(".PLV"));
}

// The object file's first record starts right after the object count with this mark.
bool looksLikeDocument(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(10);
    return head.size() == 10 && head.mid(4) == "PALV10";
}

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
    return QFileDialog::getOpenFileName(this, translatedText(msg::OpenTitle), proposed, filter);
}

QString TfrmPalvorin::chooseSaveFileName(const QString& proposed, const QString& filter,
                                         const QString& defaultSuffix) {
    QFileDialog dialog(this, translatedText(msg::SaveAsTitle), QString(), filter);
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
        messages->SetMessageString(
            modelString(translatedText(msg::Loading).arg(QFileInfo(fileName).fileName())));
        if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
        TLoadProgress progress(*messages, *ui->glcanvas);
        const std::string missing =
            textureProblemsMessage(Document->LoadFromFile(fileNameBytes(fileName), &progress));
        if (Document->Count() == 0) {
            messages.reset();
            NewDocument();
            busy.reset();
            showMessage(QMessageBox::Critical,
                        translatedText(msg::EmptyDocument).arg(QFileInfo(fileName).fileName()));
            return;
        }
        CurrentObject = &Document->Items(0);
        SelectedIndex = 0;
        fillObjectList();
        messages.reset();
        setDocumentSaved(fileName);
        resetHistory(true);
        AddRecentFile(fileName);
        // Whatever the document's size, the view starts outside it, looking down on it.
        fitAfterRedraw = true;
        // The document opens; the faces of textures that did not load show their colour.
        if (!missing.empty()) {
            busy.reset();
            showMessage(QMessageBox::Warning, modelText(missing));
        }
    } catch (const std::exception& e) {
        messages.reset();
        NewDocument();
        busy.reset();
        showMessage(QMessageBox::Critical, openErrorText(fileName, e));
    }
}

// What went wrong in plain words, naming the file, then the technical message.
QString TfrmPalvorin::openErrorText(const QString& fileName, const std::exception& error) const {
    const QFileInfo info(fileName);
    const QString name = info.fileName().isEmpty() ? fileName : info.fileName();
    const char* plain = msg::OpenFailed;
    if (!info.exists())
        plain = msg::FileMissing;
    else if (info.isDir() || !info.isReadable())
        plain = msg::FileUnreadable;
    else if (!looksLikeDocument(fileName))
        plain = msg::NotADocument;
    else if (dynamic_cast<const EExtrStrError*>(&error) != nullptr)
        plain = msg::DamagedDocument;
    return translatedText(plain).arg(name) + QStringLiteral("\n\n") +
           translatedText(msg::TechnicalDetails).arg(messageText(error.what()));
}

// The window translates the plain causes by their English words.
constexpr bool causesTranslated() {
    const char* const translated[] = {
        msg::CauseUnknown,  msg::CauseNoSpace,  msg::CauseReadOnly, msg::CauseNotAllowed,
        msg::CauseIsFolder, msg::CauseNoFolder, msg::CauseTooLarge, msg::CauseImageUnreadable};
    static_assert(std::size(translated) == std::size(WriteCauseTexts));
    for (size_t i = 0; i < std::size(translated); ++i)
        if (std::string_view(translated[i]) != WriteCauseTexts[i]) return false;
    return true;
}
static_assert(causesTranslated());

// The file and the cause in plain words, what became of the earlier file, then the exporter's own
// message.
QString TfrmPalvorin::exportErrorText(const QString& fileName, const char* technical,
                                      TTargetBefore before) const {
    const char* plain = before == TTargetBefore::File      ? msg::ExportFailedKept
                        : before == TTargetBefore::Nothing ? msg::ExportFailedNothing
                                                           : msg::ExportFailed;
    const char* cause = WriteCauseTexts[int(writeFailureCause(technical))];
    return translatedText(plain).arg(QDir::toNativeSeparators(fileName), translatedText(cause)) +
           QStringLiteral("\n\n") +
           translatedText(msg::TechnicalDetails).arg(messageText(technical));
}

void TfrmPalvorin::loadClick() {
    runCommand([&] {
        if (!SaveChangesIfWanted()) return;
        // The document's file, or the folder a save would start in.
        const QString proposed =
            DocumentFileName.isEmpty()
                ? QFileInfo(ProposedSaveName(QString(), QStringLiteral(".PLV"))).absolutePath()
                : DocumentFileName;
        const QString name = chooseOpenFileName(proposed, palvorinFilter());
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
    NoteSaveFolder(name);
    History.MarkSaved();
    setDocumentSaved(name);
    historyChanged();
    AddRecentFile(name);
}

bool TfrmPalvorin::refuseIncompleteSave() {
    // Only a complete current object can be saved; the others are not looked at.
    if (CurrentObject->IsComplete()) return false;
    const char* why = CurrentObject->ProfileCount <= 0 ? msg::NoProfileToSave : msg::NoPathToSave;
    showMessage(QMessageBox::Warning, translatedText(why).arg(modelText(CurrentObject->Name)));
    return true;
}

bool TfrmPalvorin::SaveWithDialog() {
    if (refuseIncompleteSave()) return false;
    const QString name =
        chooseSaveFileName(ProposedSaveName(DocumentFileName, QStringLiteral(".PLV")),
                           palvorinFilter(), QStringLiteral("PLV"));
    if (name.isEmpty()) return false;
    return saveReporting(name);
}

bool TfrmPalvorin::SaveInPlace() {
    if (DocumentFileName.isEmpty()) return SaveWithDialog();
    if (refuseIncompleteSave()) return false;
    return saveReporting(DocumentFileName);
}

bool TfrmPalvorin::saveReporting(const QString& name) {
    try {
        SaveDocument(name);
    } catch (const std::exception& e) {
        reportException(e.what());
        return false;
    }
    return true;
}

void TfrmPalvorin::saveClick() {
    runCommand([&] { SaveWithDialog(); });
}

void TfrmPalvorin::mnSaveClick() {
    runCommand([&] { SaveInPlace(); });
}

bool TfrmPalvorin::refuseEmptyExport() {
    for (int i = 0; i < Document->Count(); ++i)
        if (objectDrawable(Document->Items(i))) return false;
    showMessage(QMessageBox::Information, translatedText(msg::NothingToExport));
    return true;
}

void TfrmPalvorin::ExportDocument(const QString& fileName, void (*useExportRenderer)()) {
    if (refuseEmptyExport()) return;
    const QString previousFileName = CurrentFileName;
    const TTargetBefore before = targetBefore(fileNameBytes(fileName));
    SceneReady = false;
    CurrentFileName = fileName;
    std::optional<TBusyCursor> busy(std::in_place);
    if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
    std::vector<std::string> open;
    // A STEP file of many faces takes a moment to write: its progress is shown, with a way out.
    std::unique_ptr<QProgressDialog> progress;
    const bool step = useExportRenderer == &useSTEPRenderer;
    if (step)
        setStepProgress([&](size_t done, size_t total) {
            if (total < StepProgressFaces) return true;
            if (!progress) {
                busy.reset();
                progress = std::make_unique<QProgressDialog>(translatedText(msg::WritingStep),
                                                             translatedText(msg::CancelWriting), 0,
                                                             int(total), this);
                progress->setWindowModality(Qt::WindowModal);
                progress->setMinimumDuration(0);
            }
            progress->setValue(int(done));
            QCoreApplication::processEvents();
            return !progress->wasCanceled();
        });
    struct TNoProgress {
        bool step;
        ~TNoProgress() {
            if (step) setStepProgress(nullptr);
        }
    } noProgress{step};
    try {
        useExportRenderer();
        // The file renderer gets the traversal without the screen's list steps, so the view's
        // display lists stay as they are and the view still shows the document afterwards.
        redrawDocument(*Document, SelectedIndex, fileNameBytes(fileName), nullptr);
        open = notWatertightObjects(*Document);
    } catch (const std::exception& e) {
        // Freeing the exporter removes what it wrote; the solid screen renderer comes back.
        useOGLRenderer();
        SceneReady = true;
        CurrentFileName = previousFileName;
        busy.reset();
        showMessage(QMessageBox::Critical, exportErrorText(fileName, e.what(), before));
        return;
    }
    progress.reset();
    useOGLRenderer();
    SceneReady = true;
    busy.reset();
    if (step && stepExportCancelled()) {
        // Stopped: no file was written, and the one there before stays.
        CurrentFileName = previousFileName;
        return;
    }
    NoteSaveFolder(fileName);
    if (exportNeedsSolids(useExportRenderer)) {
        QStringList names;
        for (const std::string& name : open)
            names << QStringLiteral("\"%1\"").arg(modelText(name));
        if (!names.isEmpty())
            showMessage(QMessageBox::Warning,
                        translatedText(msg::NotSolid).arg(names.join(QStringLiteral(", "))));
    }
    if (useExportRenderer == &useSTEPRenderer) {
        // Closed objects whose faces still do not make a valid solid.
        for (const TStepShellObject& shell : stepShellObjects())
            if (std::find(open.begin(), open.end(), shell.Name) == open.end())
                showMessage(QMessageBox::Warning,
                            translatedText(msg::StepShell)
                                .arg(QStringLiteral("\"%1\"").arg(modelText(shell.Name)),
                                     QString::fromLatin1(shell.Reason)));
    }
}

void TfrmPalvorin::exportCommand(const QString& ext, const QString& description,
                                 void (*useRenderer)()) {
    runCommand([&] {
        if (refuseEmptyExport()) return;
        const QString name = chooseExportName(ext, description);
        if (name.isEmpty()) return;
        ExportDocument(name, useRenderer);
    });
}

QString TfrmPalvorin::chooseExportName(const QString& ext, const QString& description) {
    // The document's name, not the last export's: each format gets the document's name.
    QString name = chooseSaveFileName(ProposedSaveName(DocumentFileName, ext),
                                      fileFilter(description, ext), ext.mid(1));
    // A name typed without an extension gets the format's.
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += ext;
    return name;
}

void TfrmPalvorin::mnExpDXFClick() {
    exportCommand(QStringLiteral(".DXF"), QString::fromUtf8(msg::DxfFiles), &useDXFRenderer);
}

void TfrmPalvorin::mnfacesetVRMLClick() {
    exportCommand(QStringLiteral(".WRL"), QString::fromUtf8(msg::VrmlFiles), &useVRMLRenderer);
}

void TfrmPalvorin::mnExp3DSClick() {
    exportCommand(QStringLiteral(".3DS"), QString::fromUtf8(msg::Studio3DFiles), &use3DSRenderer);
}

// The four renderers below write their files under temporary names and rename them only at the
// end, so a failed export leaves nothing behind (for OBJ neither the .mtl nor the image copies).
void TfrmPalvorin::mnExpGLTFClick() {
    exportCommand(QStringLiteral(".glb"), QString::fromUtf8(msg::GltfFiles), &useGLTFRenderer);
}

void TfrmPalvorin::mnExpOBJClick() {
    exportCommand(QStringLiteral(".obj"), QString::fromUtf8(msg::ObjFiles), &useOBJRenderer);
}

void TfrmPalvorin::mnExpSTLClick() {
    exportCommand(QStringLiteral(".stl"), QString::fromUtf8(msg::StlFiles), &useSTLRenderer);
}

void TfrmPalvorin::mnExp3MFClick() {
    exportCommand(QStringLiteral(".3mf"), QString::fromUtf8(msg::ThreeMFFiles), &use3MFRenderer);
}

void TfrmPalvorin::mnExpSTEPClick() {
    exportCommand(QStringLiteral(".step"), QString::fromUtf8(msg::StepFiles), &useSTEPRenderer);
}
