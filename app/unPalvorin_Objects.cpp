// The main window's object panel: the object list and Add new, Copy, Select, Delete.
#include "app/Internationalization.h"
#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QListWidget>

void TfrmPalvorin::addObjectLine(const QString& name, bool selected) {
    auto* line = new QListWidgetItem(selected ? SelectedPicture : UnselectedPicture, name);
    ui->lbObjects->addItem(line);
}

void TfrmPalvorin::setLinePicture(int index, bool selected) {
    if (QListWidgetItem* line = ui->lbObjects->item(index))
        line->setIcon(selected ? SelectedPicture : UnselectedPicture);
}

// One line per object, the first one marked as the current object and highlighted, so that the
// panel's commands and their keys work on it at once.
void TfrmPalvorin::fillObjectList() {
    ui->lbObjects->clear();
    for (int i = 0; i < Document->Count(); ++i)
        addObjectLine(modelText(Document->Items(i).Name), i == 0);
    if (Document->Count() > 0) ui->lbObjects->setCurrentRow(0);
}

void TfrmPalvorin::addObject() {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("obj" + std::to_string(Document->Count() + 1));
    TExtrObj* added = object.get();
    const int position = Document->Add(std::move(object));
    addObjectLine(modelText(added->Name), true);
    setLinePicture(SelectedIndex, false);
    CurrentObject = added;
    SelectedIndex = position;
    setStatusName(added->Name);
}

void TfrmPalvorin::btNewobjClick() {
    runCommand([&] {
        addObject();
        RecordStep(stepName("Add new"));
    });
}

void TfrmPalvorin::btCopyobjClick() {
    runCommand([&] {
        // The source is the current object, whatever line is highlighted (or none).
        const int source = SelectedIndex;
        const QString label = stepName("Copy");
        addObject();
        Document->Items(source).Assign(*CurrentObject);
        Redraw();
        RecordStep(label);
    });
}

void TfrmPalvorin::btSelobjClick() {
    runCommand([&] {
        const int row = ui->lbObjects->currentRow();
        if (row < 0 || row >= Document->Count()) return;
        CurrentObject = &Document->Items(row);
        setLinePicture(SelectedIndex, false);
        setLinePicture(row, true);
        SelectedIndex = row;
        History.SetSelection(row);
        setStatusName(CurrentObject->Name);
        Redraw();
    });
}

void TfrmPalvorin::lbObjectsDblClick() {
    btSelobjClick();
}

void TfrmPalvorin::btDelobjClick() {
    runCommand([&] {
        const int row = ui->lbObjects->currentRow();
        // The last object of a document cannot be deleted.
        if (row < 0 || row >= Document->Count() || ui->lbObjects->count() < 2) return;
        const uint32_t lists = Document->Items(row).DisplayList;
        const QString label = QStringLiteral("%1 %2").arg(translatedText("Delete"),
                                                          modelText(Document->Items(row).Name));
        if (lists != 0 && ui->glcanvas->context() != nullptr) {
            ui->glcanvas->makeCurrent();
            deleteObjectLists(static_cast<int32_t>(lists));
        }
        Document->Delete(row);
        delete ui->lbObjects->takeItem(row);
        CurrentObject = &Document->Items(0);
        SelectedIndex = 0;
        ui->lbObjects->setCurrentRow(0);
        // Only line 0 is marked now, also when the deleted line came before the old current one.
        for (int i = 0; i < ui->lbObjects->count(); ++i)
            setLinePicture(i, i == 0);
        setStatusName(CurrentObject->Name);
        Redraw();
        RecordStep(label);
    });
}
