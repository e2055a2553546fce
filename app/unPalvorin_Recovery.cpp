// The main window's crash recovery: the unsaved document kept in a recovery file, offered back at
// the next start when the program ended without closing it.
#include "app/Internationalization.h"
#include "app/UnMessages.h"
#include "app/UnRecovery.h"
#include "app/unPalvorin.h"
#include "ui_unPalvorin.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>

QString TfrmPalvorin::RecoveryFileName() const {
    return recovery ? recovery->FileName() : QString();
}

// A failing write never stops the work: the status bar says once that recovery is off.
void TfrmPalvorin::writeRecoveryNow() {
    if (!recovery || !History.Modified()) return;
    try {
        const std::string& bytes = History.Current();
        recovery->Write(QByteArray(bytes.data(), qsizetype(bytes.size())), DocumentFileName);
        if (recoveryOffLabel) recoveryOffLabel->hide();
    } catch (const std::exception& e) {
        if (recoveryOffLabel) { // said already; it stays said while writes fail
            recoveryOffLabel->show();
            return;
        }
        recoveryOffLabel = new QLabel(
            translatedText(msg::RecoveryOff).arg(QString::fromUtf8(e.what())), ui->StatusBar1);
        recoveryOffLabel->setObjectName(QStringLiteral("RecoveryOff"));
        ui->StatusBar1->addPermanentWidget(recoveryOffLabel);
    }
}

void TfrmPalvorin::removeRecovery() {
    if (recovery) recovery->Remove();
}

bool TfrmPalvorin::askRecover(const QString& document, const QDateTime& time) {
    QMessageBox box(QMessageBox::Question, translatedText(msg::RecoverTitle),
                    translatedText(msg::RecoverQuestion)
                        .arg(document, QLocale().toString(time.toLocalTime(), QLocale::LongFormat)),
                    QMessageBox::Discard, this);
    QPushButton* recover =
        box.addButton(translatedText(msg::RecoverButton), QMessageBox::AcceptRole);
    box.button(QMessageBox::Discard)->setText(translatedText(msg::DiscardButton));
    box.setDefaultButton(recover);
    box.setEscapeButton(recover); // closing the question drops nothing
    box.exec();
    activateWindow(); // the keyboard belongs to the main window again
    return box.clickedButton() != box.button(QMessageBox::Discard);
}

bool TfrmPalvorin::OfferRecovery() {
    if (!recovery) return false;
    const QStringList orphans = recovery->Orphans();
    bool recovered = false;
    for (const QString& file : orphans) {
        if (recovered) {
            recovery->Release(file); // one document at a time: the others wait for a later start
            continue;
        }
        TRecoveredWork work;
        try {
            work = TRecoveryFile::Read(file);
        } catch (const std::exception& e) {
            recovery->Release(file);
            showMessage(
                QMessageBox::Warning,
                translatedText(msg::RecoveryUnreadable).arg(file, QString::fromUtf8(e.what())));
            continue;
        }
        const QString name = work.DocumentPath.isEmpty() ? translatedText(msg::NewDocumentName)
                                                         : QFileInfo(work.DocumentPath).fileName();
        if (!askRecover(name, work.Time)) {
            recovery->Discard(file);
            continue;
        }
        try {
            recoverDocument(work);
        } catch (const std::exception& e) {
            recovery->Release(file);
            NewDocument();
            showMessage(QMessageBox::Warning,
                        translatedText(msg::RecoveryUnreadable).arg(file, messageText(e.what())));
            continue;
        }
        // The work is safe in this program's own file before the old one goes.
        writeRecoveryNow();
        recovery->Discard(file);
        recovered = true;
    }
    return recovered;
}

// The recovered document, unsaved, under its own file name: Save writes it there.
void TfrmPalvorin::recoverDocument(const TRecoveredWork& work) {
    NewDocument();
    restoreDocument(work.Bytes.toStdString(), 0);
    CurrentFileName = work.DocumentPath;
    setDocumentSaved(work.DocumentPath);
    resetHistory(false);
}
