// The path editor's Helix command: a helical path whose heights go back with it, its points kept
// as exactly as the storage step allows and the rounding told, a helix of too many vertices
// refused with how many it would need, and no Helix command for a profile.
#include "TestPolEdit.h"
#include "WhenModal.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

TEST_F(PolEditTest, HelixMakesARisingPathWhoseHeightsGoBackWithIt) {
    w.SetScale(100);
    open({{0, 0, {}}, {100, 0, {}}}, true);
    const float flat[2] = {0, 0};
    w.SetHeights(flat, 2);
    QString refused;
    whenModal<QDialog>([&](QDialog& d) {
        auto* turns = d.findChild<QDoubleSpinBox*>("turns");
        auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        turns->setValue(5); // 121 vertices
        whenModal<QMessageBox>([&](QMessageBox& box) {
            refused = box.text();
            box.accept();
        });
        ok->click();
        turns->setValue(2);
        ok->click();
    });
    w.findChild<QAction*>("mnHelix")->trigger();
    EXPECT_TRUE(refused.contains("would need 121 vertices")) << refused.toStdString();
    // 50 sin 15 = 12.941 mm needs a finer step than 1 mm: refined to 0.1 mm, and told.
    EXPECT_EQ(w.Scale(), 10);
    EXPECT_EQ(w.statusPanel(1)->text().toStdString(),
              "Scale refined to 10 % (storage step 0.1 mm) to keep the values exact; the solid "
              "keeps its size. Rounded to the storage grid of 0.1 mm: point 4 moved by 0.063 mm.");
    const Outline path = save();
    ASSERT_EQ(path.size(), 49u);
    EXPECT_EQ(path[1], (Stored{129, 483})); // (12.941, 48.296) mm
    EXPECT_EQ(path[12], (Stored{0, -500})); // half a turn on
    std::vector<float> heights(49);
    ASSERT_TRUE(w.GetHeights(heights.data(), 49));
    EXPECT_FLOAT_EQ(heights[48], 600); // two turns of 30 mm, in 0.1 mm steps
    EXPECT_FALSE(w.Closed());
}

TEST_F(PolEditTest, AProfileHasNoHelixCommand) {
    open({{0, 0, {}}, {100, 0, {}}});
    EXPECT_FALSE(w.findChild<QAction*>("mnHelix")->isVisible());
    open({{0, 0, {}}, {100, 0, {}}}, true);
    EXPECT_TRUE(w.findChild<QAction*>("mnHelix")->isVisible());
}
