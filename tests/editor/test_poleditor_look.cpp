// The editor window as it looks: Fit outline, the points table's hint, accelerators and a rejected
// paste that must not widen the table.
#include "TestPolEdit.h"

#include "app/Internationalization.h"
#include "app/UnAccelerators.h"
#include "editor/UnPointsTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>

namespace {

TEST(Accelerators, EachTextOfAGroupGetsALetterOfItsOwn) {
    // Texts, with their accelerators: word starts first, then any letter; given ones are kept.
    const std::pair<QStringList, QStringList> cases[] = {
        {{"File", "Edit", "Object", "View", "Tools", "Help"},
         {"&File", "&Edit", "&Object", "&View", "&Tools", "&Help"}},
        {{"Closed", "Insert row", "Delete rows", "OK", "Cancel"},
         {"&Closed", "&Insert row", "&Delete rows", "&OK", "C&ancel"}},
        {{"Save", "E&xit", "Export", "Save as"}, {"&Save", "E&xit", "&Export", "Save &as"}},
        {{"Neu hinzufügen", "Nächstes"}, {"&Neu hinzufügen", "N&ächstes"}},
        {{"Fish & chips", "..."}, {"Fish & chips", "..."}},
    };
    for (const auto& [texts, expected] : cases)
        EXPECT_EQ(WithAccelerators(texts), expected) << texts.join('|').toStdString();
}

TEST(EchoText, WhatTheUserTypedIsShortenedToOneLine) {
    EXPECT_EQ(EchoText("12.5"), "12.5");
    EXPECT_EQ(EchoText("1\t2\n3"), "1 2 3");
    const QString digits(20000, QLatin1Char('7'));
    EXPECT_EQ(EchoText(digits), QString(40, QLatin1Char('7')) + QChar(0x2026));
}

TEST_F(PolEditTest, PointsTableHintNamesItsColumnsAndARejectedPasteKeepsItsWidth) {
    for (const bool path : {false, true}) {
        open({{0, 0}, {100, 0}}, path);
        std::vector<OutlineVertex> outline(2);
        outline[1].X = 100;
        TPointsTable t(outline, 100, path ? "Z" : "Y");
        t.show();
        const QLabel* hint = t.findChild<QLabel*>("hint");
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(
            hint->text().startsWith(path ? "Paste rows of X and Z" : "Paste rows of X and Y"))
            << hint->text().toStdString();
        const int width = t.width();
        t.table()->item(1, 1)->setText(QString(20000, QLatin1Char('7')) + "x");
        QApplication::processEvents();
        EXPECT_TRUE(t.noteLabel()->text().contains(QChar(0x2026))) << "the echo is shortened";
        EXPECT_LT(t.noteLabel()->text().size(), 200);
        EXPECT_LE(t.width(), std::max(width, t.screen()->availableGeometry().width()));
        EXPECT_LE(t.sizeHint().width(), t.screen()->availableGeometry().width());
        // Alt+C ticks Closed.
        EXPECT_TRUE(t.closedBox()->text().startsWith("&C"));
    }
}

TEST_F(PolEditTest, FitOutlineShowsTheWholeOutlineWithAMargin) {
    // A frame far larger than the window at 100 %, away from the middle.
    open({{-2000, -1500}, {2300, -1500}, {2300, 1400}, {-2000, 1400}, {-2000, -1500}});
    w.resize(900, 700);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.fitOutlineClick();
    const QWidget* view = w.findChild<QScrollArea*>("ScrollBox1")->viewport();
    for (auto [x, y] : {std::pair{-2000, -1500}, {2300, 1400}, {2300, -1500}, {-2000, 1400}}) {
        const QPoint p = w.MultiLineEdit1()->mapTo(view, w.at(x, y));
        EXPECT_TRUE(view->rect().adjusted(10, 10, -10, -10).contains(p)) << x << "," << y;
    }
    // The View menu holds it, on the key F.
    const QAction* fit = w.findChild<QAction*>("mnFitOutline");
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->shortcut(), QKeySequence(Qt::Key_F));
}

} // namespace
