// Entry of the main window tests: one QApplication for all of them, then GoogleTest.
#include "app/Internationalization.h"
#include "app/UnGLCanvas.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSurfaceFormat>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does so when it starts) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QSurfaceFormat::setDefaultFormat(TGLCanvas::surfaceFormat());
    // Recovery files of the tests stay out of the user's; a child program of a recovery test
    // writes where its parent tells it.
    const QTemporaryDir home;
    if (!qEnvironmentVariableIsSet("PALVORIN_RECOVERY_CHILD"))
        qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath("state")));
    QApplication app(argc, argv);
    // A window the tests close must not end the application's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows keep their English texts and write no log, whatever the machine's language.
    TInternationalization::SetProgram(
        std::make_unique<TInternationalization>(QString(), QString()));
    // Settings the windows keep between runs go to a folder of the tests' own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    return RUN_ALL_TESTS();
}
