// The making commands: the measurements dock and the Object menu's cut list and frame.
#include "app/UnMakingCommands.h"

#include "app/Internationalization.h"
#include "app/UnCutListWindow.h"
#include "app/UnFrameDialog.h"
#include "app/UnMeasurementsDock.h"
#include "app/unPalvorin.h"
#include "editor/UnPolEditor.h"
#include "making/UnPictureFrame.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

void installMakingCommands(TfrmPalvorin& window) {
    installMeasurementsDock(window);
    auto* menu = window.findChild<QMenu*>(QStringLiteral("mnuObject"));
    if (menu == nullptr) return;
    menu->addSeparator();
    QAction* cut = menu->addAction(translatedText("Cu&t list..."));
    cut->setObjectName(QStringLiteral("mnCutList"));
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(cut, &QAction::triggered, &window, [&window] {
        try {
            TCutListWindow list(window);
            list.exec();
        } catch (const std::exception& e) {
            QMessageBox::warning(&window, translatedText("Cut list"), QString::fromUtf8(e.what()));
        }
    });
    QAction* frame = menu->addAction(translatedText("&Frame for a picture..."));
    frame->setObjectName(QStringLiteral("mnFrame"));
    QObject::connect(frame, &QAction::triggered, &window, [&window] {
        try {
            frameForAPicture(window);
        } catch (const std::exception& e) {
            QMessageBox::warning(&window, translatedText("Frame for a picture"),
                                 QString::fromUtf8(e.what()));
        }
    });
}

void showProfileSide(TExtrObj& object) {
    if (!object.PathEditor && objectWindowFactory())
        object.PathEditor = objectWindowFactory()->CreateOutlineEditor();
    auto* editor = dynamic_cast<TPolEdit*>(object.PathEditor.get());
    if (editor == nullptr) return;
    const std::vector<double> steps = profileSteps(object);
    editor->ProfileXMin = steps.empty() || object.Lathe() ? 0 : steps.front();
    editor->ProfileXMax = steps.empty() || object.Lathe() ? 0 : steps.back();
}
