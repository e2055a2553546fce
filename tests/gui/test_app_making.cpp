// The making windows on the real main window: the measurements dock, the cut list window with its
// CSV and PDF, and the frame dialog's proposal.
#include "test_app_fixture.h"

#include "app/UnCutListWindow.h"
#include "app/UnFrameDialog.h"
#include "app/UnMeasurementsDock.h"
#include "making/UnMakingText.h"

#include <QDoubleSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

TEST_F(AppTest, MeasurementsDockCutListAndFrameDialogShowTheDocumentsFigures) {
    open("frame.PLV");
    auto* dock = w->findChild<TMeasurementsDock*>();
    ASSERT_NE(dock, nullptr);
    dock->show();
    dock->refresh();
    const QString text = dock->figuresText();
    const TDocumentMeasures m = measureDocument(*w->Document);
    const TObjectMeasures& current = m.Objects.at(size_t(w->SelectedIndex));
    EXPECT_TRUE(text.contains(
        QStringLiteral("Volume\t%1 cm³").arg(QString::number(current.Mesh.Volume / 1000, 'f', 2))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Document\n"))) << text.toStdString();
    EXPECT_NE(w->command("mnCutList"), nullptr);

    TCutListWindow list(*w);
    ASSERT_GT(list.cutTable()->rowCount(), 0);
    EXPECT_EQ(list.cutTable()->item(0, 0)->text(), QString::fromStdString(m.Objects[0].Name));
    const std::string csv = list.csvText();
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), CutListHeader);
    QTemporaryDir dir;
    list.writePdf(dir.filePath("list.pdf"));
    EXPECT_TRUE(fileBytes(dir.filePath("list.pdf")).startsWith("%PDF"));
    list.tabs()->setCurrentIndex(1);
    EXPECT_EQ(list.csvText().substr(0, 10), "object,rin");

    TFrameDialog frame(*w->CurrentObject, w.get());
    EXPECT_DOUBLE_EQ(frame.rebate()->value(), proposedRebate(*w->CurrentObject));
}
