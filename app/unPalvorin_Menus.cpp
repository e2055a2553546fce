// The main window's menus: keys, the Object menu, Open Recent and the tool tips that name keys.
#include "app/Internationalization.h"
#include "app/UnDataDirectory.h"
#include "app/UnMessages.h"
#include "app/unPalvorin.h"
#include "editor/UnIcons.h"
#include "ui_unPalvorin.h"

#include <QFileInfo>

namespace {

constexpr int MaxRecentFiles = 8;
const char* const RecentKey = "recentFiles";

// The list lives in the program's settings ("Palvorin/Palvorin"), beside the export unit.
QStringList storedRecentFiles() {
    const QSettings s = programSettings();
    return s.value(QLatin1String(RecentKey)).toStringList();
}

void storeRecentFiles(const QStringList& files) {
    QSettings s = programSettings();
    s.setValue(QLatin1String(RecentKey), files);
}

} // namespace

void TfrmPalvorin::createMenuCommands() {
    struct Key {
        QAction* action;
        QList<QKeySequence> keys;
    };
    const Key keys[] = {
        {ui->mnNew, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {ui->mnOpen, {QKeySequence(Qt::CTRL | Qt::Key_O)}},
        {ui->mnSave, {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {ui->mnSaveAs, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
        {ui->mnExit, {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        {ui->mnUndo, {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {ui->mnRedo,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
        {ui->mnEditprofile, {QKeySequence(Qt::CTRL | Qt::Key_E)}},
        {ui->mnEditpath, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)}},
        {ui->mnRefresh, {QKeySequence(Qt::Key_F5)}},
        {ui->mnAddObject, {QKeySequence(Qt::Key_Insert)}},
        {ui->mnCopyObject, {QKeySequence(Qt::CTRL | Qt::Key_D)}},
        {ui->mnDeleteObject, {QKeySequence(Qt::Key_Delete)}},
        {ui->mnProperties, {QKeySequence(Qt::ALT | Qt::Key_Return)}},
        {ui->viewFitAll, {QKeySequence(Qt::Key_F)}},
        {ui->mnHelp, {QKeySequence::keyBindings(QKeySequence::HelpContents)}},
    };
    for (const Key& k : keys)
        k.action->setShortcuts(k.keys);

    struct Picture {
        QAction* action;
        const char* name;
    };
    for (const Picture& p : {Picture{ui->mnNew, "new"},
                             {ui->mnSaveAs, "save"},
                             {ui->mnProperties, "properties"},
                             {ui->mnLoadTexture, "texture"}})
        p.action->setIcon(svgIcon(QString::fromLatin1(p.name)));

    connect(ui->mnNew, &QAction::triggered, this, &TfrmPalvorin::mnNewClick);
    connect(ui->mnSaveAs, &QAction::triggered, this, &TfrmPalvorin::mnSaveAsClick);
    connect(ui->mnUndo, &QAction::triggered, this, &TfrmPalvorin::mnUndoClick);
    connect(ui->mnRedo, &QAction::triggered, this, &TfrmPalvorin::mnRedoClick);
    connect(ui->mnAddObject, &QAction::triggered, this, &TfrmPalvorin::mnAddObjectClick);
    connect(ui->mnCopyObject, &QAction::triggered, this, &TfrmPalvorin::mnCopyObjectClick);
    connect(ui->mnDeleteObject, &QAction::triggered, this, &TfrmPalvorin::mnDeleteObjectClick);
    connect(ui->mnProperties, &QAction::triggered, this, &TfrmPalvorin::mnPropertiesClick);
    connect(ui->mnLoadTexture, &QAction::triggered, this, &TfrmPalvorin::mnLoadTextureClick);
    connect(ui->mnuRecent, &QMenu::aboutToShow, this, &TfrmPalvorin::fillRecentMenu);
}

// The tool bar's buttons name their command and the key of its menu item ("Open (Ctrl+O)").
void TfrmPalvorin::nameKeysInToolTips() {
    const std::pair<QAction*, QAction*> twins[] = {
        {ui->load, ui->mnOpen},          {ui->save, ui->mnSaveAs},
        {ui->options, ui->mnProperties}, {ui->loadtex, ui->mnLoadTexture},
        {ui->disegna, ui->mnRefresh},    {ui->editprofile, ui->mnEditprofile},
        {ui->editpath, ui->mnEditpath},  {ui->viewFitAll, ui->viewFitAll},
        {ui->exitProgram, ui->mnExit},   {newAction, ui->mnNew},
    };
    for (const auto& [button, twin] : twins) {
        const QKeySequence key = twin->shortcut();
        if (!key.isEmpty())
            button->setToolTip(QStringLiteral("%1 (%2)").arg(
                button->text(), key.toString(QKeySequence::NativeText)));
    }
}

QStringList TfrmPalvorin::RecentFiles() {
    return storedRecentFiles().mid(0, MaxRecentFiles);
}

void TfrmPalvorin::AddRecentFile(const QString& fileName) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    storeRecentFiles(files.mid(0, MaxRecentFiles));
    fillRecentMenu();
}

void TfrmPalvorin::fillRecentMenu() {
    ui->mnuRecent->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        QAction* item = ui->mnuRecent->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
        item->setToolTip(file);
        item->setStatusTip(file);
        connect(item, &QAction::triggered, this, [this, file] { openRecentFile(file); });
    }
    ui->mnuRecent->setEnabled(!files.isEmpty());
}

void TfrmPalvorin::openRecentFile(const QString& fileName) {
    runCommand([&] {
        if (!QFileInfo(fileName).isFile()) {
            QStringList files = RecentFiles();
            files.removeAll(fileName);
            storeRecentFiles(files);
            fillRecentMenu();
            showMessage(QMessageBox::Warning, translatedText(msg::RecentMissing).arg(fileName));
            return;
        }
        if (!SaveChangesIfWanted()) return;
        OpenDocument(fileName);
        Redraw();
    });
}

void TfrmPalvorin::mnNewClick() {
    newClick();
}

void TfrmPalvorin::mnSaveAsClick() {
    saveClick();
}

void TfrmPalvorin::mnAddObjectClick() {
    btNewobjClick();
}

void TfrmPalvorin::mnCopyObjectClick() {
    btCopyobjClick();
}

void TfrmPalvorin::mnDeleteObjectClick() {
    btDelobjClick();
}

void TfrmPalvorin::mnPropertiesClick() {
    optionsClick();
}

void TfrmPalvorin::mnLoadTextureClick() {
    loadtexClick();
}
