// The path editor's Helix dialog, built in code: six values, checked before it closes.
#include "editor/UnHelixDialog.h"

#include "app/Internationalization.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

bool askHelix(QWidget* parent, THelixShape& shape) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("HelixDialog"));
    dialog.setWindowTitle(translatedText("Helix"));
    auto* form = new QFormLayout(&dialog);
    auto number = [&](const char* name, double value, double lo, double hi, int decimals) {
        auto* box = new QDoubleSpinBox(&dialog);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(lo, hi);
        box->setDecimals(decimals);
        box->setValue(value);
        return box;
    };
    QDoubleSpinBox* radius = number("radius", shape.Radius, 0.1, 100000, 2);
    QDoubleSpinBox* rise = number("rise", shape.RisePerTurn, -100000, 100000, 2);
    QDoubleSpinBox* turns = number("turns", shape.Turns, 0.05, 1000, 2);
    auto* steps = new QSpinBox(&dialog);
    steps->setObjectName(QStringLiteral("steps"));
    steps->setRange(3, 360);
    steps->setValue(shape.StepsPerTurn);
    QDoubleSpinBox* start = number("start", shape.StartAngle, -360, 360, 1);
    auto* right = new QRadioButton(translatedText("&Right hand"), &dialog);
    auto* left = new QRadioButton(translatedText("&Left hand"), &dialog);
    right->setObjectName(QStringLiteral("right"));
    left->setObjectName(QStringLiteral("left"));
    (shape.LeftHand ? left : right)->setChecked(true);
    form->addRow(translatedText("R&adius (mm)"), radius);
    form->addRow(translatedText("&Rise per turn (mm)"), rise);
    form->addRow(translatedText("&Turns"), turns);
    form->addRow(translatedText("&Steps per turn"), steps);
    form->addRow(translatedText("Start an&gle (degrees)"), start);
    form->addRow(right);
    form->addRow(left);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    THelixShape chosen = shape;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        chosen.Radius = radius->value();
        chosen.RisePerTurn = rise->value();
        chosen.Turns = turns->value();
        chosen.StepsPerTurn = steps->value();
        chosen.StartAngle = start->value();
        chosen.LeftHand = left->isChecked();
        const std::string problem = helixProblem(chosen);
        if (problem.empty()) return dialog.accept();
        QMessageBox box(QMessageBox::Warning, dialog.windowTitle(), QString::fromStdString(problem),
                        QMessageBox::Ok, &dialog);
        box.exec();
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    shape = chosen;
    return true;
}
