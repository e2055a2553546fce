// The lathe dialog: OK checks the pitch and sets Confirmed; Cancel and the close box leave it
// false.
#include "app/UnFrmLathe.h"

#include "app/Internationalization.h"
#include "editor/UnIcons.h"
#include "model/UnLathePitch.h"
#include "ui_UnFrmLathe.h"

#include <QMessageBox>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// A number typed with "." or ",", nothing else; NaN otherwise.
double typedNumber(const QLineEdit* field) {
    std::string text = field->text().trimmed().toStdString();
    std::replace(text.begin(), text.end(), ',', '.');
    double value = NAN;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end ? value : NAN;
}

} // namespace

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

QLineEdit* TfrmLathe::rise() const {
    return ui->rise;
}

QLineEdit* TfrmLathe::turns() const {
    return ui->turns;
}

QPushButton* TfrmLathe::ok() const {
    return ui->ok;
}

QPushButton* TfrmLathe::cancella() const {
    return ui->cancella;
}

void TfrmLathe::okClick() {
    ui->subdiv->interpretText();
    const double rise = typedNumber(ui->rise), turns = typedNumber(ui->turns);
    const std::string error = lathePitchError(ui->subdiv->value(), rise, turns);
    if (!error.empty()) {
        QMessageBox box(QMessageBox::Critical, windowTitle(),
                        translatedText(QString::fromStdString(error)), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    Rise = rise;
    Turns = turns;
    Confirmed = true;
    accept();
}
