// The colour/texture chooser driven through its controls, its preview, and the picture list box.
#include "TestPolEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTimer>

namespace {

std::string example(const char* name) {
    return std::string(PALVORIN_SOURCE_DIR "/examples/") + name;
}
TTextureObj texture(const char* name, const std::string& file) {
    return {file, name, -1, nullptr};
}

// Colour, texture name, scales, inversions.
using Values = std::tuple<TColor, std::string, int, int, bool, bool>;

class GroupEditTest : public ::testing::Test {
  protected:
    TTestGroupEdit d;

    void SetUp() override {
        d.SetTextures(
            {texture("checker", example("checker.bmp")), texture("wood", example("wood.bmp")),
             texture("walnut", example("walnut.jpg")), texture("lost", "/nonexistent/lost.bmp")});
    }
    auto values() {
        return std::tie(d.GroupColor, d.TextureName, d.TextureScaleX, d.TextureScaleY, d.InvertX,
                        d.InvertY);
    }
    // Shows the window modally and runs the user's actions inside it.
    int run(std::function<void()> actions) {
        QTimer::singleShot(0, &d, [&] {
            EXPECT_TRUE(d.isVisible());
            actions();
        });
        return d.exec();
    }
};

// The list shows the names as the UTF-8 they are; a name that no longer reads its picture says so.
TEST_F(GroupEditTest, OpeningSelectsTheLastEntryOfTheNameAndShowsItsPictureOrWhyNot) {
    struct Case {
        std::vector<TTextureObj> table;
        std::string name;
        int selected;
        std::vector<std::string> loaded;
    };
    const std::string wood = example("wood.bmp"), walnut = example("walnut.jpg");
    const Case cases[] = {
        {{texture("a", wood), texture("b", walnut)}, "b", 2, {walnut}},
        {{texture("w", wood), texture("x", wood), texture("w", walnut)}, "w", 3, {walnut}},
        {{texture("a", wood)}, "gone", -1, {}},
        {{texture("", wood)}, "", -1, {}},
        {{}, "a", -1, {}},
        {{texture("m\xC3\xA4rmor", wood)}, "m\xC3\xA4rmor", 1, {wood}},
        {{texture("w", wood), texture("lost", "/nonexistent/lost.bmp")},
         "lost",
         2,
         {"/nonexistent/lost.bmp"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        d.SetTextures(k.table);
        d.TextureName = k.name;
        d.loaded.clear();
        d.FormActivate();
        ASSERT_EQ(d.texCombo()->count(), static_cast<int>(k.table.size()) + 1);
        EXPECT_EQ(d.texCombo()->itemText(0), QString());
        EXPECT_EQ(d.texCombo()->currentIndex(), k.selected);
        if (k.selected > 0) {
            EXPECT_EQ(d.texCombo()->currentText(), QString::fromUtf8(k.name));
        }
        EXPECT_EQ(d.loaded, k.loaded);
        const bool lost = k.name == "lost";
        EXPECT_EQ(d.curtexture()->Picture().isNull(), lost || k.loaded.empty());
        EXPECT_EQ(d.curtexture()->Message().contains("/nonexistent/lost.bmp"), lost);
    }
    // Another entry shows its picture; the unreadable one can still be chosen.
    d.texCombo()->setCurrentIndex(1);
    EXPECT_TRUE(d.curtexture()->Message().isEmpty());
    EXPECT_FALSE(d.curtexture()->Picture().isNull());
    d.texCombo()->setCurrentIndex(2);
    d.okClick();
    EXPECT_EQ(d.TextureName, "lost");
}

TEST_F(GroupEditTest, ConfirmCopiesTheControlsBackCancelKeepsTheValues) {
    const Values given{0x0000FF, "gone", 3, 100, true, false};
    const Values chosen{0x00FF00, "walnut", 42, 7, true, true};
    for (bool confirm : {false, true}) {
        values() = given;
        d.colorAnswer = QColor(0, 255, 0);
        const int result = run([&] {
            EXPECT_EQ(d.texCombo()->currentIndex(), -1);
            EXPECT_FALSE(d.ckInvertX()->isVisible());
            QTest::mouseClick(d.selcolor(), Qt::LeftButton);
            d.texCombo()->setCurrentIndex(3);
            d.seScaleX()->setValue(42);
            d.seScaleY()->setValue(7);
            QTest::mouseClick(d.ckInvertY(), Qt::LeftButton);
            QTest::mouseClick(confirm ? d.ok() : d.camcel(), Qt::LeftButton);
        });
        EXPECT_EQ(result, confirm ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(Values(values()), confirm ? chosen : given);
        ASSERT_EQ(d.colorAsked.size(), 1);
        EXPECT_EQ(d.colorAsked.takeFirst(), QColor(255, 0, 0));
    }
    // Opened again: the controls show the values, a cancelled colour dialog keeps the swatch.
    d.colorAnswer = QColor();
    run([&] {
        EXPECT_EQ(d.SwatchColor(), 0x00FF00u);
        QTest::mouseClick(d.selcolor(), Qt::LeftButton);
        EXPECT_EQ(d.SwatchColor(), 0x00FF00u);
        EXPECT_EQ(d.texCombo()->currentText(), "walnut");
        EXPECT_EQ(d.seScaleX()->value(), 42);
        EXPECT_TRUE(d.ckInvertY()->isChecked());
        d.texCombo()->setCurrentIndex(0);
        EXPECT_TRUE(d.curtexture()->Picture().isNull());
        QTest::keyClick(&d, Qt::Key_Return);
    });
    EXPECT_EQ(d.TextureName, "");
}

TEST_F(GroupEditTest, PreviewShowsThePictureUprightAndProportional) {
    // Our BMP reader's bottom-up RGB rows come out as the same picture Qt reads.
    const QImage marble = d.loadPicture(example("marble.bmp"));
    EXPECT_EQ(marble.convertToFormat(QImage::Format_RGB32),
              QImage(QString::fromStdString(example("marble.bmp")))
                  .convertToFormat(QImage::Format_RGB32));
    EXPECT_THROW(d.loadPicture(PALVORIN_SOURCE_DIR "/README.md"), std::exception);

    TTexturePreview* view = d.curtexture();
    view->resize(260, 190);
    const QRect area = view->contentsRect().adjusted(2, 2, -2, -2);
    for (auto [picture, shown] : {std::pair{QSize(32, 32), QSize(32, 32)},
                                  {QSize(1000, 250), QSize(area.width(), area.width() / 4)},
                                  {QSize(100, 1000), QSize(area.height() / 10, area.height())}}) {
        view->SetPicture(QImage(picture, QImage::Format_RGB888));
        const QRect r = view->PictureRect();
        EXPECT_NEAR(r.width(), shown.width(), 1) << picture.width();
        EXPECT_NEAR(r.height(), shown.height(), 1) << picture.width();
        EXPECT_LE(std::abs(r.center().x() - area.center().x()), 1);
        EXPECT_LE(std::abs(r.center().y() - area.center().y()), 1);
    }
}

TEST(GraphicListBox, ItemsArePictureThenTextAtTheTop) {
    TGraphicListBox box;
    box.resize(160, 200);
    box.AddItem("7", colorPicture(0x0000FF));
    box.AddItem("plain");
    box.AddItem("8", colorPicture(0xFFFFFF));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.SetItemPicture(2, colorPicture(0xFF0000));

    const QImage img = box.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Leftmost and topmost text pixel of an item, looking right of x0.
    auto text = [&](int row, int x0) {
        const QRect r = box.visualItemRect(box.item(row));
        QPoint first(1 << 20, 1 << 20);
        for (int x = x0; x < r.right() - 1; ++x)
            for (int y = r.top() + 1; y < r.bottom() - 1; ++y)
                if (qGray(img.pixel(x, y)) < 100)
                    first = QPoint(std::min(first.x(), x), std::min(first.y(), y));
        return first - r.topLeft();
    };
    // Row, picture colour (0: none), left of the text.
    for (auto [row, picture, textLeft] :
         {std::tuple{0, qRgb(255, 0, 0), 36}, {1, 0u, 2}, {2, qRgb(0, 0, 255), 36}}) {
        const QRect r = box.visualItemRect(box.item(row));
        EXPECT_EQ(r.height(), 40);
        if (picture) {
            for (QPoint p : {QPoint(2, 4), QPoint(33, 35)})
                EXPECT_EQ(img.pixel(r.topLeft() + p) & 0xFFFFFF, picture & 0xFFFFFF);
            EXPECT_LT(qGray(img.pixel(r.left(), r.center().y())), 100) << "item outline";
        }
        const QPoint t = text(row, picture ? 35 : 1);
        EXPECT_NEAR(t.x(), textLeft, 1) << row;
        EXPECT_LT(t.y(), 10) << row;
    }
}

} // namespace
