// A whole-number field with arrows: limited typing, the value pulled into range on leaving it.
#pragma once

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;

    // Range and the most characters that can be typed (a minus sign counts).
    void setLimits(int minimum, int maximum, int maxLength);

  protected:
    // Only a minus sign and digits can be typed; a number outside the range is kept as typed
    // until the field is left or confirmed, then pulled to the nearest bound; text that is not a
    // number ("", "-") reads as the minimum.
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
};
