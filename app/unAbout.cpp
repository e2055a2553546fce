// The about box: fills in the program picture; the confirm button closes it.
#include "app/unAbout.h"

#include "editor/UnIcons.h"
#include "ui_unAbout.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->ProgramIcon->setPixmap(
        svgPixmap(QStringLiteral("palvorin"), QSize(145, 199), devicePixelRatioF()));
    ui->okButton->setIcon(svgIcon(QStringLiteral("ok")));
    QFont nameFont = ui->ProductName->font();
    nameFont.setPixelSize(20);
    nameFont.setBold(true);
    ui->ProductName->setFont(nameFont);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui->okButton, &QPushButton::clicked, this, &QDialog::reject);
}

TAboutBox::~TAboutBox() = default;
