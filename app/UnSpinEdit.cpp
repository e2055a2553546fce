// A whole-number field with arrows: limited typing, the value pulled into range on leaving it.
#include "app/UnSpinEdit.h"

#include <QLineEdit>
#include <QRegularExpression>

void TSpinEdit::setLimits(int minimum, int maximum, int maxLength) {
    setRange(minimum, maximum);
    lineEdit()->setMaxLength(maxLength);
}

QValidator::State TSpinEdit::validate(QString& text, int&) const {
    static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]*$"));
    if (text.size() > lineEdit()->maxLength() || !wholeNumber.match(text).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
    input = QString::number(valueFromText(input));
}

int TSpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? qBound(minimum(), value, maximum()) : minimum();
}
