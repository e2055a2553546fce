// The editor windows opened from the main window and driven with the mouse: a profile drawn,
// grouped, coloured and textured, a path drawn, both saved and swept at once, the saved document
// exported; Cancel and the close box change nothing and rebuild nothing.
#include "test_app_fixture.h"

#include "app/UnObjectWindows.h"
#include "editor/TestPolEdit.h"

#include <QComboBox>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>

namespace {

class TTestWindows : public TPalvorinWindows {
  public:
    TTestWindows() : TPalvorinWindows(nullptr, [] { return QString(); }) {}
    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override {
        return std::make_unique<TTestPolEdit>();
    }
};

class EditorTest : public AppTest {
  protected:
    TTestWindows windows;

    void SetUp() override {
        setObjectWindowFactory(&windows);
        AppTest::SetUp();
    }
    void TearDown() override {
        AppTest::TearDown();
        setObjectWindowFactory(nullptr);
    }
    // Runs a main window command; the user acts in the editor it opens, which is left closed.
    void edit(const char* command, std::function<void(TTestPolEdit&)> user) {
        bool opened = false;
        whenModal<TPolEdit>([&](TPolEdit& editor) {
            opened = true;
            QTest::qWait(50); // the first view settles on the centre
            user(static_cast<TTestPolEdit&>(editor));
            if (editor.isVisible()) editor.close();
        });
        w->command(command)->trigger();
        EXPECT_TRUE(opened) << command;
    }
};

} // namespace

TEST_F(EditorTest, DrawAProfileGroupItDrawAPathAndTheSolidIsShownAndExported) {
    QTemporaryDir dir;
    copyExamples(dir.path(), {"wood.bmp"});
    w->glcanvas()->makeCurrent();
    addTexture(fileNameBytes(dir.filePath("wood.bmp")), "wood");
    const QImage empty = frame();

    edit("editprofile", [&](TTestPolEdit& e) {
        for (auto [x, y] : {std::pair{100, 100}, {0, 100}})
            e.doubleClick(x, y);
        e.doubleClick(0, 0);           // on the start: closed
        e.band({-10, 110}, {110, 90}); // the top edge
        e.press("newgroup");
        ASSERT_EQ(e.listgroups1()->count(), 1);
        e.chooseGroup(0);
        whenModal<TgroupEdit>([](TgroupEdit& d) {
            d.selcolor()->click(); // the colour dialog answers red
            d.texCombo()->setCurrentIndex(1);
            d.ok()->click();
        });
        e.press("editgroup");
        e.press("salva");
    });
    const TExtrObj& o = *w->CurrentObject;
    // Stored with y up, the group on the top edge.
    EXPECT_EQ(outlineOf(o.Profile.data(), o.ProfileCount),
              (Outline{{0, 0}, {100, 0}, {100, 100, {1}}, {0, 100, {1}}, {0, 0}}));
    ASSERT_EQ(o.Groups->Count(), 1);
    EXPECT_EQ(o.Groups->Items(0).Id, 1);
    EXPECT_EQ(o.Groups->Items(0).Color, 0x0000FFu);
    EXPECT_EQ(o.Groups->Items(0).Texture, "wood");
    EXPECT_TRUE(w->isWindowModified());

    edit("editpath", [&](TTestPolEdit& e) {
        e.doubleClick(100, 100); // below the first segment's end: z grows down the screen
        e.press("salva");
    });
    EXPECT_EQ(outlineOf(o.Path.data(), o.PathCount), (Outline{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_FALSE(o.PathClosed);
    // Each saved edit is one step of the document's history.
    const std::string edited = w->Document->SaveToBytes();
    for (const char* step : {"Edit path obj1", "Edit profile obj1"}) {
        EXPECT_EQ(w->command("mnUndo")->text().remove('&'), QStringLiteral("Undo ") + step);
        w->mnUndoClick();
    }
    EXPECT_EQ(w->CurrentObject->ProfileCount + w->CurrentObject->PathCount, 0);
    w->mnRedoClick();
    w->mnRedoClick();
    EXPECT_TRUE(w->Document->SaveToBytes() == edited);
    // The view was rebuilt at once.
    EXPECT_TRUE(w->SceneReady);
    const QImage solid = frame();
    const QRect middle(solid.width() / 4, solid.height() / 4, solid.width() / 2,
                       solid.height() / 2);
    EXPECT_GT(drawnPixels(solid, middle), drawnPixels(empty, middle) + 2000);

    // 4 edges x 2 segments x 2 slices, 8 corner bands, a 2-triangle cap at each end.
    w->saveAnswer = dir.filePath("drawn.PLV");
    w->saveClick();
    const QString dxf = dir.filePath("drawn.dxf");
    ASSERT_EQ(QProcess::execute(PALVORIN_EXPORT_BIN, {w->saveAnswer, dxf}), 0);
    EXPECT_EQ(fileBytes(dxf).count("\r\n3DFACE\r\n"), 16 + 8 + 4);
}

TEST_F(EditorTest, CancelAndTheCloseBoxChangeNothingAndRebuildNothing) {
    TExtrObj& o = *w->CurrentObject;
    setOutline(o, {{-20, -20}, {20, -20}, {20, 20}, {-20, 20}, {-20, -20}}, {{0, -50}, {0, 50}},
               false);
    o.Profile[0].Groups[0] = o.Profile[1].Groups[0] = 1;
    o.Groups = fixtures::oneGroup(0x00FF00, "");
    const TGroupListRef groups = o.Groups;
    const TGroupRef group = groups->Item(0);
    const auto profile = o.Profile;
    w->Redraw();
    o.SetProfileScale(300); // seen only if the view is rebuilt
    const QImage before = frame();

    for (const char* how : {"annulla", "close box"}) {
        edit("editprofile", [&](TTestPolEdit& e) {
            e.doubleClick(200, 200);
            e.band({15, 25}, {25, -25}); // the right edge
            e.press("newgroup");
            e.chooseGroup(0);
            e.press("delgroup");
            e.findChild<QComboBox*>("lZoom")->setCurrentText("200");
            std::strcmp(how, "annulla") == 0 ? e.press(how) : void(e.close());
            EXPECT_TRUE(e.Cancelled());
        });
        EXPECT_EQ(std::memcmp(o.Profile.data(), profile.data(), sizeof profile), 0) << how;
        EXPECT_EQ(o.ProfileCount, 5);
        EXPECT_EQ(o.Groups, groups);
        ASSERT_EQ(groups->Count(), 1);
        EXPECT_EQ(groups->Item(0), group);
        EXPECT_TRUE(frame() == before) << how;
        EXPECT_FALSE(w->isWindowModified());
    }

    o.SetLathe(true);
    w->command("editpath")->trigger();
    EXPECT_EQ(w->messages, QStringList{"Path of lathe object is not editable!"});
    EXPECT_EQ(w->messageIcons.value(0), QMessageBox::Warning);
    EXPECT_FALSE(o.PathEditor);
}
