// The Round corner dialog's fields, kept from one use to the next by the editor.
#include "editor/UnRoundCornerDialog.h"

#include "app/Internationalization.h"
#include "editor/UnRoundCorner.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

TRoundCornerDialog::TRoundCornerDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RoundCorner"));
    setWindowTitle(QStringLiteral("Round corner"));
    FRadius = new QDoubleSpinBox(this);
    FRadius->setObjectName(QStringLiteral("radius"));
    FRadius->setDecimals(3);
    FRadius->setRange(0.001, 1e6);
    FRadius->setValue(10);
    FSegments = new QSpinBox(this);
    FSegments->setObjectName(QStringLiteral("segments"));
    FSegments->setRange(MinCornerSegments, MaxCornerSegments);
    FSegments->setValue(6);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(QStringLiteral("Radius (mm)"), this), FRadius);
    form->addRow(new QLabel(QStringLiteral("Segments"), this), FSegments);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    translateForm(this);
}
