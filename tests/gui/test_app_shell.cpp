// Main window tests of the shell: properties dialog, texture chooser, unsaved changes, Fit all.
#include "test_app_fixture.h"

#include "app/UnSpinEdit.h"
#include "app/UnTexLoad.h"
#include "app/UnfrmExtrOptions.h"
#include "editor/UnGroupEdit.h"
#include "scene/UnOpenGL_GL.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

template <class W> W* child(QWidget& parent, const char* name) {
    W* w = parent.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// A closed square profile swept 200 along a straight path: a box seen from the front.
void makeBox(TExtrObj& object, const Vec3& position) {
    setOutline(object, {{-40, -40}, {40, -40}, {40, 40}, {-40, 40}, {-40, -40}},
               {{-100, 0}, {100, 0}}, false);
    object.SetProfileScale(100);
    object.SetPosition(position);
}

// Drawn pixels away from the axes marker in the lower left corner.
int sceneDrawn(const QImage& image) {
    return drawnPixels(image) -
           drawnPixels(image, QRect(0, image.height() * 7 / 8, image.width() / 8,
                                    image.height() - image.height() * 7 / 8));
}

// The texture chooser with its messages recorded.
class TTestTexLoad : public TTexLoad {
  public:
    QStringList messages;

  protected:
    void showMessage(QMessageBox::Icon, const QString& text) override { messages << text; }
};

} // namespace

TEST_F(AppTest, PropertiesShowTheObjectAndStoreOnlyOnOk) {
    w->CurrentObject->SetPosition(Vec3{1.4f, 0, 2.6f});
    textureTable.push_back(
        TTextureObj{PALVORIN_SOURCE_DIR "/examples/wood.bmp", "wood", -1, nullptr});
    whenModal<TfrmExtrOptionDialog>([](TfrmExtrOptionDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Extrusion options");
        auto* pages = child<QTabWidget>(d, "PageControl1");
        EXPECT_EQ(pages->count(), 3);
        EXPECT_EQ(pages->tabText(2).remove('&'), "Coordinates");
        for (auto [name, value, minimum, maximum] : {std::tuple{"sePrecision", 2, 1, 20},
                                                     {"seProfileScale", 50, 10, 500},
                                                     {"sePathScale", 100, 10, 500},
                                                     {"seCoordX", 1, -9999, 9999},
                                                     {"seCoordZ", 3, -9999, 9999},
                                                     {"seRotY", 0, -360, 360}}) {
            auto* spin = child<TSpinEdit>(d, name);
            EXPECT_EQ(std::tuple(spin->value(), spin->minimum(), spin->maximum()),
                      std::tuple(value, minimum, maximum))
                << name;
        }
        for (const char* box : {"chkLathe", "chkRoundCorner", "chkEmbCorner"})
            EXPECT_FALSE(child<QCheckBox>(d, box)->isChecked()) << box;
        auto* name = child<QLineEdit>(d, "txName");
        EXPECT_EQ(name->text(), "obj1");
        EXPECT_EQ(name->maxLength(), 30);
        name->setText("wheel");
        child<TSpinEdit>(d, "sePrecision")->setValue(7);
        // The Top button's chooser: a red colour and the wood texture, confirmed.
        whenModal<TgroupEdit>([](TgroupEdit& g) {
            EXPECT_EQ(g.windowTitle(), "Top color and texture");
            EXPECT_FALSE(g.seScaleX()->isVisible()); // a cap's texture has no scales
            whenModal<QColorDialog>([](QColorDialog& c) {
                c.setCurrentColor(QColor(255, 0, 0));
                c.accept();
            });
            g.selcolorClick();
            g.texCombo()->setCurrentIndex(1);
            g.ok()->click();
        });
        child<QPushButton>(d, "top")->click();
        child<QPushButton>(d, "cancel")->click();
    });
    w->optionsClick();
    expectObjects({"obj1"}, 0);
    EXPECT_EQ(w->CurrentObject->Precision(), 2);
    EXPECT_EQ(w->CurrentObject->TopColor(), 0x0000FFu); // the chooser's change stays
    EXPECT_EQ(w->CurrentObject->TopTexture(), "wood");
    // Cancel still hands back the whole-number coordinates the dialog showed.
    EXPECT_EQ(w->CurrentObject->Position.X, 1.0f);
    EXPECT_EQ(w->CurrentObject->Position.Z, 3.0f);
    EXPECT_TRUE(w->isWindowModified());

    whenModal<TfrmExtrOptionDialog>([](TfrmExtrOptionDialog& d) {
        EXPECT_EQ(child<TSpinEdit>(d, "sePrecision")->value(), 2); // the cancelled 7 is gone
        child<QLineEdit>(d, "txName")->setText("wheel");
        child<TSpinEdit>(d, "seRotY")->setValue(-180); // shown whole, and read back whole
        child<QCheckBox>(d, "chkRoundCorner")->setChecked(true);
        child<QPushButton>(d, "ok")->click();
    });
    w->optionsClick();
    expectObjects({"wheel"}, 0);
    EXPECT_EQ(w->CurrentObject->Rotation.Y, -180.0f);
    EXPECT_TRUE(w->CurrentObject->RoundCorner());
    EXPECT_EQ(w->CurrentObject->Options.Name, "wheel");
}

TEST_F(AppTest, PropertiesShowTheDocumentsFolderForTexturesNeverTheProgramsOwn) {
    QTemporaryDir dir;
    copyExamples(dir.path(), {"frame.PLV", "wood.bmp", "checker.bmp"});
    auto shownFolder = [&] {
        QString shown;
        whenModal<TfrmExtrOptionDialog>([&](TfrmExtrOptionDialog& d) {
            shown = child<QLabel>(d, "texdir")->toolTip();
            child<QPushButton>(d, "cancel")->click();
        });
        w->optionsClick();
        return shown;
    };
    EXPECT_EQ(shownFolder(), ""); // a new document has no folder yet
    w->openAnswer = dir.filePath("frame.PLV");
    w->loadClick();
    EXPECT_EQ(shownFolder(), dir.path() + '/');
    w->btNewobjClick(); // an object added to it shows the document's folder too
    EXPECT_EQ(shownFolder(), dir.path() + '/');
}

TEST(SpinEdit, TypingIsLimitedAndLeavingTheFieldPullsIntoRange) {
    QWidget form;
    auto* spin = new TSpinEdit(&form);
    auto* other = new QLineEdit(&form);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // The bounds, typed, shown, the value once the field is left.
    const std::tuple<int, int, const char*, const char*, int> cases[] = {
        {10, 500, "9999", "999", 500}, // a fourth digit cannot be typed
        {10, 500, "5", "5", 10},
        {10, 500, "a-", "-", 10}, // only digits and a minus sign; no number reads as the minimum
        {10, 500, "250", "250", 250},
        {-360, 360, "-3600", "-360", -360}, // the minus sign is not one of the digits
    };
    for (auto [minimum, maximum, typed, shown, value] : cases) {
        SCOPED_TRACE(typed);
        spin->setRange(minimum, maximum);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        EXPECT_EQ(spin->text(), shown);
        other->setFocus(); // leaving the field
        EXPECT_EQ(spin->value(), value);
        EXPECT_EQ(spin->text(), QString::number(value));
    }
}

TEST(TextureChooser, ListsAddsRefusesDeletesAndSaysWhenAPictureIsMissing) {
    clearTextureTable();
    QTemporaryDir dir;
    QImage wide(520, 130, QImage::Format_RGB888); // previewed at 260 x 65
    wide.fill(Qt::darkGreen);
    ASSERT_TRUE(wide.save(dir.filePath("wide.bmp")));

    TTestTexLoad chooser;
    chooser.setTextureList(textureTable);
    EXPECT_EQ(chooser.windowTitle(), "Texture load");
    EXPECT_EQ(chooser.texCombo()->currentIndex(), -1);
    EXPECT_TRUE(chooser.curtexture()->Picture().isNull());
    EXPECT_FALSE(chooser.texname()->isEnabled());
    EXPECT_EQ(chooser.texname()->maxLength(), 20);
    // Name, file, message, textures then.
    const std::tuple<const char*, QString, QString, size_t> adds[] = {
        {"wood", "", "Type texture name and select file to load!!", 0},
        {"wood", QStringLiteral(PALVORIN_SOURCE_DIR "/examples/wood.bmp"), "", 1},
        {"wood", dir.filePath("wide.bmp"),
         "A texture named \"wood\" exists already: choose another name.", 1},
        {"wide", dir.filePath("wide.bmp"), "", 2},
    };
    for (const auto& [name, file, message, count] : adds) {
        SCOPED_TRACE(count);
        chooser.setTextureList(textureTable);
        chooser.messages.clear();
        chooser.setResult(0);
        chooser.button("new")->click();
        EXPECT_TRUE(chooser.texname()->isEnabled() && chooser.button("load")->isEnabled());
        chooser.texname()->setText(name);
        chooser.PictureFileName = file;
        chooser.okClick();
        EXPECT_EQ(chooser.messages.value(0), message);
        ASSERT_EQ(textureTable.size(), count);
        EXPECT_EQ(chooser.result(), message.isEmpty() ? QDialog::Accepted : 0);
    }
    EXPECT_TRUE(chooser.Changed);

    chooser.setTextureList(textureTable);
    EXPECT_EQ(chooser.texCombo()->currentText(), "wood");
    EXPECT_EQ(chooser.curtexture()->PictureRect().size(), QSize(256, 256)); // not enlarged
    chooser.texCombo()->setCurrentIndex(1);
    EXPECT_EQ(chooser.curtexture()->PictureRect().size(), QSize(260, 65));
    chooser.messages.clear();
    chooser.TextureUser = [](const std::string& name) { return name == "wide" ? "obj2" : ""; };
    chooser.deleteClick(); // in use: refused
    EXPECT_EQ(chooser.messages.value(0),
              "The texture \"wide\" is used by the object \"obj2\" and cannot be deleted.");
    chooser.texCombo()->setCurrentIndex(0);
    chooser.deleteClick();
    ASSERT_EQ(textureTable.size(), 1u);
    EXPECT_EQ(textureTable[0].TexName, "wide");
    ASSERT_EQ(chooser.textureList.size(), 1u);
    EXPECT_EQ(chooser.texCombo()->count(), 1);
    EXPECT_EQ(chooser.texCombo()->currentText(), "wide"); // the first remaining one is shown
    EXPECT_FALSE(chooser.curtexture()->Picture().isNull());

    // A document's image that was not loaded: the preview says so.
    chooser.setTextureList({TTextureObj{"/nowhere/lost.bmp", "lost", -1, nullptr}});
    EXPECT_TRUE(chooser.curtexture()->Picture().isNull());
    EXPECT_EQ(chooser.curtexture()->Message(), "lost.bmp is not a picture that can be read.");
    clearTextureTable();
}

TEST_F(AppTest, TextureAddedInTheChooserShowsInTheView) {
    makeBox(*w->CurrentObject, Vec3{});
    w->CurrentObject->Groups = fixtures::oneGroup(0xFFFFFF, "");
    for (int i = 0; i < w->CurrentObject->ProfileCount; ++i)
        w->CurrentObject->Profile[size_t(i)].Groups[0] = 1;
    w->disegnaClick();
    const QImage plain = frame();

    w->CurrentObject->Groups->Item(0)->Texture = "checker";
    whenModal<TTexLoad>([](TTexLoad& chooser) {
        chooser.newClick();
        chooser.texname()->setText("checker");
        chooser.PictureFileName = QStringLiteral(PALVORIN_SOURCE_DIR "/examples/checker.bmp");
        chooser.okClick();
    });
    w->command("loadtex")->trigger();
    EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_NE(frame(), plain);
}

TEST_F(AppTest, UnsavedChangesAreAskedAboutBeforeNewOpenAndExit) {
    EXPECT_EQ(w->windowTitle(), "Palvorin[*]");
    EXPECT_FALSE(w->isWindowModified());
    w->newClick(); // nothing changed: no question
    EXPECT_EQ(w->saveChangesAsked, 0);

    QTemporaryDir dir;
    // The command, the answer to the question, whether the command goes on.
    const std::tuple<std::string, QMessageBox::StandardButton, bool> cases[] = {
        {"new", QMessageBox::Cancel, false},         {"new", QMessageBox::Discard, true},
        {"load", QMessageBox::Cancel, false},        {"load", QMessageBox::Save, true},
        {"exitProgram", QMessageBox::Cancel, false}, {"exitProgram", QMessageBox::Discard, true},
    };
    for (const auto& [command, answer, goesOn] : cases) {
        SCOPED_TRACE(command + " " + std::to_string(answer));
        w->NewDocument();
        makeBox(*w->CurrentObject, Vec3{});
        w->btNewobjClick(); // a change; the new object is current and empty
        EXPECT_TRUE(w->isWindowModified());
        w->lbObjects()->setCurrentRow(0);
        w->btSelobjClick();
        w->saveChangesAsked = w->dialogsAsked = 0;
        w->saveChangesAnswer = answer;
        w->openAnswer = example("vase.PLV");
        w->saveAnswer = dir.filePath("kept.PLV");
        w->command(command.c_str())->trigger();
        EXPECT_EQ(w->saveChangesAsked, 1);
        const bool exit = command == "exitProgram";
        const bool wentOn = exit ? !w->isVisible() : w->Document->Count() == 1;
        EXPECT_EQ(wentOn, goesOn);
        if (answer == QMessageBox::Save) {
            EXPECT_TRUE(QFileInfo::exists(dir.filePath("kept.PLV")));
            EXPECT_EQ(w->windowTitle(), "vase.PLV[*] - Palvorin"); // the opened one
        }
        if (wentOn && !exit) {
            EXPECT_FALSE(w->isWindowModified());
        }
        w->show();
    }

    // Save refused for an incomplete current object: the question does not go on either.
    w->NewDocument();
    w->btNewobjClick();
    w->saveChangesAnswer = QMessageBox::Save;
    w->newClick();
    EXPECT_EQ(w->Document->Count(), 2);
    EXPECT_EQ(w->messages.value(0),
              "Nothing was saved: the current object \"obj2\" has no profile yet.");
}

TEST_F(AppTest, FitAllBringsFarObjectsIntoViewAndFarPlanesFollowTheScene) {
    for (auto [position, seenBefore] :
         {std::pair{Vec3{4000, 0, 0}, false}, // off to the side of the default view
          {Vec3{0, -2500, -900}, false},      // below it
          {Vec3{0, 0, -3000}, true}}) {       // straight ahead, beyond the old far plane at 1000
        SCOPED_TRACE(position.X + position.Y + position.Z);
        w->NewDocument();
        makeBox(*w->CurrentObject, position);
        w->disegnaClick();
        EXPECT_EQ(sceneDrawn(frame()) > 100, seenBefore);
        w->command("viewFitAll")->trigger();
        EXPECT_GT(sceneDrawn(frame()), 2000);
        w->command("viewReset")->trigger();
        EXPECT_FLOAT_EQ(scene.eye.Z, 500.0f);
        EXPECT_FLOAT_EQ(scene.eye.Y, 10.0f);
    }
    EXPECT_EQ(w->command("viewFitAll")->shortcut(), QKeySequence(Qt::Key_F));
}
