// The lathe dialog: OK sets Confirmed; Cancel and the close box leave it false.
#include "app/UnFrmLathe.h"

#include "app/Internationalization.h"
#include "editor/UnIcons.h"
#include "ui_UnFrmLathe.h"

TfrmLathe::TfrmLathe(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmLathe>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->ok->setIcon(svgIcon(QStringLiteral("ok")));
    ui->cancella->setIcon(svgIcon(QStringLiteral("cancel")));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Confirmed = false;
    connect(ui->ok, &QPushButton::clicked, this, &TfrmLathe::okClick);
    connect(ui->cancella, &QPushButton::clicked, this, &QDialog::reject);
    translateForm(this);
}

TfrmLathe::~TfrmLathe() = default;

QSpinBox* TfrmLathe::subdiv() const {
    return ui->subdiv;
}

QPushButton* TfrmLathe::ok() const {
    return ui->ok;
}

QPushButton* TfrmLathe::cancella() const {
    return ui->cancella;
}

void TfrmLathe::okClick() {
    ui->subdiv->interpretText();
    Confirmed = true;
    accept();
}
