// The polyline edit control as a widget under a display: real mouse and key events, the host's
// signals, zoom resizing, and what it paints (background, outline, the host's overlay).
#include "editor/UnMultiLineEdit.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class LineEditWidget : public ::testing::Test {
  protected:
    TMultiLineEdit edit;

    void SetUp() override {
        edit.resize(400, 300);
        edit.snapToGrid = false;
        edit.SetGridDx(15);
        edit.SetGridDy(15);
        edit.TemplateLine.StartPoint.Pos = {100, 100};
        edit.TemplateLine.EndPoint.Pos = {200, 100};
        edit.NewLine();
        edit.SetZoomPercent(100);
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    }
    QColor pixel(int x, int y) { return edit.grab().toImage().pixelColor(x, y); }
};

} // namespace

// Mouse and keys reach the control, which tells its host; the selected outline is drawn red; a
// double click inserts a vertex (as the editor window does) that the press after it takes.
TEST_F(LineEditWidget, MouseAndKeysEditTheLineAndReachTheHost) {
    QPoint lastMove;
    QString selected;
    QObject::connect(&edit, &TMultiLineEdit::OnMouseMove, [&](int x, int y) { lastMove = {x, y}; });
    QObject::connect(&edit, &TMultiLineEdit::OnSelect,
                     [&](TMultiLineEdit* sender, const QString& name) {
                         EXPECT_EQ(sender, &edit);
                         selected = name;
                     });
    QObject::connect(&edit, &TMultiLineEdit::OnDblClick, [&](int x, int y) {
        edit.AddPoint({x, y});
    });
    QTest::mousePress(&edit, Qt::LeftButton, {}, {200, 100});
    QTest::mouseMove(&edit, {230, 130});
    QTest::mouseMove(&edit, {250, 150});
    QTest::mouseRelease(&edit, Qt::LeftButton, {}, {250, 150});
    EXPECT_EQ(edit.Line.EndPoint.Pos.X, 250);
    EXPECT_EQ(edit.Line.EndPoint.Pos.Y, 150);
    EXPECT_EQ(lastMove, QPoint(250, 150));
    EXPECT_EQ(selected, "TFCMultiLine");
    const QColor onLine = pixel(175, 125);
    EXPECT_GT(onLine.red(), 200);
    EXPECT_LT(onLine.green(), 80);

    QTest::mouseDClick(&edit, Qt::LeftButton, {}, {176, 126});
    QTest::mouseRelease(&edit, Qt::LeftButton, {}, {176, 126}); // the double click's own release
    ASSERT_EQ(edit.Line.Count(), 1);
    EXPECT_EQ(edit.Line.State, fcMidPoints);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.Line.Points[0]->Pos.Y, 127);

    edit.SetZoomPercent(200);
    EXPECT_EQ(edit.size(), QSize(800, 600));
}

TEST_F(LineEditWidget, BackgroundAndHostOverlay) {
    QTemporaryDir dir;
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString file = dir.filePath("red.bmp");
    ASSERT_TRUE(red.save(file));
    ASSERT_TRUE(edit.LoadBackground(file));
    EXPECT_FALSE(edit.LoadBackground(dir.filePath("missing.bmp")));
    EXPECT_EQ(edit.BackgroundPicture().Width, 2);
    edit.SetBackgroundBrightness(100);
    QObject::connect(&edit, &TMultiLineEdit::OnPaint,
                     [](QPainter* p) { p->fillRect(0, 0, 4, 4, Qt::green); });
    EXPECT_EQ(pixel(199, 149), QColor(255, 100, 100)); // centred, brightened
    EXPECT_EQ(pixel(1, 1), QColor(Qt::green));
    EXPECT_EQ(pixel(50, 50), QColor(Qt::white));
}
