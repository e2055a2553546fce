// The export unit and up axis settings of the Tools menu, saved in the program's settings.
#include "app/UnExportMenu.h"

#include "app/UnDataDirectory.h"
#include "app/unPalvorin.h"
#include "meshexport/UnExportUnit.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

const char* const UnitKey = "export/unit";
const char* const UpKey = "export/up";

// What the menu shows for each unit, in the order of ExportUnits.
const char* const UnitCaptions[] = {"Millimetres (mm)", "Centimetres (cm)", "Metres (m)",
                                    "Inches (in)"};
static_assert(std::size(UnitCaptions) == std::size(ExportUnits));

// The up axis choices and what the menu shows for them.
const struct {
    TUpChoice choice;
    const char* caption;
} UpChoices[] = {
    {TUpChoice::Format, "Up axis as each &format expects (STL and 3MF: Z, OBJ: Y)"},
    {TUpChoice::Y, "&Y up in STL, OBJ and 3MF"},
    {TUpChoice::Z, "&Z up in STL, OBJ and 3MF"},
};

void addUnitMenu(TfrmPalvorin& window) {
    const QByteArray saved = programSettings().value(UnitKey).toString().toLatin1();
    if (const TExportUnit* unit = findExportUnit(saved.toStdString())) setExportUnit(*unit);

    auto* tools = window.findChild<QMenu*>(QStringLiteral("mnuTools"));
    if (tools == nullptr) return;
    tools->addSeparator();
    QMenu* menu = tools->addMenu(QStringLiteral("Export unit"));
    menu->setObjectName(QStringLiteral("mnuExportUnit"));
    menu->menuAction()->setObjectName(QStringLiteral("mnExportUnit"));
    menu->menuAction()->setToolTip(
        QStringLiteral("What one unit of the document is in glTF, OBJ, STL and 3MF exports"));
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (size_t k = 0; k < std::size(ExportUnits); ++k) {
        const TExportUnit& unit = ExportUnits[k];
        QAction* action = menu->addAction(QString::fromLatin1(UnitCaptions[k]));
        action->setObjectName(QStringLiteral("mnExportUnit_") + QString::fromLatin1(unit.Name));
        action->setCheckable(true);
        action->setChecked(&exportUnit() == &unit);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, &window, [&unit] {
            setExportUnit(unit);
            programSettings().setValue(UnitKey, QString::fromLatin1(unit.Name));
        });
    }

    TUpChoice savedUp = TUpChoice::Format;
    if (findUpChoice(programSettings().value(UpKey).toString().toStdString(), savedUp))
        setExportUpChoice(savedUp);
    menu->addSeparator();
    auto* upGroup = new QActionGroup(menu);
    upGroup->setExclusive(true);
    for (const auto& up : UpChoices) {
        QAction* action = menu->addAction(QString::fromLatin1(up.caption));
        action->setObjectName(QStringLiteral("mnExportUp_") +
                              QString::fromLatin1(*upChoiceName(up.choice) != '\0'
                                                      ? upChoiceName(up.choice)
                                                      : "format"));
        action->setToolTip(QStringLiteral("Which axis points up in STL, OBJ and 3MF files"));
        action->setCheckable(true);
        action->setChecked(exportUpChoice() == up.choice);
        upGroup->addAction(action);
        const TUpChoice choice = up.choice;
        QObject::connect(action, &QAction::triggered, &window, [choice] {
            setExportUpChoice(choice);
            programSettings().setValue(UpKey, QString::fromLatin1(upChoiceName(choice)));
        });
    }
}

} // namespace

void installExportMenus(TfrmPalvorin& window) {
    addUnitMenu(window);
}
