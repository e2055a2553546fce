// Main window test of File > Export picture...: the size dialog, the saved picture, the view kept.
#include "test_app_fixture.h"

#include <QAction>
#include <QDialog>
#include <QSpinBox>
#include <QTemporaryDir>

TEST_F(AppTest, ExportPictureSavesTheViewAtTheChosenSizeAndLeavesTheViewAsItWas) {
    open("vase.PLV");
    const QImage before = frame();
    QTemporaryDir dir;
    QAction* command = w->command(QStringLiteral("mnExportPicture"));
    ASSERT_NE(command, nullptr);

    // Cancelling the size asks for no file.
    whenModal<QDialog>([](QDialog& dialog) { dialog.reject(); });
    command->trigger();
    EXPECT_EQ(w->dialogsAsked, 1); // the Open of the example only

    w->saveAnswer = dir.filePath(QStringLiteral("vase.png"));
    whenModal<QDialog>([](QDialog& dialog) {
        dialog.findChild<QSpinBox*>(QStringLiteral("pictureWidth"))->setValue(200);
        dialog.findChild<QSpinBox*>(QStringLiteral("pictureHeight"))->setValue(120);
        dialog.accept();
    });
    command->trigger();
    EXPECT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
    EXPECT_EQ(w->lastProposed, TfrmPalvorin::ChangeFileExt(example("vase.PLV"), ".png"));
    EXPECT_TRUE(w->lastFilter.contains(QStringLiteral("*.png")));

    const QImage picture(w->saveAnswer);
    ASSERT_EQ(picture.size(), QSize(200, 120));
    // The vase stands in the middle, the corners away from the axes marker show the background.
    EXPECT_FALSE(isBackground(picture.pixel(100, 60)));
    EXPECT_TRUE(isBackground(picture.pixel(199, 0)));
    EXPECT_TRUE(isBackground(picture.pixel(199, 119)));
    // The view is drawn at its own size again.
    EXPECT_EQ(frame(), before);

    // A name typed without an extension gets ".png", as every export does.
    w->saveAnswer = dir.filePath(QStringLiteral("plain"));
    whenModal<QDialog>([](QDialog& dialog) { dialog.accept(); });
    command->trigger();
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("plain.png"))).size(), QSize(200, 120));
}
