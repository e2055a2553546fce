// Main window tests of Open, Save and the three exports, their dialogs and their failures.
#include "test_app_fixture.h"

#include "render/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

namespace {

// The example documents and their pictures, copied where the test may write.
void copyExamples(const QString& to) {
    const QDir from(QStringLiteral(PALVORIN_SOURCE_DIR "/examples"));
    for (const QString& name : from.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from.filePath(name), QDir(to).filePath(name)))
            << name.toStdString();
}

bool isWireframe() {
    return dynamic_cast<TWFRenderer*>(currentRenderer()) != nullptr;
}

// The same document written by the exporter without the window: the traversal on its own.
QByteArray batchExport(TfrmPalvorin& window, void (*useRenderer)(), const QString& file) {
    useRenderer();
    redrawDocument(*window.Document, window.SelectedIndex, fileNameBytes(file), nullptr);
    useOGLRenderer();
    return fileBytes(file);
}

} // namespace

TEST_F(AppTest, OpenReplacesTheDocumentAndShowsTheFirstObject) {
    w->openAnswer = example("frame.PLV");
    w->command("load")->trigger();
    EXPECT_EQ(w->dialogsAsked, 1);
    EXPECT_TRUE(w->lastFilter.startsWith("Palvorin files (*.PLV"));
    EXPECT_TRUE(w->lastFilter.contains("All files (*)"));
    EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
    EXPECT_EQ(objectNames(), (QStringList{"frame", "picture"}));
    EXPECT_TRUE(lineSelected(0));
    EXPECT_FALSE(lineSelected(1));
    EXPECT_EQ(w->CurrentObject, &w->Document->Items(0));
    EXPECT_EQ(w->statusPanel(0)->text(), "frame");
    EXPECT_EQ(w->CurrentFileName, example("frame.PLV"));
    EXPECT_TRUE(w->SceneReady);
    EXPECT_NE(w->Document->Items(1).DisplayList, 0u);

    // The next Open proposes the current file; cancelling it changes nothing.
    w->openAnswer.clear();
    w->command("mnOpen")->trigger();
    EXPECT_EQ(w->lastProposed, example("frame.PLV"));
    EXPECT_EQ(w->Document->Count(), 2);
}

TEST_F(AppTest, OpenFailureShowsTheErrorAndStartsANewDocument) {
    w->openAnswer = example("frame.PLV");
    w->loadClick();
    ASSERT_EQ(w->Document->Count(), 2);

    w->openAnswer = QStringLiteral(PALVORIN_BINARY_DIR "/no-such-document.PLV");
    w->loadClick();
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_EQ(w->messageIcons[0], QMessageBox::Critical);
    EXPECT_FALSE(w->messages[0].isEmpty());
    ASSERT_EQ(w->Document->Count(), 1);
    EXPECT_EQ(w->CurrentObject->Name, "obj1");
    EXPECT_EQ(objectNames(), QStringList{"obj1"});
    EXPECT_EQ(w->statusPanel(0)->text(), "obj1");
}

TEST_F(AppTest, SaveAndOpenAgainGiveTheSameBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    copyExamples(dir.path());
    w->openAnswer = dir.filePath("moulding.PLV");
    w->loadClick();
    ASSERT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();

    w->saveAnswer = dir.filePath("first"); // no extension: .PLV is added
    w->command("save")->trigger();
    EXPECT_EQ(w->lastProposed, dir.filePath("moulding.PLV"));
    EXPECT_EQ(w->CurrentFileName, dir.filePath("first.PLV"));
    const QByteArray first = fileBytes(dir.filePath("first.PLV"));
    ASSERT_FALSE(first.isEmpty());

    w->openAnswer = dir.filePath("first.PLV");
    w->loadClick();
    EXPECT_EQ(objectNames(), QStringList{"moulding"});
    w->saveAnswer = dir.filePath("second.PLV");
    w->mnSaveClick();
    EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
    EXPECT_EQ(fileBytes(dir.filePath("second.PLV")), first);
}

TEST_F(AppTest, SaveSkipsAnIncompleteCurrentObject) {
    w->saveAnswer = QStringLiteral(PALVORIN_BINARY_DIR "/never-written.PLV");
    w->saveClick();
    EXPECT_EQ(w->dialogsAsked, 0);
    EXPECT_FALSE(QFileInfo::exists(w->saveAnswer));
}

TEST_F(AppTest, EachExportWritesWhatTheBatchExportWrites) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    w->openAnswer = example("frame.PLV");
    w->loadClick();
    w->command("mnWireframed")->trigger();
    ASSERT_TRUE(isWireframe());

    struct Case {
        const char* command;
        const char* ext;
        const char* filter;
        void (*use)();
    };
    const Case cases[] = {
        {"mnExpDXF", ".DXF", "Autocad DXF (*.DXF", &useDXFRenderer},
        {"mnfacesetVRML", ".WRL", "Vrml files (*.WRL", &useVRMLRenderer},
        {"mnExp3DS", ".3DS", "3D Studio files (*.3DS", &use3DSRenderer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const QString previous = w->CurrentFileName;
        w->saveAnswer = dir.filePath(QStringLiteral("scene") + c.ext);
        w->command(c.command)->trigger();
        EXPECT_EQ(w->lastProposed, TfrmPalvorin::ChangeFileExt(previous, c.ext));
        EXPECT_TRUE(w->lastFilter.startsWith(c.filter));
        EXPECT_TRUE(w->lastFilter.endsWith("All files (*)"));
        EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
        EXPECT_EQ(w->CurrentFileName, w->saveAnswer);
        // The solid screen renderer is back, whatever the Wireframed mark says.
        EXPECT_TRUE(currentRendererIsOGL());
        EXPECT_FALSE(isWireframe());
        EXPECT_TRUE(w->command("mnWireframed")->isChecked());
        EXPECT_TRUE(w->SceneReady);

        const QByteArray written = fileBytes(w->saveAnswer);
        ASSERT_GT(written.size(), 100);
        const QByteArray batch =
            batchExport(*w, c.use, dir.filePath(QStringLiteral("batch") + c.ext));
        EXPECT_TRUE(written == batch) << "export differs from the batch export";
    }
    EXPECT_TRUE(fileBytes(dir.filePath("scene.WRL")).startsWith("#VRML V2.0 utf8"));
    EXPECT_TRUE(fileBytes(dir.filePath("scene.3DS")).startsWith(QByteArray("\x4D\x4D", 2)));
    EXPECT_TRUE(fileBytes(dir.filePath("scene.DXF")).contains("3DFACE"));

    // After exporting part of a scene, Save proposes the same name as a document.
    w->saveAnswer.clear();
    w->saveClick();
    EXPECT_EQ(w->lastProposed, dir.filePath("scene.PLV"));
}

TEST_F(AppTest, CancelledExportWritesNothing) {
    w->openAnswer = example("vase.PLV");
    w->loadClick();
    const QString before = w->CurrentFileName;
    w->saveAnswer.clear();
    w->mnExpDXFClick();
    EXPECT_EQ(w->dialogsAsked, 2);
    EXPECT_EQ(w->lastProposed, TfrmPalvorin::ChangeFileExt(before, ".DXF"));
    EXPECT_EQ(w->CurrentFileName, before);
    EXPECT_TRUE(w->messages.isEmpty());
}

TEST_F(AppTest, ExportToAnUnwritablePathShowsTheErrorAndRestoresTheView) {
    w->openAnswer = example("vase.PLV");
    w->loadClick();
    const QString before = w->CurrentFileName;
    const QImage solid = frame();

    w->saveAnswer = QStringLiteral("/no-such-directory/part.DXF");
    w->mnExpDXFClick();
    ASSERT_EQ(w->messages.size(), 1);
    EXPECT_EQ(w->messageIcons[0], QMessageBox::Critical);
    EXPECT_TRUE(w->messages[0].contains("/no-such-directory/part.DXF"))
        << w->messages[0].toStdString();
    EXPECT_TRUE(currentRendererIsOGL());
    EXPECT_FALSE(isWireframe());
    EXPECT_TRUE(w->SceneReady);
    EXPECT_EQ(w->CurrentFileName, before);
    EXPECT_FALSE(QFileInfo::exists(w->saveAnswer));
    // The view still shows the vase, and the next export works.
    EXPECT_EQ(frame(), solid);
    QTemporaryDir dir;
    w->saveAnswer = dir.filePath("part.DXF");
    w->mnExpDXFClick();
    EXPECT_EQ(w->messages.size(), 1);
    EXPECT_TRUE(fileBytes(w->saveAnswer).contains("3DFACE"));
    // An export leaves the view's display lists alone: the vase is still there.
    EXPECT_EQ(frame(), solid);
}

TEST_F(AppTest, SaveDialogProposesTheNameAndAddsTheExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
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
