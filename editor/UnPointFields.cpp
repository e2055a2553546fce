// The selected point's coordinate fields on the editor's tool bar.
#include "editor/UnPointFields.h"

#include "editor/UnPointsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

TPointFields::TPointFields(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pointFields"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 0, 0);
    auto field = [&](const char* name) {
        auto* f = new QLineEdit(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setFixedWidth(80);
        f->setEnabled(false);
        f->setToolTip(QStringLiteral("Millimetres of the solid; Return moves the selected point"));
        connect(f, &QLineEdit::returnPressed, this,
                [this] { emit Typed(FX->text(), FY->text(), FH->text()); });
        return f;
    };
    FX = field("pointX");
    FY = field("pointY");
    FH = field("pointHeight");
    FYName = new QLabel(QStringLiteral("Y"), this);
    FHName = new QLabel(QStringLiteral("Height"), this);
    layout->addWidget(new QLabel(QStringLiteral("X"), this));
    layout->addWidget(FX);
    layout->addWidget(FYName);
    layout->addWidget(FY);
    layout->addWidget(FHName);
    layout->addWidget(FH);
    layout->addWidget(new QLabel(QStringLiteral("mm"), this));
    SetPathMode(false);
}

void TPointFields::SetPathMode(bool path) {
    FYName->setText(path ? QStringLiteral("Z") : QStringLiteral("Y"));
    FHName->setVisible(path);
    FH->setVisible(path);
    adjustSize();
}

void TPointFields::ShowPoint(bool shown, double x, double y, double height) {
    for (QLineEdit* f : {FX, FY, FH}) {
        f->setEnabled(shown);
        if (f->hasFocus() && f->isModified()) continue;
        const double value = f == FX ? x : f == FY ? y : height;
        const QString text = shown ? QString::fromStdString(FormatMm(value)) : QString();
        if (f->text() != text) {
            f->setText(text);
            f->setModified(false);
        }
    }
}
