// The main window: the document, the current object, the 3D view and every command of the program.
#pragma once

#include "app/UnDocumentHistory.h"
#include "app/UnQtText.h"
#include "model/UnTExtrObj.h"
#include "model/UnWriteFailure.h"

#include <QIcon>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace Ui {
class TfrmPalvorin;
}
class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QUrl;
class QDateTime;
class QTimer;
class TGLCanvas;
class TPalvorinWindows;
class TRecoveryFile;
struct TRecoveredWork;

class TfrmPalvorin : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmPalvorin(QWidget* parent = nullptr);
    ~TfrmPalvorin() override;

    // Window state.
    std::unique_ptr<TExtrObjList> Document;
    TExtrObj* CurrentObject = nullptr;
    int32_t SelectedIndex = 0;
    uint32_t LastListId = 0;
    int32_t AxesListId = 0;
    bool SceneReady = false;
    QString CurrentFileName;
    bool MouseDown = false;
    int32_t LastMouseX = 0;
    int32_t LastMouseY = 0;
    int32_t MoveMode = 1; // 1: the mouse moves the camera, 2: the current object
    QIcon SelectedPicture;
    QIcon UnselectedPicture;
    QString HelpFile;
    // The document's own file (last opened or saved); empty for a new document.
    QString DocumentFileName;

    // The document's undo history; the title's unsaved mark follows it.
    TDocumentHistory History;
    // Closing the window ends the program's event loops (set for the program's own window).
    bool QuitOnClose = false;

    // Ends a command that may have changed the document: a step named label ("Delete obj2") when
    // the document's bytes differ from the last step's; the unsaved mark and the recovery file
    // follow.
    void RecordStep(const QString& label);
    // The recently used documents, newest first (at most 8, kept between runs).
    static QStringList RecentFiles();
    void AddRecentFile(const QString& fileName);
    // At start: offers the work of a program that ended without closing its document.
    // True when a document was recovered.
    bool OfferRecovery();
    // The file this window writes its unsaved work to (empty when recovery is off).
    QString RecoveryFileName() const;
    // Asks "Save changes?" when the document is modified and saves when the user says so. True
    // when the caller may go on (nothing to save, saved, or discarded), false to stop.
    bool SaveChangesIfWanted();

    // Rebuilds every mesh and shows the frame (the pipeline behind Refresh and every export).
    void Redraw();
    // Shows the display lists of the last redraw again (view changes only).
    void Repaint();
    // An empty document with one object "obj1" and a fresh scene.
    void NewDocument();
    // The Open command after its dialog: replaces the document by the file's objects.
    void OpenDocument(const QString& fileName);
    // The Save command after its dialog.
    void SaveDocument(const QString& fileName);
    // The Save command: tells why when the current object cannot be saved, asks for the file
    // name, saves. True when the document was saved.
    bool SaveWithDialog();
    // The Save command: in place when the document has a file, else as SaveWithDialog.
    bool SaveInPlace();
    // One export after its dialog: the file renderer made current, the redraw, the screen renderer
    // back. A document without any complete object is not exported.
    void ExportDocument(const QString& fileName, void (*useExportRenderer)());
    // Saves the view as it is now, drawn again at width x height pixels, as a PNG file.
    void ExportPicture(const QString& fileName, int width, int height);

    TGLCanvas* glcanvas() const;
    QListWidget* lbObjects() const;
    QLabel* statusPanel(int index) const;
    // The toolbar and menu commands by their names ("new", "load", "mnWireframed", ...).
    QAction* command(const QString& name) const;

    // "Name" with ext in place of its extension (or appended when it has none).
    static QString ChangeFileExt(const QString& fileName, const QString& ext);

  public slots:
    void disegnaClick();
    void mnRefreshClick();
    void newClick();
    void loadClick();
    void mnOpenClick();
    void saveClick();
    void mnSaveClick();
    void mnExpDXFClick();
    void mnfacesetVRMLClick();
    void mnExp3DSClick();
    void mnExpGLTFClick();
    void mnExpOBJClick();
    void mnExpSTLClick();
    void mnExportPictureClick();
    void mnExp3MFClick();
    void mnExpSTEPClick();
    void editprofileClick();
    void mnEditprofileClick();
    void editpathClick();
    void mnEditpathClick();
    void optionsClick();
    void latheClick();
    void mnLatheClick();
    void mnWireframedClick();
    void viewResetClick();
    void viewFitAllClick();
    void loadtexClick();
    void movetypeClick();
    void btNewobjClick();
    void btCopyobjClick();
    void btSelobjClick();
    void lbObjectsDblClick();
    void lbObjectsCurrentRowChanged(int row);
    void btDelobjClick();
    void glcanvasMouseDown(int x, int y);
    void glcanvasMouseMove(int x, int y);
    void glcanvasMouseUp(int x, int y);
    void aboutClick();
    void mnAboutClick();
    void mnHelpClick();
    void exitProgramClick();
    void mnExitClick();
    void mnNewClick();
    void mnSaveAsClick();
    void mnUndoClick();
    void mnRedoClick();
    void mnAddObjectClick();
    void mnCopyObjectClick();
    void mnDeleteObjectClick();
    void mnPropertiesClick();
    void mnLoadTextureClick();
    void openRecentFile(const QString& fileName);
    void glcanvasWheel(int angleDelta);

  protected:
    // Dialog and desktop hooks: the program asks the user through these; tests answer them.
    // An empty result means the dialog was cancelled.
    virtual QString chooseOpenFileName(const QString& proposed, const QString& filter);
    virtual QString chooseSaveFileName(const QString& proposed, const QString& filter,
                                       const QString& defaultSuffix);
    virtual void showMessage(QMessageBox::Icon icon, const QString& text);
    // The picture size dialog; false when cancelled.
    virtual bool choosePictureSize(int& width, int& height);
    virtual bool openHelp(const QUrl& url);
    // The "Save changes?" question: Save, Discard or Cancel.
    virtual QMessageBox::StandardButton askSaveChanges();
    // The "Recover unsaved work" question: true to recover, false to discard.
    virtual bool askRecover(const QString& document, const QDateTime& time);

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private slots:
    void glcanvasInit();
    void glcanvasShutdown();
    void glcanvasResize(int width, int height);
    void glcanvasPaint();

  private:
    // Runs a command; an exception ends it and its message is shown in an error box.
    template <class Body> void runCommand(Body&& body) {
        if (closingDown) return; // a command queued behind Exit opens nothing
        try {
            body();
        } catch (const std::exception& e) {
            reportException(e.what());
        } catch (...) {
            reportException(nullptr);
        }
    }
    // A null message stands for an exception that carries none.
    void reportException(const char* message);
    void reportLater(const QString& text);
    // The status bar's last panel tells what the builders did instead of what a rising path asks
    // (a path only straight up or down, a corner folding back); all of them in its tool tip.
    void showBuildWarnings();

    void createToolbarAndMenus();
    // Tells why and returns true when the current object is not complete (nothing is saved).
    bool refuseIncompleteSave();
    // Saves, showing a failure; true when saved.
    bool saveReporting(const QString& fileName);
    // Keys, the Object menu, Undo/Redo, Open Recent and the tool tips naming keys.
    void createMenuCommands();
    void fillRecentMenu();
    void nameKeysInToolTips();
    void updateUndoCommands();
    // Adds "obj1" to the document as its current object.
    void addFirstObject();
    // The document becomes the state of bytes (undo, redo); the view and the list follow.
    void restoreDocument(const std::string& bytes, int selected);
    // Undo (back) or Redo.
    void stepHistory(bool back);
    // A new history from the document as it is now.
    void resetHistory(bool saved);
    // After every change of the history: title mark, Undo/Redo, recovery file.
    void historyChanged();
    void writeRecoveryNow();
    void removeRecovery();
    void recoverDocument(const TRecoveredWork& work);
    // Adds an object "objN" to the document and makes it current (Add new and Copy).
    void addObject();
    // A step's name: the command (translated) and the current object's name ("Lathe obj2").
    QString stepName(const char* command) const;
    void connectCommands();
    void updateEditCommands();
    void editOutline(QAction* command, bool path);
    void startScene();
    void forgetDisplayLists();
    void closeOpenDisplayList();
    void drawFrame();
    // Tells the user and returns true when no object can be exported (no file is written then).
    bool refuseEmptyExport();
    // The export commands: the description names the format in the file dialog (translated).
    void exportCommand(const QString& ext, const QString& description, void (*useRenderer)());
    // The file an export writes, asked for in the save dialog; empty when the user cancels.
    QString chooseExportName(const QString& ext, const QString& description);
    void fillObjectList();
    void showCurrentObject();
    void addObjectLine(const QString& name, bool selected);
    void setLinePicture(int index, bool selected);
    void setStatusName(const std::string& name);
    void showMoveTypePicture();
    void replaceObjectPlacement();
    // The document's file (empty for a new document) in the title, no unsaved changes.
    void setDocumentSaved(const QString& fileName);
    // The view's line of help shows while no object of the document can be drawn.
    void updateEmptyHint();
    // The sphere around every drawn object, handed to the scene for its near and far planes.
    void updateSceneExtent();
    QString openErrorText(const QString& fileName, const std::exception& error) const;
    QString exportErrorText(const QString& fileName, const char* technical,
                            TTargetBefore before) const;
    // The name of an object that shows the texture, or empty.
    std::string textureUser(const std::string& texName) const;

    std::unique_ptr<Ui::TfrmPalvorin> ui;
    QAction* newAction = nullptr;
    QActionGroup* mouseModes = nullptr;
    QLabel* panels[3] = {nullptr, nullptr, nullptr};
    QIcon cameraPicture;
    QIcon objectPicture;
    bool redrawPending = false;
    bool fitAfterRedraw = false; // an opened document: the next redraw frames it from above
    bool closingDown = false;    // the window was closed: no command starts any more
    bool dragMovedObject = false;
    std::unique_ptr<TRecoveryFile> recovery;
    QTimer* recoveryTimer = nullptr;
    QLabel* recoveryOffLabel = nullptr;        // says once that recovery is off
    QLabel* emptyHint = nullptr;               // over the view of a document with nothing drawn
    std::unique_ptr<TPalvorinWindows> windows; // installed when no other factory is
    // Each drawn object's box in its own coordinates, by display list.
    std::unordered_map<int32_t, std::pair<Vec3, Vec3>> objectBounds;
};
