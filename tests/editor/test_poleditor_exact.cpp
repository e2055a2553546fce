// The editor keeps typed, pasted and computed values exact by refining the outline's scale, says
// how far a point moved when even the finest scale cannot hold it, gives the keyboard back to the
// drawing after a typed point, and keeps a path's Closed polygon box and its closing point one.
#include "TestPolEdit.h"
#include "WhenModal.h"

#include "editor/UnPointFields.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const Outline Seven{{10, 20, {1}}, {30, 20, {1}}, {30, 40}, {0, 60, {2, 1}},
                    {-30, 40},     {-30, 20},     {10, 20}};

const char* const Refined = "Scale refined to 10 % (storage step 0.1 mm) to keep the values "
                            "exact; the solid keeps its size.";

} // namespace

TEST_F(PolEditTest, TypedValuesReadBackExactlyInTheFieldsAndTheTableOrTheStatusBarSaysHowFar) {
    struct Case {
        const char *typed, *shown;
        int32_t scale;
        const char* status;
    };
    const Case cases[] = {
        {"2.3", "2.3", 10, Refined},
        {"-0.1", "-0.1", 10, Refined},
        {"123.456", "123.5", 50,
         "Rounded to the storage grid of 0.5 mm: point 3 moved by 0.044 mm."},
        {"0.05", "0", 50, "Rounded to the storage grid of 0.5 mm: point 3 moved by 0.05 mm."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        w.SetScale(50); // a new object's profile scale: a storage step of 0.5 mm
        open(Seven);
        showActive(w);
        w.band({35, 45}, {25, 35}); // the third point, (15, 20) mm
        QLineEdit* x = w.pointFields()->xField();
        x->setFocus();
        x->setText(QString::fromLatin1(c.typed));
        QTest::keyClick(x, Qt::Key_Return);
        EXPECT_EQ(x->text(), c.shown);
        EXPECT_EQ(w.pointFields()->yField()->text(), "20");
        EXPECT_EQ(w.Scale(), c.scale);
        EXPECT_EQ(w.statusPanel(1)->text(), c.status);
        QString inTable;
        whenModal<TPointsTable>([&](TPointsTable& t) {
            inTable = cell(t, 2, 0);
            t.reject();
        });
        w.press("mnPointsTable");
        EXPECT_EQ(inTable, c.shown);
        // The solid keeps its size: every other point is where it was.
        const Outline saved = save();
        ASSERT_EQ(saved.size(), Seven.size());
        for (size_t i = 0; i < saved.size(); ++i)
            if (i != 2) {
                EXPECT_EQ(saved[i].x * c.scale, Seven[i].x * 50) << i;
                EXPECT_EQ(saved[i].y * c.scale, Seven[i].y * 50) << i;
            }
    }
}

TEST_F(PolEditTest, AfterReturnInAPointFieldTheDrawingHasTheKeyboardForUndoAndArrows) {
    w.SetScale(50);
    open(Seven);
    showActive(w);
    w.band({35, 45}, {25, 35});
    QLineEdit* y = w.pointFields()->yField();
    y->setFocus();
    y->setText(QStringLiteral("22.5"));
    QTest::keyClick(y, Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), &e);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(save(), Seven);
}

TEST_F(PolEditTest, RoundCornerRefinesTheScaleSoThatItsPointsLieOnTheArc) {
    // A square of 20 mm at 50 %; its corner (10, 10) mm rounded with 2.3 mm.
    const Outline square{{-20, -20}, {20, -20}, {20, 20}, {-20, 20}, {-20, -20}};
    struct Case {
        int32_t segments, scale;
        double within; // mm from the true arc
    };
    for (const Case c : {Case{1, 10, 1e-9}, Case{4, 10, 0.0708}}) {
        SCOPED_TRACE(c.segments);
        w.SetScale(50);
        open(square);
        w.band({25, 25}, {15, 15});
        w.radiusAnswer = 2.3;
        w.segmentsAnswer = c.segments;
        w.press("mnRoundCorner");
        EXPECT_EQ(w.Scale(), c.scale);
        const Outline saved = save();
        ASSERT_EQ(saved.size(), square.size() + size_t(c.segments));
        // The arc's centre is (7.7, 7.7) mm; the other corners keep their places.
        for (int k = 0; k <= c.segments; ++k) {
            const Stored& p = saved[2 + size_t(k)];
            const double d = std::hypot(p.x * 0.1 - 7.7, p.y * 0.1 - 7.7);
            EXPECT_NEAR(d, 2.3, c.within) << k;
        }
        EXPECT_EQ(saved[0], (Stored{-100, -100}));
        EXPECT_EQ(saved[2], (Stored{100, 77})); // the tangent point on the edge from (10, -10)
    }
}

TEST_F(PolEditTest, APathsClosedBoxInTheTableAndTheWindowIsOneSettingAndSavesItClosed) {
    // The points table: a pasted rectangle, Closed ticked there, OK: the window's box is ticked.
    open({{0, 0}, {100, 0}}, true, {}, false);
    QCheckBox* box = w.findChild<QCheckBox*>("ckClosed");
    QApplication::clipboard()->setText(QStringLiteral("0\t0\n200\t0\n200\t150\n0\t150\n"));
    whenModal<TPointsTable>([&](TPointsTable& t) {
        t.pasteRows(QApplication::clipboard()->text());
        t.closedBox()->click();
        t.accept();
    });
    w.press("mnPointsTable");
    EXPECT_TRUE(box->isChecked());
    const Outline rectangle{{0, 0}, {200, 0}, {200, 150}, {0, 150}, {0, 0}};
    EXPECT_EQ(save(), rectangle);
    EXPECT_TRUE(w.Closed());

    // The window's box closes an open path, as one step with it; Undo opens both again.
    open({{0, 0}, {200, 0}, {200, 150}, {0, 150}}, true, {}, false);
    box->click();
    EXPECT_TRUE(box->isChecked());
    w.press("mnUndo");
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_EQ(save(), rectangle);
    EXPECT_TRUE(w.Closed());

    // A path that ends on its start is closed, with a note, unless the user unticks the box.
    open(rectangle, true, {}, false);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(w.statusPanel(1)->text(), "The path ends on its start: Closed polygon is ticked, so "
                                        "it is saved closed (untick it for an open path).");
    EXPECT_EQ(save(), rectangle);
    EXPECT_TRUE(w.Closed());
    open(rectangle, true, {}, false);
    box->click();
    EXPECT_EQ(save(), rectangle);
    EXPECT_FALSE(w.Closed());
}
