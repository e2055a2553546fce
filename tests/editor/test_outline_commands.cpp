// File > Import outline... and Export outline... of the profile and path editor: one undo step
// that also takes back the scale, the deviation in the status bar, messages for bad drawings, and
// an export that imports back to the same vertices.
#include "TestPolEdit.h"
#include "editor/UnOutlineCommands.h"
#include "model/DxfDrawings.h"
#include "model/ModelTestUtil.h"

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class OutlineCommandsTest : public PolEditTest {
  protected:
    TOutlineCommands& commands = *w.findChild<TOutlineCommands*>();
    QTemporaryDir dir;
    QString answer;

    QStringList layersAsked;
    std::optional<QString> layerAnswer;

    void SetUp() override {
        ASSERT_TRUE(writeDxfDrawings(dir.path().toStdString())) << "ezdxf did not write them";
        commands.chooseFile = [this](bool) { return answer; };
        commands.chooseLayer = [this](const QStringList& layers) {
            layersAsked = layers;
            return layerAnswer;
        };
    }
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string drawing(const std::string& name) const { return file((name + ".dxf").c_str()); }
    // A path opens open, a profile with group 1 in its list.
    void open(const Outline& outline, int32_t scale, bool path = false) {
        auto groups = std::make_shared<TGroupPropertyList>();
        groups->Add(MakeGroup(1, 0));
        PolEditTest::open(outline, path, groups, false);
        w.SetScale(scale);
    }
    // The outline on the control, in stored coordinates.
    Outline shown() const {
        std::vector<OutlineVertex> r(MaxOutlineVertices);
        const int32_t n = w.MultiLineEdit1()->GetVertices(r.data());
        for (int32_t i = 0; i < n; ++i) {
            const Point2 p = w.ToStored({r[size_t(i)].X, r[size_t(i)].Y});
            r[size_t(i)].X = p.X, r[size_t(i)].Y = p.Y;
        }
        return outlineOf(r.data(), n);
    }
    void run(const char* command, const std::string& fileName) {
        answer = QString::fromStdString(fileName);
        w.press(command);
    }
};

const Outline Triangle{{0, 0, {1}}, {100, 0, {1}}, {50, 80}, {0, 0}};

TEST_F(OutlineCommandsTest, ImportIsOneUndoStepThatAlsoTakesBackTheScaleAndRedoBringsItAgain) {
    open(Triangle, 50);
    run("mnImportOutline", drawing("ogee"));
    const Outline imported = shown();
    ASSERT_EQ(imported.size(), 100u);
    EXPECT_EQ(imported.front(), imported.back());
    for (const Stored& s : imported)
        EXPECT_TRUE(s.groups.empty());      // the vertices' groups are dropped...
    EXPECT_EQ(w.listgroups1()->count(), 1); // ...and the group list is kept
    EXPECT_EQ(w.Scale(), 10);
    EXPECT_EQ(w.statusPanel(1)->text(), "Deviation 0.0667 mm, scale 10 %");
    EXPECT_TRUE(w.messages.isEmpty());

    w.press("undo");
    EXPECT_EQ(shown(), Triangle);
    EXPECT_EQ(w.Scale(), 50);
    EXPECT_EQ(w.statusPanel(1)->text(), "");

    w.press("mnRedo"); // the import again, at its own scale
    EXPECT_EQ(shown(), imported);
    EXPECT_EQ(w.Scale(), 10);
}

TEST_F(OutlineCommandsTest, AnImportOnAFullUndoRingIsTakenBackWithItsScale) {
    open(Triangle, 50);
    for (int i = 0; i < TMultiLineEditCore::MaxSnapshots; ++i)
        w.press("invOrder"); // an even number: the triangle as it was, on a full ring
    run("mnImportOutline", drawing("ogee"));
    w.press("invOrder");
    w.press("undo");
    EXPECT_EQ(w.Scale(), 10);
    w.press("undo");
    EXPECT_EQ(shown(), Triangle);
    EXPECT_EQ(w.Scale(), 50);
}

TEST_F(OutlineCommandsTest, PathTakesItsClosureAndExportImportsBackToTheSameVertices) {
    open({{0, 0}, {10, 0}}, 100, true);
    run("mnImportOutline", drawing("r12path"));
    EXPECT_TRUE(w.findChild<QCheckBox*>("ckClosed")->isChecked());
    EXPECT_EQ(shown(), (Outline{{0, 0}, {80, 0}, {80, -30}, {0, -30}, {0, 0}}));

    const Outline profile{{-40, 60}, {250, 0}, {250, -120}, {-40, 60}};
    open(profile, 37);
    run("mnExportOutline", file("out.dxf"));
    open(Triangle, 37);
    run("mnImportOutline", file("out.dxf"));
    EXPECT_EQ(shown(), profile);
    EXPECT_EQ(w.Scale(), 37);
}

TEST_F(OutlineCommandsTest, DrawingOnSeveralLayersAsksWhichOne) {
    open(Triangle, 50);
    layerAnswer = std::nullopt; // cancelled: nothing changes
    run("mnImportOutline", drawing("several"));
    EXPECT_EQ(layersAsked, (QStringList{"0", "BIG"}));
    EXPECT_EQ(shown(), Triangle);
    layerAnswer = QStringLiteral("0"); // the larger square of layer 0
    run("mnImportOutline", drawing("several"));
    EXPECT_EQ(shown(), (Outline{{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}}));
    layersAsked.clear();
    run("mnImportOutline", drawing("ogee")); // one layer: nothing to ask
    EXPECT_TRUE(layersAsked.isEmpty());
}

TEST_F(OutlineCommandsTest, BadDrawingsChangeNothingACrossingOneIsImportedWithAWarning) {
    open(Triangle, 50);
    const int32_t undoPoints = w.MultiLineEdit1()->UndoCount();
    run("mnImportOutline", drawing("open"));
    run("mnImportOutline", drawing("nothing"));
    ASSERT_EQ(w.messages.size(), 2);
    EXPECT_TRUE(w.messages[0].contains("does not close")) << w.messages[0].toStdString();
    EXPECT_TRUE(w.messages[1].contains("found INSERT (2), TEXT (1)"));
    EXPECT_EQ(shown(), Triangle);
    EXPECT_EQ(w.Scale(), 50);
    EXPECT_EQ(w.MultiLineEdit1()->UndoCount(), undoPoints);

    run("mnImportOutline", drawing("bowtie"));
    ASSERT_EQ(w.messages.size(), 3);
    EXPECT_TRUE(w.messages[2].contains("crosses itself"));
    EXPECT_EQ(shown().size(), 5u);
}

} // namespace
