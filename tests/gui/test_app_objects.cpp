// Main window tests of the object panel, the Lathe command and the small dialogs.
#include "test_app_fixture.h"

#include "app/UnFrmLathe.h"
#include "app/UnfrmMessage.h"
#include "app/unAbout.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>

TEST_F(AppTest, NewWindowHoldsObj1AndAddNewSelectAndDoubleClickChangeTheCurrentObject) {
    EXPECT_EQ(w->windowTitle(), "Palvorin[*]");
    expectObjects({"obj1"}, 0);
    EXPECT_EQ(w->MoveMode, 1);
    EXPECT_FALSE(w->SceneReady);
    EXPECT_TRUE(w->command("editprofile")->isEnabled());
    EXPECT_TRUE(w->command("options")->isEnabled());
    EXPECT_TRUE(w->command("loadtex")->isEnabled());
    EXPECT_TRUE(w->command("new")->isEnabled());

    w->btNewobjClick();
    w->btNewobjClick();
    expectObjects({"obj1", "obj2", "obj3"}, 2);
    w->lbObjects()->setCurrentRow(-1);
    w->btSelobjClick(); // nothing highlighted: nothing changes
    EXPECT_EQ(w->SelectedIndex, 2);
    w->lbObjects()->setCurrentRow(0);
    w->btSelobjClick();
    expectObjects({"obj1", "obj2", "obj3"}, 0);
    w->lbObjects()->setCurrentRow(1);
    emit w->lbObjects()->itemDoubleClicked(w->lbObjects()->item(1));
    expectObjects({"obj1", "obj2", "obj3"}, 1);
}

TEST_F(AppTest, AClickOnALineMakesItCurrentDeleteRemovesTheCurrentObjectButNeverTheLast) {
    w->btNewobjClick();
    w->btNewobjClick();
    w->lbObjects()->setCurrentRow(1); // a click on the line
    expectObjects({"obj1", "obj2", "obj3"}, 1);
    w->setWindowModified(false);
    w->btDelobjClick();
    EXPECT_TRUE(w->isWindowModified());
    expectObjects({"obj1", "obj3"}, 0);
    EXPECT_EQ(w->Document->Items(1).Name, "obj3");

    w->btNewobjClick(); // names can repeat: Count + 1 is 3 again
    expectObjects({"obj1", "obj3", "obj3"}, 2);
    for (int i = 0; i < 3; ++i)
        w->btDelobjClick();
    expectObjects({"obj3"}, 0);
}

// The highlight is the current object's line through every command, so that Copy, Delete and
// Properties act on the object the list shows.
TEST_F(AppTest, TheHighlightFollowsTheCurrentObjectThroughAddCopyDeleteUndoRedo) {
    TExtrObj& first = w->Document->Items(0);
    setOutline(first, {{-20, -20}, {20, -20}, {20, 20}, {-20, 20}, {-20, -20}}, {{0, -50}, {0, 50}},
               false);
    first.SetProfileScale(120);
    w->mnCopyObjectClick(); // Ctrl+D in a new document: the copy is current and highlighted
    expectObjects({"obj1", "obj2"}, 1);
    const TExtrObj& copy = w->Document->Items(1); // what it takes over is the object's Assign
    EXPECT_EQ(copy.ProfileCount, 5);
    EXPECT_EQ(copy.ProfileScale(), 120);
    EXPECT_EQ(copy.Groups, first.Groups);
    EXPECT_TRUE(w->SceneReady); // Copy redraws
    w->btNewobjClick();
    expectObjects({"obj1", "obj2", "obj3"}, 2);
    w->mnUndoClick();
    expectObjects({"obj1", "obj2"}, 1);
    w->mnRedoClick();
    expectObjects({"obj1", "obj2", "obj3"}, 2);

    // Open highlights the first object; Ctrl+D copies it; Delete removes the copy, not the first.
    open("frame.PLV");
    expectObjects({"frame", "picture"}, 0);
    w->mnCopyObjectClick();
    expectObjects({"frame", "picture", "obj3"}, 2);
    w->mnDeleteObjectClick();
    expectObjects({"frame", "picture"}, 0);
    w->mnUndoClick();
    expectObjects({"frame", "picture", "obj3"}, 2);
    w->mnRedoClick();
    expectObjects({"frame", "picture"}, 0);
}

TEST_F(AppTest, LatheNeedsAProfileCancelAndCloseBoxLeaveTheObjectOkTurnsItIntoACircle) {
    w->latheClick();
    EXPECT_EQ(w->messages, QStringList{"Create first a profile!"});
    EXPECT_EQ(w->messageIcons.value(0), QMessageBox::Critical);
    EXPECT_FALSE(w->CurrentObject->Lathe());

    setOutline(*w->CurrentObject, {{30, 0}, {80, 0}, {60, 90}, {30, 90}, {30, 0}}, {}, false);
    const TExtrObj& o = *w->CurrentObject;
    for (const char* answer : {"cancella", "close box", "ok"}) {
        SCOPED_TRACE(answer);
        const bool ok = answer == std::string("ok");
        whenModal<TfrmLathe>([answer, ok](TfrmLathe& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Create a lathe object");
            EXPECT_EQ(dialog.subdiv()->value(), 20);
            EXPECT_EQ(dialog.subdiv()->minimum(), 3);
            EXPECT_EQ(dialog.subdiv()->maximum(), 100);
            dialog.subdiv()->setValue(12);
            if (auto* button = dialog.findChild<QPushButton*>(answer))
                button->click();
            else
                dialog.close();
        });
        w->latheClick();
        EXPECT_EQ(o.Lathe(), ok);
        EXPECT_EQ(w->isWindowModified(), ok);
        EXPECT_EQ(o.PathCount, ok ? 13 : 0);
        EXPECT_EQ(o.Profile[0].X, ok ? 0 : 30); // shifted onto the axis
    }
    EXPECT_TRUE(o.PathClosed);
    EXPECT_EQ(o.Profile[1].X, 50);
    EXPECT_EQ(o.Path[0].X, 50); // radius = profile width
    EXPECT_EQ(o.Path[0].X, o.Path[12].X);
    EXPECT_TRUE(w->SceneReady);
}

TEST(SmallDialogs, MessageWindowShowsUtf8) {
    TfrmMessage window;
    window.show();
    // Names come from the object file's reader as UTF-8.
    window.SetMessageString("Loading texture  m\xC3\xA4rmor.bmp");
    EXPECT_EQ(window.lblMessage()->text(), QString::fromUtf8("Loading texture  m\u00e4rmor.bmp"));
    EXPECT_EQ(window.GetMessageString(), "Loading texture  m\xC3\xA4rmor.bmp");
}

TEST_F(AppTest, AboutBoxAndHelpPage) {
    whenModal<TAboutBox>([](TAboutBox& box) {
        EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "Version 1.5 - 2005");
        // The rights notice names the licence and links to its text.
        const QLabel* notice = box.findChild<QLabel*>("RightsNotice");
        EXPECT_TRUE(notice->text().startsWith("Free software under the <a href=\"https://"));
        EXPECT_TRUE(notice->text().contains("GNU General Public License, version 3 or later"));
        EXPECT_TRUE(notice->openExternalLinks());
        EXPECT_FALSE(box.findChild<QLabel*>("ProgramIcon")->pixmap().isNull());
        box.findChild<QPushButton*>("okButton")->click();
    });
    w->aboutClick();

    EXPECT_TRUE(w->HelpFile.endsWith("/palvorin.html")); // beside the program
    w->HelpFile = QStringLiteral(PALVORIN_SOURCE_DIR "/resources/palvorin.html");
    w->mnHelpClick();
    EXPECT_EQ(w->helpOpened, QUrl::fromLocalFile(w->HelpFile));
    EXPECT_TRUE(w->messages.isEmpty());

    w->helpOpened = QUrl();
    w->HelpFile = QStringLiteral(PALVORIN_BINARY_DIR "/no-such-help.html");
    w->mnHelpClick();
    EXPECT_TRUE(w->helpOpened.isEmpty());
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_TRUE(w->messages[0].contains("no-such-help.html"));
}
