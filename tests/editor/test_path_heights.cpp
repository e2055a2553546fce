// A path's heights in the editor window: the points table's height column (typed, pasted with
// or without it), the tool bar's height field, undo, and what Save hands back; a profile has
// neither.
#include "TestPolEdit.h"
#include "WhenModal.h"

#include "editor/UnPointFields.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

const Outline Corner{{0, 0}, {100, 0}, {100, 100}};

std::vector<QString> heightCells(const TPointsTable& t) {
    std::vector<QString> cells;
    for (int r = 0; r < t.table()->rowCount(); ++r)
        cells.push_back(cell(t, r, 2));
    return cells;
}

} // namespace

TEST_F(PolEditTest, APathsHeightsAreEditedInTheTableAndTheFieldsAndGoBackOnSave) {
    w.SetScale(50); // half a millimetre per stored unit
    open(Corner, true, {}, false);
    const float heights[] = {0, 20, 40};
    w.SetHeights(heights, 3);
    EXPECT_FALSE(w.HasChanges());
    showActive(w);

    // The table shows millimetres of the solid; a typed height is kept exactly.
    whenModal<TPointsTable>([&](TPointsTable& t) {
        ASSERT_EQ(t.table()->columnCount(), 3);
        EXPECT_EQ(t.table()->horizontalHeaderItem(2)->text(), "Height (mm)");
        EXPECT_EQ(heightCells(t), (std::vector<QString>{"0", "10", "20"}));
        t.table()->item(1, 2)->setText("12.345");
        t.accept();
    });
    w.press("mnPointsTable");
    EXPECT_EQ(e.Heights(), (std::vector<float>{0, 24.69f, 40}));

    // Pasting X and Z only keeps the heights; a third column sets them.
    for (const auto& [text, expected] :
         {std::pair{"0 0\n60 0\n60 60\n", std::vector<QString>{"0", "12.345", "20"}},
          {"0 0 1\n60 0 2\n60 60 3.5\n", {"1", "2", "3.5"}}}) {
        std::vector<QString> shown;
        whenModal<TPointsTable>([&](TPointsTable& t) {
            t.pasteRows(QString::fromLatin1(text));
            shown = heightCells(t);
            t.reject();
        });
        w.press("mnPointsTable");
        EXPECT_EQ(shown, expected) << text;
    }

    // The selected point's height in its field; Return sets it, Ctrl+Z takes it back.
    w.band({105, 5}, {95, -5});
    QLineEdit* h = w.pointFields()->heightField();
    ASSERT_TRUE(h->isVisibleTo(&w));
    EXPECT_EQ(h->text(), "12.345");
    h->setFocus();
    h->setText(QStringLiteral("-7.5"));
    QTest::keyClick(h, Qt::Key_Return);
    EXPECT_EQ(e.Heights(), (std::vector<float>{0, -15, 40}));
    EXPECT_EQ(w.pointFields()->xField()->text(), "50");
    h->setText(QStringLiteral("x"));
    QTest::keyClick(h, Qt::Key_Return);
    EXPECT_EQ(w.statusPanel(1)->text(), "\"x\" is not a number of millimetres.");
    EXPECT_EQ(e.Heights(), (std::vector<float>{0, -15, 40}));
    w.undoClick();
    EXPECT_EQ(e.Heights(), (std::vector<float>{0, 24.69f, 40}));
    w.redoClick();

    // A height alone is a change; Save hands the heights back with the outline.
    EXPECT_TRUE(w.HasChanges());
    EXPECT_EQ(save(), Corner);
    float back[3] = {};
    ASSERT_TRUE(w.GetHeights(back, 3));
    EXPECT_EQ(std::vector<float>(back, back + 3), (std::vector<float>{0, -15, 40}));
    EXPECT_FALSE(w.GetHeights(back, 2));
}

TEST_F(PolEditTest, AProfileHasNoHeightColumnNorField) {
    open(Corner);
    int columns = 0;
    whenModal<TPointsTable>([&](TPointsTable& t) {
        columns = t.table()->columnCount();
        t.reject();
    });
    w.press("mnPointsTable");
    EXPECT_EQ(columns, 2);
    EXPECT_FALSE(w.pointFields()->heightField()->isVisibleTo(&w));
}

// A helix of whole turns ends above its start: opened with its heights it stays open, where a
// path in the plane that ends on its start is ticked closed.
TEST_F(PolEditTest, ARisingPathEndingAboveItsStartOpensOpen) {
    const Outline square{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    for (const bool rising : {false, true}) {
        open(square, true, {}, false);
        const float flat[5] = {}, climb[5] = {0, 10, 20, 30, 40};
        w.SetHeights(rising ? climb : flat, 5);
        EXPECT_EQ(w.findChild<QCheckBox*>("ckClosed")->isChecked(), !rising) << rising;
        EXPECT_FALSE(w.HasChanges());
    }
}
