// The main window's undo history, its menus and keys, Open Recent, the wheel and crash recovery.
#include "app/UnFrmLathe.h"
#include "app/UnRecovery.h"
#include "app/UnTexLoad.h"
#include "app/UnfrmExtrOptions.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL_GL.h"
#include "test_app_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <cmath>

namespace {

std::string bytesOf(const TfrmPalvorin& w) {
    return w.Document->SaveToBytes();
}

// The recovery folder of the windows made inside the scope.
class StateFolder {
  public:
    explicit StateFolder(const QString& path) : old(qgetenv("XDG_STATE_HOME")) {
        qputenv("XDG_STATE_HOME", QFile::encodeName(path));
    }
    ~StateFolder() { qputenv("XDG_STATE_HOME", old); }

  private:
    QByteArray old;
};

QString folderOf(const QString& state) {
    return state + QStringLiteral("/palvorin");
}

} // namespace

TEST_F(AppTest, EveryCommandIsUndoneAndRedoneToTheSameBytes) {
    open("frame.PLV");
    const std::string opened = bytesOf(*w);
    const auto texLoad = [](std::function<void(TTexLoad&)> act) {
        return [act] {
            whenModal<TTexLoad>([act](TTexLoad& chooser) {
                act(chooser);
                if (chooser.isVisible()) chooser.cancelClick();
            });
        };
    };
    // The step's name in the Edit menu, what the user does, the command.
    const std::tuple<QString, std::function<void()>, std::function<void()>> steps[] = {
        {"Add new obj3", [] {}, [&] { w->btNewobjClick(); }},
        {"Copy frame", [&] { w->lbObjects()->setCurrentRow(0); }, [&] { w->btCopyobjClick(); }},
        {"Delete picture", [&] { w->lbObjects()->setCurrentRow(1); },
         [&] { w->command("mnDeleteObject")->trigger(); }},
        {"Properties wheel",
         [] {
             whenModal<TfrmExtrOptionDialog>([](TfrmExtrOptionDialog& d) {
                 d.findChild<QLineEdit*>("txName")->setText("wheel");
                 d.findChild<QPushButton*>("ok")->click();
             });
         },
         [&] { w->command("mnProperties")->trigger(); }},
        {"Lathe wheel",
         [] {
             whenModal<TfrmLathe>([](TfrmLathe& d) { d.findChild<QPushButton*>("ok")->click(); });
         },
         [&] { w->latheClick(); }},
        {"Load texture", texLoad([](TTexLoad& chooser) {
             chooser.newClick();
             chooser.texname()->setText("fresh");
             chooser.PictureFileName = QStringLiteral(PALVORIN_SOURCE_DIR "/examples/checker.bmp");
             chooser.okClick();
         }),
         [&] { w->command("mnLoadTexture")->trigger(); }},
        {"Load texture", texLoad([](TTexLoad& chooser) {
             chooser.texCombo()->setCurrentIndex(chooser.texCombo()->findText("fresh"));
             chooser.deleteClick();
         }),
         [&] { w->loadtexClick(); }},
        {"Turn wheel", [&] { w->movetypeClick(); }, [&] { drag(300, 300, 340, 310); }},
    };
    for (const auto& [name, prepare, command] : steps) {
        SCOPED_TRACE(name.toStdString());
        const std::string before = bytesOf(*w);
        prepare();
        command();
        ASSERT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
        const std::string after = bytesOf(*w);
        ASSERT_TRUE(after != before);
        EXPECT_EQ(w->command("mnUndo")->text().remove('&'), "Undo " + name);
        w->command("mnUndo")->trigger();
        EXPECT_TRUE(bytesOf(*w) == before);
        EXPECT_EQ(w->command("mnRedo")->text().remove('&'), "Redo " + name);
        w->mnRedoClick();
        EXPECT_TRUE(bytesOf(*w) == after);
        EXPECT_EQ(w->CurrentObject, &w->Document->Items(w->SelectedIndex));
        EXPECT_TRUE(w->isWindowModified());
    }
    // Selecting an object changes nothing.
    w->lbObjects()->setCurrentRow(1);
    w->btSelobjClick();
    EXPECT_EQ(w->command("mnUndo")->text().remove('&'), "Undo Turn wheel");
    // Undo back to the opened file clears the mark; its textures are back.
    while (w->History.CanUndo())
        w->mnUndoClick();
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_FALSE(w->command("mnUndo")->isEnabled());
    EXPECT_EQ(w->command("mnUndo")->text().remove('&'), "Undo");
    EXPECT_TRUE(bytesOf(*w) == opened);
    expectObjects({"frame", "picture"}, 0);
    EXPECT_GT(drawnPixels(frame()), 0);
    // Open starts a new history.
    open("vase.PLV");
    EXPECT_FALSE(w->History.CanUndo() || w->History.CanRedo());
}

TEST_F(AppTest, SaveWritesInPlaceAndUndoingBackToTheSaveWritesTheSameBytes) {
    QTemporaryDir dir;
    copyExamples(dir.path(), {"moulding.PLV"});
    w->openAnswer = dir.filePath("moulding.PLV");
    w->loadClick();
    w->btNewobjClick();
    w->lbObjects()->setCurrentRow(0);
    w->btSelobjClick();
    w->command("mnSave")->trigger(); // in place, no dialog
    EXPECT_EQ(w->dialogsAsked, 1);
    EXPECT_EQ(w->windowTitle(), "moulding.PLV[*] - Palvorin");
    EXPECT_FALSE(w->isWindowModified());
    const QByteArray saved = fileBytes(dir.filePath("moulding.PLV"));
    EXPECT_EQ(saved.toStdString(), bytesOf(*w));

    w->btNewobjClick();
    w->movetypeClick();
    drag(200, 200, 260, 200); // obj3 has no mesh: moving it is still a step
    EXPECT_TRUE(w->isWindowModified());
    w->mnUndoClick();
    w->mnUndoClick();
    EXPECT_FALSE(w->isWindowModified());
    w->saveAnswer = dir.filePath("again"); // Save as adds .PLV
    w->command("mnSaveAs")->trigger();
    EXPECT_EQ(fileBytes(dir.filePath("again.PLV")), saved);
    // Undo past the save marks the document again.
    w->mnUndoClick();
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_EQ(w->RecentFiles().mid(0, 2),
              QStringList({dir.filePath("again.PLV"), dir.filePath("moulding.PLV")}));
}

TEST(DocumentHistory, KeepsTheLastStepsAndKnowsTheSavedState) {
    TDocumentHistory h;
    h.Reset("s0", true);
    EXPECT_FALSE(h.Record("same", "s0")); // nothing changed: no step
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    for (int i = 1; i <= 250; ++i)
        EXPECT_TRUE(h.Record("step " + std::to_string(i), "s" + std::to_string(i)));
#pragma GCC diagnostic pop
    EXPECT_EQ(h.StepCount(), TDocumentHistory::MaxSteps);
    EXPECT_GE(TDocumentHistory::MaxSteps, 100u);
    EXPECT_EQ(h.UndoLabel(), "step 250");
    size_t undone = 0;
    while (h.CanUndo()) {
        h.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, TDocumentHistory::MaxSteps);
    EXPECT_EQ(h.Current(), "s50");
    EXPECT_TRUE(h.Modified()); // the saved state was dropped
    h.MarkSaved();
    h.Redo();
    EXPECT_TRUE(h.Modified());
    h.Undo();
    EXPECT_FALSE(h.Modified());
    // A new step after undoing drops the redo states and with them a saved state among them.
    h.Redo();
    h.MarkSaved();
    h.Undo();
    h.Record("other", "x");
    EXPECT_FALSE(h.CanRedo());
    EXPECT_TRUE(h.Modified());
    h.Undo();
    EXPECT_TRUE(h.Modified());
}

TEST_F(AppTest, MenusNameTheirKeysAndOpenRecentDropsMissingFiles) {
    const std::pair<const char*, const char*> keys[] = {
        {"mnNew", "Ctrl+N"},
        {"mnOpen", "Ctrl+O"},
        {"mnSave", "Ctrl+S"},
        {"mnSaveAs", "Ctrl+Shift+S"},
        {"mnExit", "Ctrl+Q"},
        {"mnUndo", "Ctrl+Z"},
        {"mnRedo", "Ctrl+Shift+Z"},
        {"mnEditprofile", "Ctrl+E"},
        {"mnEditpath", "Ctrl+Shift+E"},
        {"mnRefresh", "F5"},
        {"mnAddObject", "Ins"},
        {"mnCopyObject", "Ctrl+D"},
        {"mnDeleteObject", "Del"},
        {"mnProperties", "Alt+Return"},
    };
    for (auto [name, key] : keys)
        EXPECT_EQ(w->command(name)->shortcut().toString(), key) << name;
    EXPECT_EQ(w->command("mnRedo")->shortcuts().value(1).toString(), "Ctrl+Y");
    EXPECT_EQ(w->command("load")->toolTip(), "Open (Ctrl+O)");
    EXPECT_EQ(w->command("editpath")->toolTip(), "Edit path (Ctrl+Shift+E)");

    QTemporaryDir dir;
    copyExamples(dir.path(), {"vase.PLV", "moulding.PLV", "marble.bmp", "walnut.jpg", "wood.bmp"});
    for (const char* name : {"vase.PLV", "moulding.PLV"}) {
        w->openAnswer = dir.filePath(name);
        w->loadClick();
    }
    EXPECT_EQ(w->RecentFiles().mid(0, 2),
              QStringList({dir.filePath("moulding.PLV"), dir.filePath("vase.PLV")}));
    auto* recent = w->findChild<QMenu*>("mnuRecent");
    ASSERT_GE(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    EXPECT_EQ(w->windowTitle(), "vase.PLV[*] - Palvorin");
    QFile::remove(dir.filePath("moulding.PLV"));
    w->openRecentFile(dir.filePath("moulding.PLV"));
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_TRUE(w->messages[0].startsWith(dir.filePath("moulding.PLV") + " was moved or deleted"));
    EXPECT_FALSE(w->RecentFiles().contains(dir.filePath("moulding.PLV")));
    EXPECT_EQ(w->windowTitle(), "vase.PLV[*] - Palvorin");

    // An export typed without an extension gets the format's.
    w->saveAnswer = dir.filePath("part");
    w->mnExpSTLClick();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("part.stl")));
}

TEST_F(AppTest, TheWheelZoomsTheCameraInEveryMouseMode) {
    open("vase.PLV");
    const std::string opened = bytesOf(*w);
    const auto wheel = [&](int delta) {
        const QPointF p(100, 100);
        QWheelEvent event(p, w->glcanvas()->mapToGlobal(p), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->glcanvas(), &event);
    };
    // How far the eye went along the line of sight.
    const auto forward = [&](int delta) {
        const Vec3 eye = scene.eye, centre = scene.centre;
        wheel(delta);
        const Vec3 sight{centre.X - eye.X, centre.Y - eye.Y, centre.Z - eye.Z};
        const Vec3 moved{scene.eye.X - eye.X, scene.eye.Y - eye.Y, scene.eye.Z - eye.Z};
        return (sight.X * moved.X + sight.Y * moved.Y + sight.Z * moved.Z) /
               std::sqrt(sight.X * sight.X + sight.Y * sight.Y + sight.Z * sight.Z);
    };
    for (int moveMode : {1, 2})
        for (const char* mode : {"setMouseMoveRot", "setMouseLRUD", "setMouseZoom"}) {
            SCOPED_TRACE(std::string(mode) + " " + std::to_string(moveMode));
            if (w->MoveMode != moveMode) w->movetypeClick();
            w->command(mode)->trigger();
            EXPECT_NEAR(forward(120), 20.0f, 0.01f); // away from the user: closer
            EXPECT_NEAR(forward(-240), -40.0f, 0.01f);
        }
    EXPECT_TRUE(bytesOf(*w) == opened); // the objects stay where they are
    EXPECT_FALSE(w->isWindowModified());
}

TEST_F(AppTest, NoCommandStartsOnceTheWindowIsClosed) {
    w->close();
    bool opened = false;
    whenModal<TTexLoad>([&](TTexLoad& chooser) {
        opened = true;
        chooser.reject();
    });
    w->loadtexClick();
    EXPECT_FALSE(opened);
    EXPECT_EQ(forgetModalWaits(), 1); // no dialog came, as meant
    w->show();                        // a shown window takes commands again
    whenModal<TTexLoad>([&](TTexLoad& chooser) {
        opened = true;
        chooser.reject();
    });
    w->loadtexClick();
    EXPECT_TRUE(opened);
}

// A program killed after a change leaves its recovery file; a new program offers it (not while
// the first runs), restores the document under its own name, and a clean exit leaves no file.
TEST_F(AppTest, RecoveryOfAKilledProgramIsOfferedAndRestored) {
    if (qEnvironmentVariableIsSet("PALVORIN_RECOVERY_CHILD")) {
        w->OpenDocument(qEnvironmentVariable("PALVORIN_RECOVERY_CHILD"));
        w->btNewobjClick();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(w->RecoveryFileName()); }));
        std::printf("written\n");
        std::fflush(stdout);
        QTest::qWait(60000);
        return;
    }
    QTemporaryDir dir;
    copyExamples(dir.path(), {"frame.PLV"});
    const QString document = dir.filePath("frame.PLV");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PALVORIN_RECOVERY_CHILD", document);
    env.insert("XDG_STATE_HOME", dir.filePath("state"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=AppTest.RecoveryOfAKilledProgramIsOfferedAndRestored"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            child.waitForReadyRead(100);
            return child.readAllStandardOutput().contains("written");
        },
        20000));
    const QStringList left =
        QDir(folderOf(dir.filePath("state"))).entryList({"*.palvorin-recovery"}, QDir::Files);
    ASSERT_EQ(left.size(), 1);
    const TRecoveredWork work =
        TRecoveryFile::Read(folderOf(dir.filePath("state")) + '/' + left[0]);
    EXPECT_EQ(work.DocumentPath, document);
    EXPECT_EQ(work.Pid, child.processId());

    StateFolder state(dir.filePath("state"));
    {
        TTestWindow running;
        EXPECT_FALSE(running.OfferRecovery()); // its program runs
        EXPECT_TRUE(running.recoverAsked.isEmpty());
    }
    child.kill();
    ASSERT_TRUE(child.waitForFinished(10000));

    w = std::make_unique<TTestWindow>();
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->glcanvas()->isValid(); }, 5000));
    ASSERT_TRUE(w->OfferRecovery());
    EXPECT_EQ(w->recoverAsked, QStringList{"frame.PLV"});
    EXPECT_EQ(bytesOf(*w), work.Bytes.toStdString());
    expectObjects({"frame", "picture", "obj3"}, 0);
    EXPECT_EQ(w->windowTitle(), "frame.PLV[*] - Palvorin");
    EXPECT_TRUE(w->isWindowModified());
    // The old file went once this program's own held the work.
    const QStringList now =
        QDir(folderOf(dir.filePath("state"))).entryList({"*.palvorin-recovery"}, QDir::Files);
    EXPECT_EQ(now, QStringList{QFileInfo(w->RecoveryFileName()).fileName()});
    // Save writes the original file in place.
    w->mnSaveClick();
    EXPECT_EQ(w->dialogsAsked, 0);
    EXPECT_EQ(fileBytes(document).toStdString(), work.Bytes.toStdString());
    EXPECT_FALSE(QFileInfo::exists(w->RecoveryFileName()));

    // A change, then a clean exit: no file stays.
    w->btNewobjClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(w->RecoveryFileName()); }));
    w->saveChangesAnswer = QMessageBox::Discard;
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(QDir(folderOf(dir.filePath("state")))
                    .entryList({"*.palvorin-recovery"}, QDir::Files)
                    .isEmpty());
}

TEST_F(AppTest, UnreadableRecoveryIsReportedAndKeptAndAFailingWriteSaysSoOnce) {
    QTemporaryDir dir;
    const QString folder = folderOf(dir.filePath("state"));
    QDir().mkpath(folder);
    const QString damaged = folder + "/unsaved-1-0.palvorin-recovery";
    ASSERT_TRUE(writeFile(damaged, "PALVORIN RECOVERY 1\npid 1\n"));
    {
        StateFolder state(dir.filePath("state"));
        TTestWindow window;
        EXPECT_FALSE(window.OfferRecovery());
        ASSERT_EQ(window.messages.size(), 1);
        EXPECT_TRUE(window.messages[0].startsWith("The recovery file " + damaged +
                                                  " cannot be read (its header is incomplete)"));
        EXPECT_TRUE(QFileInfo::exists(damaged));
        // Another program's live file is not taken.
        TRecoveryFile other(folder);
        other.Write("bytes", QString());
        EXPECT_FALSE(window.OfferRecovery());
        EXPECT_TRUE(window.recoverAsked.isEmpty());
    }

    // The state folder cannot be made: editing goes on, the status bar says it once.
    const QString blocked = dir.filePath("file");
    ASSERT_TRUE(writeFile(blocked, "x"));
    StateFolder state(blocked);
    w = std::make_unique<TTestWindow>();
    for (int i = 0; i < 2; ++i) {
        w->btNewobjClick();
        QTest::qWait(700);
    }
    const auto notes = w->findChildren<QLabel*>("RecoveryOff");
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0]->text().startsWith("Crash recovery is off: the folder " + blocked));
    EXPECT_TRUE(w->messages.isEmpty());
    EXPECT_EQ(w->Document->Count(), 3);
}
