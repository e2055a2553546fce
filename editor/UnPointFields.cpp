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
        connect(f, &QLineEdit::returnPressed, this, [this] { emit Typed(FX->text(), FY->text()); });
        return f;
    };
    FX = field("pointX");
    FY = field("pointY");
    FYName = new QLabel(QStringLiteral("Y"), this);
    layout->addWidget(new QLabel(QStringLiteral("X"), this));
    layout->addWidget(FX);
    layout->addWidget(FYName);
    layout->addWidget(FY);
    layout->addWidget(new QLabel(QStringLiteral("mm"), this));
}

void TPointFields::SetYName(const QString& name) {
    FYName->setText(name);
}

void TPointFields::ShowPoint(bool shown, double x, double y) {
    for (QLineEdit* f : {FX, FY}) {
        f->setEnabled(shown);
        if (f->hasFocus() && f->isModified()) continue;
        const QString text = shown ? QString::fromStdString(FormatMm(f == FX ? x : y)) : QString();
        if (f->text() != text) {
            f->setText(text);
            f->setModified(false);
        }
    }
}
