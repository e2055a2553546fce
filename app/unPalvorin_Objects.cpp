// The main window's object panel: the object list and Add new, Copy, Select, Delete.
#include "app/Internationalization.h"
#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QListWidget>
#include <QSignalBlocker>

void TfrmPalvorin::addObjectLine(const QString& name, bool selected) {
    const QSignalBlocker quiet(ui->lbObjects);
    auto* line = new QListWidgetItem(selected ? SelectedPicture : UnselectedPicture, name);
    ui->lbObjects->addItem(line);
}

void TfrmPalvorin::setLinePicture(int index, bool selected) {
    if (QListWidgetItem* line = ui->lbObjects->item(index))
        line->setIcon(selected ? SelectedPicture : UnselectedPicture);
}

// One line per object; the current object's line is marked and highlighted.
void TfrmPalvorin::fillObjectList() {
    {
        const QSignalBlocker quiet(ui->lbObjects);
        ui->lbObjects->clear();
    }
    for (int i = 0; i < Document->Count(); ++i)
        addObjectLine(modelText(Document->Items(i).Name), false);
    showCurrentObject();
}

// The highlight and the mark go with the current object, and its name to the status bar, so that
// what the panel's commands act on is what the list shows.
void TfrmPalvorin::showCurrentObject() {
    const QSignalBlocker quiet(ui->lbObjects);
    for (int i = 0; i < ui->lbObjects->count(); ++i)
        setLinePicture(i, i == SelectedIndex);
    ui->lbObjects->setCurrentRow(SelectedIndex);
    if (CurrentObject) setStatusName(CurrentObject->Name);
}

// A click on a line (or the keyboard moving the highlight) makes that object current.
void TfrmPalvorin::lbObjectsCurrentRowChanged(int row) {
    if (row >= 0 && row != SelectedIndex) btSelobjClick();
}

void TfrmPalvorin::addObject() {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("obj" + std::to_string(Document->Count() + 1));
    TExtrObj* added = object.get();
    const int position = Document->Add(std::move(object));
    addObjectLine(modelText(added->Name), true);
    CurrentObject = added;
    SelectedIndex = position;
    showCurrentObject();
}

void TfrmPalvorin::btNewobjClick() {
    runCommand([&] {
        addObject();
        RecordStep(stepName("Add new"));
    });
}

void TfrmPalvorin::btCopyobjClick() {
    runCommand([&] {
        // The source is the current object.
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
        SelectedIndex = row;
        History.SetSelection(row);
        showCurrentObject();
        Redraw();
    });
}

void TfrmPalvorin::lbObjectsDblClick() {
    btSelobjClick();
}

void TfrmPalvorin::btDelobjClick() {
    runCommand([&] {
        // The current object goes; the last object of a document cannot be deleted.
        const int row = SelectedIndex;
        if (row < 0 || row >= Document->Count() || Document->Count() < 2) return;
        const uint32_t lists = Document->Items(row).DisplayList;
        const QString label = QStringLiteral("%1 %2").arg(translatedText("Delete"),
                                                          modelText(Document->Items(row).Name));
        if (lists != 0 && ui->glcanvas->context() != nullptr) {
            ui->glcanvas->makeCurrent();
            deleteObjectLists(static_cast<int32_t>(lists));
        }
        Document->Delete(row);
        {
            const QSignalBlocker quiet(ui->lbObjects);
            delete ui->lbObjects->takeItem(row);
        }
        CurrentObject = &Document->Items(0);
        SelectedIndex = 0;
        showCurrentObject();
        Redraw();
        RecordStep(label);
    });
}
