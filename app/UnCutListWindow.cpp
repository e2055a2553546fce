// The cut list window: settings, tables, CSV and printing.
#include "app/UnCutListWindow.h"

#include "app/Internationalization.h"
#include "app/UnDataDirectory.h"
#include "app/UnQtText.h"
#include "app/unPalvorin.h"
#include "making/UnMakingText.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

QString number(double value, int decimals = 2) {
    return QString::number(value, 'f', decimals);
}

QDoubleSpinBox* spin(QWidget* parent, const char* name, double lo, double hi, double value,
                     const char* suffix, const char* key) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lo, hi);
    box->setDecimals(1);
    box->setSuffix(QString::fromUtf8(suffix));
    box->setValue(programSettings().value(QString::fromLatin1(key), value).toDouble());
    box->setProperty("settingsKey", QString::fromLatin1(key));
    return box;
}

QTableWidget* table(QWidget* parent, const char* name, const std::vector<const char*>& headers) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setColumnCount(int(headers.size()));
    QStringList labels;
    for (const char* h : headers)
        labels << translatedText(h);
    t->setHorizontalHeaderLabels(labels);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return t;
}

// The settings of a tab in a row: each field after its label.
QHBoxLayout* settingsRow(QWidget* page,
                         std::initializer_list<std::pair<const char*, QWidget*>> fields) {
    auto* row = new QHBoxLayout;
    for (auto [label, box] : fields) {
        auto* l = new QLabel(translatedText(label), page);
        l->setBuddy(box);
        row->addWidget(l);
        row->addWidget(box);
    }
    row->addStretch(1);
    return row;
}

void setRow(QTableWidget* t, const QStringList& cells) {
    const int row = t->rowCount();
    t->insertRow(row);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (c > 0 && !cells[c].isEmpty() && (cells[c][0].isDigit() || cells[c][0] == u'-'))
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, c, item);
    }
}

} // namespace

TCutListWindow::TCutListWindow(TfrmPalvorin& window) : QDialog(&window), window_(window) {
    setObjectName(QStringLiteral("frmCutList"));
    setWindowTitle(translatedText("Cut list"));
    resize(1000, 560);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tsCutList"));
    layout->addWidget(tabs_, 1);

    auto* cutPage = new QWidget(tabs_);
    auto* cutLayout = new QVBoxLayout(cutPage);
    kerf_ = spin(cutPage, "seKerf", 0, 20, 3, " mm", "cutList/kerf");
    waste_ = spin(cutPage, "seWaste", 0, 100, 10, " %", "cutList/waste");
    stock_ = spin(cutPage, "seStock", 1, 100000, 2400, " mm", "cutList/stock");
    cutLayout->addLayout(
        settingsRow(cutPage, {{"&Kerf", kerf_}, {"&Waste", waste_}, {"&Stock length", stock_}}));
    cutTable_ = table(cutPage, "sgCutList",
                      {"Object", "Member", "Kind", "Long point (mm)", "Short point (mm)",
                       "Mitre start (°)", "Mitre end (°)", "Start", "End", "Radius (mm)",
                       "Angle (°)", "Width (mm)", "Height (mm)", "Note"});
    cutLayout->addWidget(cutTable_, 1);
    stockSummary_ = new QLabel(cutPage);
    stockSummary_->setObjectName(QStringLiteral("lblStock"));
    stockSummary_->setWordWrap(true);
    cutLayout->addWidget(stockSummary_);
    tabs_->addTab(cutPage, translatedText("Cut list"));

    auto* ringPage = new QWidget(tabs_);
    auto* ringLayout = new QVBoxLayout(ringPage);
    board_ = spin(ringPage, "seBoard", 1, 200, 19, " mm", "turning/board");
    allowance_ = spin(ringPage, "seAllowance", 0, 50, 3, " mm", "turning/allowance");
    segments_ = new QSpinBox(ringPage);
    segments_->setObjectName(QStringLiteral("seSegments"));
    segments_->setRange(2, 100);
    segments_->setSpecialValueText(translatedText("the lathe's steps"));
    segments_->setValue(2);
    ringLayout->addLayout(settingsRow(ringPage, {{"&Board thickness", board_},
                                                 {"Se&gments per ring", segments_},
                                                 {"&Allowance", allowance_}}));
    ringTable_ = table(ringPage, "sgTurning",
                       {"Object", "Ring", "From (mm)", "To (mm)", "Outer radius (mm)",
                        "Inner radius (mm)", "Segments", "Segment length (mm)",
                        "Segment width (mm)", "Mitre (°)", "Board length (mm)", "Note"});
    ringLayout->addWidget(ringTable_, 1);
    ringNote_ = new QLabel(ringPage);
    ringNote_->setWordWrap(true);
    ringLayout->addWidget(ringNote_);
    tabs_->addTab(ringPage, translatedText("Segmented turning"));

    auto* buttons = new QDialogButtonBox(this);
    auto* csv = buttons->addButton(translatedText("Save as &CSV..."), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("btSaveCsv"));
    auto* pdf =
        buttons->addButton(translatedText("&Print / Save as PDF..."), QDialogButtonBox::ActionRole);
    pdf->setObjectName(QStringLiteral("btPrint"));
    auto* close = buttons->addButton(translatedText("C&lose"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btClose"));
    layout->addWidget(buttons);
    connect(csv, &QPushButton::clicked, this, &TCutListWindow::saveCsv);
    connect(pdf, &QPushButton::clicked, this, &TCutListWindow::printSheets);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QDoubleSpinBox* box : {kerf_, waste_, stock_, board_, allowance_})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, box] {
            programSettings().setValue(box->property("settingsKey").toString(), box->value());
            recompute();
        });
    connect(segments_, &QSpinBox::valueChanged, this, &TCutListWindow::recompute);
    recompute();
    // A document of lathe objects only opens on their rings.
    if (lists_.empty() && !tables_.empty()) tabs_->setCurrentIndex(1);
}

TStockSettings TCutListWindow::stockSettings() const {
    return {kerf_->value(), waste_->value(), stock_->value()};
}

TTurningSettings TCutListWindow::turningSettings() const {
    const int n = segments_->value();
    return {board_->value(), n < 3 ? 0 : n, allowance_->value()};
}

void TCutListWindow::recompute() {
    lists_.clear();
    tables_.clear();
    listObjects_.clear();
    tableObjects_.clear();
    const TExtrObjList& doc = *window_.Document;
    for (int i = 0; i < doc.Count(); ++i) {
        const TExtrObj& object = doc.Items(i);
        if (object.Lathe()) {
            tables_.push_back(::turningTable(object, turningSettings()));
            tableObjects_.push_back(i);
        } else {
            lists_.push_back(::cutList(object));
            listObjects_.push_back(i);
        }
    }
    fillCutTable();
    fillRingTable();
}

void TCutListWindow::fillCutTable() {
    cutTable_->setRowCount(0);
    stockProblem_.clear();
    QStringList summary;
    for (const TCutList& list : lists_) {
        const QString name = modelText(list.Object);
        if (!list.Problem.empty())
            setRow(cutTable_, {name, QString(), QString(), QString(), QString(), QString(),
                               QString(), QString(), QString(), QString(), QString(), QString(),
                               QString(), translatedText(list.Problem.c_str())});
        for (const TCutRow& row : list.Rows) {
            const QString member =
                (row.Corner ? QStringLiteral("C") : QString()) + QString::number(row.Member);
            if (!row.Problem.empty()) {
                setRow(cutTable_,
                       {name, member, translatedText(row.KindName()), QString(), QString(),
                        QString(), QString(), QString(), QString(), QString(), QString(), QString(),
                        QString(), translatedText(row.Problem.c_str())});
                continue;
            }
            setRow(cutTable_,
                   {name, member, translatedText(row.KindName()), number(row.Long),
                    number(row.Short), number(row.MitreStart, 1), number(row.MitreEnd, 1),
                    row.Corner ? QString() : translatedText(endKindName(row.StartKind)),
                    row.Corner ? QString() : translatedText(endKindName(row.EndKind)),
                    row.Corner ? number(row.Radius) : QString(),
                    row.Corner ? number(row.Angle, 1) : QString(), number(list.Width),
                    number(list.Height), QString()});
        }
        const std::vector<double> pieces = stockPieces(list);
        if (pieces.empty()) continue;
        const std::string problem = checkStockSettings(stockSettings(), pieces);
        if (!problem.empty()) {
            stockProblem_ = translatedText(problem.c_str());
            summary << name + QStringLiteral(": ") + stockProblem_;
            continue;
        }
        const TStockSummary s = stockSummary(pieces, stockSettings());
        summary << translatedText(
                       "%1: %2 pieces, buy %3 mm of moulding (kerf and waste included): %4 "
                       "stock lengths of %5 mm")
                       .arg(name)
                       .arg(s.Pieces)
                       .arg(number(s.Total, 0))
                       .arg(s.StockLengths)
                       .arg(number(stock_->value(), 0));
    }
    if (lists_.empty()) summary << translatedText("The document has no swept object.");
    stockSummary_->setText(summary.join(QLatin1Char('\n')));
    stockSummary_->setStyleSheet(stockProblem_.isEmpty() ? QString()
                                                         : QStringLiteral("color: #b00000"));
}

void TCutListWindow::fillRingTable() {
    ringTable_->setRowCount(0);
    for (const TTurningTable& t : tables_) {
        const QString name = modelText(t.Object);
        if (!t.Problem.empty())
            setRow(ringTable_,
                   {name, QString(), QString(), QString(), QString(), QString(), QString(),
                    QString(), QString(), QString(), QString(), translatedText(t.Problem.c_str())});
        for (const TRing& r : t.Rings)
            setRow(ringTable_,
                   {name, QString::number(r.Ring), number(r.From), number(r.To), number(r.Outer),
                    number(r.Inner), QString::number(r.Segments), number(r.SegmentLength),
                    number(r.SegmentWidth), number(r.Mitre), number(r.BoardLength),
                    r.SolidRing ? translatedText("solid ring") : QString()});
    }
    ringNote_->setText(tables_.empty() ? translatedText("The document has no lathe object.")
                                       : QString());
}

std::string TCutListWindow::csvText() const {
    if (tabs_->currentIndex() == 1) return turningCsv(tables_);
    return cutListCsv(lists_, stockSettings());
}

QString TCutListWindow::chooseCsvFile(const QString& proposed) {
    return QFileDialog::getSaveFileName(this, translatedText("Save as CSV"), proposed,
                                        translatedText("CSV files (*.csv)"));
}

bool TCutListWindow::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

void TCutListWindow::saveCsv() {
    try {
        if (tabs_->currentIndex() == 0 && !stockProblem_.isEmpty())
            throw std::runtime_error(stockProblem_.toStdString());
        const QString base = window_.DocumentFileName.isEmpty()
                                 ? QStringLiteral("cut-list")
                                 : TfrmPalvorin::ChangeFileExt(window_.DocumentFileName, QString());
        QString name =
            chooseCsvFile(base + (tabs_->currentIndex() == 1 ? QStringLiteral("-turning.csv")
                                                             : QStringLiteral("-cut-list.csv")));
        if (name.isEmpty()) return;
        if (!name.contains(QLatin1Char('.'))) name += QStringLiteral(".csv");
        QFile file(name);
        const std::string text = csvText();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.flush())
            throw std::runtime_error(translatedText("Cannot write \"%1\": %2")
                                         .arg(name, file.errorString())
                                         .toStdString());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
    }
}

void TCutListWindow::print(QPrinter& printer) const {
    if (tabs_->currentIndex() == 1)
        paintTurningSheets(printer, tables_);
    else
        paintCutSheets(printer, window_, lists_, listObjects_, stockSettings());
}

void TCutListWindow::writePdf(const QString& fileName) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    print(printer);
}

void TCutListWindow::printSheets() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString base = window_.DocumentFileName.isEmpty()
                             ? QStringLiteral("cut-list")
                             : TfrmPalvorin::ChangeFileExt(window_.DocumentFileName, QString());
    printer.setOutputFileName(base + (tabs_->currentIndex() == 1
                                          ? QStringLiteral("-turning.pdf")
                                          : QStringLiteral("-cut-list.pdf")));
    if (!choosePrinter(printer)) return;
    print(printer);
}
