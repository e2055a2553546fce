// The main window: construction, command wiring, new document, view, lathe, help, about.
#include "app/unPalvorin.h"
#include "app/UnExportMenu.h"
#include "app/UnMakingCommands.h"

#include "app/Internationalization.h"
#include "app/UnFrmLathe.h"
#include "model/UnLathePitch.h"
#include "app/UnDataDirectory.h"
#include "app/UnGLCanvas.h"
#include "editor/UnIcons.h"
#include "app/UnMessages.h"
#include "app/UnObjectWindows.h"
#include "app/UnRecovery.h"
#include "app/UnTexLoad.h"
#include "app/unAbout.h"
#include "editor/UnStatusPanels.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include <QTimer>

namespace {

// List lines are as tall as their picture plus 8 pixels.
class TObjectLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int pictureHeight = option.decorationSize.height();
        size.setHeight(qMax(size.height(), pictureHeight + 8));
        return size;
    }
};

} // namespace

QString TfrmPalvorin::ChangeFileExt(const QString& fileName, const QString& ext) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) return fileName.left(dot) + ext;
    return fileName + ext;
}

TfrmPalvorin::TfrmPalvorin(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmPalvorin>()) {
    ui->setupUi(this);
    setWindowIcon(svgIcon(QStringLiteral("appicon")));
    SelectedPicture = svgIcon(QStringLiteral("selected"));
    UnselectedPicture = svgIcon(QStringLiteral("unselected"));
    cameraPicture = svgIcon(QStringLiteral("movecamera"));
    objectPicture = svgIcon(QStringLiteral("moveobject"));

    ui->lbObjects->setIconSize(QSize(20, 20));
    ui->lbObjects->setItemDelegate(new TObjectLineDelegate(ui->lbObjects));
    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 0);

    createToolbarAndMenus();
    installExportMenus(*this);
    connectCommands();
    translateForm(this);
    installMakingCommands(*this); // translates its own texts
    // The object panel is as wide as its buttons' texts need, in whatever language.
    QWidget* panel = ui->paObjlist;
    for (QLayout* layout : panel->findChildren<QLayout*>())
        layout->invalidate(); // the sizes they keep are those of the English texts
    panel->setMinimumWidth(std::max(panel->minimumWidth(), panel->layout()->minimumSize().width()));
    ui->splitter->setSizes({860, std::max(190, panel->minimumWidth())});
    nameKeysInToolTips();
    fillRecentMenu(); // file names are not translated
    recoveryTimer = new QTimer(this);
    recoveryTimer->setSingleShot(true);
    recoveryTimer->setInterval(500); // the recovery file follows a change within a second
    connect(recoveryTimer, &QTimer::timeout, this, &TfrmPalvorin::writeRecoveryNow);
    recovery = std::make_unique<TRecoveryFile>(TRecoveryFile::DefaultFolder());
    if (objectWindowFactory() == nullptr) {
        windows = std::make_unique<TPalvorinWindows>(this, [this] {
            return DocumentFileName.isEmpty() ? QString()
                                              : QFileInfo(DocumentFileName).absolutePath() + '/';
        });
        setObjectWindowFactory(windows.get());
    }

    CurrentFileName.clear();
    NewDocument();
    SceneReady = false;
    HelpFile = QDir(programDataDirectory()).filePath(QStringLiteral("palvorin.html"));
    updateEditCommands();
}

TfrmPalvorin::~TfrmPalvorin() {
    if (ui->glcanvas->context() != nullptr) {
        ui->glcanvas->makeCurrent();
        shutdownScene();
        ui->glcanvas->doneCurrent();
    }
    SceneReady = false;
    // The objects take their windows with them before this window's children go.
    Document.reset();
    if (windows && objectWindowFactory() == windows.get()) setObjectWindowFactory(nullptr);
}

void TfrmPalvorin::createToolbarAndMenus() {
    struct Picture {
        QAction* action;
        const char* name;
    };
    const Picture pictures[] = {
        {ui->load, "open"},
        {ui->save, "save"},
        {ui->options, "properties"},
        {ui->loadtex, "texture"},
        {ui->about, "about"},
        {ui->disegna, "refresh"},
        {ui->editprofile, "editprofile"},
        {ui->editpath, "editpath"},
        {ui->setMouseMoveRot, "rotate"},
        {ui->setMouseLRUD, "translate"},
        {ui->setMouseZoom, "zoom"},
        {ui->viewReset, "viewreset"},
        {ui->viewFitAll, "fitall"},
        {ui->exitProgram, "exit"},
        {ui->lathe, "lathe"},
        {ui->movetype, "movecamera"},
        {ui->mnOpen, "open"},
        {ui->mnSave, "save"},
        {ui->mnExit, "exit"},
        {ui->mnEditprofile, "editprofile"},
        {ui->mnEditpath, "editpath"},
        {ui->mnRefresh, "refresh"},
        {ui->mnLathe, "lathe"},
        {ui->mnHelp, "help"},
        {ui->mnAbout, "about"},
    };
    for (const Picture& p : pictures)
        p.action->setIcon(svgIcon(QString::fromLatin1(p.name)));

    // "new" cannot name a generated member, so this one button is made here.
    newAction = new QAction(svgIcon(QStringLiteral("new")), QStringLiteral("New extrusion"), this);
    newAction->setObjectName(QStringLiteral("new"));
    newAction->setToolTip(QStringLiteral("New extrusion"));
    ui->ToolBar1->insertAction(ui->lathe, newAction);

    mouseModes = new QActionGroup(this);
    mouseModes->setExclusive(true);
    mouseModes->addAction(ui->setMouseMoveRot);
    mouseModes->addAction(ui->setMouseLRUD);
    mouseModes->addAction(ui->setMouseZoom);
    ui->setMouseMoveRot->setChecked(true);

    createMenuCommands();
    addStatusPanels(ui->StatusBar1, panels);

    emptyHint = new QLabel(QString::fromUtf8(msg::EmptyViewHint), ui->glcanvas);
    emptyHint->setObjectName(QStringLiteral("emptyHint"));
    emptyHint->setAlignment(Qt::AlignCenter);
    emptyHint->setWordWrap(true);
    emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* hintLayout = new QVBoxLayout(ui->glcanvas);
    hintLayout->addWidget(emptyHint);
}

void TfrmPalvorin::connectCommands() {
    connect(ui->disegna, &QAction::triggered, this, &TfrmPalvorin::disegnaClick);
    connect(ui->mnRefresh, &QAction::triggered, this, &TfrmPalvorin::mnRefreshClick);
    connect(newAction, &QAction::triggered, this, &TfrmPalvorin::newClick);
    connect(ui->load, &QAction::triggered, this, &TfrmPalvorin::loadClick);
    connect(ui->mnOpen, &QAction::triggered, this, &TfrmPalvorin::mnOpenClick);
    connect(ui->save, &QAction::triggered, this, &TfrmPalvorin::saveClick);
    connect(ui->mnSave, &QAction::triggered, this, &TfrmPalvorin::mnSaveClick);
    connect(ui->mnExpDXF, &QAction::triggered, this, &TfrmPalvorin::mnExpDXFClick);
    connect(ui->mnfacesetVRML, &QAction::triggered, this, &TfrmPalvorin::mnfacesetVRMLClick);
    connect(ui->mnExp3DS, &QAction::triggered, this, &TfrmPalvorin::mnExp3DSClick);
    connect(ui->mnExpGLTF, &QAction::triggered, this, &TfrmPalvorin::mnExpGLTFClick);
    connect(ui->mnExpOBJ, &QAction::triggered, this, &TfrmPalvorin::mnExpOBJClick);
    connect(ui->mnExpSTL, &QAction::triggered, this, &TfrmPalvorin::mnExpSTLClick);
    connect(ui->mnExp3MF, &QAction::triggered, this, &TfrmPalvorin::mnExp3MFClick);
    connect(ui->mnExpSTEP, &QAction::triggered, this, &TfrmPalvorin::mnExpSTEPClick);
    connect(ui->mnExportPicture, &QAction::triggered, this, &TfrmPalvorin::mnExportPictureClick);
    connect(ui->editprofile, &QAction::triggered, this, &TfrmPalvorin::editprofileClick);
    connect(ui->mnEditprofile, &QAction::triggered, this, &TfrmPalvorin::mnEditprofileClick);
    connect(ui->editpath, &QAction::triggered, this, &TfrmPalvorin::editpathClick);
    connect(ui->mnEditpath, &QAction::triggered, this, &TfrmPalvorin::mnEditpathClick);
    connect(ui->options, &QAction::triggered, this, &TfrmPalvorin::optionsClick);
    connect(ui->lathe, &QAction::triggered, this, &TfrmPalvorin::latheClick);
    connect(ui->mnLathe, &QAction::triggered, this, &TfrmPalvorin::mnLatheClick);
    connect(ui->mnWireframed, &QAction::triggered, this, &TfrmPalvorin::mnWireframedClick);
    connect(ui->viewReset, &QAction::triggered, this, &TfrmPalvorin::viewResetClick);
    connect(ui->viewFitAll, &QAction::triggered, this, &TfrmPalvorin::viewFitAllClick);
    connect(ui->loadtex, &QAction::triggered, this, &TfrmPalvorin::loadtexClick);
    connect(ui->movetype, &QAction::triggered, this, &TfrmPalvorin::movetypeClick);
    connect(ui->btNewobj, &QPushButton::clicked, this, &TfrmPalvorin::btNewobjClick);
    connect(ui->btCopyobj, &QPushButton::clicked, this, &TfrmPalvorin::btCopyobjClick);
    connect(ui->btSelobj, &QPushButton::clicked, this, &TfrmPalvorin::btSelobjClick);
    connect(ui->lbObjects, &QListWidget::itemDoubleClicked, this, &TfrmPalvorin::lbObjectsDblClick);
    connect(ui->lbObjects, &QListWidget::currentRowChanged, this,
            &TfrmPalvorin::lbObjectsCurrentRowChanged);
    connect(ui->btDelobj, &QPushButton::clicked, this, &TfrmPalvorin::btDelobjClick);
    connect(ui->about, &QAction::triggered, this, &TfrmPalvorin::aboutClick);
    connect(ui->mnAbout, &QAction::triggered, this, &TfrmPalvorin::mnAboutClick);
    connect(ui->mnHelp, &QAction::triggered, this, &TfrmPalvorin::mnHelpClick);
    connect(ui->exitProgram, &QAction::triggered, this, &TfrmPalvorin::exitProgramClick);
    connect(ui->mnExit, &QAction::triggered, this, &TfrmPalvorin::mnExitClick);

    TGLCanvas* canvas = ui->glcanvas;
    connect(canvas, &TGLCanvas::glInitialize, this, &TfrmPalvorin::glcanvasInit);
    connect(canvas, &TGLCanvas::glShutdown, this, &TfrmPalvorin::glcanvasShutdown);
    connect(canvas, &TGLCanvas::glResize, this, &TfrmPalvorin::glcanvasResize);
    connect(canvas, &TGLCanvas::glPaint, this, &TfrmPalvorin::glcanvasPaint);
    connect(canvas, &TGLCanvas::mouseDown, this, &TfrmPalvorin::glcanvasMouseDown);
    connect(canvas, &TGLCanvas::mouseMove, this, &TfrmPalvorin::glcanvasMouseMove);
    connect(canvas, &TGLCanvas::mouseUp, this, &TfrmPalvorin::glcanvasMouseUp);
    connect(canvas, &TGLCanvas::wheel, this, &TfrmPalvorin::glcanvasWheel);
}

// The editor windows and the properties dialog come from the installed window factory.
void TfrmPalvorin::updateEditCommands() {
    const bool windows = objectWindowFactory() != nullptr;
    for (QAction* a :
         {ui->editprofile, ui->mnEditprofile, ui->editpath, ui->mnEditpath, ui->options})
        a->setEnabled(windows);
    ui->loadtex->setEnabled(true);
}

TGLCanvas* TfrmPalvorin::glcanvas() const {
    return ui->glcanvas;
}

QListWidget* TfrmPalvorin::lbObjects() const {
    return ui->lbObjects;
}

QLabel* TfrmPalvorin::statusPanel(int index) const {
    return (index >= 0 && index < 3) ? panels[index] : nullptr;
}

QAction* TfrmPalvorin::command(const QString& name) const {
    return findChild<QAction*>(name);
}

void TfrmPalvorin::reportException(const char* message) {
    showMessage(QMessageBox::Critical,
                message ? messageText(message) : translatedText(msg::UnknownError));
}

void TfrmPalvorin::showMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Palvorin"), text, QMessageBox::Ok, this);
    box.exec();
}

void TfrmPalvorin::setStatusName(const std::string& name) {
    panels[0]->setText(modelText(name));
}

void TfrmPalvorin::showMoveTypePicture() {
    ui->movetype->setIcon(MoveMode == 1 ? cameraPicture : objectPicture);
}

void TfrmPalvorin::NewDocument() {
    Document = std::make_unique<TExtrObjList>();
    addFirstObject();
    SelectedIndex = 0;
    fillObjectList();
    LastListId = 0;
    // The axes marker's list goes with the scene; a stale id would collide with the first object.
    AxesListId = 0;
    if (ui->glcanvas->context() != nullptr) {
        ui->glcanvas->makeCurrent();
        shutdownScene();
        startScene();
    }
    MoveMode = 1;
    showMoveTypePicture();
    updateEmptyHint();
    ui->mnWireframed->setChecked(false);
    objectBounds.clear();
    setDocumentSaved(QString());
    resetHistory(true);
}

// A document is never empty: "obj1" is there to draw in.
void TfrmPalvorin::addFirstObject() {
    auto first = std::make_unique<TExtrObj>();
    first->SetName("obj1");
    CurrentObject = first.get();
    Document->Add(std::move(first));
}

// "file.PLV - Palvorin", or "Palvorin" for a new document; a "*" marks unsaved changes.
void TfrmPalvorin::setDocumentSaved(const QString& fileName) {
    DocumentFileName = fileName;
    const QString name = QFileInfo(fileName).fileName();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Palvorin[*]")
                                  : name + QStringLiteral("[*] - Palvorin"));
}

QMessageBox::StandardButton TfrmPalvorin::askSaveChanges() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Palvorin"),
                    translatedText(msg::SaveChanges),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.button(QMessageBox::Save)->setText(translatedText(msg::SaveButton));
    box.button(QMessageBox::Discard)->setText(translatedText(msg::DiscardButton));
    box.button(QMessageBox::Cancel)->setText(translatedText(msg::CancelButton));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool TfrmPalvorin::SaveChangesIfWanted() {
    if (!isWindowModified()) return true;
    switch (askSaveChanges()) {
    case QMessageBox::Save:
        return SaveInPlace();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

// Closing ends the program's work on the document: no command starts afterwards (one queued
// behind Exit would open a dialog with no window left), and the recovery file goes.
void TfrmPalvorin::closeEvent(QCloseEvent* event) {
    if (closingDown || SaveChangesIfWanted()) {
        event->accept();
        closingDown = true;
        recoveryTimer->stop();
        removeRecovery();
        // Dialogs and their event loops end with the program.
        if (QuitOnClose) QCoreApplication::exit(0);
    } else {
        event->ignore();
    }
}

void TfrmPalvorin::showEvent(QShowEvent* event) {
    closingDown = false;
    QMainWindow::showEvent(event);
}

void TfrmPalvorin::newClick() {
    runCommand([&] {
        if (!SaveChangesIfWanted()) return;
        NewDocument();
        Repaint();
    });
}

void TfrmPalvorin::latheClick() {
    runCommand([&] {
        if (CurrentObject->ProfileCount == 0) {
            showMessage(QMessageBox::Critical, translatedText(msg::CreateProfileFirst));
            return;
        }
        bool confirmed = false;
        {
            TfrmLathe dialog(this);
            dialog.exec();
            confirmed = dialog.Confirmed;
            if (confirmed) {
                CurrentObject->MakeLathe(dialog.subdiv()->value());
                CurrentObject->LatheRise = static_cast<float>(dialog.Rise);
                CurrentObject->LatheTurns = static_cast<float>(dialog.Turns);
            }
        }
        if (const std::string warning = confirmed ? lathePitchWarning(*CurrentObject) : "";
            !warning.empty())
            showMessage(QMessageBox::Warning, translatedText(QString::fromStdString(warning)));
        Redraw();
        if (confirmed) RecordStep(stepName("Lathe"));
    });
}

void TfrmPalvorin::mnLatheClick() {
    latheClick();
}

void TfrmPalvorin::mnWireframedClick() {
    runCommand([&] {
        if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
        if (ui->mnWireframed->isChecked())
            useWireframeRenderer();
        else
            useOGLRenderer();
        Redraw();
    });
}

void TfrmPalvorin::viewResetClick() {
    runCommand([&] {
        if (ui->glcanvas->context() != nullptr) {
            ui->glcanvas->makeCurrent();
            setCamera(0, 10, 500, 0, 0);
        }
        Repaint();
    });
}

void TfrmPalvorin::viewFitAllClick() {
    runCommand([&] {
        Redraw(); // fresh meshes give the extent
        if (ui->glcanvas->context() != nullptr && scene.ready) {
            ui->glcanvas->makeCurrent();
            fitCamera();
        }
        Repaint();
    });
}

void TfrmPalvorin::movetypeClick() {
    MoveMode = (MoveMode == 1) ? 2 : 1;
    showMoveTypePicture();
}

void TfrmPalvorin::editprofileClick() {
    runCommand([&] { editOutline(ui->editprofile, false); });
}

void TfrmPalvorin::mnEditprofileClick() {
    editprofileClick();
}

void TfrmPalvorin::editpathClick() {
    runCommand([&] {
        if (CurrentObject->Lathe()) {
            showMessage(QMessageBox::Warning, translatedText(msg::LathePathNotEditable));
            return;
        }
        editOutline(ui->editpath, true);
    });
}

// Runs the current object's profile or path editor, its command disabled meanwhile. A saved
// outline is swept at once; a cancelled edit changed nothing and only the view is shown again.
void TfrmPalvorin::editOutline(QAction* command, bool path) {
    command->setEnabled(false);
    struct Enable {
        QAction* action;
        ~Enable() { action->setEnabled(true); }
    } enableAgain{command};
    if (path) {
        showProfileSide(*CurrentObject);
        CurrentObject->EditPath();
    } else {
        CurrentObject->EditProfile();
    }
    // The keyboard (F, the arrows) belongs to the main window again.
    activateWindow();
    const auto& editor = path ? CurrentObject->PathEditor : CurrentObject->ProfileEditor;
    if (editor && editor->Saved()) {
        Redraw();
        RecordStep(stepName(path ? "Edit path" : "Edit profile"));
    } else {
        Repaint();
    }
}

void TfrmPalvorin::mnEditpathClick() {
    editpathClick();
}

void TfrmPalvorin::optionsClick() {
    runCommand([&] {
        // OK, and the colours and textures a Cancel keeps, are one step.
        CurrentObject->EditOptions();
        if (QListWidgetItem* line = ui->lbObjects->item(SelectedIndex))
            line->setText(modelText(CurrentObject->Name));
        setStatusName(CurrentObject->Name);
        Redraw();
        RecordStep(stepName("Properties"));
    });
}

std::string TfrmPalvorin::textureUser(const std::string& texName) const {
    for (int i = 0; i < Document->Count(); ++i) {
        const TExtrObj& o = Document->Items(i);
        bool used = o.CornersTexture() == texName || o.TopTexture() == texName ||
                    o.BottomTexture() == texName;
        if (o.Groups)
            for (int g = 0; !used && g < o.Groups->Count(); ++g)
                used = o.Groups->Items(g).Texture == texName;
        if (used) return o.Name;
    }
    return std::string();
}

void TfrmPalvorin::loadtexClick() {
    runCommand([&] {
        bool changed = false;
        {
            TTexLoad dialog(this);
            dialog.BeforeTableChange = [this] {
                if (ui->glcanvas->context() != nullptr) ui->glcanvas->makeCurrent();
            };
            dialog.TextureUser = [this](const std::string& name) { return textureUser(name); };
            dialog.PictureDirectory = fileNameText(CurrentObject->TexDir());
            dialog.setTextureList(textureTable);
            dialog.exec();
            changed = dialog.Changed;
        }
        if (!changed) return;
        // The faces take up the new table: a texture that came back under a known name shows.
        Redraw();
        RecordStep(translatedText("Load texture"));
    });
}

void TfrmPalvorin::aboutClick() {
    runCommand([&] {
        TAboutBox box(this);
        box.exec();
        Repaint();
    });
}

void TfrmPalvorin::mnAboutClick() {
    aboutClick();
}

bool TfrmPalvorin::openHelp(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void TfrmPalvorin::mnHelpClick() {
    runCommand([&] {
        if (!QFileInfo::exists(HelpFile)) {
            showMessage(QMessageBox::Warning, translatedText(msg::HelpFileNotFound).arg(HelpFile));
            return;
        }
        if (!openHelp(QUrl::fromLocalFile(HelpFile)))
            showMessage(QMessageBox::Warning, translatedText(msg::HelpViewerMissing).arg(HelpFile));
    });
}

void TfrmPalvorin::exitProgramClick() {
    close();
}

void TfrmPalvorin::mnExitClick() {
    close();
}

void TfrmPalvorin::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    sizeStatusPanels(ui->StatusBar1, panels);
}
