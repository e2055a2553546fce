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

#include <algorithm>
#include <array>
#include <exception>

namespace {

std::vector<Point2> modelPoints(const TMultiLineEdit& e) {
    std::array<OutlineVertex, MaxOutlineVertices> buffer{};
    const int32_t n = e.GetVertices(buffer.data());
    std::vector<Point2> points;
    for (int32_t i = 0; i < n; ++i)
        points.push_back({buffer[size_t(i)].X, buffer[size_t(i)].Y});
    return points;
}

bool samePoints(const std::vector<Point2>& a, const std::vector<Point2>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](Point2 p, Point2 q) { return p.X == q.X && p.Y == q.Y; });
}

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
    // Runs after the editor's own undo, which was connected first.
    for (QAction* undo : {ui.undo, ui.mnUndo})
        connect(undo, &QAction::triggered, this, &TOutlineCommands::afterUndo);
    if (auto* redo = editor->findChild<QAction*>(QStringLiteral("mnRedo")))
        connect(redo, &QAction::triggered, this, &TOutlineCommands::afterRedo);
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
    TMultiLineEdit& e = *editor.MultiLineEdit1();
    ImportUndo undo{0, modelPoints(e), editor.UnitScale, editor.ui->ckClosed->isChecked(), {},
                    outline.Scale, editor.PathMode ? outline.Closed : false};
    std::array<OutlineVertex, MaxOutlineVertices> buffer{};
    for (int32_t i = 0; i < outline.Count; ++i) {
        const Point2 p = editor.ToModel(outline.Vertices[size_t(i)]);
        buffer[size_t(i)].X = p.X;
        buffer[size_t(i)].Y = p.Y;
    }
    e.Snapshot();
    e.SetVertices(buffer.data(), outline.Count);
    undo.Depth = e.UndoCount();
    undo.After = modelPoints(e);
    Undos.push_back(std::move(undo));
    Redos.clear();
    editor.SetScale(outline.Scale);
    if (editor.PathMode) editor.ui->ckClosed->setChecked(outline.Closed);
    e.Invalidate();

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
    const std::vector<Point2> points = modelPoints(*editor.MultiLineEdit1());
    std::vector<OutlineVertex> stored;
    for (const Point2& p : points) {
        const Point2 s = editor.ToStored(p);
        stored.push_back(OutlineVertex{s.X, s.Y});
    }
    const TOutlineKind kind = editor.PathMode ? TOutlineKind::Path : TOutlineKind::Profile;
    try {
        exportOutline(fileName.toLocal8Bit().toStdString(), stored.data(), int32_t(stored.size()),
                      editor.UnitScale, kind,
                      editor.PathMode && editor.ui->ckClosed->isChecked());
    } catch (const std::exception& e) {
        editor.showMessage(QMessageBox::Critical, sentence(e.what()));
        return false;
    }
    editor.panels[1]->setText(translatedText("Exported %1 vertices to %2")
                                  .arg(stored.size())
                                  .arg(QFileInfo(fileName).fileName()));
    return true;
}

void TOutlineCommands::afterUndo() {
    // The undo that takes an import back also takes back its scale and closure; an import whose
    // snapshot was pushed out of the undo ring, or undone differently, is forgotten.
    TPolEdit& editor = *Editor;
    TMultiLineEdit& e = *editor.MultiLineEdit1();
    while (!Undos.empty() && e.UndoCount() < Undos.back().Depth) {
        const ImportUndo undo = Undos.back();
        Undos.pop_back();
        if (e.UndoCount() + 1 == undo.Depth && samePoints(modelPoints(e), undo.Before)) {
            editor.SetScale(undo.Scale);
            if (editor.PathMode) editor.ui->ckClosed->setChecked(undo.Closed);
            editor.panels[1]->clear();
            Redos.push_back(undo);
        }
    }
}

void TOutlineCommands::afterRedo() {
    // Redoing an import brings its scale and closure again.
    TPolEdit& editor = *Editor;
    TMultiLineEdit& e = *editor.MultiLineEdit1();
    if (Redos.empty() || e.UndoCount() != Redos.back().Depth ||
        !samePoints(modelPoints(e), Redos.back().After))
        return;
    ImportUndo undo = std::move(Redos.back());
    Redos.pop_back();
    editor.SetScale(undo.NewScale);
    if (editor.PathMode) editor.ui->ckClosed->setChecked(undo.NewClosed);
    Undos.push_back(std::move(undo));
}
