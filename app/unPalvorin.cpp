// The main window: construction, command wiring, new document, view, lathe, help, about.
#include "app/unPalvorin.h"

#include "app/UnFrmLathe.h"
#include "app/UnGLCanvas.h"
#include "app/UnIcons.h"
#include "app/unAbout.h"
#include "editor/UnStatusPanels.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QSpinBox>
#include <QStringDecoder>
#include <QStyledItemDelegate>
#include <QUrl>

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

QString latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString messageText(const char* text) {
    const QByteArray bytes(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(bytes);
}

std::string fileNameBytes(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

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
    ui->splitter->setSizes({860, 190});

    createToolbarAndMenus();
    connectCommands();

    CurrentFileName.clear();
    NewDocument();
    SceneReady = false;
    HelpFile =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("palvorin.html"));
    updateEditCommands();
}

TfrmPalvorin::~TfrmPalvorin() {
    if (ui->glcanvas->context() != nullptr) {
        ui->glcanvas->makeCurrent();
        shutdownScene();
        ui->glcanvas->doneCurrent();
    }
    SceneReady = false;
    Document.reset();
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

    ui->mnOpen->setShortcut(QKeySequence::Open);
    ui->mnSave->setShortcut(QKeySequence::Save);
    ui->mnRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    ui->mnHelp->setShortcut(QKeySequence::HelpContents);
    ui->mnExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    addStatusPanels(ui->StatusBar1, panels);
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
    connect(ui->editprofile, &QAction::triggered, this, &TfrmPalvorin::editprofileClick);
    connect(ui->mnEditprofile, &QAction::triggered, this, &TfrmPalvorin::mnEditprofileClick);
    connect(ui->editpath, &QAction::triggered, this, &TfrmPalvorin::editpathClick);
    connect(ui->mnEditpath, &QAction::triggered, this, &TfrmPalvorin::mnEditpathClick);
    connect(ui->options, &QAction::triggered, this, &TfrmPalvorin::optionsClick);
    connect(ui->lathe, &QAction::triggered, this, &TfrmPalvorin::latheClick);
    connect(ui->mnLathe, &QAction::triggered, this, &TfrmPalvorin::mnLatheClick);
    connect(ui->mnWireframed, &QAction::triggered, this, &TfrmPalvorin::mnWireframedClick);
    connect(ui->viewReset, &QAction::triggered, this, &TfrmPalvorin::viewResetClick);
    connect(ui->movetype, &QAction::triggered, this, &TfrmPalvorin::movetypeClick);
    connect(ui->btNewobj, &QPushButton::clicked, this, &TfrmPalvorin::btNewobjClick);
    connect(ui->btCopyobj, &QPushButton::clicked, this, &TfrmPalvorin::btCopyobjClick);
    connect(ui->btSelobj, &QPushButton::clicked, this, &TfrmPalvorin::btSelobjClick);
    connect(ui->lbObjects, &QListWidget::itemDoubleClicked, this, &TfrmPalvorin::lbObjectsDblClick);
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
}

// The editor windows come from the installed window factory; the properties dialog and the
// texture chooser have no window in this program yet, so their commands stay off.
void TfrmPalvorin::updateEditCommands() {
    const bool windows = objectWindowFactory() != nullptr;
    for (QAction* a : {ui->editprofile, ui->mnEditprofile, ui->editpath, ui->mnEditpath})
        a->setEnabled(windows);
    ui->options->setEnabled(false);
    ui->loadtex->setEnabled(false);
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
    showMessage(QMessageBox::Critical, messageText(message));
}

void TfrmPalvorin::showMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Palvorin"), text, QMessageBox::Ok, this);
    box.exec();
}

void TfrmPalvorin::setStatusName(const std::string& name) {
    panels[0]->setText(latin1Text(name));
}

void TfrmPalvorin::showMoveTypePicture() {
    ui->movetype->setIcon(MoveMode == 1 ? cameraPicture : objectPicture);
}

void TfrmPalvorin::NewDocument() {
    Document = std::make_unique<TExtrObjList>();
    auto first = std::make_unique<TExtrObj>();
    first->SetName("obj1");
    CurrentObject = first.get();
    Document->Add(std::move(first));
    setStatusName("obj1");
    ui->lbObjects->clear();
    addObjectLine(QStringLiteral("obj1"), true);
    SelectedIndex = 0;
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
    ui->mnWireframed->setChecked(false);
}

void TfrmPalvorin::newClick() {
    runCommand([&] {
        NewDocument();
        Repaint();
    });
}

void TfrmPalvorin::latheClick() {
    runCommand([&] {
        if (CurrentObject->ProfileCount == 0) {
            showMessage(QMessageBox::Critical, QStringLiteral("Create first a profile!"));
            return;
        }
        {
            TfrmLathe dialog(this);
            dialog.exec();
            if (dialog.Confirmed) {
                const int32_t width = CurrentObject->NormalizeLatheProfile();
                CurrentObject->MakeCirclePath(width, dialog.subdiv()->value());
            }
        }
        Redraw();
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

void TfrmPalvorin::movetypeClick() {
    MoveMode = (MoveMode == 1) ? 2 : 1;
    showMoveTypePicture();
}

void TfrmPalvorin::editprofileClick() {
    runCommand([&] {
        ui->editprofile->setEnabled(false);
        struct Enable {
            QAction* action;
            ~Enable() { action->setEnabled(true); }
        } enableAgain{ui->editprofile};
        CurrentObject->EditProfile();
        // A saved outline is swept at once; a cancelled edit changed nothing.
        if (CurrentObject->ProfileEditor->Saved())
            Redraw();
        else
            Repaint();
    });
}

void TfrmPalvorin::mnEditprofileClick() {
    editprofileClick();
}

void TfrmPalvorin::editpathClick() {
    runCommand([&] {
        if (CurrentObject->Lathe) {
            showMessage(QMessageBox::Warning,
                        QStringLiteral("Path of lathe object is not editable!"));
            return;
        }
        ui->editpath->setEnabled(false);
        struct Enable {
            QAction* action;
            ~Enable() { action->setEnabled(true); }
        } enableAgain{ui->editpath};
        CurrentObject->EditPath();
        if (CurrentObject->PathEditor->Saved()) Redraw();
    });
}

void TfrmPalvorin::mnEditpathClick() {
    editpathClick();
}

void TfrmPalvorin::optionsClick() {
    runCommand([&] {
        CurrentObject->EditOptions();
        if (QListWidgetItem* line = ui->lbObjects->item(SelectedIndex))
            line->setText(latin1Text(CurrentObject->Name));
        setStatusName(CurrentObject->Name);
        Redraw();
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
            showMessage(QMessageBox::Warning,
                        QStringLiteral("Help file not found: %1").arg(HelpFile));
            return;
        }
        if (!openHelp(QUrl::fromLocalFile(HelpFile)))
            showMessage(QMessageBox::Warning,
                        QStringLiteral("No viewer could open the help file %1").arg(HelpFile));
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
