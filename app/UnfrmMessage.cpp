// The message window: green note window centred on the screen, repainted at every new message.
#include "app/UnfrmMessage.h"

#include "ui_UnfrmMessage.h"

#include <QCoreApplication>
#include <QScreen>

TfrmMessage::TfrmMessage(QWidget* parent)
    : QDialog(parent, Qt::Tool), ui(std::make_unique<Ui::TfrmMessage>()) {
    ui->setupUi(this);
    setFixedSize(361, 82);
    ui->lblMessage->setFixedSize(329, 65);
    QPalette palette = ui->lblMessage->palette();
    palette.setColor(QPalette::Window, QColor(80, 139, 71));
    palette.setColor(QPalette::WindowText, QColor(153, 215, 202));
    ui->lblMessage->setPalette(palette);
    ui->lblMessage->setAutoFillBackground(true);
    QFont font = ui->lblMessage->font();
    font.setPixelSize(17);
    ui->lblMessage->setFont(font);
}

TfrmMessage::~TfrmMessage() = default;

void TfrmMessage::SetMessageString(const std::string& text) {
    ui->lblMessage->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    ui->lblMessage->repaint();
    // Paint now, but take no user input: the caller is in the middle of replacing the document.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string TfrmMessage::GetMessageString() const {
    return ui->lblMessage->text().toStdString();
}

QLabel* TfrmMessage::lblMessage() const {
    return ui->lblMessage;
}

void TfrmMessage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* s = screen()) {
        QRect area = s->availableGeometry();
        move(area.center() - rect().center());
    }
}
