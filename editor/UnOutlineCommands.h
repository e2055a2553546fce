// File > Import outline... and File > Export outline... of the profile and path editor: the
// outline being edited from and to a DXF drawing, in the solid's millimetres.
#pragma once

#include "model/unVectorCalc.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class TPolEdit;

class TOutlineCommands : public QObject {
    Q_OBJECT
  public:
    // Adds the two commands to the editor's File menu.
    explicit TOutlineCommands(TPolEdit* editor);

    // The file dialogs; tests answer them. An empty name cancels.
    std::function<QString(bool save)> chooseFile;
    // The layer to read from a drawing whose outlines lie on several: empty for all of them,
    // nothing when cancelled.
    std::function<std::optional<QString>(const QStringList& layers)> chooseLayer;

    // Reads the profile or path of the drawing into the outline as one undo step: the vertices
    // carry no groups (the group list stays), the outline takes the scale that keeps the drawing's
    // millimetres, and the status bar tells the vertices and the largest deviation. Errors are
    // shown in a message box and change nothing. Returns true when the outline was replaced.
    bool importFrom(const QString& fileName, const QString& layer = {});
    // Writes the outline as one LWPOLYLINE in millimetres; errors go to a message box.
    bool exportTo(const QString& fileName);

    QAction* importAction() const { return ImportAction; }
    QAction* exportAction() const { return ExportAction; }

  private:
    // The import command: the file, the layer when the drawing has several, then the import.
    void importClick();

    TPolEdit* Editor;
    QAction* ImportAction;
    QAction* ExportAction;
};
