// Main window tests of Open, Save and the seven exports, their dialogs and their failures.
#include "test_app_fixture.h"

#include "app/UnSaveFolder.h"
#include "FileSizeLimit.h"

#include "meshexport/UnExportUnit.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cstring>
#include <unistd.h>

namespace {

bool solidScreenRenderer() {
    return currentRendererIsOGL() && !dynamic_cast<TWFRenderer*>(currentRenderer());
}

// The same document written by the exporter without the window: the traversal on its own.
QByteArray batchExport(TfrmPalvorin& window, void (*useRenderer)(), const QString& file) {
    useRenderer();
    redrawDocument(*window.Document, window.SelectedIndex, fileNameBytes(file), nullptr);
    useOGLRenderer();
    return fileBytes(file);
}

} // namespace

TEST_F(AppTest, OpenReplacesTheDocumentSaveAndOpenAgainGiveTheSameBytes) {
    QTemporaryDir dir;
    const QDir examples(QStringLiteral(PALVORIN_SOURCE_DIR "/examples"));
    for (const QString& name : examples.entryList(QDir::Files)) // documents and their pictures
        ASSERT_TRUE(QFile::copy(examples.filePath(name), dir.filePath(name)));
    w->openAnswer = dir.filePath("frame.PLV");
    w->loadClick();
    EXPECT_EQ(w->dialogsAsked, 1);
    EXPECT_TRUE(w->lastFilter.startsWith("Palvorin files (*.PLV"));
    EXPECT_TRUE(w->lastFilter.contains("All files (*)"));
    expectObjects({"frame", "picture"}, 0);
    EXPECT_EQ(w->CurrentFileName, dir.filePath("frame.PLV"));
    EXPECT_NE(w->Document->Items(1).DisplayList, 0u); // all drawn
    // The next Open (the menu command) proposes the current file; cancelling it changes nothing.
    w->openAnswer.clear();
    w->command("mnOpen")->trigger();
    EXPECT_EQ(w->lastProposed, dir.filePath("frame.PLV"));
    EXPECT_EQ(w->Document->Count(), 2);

    for (auto [document, names] : {std::pair{"frame", QStringList{"frame", "picture"}},
                                   {"moulding", QStringList{"moulding"}}}) {
        w->openAnswer = dir.filePath(document + QStringLiteral(".PLV"));
        w->loadClick();
        w->saveAnswer = dir.filePath("first"); // no extension: .PLV is added
        w->command("save")->trigger();
        EXPECT_EQ(w->lastProposed, w->openAnswer);
        EXPECT_EQ(w->CurrentFileName, dir.filePath("first.PLV"));
        const QByteArray first = fileBytes(dir.filePath("first.PLV"));
        ASSERT_FALSE(first.isEmpty());
        w->openAnswer = dir.filePath("first.PLV");
        w->loadClick();
        expectObjects(names, 0);
        w->saveAnswer = dir.filePath("second.PLV");
        w->mnSaveAsClick();
        EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
        EXPECT_EQ(fileBytes(dir.filePath("second.PLV")), first) << document;
    }
}

TEST_F(AppTest, OpenWithAMissingImageWarnsOnceAndSavingKeepsItsEntry) {
    QTemporaryDir dir;
    copyExamples(dir.path(), {"vase.PLV", "marble.bmp"}); // walnut.jpg stays behind
    w->openAnswer = dir.filePath("vase.PLV");
    w->loadClick();
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_EQ(w->messageIcons[0], QMessageBox::Warning);
    EXPECT_TRUE(w->messages[0].contains("\n" + dir.filePath("walnut.jpg") + ": not found"))
        << w->messages[0].toStdString();
    EXPECT_EQ(w->Document->Count(), 1);
    EXPECT_GT(drawnPixels(frame()), 0);

    w->saveAnswer = dir.filePath("again.PLV");
    w->mnSaveAsClick();
    EXPECT_EQ(w->messages.size(), 1);
    const QByteArray saved = fileBytes(dir.filePath("again.PLV"));
    EXPECT_TRUE(saved.contains("walnut.jpg") && saved.contains("walnut"));
    EXPECT_TRUE(saved.contains(QFile::encodeName(dir.filePath("marble.bmp"))));
}

TEST_F(AppTest, SaveAndExportOfNothingSayWhyAndWriteNothing) {
    w->saveAnswer = QStringLiteral(PALVORIN_BINARY_DIR "/never-written.PLV");
    w->saveClick();
    setOutline(*w->CurrentObject, {{0, 0}, {10, 0}, {0, 10}, {0, 0}}, {}, false);
    w->saveClick();
    w->mnExp3DSClick();
    EXPECT_EQ(w->dialogsAsked, 0);
    EXPECT_FALSE(QFileInfo::exists(w->saveAnswer));
    EXPECT_EQ(w->messages,
              QStringList({"Nothing was saved: the current object \"obj1\" has no profile yet.",
                           "Nothing was saved: the current object \"obj1\" has no path yet.",
                           "Nothing to export: no object of the document has both a profile and "
                           "a path."}));
}

TEST_F(AppTest, SaveAndExportProposeAWritableFolderAndUntitledAfterNew) {
    QTemporaryDir dir, locked;
    EXPECT_FALSE(ProposableSaveFolder(dir.filePath("none")));
    EXPECT_FALSE(ProposableSaveFolder(example("frame.PLV"))); // a file is no folder
    EXPECT_FALSE(ProposableSaveFolder("/usr/share"));         // not even for root
    EXPECT_TRUE(ProposableSaveFolder(dir.path()));

    // A new document: "untitled" in a folder the user may write.
    open("frame.PLV");
    w->newClick();
    setOutline(*w->CurrentObject, {{0, 0}, {10, 0}, {0, 10}, {0, 0}}, {{0, 0}, {0, 50}}, false);
    w->saveClick();
    EXPECT_EQ(QFileInfo(w->lastProposed).fileName(), "untitled.PLV");
    EXPECT_TRUE(ProposableSaveFolder(QFileInfo(w->lastProposed).path()))
        << w->lastProposed.toStdString();
    // After a save, the folder saved into; a new document's exports start there too.
    open("frame.PLV");
    w->saveAnswer = dir.filePath("kept.PLV");
    w->mnSaveAsClick();
    w->newClick();
    setOutline(*w->CurrentObject, {{0, 0}, {10, 0}, {0, 10}, {0, 0}}, {{0, 0}, {0, 50}}, false);
    w->saveAnswer.clear();
    for (const char* command : {"mnExpSTL", "save"}) {
        w->command(command)->trigger();
        EXPECT_EQ(QFileInfo(w->lastProposed).absolutePath(), dir.path()) << command;
        EXPECT_TRUE(QFileInfo(w->lastProposed).fileName().startsWith("untitled.")) << command;
    }
    // A document in a folder the user cannot write: Save proposes a writable one (root may
    // write anywhere: only the system's and the program's folders are kept from it).
    if (geteuid() == 0) return;
    copyExamples(locked.path(), {"frame.PLV", "wood.bmp", "checker.bmp"});
    ASSERT_TRUE(
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    w->openAnswer = locked.filePath("frame.PLV");
    w->loadClick();
    w->saveClick();
    EXPECT_EQ(w->lastProposed, dir.filePath("frame.PLV")) << "the last folder saved into";
    QFile::setPermissions(locked.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(AppTest, FailedOpenNamesTheFileSaysWhatIsWrongAndStartsANewDocument) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("cut.PLV"), fileBytes(example("frame.PLV")).left(60)));
    // The file, the plain words that start the message.
    const std::pair<QString, QString> cases[] = {
        {dir.filePath("none.PLV"), "none.PLV cannot be opened: the file does not exist."},
        {example("wood.bmp"), "wood.bmp is not a Palvorin document."},
        {dir.filePath("cut.PLV"), "cut.PLV is damaged or incomplete and was not opened."},
    };
    for (const auto& [file, plain] : cases) {
        open("frame.PLV");
        w->openAnswer = file;
        w->command("load")->trigger();
        ASSERT_EQ(w->messages.size(), 1);
        EXPECT_EQ(w->messageIcons[0], QMessageBox::Critical);
        EXPECT_TRUE(w->messages[0].startsWith(plain + "\n\nDetails: "))
            << w->messages[0].toStdString();
        expectObjects({"obj1"}, 0); // a new document
        w->messages.clear();
        w->messageIcons.clear();
    }
}

// A STEP export of thousands of faces shows its progress; Cancel there leaves the file it would
// have replaced as it was, nothing beside it, and no message.
TEST_F(AppTest, CancellingALargeStepExportKeepsTheEarlierFile) {
    QTemporaryDir dir;
    open("twist.PLV"); // three strands of about 1900 faces each
    const QString target = dir.filePath("twist.step");
    ASSERT_TRUE(writeFile(target, "earlier"));
    QString shown;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (auto* progress = w->findChild<QProgressDialog*>()) {
            shown = progress->labelText();
            progress->cancel();
            press.stop();
        }
    });
    press.start(0);
    w->saveAnswer = target;
    w->command("mnExpSTEP")->trigger();
    EXPECT_EQ(shown, "Writing the STEP file...");
    EXPECT_EQ(fileBytes(target), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"twist.step"});
    EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
}

TEST_F(AppTest, EachExportWritesWhatTheBatchExportWrites) {
    QTemporaryDir dir, batchDir; // the same names in both: an OBJ names its .mtl after itself
    open("frame.PLV");
    w->command("mnWireframed")->trigger();
    ASSERT_FALSE(solidScreenRenderer());

    // The command, the file's extension, its filter, its first bytes, the batch export's renderer.
    const std::tuple<const char*, QString, QString, QByteArray, void (*)()> cases[] = {
        {"mnExpDXF", ".DXF", "Autocad DXF (*.DXF", "0\r\nSECTION", &useDXFRenderer},
        {"mnfacesetVRML", ".WRL", "Vrml files (*.WRL", "#VRML V2.0 utf8", &useVRMLRenderer},
        {"mnExp3DS", ".3DS", "3D Studio files (*.3DS", "\x4D\x4D", &use3DSRenderer},
        {"mnExpGLTF", ".glb", "glTF 2.0 binary files (*.glb *.GLB", "glTF", &useGLTFRenderer},
        {"mnExpOBJ", ".obj", "Wavefront OBJ files (*.obj", "# Wavefront OBJ", &useOBJRenderer},
        {"mnExpSTL", ".stl", "STL files (*.stl", "Binary STL", &useSTLRenderer},
        {"mnExp3MF", ".3mf", "3MF files (*.3mf", "PK\x03\x04", &use3MFRenderer},
        {"mnExpSTEP", ".step", "STEP files (*.step", "ISO-10303-21;", &useSTEPRenderer},
    };
    for (const auto& [command, ext, filter, magic, use] : cases) {
        SCOPED_TRACE(command);
        w->saveAnswer = dir.filePath("scene" + ext);
        w->command(command)->trigger();
        // The document's name each time, not the last export's.
        EXPECT_EQ(w->lastProposed, TfrmPalvorin::ChangeFileExt(example("frame.PLV"), ext));
        EXPECT_TRUE(w->lastFilter.startsWith(filter));
        EXPECT_TRUE(w->lastFilter.endsWith("All files (*)"));
        EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
        EXPECT_EQ(w->CurrentFileName, w->saveAnswer);
        // The solid screen renderer is back, whatever the Wireframed mark says.
        EXPECT_TRUE(solidScreenRenderer());
        EXPECT_TRUE(w->command("mnWireframed")->isChecked());
        EXPECT_TRUE(w->SceneReady);

        const QByteArray written = fileBytes(w->saveAnswer);
        ASSERT_GT(written.size(), 100);
        EXPECT_TRUE(written.startsWith(magic));
        const QByteArray batch = batchExport(*w, use, batchDir.filePath("scene" + ext));
        EXPECT_TRUE(written == batch) << "export differs from the batch export";
    }
    // The OBJ's material library and image copies went beside it.
    EXPECT_EQ(fileBytes(dir.filePath("scene.mtl")), fileBytes(batchDir.filePath("scene.mtl")));
    for (const char* image : {"wood.bmp", "checker.bmp"})
        EXPECT_EQ(fileBytes(dir.filePath(image)), fileBytes(example(image)));
    // Save proposes the document's own file, not the last export's name.
    w->saveAnswer.clear();
    w->saveClick();
    EXPECT_EQ(w->lastProposed, example("frame.PLV"));
}

TEST_F(AppTest, CancelledOrUnwritableExportWritesNothingAndKeepsTheView) {
    open("vase.PLV");
    const QString before = w->CurrentFileName;
    const QImage solid = frame();
    w->saveAnswer.clear();
    w->mnExpDXFClick();
    EXPECT_EQ(w->dialogsAsked, 2);
    EXPECT_EQ(w->CurrentFileName, before);
    EXPECT_TRUE(w->messages.isEmpty());

    w->saveAnswer = QStringLiteral("/no-such-directory/part.DXF");
    w->mnExpDXFClick();
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_EQ(w->messageIcons[0], QMessageBox::Critical);
    EXPECT_TRUE(w->messages[0].contains(w->saveAnswer)) << w->messages[0].toStdString();
    EXPECT_TRUE(solidScreenRenderer());
    EXPECT_TRUE(w->SceneReady);
    EXPECT_EQ(w->CurrentFileName, before);
    EXPECT_FALSE(QFileInfo::exists(w->saveAnswer));
    EXPECT_EQ(frame(), solid); // the view still shows the vase

    // The next export works and leaves the view's display lists alone.
    QTemporaryDir dir;
    w->saveAnswer = dir.filePath("part.DXF");
    w->mnExpDXFClick();
    EXPECT_EQ(w->messages.size(), 1);
    EXPECT_TRUE(fileBytes(w->saveAnswer).contains("3DFACE"));
    EXPECT_EQ(frame(), solid);

    // An OBJ export that cannot copy an image (gone since loading) leaves none of its files.
    QTemporaryDir docs;
    copyExamples(docs.path(), {"vase.PLV", "walnut.jpg", "marble.bmp"});
    w->openAnswer = docs.filePath("vase.PLV");
    w->loadClick();
    ASSERT_TRUE(QFile::remove(docs.filePath("walnut.jpg")));
    w->saveAnswer = dir.filePath("vase.obj");
    w->mnExpOBJClick();
    ASSERT_EQ(w->messages.size(), 2);
    EXPECT_TRUE(w->messages[1].contains("walnut.jpg")) << w->messages[1].toStdString();
    EXPECT_TRUE(solidScreenRenderer());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"part.DXF"});
}

// A failed export of any format names the file and the cause in plain words, then the exporter's
// message; the earlier file stays byte for byte and nothing is left beside it.
TEST_F(AppTest, FailedExportOfEveryFormatSaysWhyAndKeepsTheEarlierFile) {
    open("vase.PLV");
    QTemporaryDir dir;
    const QString earlier = dir.filePath("vase.mtl");
    ASSERT_TRUE(writeFile(earlier, "earlier library"));
    const std::pair<const char*, QString> commands[] = {
        {"mnExpDXF", ".DXF"},  {"mnfacesetVRML", ".WRL"}, {"mnExp3DS", ".3DS"},
        {"mnExpGLTF", ".glb"}, {"mnExpOBJ", ".obj"},      {"mnExpSTL", ".stl"},
        {"mnExp3MF", ".3mf"},  {"mnExpSTEP", ".step"},
    };
    for (const auto& [command, ext] : commands) {
        SCOPED_TRACE(command);
        w->saveAnswer = dir.filePath("vase" + ext);
        ASSERT_TRUE(writeFile(w->saveAnswer, "earlier"));
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        {
            const FileSizeLimit limit(8 << 10);
            w->command(command)->trigger();
        }
        ASSERT_EQ(w->messages.size(), 1);
        EXPECT_EQ(w->messageIcons[0], QMessageBox::Critical);
        const QString plain = "Could not export to " + w->saveAnswer +
                              ": the file would be too large. The earlier file is unchanged.\n\n"
                              "Details: ";
        EXPECT_TRUE(w->messages[0].startsWith(plain)) << w->messages[0].toStdString();
        EXPECT_EQ(fileBytes(w->saveAnswer), "earlier");
        EXPECT_EQ(fileBytes(earlier), "earlier library");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
        EXPECT_TRUE(solidScreenRenderer());
        w->messages.clear();
        w->messageIcons.clear();
    }
    // A folder, and a link into a folder that does not exist.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.stl"));
    ASSERT_TRUE(QFile::link(dir.filePath("missing/vase.stl"), dir.filePath("link.stl")));
    const std::pair<QString, QString> targets[] = {
        {dir.filePath("folder.stl"),
         "Could not export to " + dir.filePath("folder.stl") + ": it is a folder.\n\n"},
        {dir.filePath("link.stl"), "Could not export to " + dir.filePath("link.stl") +
                                       ": the folder does not exist. Nothing was written.\n\n"},
    };
    for (const auto& [target, plain] : targets) {
        w->saveAnswer = target;
        w->mnExpSTLClick();
        ASSERT_EQ(w->messages.size(), 1);
        EXPECT_TRUE(w->messages[0].startsWith(plain)) << w->messages[0].toStdString();
        w->messages.clear();
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("link.stl")).isSymLink());
}

TEST_F(AppTest, SaveDialogProposesTheNameAndAddsTheExtension) {
    QTemporaryDir dir;
    const QString proposed = dir.filePath("moulding.PLV");
    QString preselected;
    whenModal<QFileDialog>([&](QFileDialog& dialog) {
        preselected = dialog.selectedFiles().value(0);
        dialog.selectFile("typed");
        static_cast<QDialog&>(dialog).accept(); // as the Save button does
    });
    const QString chosen =
        w->realSaveDialog(proposed, "Palvorin files (*.PLV *.plv);;All files (*)", "PLV");
    EXPECT_EQ(preselected, proposed);
    EXPECT_EQ(chosen, dir.filePath("typed.PLV"));

    whenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_TRUE(w->realSaveDialog(proposed, "All files (*)", QString()).isEmpty());
}

// Tools > Export unit: the unit and the up axis apply to the next export and to later runs (a new
// window); an STL export of an object that is not watertight warns, naming it, and writes the file.
TEST_F(AppTest, ExportUnitIsKeptBetweenRunsAndOpenProfilesAreNamedInAWarning) {
    QTemporaryDir dir;
    TExtrObj& object = *w->CurrentObject;
    setOutline(object, {{0, 0}, {10, 0}, {10, 10}}, {{0, 0}, {0, 20}}, false);
    object.SetName("open one");
    w->saveAnswer = dir.filePath("mm.stl");
    w->command("mnExpSTL")->trigger();
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_EQ(w->messageIcons[0], QMessageBox::Warning);
    EXPECT_TRUE(w->messages[0].contains("Not watertight: \"open one\" is not one closed surface"))
        << w->messages[0].toStdString();
    ASSERT_TRUE(w->command("mnExportUnit_mm")->isChecked());
    ASSERT_TRUE(w->command("mnExportUp_format")->isChecked());

    w->command("mnExportUnit_m")->trigger();
    w->command("mnExportUp_y")->trigger();
    w->saveAnswer = dir.filePath("m.stl");
    w->command("mnExpSTL")->trigger();
    // The first corner: 1000 times the millimetre file's, Y up where that one is Z up.
    auto firstCorner = [](const QByteArray& stl) {
        std::array<float, 3> p;
        std::memcpy(p.data(), stl.constData() + 84 + 12, 12);
        return p;
    };
    const std::array<float, 3> m = firstCorner(fileBytes(dir.filePath("m.stl")));
    const std::array<float, 3> mm = firstCorner(fileBytes(dir.filePath("mm.stl")));
    EXPECT_FLOAT_EQ(m[0], 1000 * mm[0]);
    EXPECT_FLOAT_EQ(m[1], 1000 * mm[2]);
    EXPECT_FLOAT_EQ(m[2], -1000 * mm[1]);

    w.reset();
    setExportUnit(ExportUnits[0]);
    setExportUpChoice(TUpChoice::Format);
    TTestWindow next;
    EXPECT_TRUE(next.command("mnExportUnit_m")->isChecked());
    EXPECT_STREQ(exportUnit().Name, "m");
    EXPECT_TRUE(next.command("mnExportUp_y")->isChecked());
    EXPECT_EQ(exportUpChoice(), TUpChoice::Y);
    next.command("mnExportUnit_mm")->trigger();
    EXPECT_STREQ(exportUnit().Name, "mm");
    next.command("mnExportUp_format")->trigger();
    EXPECT_EQ(exportUpChoice(), TUpChoice::Format);
}
