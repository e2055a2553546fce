// A whole-number field with arrows: limited typing, the value pulled into range on leaving it.
#include "app/UnSpinEdit.h"

#include <QRegularExpression>

QValidator::State TSpinEdit::validate(QString& text, int&) const {
    static const QRegularExpression wholeNumber(QStringLiteral("^-?([0-9]*)$"));
    const QRegularExpressionMatch number = wholeNumber.match(text);
    const qint64 widest = qMax(qAbs(qint64(minimum())), qAbs(qint64(maximum())));
    if (!number.hasMatch() || number.capturedLength(1) > QString::number(widest).size())
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
