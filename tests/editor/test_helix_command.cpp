// The path editor's Helix command: a helical path whose heights go back with it, and a helix of
// too many vertices refused with how many it would need.
#include "TestPolEdit.h"
#include "WhenModal.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
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
    const Outline path = save();
    ASSERT_EQ(path.size(), 49u);
    std::vector<float> heights(49);
    ASSERT_TRUE(w.GetHeights(heights.data(), 49));
    EXPECT_FLOAT_EQ(heights[48], 60); // two turns of 30 mm
    EXPECT_FALSE(w.Closed());
}
