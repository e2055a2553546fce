// The profile and path editor's Import outline... and Export outline... commands.
#include "editor/UnOutlineCommands.h"

#include "app/Internationalization.h"
#include "editor/UnMultiLineEdit.h"
#include "editor/UnPolEditor.h"
#include "model/UnOutlineImport.h"
#include "ui_UnPolEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>

#include <exception>

namespace {

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

// A message of the import or export as a sentence for a message box.
QString sentence(const char* what) {
    QString text = fromLocal(what);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

} // namespace

TOutlineCommands::TOutlineCommands(TPolEdit* editor) : QObject(editor), Editor(editor) {
    Ui::TPolEdit& ui = *editor->ui;
    ImportAction = new QAction(QStringLiteral("Import outline..."), editor);
    ImportAction->setObjectName(QStringLiteral("mnImportOutline"));
    ExportAction = new QAction(QStringLiteral("Export outline..."), editor);
    ExportAction->setObjectName(QStringLiteral("mnExportOutline"));
    ui.mnFile->insertAction(ui.mnSave, ImportAction);
    ui.mnFile->insertAction(ui.mnSave, ExportAction);
    ui.mnFile->insertSeparator(ui.mnSave);

    chooseFile = [editor](bool save) {
        const QString filter = translatedText("DXF drawings") + QStringLiteral(" (*.dxf *.DXF);;") +
                               translatedText("All files") + QStringLiteral(" (*)");
        if (!save)
            return QFileDialog::getOpenFileName(editor, translatedText("Import outline"), {},
                                                filter);
        QFileDialog dialog(editor, translatedText("Export outline"), {}, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("dxf"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    chooseLayer = [editor](const QStringList& layers) -> std::optional<QString> {
        const QString all = translatedText("All layers");
        bool ok = false;
        const QString chosen = QInputDialog::getItem(editor, translatedText("Import outline"),
                                                     translatedText("Layer:"),
                                                     QStringList{all} + layers, 0, false, &ok);
        if (!ok) return std::nullopt;
        return chosen == all ? QString() : chosen;
    };
    connect(ImportAction, &QAction::triggered, this, &TOutlineCommands::importClick);
    connect(ExportAction, &QAction::triggered, this, [this] {
        const QString name = chooseFile(true);
        if (!name.isEmpty()) exportTo(name);
    });
}

void TOutlineCommands::importClick() {
    const QString name = chooseFile(false);
    if (name.isEmpty()) return;
    QStringList layers;
    try {
        for (const std::string& layer : outlineLayers(name.toLocal8Bit().toStdString()))
            layers << fromLocal(layer);
    } catch (const std::exception& e) {
        Editor->showMessage(QMessageBox::Critical, sentence(e.what()));
        return;
    }
    std::optional<QString> layer = QString();
    if (layers.size() > 1) layer = chooseLayer(layers);
    if (layer) importFrom(name, *layer);
}

bool TOutlineCommands::importFrom(const QString& fileName, const QString& layer) {
    TPolEdit& editor = *Editor;
    const TOutlineKind kind = editor.PathMode ? TOutlineKind::Path : TOutlineKind::Profile;
    TStoredOutline outline;
    try {
        outline = importOutline(fileName.toLocal8Bit().toStdString(), kind,
                                layer.toLocal8Bit().toStdString(), editor.UnitScale);
    } catch (const std::exception& e) {
        editor.showMessage(QMessageBox::Critical, sentence(e.what()));
        return false;
    }
    // The vertices carry no groups; the scale and closure go into the undo step with them.
    std::vector<OutlineVertex> stored;
    for (int32_t i = 0; i < outline.Count; ++i)
        stored.push_back(
            OutlineVertex{outline.Vertices[size_t(i)].X, outline.Vertices[size_t(i)].Y});
    // A path from a 3D drawing brings its heights.
    const std::vector<float> heights(outline.Heights.begin(),
                                     outline.Heights.begin() + outline.Count);
    editor.replaceOutline(
        stored,
        [&] {
            editor.SetScale(outline.Scale);
            if (editor.PathMode) editor.ui->ckClosed->setChecked(outline.Closed);
        },
        heights);

    // The status bar's panel is narrow: the deviation there, the whole story in its tool tip.
    QString details = fromLocal(outlineSummary(outline, kind));
    QString warning;
    for (const std::string& note : outline.Notes) {
        if (note.rfind("warning: ", 0) == 0)
            warning += sentence(note.c_str() + 9) + QLatin1Char('\n');
        else
            details += QStringLiteral("\n") + fromLocal(note);
    }
    editor.panels[1]->setText(translatedText("Deviation %1 mm, scale %2 %")
                                  .arg(outline.Deviation, 0, 'f', 4)
                                  .arg(outline.Scale));
    editor.panels[1]->setToolTip(details);
    if (!warning.isEmpty()) editor.showMessage(QMessageBox::Warning, warning.trimmed());
    return true;
}

bool TOutlineCommands::exportTo(const QString& fileName) {
    TPolEdit& editor = *Editor;
    const std::vector<OutlineVertex> stored = editor.storedOutline();
    const TOutlineKind kind = editor.PathMode ? TOutlineKind::Path : TOutlineKind::Profile;
    try {
        exportOutline(fileName.toLocal8Bit().toStdString(), stored.data(), int32_t(stored.size()),
                      editor.UnitScale, kind, editor.PathMode && editor.ui->ckClosed->isChecked());
    } catch (const std::exception& e) {
        editor.showMessage(QMessageBox::Critical, sentence(e.what()));
        return false;
    }
    editor.panels[1]->setText(translatedText("Exported %1 vertices to %2")
                                  .arg(stored.size())
                                  .arg(QFileInfo(fileName).fileName()));
    return true;
}
