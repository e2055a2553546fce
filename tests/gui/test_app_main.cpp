// Entry of the main window tests: one QApplication for all of them, then GoogleTest.
#include "app/UnGLCanvas.h"

#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does so when it starts) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QSurfaceFormat::setDefaultFormat(TGLCanvas::surfaceFormat());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
